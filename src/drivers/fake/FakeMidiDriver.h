#pragma once
// Scripted MIDI devices for tests: device names, result codes to return,
// and a log of every call the ports make.
#include "midi/MidiOutDriver.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class FakeMidiOutDriver : public MidiOutDriver {
public:
    struct Sent {
        MidiHandle handle;
        std::uint32_t packed;
    };

    std::vector<std::string> devices;   // device 0, 1, ...
    std::string mapperName = "Fake Mapper";
    MMRESULT capsResult = MMSYSERR_NOERROR;
    MMRESULT openResult = MMSYSERR_NOERROR;
    bool openGivesHandle = true;        // an open that fails may still leave a live handle
    MMRESULT sendResult = MMSYSERR_NOERROR;
    MMRESULT resetResult = MMSYSERR_NOERROR;
    MMRESULT closeResult = MMSYSERR_NOERROR;
    std::function<void(MidiHandle)> onClose; // runs before the handle closes
    bool mapperWithoutDevices = false;       // as a backend with a port of its own
    int listeners = -1;                      // of every open handle; -1: the system cannot tell

    std::vector<std::string> calls;     // "caps 0", "open -1", "send", "reset", "close"
    int listings = 0;                   // calls that ask the system for its devices
    std::vector<Sent> sent;             // every short message that reached a live handle
    std::map<MidiHandle, std::int32_t> openHandles;

    std::uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) override;
    MMRESULT Open(MidiHandle& handle, std::int32_t deviceId) override;
    MMRESULT ShortMsg(MidiHandle handle, const TShortMessage& message) override;
    MMRESULT Reset(MidiHandle handle) override;
    MMRESULT Close(MidiHandle handle) override;
    bool HasMapper() override {
        ++listings;
        return mapperWithoutDevices || !devices.empty();
    }
    int Listeners(MidiHandle handle) override { return openHandles.count(handle) ? listeners : -1; }

private:
    MidiHandle nextHandle_ = 0x100;
};
