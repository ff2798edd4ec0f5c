#pragma once
// The knob row of the main window with its Knobs menu: presets, snapshots and
// the knob editor. A knob turned plays its controller on the keyboard's channel.
#include "dialogs/KnobEditorDialog.h"
#include "instrument/Instrument.h"
#include "instrument/KnobSnapshots.h"
#include "store/IniStore.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class TKnobLabel;
class TKnobList;
class TKnobRow;
class TPianoKeyboard;
class TRotaryKnob;

class TKnobPanel : public QObject, private TInstrumentListener {
    Q_OBJECT
public:
    using TSettingsOpener = std::function<std::unique_ptr<TIniStore>()>;
    // The row goes on the form, the Knobs menu on the bar.
    TKnobPanel(QWidget* form, QMenuBar* bar, TInstrument& instrument, TPianoKeyboard* keyboard, TSettingsOpener openSettings);
    ~TKnobPanel() override;

    // The knob row and its templates: caption label, knob, value label.
    TKnobLabel* captionTemplate;
    TRotaryKnob* knobTemplate;
    TKnobLabel* valueTemplate;
    TKnobRow& KnobRow() { return *knobRow_; }
    QMenu* knobsItem;    // "&Knobs"
    QMenu* presetsItem;  // "&Presets"
    QAction* setUpKnobsItem; // "Set &up...": the knob editor
    std::array<QAction*, TKnobSnapshots::SlotCount> snapshotItems{}; // recall, F5..F12
    std::array<QAction*, TKnobSnapshots::SlotCount> defineItems{};   // Ctrl+F5..Ctrl+F12

    // The row between the given left edge and the form's right edge.
    void Layout(int left);
    void OpenKnobEditor();
    TKnobEditorDialog* KnobEditor() const { return knobEditor_; }
    // The knob row takes knobs of no preset, current preset "Current".
    void UseKnobs(const TKnobList& knobs);
    const std::string& KnobPreset() const { return knobPreset_; }
    void SetKnobPreset(const std::string& name) { knobPreset_ = name; }
    // Makes the named preset current and loads it (or the Volume knob for "Default").
    void SelectKnobPreset(const std::string& name);
    void SelectKnobPreset(TIniStore& root, const std::string& name);
    // Reads the stored presets' names again; the Presets menu shows them when it next opens.
    void RefreshPresetsMenu(TIniStore& root);
    // The Presets menu's items as it would show them now.
    QList<QAction*> PresetItems();
    // The checked preset's name, or "Current" with the knobs saved under it.
    std::string SaveKnobPresetChoice(TIniStore& store);

    TKnobSnapshots& Snapshots() { return snapshots_; }
    void DefineSnapshot(int slot);
    void RecallSnapshot(int slot);
    // The snapshots from a store, and the menu showing them.
    int LoadSnapshots(TIniStore& store);

private:
    // A controller sent or received: the knob of that controller follows, and
    // a visible knob editor hears of it.
    void MessageShown(const TShortMessage& m) override;

    void CreateKnobRow(QWidget* form);
    void CreateKnobsMenu(QMenuBar* bar);
    void ShowSnapshot(int slot);
    void BuildPresetsMenu();

    TInstrument& instrument_;
    TPianoKeyboard* keyboard_;
    TSettingsOpener openSettings_;
    QWidget* form_;
    std::unique_ptr<TKnobRow> knobRow_;
    QPointer<TKnobEditorDialog> knobEditor_;
    std::string knobPreset_ = "Default";
    std::vector<std::string> presetNames_;
    bool presetsBuilt_ = false;
    TKnobSnapshots snapshots_;
};
