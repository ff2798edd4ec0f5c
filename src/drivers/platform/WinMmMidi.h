#pragma once
// The MIDI system of Windows: the WinMM devices by their numbers, the mapper
// as device -1, and the system's own result codes and texts.
#include "midi/MidiInDriver.h"
#include "midi/MidiOutDriver.h"

#include <map>
#include <memory>
#include <mutex>

class TWinMmMidiOut final : public MidiOutDriver {
public:
    std::uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) override;
    MMRESULT Open(MidiHandle& handle, std::int32_t deviceId) override;
    MMRESULT ShortMsg(MidiHandle handle, const TShortMessage& message) override;
    MMRESULT Reset(MidiHandle handle) override;
    MMRESULT Close(MidiHandle handle) override;
    MMRESULT GetErrorText(MMRESULT code, std::string& text) override;
    // The system's mapper is there on every Windows; opening it says why when it fails.
    bool HasMapper() override { return true; }
};

class TWinMmMidiIn final : public MidiInDriver {
public:
    TWinMmMidiIn();
    ~TWinMmMidiIn() override;
    std::uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) override;
    MMRESULT Open(MidiHandle& handle, std::int32_t deviceId, MidiInCallback callback, std::uintptr_t instance) override;
    MMRESULT GetID(MidiHandle handle, std::int32_t& deviceId) override;
    MMRESULT PrepareHeader(MidiHandle handle, MIDIHDR* header) override;
    MMRESULT UnprepareHeader(MidiHandle handle, MIDIHDR* header) override;
    MMRESULT AddBuffer(MidiHandle handle, MIDIHDR* header) override;
    MMRESULT Start(MidiHandle handle) override;
    MMRESULT Stop(MidiHandle handle) override;
    MMRESULT Reset(MidiHandle handle) override;
    MMRESULT Close(MidiHandle handle) override;
    MMRESULT GetErrorText(MMRESULT code, std::string& text) override;

    struct TPort;

private:
    std::mutex mutex_;
    std::map<MidiHandle, std::unique_ptr<TPort>> ports_;
};
