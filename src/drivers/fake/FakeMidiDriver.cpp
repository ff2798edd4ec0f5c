#include "fake/FakeMidiDriver.h"

std::uint32_t FakeMidiOutDriver::GetNumDevs() {
    ++listings;
    return static_cast<std::uint32_t>(devices.size());
}

MMRESULT FakeMidiOutDriver::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    calls.push_back("caps " + std::to_string(deviceId));
    if (capsResult != MMSYSERR_NOERROR) return capsResult;
    if (deviceId == MIDI_MAPPER) {
        productName = mapperName;
        return MMSYSERR_NOERROR;
    }
    return DeviceNameFrom(devices, deviceId, productName);
}

MMRESULT FakeMidiOutDriver::Open(MidiHandle& handle, std::int32_t deviceId) {
    calls.push_back("open " + std::to_string(deviceId));
    if (openResult == MMSYSERR_NOERROR || openGivesHandle) {
        handle = nextHandle_++;
        openHandles[handle] = deviceId;
    } else {
        handle = 0;
    }
    return openResult;
}

MMRESULT FakeMidiOutDriver::ShortMsg(MidiHandle handle, const TShortMessage& message) {
    calls.push_back("send");
    if (!openHandles.count(handle)) return MMSYSERR_INVALHANDLE;
    if (sendResult != MMSYSERR_NOERROR) return sendResult;
    sent.push_back({handle, ShortMessage::Pack(message)});
    return MMSYSERR_NOERROR;
}

MMRESULT FakeMidiOutDriver::Reset(MidiHandle handle) {
    calls.push_back("reset");
    if (!openHandles.count(handle)) return MMSYSERR_INVALHANDLE;
    return resetResult;
}

MMRESULT FakeMidiOutDriver::Close(MidiHandle handle) {
    calls.push_back("close");
    if (!openHandles.count(handle)) return MMSYSERR_INVALHANDLE;
    if (onClose) onClose(handle);
    if (closeResult != MMSYSERR_NOERROR) return closeResult;
    openHandles.erase(handle);
    return MMSYSERR_NOERROR;
}
