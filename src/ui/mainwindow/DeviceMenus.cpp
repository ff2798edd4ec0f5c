#include "mainwindow/DeviceMenus.h"

#include "widgets/PianoKeyboard.h"

#include <QMenuBar>

TDeviceMenus::TDeviceMenus(QMenuBar* bar, TInstrument& instrument, MidiOutDriver& out, MidiInDriver& in,
                           TPianoKeyboard* keyboard, const TProgramNames& names, TServices services)
    : QObject(bar) {
    MidiInItem = bar->addMenu("Midi &In");
    MidiOutItem = bar->addMenu("Midi &Out");
    MidiInMenu1 = new TMidiInMenu(instrument.Input(), in, this);
    MidiOutMenu1 = new TMidiOutMenu(instrument.Output(), out, this);
    for (TMidiMenuBase* menu : {static_cast<TMidiMenuBase*>(MidiInMenu1), static_cast<TMidiMenuBase*>(MidiOutMenu1)}) {
        menu->DefaultMidiMapper = true;
        menu->RegPath = names.ComponentRegPath();
        menu->OpenRegistry = [names](const std::string& keyPath) { return names.OpenRegistryStore(keyPath); };
        menu->OnError = [error = services.error](TMidiMenuBase*, const std::string& text) { error(text); };
        menu->OnTextMessage = [status = services.status](TMidiMenuBase*, const std::string& text) { status(text); };
    }
    MidiInMenu1->SetOnMidiData([&instrument, thru = services.thru](TMidiInput*) { instrument.ReadInput(thru()); });
    // Notes passed through end with their input, or they would hang.
    MidiInMenu1->OnBeforeClose = [keyboard](TMidiMenuBase*) {
        keyboard->ReleaseThruNotes();
        keyboard->ClearExternalMarks();
    };
    MidiOutMenu1->OnBeforeClose = [keyboard](TMidiMenuBase*) {
        keyboard->ReleaseThruNotes();
        keyboard->ReleaseAll();
        keyboard->ClearExternalMarks();
    };
}

void TDeviceMenus::Start() {
    MidiInMenu1->SetBaseMenu(MidiInItem);
    MidiOutMenu1->SetBaseMenu(MidiOutItem);
    MidiInMenu1->LoadFromRegPath();
    MidiOutMenu1->LoadFromRegPath();
}
