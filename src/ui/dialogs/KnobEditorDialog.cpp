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
    EKnobCount = new QLineEdit;
    EKnobCount->setReadOnly(true);
    EKnobCount->setMaximumWidth(40);
    UDKnobCount = new TUpDown;
    UDKnobCount->setFixedSize(16, 24);
    UDKnobCount->SetRange(0, TKnobList::MaxCount);
    UDKnobCount->OnClick = [this](TUpDown*, bool) { KnobCountClicked(); };
    auto* countLayout = new QHBoxLayout(count);
    countLayout->addWidget(EKnobCount);
    countLayout->addWidget(UDKnobCount);
    countLayout->addStretch();

    auto* presets = new QGroupBox("Knob Presets");
    CBPresets = new QComboBox;
    BNewPreset = new QPushButton("New");
    BSavePreset = new QPushButton("Save");
    BDeletePreset = new QPushButton("Delete");
    connect(CBPresets, &QComboBox::activated, this, &TKnobEditorDialog::PresetChosen);
    connect(BNewPreset, &QPushButton::clicked, this, &TKnobEditorDialog::NewPreset);
    connect(BSavePreset, &QPushButton::clicked, this, &TKnobEditorDialog::SavePreset);
    connect(BDeletePreset, &QPushButton::clicked, this, &TKnobEditorDialog::DeletePreset);
    auto* presetLayout = new QHBoxLayout(presets);
    presetLayout->addWidget(CBPresets, 1);
    for (QPushButton* b : {BNewPreset, BSavePreset, BDeletePreset}) presetLayout->addWidget(b);

    KnobTabControl = new QTabBar;
    KnobTabControl->setExpanding(false);
    connect(KnobTabControl, &QTabBar::currentChanged, this, &TKnobEditorDialog::TabChanged);
    KnobPage = new QWidget;
    EKnobName = new QLineEdit;
    connect(EKnobName, &QLineEdit::textChanged, this, &TKnobEditorDialog::Edited);
    CBKnobCtrl = new QComboBox;
    for (const std::string& item : ControllerNames::ControllerItems()) CBKnobCtrl->addItem(QString::fromStdString(item));
    connect(CBKnobCtrl, &QComboBox::currentIndexChanged, this, &TKnobEditorDialog::Edited);
    connect(CBKnobCtrl, &QComboBox::activated, this, &TKnobEditorDialog::ControllerChosen);
    auto* range = new QGroupBox("Display Range");
    RBKnobPos = new QRadioButton("&0 .. 127");
    RBKnobNeg = new QRadioButton("-&64 .. +63");
    RBKnobPos->setChecked(true);
    auto* rangeNote = rangeNote_ = new QLabel("This determines, how the values of the Controller are displayed, either in absolute "
                                 "values 0 to 127 or relative values from -64 to +64.");
    rangeNote->setWordWrap(true);
    for (QRadioButton* b : {RBKnobPos, RBKnobNeg})
        connect(b, &QRadioButton::clicked, this, [this] {
            Edited();
            ShowDefaultValue();
        });
    // Box layouts give a wrapped note the height its lines need, whatever the font.
    auto* rangeLayout = new QHBoxLayout(range);
    auto* choices = new QVBoxLayout;
    choices->addWidget(RBKnobPos);
    choices->addWidget(RBKnobNeg);
    rangeLayout->addLayout(choices);
    rangeLayout->addWidget(rangeNote, 1);
    EDefaultValue = new QLineEdit;
    EDefaultValue->setReadOnly(true);
    EDefaultValue->setMaxLength(3);
    EDefaultValue->setMaximumWidth(40);
    UDDefaultValue = new TUpDown;
    UDDefaultValue->setFixedSize(16, 24);
    UDDefaultValue->SetRange(0, 127);
    UDDefaultValue->Accelerated = true;
    UDDefaultValue->OnClick = [this](TUpDown*, bool) {
        ShowDefaultValue();
        Edited();
    };
    auto* page = new QGridLayout(KnobPage);
    page->addWidget(Buddy("&Name", EKnobName), 0, 0);
    page->addWidget(EKnobName, 0, 1, 1, 2);
    page->addWidget(Buddy("&Controller", CBKnobCtrl), 1, 0);
    page->addWidget(CBKnobCtrl, 1, 1, 1, 2);
    page->addWidget(range, 2, 0, 1, 3);
    page->addWidget(Buddy("&Default Value", EDefaultValue), 3, 0);
    auto* value = new QHBoxLayout;
    value->addWidget(EDefaultValue);
    value->addWidget(UDDefaultValue);
    value->addStretch();
    page->addLayout(value, 3, 1);
    Panel1 = new QLabel("No Knobs !");
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFont big = Panel1->font();
    big.setPixelSize(32);
    Panel1->setFont(big);

    BOK = new QPushButton("&OK");
    BCancel = new QPushButton("Cancel");
    BApply = new QPushButton("&Apply");
    connect(BOK, &QPushButton::clicked, this, [this] {
        if (!AskToSave()) return;
        Apply();
        accept();
    });
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BApply, &QPushButton::clicked, this, &TKnobEditorDialog::Apply);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {BOK, BCancel, BApply}) buttons->addWidget(b);

    auto* top = new QHBoxLayout;
    top->addWidget(count);
    top->addWidget(presets, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro1);
    layout->addWidget(intro2);
    layout->addLayout(top);
    layout->addWidget(KnobTabControl);
    layout->addWidget(KnobPage, 1);
    layout->addWidget(Panel1, 1);
    layout->addLayout(buttons);
    BOK->setDefault(true);
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
    CBPresets->clear();
    if (auto root = services_.openSettings())
        for (const std::string& name : KnobPresets::StoredNames(*root)) AddPresetSorted(name);
    const std::string current = services_.currentPreset();
    CBPresets->setCurrentIndex(-1);
    for (int i = 0; i < CBPresets->count(); ++i)
        if (SameName(PresetAt(i), current)) CBPresets->setCurrentIndex(i);
    presetIndex_ = CBPresets->currentIndex();
    working_.Assign(services_.knobRow());
    RebuildTabs();
    if (KnobTabControl->count() > 0) KnobTabControl->setCurrentIndex(0);
    modified_ = false;
    updating_ = false;
    BSavePreset->setEnabled(true);
    BDeletePreset->setEnabled(true);
    EKnobName->setFocus();
}

std::string TKnobEditorDialog::PresetAt(int index) const {
    return index >= 0 && index < CBPresets->count() ? CBPresets->itemText(index).toStdString() : std::string();
}

int TKnobEditorDialog::AddPresetSorted(const std::string& name) {
    int at = 0;
    while (at < CBPresets->count() && QString::compare(CBPresets->itemText(at), QString::fromStdString(name),
                                                       Qt::CaseInsensitive) < 0)
        ++at;
    CBPresets->insertItem(at, QString::fromStdString(name));
    return at;
}

void TKnobEditorDialog::RebuildTabs() {
    const bool wasStoring = storeEnabled_;
    storeEnabled_ = false; // the tab changes below must not write stale fields back
    while (KnobTabControl->count() < working_.Count())
        KnobTabControl->addTab(QString("Knob %1").arg(KnobTabControl->count() + 1));
    while (KnobTabControl->count() > working_.Count()) {
        KnobTabControl->removeTab(KnobTabControl->count() - 1);
        KnobTabControl->setCurrentIndex(KnobTabControl->count() - 1);
    }
    storeEnabled_ = wasStoring;
    UDKnobCount->SetPosition(working_.Count());
    EKnobCount->setText(QString::number(working_.Count()));
    LoadTab();
    Panel1->setVisible(working_.Count() == 0);
    KnobPage->setVisible(working_.Count() > 0);
}

void TKnobEditorDialog::LoadTab() {
    const bool wasStoring = storeEnabled_, wasUpdating = updating_;
    storeEnabled_ = false;
    updating_ = true;
    const int tab = KnobTabControl->currentIndex();
    shownTab_ = tab;
    if (tab < 0 || tab >= working_.Count()) {
        EKnobName->clear();
        EDefaultValue->clear();
        CBKnobCtrl->setCurrentIndex(-1);
    } else {
        EKnobName->setText(QString::fromStdString(working_.Caption(tab)));
        CBKnobCtrl->setCurrentIndex(working_.Controller(tab));
        (working_.DisplayMode(tab) == 1 ? RBKnobNeg : RBKnobPos)->setChecked(true);
        UDDefaultValue->SetPosition(working_.DefaultValue(tab));
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
    knob.SetCaption(EKnobName->text().toStdString());
    knob.Controller = std::max(CBKnobCtrl->currentIndex(), 0);
    knob.DisplayMode = RBKnobNeg->isChecked() ? 1 : 0;
    knob.DefaultValue = UDDefaultValue->Position();
    storeEnabled_ = wasStoring;
}

void TKnobEditorDialog::ShowDefaultValue() {
    EDefaultValue->setText(QString::fromStdString(
        KnobValueText(RBKnobNeg->isChecked() ? 1 : 0, UDDefaultValue->Position()).value_or("")));
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
    const int tab = KnobTabControl->currentIndex();
    if (tab < 0 || tab >= working_.Count() || index < 0) return;
    const std::string name = ControllerName(index);
    EKnobName->setText(QString::fromStdString(name));
    working_.Entry(tab).SetCaption(name);
}

void TKnobEditorDialog::KnobCountClicked() {
    if (storeEnabled_) StoreTab();
    const int wanted = UDKnobCount->Position();
    const int selected = KnobTabControl->currentIndex();
    if (wanted > KnobTabControl->count() && working_.Count() < TKnobList::MaxCount) {
        modified_ = true;
        working_.Add(ControllerName(0), 0, 0, 0);
        RebuildTabs();
        KnobTabControl->setCurrentIndex(KnobTabControl->count() - 1);
    } else if (wanted < KnobTabControl->count()) {
        modified_ = true;
        working_.Delete(working_.Count() - 1);
        RebuildTabs();
        KnobTabControl->setCurrentIndex(selected < KnobTabControl->count() ? selected : KnobTabControl->count() - 1);
    }
    Panel1->setVisible(working_.Count() == 0);
    KnobPage->setVisible(working_.Count() > 0);
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
    presetIndex_ = CBPresets->currentIndex();
}

void TKnobEditorDialog::PresetChosen(int index) {
    const std::string chosen = PresetAt(index);
    if (!AskToSave()) {
        CBPresets->setCurrentIndex(presetIndex_);
        return;
    }
    // Answering may have added a preset before the chosen one: it is found by its name.
    const int now = CBPresets->findText(QString::fromStdString(chosen), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    CBPresets->setCurrentIndex(now);
    if (now >= 0) LoadPreset(chosen);
    presetIndex_ = CBPresets->currentIndex();
    UpdatePresetButtons();
}

void TKnobEditorDialog::UpdatePresetButtons() {
    const bool selected = CBPresets->currentIndex() >= 0;
    BSavePreset->setEnabled(selected);
    BDeletePreset->setEnabled(selected);
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
        for (int i = 0; i < CBPresets->count() && !taken; ++i) taken = SameName(PresetAt(i), typed);
        if (taken) {
            ErrorBox(this, "A preset with this name already exists !");
            continue;
        }
        break;
    }
    const int at = AddPresetSorted(name.toStdString());
    CBPresets->setCurrentIndex(at);
    presetIndex_ = at;
    SaveInto(name.toStdString());
    UpdatePresetButtons();
}

void TKnobEditorDialog::SavePreset() {
    if (CBPresets->currentIndex() < 0) {
        ErrorBox(this, "You must make a new preset before being able to save it.");
        return;
    }
    SaveInto(PresetAt(CBPresets->currentIndex()));
    presetIndex_ = CBPresets->currentIndex();
}

void TKnobEditorDialog::DeletePreset() {
    const int index = CBPresets->currentIndex();
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
    CBPresets->removeItem(index);
    // The knobs shown stay those of the deleted preset, which is no preset
    // now: no other name may claim them, or Save would write them over it.
    CBPresets->setCurrentIndex(-1);
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
    else if (CBPresets->currentIndex() >= 0) services_.selectPreset(PresetAt(CBPresets->currentIndex()));
}

void TKnobEditorDialog::ControllerSeen(int controller) {
    if (focusWidget() != CBKnobCtrl || controller >= 128) return;
    const QSignalBlocker quiet(CBKnobCtrl);
    CBKnobCtrl->setCurrentIndex(controller);
}

void TKnobEditorDialog::done(int result) {
    if (isVisible()) SaveDialogPosition(this, services_.openSettings, Section);
    QDialog::done(result);
}
