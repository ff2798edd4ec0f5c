#include "SystemMidi.h"

#include "JackClient.h"
#include "JackMidiDriver.h"
#include "JackSynthHost.h"
#include "RtMidiDriver.h"

#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <cstdio>

namespace {

template <typename Driver>
void Forward(Driver& from, Driver& to) {
    from.OnPortsChanged = [&to] {
        if (to.OnPortsChanged) to.OnPortsChanged();
    };
}

void Announce(TMidiApi api, const std::string& clientName) {
    std::fprintf(stderr, "%s: MIDI system %s\n", clientName.c_str(), MidiApiName(api));
}

} // namespace

TMidiOutDriver& TSystemMidiOut::Real() {
    if (!real_) {
        const TMidiApi api = ChosenMidiApi();
        Announce(api, clientName_);
        if (api == TMidiApi::Alsa) real_ = std::make_unique<RtMidiOutDriver>(clientName_);
        else real_ = std::make_unique<JackMidiOutDriver>(jack_);
        Forward(*real_, static_cast<TMidiOutDriver&>(*this));
    }
    return *real_;
}

TMidiInDriver& TSystemMidiIn::Real() {
    if (!real_) {
        if (ChosenMidiApi() == TMidiApi::Alsa) real_ = std::make_unique<RtMidiInDriver>(clientName_);
        else real_ = std::make_unique<JackMidiInDriver>(jack_);
        Forward(*real_, static_cast<TMidiInDriver&>(*this));
    }
    return *real_;
}

std::shared_ptr<TJackClient> MakeJackClient(std::string clientName, TMailboxFactory mailboxes) {
    return std::make_shared<TJackClient>(std::move(clientName), std::move(mailboxes));
}

TSynthHostFactory SynthHostsOf(std::shared_ptr<TJackClient> jack) {
    return [jack]() -> std::unique_ptr<TSynthHost> {
        if (ChosenMidiApi() != TMidiApi::Jack) return nullptr;
        return std::make_unique<TJackSynthHost>(jack);
    };
}

std::string MidiSystemDescription() {
    return std::string("MIDI system: ") + MidiApiName(ChosenMidiApi()) + "\nRtMidi " + RtMidi::getVersion() +
           "\nJACK " + jack_get_version_string();
}
