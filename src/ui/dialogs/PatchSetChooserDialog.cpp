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

    EDir = new QLineEdit(this);
    EDir->setAccessibleName("Directory");
    EDir->installEventFilter(this);
    BDir = new QToolButton(this);
    BDir->setText("...");
    BDir->setToolTip("Choose a directory");
    BHome = new QPushButton("Home", this);
    BHome->setToolTip("Go to Tonecast's directory");
    BHome->setAutoDefault(false);
    auto* dirLine = new QHBoxLayout;
    dirLine->addWidget(EDir, 1);
    dirLine->addWidget(BDir);
    dirLine->addWidget(BHome);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDot);
    model_->setNameFilterDisables(false);
    SystemListView = new QTreeView(this);
    SystemListView->setAccessibleName("Files");
    SystemListView->setModel(model_);
    SystemListView->setRootIsDecorated(false);
    SystemListView->setItemsExpandable(false);
    SystemListView->setSelectionMode(QAbstractItemView::SingleSelection);
    SystemListView->setSortingEnabled(true);
    SystemListView->sortByColumn(0, Qt::AscendingOrder);
    SystemListView->setColumnWidth(0, 180);
    SystemListView->installEventFilter(this);

    MainRightPanel = new QWidget(this);
    FilenamePanel = new QLabel(MainRightPanel);
    QFont bold = FilenamePanel->font();
    bold.setBold(true);
    FilenamePanel->setFont(bold);
    FilenamePanel->setFrameShape(QFrame::Panel);
    FilenamePanel->setFrameShadow(QFrame::Sunken);
    EScriptName = ReadOnlyField(MainRightPanel);
    EDeviceName = ReadOnlyField(MainRightPanel);
    EDeviceManufacturer = ReadOnlyField(MainRightPanel);
    ECreatorName = ReadOnlyField(MainRightPanel);
    auto* fields = new QFormLayout;
    fields->setRowWrapPolicy(QFormLayout::WrapAllRows);
    fields->addRow("Name:", EScriptName);
    fields->addRow("Device Name:", EDeviceName);
    fields->addRow("Device Manufacturer:", EDeviceManufacturer);
    fields->addRow("Name of creator:", ECreatorName);
    auto* right = new QVBoxLayout(MainRightPanel);
    right->setContentsMargins(6, 0, 0, 0);
    right->addWidget(FilenamePanel);
    right->addLayout(fields);
    right->addStretch(1);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(SystemListView);
    splitter_->addWidget(MainRightPanel);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setChildrenCollapsible(false);
    splitter_->setSizes({373, RightPanelDesignWidth});

    CBFileType = new QComboBox(this);
    CBFileType->addItems({"Patch Scripts (*.txt)", "All Files (*.*)"});
    BOK = new QPushButton("OK", this);
    BOK->setDefault(true);
    BCancel = new QPushButton("Cancel", this);
    BApply = new QPushButton("Apply", this);
    for (QPushButton* b : {BCancel, BApply}) b->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CBFileType);
    bottom->addStretch(1);
    bottom->addWidget(BOK);
    bottom->addWidget(BCancel);
    bottom->addWidget(BApply);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(dirLine);
    layout->addWidget(splitter_, 1);
    layout->addLayout(bottom);
    // No narrower than the file-type box beside the buttons.
    setMinimumWidth(layout->minimumSize().width());
    resize(600, 360);

    PathDialog1 = new TFolderPicker(this);
    PathDialog1->Title = "Choose a directory";
    PathDialog1->RootItem = TRootItem::Desktop;

    connect(SystemListView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { SelectionChanged(current); });
    connect(SystemListView, &QAbstractItemView::activated, this, &TPatchSetChooserDialog::DefaultAction);
    connect(model_, &QFileSystemModel::rootPathChanged, this, [this](const QString& path) {
        EDir->setText(QDir::toNativeSeparators(path));
        ClearSelection();
    });
    connect(CBFileType, &QComboBox::currentIndexChanged, this, &TPatchSetChooserDialog::FileTypeChanged);
    connect(BHome, &QPushButton::clicked, this, [this] { SetDirectory(ShippedPatchScriptFolder()); });
    connect(BDir, &QToolButton::clicked, this, [this] {
        PathDialog1->SetDirectory(Directory());
        if (PathDialog1->Execute()) SetDirectory(PathDialog1->Directory());
    });
    connect(BApply, &QPushButton::clicked, this, &TPatchSetChooserDialog::Apply);
    connect(BOK, &QPushButton::clicked, this, [this] {
        if (BApply->isEnabled()) BApply->click();
        accept();
    });
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);

    CBFileType->setCurrentIndex(0);
    FileTypeChanged(0);
    ClearSelection();
}

QString TPatchSetChooserDialog::Directory() const { return model_->rootPath(); }

void TPatchSetChooserDialog::SetDirectory(const QString& directory) {
    const QString path = QDir::fromNativeSeparators(directory);
    if (!QFileInfo(path).isDir()) return;
    // The model watches the folder on its own thread; the view shows it as it comes.
    SystemListView->setRootIndex(model_->setRootPath(QDir(path).absolutePath()));
}

void TPatchSetChooserDialog::SelectItem(const QString& path) {
    const QModelIndex index = model_->index(path);
    SystemListView->setCurrentIndex(index);
}

void TPatchSetChooserDialog::SelectionChanged(const QModelIndex& index) {
    if (index.isValid() && model_->fileInfo(index).isFile()) {
        FilenamePanel->setText(model_->fileName(index));
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
    if (BApply->isEnabled()) BApply->click();
}

void TPatchSetChooserDialog::ClearSelection() {
    selectedPath_.clear();
    UpdateDescription(QString());
}

void TPatchSetChooserDialog::UpdateDescription(const QString& path) {
    if (path.compare(shownPath_, Qt::CaseInsensitive) == 0) return;
    shownPath_ = path;
    if (path.isEmpty()) {
        for (QLineEdit* e : {EScriptName, EDeviceName, EDeviceManufacturer, ECreatorName}) e->clear();
        FilenamePanel->clear();
        BApply->setEnabled(false);
        BOK->setEnabled(false);
        return;
    }
    const TPatchScriptDescription d = DescribePatchScript(path.toStdString());
    EScriptName->setText(QString::fromStdString(d.scriptName));
    EDeviceName->setText(QString::fromStdString(d.deviceName));
    EDeviceManufacturer->setText(QString::fromStdString(d.deviceManufacturer));
    ECreatorName->setText(QString::fromStdString(d.creatorName));
    for (QLineEdit* e : {EScriptName, EDeviceName, EDeviceManufacturer, ECreatorName}) e->setCursorPosition(0);
    BApply->setEnabled(d.readable);
    BOK->setEnabled(d.readable);
}

void TPatchSetChooserDialog::Apply() {
    BApply->setEnabled(false);
    if (applyPatchSet_(selectedPath_.toStdString())) BApply->setEnabled(true);
}

void TPatchSetChooserDialog::FileTypeChanged(int index) {
    model_->setNameFilters(index == 0 ? QStringList{"*.txt"} : QStringList{});
}

void TPatchSetChooserDialog::DirectoryEntered(bool onLeave) {
    const QString text = EDir->text();
    if (text == confirmedDirectory_) return;
    if (!onLeave) confirmedDirectory_ = text;
    SetDirectory(text);
}

bool TPatchSetChooserDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EDir) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                DirectoryEntered(false);
                return true; // not the default button's
            }
        } else if (event->type() == QEvent::FocusOut) {
            DirectoryEntered(true);
        }
    } else if (watched == SystemListView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            DefaultAction(SystemListView->currentIndex());
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
                section.Read(RightPanelWidth, MainRightPanel->width() > 0 ? MainRightPanel->width() : RightPanelDesignWidth);
            const QList<int> sizes = splitter_->sizes();
            const int total = sizes.value(0) + sizes.value(1);
            splitter_->setSizes({std::max(total - rightWidth, 50), rightWidth});
            const QString view = QString::fromStdString(section.Read(ListView));
            if (!view.isEmpty()) SystemListView->header()->restoreState(QByteArray::fromBase64(view.toLatin1()));
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
        EDir->setFocus();
    }
    QDialog::showEvent(event);
}

void TPatchSetChooserDialog::SaveSettings() {
    try {
        if (auto store = openSettings_()) {
            SaveFormPlacement(this, *store, Section, 7, "Dlg");
            const TSettingsSection section(*store, Section);
            section.Write(RightPanelWidth, splitter_->sizes().value(1));
            section.Write(ListView, SystemListView->header()->saveState().toBase64().toStdString());
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
