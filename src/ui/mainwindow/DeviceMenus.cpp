#include "mainwindow/DeviceMenus.h"

#include "midi/MidiPortNames.h"
#include "widgets/PianoKeyboard.h"
#include "widgets/TonecastApplication.h"

#include <QAction>
#include <QMenuBar>

TDeviceMenus::TDeviceMenus(QMenuBar* bar, TInstrument& instrument, TMidiOutDriver& out, TMidiInDriver& in,
                           TPianoKeyboard* keyboard, const TProgramNames& names, TServices services)
    : QObject(bar), window_(bar->window()), services_(std::move(services)), program_(names.Program) {
    midiInItem = bar->addMenu("Midi &In");
    midiOutItem = bar->addMenu("Midi &Out");
    midiInMenu = new TMidiInMenu(instrument.Input(), in, this);
    midiOutMenu = new TMidiOutMenu(instrument.Output(), out, this);
    for (TMidiMenuBase* menu : {static_cast<TMidiMenuBase*>(midiInMenu), static_cast<TMidiMenuBase*>(midiOutMenu)}) {
        menu->DefaultMidiMapper = true;
        menu->RegPath = names.ComponentRegPath();
        menu->OpenRegistry = [names](const std::string& keyPath) { return names.OpenRegistryStore(keyPath); };
        menu->OnError = [this](TMidiMenuBase*, const std::string& text) { ShowError(text); };
        menu->OnTextMessage = [this](TMidiMenuBase*, const std::string& text) { services_.status(text); };
    }
    midiInMenu->SetOnMidiData([this, &instrument](TMidiInput*) { instrument.ReadInput(services_.thru()); });
    // Notes passed through end with their input, or they would hang.
    midiInMenu->OnBeforeClose = [keyboard](TMidiMenuBase*) {
        keyboard->State().ReleaseThruNotes();
        keyboard->State().ClearExternalMarks();
    };
    midiOutMenu->OnRefreshed = [this](TMidiMenuBase*) { SayIfNothingListens(); };
    midiOutMenu->OnBeforeClose = [keyboard](TMidiMenuBase*) {
        keyboard->State().ReleaseThruNotes();
        keyboard->ReleaseAll();
        keyboard->State().ClearExternalMarks();
    };
    // The window's key for what the hint offers: a note key with Ctrl plays nothing.
    auto* chooseSynth = new QAction(window_);
    chooseSynth->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    window_->addAction(chooseSynth);
    connect(chooseSynth, &QAction::triggered, this, &TDeviceMenus::ChooseBuiltInSynthesizer);
}

void TDeviceMenus::Start() {
    errorsInBox_ = true;
    midiInMenu->SetBaseMenu(midiInItem);
    midiOutMenu->SetBaseMenu(midiOutItem);
    midiInMenu->LoadFromRegPath();
    midiOutMenu->LoadFromRegPath();
    errorsInBox_ = false;
    started_ = true;
    SayIfNothingListens(); // after the start's own messages
}

void TDeviceMenus::SayIfNothingListens() {
    if (!started_) return;
    const std::string synth = BuiltInSynthesizerName;
    const std::string hint =
        "Nothing is connected to " + program_ + ". Connect a synthesizer to it, or choose Midi Out > " + synth + ".";
    // What is drawn fits the bar of a window of the default size, and ends with where to click.
    const std::string drawn = "Nothing is connected. For the " + synth + ", press Ctrl+B or click here.";
    const int listeners = midiOutMenu->Port().Listeners();
    if (listenerHint_.ShouldSay(listeners)) services_.offer(hint, drawn, [this] { ChooseBuiltInSynthesizer(); });
    else if (listeners > 0 && services_.statusText && services_.statusText() == hint) services_.status({}); // no longer true
}

void TDeviceMenus::ChooseBuiltInSynthesizer() {
    if (!midiOutMenu->SelectDeviceNamed(BuiltInSynthesizerName))
        services_.status(std::string("Midi Out has no ") + BuiltInSynthesizerName + ": no sound font was found.");
}

void TDeviceMenus::ShowError(const std::string& text) {
    if (errorsInBox_) TTonecastApplication::ShowMessage(window_, QString::fromStdString(text));
    else services_.status(text);
}
