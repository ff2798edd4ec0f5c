#pragma once
// The "Midi In" and "Midi Out" menus over the instrument's ports: what is
// received is read by the instrument, and notes end with the port that carried them.
#include "instrument/Instrument.h"
#include "midi/ListenerHint.h"
#include "mainwindow/MidiDeviceMenu.h"
#include "store/ProgramNames.h"

#include <QObject>

#include <functional>
#include <string>

class QMenu;
class QMenuBar;
class TPianoKeyboard;

class TDeviceMenus : public QObject {
    Q_OBJECT
public:
    struct TServices {
        std::function<bool()> thru; // Options > Midi Thru
        std::function<void(const std::string&)> status;
        std::function<std::string()> statusText;
        // The message panel offers an action: the whole text, its short drawn form, what a click does.
        std::function<void(const std::string&, const std::string&, std::function<void()>)> offer;
    };
    TDeviceMenus(QMenuBar* bar, TInstrument& instrument, TMidiOutDriver& out, TMidiInDriver& in, TPianoKeyboard* keyboard,
                 const TProgramNames& names, TServices services);

    QMenu* midiInItem;  // "Midi &In"
    QMenu* midiOutItem; // "Midi &Out"
    TMidiInMenu* midiInMenu;
    TMidiOutMenu* midiOutMenu;

    // The MIDI system is first asked for its devices here: the menus fill and
    // the remembered devices open. Until then a failure is told in a box, later
    // in the status bar.
    void Start();
    // Midi Out > "Built-in Synthesizer", as the hint offers it (Ctrl+B).
    void ChooseBuiltInSynthesizer();

private:
    void ShowError(const std::string& text);
    // The program's own port waiting for a listener is a common cause of silence.
    void SayIfNothingListens();

    QWidget* window_;
    TServices services_;
    std::string program_;
    TListenerHint listenerHint_;
    bool started_ = false;
    bool errorsInBox_ = true;
};
