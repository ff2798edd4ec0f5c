#include "WinMmMidi.h"

#include "WinMmCalls.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr std::int32_t Mapper = -1;
constexpr std::uint32_t NoError = 0;
constexpr std::uint32_t DataMessage = 0x3C3, LongDataMessage = 0x3C4, LongErrorMessage = 0x3C6, MoreDataMessage = 0x3CC;

template <typename Text>
EMidiError Failure(std::uint32_t code, Text text) {
    std::string why;
    if (text(code, why) != NoError || why.empty()) why = "Unspecified error";
    return EMidiError(why);
}
EMidiError OutFailure(std::uint32_t code) { return Failure(code, WinMm::OutErrorText); }
EMidiError InFailure(std::uint32_t code) { return Failure(code, WinMm::InErrorText); }

template <typename Count, typename Name>
std::vector<TMidiPortInfo> DevicesOf(Count count, Name name) {
    std::vector<TMidiPortInfo> ports;
    const std::uint32_t n = count();
    for (std::uint32_t i = 0; i < n; ++i) {
        std::string caption;
        if (name(static_cast<std::int32_t>(i), caption) == NoError) ports.push_back({caption, std::to_string(i)});
    }
    return ports;
}

std::int32_t DeviceOf(const TMidiPortInfo& port) {
    try {
        return std::stoi(port.id);
    } catch (const std::exception&) {
        throw EMidiError(MidiFailure::NoSuchPort);
    }
}

class TWinMmOutPort final : public TMidiOutPort {
public:
    explicit TWinMmOutPort(std::uintptr_t handle) : handle_(handle) {}
    ~TWinMmOutPort() override { WinMm::OutClose(handle_); }
    void Send(const TShortMessage& m) override {
        if (const std::uint32_t r = WinMm::OutShort(handle_, ShortMessage::Pack(m)); r != NoError) throw OutFailure(r);
    }
    // The system's reset ends the notes and lifts the pedals itself.
    void Silence() override {
        if (const std::uint32_t r = WinMm::OutReset(handle_); r != NoError) throw OutFailure(r);
    }

private:
    std::uintptr_t handle_;
};

// An open input device: its callback delivers to the receiver; system
// exclusive comes in buffers lent to the system, which a thread of the
// port's own lends again (WinMM may not be called from its callback).
class TWinMmInPort final : public TMidiInPort {
public:
    static constexpr std::size_t BufferCount = 16, BufferSize = 1024;

    TWinMmInPort(std::int32_t device, TMidiReceiver& receiver) : receiver_(receiver) {
        if (const std::uint32_t r = WinMm::InOpen(handle_, device, &Callback, reinterpret_cast<std::uintptr_t>(this));
            r != NoError)
            throw InFailure(r);
        for (std::size_t i = 0; i < BufferCount; ++i) {
            std::uint32_t r = NoError;
            buffers_[i] = WinMm::InPrepare(handle_, data_[i].data(), BufferSize, i, r);
            if (buffers_[i]) r = WinMm::InAddBuffer(handle_, buffers_[i]);
            if (r != NoError) {
                Release();
                throw InFailure(r);
            }
        }
        lender_ = std::thread([this] { LendReturned(); });
        WinMm::InStart(handle_);
    }
    ~TWinMmInPort() override { Release(); }

private:
    static void Callback(std::uintptr_t, std::uint32_t message, std::uintptr_t self, std::uintptr_t p1, std::uintptr_t) {
        auto& port = *reinterpret_cast<TWinMmInPort*>(self);
        if (port.closing_.load(std::memory_order_acquire)) return;
        if (message == DataMessage || message == MoreDataMessage) {
            const TShortMessage m = ShortMessage::Unpack(static_cast<std::uint32_t>(p1));
            const std::uint8_t bytes[3] = {m.status, m.data1, m.data2};
            const int length = ShortMessage::Length(m.status);
            port.receiver_.Receive(bytes, static_cast<std::size_t>(length > 0 ? length : 1), TMidiClock::now());
        } else if (message == LongDataMessage || message == LongErrorMessage) {
            const std::size_t slot = WinMm::BufferUser(p1);
            const std::uint32_t recorded = WinMm::BufferRecorded(p1);
            if (slot >= BufferCount) return;
            if (recorded) port.receiver_.Receive(reinterpret_cast<const std::uint8_t*>(port.data_[slot].data()), recorded, TMidiClock::now());
            port.returned_.fetch_or(1u << slot, std::memory_order_release);
            port.wake_.notify_one();
        }
    }

    void LendReturned() {
        std::unique_lock lock(mutex_);
        while (!closing_.load()) {
            wake_.wait_for(lock, std::chrono::milliseconds(50));
            std::uint32_t returned = returned_.exchange(0, std::memory_order_acquire);
            for (std::size_t i = 0; i < BufferCount && !closing_.load(); ++i)
                if (returned & (1u << i)) WinMm::InAddBuffer(handle_, buffers_[i]);
        }
    }

    void Release() {
        closing_.store(true, std::memory_order_release);
        wake_.notify_one();
        if (lender_.joinable()) lender_.join();
        WinMm::InStop(handle_);
        WinMm::InReset(handle_); // hands every buffer back
        for (WinMm::TBuffer*& buffer : buffers_)
            if (buffer && WinMm::InUnprepare(handle_, buffer) == NoError) buffer = nullptr;
        WinMm::InClose(handle_);
    }

    TMidiReceiver& receiver_;
    std::uintptr_t handle_ = 0;
    std::array<std::array<char, BufferSize>, BufferCount> data_{};
    std::array<WinMm::TBuffer*, BufferCount> buffers_{};
    std::atomic<std::uint32_t> returned_{0};
    std::atomic<bool> closing_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread lender_;
};

} // namespace

std::vector<TMidiPortInfo> TWinMmMidiOut::Ports() { return DevicesOf(WinMm::OutCount, WinMm::OutName); }

std::optional<TMidiPortInfo> TWinMmMidiOut::OwnPort() {
    std::string name;
    if (WinMm::OutName(Mapper, name) != NoError) name = "Midi-Mapper";
    return TMidiPortInfo{name, std::to_string(Mapper)};
}

std::unique_ptr<TMidiOutPort> TWinMmMidiOut::Open(const TMidiPortInfo& port) {
    std::uintptr_t handle = 0;
    if (const std::uint32_t r = WinMm::OutOpen(handle, DeviceOf(port)); r != NoError) throw OutFailure(r);
    return std::make_unique<TWinMmOutPort>(handle);
}

std::vector<TMidiPortInfo> TWinMmMidiIn::Ports() { return DevicesOf(WinMm::InCount, WinMm::InName); }

std::unique_ptr<TMidiInPort> TWinMmMidiIn::Open(const TMidiPortInfo& port, TMidiReceiver& receiver) {
    return std::make_unique<TWinMmInPort>(DeviceOf(port), receiver);
}
