#include "midi/MidiInput.h"

#include "midi/MidiOutput.h"
#include "midi/ShortMessage.h"

TMidiInput::TMidiInput(MidiInDriver& driver, TOpenMidiDevices& openDevices, TMailboxFactory mailboxes)
    : driver_(driver), openDevices_(openDevices), mailboxes_(std::move(mailboxes)) {
    callback_.owner = this;
    SetDeviceID(NoMidiDevice);
}

TMidiInput::~TMidiInput() {
    if (handle_ != 0 || !closed_) {
        try {
            Close();
        } catch (const EMidiInputError&) {
            // Nothing to report to at destruction.
        }
    }
}

EMidiInputError TMidiInput::ErrorFrom(MMRESULT code) const {
    return EMidiInputError(MidiResultText(driver_, code), code);
}

void TMidiInput::SetDeviceID(std::int32_t id) {
    if (!closed_) throw EMidiInputError("Change to DeviceID while device was open");
    deviceName_.clear();
    deviceId_ = NoMidiDevice;
    if (id != NoMidiDevice && id < static_cast<std::int64_t>(driver_.GetNumDevs())) {
        std::string name;
        MMRESULT r = driver_.GetDevCaps(id, name);
        if (r != MMSYSERR_NOERROR) throw ErrorFrom(r);
        deviceId_ = id;
        deviceName_ = name;
    }
}

bool TMidiInput::Open() {
    if (deviceId_ == NoMidiDevice || !closed_) return !closed_;
    if (feedbackCheck_ && IsLoopbackName(deviceName_) &&
        openDevices_.Contains(TMidiDeviceKind::Output, deviceName_))
        throw EMidiInputError("Opening \"" + deviceName_ + "\" would create a virtual feedback loop !");
    try {
        if (!ring_) ring_ = std::make_unique<TInputRing>(RingCapacity);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error("Out of memory.");
    }
    if (!mailbox_) {
        mailbox_ = MakeMailbox(mailboxes_);
        mailbox_->OnMessage = [this](std::uint32_t message) { HandleMessage(message); };
    }
    callback_.ring = ring_.get();
    callback_.mailbox = mailbox_.get();
    callback_.closing.store(false);
    MMRESULT r = driver_.Open(handle_, deviceId_, &TMidiInput::Callback,
                              reinterpret_cast<std::uintptr_t>(&callback_));
    if (r != MMSYSERR_NOERROR) {
        std::int32_t id;
        if (driver_.GetID(handle_, id) == MMSYSERR_INVALHANDLE) {
            handle_ = 0;
            throw ErrorFrom(r);
        }
    }
    if (LongBufferCount >= 1 && LongBufferSize >= 1 && handle_ != 0) {
        buffers_.clear();
        for (int i = 0; i < LongBufferCount; ++i) {
            // The slot number travels in the header's user word and in the ring record.
            auto buffer = std::make_unique<TMidiInHdr>(LongBufferSize, static_cast<std::uintptr_t>(i + 1));
            buffer->Add(driver_, handle_);
            buffers_.push_back(std::move(buffer));
        }
    }
    closed_ = false;
    openDevices_.Add(TMidiDeviceKind::Input, deviceName_);
    return true;
}

void TMidiInput::Start() {
    if (closed_) return;
    MMRESULT r = driver_.Start(handle_);
    if (r != MMSYSERR_NOERROR) throw ErrorFrom(r);
}

void TMidiInput::Stop() {
    if (closed_) return;
    MMRESULT r = driver_.Stop(handle_);
    if (r != MMSYSERR_NOERROR) throw ErrorFrom(r);
}

bool TMidiInput::Close() {
    MMRESULT failure = MMSYSERR_NOERROR;
    if (!closed_ || handle_ != 0) {
        closed_ = true;
        callback_.closing.store(true); // from here the callback ignores everything
        driver_.Reset(handle_);
        for (auto& buffer : buffers_) buffer->Release(driver_, handle_);
        buffers_.clear();
        callback_.orphans.store(0);
        failure = driver_.Close(handle_);
        handle_ = 0;
        openDevices_.Remove(TMidiDeviceKind::Input, deviceName_);
        callback_.ring = nullptr;
        callback_.mailbox = nullptr;
        mailbox_.reset();
        ring_.reset();
    }
    if (failure != MMSYSERR_NOERROR) throw ErrorFrom(failure);
    return true;
}

int TMidiInput::EventCount() const {
    if (closed_ || !ring_) return 0;
    return ring_->Count();
}

std::unique_ptr<TMidiEvent> TMidiInput::GetEvent() {
    if (closed_ || !ring_) return nullptr;
    const TMidiRecord* record = ring_->Peek();
    if (!record) return nullptr;
    auto event = std::make_unique<TMidiEvent>();
    event->time = record->time;
    if (record->header == 0) {
        const TShortMessage m = ShortMessage::Unpack(record->message);
        event->status = m.status;
        event->data1 = m.data1;
        event->data2 = m.data2;
    } else {
        TMidiInHdr& buffer = *buffers_[record->header - 1];
        const MIDIHDR& h = buffer.Header;
        event->dataLength = h.dwBytesRecorded;
        event->data.assign(h.lpData, h.lpData + h.dwBytesRecorded);
        const bool continuation = h.dwBytesRecorded != 0 && static_cast<std::uint8_t>(h.lpData[0]) != 0xF0;
        event->status = continuation ? 0xF7 : 0xF0;
        ring_->Advance();
        buffer.Add(driver_, handle_); // back to the driver at once
        return event;
    }
    ring_->Advance();
    return event;
}

void TMidiInput::Callback(MidiHandle, std::uint32_t message, std::uintptr_t instance, std::uintptr_t p1,
                          std::uintptr_t p2) {
    auto* record = reinterpret_cast<TCallbackRecord*>(instance);
    if (!record || record->closing.load(std::memory_order_acquire) || !record->ring) return;
    bool stored;
    switch (message) {
    case MIM_LONGDATA:
    case MIM_LONGERROR: {
        const auto* header = reinterpret_cast<const MIDIHDR*>(p1);
        stored = record->ring->PutLong(static_cast<std::uint32_t>(p2), static_cast<std::uint32_t>(header->dwUser));
        break;
    }
    case MIM_DATA:
    case MIM_MOREDATA:
        if ((p1 == 0xFE && !record->passActiveSensing.load(std::memory_order_relaxed)) ||
            (p1 == 0xF8 && !record->passTimingClock.load(std::memory_order_relaxed)))
            return;
        stored = record->ring->PutShort(static_cast<std::uint32_t>(p2), static_cast<std::uint32_t>(p1));
        break;
    default: return;
    }
    if (!stored) {
        record->dropped.fetch_add(1, std::memory_order_relaxed);
        // The GUI thread hands the buffer back; the driver may not be called from here.
        if (message == MIM_LONGDATA || message == MIM_LONGERROR) {
            const auto slot = reinterpret_cast<const MIDIHDR*>(p1)->dwUser;
            if (slot >= 1 && slot <= 32) record->orphans.fetch_or(1u << (slot - 1), std::memory_order_release);
        }
    }
    record->mailbox->Post(stored ? TGuiMailbox::DataMessage : TGuiMailbox::OverflowMessage);
}

void TMidiInput::ReturnOrphanedBuffers() {
    std::uint32_t orphans = callback_.orphans.exchange(0, std::memory_order_acquire);
    for (std::size_t i = 0; i < buffers_.size() && orphans; ++i, orphans >>= 1)
        if (orphans & 1) buffers_[i]->Add(driver_, handle_);
}

void TMidiInput::HandleMessage(std::uint32_t message) {
    if (closed_) return;
    ReturnOrphanedBuffers();
    if (message == TGuiMailbox::DataMessage && OnMidiData) OnMidiData(this);
    else if (message == TGuiMailbox::OverflowMessage && OnOverflow) OnOverflow(this);
}
