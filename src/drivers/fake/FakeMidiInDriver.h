#pragma once
// Scripted input devices for tests: input is injected from any thread, as a
// driver's own thread would deliver it; system exclusive data is cut into
// the buffers the port has added, in order, and dropped when there are none.
#include "midi/LentBuffers.h"
#include "midi/MidiInDriver.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class FakeMidiInDriver : public MidiInDriver {
public:
    std::vector<std::string> devices;
    MMRESULT capsResult = MMSYSERR_NOERROR;
    MMRESULT openResult = MMSYSERR_NOERROR;
    bool openGivesHandle = true;
    std::vector<std::string> calls; // GUI-thread calls, in order

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

    // Any thread. False when no port is open and started.
    bool InjectShort(std::uint32_t packed, std::uint32_t time);
    // Cuts the bytes into the added buffers; returns how many buffers were filled.
    int InjectLong(const std::vector<std::uint8_t>& bytes, std::uint32_t time);
    bool ReturnEmptyBuffer(std::uint32_t time);
    std::size_t QueuedBuffers();
    bool IsStarted();

private:
    struct TOpenPort {
        MidiHandle handle = 0;
        std::int32_t device = 0;
        MidiInCallback callback = nullptr;
        std::uintptr_t instance = 0;
        bool started = false;
        TLentBuffers buffers;
    };
    TOpenPort* Find(MidiHandle handle);

    std::mutex mutex_; // also keeps Close from passing a callback in progress
    std::vector<std::unique_ptr<TOpenPort>> ports_;
    MidiHandle nextHandle_ = 0x200;
};
