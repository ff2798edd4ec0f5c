#include "mainwindow/KnobPanel.h"

#include "dialogs/WindowPlacement.h"
#include "widgets/KnobRow.h"
#include "widgets/UpDown.h"
#include "widgets/RotaryKnob.h"
#include "widgets/PianoKeyboard.h"
#include "instrument/KnobPresets.h"
#include "midi/ShortMessage.h"

#include <QActionGroup>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace {

TKnobLabel* KnobRowLabel(QWidget* parent, int left, int top, int width) {
    auto* label = new TKnobLabel(parent);
    QFont font = label->font();
    font.setPixelSize(10);
    label->setFont(font);
    label->setGeometry(left, top, width, 12);
    label->hide();
    return label;
}
} // namespace

TKnobPanel::TKnobPanel(QWidget* form, QMenuBar* bar, TInstrument& instrument, TPianoKeyboard* keyboard,
                       TSettingsOpener openSettings)
    : QObject(form), instrument_(instrument), keyboard_(keyboard), openSettings_(std::move(openSettings)), form_(form) {
    CreateKnobsMenu(bar);
    CreateKnobRow(form);
    instrument_.AddListener(this);
}

TKnobPanel::~TKnobPanel() { instrument_.RemoveListener(this); }

void TKnobPanel::CreateKnobRow(QWidget* form) {
    // Two rows of knobs fill the band above the keyboard: a caption over each knob.
    captionTemplate = KnobRowLabel(form, 0, 1, 60);
    captionTemplate->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    knobTemplate = new TRotaryKnob(form);
    knobTemplate->hide();
    knobTemplate->SetPositionMax(127);
    // A light pointer and scale: the disc is dark and the window black.
    knobTemplate->SetWheelColor(QColor(96, 96, 96));
    knobTemplate->SetScaleColor(Qt::white);
    knobTemplate->SetScaleLength(2);
    knobTemplate->SetFocusAction(TFocusAction::FocusColor);
    knobTemplate->SetBounds(0, 13, 23, 23);
    valueTemplate = KnobRowLabel(form, 0, 24, 24);
    knobRow_ = std::make_unique<TKnobRow>(captionTemplate, knobTemplate, valueTemplate);
    knobRow_->OnKnobChange = [this](TKnobRow*, int controller, int value) {
        const TShortMessage m = ShortMessage::ControlChange(keyboard_->State().Channel(), controller, value);
        instrument_.Play(m);
    };
}

void TKnobPanel::Layout(int left) { knobRow_->SetArea(left + 6, form_->width() - (left + 2)); }

void TKnobPanel::MessageShown(const TShortMessage& m) {
    if (!m.IsControlChange()) return;
    knobRow_->ReflectController(m.data1, m.data2);
    if (knobEditor_ && knobEditor_->isVisible()) knobEditor_->ControllerSeen(m.data1);
}

void TKnobPanel::CreateKnobsMenu(QMenuBar* bar) {
    knobsItem = bar->addMenu("&Knobs");
    presetsItem = knobsItem->addMenu("&Presets");
    connect(presetsItem, &QMenu::aboutToShow, this, &TKnobPanel::BuildPresetsMenu);
    QMenu* snapshots = knobsItem->addMenu("&Snapshots");
    for (int slot = 1; slot <= TKnobSnapshots::SlotCount; ++slot) {
        QAction* recall = snapshots->addAction(QString::fromStdString(TKnobSnapshots::DefaultCaption(slot)));
        recall->setShortcut(QKeySequence(Qt::Key_F5 + (slot - 1)));
        recall->setEnabled(false);
        connect(recall, &QAction::triggered, this, [this, slot] { RecallSnapshot(slot); });
        snapshotItems[static_cast<std::size_t>(slot - 1)] = recall;
    }
    snapshots->addSeparator();
    QMenu* define = snapshots->addMenu("&Define");
    for (int slot = 1; slot <= TKnobSnapshots::SlotCount; ++slot) {
        QAction* item = define->addAction(QString("Define Snapshot &%1").arg(slot));
        item->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_F5 + (slot - 1))));
        connect(item, &QAction::triggered, this, [this, slot] { DefineSnapshot(slot); });
        defineItems[static_cast<std::size_t>(slot - 1)] = item;
    }
    knobsItem->addSeparator();
    setUpKnobsItem = knobsItem->addAction("Set &up...", this, &TKnobPanel::OpenKnobEditor);
    setUpKnobsItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
}

void TKnobPanel::OpenKnobEditor() {
    if (!knobEditor_) {
        TKnobEditorDialog::TServices services;
        services.knobRow = [this]() -> const TKnobList& { return *knobRow_; };
        services.currentPreset = [this] { return knobPreset_; };
        services.openSettings = [this] { return openSettings_(); };
        services.refreshPresetsMenu = [this] {
            if (auto root = openSettings_()) RefreshPresetsMenu(*root);
        };
        services.selectPreset = [this](const std::string& name) { SelectKnobPreset(name); };
        services.useKnobs = [this](const TKnobList& knobs) { UseKnobs(knobs); };
        knobEditor_ = new TKnobEditorDialog(form_->window(), std::move(services));
    }
    PresentDialog(knobEditor_.data());
}

// Knobs set up by hand belong to no preset: they are kept as "Current".
void TKnobPanel::UseKnobs(const TKnobList& knobs) {
    knobRow_->Assign(knobs);
    for (QAction* item : presetsItem->actions()) item->setChecked(false);
    knobPreset_ = KnobPresets::Current;
}

void TKnobPanel::RefreshPresetsMenu(TIniStore& root) {
    presetNames_ = KnobPresets::MenuNames(root);
    knobPreset_ = KnobPresets::AfterRefresh(knobPreset_, presetNames_);
    qDeleteAll(presetsItem->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
    presetsItem->clear();
    presetsBuilt_ = false; // thousands of presets are common: the items are made when the menu opens
}

void TKnobPanel::BuildPresetsMenu() {
    if (presetsBuilt_) return;
    presetsBuilt_ = true;
    auto* group = new QActionGroup(presetsItem);
    for (const std::string& name : presetNames_) {
        QAction* item = presetsItem->addAction(QString::fromStdString(name).replace('&', "&&"));
        item->setData(QString::fromStdString(name));
        item->setCheckable(true);
        item->setChecked(name == knobPreset_);
        group->addAction(item);
    }
    // One connection for the whole menu.
    connect(group, &QActionGroup::triggered, this, [this](QAction* item) {
        // A radio item is checked before it reports: compare with the name in use.
        const std::string name = item->data().toString().toStdString();
        if (name != knobPreset_) SelectKnobPreset(name);
    });
}

QList<QAction*> TKnobPanel::PresetItems() {
    BuildPresetsMenu();
    return presetsItem->actions();
}

void TKnobPanel::SelectKnobPreset(const std::string& name) {
    auto root = openSettings_();
    if (root) SelectKnobPreset(*root, name);
}

void TKnobPanel::SelectKnobPreset(TIniStore& root, const std::string& name) {
    const KnobPresets::TSelection selection =
        KnobPresets::Select(name, presetNames_, root.SectionExists(KnobPresets::Section(name)));
    knobPreset_ = selection.current;
    for (QAction* item : presetsItem->actions()) item->setChecked(item->data().toString().toStdString() == knobPreset_);
    if (selection.volumeOnly) {
        knobRow_->Clear();
        knobRow_->AddKnob("Volume", 7, 0, 100);
    } else {
        knobRow_->Load(root, KnobPresets::Section(knobPreset_));
    }
}

void TKnobPanel::DefineSnapshot(int slot) {
    if (knobRow_->Count() == 0) return;
    bool ok = false;
    const QString name = QInputDialog::getText(form_->window(), "Snapshot name", "Please enter a name for this Snapshot:",
                                               QLineEdit::Normal, QString::fromStdString(snapshots_.Name(slot)), &ok);
    if (!ok) return;
    std::vector<TControllerValue> knobs;
    for (int i = 0; i < knobRow_->Count(); ++i) knobs.emplace_back(knobRow_->Controller(i), knobRow_->Value(i));
    snapshots_.Define(slot, name.toStdString(), knobs);
    ShowSnapshot(slot);
}

void TKnobPanel::ShowSnapshot(int slot) {
    QAction* item = snapshotItems[static_cast<std::size_t>(slot - 1)];
    item->setText(QString::fromStdString(snapshots_.Caption(slot)));
    const QString values = QString::fromStdString(snapshots_.Values(slot));
    item->setStatusTip(values);
    item->setToolTip(values);
    item->setEnabled(snapshots_.Used(slot));
}

void TKnobPanel::RecallSnapshot(int slot) {
    for (const auto& [controller, value] : KnobSnapshot::Decode(snapshots_.Values(slot))) {
        const TShortMessage m = ShortMessage::ControlChange(keyboard_->State().Channel(), controller, value);
        instrument_.Play(m);
    }
}

int TKnobPanel::LoadSnapshots(TIniStore& store) {
    const int count = snapshots_.Load(store, TKnobSnapshots::Section);
    for (int slot = 1; slot <= TKnobSnapshots::SlotCount; ++slot) ShowSnapshot(slot);
    return count;
}

std::string TKnobPanel::SaveKnobPresetChoice(TIniStore& store) {
    if (!presetsBuilt_) { // the menu would check the preset in use
        if (std::find(presetNames_.begin(), presetNames_.end(), knobPreset_) != presetNames_.end()) return knobPreset_;
    } else {
        for (const QAction* item : presetsItem->actions())
            if (item->isChecked()) return item->data().toString().toStdString();
    }
    // Knobs set up by hand come back at the next start as a preset of their own,
    // kept in the registry also when the settings go to an export file.
    if (store.IsRegistry()) {
        knobRow_->Save(store, KnobPresets::Section(KnobPresets::Current));
    } else if (auto registry = openSettings_()) {
        knobRow_->Save(*registry, KnobPresets::Section(KnobPresets::Current));
        registry->Close();
    }
    return KnobPresets::Current;
}
