#pragma once
// Where any thread posts and the GUI thread receives: a MIDI system's thread
// tells the GUI that data or a change waits. Posting never allocates or
// blocks; several posts may be handled by one delivery.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class TGuiMailbox {
public:
    virtual ~TGuiMailbox() = default;

    // Any thread.
    void Post(std::uint32_t message) noexcept;

    // GUI thread: hands the posted messages to OnMessage, each kind once.
    void Deliver();
    std::function<void(std::uint32_t message)> OnMessage;

    static constexpr std::uint32_t DataMessage = 1;
    static constexpr std::uint32_t OverflowMessage = 2;

protected:
    virtual void Wake() noexcept = 0; // makes the GUI thread call Deliver

private:
    std::atomic<std::uint32_t> data_{0};
    std::atomic<std::uint32_t> overflow_{0};
};

// Mailboxes are made by the GUI layer (or a test); a plain one that only
// collects posts until Deliver is called serves where there is no loop.
class TCollectingMailbox : public TGuiMailbox {
protected:
    void Wake() noexcept override {}
};

// Makes the mailboxes of whoever it is given to; an empty factory stands for
// collecting ones.
using TMailboxFactory = std::function<std::unique_ptr<TGuiMailbox>()>;
inline std::unique_ptr<TGuiMailbox> MakeMailbox(const TMailboxFactory& factory) {
    return factory ? factory() : std::make_unique<TCollectingMailbox>();
}
