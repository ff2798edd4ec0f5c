#include "midi/MidiInput.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint32_t AllBlocks = (1u << TMidiInput::SysexBlockCount) - 1;
static_assert(TMidiInput::SysexBlockCount <= 32);

bool IsSysex(const std::uint8_t* bytes, std::size_t size) {
    return bytes[0] == 0xF0 || bytes[0] == 0xF7 || bytes[0] < 0x80 || size > 3;
}

} // namespace

TMidiInput::TMidiInput(TMidiInDriver& driver, TOpenMidiDevices& openDevices, TMailboxFactory mailboxes)
    : driver_(driver), openDevices_(openDevices), mailboxes_(std::move(mailboxes)) {}

TMidiInput::~TMidiInput() { Close(); }

void TMidiInput::SetDeviceID(std::int32_t id) {
    if (port_) throw EMidiError("Change to DeviceID while device was open");
    deviceId_ = NoMidiDevice;
    device_ = {};
    if (id == OwnPortDevice) throw EMidiError(MidiFailure::NoSuchPort);
    if (id < 0 || id == NoMidiDevice) return;
    const auto ports = driver_.Ports();
    if (static_cast<std::size_t>(id) >= ports.size()) return;
    device_ = ports[static_cast<std::size_t>(id)];
    deviceId_ = id;
}

bool TMidiInput::Open() {
    if (deviceId_ == NoMidiDevice || port_) return static_cast<bool>(port_);
    RefuseFeedback(openDevices_, TMidiDeviceKind::Output, device_.name);
    try {
        if (!ring_) ring_ = std::make_unique<TInputRing>(RingCapacity);
        if (!blocks_) blocks_ = std::make_unique<std::uint8_t[]>(SysexBlockSize * SysexBlockCount);
    } catch (const std::bad_alloc&) {
        throw EMidiError("Out of memory.");
    }
    if (!mailbox_) {
        mailbox_ = MakeMailbox(mailboxes_);
        mailbox_->OnMessage = [this](std::uint32_t message) {
            if (!port_) return;
            if (message == TGuiMailbox::DataMessage && OnMidiData) OnMidiData(this);
            else if (message == TGuiMailbox::OverflowMessage && OnOverflow) OnOverflow(this);
        };
    }
    freeBlocks_.store(AllBlocks);
    port_ = driver_.Open(device_, *this);
    openDevices_.Add(TMidiDeviceKind::Input, device_.name);
    return true;
}

void TMidiInput::Start() {
    if (!port_) return;
    startTime_.store(TMidiClock::now().time_since_epoch().count());
    started_.store(true, std::memory_order_release);
}

void TMidiInput::Stop() { started_.store(false, std::memory_order_release); }

bool TMidiInput::Close() {
    started_.store(false);
    if (!port_) return true;
    port_.reset(); // no delivery runs from here on
    openDevices_.Remove(TMidiDeviceKind::Input, device_.name);
    mailbox_.reset();
    ring_.reset();
    return true;
}

int TMidiInput::EventCount() const { return port_ && ring_ ? ring_->Count() : 0; }

int TMidiInput::FreeSysexBlocks() const { return std::popcount(freeBlocks_.load()); }

std::unique_ptr<TMidiEvent> TMidiInput::GetEvent() {
    if (!port_ || !ring_) return nullptr;
    const TMidiRecord* record = ring_->Peek();
    if (!record) return nullptr;
    auto event = std::make_unique<TMidiEvent>();
    event->time = record->time;
    if (record->sysexSlot == 0) {
        event->message = record->message;
    } else {
        const int slot = record->sysexSlot - 1;
        const std::uint8_t* block = blocks_.get() + static_cast<std::size_t>(slot) * SysexBlockSize;
        event->dataLength = blockLengths_[static_cast<std::size_t>(slot)];
        event->data.assign(block, block + event->dataLength);
        const bool continuation = event->dataLength != 0 && block[0] != 0xF0;
        event->message.status = continuation ? 0xF7 : 0xF0;
        FreeBlock(slot);
    }
    ring_->Advance();
    return event;
}

void TMidiInput::Receive(const std::uint8_t* bytes, std::size_t size, TMidiClock::time_point time) noexcept {
    if (size == 0 || !started_.load(std::memory_order_acquire)) return;
    const auto since = time.time_since_epoch().count() - startTime_.load(std::memory_order_relaxed);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(TMidiClock::duration(std::max<TMidiClock::rep>(since, 0)));
    const auto stamp = static_cast<std::uint32_t>(ms.count());
    if (IsSysex(bytes, size)) return ReceiveSysex(bytes, size, stamp);
    if ((bytes[0] == 0xFE && !passActiveSensing_.load(std::memory_order_relaxed)) ||
        (bytes[0] == 0xF8 && !passTimingClock_.load(std::memory_order_relaxed)))
        return;
    TMidiRecord record;
    record.time = stamp;
    record.message = {bytes[0], size > 1 ? bytes[1] : std::uint8_t(0), size > 2 ? bytes[2] : std::uint8_t(0)};
    Store(record);
}

void TMidiInput::ReceiveSysex(const std::uint8_t* bytes, std::size_t size, std::uint32_t time) noexcept {
    for (std::size_t done = 0; done < size;) {
        const int slot = TakeBlock();
        if (slot < 0) return; // the rest is lost, as with the system's own drivers
        const std::size_t n = std::min(SysexBlockSize, size - done);
        std::memcpy(blocks_.get() + static_cast<std::size_t>(slot) * SysexBlockSize, bytes + done, n);
        blockLengths_[static_cast<std::size_t>(slot)] = static_cast<std::uint32_t>(n);
        done += n;
        TMidiRecord record;
        record.time = time;
        record.sysexSlot = static_cast<std::uint8_t>(slot + 1);
        Store(record);
    }
}

void TMidiInput::Store(const TMidiRecord& record) noexcept {
    const bool stored = ring_->Put(record);
    if (!stored) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        if (record.sysexSlot) FreeBlock(record.sysexSlot - 1);
    }
    mailbox_->Post(stored ? TGuiMailbox::DataMessage : TGuiMailbox::OverflowMessage);
}

int TMidiInput::TakeBlock() noexcept {
    std::uint32_t free = freeBlocks_.load(std::memory_order_acquire);
    while (free) {
        const int slot = std::countr_zero(free);
        if (freeBlocks_.compare_exchange_weak(free, free & ~(1u << slot), std::memory_order_acq_rel)) return slot;
    }
    return -1;
}

void TMidiInput::FreeBlock(int slot) noexcept { freeBlocks_.fetch_or(1u << slot, std::memory_order_release); }
