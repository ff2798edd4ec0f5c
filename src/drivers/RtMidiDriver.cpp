#include "RtMidiDriver.h"

#include "midi/MidiPortNames.h"
#include "SoundingNotes.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>


bool AlsaSequencerOpens() {
    try {
        RtMidiOut probe(RtMidi::LINUX_ALSA, "Tonecast probe");
        return true;
    } catch (const RtMidiError&) {
        return false;
    }
}

namespace {

// Warnings go to stderr by default; the ports report through result codes instead.
void QuietErrors(RtMidiError::Type, const std::string&, void* lastError) {
    *static_cast<bool*>(lastError) = true;
}

// Other programs' ports, shown without ALSA's numbers and told apart where names repeat.
std::vector<TMidiPortInfo> ForeignPortsOf(RtMidi* probe, const std::string& clientName) {
    std::vector<TMidiPortInfo> ports;
    if (!probe) return ports;
    bool failed = false;
    probe->setErrorCallback(QuietErrors, &failed);
    std::vector<std::string> names;
    const unsigned count = probe->getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        std::string name = probe->getPortName(i);
        if (name.empty() || IsOwnPortName(name, clientName)) continue;
        names.push_back(WithoutPortNumbers(name));
        ports.push_back({"", name});
    }
    names = DistinctNames(std::move(names));
    for (std::size_t i = 0; i < ports.size(); ++i) ports[i].name = names[i];
    return ports;
}

// RtMidi's number of the port of that identity now; raises when it is gone.
unsigned PortNumber(RtMidi& client, const TMidiPortInfo& port) {
    const unsigned count = client.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        if (client.getPortName(i) == port.id) return i;
    throw EMidiError(MidiFailure::NoSuchPort);
}

} // namespace

TMidiApi ChosenMidiApi() {
    static const TMidiApi api = [] {
        const char* forced = std::getenv("TONECAST_MIDI_API");
        if (forced && std::strcmp(forced, "alsa") == 0) return TMidiApi::Alsa;
        if (forced && std::strcmp(forced, "jack") == 0) return TMidiApi::Jack;
        std::vector<RtMidi::Api> compiled;
        RtMidi::getCompiledApi(compiled);
        auto has = [&](RtMidi::Api a) {
            for (auto c : compiled)
                if (c == a) return true;
            return false;
        };
        if (has(RtMidi::LINUX_ALSA) && AlsaSequencerOpens()) return TMidiApi::Alsa;
        return TMidiApi::Jack; // our own JACK backend is always there
    }();
    return api;
}

const char* MidiApiName(TMidiApi api) {
    switch (api) {
    case TMidiApi::Alsa: return "ALSA";
    case TMidiApi::Jack: break;
    }
    return "JACK";
}

namespace {

class TRtOutPort final : public TWrittenOutPort {
public:
    explicit TRtOutPort(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
        out_->setErrorCallback(QuietErrors, &failed_);
    }
    bool Failed() const { return failed_; }
    RtMidiOut& Out() { return *out_; }

private:
    void Write(const TShortMessage& m) override {
        const unsigned char bytes[3] = {m.status, m.data1, m.data2};
        failed_ = false;
        try {
            out_->sendMessage(bytes, static_cast<std::size_t>(ShortMessage::Length(m.status)));
        } catch (const RtMidiError&) {
            failed_ = true;
        }
        if (failed_) throw EMidiError(MidiFailure::Refused);
    }

    std::unique_ptr<RtMidiOut> out_; // RtMidi closes the port and its client with the object
    bool failed_ = false;            // set by RtMidi's error callback
};

std::unique_ptr<RtMidiOut> NewOutClient(const std::string& name) {
    try {
        return std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, name);
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

} // namespace

RtMidiOutDriver::RtMidiOutDriver(std::string clientName) : clientName_(std::move(clientName)) {
    // The lister has a client name of its own, kept apart from the ports' client.
    probe_ = NewOutClient(clientName_ + ListerClientSuffix);
}

RtMidiOutDriver::~RtMidiOutDriver() = default;

std::vector<TMidiPortInfo> RtMidiOutDriver::Ports() { return ForeignPortsOf(probe_.get(), clientName_); }

std::optional<TMidiPortInfo> RtMidiOutDriver::OwnPort() {
    if (!SystemAnswers()) return std::nullopt;
    return TMidiPortInfo{clientName_, ""};
}

bool RtMidiOutDriver::SystemAnswers() {
    if (!probe_) return false;
    bool failed = false;
    probe_->setErrorCallback(QuietErrors, &failed);
    probe_->getPortCount(); // reports through the error callback when the sequencer is gone
    return !failed;
}

std::unique_ptr<TMidiOutPort> RtMidiOutDriver::Open(const TMidiPortInfo& info) {
    if (!SystemAnswers()) throw EMidiError(MidiFailure::NoSystem);
    std::unique_ptr<RtMidiOut> out = NewOutClient(clientName_);
    if (!out) throw EMidiError(MidiFailure::NoSystem);
    auto port = std::make_unique<TRtOutPort>(std::move(out));
    try {
        if (info.id.empty()) port->Out().openVirtualPort(clientName_);
        else port->Out().openPort(PortNumber(*probe_, info), clientName_);
    } catch (const RtMidiError&) {
        throw EMidiError(MidiFailure::NotEnabled);
    }
    if (port->Failed()) throw EMidiError(MidiFailure::NotEnabled);
    return port;
}

// --- input --------------------------------------------------------------------

namespace {

class TRtInPort final : public TMidiInPort {
public:
    explicit TRtInPort(TMidiReceiver& receiver) : receiver_(receiver) {}
    ~TRtInPort() override {
        {
            std::lock_guard guard(delivering_);
            closing_ = true;
        }
        // RtMidi's thread may be entering the callback even now; closing the
        // port joins that thread, so nothing of the port is in use afterwards.
        in_->closePort();
        in_->cancelCallback();
    }

    void Open(const std::string& clientName, unsigned number) {
        // A client name of its own keeps the output's name free for the program's own port.
        in_ = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName + InputClientSuffix, 1024);
        in_->setErrorCallback(QuietErrors, &failed_);
        in_->ignoreTypes(false, false, false); // the receiver decides what passes
        in_->setCallback(&TRtInPort::Received, this);
        in_->openPort(number, clientName);
    }
    bool Failed() const { return failed_; }

private:
    // RtMidi's thread: one whole message.
    static void Received(double, std::vector<unsigned char>* message, void* self) {
        auto* port = static_cast<TRtInPort*>(self);
        if (!message) return;
        std::lock_guard guard(port->delivering_);
        if (!port->closing_) port->receiver_.Receive(message->data(), message->size(), TMidiClock::now());
    }

    TMidiReceiver& receiver_;
    bool failed_ = false;
    // Held by RtMidi's thread while it delivers; closing takes it, so no
    // delivery is in progress once closing is set.
    std::mutex delivering_;
    bool closing_ = false;
    std::unique_ptr<RtMidiIn> in_;
};

} // namespace

RtMidiInDriver::RtMidiInDriver(std::string clientName) : clientName_(std::move(clientName)) {
    try {
        probe_ = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName_ + ListerClientSuffix);
    } catch (const RtMidiError&) {
    }
}

RtMidiInDriver::~RtMidiInDriver() = default;

std::vector<TMidiPortInfo> RtMidiInDriver::Ports() { return ForeignPortsOf(probe_.get(), clientName_); }

std::unique_ptr<TMidiInPort> RtMidiInDriver::Open(const TMidiPortInfo& info, TMidiReceiver& receiver) {
    if (!probe_) throw EMidiError(MidiFailure::NoSystem);
    const unsigned number = PortNumber(*probe_, info);
    auto port = std::make_unique<TRtInPort>(receiver);
    try {
        port->Open(clientName_, number);
    } catch (const RtMidiError&) {
        throw EMidiError(MidiFailure::NotEnabled);
    }
    if (port->Failed()) throw EMidiError(MidiFailure::NotEnabled);
    return port;
}
