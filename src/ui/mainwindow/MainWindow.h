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
#include "mainwindow/ExportImportCommands.h"
#include "mainwindow/KnobPanel.h"
#include "mainwindow/ProgramPanel.h"
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
class TElidingLabel;
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

    TMidiInMenu* MidiInMenu1;
    TMidiOutMenu* MidiOutMenu1;
    QMenu* MidiInItem;  // "Midi &In"
    QMenu* MidiOutItem; // "Midi &Out"
    QAction* MidiThru;  // "Midi &Thru"
    QAction* StayOnTopItem; // "Stay &on Top"
    QAction* SettingsItem;  // "&Settings..."
    // The File menu's export and import.
    TExportImportCommands& ExportImportCommands() { return *exportImport_; }
    void SetStayOnTop(bool on);
    // What the About box says beyond name, version and maker: the MIDI system
    // and the libraries in use, one fact per line.
    std::function<std::string()> AboutDetails;
    // Creates the settings dialog once, on its "General" page, and shows it.
    void OpenSettings();
    TSettingsDialog* SettingsDialog() const;
    TSettingsValues SettingsValues() const;
    void ShowReadme();
    void ShowAbout();
    static QString ReadmePath();
    // The export and import dialogs' "don't show" and "overwrite" choices.

    // The knob row with its presets, snapshots and editor.
    TKnobPanel& KnobPanel() { return *knobPanel_; }

    // The mouse wheel and two joysticks as controllers.
    TJoystick* Joystick1; // device 0
    TJoystick* Joystick2; // device 1
    int MouseWheelController() const { return mouseWheelController_; }
    void SetMouseWheelController(int code);
    int MouseWheelValue() const { return mouseWheelValue_; }
    int MouseWheelSensitivity = 4;
    TJoystickTable& JoystickTable() { return joystickTable_; }
    // Each joystick watched exactly while its half of the table maps something.
    void ApplyJoystickSetup();

    QAction* TransposeItem;   // "T&ranspose..."
    QAction* ChordEditorItem; // "Chord &Editor..."
    // The custom chords, the chord editor and the transpose dialog.
    TChordPanel& ChordPanel() { return *chordPanel_; }
    bool FirstTime() const { return firstTime_; }

    // The five panels of the status bar: 0 messages, 1 note, 2 base note,
    // 3 octave, 4 patch group.
    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;
    int StatusPanelWidth(int panel) const;

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
    void FormShow();
    void DeferredStart();
    void FormClose();
    void CreateMenus(MidiOutDriver& midiOut, MidiInDriver& midiIn);
    void CreateJoysticks();
    void JoystickXYMove(TJoystick* sender, int x, int y, unsigned buttons);
    void JoystickZMove(TJoystick* sender, int z, unsigned buttons);
    void LayoutKnobRow();
    // The settings without the knob snapshots: what an export file holds.
    void LoadWindowSettings(TIniStore& store);
    void SaveWindowSettings(TIniStore& store);
    // The window's values beyond the instrument form, as they stand.
    TMainWindowValues Values() const;
    TSettingsActions SettingsActions();
    void ApplyStayOnTop();
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
    void CreateStatusBar();
    void MeasureStatusPanels();
    void LayoutControls() override;
    // The window moved to another screen: its pictures follow the screen's depth.
    void ScreenChanged(QScreen* screen);
    // The background tile for a colour depth; reloaded when the depth crosses 8 bits.
    void LoadBackground(int depth);
    void PaintBackground(const QRect& area);
    QPixmap background_;
    int backgroundDepth_ = 0;

    std::array<QLabel*, 5> statusPanels_{};
    TElidingLabel* statusMessage_ = nullptr; // panel 0
    bool statusWidthsMeasured_ = false;

    bool errorsInBox_ = true; // while the remembered devices open
    TStage stage_ = TStage::Created;
    bool shownOnce_ = false;
    bool closed_ = false;

    std::unique_ptr<TIniStore> settings_; // as read at start, until saved at close
    bool applicationActive_ = false;
    QPointer<TSettingsDialog> settingsDialog_;
    NoJoystickDriver noJoysticks_;
    JoystickDriver& joystickDriver_;
    int mouseWheelController_ = 1;
    int mouseWheelValue_ = 0;
    TJoystickTable joystickTable_;
    TJoystickMapper joystickMapper_;
    bool firstTime_ = true;

};
