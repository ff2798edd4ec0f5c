#pragma once
// The main window: lays out the menus, the status bar and the panels, wires
// them to the instrument, follows what the instrument tells, and keeps its settings.
#include "instrument/Instrument.h"
#include "instrument/MainWindowSettings.h"
#include "mainwindow/ChordPanel.h"
#include "mainwindow/DeviceMenus.h"
#include "mainwindow/ExportImportCommands.h"
#include "mainwindow/InstrumentForm.h"
#include "mainwindow/JoystickPolling.h"
#include "mainwindow/KnobPanel.h"
#include "mainwindow/ProgramPanel.h"
#include "mainwindow/SettingsLink.h"
#include "mainwindow/StatusPanels.h"
#include "mainwindow/StayOnTop.h"
#include "mainwindow/WindowKeys.h"

#include <QEvent>

#include <functional>
#include <memory>
#include <string>

class QAction;

class TMainWindow : public TInstrumentForm, private TInstrumentListener {
    Q_OBJECT
public:
    static constexpr QEvent::Type DeferredStartEvent = static_cast<QEvent::Type>(QEvent::User + 300);
    static constexpr int DeferredStartValue = 1324;

    // The window owns the device menus over the MIDI system it is given.
    // Without a joystick service the window offers no joysticks.
    TMainWindow(TProgramNames names, TMidiOutDriver& midiOut, TMidiInDriver& midiIn, JoystickDriver* joysticks = nullptr,
               QWidget* parent = nullptr);
    ~TMainWindow() override;

    void LoadSettings(TIniStore& store) override;
    void SaveSettings(TIniStore& store) override;

    enum class TStage { Created, Shown, Running, Closing };
    TStage Stage() const { return stage_; }
    bool FirstTime() const { return firstTime_; }
    TInstrument& Instrument() { return instrument_; }
    // What the About box says beyond name, version and maker: the MIDI system
    // and the libraries in use, one fact per line.
    std::function<std::string()> AboutDetails;
    void SetMouseWheelController(int code);

    // The parts the window lays out, menu by menu and panel by panel.
    TExportImportCommands& ExportImportCommands() { return *exportImport_; } // File
    TDeviceMenus& DeviceMenus() { return *deviceMenus_; }                   // Midi In, Midi Out
    TProgramPanel& ProgramPanel() { return *programPanel_; }                 // Patches, program, bank, Panic!
    TKnobPanel& KnobPanel() { return *knobPanel_; }                          // Knobs, the knob row
    TStayOnTop& StayOnTop() { return *stayOnTop_; }                          // Options
    TChordPanel& ChordPanel() { return *chordPanel_; }
    TSettingsLink& Settings() { return *settingsLink_; }
    TJoystickPolling& Joysticks() { return joysticks_; }
    QAction* midiThruItem;        // "Midi &Thru"
    QAction* keyLegendsItem;  // "&Key Legends"
    QAction* transposeItem;   // "T&ranspose..."
    QAction* chordEditorItem; // "Chord &Editor..."
    QAction* settingsItem;    // "&Settings..."
    TStatusPanels& StatusPanels() { return *statusPanels_; }
    void SetStatusText(TStatusPanel panel, const QString& text);
    QString StatusText(TStatusPanel panel = TStatusPanel::Message) const;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void FormShow();
    void DeferredStart();
    void FormClose();
    void CreateMenus(TMidiOutDriver& midiOut, TMidiInDriver& midiIn);
    // The settings without the knob snapshots: what an export file holds.
    void LoadWindowSettings(TIniStore& store);
    void SaveWindowSettings(TIniStore& store);
    // The window's values beyond the instrument form, as they stand.
    TMainWindowValues Values() const;
    TWindowKeys::TActions KeyActions();
    void ChordBoxClick(int index) override;
    // What the instrument tells the window: its wheels and keyboard follow,
    // and the status bar says what failed. The panels listen for themselves.
    void MessageShown(const TShortMessage& m) override;
    void NoteReceived(const TShortMessage& m) override;
    void SendFailed(const std::string& text) override;
    void ShowOctave();
    void LayoutControls() override;

    TInstrument instrument_; // before the menus, which open its ports
    TJoystickPolling joysticks_;
    // The parts the window lays out; the window owns them through Qt's parents.
    TProgramPanel* programPanel_ = nullptr;
    TKnobPanel* knobPanel_ = nullptr;
    TChordPanel* chordPanel_ = nullptr;
    TExportImportCommands* exportImport_ = nullptr;
    TStayOnTop* stayOnTop_ = nullptr;
    TDeviceMenus* deviceMenus_ = nullptr;
    TSettingsLink* settingsLink_ = nullptr;
    std::unique_ptr<TStatusPanels> statusPanels_;

    TStage stage_ = TStage::Created;
    bool shownOnce_ = false;
    bool closed_ = false;
    std::unique_ptr<TIniStore> settings_; // as read at start, until saved at close
    bool firstTime_ = true;
};
