// The main window's menus, their hints in the status bar, stay on top and help.
#include "mainwindow/MainWindow.h"

#include "dialogs/HelpBoxes.h"
#include "dialogs/WindowPlacement.h"
#include "mainwindow/StayOnTop.h"
#include "mainwindow/ProgramPanel.h"

#include "widgets/KnobRow.h"
#include "widgets/PianoKeyboard.h"
#include "store/ProgramNames.h"
#include "widgets/TonecastApplication.h"
#include "dialogs/SettingsDialog.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>
#include <QWindow>

void TMainWindow::CreateMenus(MidiOutDriver& midiOut, MidiInDriver& midiIn) {
    QMenu* file = menuBar()->addMenu("&File");
    file->addSeparator();
    file->addAction("E&xit", this, &QWidget::close);
    TDeviceMenus::TServices deviceServices;
    deviceServices.thru = [this] { return MidiThru->isChecked(); };
    deviceServices.error = [this](const std::string& text) { ShowError(text); };
    deviceServices.status = [this](const std::string& text) { SetStatusText(0, QString::fromStdString(text)); };
    deviceMenus_ = new TDeviceMenus(menuBar(), instrument_, midiOut, midiIn, Keyboard1, names_, std::move(deviceServices));
    TProgramPanel::TServices programServices;
    programServices.status = [this](int panel, const QString& text) { SetStatusText(panel, text); };
    programServices.openSettings = [this] { return names_.OpenRegistryStore(); };
    programPanel_ = new TProgramPanel(form_, menuBar(), instrument_, Keyboard1, std::move(programServices));
    chordPanel_ = new TChordPanel(CBChord, Keyboard1, keyTable_, instrument_, [this] { return names_.OpenRegistryStore(); });
    knobPanel_ = new TKnobPanel(form_, menuBar(), instrument_, Keyboard1, [this] { return names_.OpenRegistryStore(); });
    TExportImportCommands::TServices exportImportServices;
    exportImportServices.openSettings = [this] { return names_.OpenRegistryStore(); };
    exportImportServices.loadSettings = [this](TIniStore& store) { LoadWindowSettings(store); };
    exportImportServices.saveSettings = [this](TIniStore& store) { SaveWindowSettings(store); };
    exportImport_ = new TExportImportCommands(file, *knobPanel_, *chordPanel_, std::move(exportImportServices));
    QMenu* options = menuBar()->addMenu("Op&tions");
    const QString octaveHint = "Change the octave when play with the computer keyboard";
    QAction* down = options->addAction("Octave Down", this, [this] { Keyboard1->OctaveDown(); });
    down->setShortcut(Qt::Key_F3);
    down->setStatusTip(octaveHint);
    QAction* up = options->addAction("Octave Up", this, [this] { Keyboard1->OctaveUp(); });
    up->setShortcut(Qt::Key_F4);
    up->setStatusTip(octaveHint);
    options->addSeparator();
    stayOnTop_ = new TStayOnTop(this, options);
    MidiThru = options->addAction("Midi &Thru");
    MidiThru->setCheckable(true);
    connect(MidiThru, &QAction::toggled, this, [this](bool on) {
        if (!on) Keyboard1->ReleaseThruNotes();
    });
    TransposeItem = options->addAction("T&ranspose...", chordPanel_, &TChordPanel::OpenTranspose);
    TransposeItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    ChordEditorItem = options->addAction("Chord &Editor...", chordPanel_, &TChordPanel::OpenChordEditor);
    ChordEditorItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    SettingsItem = options->addAction("&Settings...", this, &TMainWindow::OpenSettings);
    SettingsItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("&Readme", this, [this] { ShowReadme(this); });
    help->addAction("&About", this, [this] { ShowAbout(this, names_.Program, AboutDetails ? AboutDetails() : std::string()); });

    // The keyboard listens to the computer keys only while no menu is open.
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, [this] { Keyboard1->SetCaptureKeyboard(false); });
        connect(menu, &QMenu::aboutToHide, this, [this] { Keyboard1->SetCaptureKeyboard(isActiveWindow()); });
    }
}

TSettingsDialog* TMainWindow::SettingsDialog() const { return settingsDialog_; }

void TMainWindow::OpenSettings() {
    if (!settingsDialog_) settingsDialog_ = new TSettingsDialog(this, SettingsValues(), SettingsActions());
    settingsDialog_->PageControl->setCurrentWidget(settingsDialog_->GeneralTab);
    PresentDialog(settingsDialog_.data());
}

TSettingsValues TMainWindow::SettingsValues() const {
    TSettingsValues v;
    v.keyWidthPosition = KeyWidthPosition();
    v.imagesAvailable = Keyboard1->ImagesAvailable();
    v.oldStyle = Keyboard1->PaintStyle() == TPaintStyle::psDraw;
    v.arrowsVisible = ArrowsVisible();
    v.language = Keyboard1->Language();
    v.upperCScanCode = Keyboard1->UpperCScanCode();
    v.lowerCScanCode = Keyboard1->LowerCScanCode();
    v.velocity = Keyboard1->State().Velocity();
    v.velocityShiftFactor = Keyboard1->State().VelocityShiftFactor();
    v.upDownController = Keyboard1->State().UpDownController();
    v.leftRightController = Keyboard1->State().LeftRightController();
    v.modulationController = ModulationController();
    v.mouseWheelController = instrument_.MouseWheelController();
    v.mouseWheelSensitivity = instrument_.MouseWheelSensitivity;
    v.joystickTable = instrument_.JoystickTable();
    return v;
}

TSettingsActions TMainWindow::SettingsActions() {
    TSettingsActions a;
    a.apply = [this](const TSettingsValues& v) {
        TKeyboardState& state = Keyboard1->State();
        state.SetUpDownController(v.upDownController);
        state.SetLeftRightController(v.leftRightController);
        Keyboard1->SetUpperCScanCode(v.upperCScanCode);
        Keyboard1->SetLowerCScanCode(v.lowerCScanCode);
        SetModulationController(v.modulationController);
        SetMouseWheelController(v.mouseWheelController);
        instrument_.MouseWheelSensitivity = v.mouseWheelSensitivity;
        instrument_.JoystickTable() = v.joystickTable;
        joysticks_.Apply();
        Keyboard1->SetLanguage(v.language);
        state.SetVelocityShiftFactor(v.velocityShiftFactor);
        state.SetVelocity(v.velocity);
    };
    a.keyWidth = [this](int position) { SetKeyWidthPosition(position); };
    a.oldStyle = [this](bool old) {
        Keyboard1->SetPaintStyle(old ? TPaintStyle::psDraw : TPaintStyle::psImage);
        UpdateFromKeyboard();
    };
    a.arrows = [this](bool visible) { SetArrowsVisible(visible); };
    return a;
}

// A menu's hint goes to the first panel, unless a control holds the mouse:
// a knob or wheel being dragged keeps its own text there.
bool TMainWindow::ShowHint(const QString& hint) {
    if (QWidget::mouseGrabber() || QApplication::mouseButtons() != Qt::NoButton) return false;
    SetStatusText(0, hint);
    return true;
}

