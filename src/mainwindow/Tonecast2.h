#pragma once
// The main window: owns the MIDI devices, sends everything the instrument
// produces, mirrors sent and received messages, and keeps its settings.
#include "mainwindow/KnobSnapshots.h"
#include "mainwindow/Tonecast.h"
#include "midi/Midimenu.h"

#include <QEvent>

#include <array>
#include <memory>

class QAction;
class QScreen;
class QLabel;
class TErrForm;
class TGUIKnobList;
class TKnobLabel;
class TWheel;

class TTonecast2 : public TTonecast {
    Q_OBJECT
public:
    static constexpr QEvent::Type DeferredStartEvent = static_cast<QEvent::Type>(QEvent::User + 300);
    static constexpr int DeferredStartValue = 1324;

    // The window owns the device menus over the MIDI system it is given.
    TTonecast2(TProgramNames names, MidiOutDriver& midiOut, MidiInDriver& midiIn, QWidget* parent = nullptr);
    ~TTonecast2() override;

    // The one path to the output: send, then bring the window in line.
    void OutputMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void ReflectMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

    void LoadSettings(TIniStore& store) override;
    void SaveSettings(TIniStore& store) override;

    enum class TStage { Created, Shown, Running, Closing };
    TStage Stage() const { return stage_; }
    TMidiOutput& MidiOutput() { return MidiOutMenu1->Port(); }
    TMidiInput& MidiInput() { return MidiInMenu1->Port(); }

    TErrForm* ErrForm1; // the warnings window, hidden until a patch set has something to say
    TMidiInMenu* MidiInMenu1;
    TMidiOutMenu* MidiOutMenu1;
    QMenu* MidiInItem;  // "Midi &In"
    QMenu* MidiOutItem; // "Midi &Out"
    QAction* MidiThru;  // "Midi &Thru"

    // The knob row and its templates: caption label, knob, value label.
    TKnobLabel* LKnob1;
    TWheel* Wheel1;
    TKnobLabel* LKnobCap1;
    TGUIKnobList& KnobRow() { return *knobRow_; }
    QMenu* KnobsItem;    // "&Knobs"
    QMenu* PresetsItem;  // "&Presets"
    std::array<QAction*, TKnobSnapshots::SlotCount> SnapshotItems{}; // recall, F5..F12
    std::array<QAction*, TKnobSnapshots::SlotCount> DefineItems{};   // Ctrl+F5..Ctrl+F12
    const TKnobSnapshots& Snapshots() const { return snapshots_; }
    const std::string& KnobPreset() const { return knobPreset_; }
    // Makes the named preset current and loads it (or the Volume knob for "Default").
    void SelectKnobPreset(const std::string& name);
    void SelectKnobPreset(TIniStore& root, const std::string& name);
    // Rebuilds the Presets menu from the stored presets.
    void RefreshPresetsMenu(TIniStore& root);
    void DefineSnapshot(int slot);
    void RecallSnapshot(int slot);

    int Program() const { return program_; }
    int BankMsb() const { return bankMsb_; }
    int BankLsb() const { return bankLsb_; }
    bool FirstTime() const { return firstTime_; }

    // The five panels of the status bar: 0 messages, 1 note, 2 base note,
    // 3 octave, 4 patch group.
    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;
    int StatusPanelWidth(int panel) const;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TOpenMidiDevices openDevices_; // before the menus, whose ports use it
    void FormShow();
    void DeferredStart();
    void FormClose();
    void CreateMenus(MidiOutDriver& midiOut, MidiInDriver& midiIn);
    void CreateKnobRow();
    void CreateKnobsMenu();
    void LayoutKnobRow();
    void LoadKnobSettings(TIniStore& store);
    void SaveKnobSettings(TIniStore& store);
    void ShowSnapshot(int slot);
    void MidiInputData(TMidiInput* port);
    void ShowError(const std::string& text);
    void ShowOctave();
    void CreateStatusBar();
    void MeasureStatusPanels();
    void LayoutControls() override;
    // The window moved to another screen: its pictures follow the screen's depth.
    void ScreenChanged(QScreen* screen);

    std::array<QLabel*, 5> statusPanels_{};
    bool statusWidthsMeasured_ = false;

    bool errorsInBox_ = true; // while the remembered devices open
    TStage stage_ = TStage::Created;
    bool shownOnce_ = false;
    bool closed_ = false;

    std::uint8_t receivedBankLsb_ = 128;
    std::uint8_t receivedBankMsb_ = 128;
    int program_ = -1;
    int bankMsb_ = -1;
    int bankLsb_ = -1;
    bool firstTime_ = true;

    std::unique_ptr<TGUIKnobList> knobRow_;
    std::string knobPreset_ = "Default";
    std::vector<std::string> presetNames_;
    TKnobSnapshots snapshots_;
};
