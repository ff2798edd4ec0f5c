#pragma once
// One MIDI input port: opens a device by number, receives on the driver's
// thread into a fixed ring, and hands the GUI thread one event per message.
#include "midi/InputRing.h"
#include "midi/MidiOutput.h"
#include "midi/MidiEvent.h"
#include "midi/GuiMailbox.h"
#include "midi/MidiInDriver.h"

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class EMidiInputError : public std::runtime_error {
public:
    EMidiInputError(const std::string& message, MMRESULT code = 0) : std::runtime_error(message), ErrorCode(code) {}
    MMRESULT ErrorCode;
};

class TMidiInput {
public:
    // Records wake the GUI thread through mailboxes from the factory; without
    // one they are only collected (tests call Deliver themselves).
    TMidiInput(MidiInDriver& driver, TOpenMidiDevices& openDevices, TMailboxFactory mailboxes = {});
    ~TMidiInput();
    TMidiInput(const TMidiInput&) = delete;
    TMidiInput& operator=(const TMidiInput&) = delete;

    std::int32_t DeviceID() const { return deviceId_; }
    void SetDeviceID(std::int32_t id);
    const std::string& DeviceName() const { return deviceName_; }

    bool PassActiveSensing() const { return callback_.passActiveSensing.load(); }
    void SetPassActiveSensing(bool pass) { callback_.passActiveSensing.store(pass); }
    bool PassTimingClock() const { return callback_.passTimingClock.load(); }
    void SetPassTimingClock(bool pass) { callback_.passTimingClock.store(pass); }

    bool Open();
    void Start();
    void Stop();
    bool Close();
    bool IsClosed() const { return closed_; }

    int EventCount() const;
    std::unique_ptr<TMidiEvent> GetEvent();
    // Records the driver delivered while the ring was full.
    std::uint64_t DroppedCount() const { return callback_.dropped.load(); }

    // GUI thread: records are waiting / a record was dropped.
    std::function<void(TMidiInput* sender)> OnMidiData;
    std::function<void(TMidiInput* sender)> OnOverflow;

    static constexpr int RingCapacity = 1024;
    static constexpr int LongBufferSize = 1024;
    static constexpr int LongBufferCount = 16;

    // The driver's callback; public for drivers that call it by address.
    static void Callback(MidiHandle, std::uint32_t message, std::uintptr_t instance, std::uintptr_t p1,
                         std::uintptr_t p2);

private:
    // The only memory the driver thread touches.
    struct TCallbackRecord {
        TMidiInput* owner = nullptr;
        TInputRing* ring = nullptr;
        TGuiMailbox* mailbox = nullptr;
        std::atomic<bool> passActiveSensing{false};
        std::atomic<bool> passTimingClock{false};
        std::atomic<bool> closing{false};
        std::atomic<std::uint64_t> dropped{0};
        std::atomic<std::uint32_t> orphans{0}; // slots of long buffers whose record was dropped
    };
    EMidiInputError ErrorFrom(MMRESULT code) const;
    void HandleMessage(std::uint32_t message);
    void ReturnOrphanedBuffers();

    MidiInDriver& driver_;
    TOpenMidiDevices& openDevices_;
    TMailboxFactory mailboxes_;
    std::int32_t deviceId_ = 30000;
    MidiHandle handle_ = 0;
    bool closed_ = true;
    std::string deviceName_;
    TCallbackRecord callback_;
    std::vector<std::unique_ptr<TMidiInHdr>> buffers_;
    std::unique_ptr<TInputRing> ring_;
    std::unique_ptr<TGuiMailbox> mailbox_;
    const bool feedbackCheck_ = true;
};
