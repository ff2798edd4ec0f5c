#pragma once
// The main window: lays out the menus, the status bar and the panels, wires
// them to the instrument, follows what the instrument tells, and keeps its settings.
#include "instrument/ChordList.h"
#include "instrument/ControllerInputs.h"
#include "instrument/ExportImport.h"
#include "instrument/KnobSnapshots.h"
#include "instrument/MainWindowSettings.h"
#include "instrument/Instrument.h"
#include "mainwindow/InstrumentForm.h"
#include "mainwindow/MidiDeviceMenu.h"
#include "mainwindow/ChordPanel.h"
#include "mainwindow/DeviceMenus.h"
#include "mainwindow/ExportImportCommands.h"
#include "mainwindow/JoystickPolling.h"
#include "mainwindow/KnobPanel.h"
#include "mainwindow/ProgramPanel.h"
#include "mainwindow/StatusPanels.h"
#include "mainwindow/StayOnTop.h"
#include "instrument/JoystickDriver.h"

#include <QEvent>
#include <QPalette>
#include <QPixmap>
#include <QPointer>

#include <array>
#include <memory>

class QAction;
class QScreen;
class QLabel;
class QTimer;
class TSettingsDialog;
class TJoystick;
class QComboBox;
class QKeyEvent;
class QLineEdit;

class TMainWindow : public TInstrumentForm, private TInstrumentListener {
    Q_OBJECT
public:
    static constexpr QEvent::Type DeferredStartEvent = static_cast<QEvent::Type>(QEvent::User + 300);
    static constexpr int DeferredStartValue = 1324;

    // The window owns the device menus over the MIDI system it is given.
    // Without a joystick service the window offers no joysticks.
    TMainWindow(TProgramNames names, MidiOutDriver& midiOut, MidiInDriver& midiIn, JoystickDriver* joysticks = nullptr,
               QWidget* parent = nullptr);
    ~TMainWindow() override;


    void LoadSettings(TIniStore& store) override;
    void SaveSettings(TIniStore& store) override;

    enum class TStage { Created, Shown, Running, Closing };
    TStage Stage() const { return stage_; }
    TMidiOutput& MidiOutput() { return instrument_.Output(); }
    TMidiInput& MidiInput() { return instrument_.Input(); }
    TInstrument& Instrument() { return instrument_; }
    // Program, bank and patch: by number in the three fields, by name in the
    // patch combo and the Patches menu; Panic!.
    TProgramPanel& ProgramPanel() { return *programPanel_; }

    TDeviceMenus& DeviceMenus() { return *deviceMenus_; } // "Midi &In", "Midi &Out"
    QAction* MidiThru;  // "Midi &Thru"
    QAction* SettingsItem;  // "&Settings..."
    // The File menu's export and import.
    TExportImportCommands& ExportImportCommands() { return *exportImport_; }
    TStayOnTop& StayOnTop() { return *stayOnTop_; } // "Stay &on Top"
    // What the About box says beyond name, version and maker: the MIDI system
    // and the libraries in use, one fact per line.
    std::function<std::string()> AboutDetails;
    // Creates the settings dialog once, on its "General" page, and shows it.
    void OpenSettings();
    TSettingsDialog* SettingsDialog() const;
    TSettingsValues SettingsValues() const;

    // The knob row with its presets, snapshots and editor.
    TKnobPanel& KnobPanel() { return *knobPanel_; }

    // The mouse wheel and two joysticks as controllers.
    void SetMouseWheelController(int code);
    TJoystickPolling& Joysticks() { return joysticks_; }

    QAction* TransposeItem;   // "T&ranspose..."
    QAction* ChordEditorItem; // "Chord &Editor..."
    // The custom chords, the chord editor and the transpose dialog.
    TChordPanel& ChordPanel() { return *chordPanel_; }
    bool FirstTime() const { return firstTime_; }

    // The five panels of the status bar: 0 messages, 1 note, 2 base note,
    // 3 octave, 4 patch group.
    TStatusPanels& StatusPanels() { return *statusPanels_; }
    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TInstrument instrument_; // before the menus, which open its ports
    TProgramPanel* programPanel_ = nullptr;
    TKnobPanel* knobPanel_ = nullptr;
    TChordPanel* chordPanel_ = nullptr;
    TExportImportCommands* exportImport_ = nullptr;
    TStayOnTop* stayOnTop_ = nullptr;
    TDeviceMenus* deviceMenus_ = nullptr;
    void FormShow();
    void DeferredStart();
    void FormClose();
    void CreateMenus(MidiOutDriver& midiOut, MidiInDriver& midiIn);
    void LayoutKnobRow();
    // The settings without the knob snapshots: what an export file holds.
    void LoadWindowSettings(TIniStore& store);
    void SaveWindowSettings(TIniStore& store);
    // The window's values beyond the instrument form, as they stand.
    TMainWindowValues Values() const;
    TSettingsActions SettingsActions();
    // A hint for the first status panel; false while a control holds the mouse.
    bool ShowHint(const QString& hint);
    // The keys the window answers itself; the focused control gets them too.
    void FormKeyDown(const QKeyEvent& key);
    // Whether a wheel turned over this widget moves the window's wheel controller.
    bool WheelBelongsToWindow(QWidget* widget) const;
    void CBChordClick(int index) override;
    // What the instrument tells: the controls follow it.
    void MessageShown(const TShortMessage& m) override;
    void MessagePlayed(const TShortMessage& m) override;
    void ThruReceived(const TShortMessage& m) override;
    void NoteReceived(const TShortMessage& m) override;
    void ProgramBankChanged() override;
    void SendFailed(const std::string& text) override;
    void ShowError(const std::string& text);
    void ShowOctave();
    void LayoutControls() override;

    std::unique_ptr<TStatusPanels> statusPanels_;

    bool errorsInBox_ = true; // while the remembered devices open
    TStage stage_ = TStage::Created;
    bool shownOnce_ = false;
    bool closed_ = false;

    std::unique_ptr<TIniStore> settings_; // as read at start, until saved at close
    QPointer<TSettingsDialog> settingsDialog_;
    TJoystickPolling joysticks_;
    bool firstTime_ = true;

};
