#include "midi/InputRing.h"

TInputRing::TInputRing(int capacity)
    : records_(std::make_unique<TMidiRecord[]>(static_cast<std::size_t>(capacity))), capacity_(capacity) {}

int TInputRing::Count() const {
    std::lock_guard guard(lock_);
    return count_;
}

const TMidiRecord* TInputRing::Peek() const {
    std::lock_guard guard(lock_);
    return count_ ? &records_[static_cast<std::size_t>(readIndex_)] : nullptr;
}

bool TInputRing::Advance() {
    std::lock_guard guard(lock_);
    if (count_ == 0) return false;
    --count_;
    if (++readIndex_ == capacity_) readIndex_ = 0;
    return true;
}

bool TInputRing::Put(const TMidiRecord& record) noexcept {
    std::lock_guard guard(lock_);
    if (count_ >= capacity_) return false;
    records_[static_cast<std::size_t>(writeIndex_)] = record;
    ++count_;
    if (++writeIndex_ == capacity_) writeIndex_ = 0;
    return true;
}
