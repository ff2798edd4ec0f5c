#include "midi/MidiOutput.h"

#include "midi/ShortMessage.h"

TMidiOutput::TMidiOutput(MidiOutDriver& driver, TOpenMidiDevices& openDevices)
    : driver_(driver), openDevices_(openDevices) {
    SetDeviceID(NoMidiDevice);
}

TMidiOutput::~TMidiOutput() {
    if (!closed_) {
        try {
            Close();
        } catch (const EMidiOutputError&) {
            // A destructor cannot report; the handle is gone with the port either way.
        }
    }
}

EMidiOutputError TMidiOutput::ErrorFrom(MMRESULT code) const {
    return EMidiOutputError(MidiResultText(driver_, code), code);
}

void TMidiOutput::SetDeviceID(std::int32_t id) {
    if (!closed_) throw EMidiOutputError("Change to DeviceID while device was open");
    if (id == NoMidiDevice || (id != MIDI_MAPPER && id >= static_cast<std::int64_t>(driver_.GetNumDevs()))) {
        deviceId_ = NoMidiDevice;
        deviceName_.clear();
        return;
    }
    deviceId_ = id;
    std::string name;
    MMRESULT r = driver_.GetDevCaps(id, name);
    if (r != MMSYSERR_NOERROR) throw ErrorFrom(r);
    deviceName_ = name;
}

bool TMidiOutput::Open() {
    if (deviceId_ == NoMidiDevice || handle_ != 0 || !closed_) return !closed_;
    if (feedbackCheck_ && IsLoopbackName(deviceName_) &&
        openDevices_.Contains(TMidiDeviceKind::Input, deviceName_))
        throw EMidiOutputError("Opening \"" + deviceName_ +
                               "\" would create a virtual feedback loop !");
    MMRESULT r = driver_.Open(handle_, deviceId_);
    if (r != MMSYSERR_NOERROR) {
        // Some drivers report an error but hand out a working handle.
        if (driver_.ShortMsg(handle_, TShortMessage{}) == MMSYSERR_INVALHANDLE) {
            handle_ = 0;
            throw ErrorFrom(r);
        }
    }
    closed_ = false;
    openDevices_.Add(TMidiDeviceKind::Output, deviceName_);
    return true;
}

bool TMidiOutput::Close() {
    // The port is closed afterwards even when the driver complains, so a device
    // that went away never keeps the port stuck open; the first error is raised.
    MMRESULT failure = MMSYSERR_NOERROR;
    if (!closed_) {
        failure = driver_.Reset(handle_);
        MMRESULT r = driver_.Close(handle_);
        if (failure == MMSYSERR_NOERROR) failure = r;
    }
    handle_ = 0;
    closed_ = true;
    openDevices_.Remove(TMidiDeviceKind::Output, deviceName_);
    if (failure != MMSYSERR_NOERROR) throw ErrorFrom(failure);
    return true;
}

void TMidiOutput::SendShortMsg(const TShortMessage& message) {
    if (handle_ == 0) return;
    MMRESULT r = driver_.ShortMsg(handle_, message);
    if (r != MMSYSERR_NOERROR) throw ErrorFrom(r);
}
