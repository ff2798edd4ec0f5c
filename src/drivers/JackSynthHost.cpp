#include "JackSynthHost.h"

#include "JackClient.h"
#include "JackRing.h"
#include "midi/ChannelMemory.h"

#include <algorithm>
#include <atomic>

namespace {
constexpr double DefaultSampleRate = 48000.0;

std::uint32_t Packed(const TJackRecord& r) { return r.bytes[0] | r.bytes[1] << 8 | r.bytes[2] << 16; }
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
            s->Send(Packed(r));
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
        const std::uint8_t soundOff[3] = {static_cast<std::uint8_t>(0xB0 | channel), 120, 0};
        work_->ring.Write(generation, soundOff, 3);
    }
    for (const TShortMessage& m : work_->memory.Replay()) {
        const std::uint8_t bytes[3] = {m.status, m.data1, m.data2};
        work_->ring.Write(generation, bytes, 3);
    }
    work_->memory.Clear();
}

void TJackSynthHost::Send(std::uint32_t packed) {
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 8),
                                   static_cast<std::uint8_t>(packed >> 16)};
    if (!client_->Connected()) {
        work_->memory.Record({bytes[0], bytes[1], bytes[2]});
        return;
    }
    Resync();
    work_->ring.Write(client_->Generation(), bytes, 3);
}

void TJackSynthHost::Silence() {
    for (std::uint8_t channel = 0; channel < 16; ++channel)
        Send(static_cast<std::uint32_t>(0xB0 | channel) | 120u << 8);
}
