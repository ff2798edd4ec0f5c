#include "dialogs/PatchSetChooserDialog.h"

#include "store/StoredSetting.h"

#include "dialogs/WindowPlacement.h"
#include "dialogs/FolderPicker.h"
#include "dialogs/ShippedFiles.h"
#include "patches/PatchScriptDescription.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QComboBox>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr int RightPanelDesignWidth = 227;

QLineEdit* ReadOnlyField(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    return edit;
}
} // namespace

TPatchSetChooserDialog::TPatchSetChooserDialog(QWidget* mainWindow, std::function<bool(const std::string&)> applyPatchSet,
                                   std::function<std::unique_ptr<TIniStore>()> openSettings,
                                   std::function<std::string()> currentScript)
    : QDialog(mainWindow, Qt::Tool), applyPatchSet_(std::move(applyPatchSet)), openSettings_(std::move(openSettings)),
      currentScript_(std::move(currentScript)) {
    setWindowTitle("Choose Patch Set");
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);

    directoryEdit = new QLineEdit(this);
    directoryEdit->setAccessibleName("Directory");
    directoryEdit->installEventFilter(this);
    directoryButton = new QToolButton(this);
    directoryButton->setText("...");
    directoryButton->setToolTip("Choose a directory");
    homeButton = new QPushButton("Home", this);
    homeButton->setToolTip("Go to Tonecast's directory");
    homeButton->setAutoDefault(false);
    auto* dirLine = new QHBoxLayout;
    dirLine->addWidget(directoryEdit, 1);
    dirLine->addWidget(directoryButton);
    dirLine->addWidget(homeButton);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDot);
    model_->setNameFilterDisables(false);
    folderTree = new QTreeView(this);
    folderTree->setAccessibleName("Files");
    folderTree->setModel(model_);
    folderTree->setRootIsDecorated(false);
    folderTree->setItemsExpandable(false);
    folderTree->setSelectionMode(QAbstractItemView::SingleSelection);
    folderTree->setSortingEnabled(true);
    folderTree->sortByColumn(0, Qt::AscendingOrder);
    folderTree->setColumnWidth(0, 180);
    folderTree->installEventFilter(this);

    detailsPanel = new QWidget(this);
    fileNameLabel = new QLabel(detailsPanel);
    QFont bold = fileNameLabel->font();
    bold.setBold(true);
    fileNameLabel->setFont(bold);
    fileNameLabel->setFrameShape(QFrame::Panel);
    fileNameLabel->setFrameShadow(QFrame::Sunken);
    scriptNameEdit = ReadOnlyField(detailsPanel);
    deviceNameEdit = ReadOnlyField(detailsPanel);
    manufacturerEdit = ReadOnlyField(detailsPanel);
    creatorNameEdit = ReadOnlyField(detailsPanel);
    auto* fields = new QFormLayout;
    fields->setRowWrapPolicy(QFormLayout::WrapAllRows);
    fields->addRow("Name:", scriptNameEdit);
    fields->addRow("Device Name:", deviceNameEdit);
    fields->addRow("Device Manufacturer:", manufacturerEdit);
    fields->addRow("Name of creator:", creatorNameEdit);
    auto* right = new QVBoxLayout(detailsPanel);
    right->setContentsMargins(6, 0, 0, 0);
    right->addWidget(fileNameLabel);
    right->addLayout(fields);
    right->addStretch(1);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(folderTree);
    splitter_->addWidget(detailsPanel);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setChildrenCollapsible(false);
    splitter_->setSizes({373, RightPanelDesignWidth});

    fileTypeBox = new QComboBox(this);
    fileTypeBox->addItems({"Patch Scripts (*.txt)", "All Files (*.*)"});
    okButton = new QPushButton("OK", this);
    okButton->setDefault(true);
    cancelButton = new QPushButton("Cancel", this);
    applyButton = new QPushButton("Apply", this);
    for (QPushButton* b : {cancelButton, applyButton}) b->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(fileTypeBox);
    bottom->addStretch(1);
    bottom->addWidget(okButton);
    bottom->addWidget(cancelButton);
    bottom->addWidget(applyButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(dirLine);
    layout->addWidget(splitter_, 1);
    layout->addLayout(bottom);
    // No narrower than the file-type box beside the buttons.
    setMinimumWidth(layout->minimumSize().width());
    resize(600, 360);

    folderPicker = new TFolderPicker(this);
    folderPicker->Title = "Choose a directory";
    folderPicker->RootItem = TRootItem::Desktop;

    connect(folderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { SelectionChanged(current); });
    connect(folderTree, &QAbstractItemView::activated, this, &TPatchSetChooserDialog::DefaultAction);
    connect(model_, &QFileSystemModel::rootPathChanged, this, [this](const QString& path) {
        directoryEdit->setText(QDir::toNativeSeparators(path));
        ClearSelection();
    });
    connect(fileTypeBox, &QComboBox::currentIndexChanged, this, &TPatchSetChooserDialog::FileTypeChanged);
    connect(homeButton, &QPushButton::clicked, this, [this] { SetDirectory(ShippedPatchScriptFolder()); });
    connect(directoryButton, &QToolButton::clicked, this, [this] {
        folderPicker->SetDirectory(Directory());
        if (folderPicker->Execute()) SetDirectory(folderPicker->Directory());
    });
    connect(applyButton, &QPushButton::clicked, this, &TPatchSetChooserDialog::Apply);
    connect(okButton, &QPushButton::clicked, this, [this] {
        if (applyButton->isEnabled()) applyButton->click();
        accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    fileTypeBox->setCurrentIndex(0);
    FileTypeChanged(0);
    ClearSelection();
}

QString TPatchSetChooserDialog::Directory() const { return model_->rootPath(); }

void TPatchSetChooserDialog::SetDirectory(const QString& directory) {
    const QString path = QDir::fromNativeSeparators(directory);
    if (!QFileInfo(path).isDir()) return;
    // The model watches the folder on its own thread; the view shows it as it comes.
    folderTree->setRootIndex(model_->setRootPath(QDir(path).absolutePath()));
}

void TPatchSetChooserDialog::SelectItem(const QString& path) {
    const QModelIndex index = model_->index(path);
    folderTree->setCurrentIndex(index);
}

void TPatchSetChooserDialog::SelectionChanged(const QModelIndex& index) {
    if (index.isValid() && model_->fileInfo(index).isFile()) {
        fileNameLabel->setText(model_->fileName(index));
        selectedPath_ = model_->filePath(index);
        UpdateDescription(selectedPath_);
    } else {
        ClearSelection();
    }
}

void TPatchSetChooserDialog::DefaultAction(const QModelIndex& index) {
    if (index.isValid() && model_->fileInfo(index).isDir()) {
        SetDirectory(model_->filePath(index)); // a folder opens
        return;
    }
    SelectionChanged(index);
    if (applyButton->isEnabled()) applyButton->click();
}

void TPatchSetChooserDialog::ClearSelection() {
    selectedPath_.clear();
    UpdateDescription(QString());
}

void TPatchSetChooserDialog::UpdateDescription(const QString& path) {
    if (path.compare(shownPath_, Qt::CaseInsensitive) == 0) return;
    shownPath_ = path;
    if (path.isEmpty()) {
        for (QLineEdit* e : {scriptNameEdit, deviceNameEdit, manufacturerEdit, creatorNameEdit}) e->clear();
        fileNameLabel->clear();
        applyButton->setEnabled(false);
        okButton->setEnabled(false);
        return;
    }
    const TPatchScriptDescription d = DescribePatchScript(path.toStdString());
    scriptNameEdit->setText(QString::fromStdString(d.scriptName));
    deviceNameEdit->setText(QString::fromStdString(d.deviceName));
    manufacturerEdit->setText(QString::fromStdString(d.deviceManufacturer));
    creatorNameEdit->setText(QString::fromStdString(d.creatorName));
    for (QLineEdit* e : {scriptNameEdit, deviceNameEdit, manufacturerEdit, creatorNameEdit}) e->setCursorPosition(0);
    applyButton->setEnabled(d.readable);
    okButton->setEnabled(d.readable);
}

void TPatchSetChooserDialog::Apply() {
    applyButton->setEnabled(false);
    if (applyPatchSet_(selectedPath_.toStdString())) applyButton->setEnabled(true);
}

void TPatchSetChooserDialog::FileTypeChanged(int index) {
    model_->setNameFilters(index == 0 ? QStringList{"*.txt"} : QStringList{});
}

void TPatchSetChooserDialog::DirectoryEntered(bool onLeave) {
    const QString text = directoryEdit->text();
    if (text == confirmedDirectory_) return;
    if (!onLeave) confirmedDirectory_ = text;
    SetDirectory(text);
}

bool TPatchSetChooserDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == directoryEdit) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                DirectoryEntered(false);
                return true; // not the default button's
            }
        } else if (event->type() == QEvent::FocusOut) {
            DirectoryEntered(true);
        }
    } else if (watched == folderTree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            DefaultAction(folderTree->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

namespace {
// The chooser's own stored values beside its placement.
constexpr TIntSetting RightPanelWidth{"RightPanelWidth", 0};
constexpr TStringSetting ListView{"DlgListView", ""}; // the file list's columns
constexpr TStringSetting Folder{"DlgDirectory", ""};
} // namespace

void TPatchSetChooserDialog::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        if (QWidget* main = parentWidget()) move(main->pos() + QPoint(10, 10));
        QString remembered;
        if (auto store = openSettings_()) {
            RestoreFormPlacement(this, *store, Section, 7, "Dlg");
            const TSettingsSection section(*store, Section);
            const int rightWidth =
                section.Read(RightPanelWidth, detailsPanel->width() > 0 ? detailsPanel->width() : RightPanelDesignWidth);
            const QList<int> sizes = splitter_->sizes();
            const int total = sizes.value(0) + sizes.value(1);
            splitter_->setSizes({std::max(total - rightWidth, 50), rightWidth});
            const QString view = QString::fromStdString(section.Read(ListView));
            if (!view.isEmpty()) folderTree->header()->restoreState(QByteArray::fromBase64(view.toLatin1()));
            remembered = QString::fromStdString(section.Read(Folder));
        }
        // Never the folder the program happened to be started from: the remembered
        // folder, else the current script's, else home, else the shipped scripts'.
        const QString script = currentScript_ ? QString::fromStdString(currentScript_()) : QString();
        for (const QString& folder : {remembered, script.isEmpty() ? QString() : QFileInfo(script).absolutePath(),
                                      QDir::homePath(), ShippedPatchScriptFolder()}) {
            if (folder.isEmpty() || !QFileInfo(folder).isDir()) continue;
            SetDirectory(folder);
            break;
        }
        ClearSelection();
        directoryEdit->setFocus();
    }
    QDialog::showEvent(event);
}

void TPatchSetChooserDialog::SaveSettings() {
    try {
        if (auto store = openSettings_()) {
            SaveFormPlacement(this, *store, Section, 7, "Dlg");
            const TSettingsSection section(*store, Section);
            section.Write(RightPanelWidth, splitter_->sizes().value(1));
            section.Write(ListView, folderTree->header()->saveState().toBase64().toStdString());
            section.Write(Folder, Directory().toStdString());
            store->Close();
        }
    } catch (const EStoreError&) {
        // A dialog's placement is not worth a message at close.
    }
}

void TPatchSetChooserDialog::done(int result) {
    if (isVisible()) SaveSettings();
    QDialog::done(result);
}
