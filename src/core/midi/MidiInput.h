#pragma once
// One MIDI input port: opens a device by its place in the system's list,
// receives on the driver's thread into a fixed ring, and hands the GUI
// thread one event per message. System exclusive is cut into blocks of its
// own, and dropped while every block waits to be read.
#include "midi/InputRing.h"
#include "midi/MidiOutput.h"
#include "midi/MidiEvent.h"
#include "midi/GuiMailbox.h"
#include "midi/MidiDriver.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

class TMidiInput final : private TMidiReceiver {
public:
    // Records wake the GUI thread through mailboxes from the factory; without
    // one they are only collected (tests call Deliver themselves).
    TMidiInput(TMidiInDriver& driver, TOpenMidiDevices& openDevices, TMailboxFactory mailboxes = {});
    ~TMidiInput() override;
    TMidiInput(const TMidiInput&) = delete;
    TMidiInput& operator=(const TMidiInput&) = delete;

    std::int32_t DeviceID() const { return deviceId_; }
    // A place past the end selects nothing; input has no port of the program's own.
    void SetDeviceID(std::int32_t id);
    const std::string& DeviceName() const { return device_.name; }

    bool PassActiveSensing() const { return passActiveSensing_.load(); }
    void SetPassActiveSensing(bool pass) { passActiveSensing_.store(pass); }
    bool PassTimingClock() const { return passTimingClock_.load(); }
    void SetPassTimingClock(bool pass) { passTimingClock_.store(pass); }

    bool Open();
    // Received messages are kept from Start to Stop; times count from Start.
    void Start();
    void Stop();
    bool Close();
    bool IsClosed() const { return !port_; }
    TMidiClock::time_point StartTime() const { return TMidiClock::time_point(TMidiClock::duration(startTime_.load())); }

    int EventCount() const;
    std::unique_ptr<TMidiEvent> GetEvent();
    // Records received while the ring was full.
    std::uint64_t DroppedCount() const { return dropped_.load(); }
    // System exclusive blocks not waiting to be read.
    int FreeSysexBlocks() const;

    // GUI thread: records are waiting / a record was dropped.
    std::function<void(TMidiInput* sender)> OnMidiData;
    std::function<void(TMidiInput* sender)> OnOverflow;

    static constexpr int RingCapacity = 1024;
    static constexpr std::size_t SysexBlockSize = 1024;
    static constexpr int SysexBlockCount = 16;

private:
    // The driver's thread; touches only the atomics, the ring and the blocks.
    void Receive(const std::uint8_t* bytes, std::size_t size, TMidiClock::time_point time) noexcept override;
    void ReceiveSysex(const std::uint8_t* bytes, std::size_t size, std::uint32_t time) noexcept;
    int TakeBlock() noexcept; // -1 when none is free
    void FreeBlock(int slot) noexcept;
    void Store(const TMidiRecord& record) noexcept;

    TMidiInDriver& driver_;
    TOpenMidiDevices& openDevices_;
    TMailboxFactory mailboxes_;
    std::int32_t deviceId_ = NoMidiDevice;
    TMidiPortInfo device_;
    std::atomic<bool> started_{false};
    std::atomic<TMidiClock::rep> startTime_{0};
    std::atomic<bool> passActiveSensing_{false};
    std::atomic<bool> passTimingClock_{false};
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::uint32_t> freeBlocks_{0}; // a bit per slot
    std::unique_ptr<std::uint8_t[]> blocks_;
    std::array<std::uint32_t, SysexBlockCount> blockLengths_{};
    std::unique_ptr<TInputRing> ring_;
    std::unique_ptr<TGuiMailbox> mailbox_;
    std::unique_ptr<TMidiInPort> port_; // last: closed before the rest goes
};
