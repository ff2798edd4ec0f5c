#include "JackSynthHost.h"

#include "JackClient.h"
#include "JackRing.h"
#include "midi/ChannelMemory.h"

#include <algorithm>
#include <atomic>

namespace {
constexpr double DefaultSampleRate = 48000.0;

} // namespace

struct TJackSynthHost::Work final : TJackPortWork {
    void Process(const TJackCycle& cycle) override {
        auto* left = static_cast<float*>(cycle.buffers[0]);
        auto* right = static_cast<float*>(cycle.buffers[1]);
        TBuiltInSynth* s = synth.load(std::memory_order_acquire);
        if (!s) {
            std::fill(left, left + cycle.frames, 0.0f);
            std::fill(right, right + cycle.frames, 0.0f);
            return;
        }
        if (cycle.sampleRate != 0 && cycle.sampleRate != rate) {
            rate = cycle.sampleRate;
            s->SetSampleRate(rate);
        }
        ring.Drain(cycle.generation, [s](const TJackRecord& r) {
            s->Send({r.bytes[0], r.bytes[1], r.bytes[2]});
            return true;
        });
        s->Render(left, right, static_cast<int>(cycle.frames));
    }

    std::atomic<TBuiltInSynth*> synth{nullptr};
    jack_nframes_t rate = 0; // the server's thread only
    TJackRing ring;
    // The GUI thread only.
    TChannelMemory memory;
    std::uint64_t generation = 0; // the server the synthesizer was last in step with
};

TJackSynthHost::TJackSynthHost(std::shared_ptr<TJackClient> client)
    : client_(std::move(client)), work_(std::make_shared<Work>()) {
    changed_ = [this] {
        if (client_->Connected()) Resync();
    };
    client_->Attach(&changed_);
}

TJackSynthHost::~TJackSynthHost() {
    client_->Detach(&changed_);
    work_->synth.store(nullptr);
    client_->WaitOutsideProcess(); // the synthesizer is not touched once this returns
    if (port_) client_->Remove(port_);
}

double TJackSynthHost::SampleRate() const {
    const jack_nframes_t rate = client_->Snapshot().sampleRate;
    return rate ? rate : DefaultSampleRate;
}

void TJackSynthHost::Play(TBuiltInSynth& synth) {
    work_->synth.store(&synth, std::memory_order_release);
    work_->generation = client_->Generation();
    port_ = client_->Add({true, JackPortIsOutput, {LeftPort, RightPort}, "", true}, work_);
}

// A new server: what sounded on the last one is cut, and the channels are
// told what they were sent meanwhile.
void TJackSynthHost::Resync() {
    const std::uint64_t generation = client_->Generation();
    if (work_->generation == generation) return;
    work_->generation = generation;
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        work_->ring.Write(generation, ShortMessage::ControlChange(channel, 120, 0));
    }
    for (const TShortMessage& m : work_->memory.Replay()) work_->ring.Write(generation, m);
    work_->memory.Clear();
}

void TJackSynthHost::Send(const TShortMessage& message) {
    if (!client_->Connected()) {
        work_->memory.Record(message);
        return;
    }
    Resync();
    work_->ring.Write(client_->Generation(), message);
}

void TJackSynthHost::Silence() {
    for (std::uint8_t channel = 0; channel < 16; ++channel)
        Send(ShortMessage::ControlChange(channel, 120, 0));
}
