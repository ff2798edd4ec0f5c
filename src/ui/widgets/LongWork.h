#pragma once
// Work done on the GUI thread that may take a while: once it has run half a
// second, a busy cursor shows it, and the windows are drawn again now and
// then meanwhile. Input waits until the work is done.
#include <chrono>

class TLongWork {
public:
    TLongWork();
    ~TLongWork();
    TLongWork(const TLongWork&) = delete;
    TLongWork& operator=(const TLongWork&) = delete;
    // Called often from within the work.
    void Tick();

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_ = Clock::now(), drawn_ = start_;
    bool busy_ = false;
};
