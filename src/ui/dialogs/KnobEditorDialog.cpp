#include "dialogs/KnobEditorDialog.h"

#include "widgets/UpDown.h"
#include "dialogs/WindowPlacement.h"
#include "instrument/KnobPresets.h"
#include "store/Names.h"
#include "instrument/ControllerNames.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

// The name part of a controller entry: "Channel Volume" of "007 Channel Volume".
std::string ControllerName(int controller) { return ControllerNames::ItemText(controller).substr(4); }

void ErrorBox(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationName(), text);
}

QLabel* Buddy(const QString& caption, QWidget* control) {
    auto* label = new QLabel(caption);
    label->setBuddy(control);
    return label;
}

} // namespace

TKnobEditorDialog::TKnobEditorDialog(QWidget* mainWindow, TServices services)
    : QDialog(mainWindow), services_(std::move(services)) {
    setWindowTitle("Knob Preset Editor");
    setWindowFlag(Qt::Tool);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* intro1 = new QLabel("You can place knobs on the keyboard. These knobs send controller data to your MIDI "
                              "device or sequencer.");
    auto* intro2 = new QLabel("Here you can define which knobs to display and their properties. You can also save "
                              "presets with sets of knobs.");
    for (QLabel* l : {intro1, intro2}) l->setWordWrap(true);

    auto* count = new QGroupBox("Knob count:");
    knobCountEdit = new QLineEdit;
    knobCountEdit->setReadOnly(true);
    knobCountEdit->setMaximumWidth(40);
    knobCountUpDown = new TUpDown;
    knobCountUpDown->setFixedSize(16, 24);
    knobCountUpDown->SetRange(0, TKnobList::MaxCount);
    knobCountUpDown->OnClick = [this](TUpDown*, bool) { KnobCountClicked(); };
    auto* countLayout = new QHBoxLayout(count);
    countLayout->addWidget(knobCountEdit);
    countLayout->addWidget(knobCountUpDown);
    countLayout->addStretch();

    auto* presets = new QGroupBox("Knob Presets");
    presetBox = new QComboBox;
    newPresetButton = new QPushButton("New");
    savePresetButton = new QPushButton("Save");
    deletePresetButton = new QPushButton("Delete");
    connect(presetBox, &QComboBox::activated, this, &TKnobEditorDialog::PresetChosen);
    connect(newPresetButton, &QPushButton::clicked, this, &TKnobEditorDialog::NewPreset);
    connect(savePresetButton, &QPushButton::clicked, this, &TKnobEditorDialog::SavePreset);
    connect(deletePresetButton, &QPushButton::clicked, this, &TKnobEditorDialog::DeletePreset);
    auto* presetLayout = new QHBoxLayout(presets);
    presetLayout->addWidget(presetBox, 1);
    for (QPushButton* b : {newPresetButton, savePresetButton, deletePresetButton}) presetLayout->addWidget(b);

    knobTabs = new QTabBar;
    knobTabs->setExpanding(false);
    connect(knobTabs, &QTabBar::currentChanged, this, &TKnobEditorDialog::TabChanged);
    knobPage = new QWidget;
    knobNameEdit = new QLineEdit;
    connect(knobNameEdit, &QLineEdit::textChanged, this, &TKnobEditorDialog::Edited);
    knobControllerBox = new QComboBox;
    for (const std::string& item : ControllerNames::ControllerItems()) knobControllerBox->addItem(QString::fromStdString(item));
    connect(knobControllerBox, &QComboBox::currentIndexChanged, this, &TKnobEditorDialog::Edited);
    connect(knobControllerBox, &QComboBox::activated, this, &TKnobEditorDialog::ControllerChosen);
    auto* range = new QGroupBox("Display Range");
    positiveRadio = new QRadioButton("&0 .. 127");
    negativeRadio = new QRadioButton("-&64 .. +63");
    positiveRadio->setChecked(true);
    auto* rangeNote = rangeNote_ = new QLabel("This determines, how the values of the Controller are displayed, either in absolute "
                                 "values 0 to 127 or relative values from -64 to +64.");
    rangeNote->setWordWrap(true);
    for (QRadioButton* b : {positiveRadio, negativeRadio})
        connect(b, &QRadioButton::clicked, this, [this] {
            Edited();
            ShowDefaultValue();
        });
    // Box layouts give a wrapped note the height its lines need, whatever the font.
    auto* rangeLayout = new QHBoxLayout(range);
    auto* choices = new QVBoxLayout;
    choices->addWidget(positiveRadio);
    choices->addWidget(negativeRadio);
    rangeLayout->addLayout(choices);
    rangeLayout->addWidget(rangeNote, 1);
    defaultValueEdit = new QLineEdit;
    defaultValueEdit->setReadOnly(true);
    defaultValueEdit->setMaxLength(3);
    defaultValueEdit->setMaximumWidth(40);
    defaultValueUpDown = new TUpDown;
    defaultValueUpDown->setFixedSize(16, 24);
    defaultValueUpDown->SetRange(0, 127);
    defaultValueUpDown->Accelerated = true;
    defaultValueUpDown->OnClick = [this](TUpDown*, bool) {
        ShowDefaultValue();
        Edited();
    };
    auto* page = new QGridLayout(knobPage);
    page->addWidget(Buddy("&Name", knobNameEdit), 0, 0);
    page->addWidget(knobNameEdit, 0, 1, 1, 2);
    page->addWidget(Buddy("&Controller", knobControllerBox), 1, 0);
    page->addWidget(knobControllerBox, 1, 1, 1, 2);
    page->addWidget(range, 2, 0, 1, 3);
    page->addWidget(Buddy("&Default Value", defaultValueEdit), 3, 0);
    auto* value = new QHBoxLayout;
    value->addWidget(defaultValueEdit);
    value->addWidget(defaultValueUpDown);
    value->addStretch();
    page->addLayout(value, 3, 1);
    noKnobsLabel = new QLabel("No Knobs !");
    noKnobsLabel->setAlignment(Qt::AlignCenter);
    noKnobsLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFont big = noKnobsLabel->font();
    big.setPixelSize(32);
    noKnobsLabel->setFont(big);

    okButton = new QPushButton("&OK");
    cancelButton = new QPushButton("Cancel");
    applyButton = new QPushButton("&Apply");
    connect(okButton, &QPushButton::clicked, this, [this] {
        if (!AskToSave()) return;
        Apply();
        accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, &TKnobEditorDialog::Apply);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {okButton, cancelButton, applyButton}) buttons->addWidget(b);

    auto* top = new QHBoxLayout;
    top->addWidget(count);
    top->addWidget(presets, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro1);
    layout->addWidget(intro2);
    layout->addLayout(top);
    layout->addWidget(knobTabs);
    layout->addWidget(knobPage, 1);
    layout->addWidget(noKnobsLabel, 1);
    layout->addLayout(buttons);
    okButton->setDefault(true);
    resize(422, 357);
}

void TKnobEditorDialog::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        if (QWidget* main = parentWidget()) move(main->pos() + QPoint(10, 10));
        RestoreDialogPosition(this, services_.openSettings, Section);
        ShowDialog();
    }
    QDialog::showEvent(event);
    FitRangeNote();
}

void TKnobEditorDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FitRangeNote();
}

void TKnobEditorDialog::FitRangeNote() {
    if (layout()) layout()->activate();
    const int needed = rangeNote_->heightForWidth(rangeNote_->width());
    if (needed > 0 && needed != rangeNote_->minimumHeight()) rangeNote_->setMinimumHeight(needed);
}

void TKnobEditorDialog::ShowDialog() {
    updating_ = true;
    presetBox->clear();
    if (auto root = services_.openSettings())
        for (const std::string& name : KnobPresets::StoredNames(*root)) AddPresetSorted(name);
    const std::string current = services_.currentPreset();
    presetBox->setCurrentIndex(-1);
    for (int i = 0; i < presetBox->count(); ++i)
        if (SameName(PresetAt(i), current)) presetBox->setCurrentIndex(i);
    presetIndex_ = presetBox->currentIndex();
    working_.Assign(services_.knobRow());
    RebuildTabs();
    if (knobTabs->count() > 0) knobTabs->setCurrentIndex(0);
    modified_ = false;
    updating_ = false;
    savePresetButton->setEnabled(true);
    deletePresetButton->setEnabled(true);
    knobNameEdit->setFocus();
}

std::string TKnobEditorDialog::PresetAt(int index) const {
    return index >= 0 && index < presetBox->count() ? presetBox->itemText(index).toStdString() : std::string();
}

int TKnobEditorDialog::AddPresetSorted(const std::string& name) {
    int at = 0;
    while (at < presetBox->count() && QString::compare(presetBox->itemText(at), QString::fromStdString(name),
                                                       Qt::CaseInsensitive) < 0)
        ++at;
    presetBox->insertItem(at, QString::fromStdString(name));
    return at;
}

void TKnobEditorDialog::RebuildTabs() {
    const bool wasStoring = storeEnabled_;
    storeEnabled_ = false; // the tab changes below must not write stale fields back
    while (knobTabs->count() < working_.Count())
        knobTabs->addTab(QString("Knob %1").arg(knobTabs->count() + 1));
    while (knobTabs->count() > working_.Count()) {
        knobTabs->removeTab(knobTabs->count() - 1);
        knobTabs->setCurrentIndex(knobTabs->count() - 1);
    }
    storeEnabled_ = wasStoring;
    knobCountUpDown->SetPosition(working_.Count());
    knobCountEdit->setText(QString::number(working_.Count()));
    LoadTab();
    noKnobsLabel->setVisible(working_.Count() == 0);
    knobPage->setVisible(working_.Count() > 0);
}

void TKnobEditorDialog::LoadTab() {
    const bool wasStoring = storeEnabled_, wasUpdating = updating_;
    storeEnabled_ = false;
    updating_ = true;
    const int tab = knobTabs->currentIndex();
    shownTab_ = tab;
    if (tab < 0 || tab >= working_.Count()) {
        knobNameEdit->clear();
        defaultValueEdit->clear();
        knobControllerBox->setCurrentIndex(-1);
    } else {
        knobNameEdit->setText(QString::fromStdString(working_.Caption(tab)));
        knobControllerBox->setCurrentIndex(working_.Controller(tab));
        (working_.DisplayMode(tab) == 1 ? negativeRadio : positiveRadio)->setChecked(true);
        defaultValueUpDown->SetPosition(working_.DefaultValue(tab));
        ShowDefaultValue();
    }
    storeEnabled_ = wasStoring;
    updating_ = wasUpdating;
}

void TKnobEditorDialog::StoreTab() {
    const int tab = shownTab_;
    if (tab < 0 || tab >= working_.Count()) return;
    const bool wasStoring = storeEnabled_;
    storeEnabled_ = false;
    TKnobEntry& knob = working_.Entry(tab);
    knob.SetCaption(knobNameEdit->text().toStdString());
    knob.Controller = std::max(knobControllerBox->currentIndex(), 0);
    knob.DisplayMode = negativeRadio->isChecked() ? 1 : 0;
    knob.DefaultValue = defaultValueUpDown->Position();
    storeEnabled_ = wasStoring;
}

void TKnobEditorDialog::ShowDefaultValue() {
    defaultValueEdit->setText(QString::fromStdString(
        KnobValueText(negativeRadio->isChecked() ? 1 : 0, defaultValueUpDown->Position()).value_or("")));
}

void TKnobEditorDialog::TabChanged(int) {
    if (storeEnabled_) StoreTab();
    LoadTab();
}

void TKnobEditorDialog::Edited() {
    if (!updating_) modified_ = true;
}

// Choosing a controller names the knob after it.
void TKnobEditorDialog::ControllerChosen(int index) {
    const int tab = knobTabs->currentIndex();
    if (tab < 0 || tab >= working_.Count() || index < 0) return;
    const std::string name = ControllerName(index);
    knobNameEdit->setText(QString::fromStdString(name));
    working_.Entry(tab).SetCaption(name);
}

void TKnobEditorDialog::KnobCountClicked() {
    if (storeEnabled_) StoreTab();
    const int wanted = knobCountUpDown->Position();
    const int selected = knobTabs->currentIndex();
    if (wanted > knobTabs->count() && working_.Count() < TKnobList::MaxCount) {
        modified_ = true;
        working_.Add(ControllerName(0), 0, 0, 0);
        RebuildTabs();
        knobTabs->setCurrentIndex(knobTabs->count() - 1);
    } else if (wanted < knobTabs->count()) {
        modified_ = true;
        working_.Delete(working_.Count() - 1);
        RebuildTabs();
        knobTabs->setCurrentIndex(selected < knobTabs->count() ? selected : knobTabs->count() - 1);
    }
    noKnobsLabel->setVisible(working_.Count() == 0);
    knobPage->setVisible(working_.Count() > 0);
    LoadTab();
}

bool TKnobEditorDialog::AskToSave() {
    if (!modified_) return true;
    const std::string preset = PresetAt(presetIndex_);
    const QString text = !preset.empty()
                             ? QString("You have made changes to knob preset \"%1\". Do you want to save it ?")
                                   .arg(QString::fromStdString(preset))
                             : QString("You have changed the knobs. Do you want to save them as a preset ?");
    const auto answer = QMessageBox::question(this, QApplication::applicationName(), text,
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel || answer == QMessageBox::Escape) return false;
    if (answer == QMessageBox::Yes) {
        if (!preset.empty()) SaveInto(preset);
        else NewPreset(); // a cancelled name still lets the action go on
    }
    return true;
}

void TKnobEditorDialog::SaveInto(const std::string& name) {
    StoreTab();
    if (auto root = services_.openSettings()) {
        working_.Save(*root, KnobPresets::Section(name));
        root->Close();
    }
    services_.refreshPresetsMenu();
    modified_ = false;
}

void TKnobEditorDialog::LoadPreset(const std::string& name) {
    if (auto root = services_.openSettings()) working_.Load(*root, KnobPresets::Section(name));
    updating_ = true;
    RebuildTabs();
    updating_ = false;
    modified_ = false;
    presetIndex_ = presetBox->currentIndex();
}

void TKnobEditorDialog::PresetChosen(int index) {
    const std::string chosen = PresetAt(index);
    if (!AskToSave()) {
        presetBox->setCurrentIndex(presetIndex_);
        return;
    }
    // Answering may have added a preset before the chosen one: it is found by its name.
    const int now = presetBox->findText(QString::fromStdString(chosen), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    presetBox->setCurrentIndex(now);
    if (now >= 0) LoadPreset(chosen);
    presetIndex_ = presetBox->currentIndex();
    UpdatePresetButtons();
}

void TKnobEditorDialog::UpdatePresetButtons() {
    const bool selected = presetBox->currentIndex() >= 0;
    savePresetButton->setEnabled(selected);
    deletePresetButton->setEnabled(selected);
}

void TKnobEditorDialog::NewPreset() {
    QString name = "New Preset";
    for (;;) {
        bool ok = false;
        name = QInputDialog::getText(this, "Enter New Preset", "Enter the name of the new knob preset:",
                                     QLineEdit::Normal, name, &ok);
        if (!ok) return;
        const std::string typed = TrimBlanks(name.toStdString());
        name = QString::fromStdString(typed);
        if (const std::string problem = KnobPresets::NameProblem(typed); !problem.empty()) {
            ErrorBox(this, QString::fromStdString(problem));
            continue;
        }
        if (SameName(typed, KnobPresets::Default) || SameName(typed, KnobPresets::Current)) {
            const char* word = SameName(typed, KnobPresets::Default) ? KnobPresets::Default : KnobPresets::Current;
            ErrorBox(this, QString("You can't name a preset \"%1\".").arg(word));
            continue;
        }
        bool taken = false;
        for (int i = 0; i < presetBox->count() && !taken; ++i) taken = SameName(PresetAt(i), typed);
        if (taken) {
            ErrorBox(this, "A preset with this name already exists !");
            continue;
        }
        break;
    }
    const int at = AddPresetSorted(name.toStdString());
    presetBox->setCurrentIndex(at);
    presetIndex_ = at;
    SaveInto(name.toStdString());
    UpdatePresetButtons();
}

void TKnobEditorDialog::SavePreset() {
    if (presetBox->currentIndex() < 0) {
        ErrorBox(this, "You must make a new preset before being able to save it.");
        return;
    }
    SaveInto(PresetAt(presetBox->currentIndex()));
    presetIndex_ = presetBox->currentIndex();
}

void TKnobEditorDialog::DeletePreset() {
    const int index = presetBox->currentIndex();
    if (index < 0) {
        ErrorBox(this, "Please select a preset to delete.");
        return;
    }
    const std::string name = PresetAt(index);
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    QString("Are you sure to delete preset \"%1\" ?\nThis can't be undone later !")
                        .arg(QString::fromStdString(name)),
                    QMessageBox::Yes | QMessageBox::No, this);
    if (box.exec() != QMessageBox::Yes) return;
    presetBox->removeItem(index);
    // The knobs shown stay those of the deleted preset, which is no preset
    // now: no other name may claim them, or Save would write them over it.
    presetBox->setCurrentIndex(-1);
    if (presetIndex_ == index) presetIndex_ = -1;
    else if (presetIndex_ > index) --presetIndex_;
    UpdatePresetButtons();
    if (auto root = services_.openSettings()) {
        root->EraseSection(KnobPresets::Section(name));
        root->Close();
    }
}

void TKnobEditorDialog::Apply() {
    StoreTab();
    if (modified_) services_.useKnobs(working_);
    else if (presetBox->currentIndex() >= 0) services_.selectPreset(PresetAt(presetBox->currentIndex()));
}

void TKnobEditorDialog::ControllerSeen(int controller) {
    if (focusWidget() != knobControllerBox || controller >= 128) return;
    const QSignalBlocker quiet(knobControllerBox);
    knobControllerBox->setCurrentIndex(controller);
}

void TKnobEditorDialog::done(int result) {
    if (isVisible()) SaveDialogPosition(this, services_.openSettings, Section);
    QDialog::done(result);
}
