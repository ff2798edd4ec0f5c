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

void TMainWindow::CreateMenus(TMidiOutDriver& midiOut, TMidiInDriver& midiIn) {
    QMenu* file = menuBar()->addMenu("&File");
    file->addSeparator();
    file->addAction("E&xit", this, &QWidget::close);
    TDeviceMenus::TServices deviceServices;
    deviceServices.thru = [this] { return midiThruItem->isChecked(); };
    deviceServices.status = [this](const std::string& text) { SetStatusText(TStatusPanel::Message, QString::fromStdString(text)); };
    deviceServices.statusText = [this] { return StatusText().toStdString(); };
    deviceServices.offer = [this](const std::string& whole, const std::string& drawn, std::function<void()> act) {
        statusPanels_->Offer(QString::fromStdString(whole), QString::fromStdString(drawn), std::move(act));
    };
    deviceMenus_ = new TDeviceMenus(menuBar(), instrument_, midiOut, midiIn, keyboard, names_, std::move(deviceServices));
    TProgramPanel::TServices programServices;
    programServices.status = [this](TStatusPanel panel, const QString& text) { SetStatusText(panel, text); };
    programServices.openSettings = [this] { return names_.OpenRegistryStore(); };
    programPanel_ = new TProgramPanel(form_, menuBar(), instrument_, keyboard, std::move(programServices));
    chordPanel_ = new TChordPanel(chordBox, keyboard, keyTable_, instrument_, [this] { return names_.OpenRegistryStore(); });
    knobPanel_ = new TKnobPanel(form_, menuBar(), instrument_, keyboard, [this] { return names_.OpenRegistryStore(); });
    TExportImportCommands::TServices exportImportServices;
    exportImportServices.openSettings = [this] { return names_.OpenRegistryStore(); };
    exportImportServices.loadSettings = [this](TIniStore& store) { LoadWindowSettings(store); };
    exportImportServices.saveSettings = [this](TIniStore& store) { SaveWindowSettings(store); };
    exportImport_ = new TExportImportCommands(file, *knobPanel_, *chordPanel_, std::move(exportImportServices));
    settingsLink_ = new TSettingsLink(*this, instrument_, joysticks_, [this](int code) { SetMouseWheelController(code); });
    QMenu* options = menuBar()->addMenu("Op&tions");
    const QString octaveHint = "Change the octave when play with the computer keyboard";
    QAction* down = options->addAction("Octave Down", this, [this] { keyboard->OctaveDown(); });
    down->setShortcut(Qt::Key_F3);
    down->setStatusTip(octaveHint);
    QAction* up = options->addAction("Octave Up", this, [this] { keyboard->OctaveUp(); });
    up->setShortcut(Qt::Key_F4);
    up->setStatusTip(octaveHint);
    options->addSeparator();
    stayOnTop_ = new TStayOnTop(this, options);
    midiThruItem = options->addAction("Midi &Thru");
    midiThruItem->setCheckable(true);
    connect(midiThruItem, &QAction::toggled, this, [this](bool on) {
        if (!on) keyboard->State().ReleaseThruNotes();
    });
    keyLegendsItem = options->addAction("&Key Legends");
    keyLegendsItem->setCheckable(true);
    keyLegendsItem->setStatusTip("Show on the piano keys which computer keys play them");
    connect(keyLegendsItem, &QAction::toggled, this, [this](bool on) { keyboard->SetShowKeyLegends(on); });
    transposeItem = options->addAction("T&ranspose...", chordPanel_, &TChordPanel::OpenTranspose);
    transposeItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    chordEditorItem = options->addAction("Chord &Editor...", chordPanel_, &TChordPanel::OpenChordEditor);
    chordEditorItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    settingsItem = options->addAction("&Settings...", settingsLink_, &TSettingsLink::Open);
    settingsItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("&Readme", this, [this] { ShowReadme(this); });
    help->addAction("&About", this, [this] { ShowAbout(this, names_.Program, AboutDetails ? AboutDetails() : std::string()); });

    // The keyboard listens to the computer keys only while no menu is open.
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, [this] { keyboard->SetCaptureKeyboard(false); });
        connect(menu, &QMenu::aboutToHide, this, [this] { keyboard->SetCaptureKeyboard(isActiveWindow()); });
    }
}

