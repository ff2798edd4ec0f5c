#pragma once
// A receiver of messages posted from any thread and handled on the GUI
// thread, as a hidden window of the system would be. Posting never allocates
// or blocks; several posts may be handled by one delivery.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class TMessageWindow {
public:
    virtual ~TMessageWindow() = default;

    // Any thread.
    void Post(std::uint32_t message) noexcept;

    // GUI thread: hands the posted messages to OnMessage, each kind once.
    void Deliver();
    std::function<void(std::uint32_t message)> OnMessage;

    static constexpr std::uint32_t DataMessage = 0x3C3;     // MIM_DATA
    static constexpr std::uint32_t OverflowMessage = 0x400; // WM_USER

protected:
    virtual void Wake() noexcept = 0; // makes the GUI thread call Deliver

private:
    std::atomic<std::uint32_t> data_{0};
    std::atomic<std::uint32_t> overflow_{0};
};

// Windows for ports are made by the GUI layer (or a test); a plain one that
// only collects posts until Deliver is called serves where there is no loop.
class TCollectingMessageWindow : public TMessageWindow {
protected:
    void Wake() noexcept override {}
};

// Makes the windows of whoever it is given to; an empty factory stands for
// collecting windows.
using TMessageWindowFactory = std::function<std::unique_ptr<TMessageWindow>()>;
inline std::unique_ptr<TMessageWindow> MakeMessageWindow(const TMessageWindowFactory& factory) {
    return factory ? factory() : std::make_unique<TCollectingMessageWindow>();
}
