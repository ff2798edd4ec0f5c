#include "keyboard/KeyboardHook.h"
#include "mainwindow/FormPlacement.h"
#include "mainwindow/ProgramNames.h"
#include "mainwindow/Tonecast2.h"
#include "mainwindow/TonecastApplication.h"
#include "mainwindow/UErrForm.h"
#include "platform/QtMessageWindow.h"
#include "platform/QtServices.h"
#include "platform/SystemMidi.h"

int main(int argc, char** argv) {
    InitProgramNames(argc > 0 ? argv[0] : "tonecast");
    TTonecastApplication app(argc, argv);
    app.setApplicationName(QString::fromStdString(ProgramName()));

    TSystemMidiOut midiOut(ProgramName());
    TSystemMidiIn midiIn(ProgramName());
    SetMidiOutSystem(&midiOut);
    SetMidiInSystem(&midiIn);
    UseQtMessageWindows();
    UseDetectableAutoRepeat();

    int result;
    {
        TTonecast2 mainWindow;
        SetApplicationMainWindow(&mainWindow);
        TErrForm errForm(&mainWindow);
        errForm.hide();
        SetErrForm(&errForm);
        OnTerminationSignal([&mainWindow] { mainWindow.close(); });
        mainWindow.show();
        result = app.exec();
        SetErrForm(nullptr);
    }
    SetMidiOutSystem(nullptr);
    SetMidiInSystem(nullptr);
    return result;
}
