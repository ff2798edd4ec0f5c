#include "midi/MidiOutput.h"

TMidiOutput::TMidiOutput(TMidiOutDriver& driver, TOpenMidiDevices& openDevices)
    : driver_(driver), openDevices_(openDevices) {}

TMidiOutput::~TMidiOutput() {
    try {
        Close();
    } catch (const EMidiError&) {
        // A destructor cannot report; the port is gone either way.
    }
}

void TMidiOutput::SetDeviceID(std::int32_t id) {
    if (port_) throw EMidiError("Change to DeviceID while device was open");
    deviceId_ = NoMidiDevice;
    device_ = {};
    if (id == OwnPortDevice) {
        const auto own = driver_.OwnPort();
        if (!own) throw EMidiError(MidiFailure::NoSystem);
        device_ = *own;
    } else if (id >= 0 && id != NoMidiDevice) {
        const auto ports = driver_.Ports();
        if (static_cast<std::size_t>(id) >= ports.size()) return;
        device_ = ports[static_cast<std::size_t>(id)];
    } else {
        return;
    }
    deviceId_ = id;
}

bool TMidiOutput::Open() {
    if (deviceId_ == NoMidiDevice || port_) return static_cast<bool>(port_);
    RefuseFeedback(openDevices_, TMidiDeviceKind::Input, device_.name);
    port_ = driver_.Open(device_);
    port_->OnFailed = [this](const std::string& why) {
        if (OnFailed) OnFailed(why);
    };
    openDevices_.Add(TMidiDeviceKind::Output, device_.name);
    return true;
}

bool TMidiOutput::Close() {
    std::unique_ptr<TMidiOutPort> port = std::move(port_);
    openDevices_.Remove(TMidiDeviceKind::Output, device_.name);
    if (port) port->Silence(); // the port closes as it goes, even when this raises
    return true;
}

void TMidiOutput::SendShortMsg(const TShortMessage& message) {
    if (port_) port_->Send(message);
}
