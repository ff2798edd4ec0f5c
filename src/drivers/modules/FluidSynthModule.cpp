// The built-in synthesizer over FluidSynth: a module of its own, loaded when
// the synthesizer is first opened, so that FluidSynth and the audio and file
// libraries it brings are not mapped before.
#include "BuiltInSynth.h"

#include "midi/ChannelMemory.h"

#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// FluidSynth reports through a global log; its errors are kept for our own
// message, the rest is not for the user.
std::mutex logMutex;
std::string lastFluidError;

void KeepError(int, const char* message, void*) {
    std::lock_guard lock(logMutex);
    lastFluidError = message ? message : "";
}

void QuietLog(int, const char*, void*) {}

void RouteFluidLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_PANIC, KeepError, nullptr);
        fluid_set_log_function(FLUID_ERR, KeepError, nullptr);
        fluid_set_log_function(FLUID_WARN, QuietLog, nullptr);
        fluid_set_log_function(FLUID_INFO, QuietLog, nullptr);
        fluid_set_log_function(FLUID_DBG, QuietLog, nullptr);
    });
}

std::string TakeFluidError() {
    std::lock_guard lock(logMutex);
    return std::exchange(lastFluidError, std::string());
}

void Apply(fluid_synth_t* synth, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
    case 0x90:
        if (data2 == 0) fluid_synth_noteoff(synth, channel, data1);
        else fluid_synth_noteon(synth, channel, data1, data2);
        break;
    case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
    default: break; // system messages mean nothing to it
    }
}

struct TState {
    fluid_settings_t* settings = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    std::atomic<fluid_synth_t*> synth{nullptr}; // set once the font is in
    std::mutex mutex;                            // the memory, the hand-over, the end
    std::condition_variable loaded;
    TChannelMemory memory;
    std::atomic<bool> cancelled{false}; // also read between the pieces of a font's reading
    std::string loadError; // set when the font failed to load
    std::function<void()> onLoadFailed;
    std::thread loader;
    std::string audioDriver;

    ~TState() {
        if (fluid_synth_t* s = synth.load()) delete_fluid_synth(s);
        if (settings) delete_fluid_settings(settings);
    }
};

// The audio thread: silence (the buffers come zeroed) until the synthesizer is there.
int Process(void* data, int len, int nfx, float* fx[], int nout, float* out[]) {
    auto* state = static_cast<TState*>(data);
    fluid_synth_t* synth = state->synth.load(std::memory_order_acquire);
    if (!synth) return FLUID_OK;
    if (nfx == 0 && nout >= 2) {
        float* effects[4] = {out[0], out[1], out[0], out[1]}; // reverb and chorus into the dry mix
        return fluid_synth_process(synth, len, 4, effects, nout, out);
    }
    return fluid_synth_process(synth, len, nfx, fx, nout, out);
}

// The font is read through callbacks of ours, so that a load is called off
// between two pieces of a large read. The name handed to FluidSynth carries a
// prefix that only our reader understands: its other loaders, tried when ours
// gives up, cannot open the file and so cannot load it uncancelled.
constexpr const char* FontPrefix = "tonecast-cancellable-font:";
constexpr fluid_long_long_t ReadPiece = 1 << 20;
thread_local const std::atomic<bool>* loadCancelled = nullptr; // the loading thread's flag

struct TFontFile {
    std::FILE* file;
    const std::atomic<bool>* cancelled;
};

void* OpenFont(const char* name) {
    const std::size_t prefix = std::strlen(FontPrefix);
    if (std::strncmp(name, FontPrefix, prefix) != 0) return nullptr;
    std::FILE* file = std::fopen(name + prefix, "rb");
    return file ? new TFontFile{file, loadCancelled} : nullptr;
}

int ReadFont(void* buffer, fluid_long_long_t count, void* handle) {
    auto* font = static_cast<TFontFile*>(handle);
    auto* at = static_cast<char*>(buffer);
    while (count > 0) {
        if (font->cancelled && font->cancelled->load(std::memory_order_relaxed)) return FLUID_FAILED;
        const auto piece = static_cast<std::size_t>(std::min(count, ReadPiece));
        if (std::fread(at, 1, piece, font->file) != piece) return FLUID_FAILED;
        at += piece;
        count -= static_cast<fluid_long_long_t>(piece);
    }
    return FLUID_OK;
}

int SeekFont(void* handle, fluid_long_long_t offset, int origin) {
    return ::fseeko(static_cast<TFontFile*>(handle)->file, static_cast<off_t>(offset), origin) == 0 ? FLUID_OK
                                                                                                    : FLUID_FAILED;
}

fluid_long_long_t TellFont(void* handle) { return ::ftello(static_cast<TFontFile*>(handle)->file); }

int CloseFont(void* handle) {
    auto* font = static_cast<TFontFile*>(handle);
    std::fclose(font->file);
    delete font;
    return FLUID_OK;
}

// The loader thread: makes the synthesizer with its font, gives it what the
// channels were told meanwhile, and hands it over.
void Load(TState* state, const std::string& soundFont) {
    loadCancelled = &state->cancelled;
    fluid_synth_t* synth = new_fluid_synth(state->settings);
    bool ok = false;
    if (synth) {
        fluid_sfloader_t* loader = new_fluid_defsfloader(state->settings);
        fluid_sfloader_set_callbacks(loader, OpenFont, ReadFont, SeekFont, TellFont, CloseFont);
        fluid_synth_add_sfloader(synth, loader); // the synthesizer owns it from here
        ok = fluid_synth_sfload(synth, (FontPrefix + soundFont).c_str(), 1) != FLUID_FAILED;
    }
    std::function<void()> tell;
    {
        std::lock_guard lock(state->mutex);
        if (!ok || state->cancelled) {
            if (synth) delete_fluid_synth(synth);
            if (!ok && !state->cancelled) {
                const std::string why = TakeFluidError();
                state->loadError = "The sound font \"" + soundFont + "\" could not be loaded." +
                                   (why.empty() ? std::string() : " " + why);
                tell = state->onLoadFailed;
            }
        } else {
            for (const TShortMessage& m : state->memory.Replay()) Apply(synth, m.status, m.data1, m.data2);
            state->synth.store(synth, std::memory_order_release);
        }
        state->loaded.notify_all();
    }
    if (tell) tell();
}

class TFluidSynth final : public TBuiltInSynth {
public:
    explicit TFluidSynth(std::unique_ptr<TState> state) : state_(std::move(state)) {}
    ~TFluidSynth() override;
    void Send(const TShortMessage& message) override;
    void Silence() override;
    bool WaitLoaded(int milliseconds) override;
    std::string LoadError() const override;
    void Render(float* left, float* right, int frames) override;
    void SetSampleRate(double rate) override;
    const std::string& AudioDriver() const override { return state_->audioDriver; }

private:
    std::unique_ptr<TState> state_;
};

} // namespace

extern "C" __attribute__((visibility("default"))) TBuiltInSynth*
TonecastCreateSynth(const std::string& soundFont, TBuiltInSynth::TOutput output, std::string& error,
                    std::function<void()> loadFailed, double sampleRate) {
    RouteFluidLog();
    auto state = std::make_unique<TState>();
    state->onLoadFailed = std::move(loadFailed);
    fluid_settings_t* s = state->settings = new_fluid_settings();
    // Two periods of 256 frames where the audio system lets us choose.
    fluid_settings_setnum(s, "synth.sample-rate", sampleRate);
    fluid_settings_setint(s, "audio.period-size", 256);
    fluid_settings_setint(s, "audio.periods", 2);
    fluid_settings_setint(s, "synth.threadsafe-api", 1);
    if (output == TBuiltInSynth::TOutput::Memory) {
        state->audioDriver = "memory";
    } else {
        // Not FluidSynth's JACK driver: with JACK the program plays the synthesizer in its own client.
        for (const char* name : {"pipewire", "pulseaudio", "alsa"}) {
            if (fluid_settings_setstr(s, "audio.driver", name) != FLUID_OK) continue; // not built in
            state->driver = new_fluid_audio_driver2(s, Process, state.get());
            if (state->driver) {
                state->audioDriver = name;
                break;
            }
        }
        if (!state->driver) {
            const std::string why = TakeFluidError();
            error = "The built-in synthesizer found no audio output (PipeWire, PulseAudio or ALSA)." +
                    (why.empty() ? std::string() : " " + why);
            return nullptr;
        }
    }
    TState* loading = state.get();
    state->loader = std::thread([loading, soundFont] { Load(loading, soundFont); });
    return new TFluidSynth(std::move(state));
}

TFluidSynth::~TFluidSynth() {
    if (state_->driver) delete_fluid_audio_driver(state_->driver); // the audio stops here
    state_->driver = nullptr;
    state_->cancelled = true; // a font still loading stops at its next piece
    if (state_->loader.joinable()) state_->loader.join();
}

std::string TFluidSynth::LoadError() const {
    std::lock_guard lock(state_->mutex);
    return state_->loadError;
}

void TFluidSynth::Send(const TShortMessage& message) {
    const std::uint8_t status = message.status;
    const auto data1 = static_cast<std::uint8_t>(message.data1 & 0x7F);
    const auto data2 = static_cast<std::uint8_t>(message.data2 & 0x7F);
    std::unique_lock lock(state_->mutex);
    if (fluid_synth_t* synth = state_->synth.load(std::memory_order_acquire)) {
        lock.unlock();
        Apply(synth, status, data1, data2);
    } else {
        state_->memory.Record({status, data1, data2});
    }
}

void TFluidSynth::Silence() {
    if (fluid_synth_t* synth = state_->synth.load(std::memory_order_acquire)) fluid_synth_all_sounds_off(synth, -1);
}

bool TFluidSynth::WaitLoaded(int milliseconds) {
    std::unique_lock lock(state_->mutex);
    state_->loaded.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [this] { return state_->synth.load() || !state_->loadError.empty(); });
    return state_->synth.load() != nullptr;
}

void TFluidSynth::Render(float* left, float* right, int frames) {
    fluid_synth_t* synth = state_->synth.load(std::memory_order_acquire);
    if (!synth) {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
        return;
    }
    fluid_synth_write_float(synth, frames, left, 0, 1, right, 0, 1);
}


void TFluidSynth::SetSampleRate(double rate) {
    fluid_synth_t* synth = state_->synth.load(std::memory_order_acquire);
    if (!synth) {
        fluid_settings_setnum(state_->settings, "synth.sample-rate", rate); // a synthesizer still loading is made at it
        return;
    }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations" // its successor is not in FluidSynth 2.3
    fluid_synth_set_sample_rate(synth, static_cast<float>(rate));
#pragma GCC diagnostic pop
}
