#include "midi/GuiMailbox.h"

void TGuiMailbox::Post(std::uint32_t message) noexcept {
    if (message == OverflowMessage) overflow_.fetch_add(1, std::memory_order_release);
    else data_.fetch_add(1, std::memory_order_release);
    Wake();
}

void TGuiMailbox::Deliver() {
    const std::uint32_t overflow = overflow_.exchange(0, std::memory_order_acquire);
    const std::uint32_t data = data_.exchange(0, std::memory_order_acquire);
    if (!OnMessage) return;
    if (data) OnMessage(DataMessage);
    if (overflow) OnMessage(OverflowMessage);
}
