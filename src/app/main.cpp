#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "widgets/QtMailbox.h"
#include "widgets/QtServices.h"
#include "widgets/Bitmaps.h"
#include "widgets/PianoKeyboard.h"
#include "JoystickModule.h"
#include "SynthMidiOut.h"
#include "SystemMidi.h"
#include "XkbKeyLayout.h"

#include <QIcon>

int main(int argc, char** argv) {
    const TProgramNames names = TProgramNames::ForExecutable(argc > 0 ? argv[0] : "tonecast");
    TTonecastApplication app(argc, argv);
    app.setApplicationName(QString::fromStdString(names.Program));
    app.setDesktopFileName("tonecast");
    QIcon icon;
    // As pixmaps: QIcon::addFile would load every image plugin to ask for the format.
    for (const char* size : {"64", "256"}) icon.addPixmap(LoadBitmap(QString("ICON") + size));
    app.setWindowIcon(icon);
    UseDetectableAutoRepeat();

    // Chosen and contacted on first use, once the window is on screen.
    const auto jack = MakeJackClient(names.Program, QtMailboxes());
    TSystemMidiOut systemOut(names.Program, jack);
    // The synthesizer starts only when chosen.
    TMidiOutWithSynth midiOut(systemOut, FindSoundFont(), TBuiltInSynth::TOutput::Audio, QtMailboxes(),
                              SynthHostsOf(jack));
    TSystemMidiIn midiIn(names.Program, jack);
    TJoystickModule joysticks; // SDL is loaded only when a joystick is enabled
    // Asked only when key legends are shown.
    const auto keyLayout = TXkbKeyLayout::OfDisplay();
    TMainWindow mainWindow(names, midiOut, midiIn, &joysticks);
    mainWindow.keyboard->SetKeyLayout(keyLayout.get());
    mainWindow.AboutDetails = [] { return MidiSystemDescription() + "\n" + TJoystickModule::VersionText(); };
    OnTerminationSignal([&mainWindow] { mainWindow.close(); });
    mainWindow.show();
    return app.exec();
}
