#include "platform/BuiltInSynth.h"

#include "midi/ChannelMemory.h"

#include <fluidsynth.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
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

// Asked without starting a server: a JACK server that runs is where the
// desktop's audio goes.
bool JackServerRuns() {
    jack_status_t status;
    jack_client_t* probe = jack_client_open("tonecast-probe", JackNoStartServer, &status);
    if (!probe) return false;
    jack_client_close(probe);
    return true;
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

} // namespace

struct TBuiltInSynth::TState {
    fluid_settings_t* settings = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    std::atomic<fluid_synth_t*> synth{nullptr}; // set once the font is in
    std::mutex mutex;                            // the memory, the hand-over, the end
    std::condition_variable loaded;
    TChannelMemory memory;
    bool cancelled = false;
    bool loadFailed = false;
    std::string audioDriver;

    ~TState() {
        if (fluid_synth_t* s = synth.load()) delete_fluid_synth(s);
        if (settings) delete_fluid_settings(settings);
    }
};

namespace {

// The audio thread: silence (the buffers come zeroed) until the synthesizer is there.
int Process(void* data, int len, int nfx, float* fx[], int nout, float* out[]) {
    auto* state = static_cast<TBuiltInSynth::TState*>(data);
    fluid_synth_t* synth = state->synth.load(std::memory_order_acquire);
    if (!synth) return FLUID_OK;
    if (nfx == 0 && nout >= 2) {
        float* effects[4] = {out[0], out[1], out[0], out[1]}; // reverb and chorus into the dry mix
        return fluid_synth_process(synth, len, 4, effects, nout, out);
    }
    return fluid_synth_process(synth, len, nfx, fx, nout, out);
}

// The loader thread: makes the synthesizer with its font, gives it what the
// channels were told meanwhile, and hands it over.
void Load(const std::shared_ptr<TBuiltInSynth::TState>& state, const std::string& soundFont) {
    fluid_synth_t* synth = new_fluid_synth(state->settings);
    const bool ok = synth && fluid_synth_sfload(synth, soundFont.c_str(), 1) != FLUID_FAILED;
    std::lock_guard lock(state->mutex);
    if (!ok || state->cancelled) {
        if (synth) delete_fluid_synth(synth);
        state->loadFailed = !ok;
    } else {
        for (const TShortMessage& m : state->memory.Replay()) Apply(synth, m.status, m.data1, m.data2);
        state->synth.store(synth, std::memory_order_release);
    }
    state->loaded.notify_all();
}

} // namespace

std::string FindSoundFont(const std::string& folder) {
    std::error_code ec;
    std::string best;
    std::uintmax_t bestSize = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::filesystem::path& path = entry.path();
        std::string ext = path.extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext != ".sf2" || !entry.is_regular_file(ec)) continue; // follows links
        const std::uintmax_t size = entry.file_size(ec);
        if (ec || size <= bestSize) continue;
        best = std::filesystem::canonical(path, ec).string();
        bestSize = size;
    }
    return best;
}

TBuiltInSynth::TBuiltInSynth(std::shared_ptr<TState> state) : state_(std::move(state)) {}

std::unique_ptr<TBuiltInSynth> TBuiltInSynth::Create(const std::string& soundFont, TOutput output, std::string& error) {
    std::error_code ec;
    if (soundFont.empty() || !std::filesystem::is_regular_file(soundFont, ec)) {
        error = "The built-in synthesizer has no General MIDI sound font.";
        return nullptr;
    }
    RouteFluidLog();
    auto state = std::make_shared<TState>();
    fluid_settings_t* s = state->settings = new_fluid_settings();
    // Two periods of 256 frames at 48 kHz where the audio system lets us choose.
    fluid_settings_setnum(s, "synth.sample-rate", 48000.0);
    fluid_settings_setint(s, "audio.period-size", 256);
    fluid_settings_setint(s, "audio.periods", 2);
    fluid_settings_setint(s, "audio.jack.autoconnect", 1);
    fluid_settings_setstr(s, "audio.jack.id", "Fendrel's Tonecast Synthesizer");
    fluid_settings_setint(s, "synth.threadsafe-api", 1);
    if (output == TOutput::Memory) {
        state->audioDriver = "memory";
    } else {
        const bool jack = JackServerRuns();
        for (const char* name : {"jack", "pipewire", "pulseaudio", "alsa"}) {
            if (std::strcmp(name, "jack") == 0 && !jack) continue; // would start a server of its own
            if (fluid_settings_setstr(s, "audio.driver", name) != FLUID_OK) continue; // not built in
            state->driver = new_fluid_audio_driver2(s, Process, state.get());
            if (state->driver) {
                state->audioDriver = name;
                break;
            }
        }
        if (!state->driver) {
            const std::string why = TakeFluidError();
            error = "The built-in synthesizer found no audio output (JACK, PipeWire, PulseAudio or ALSA)." +
                    (why.empty() ? std::string() : " " + why);
            return nullptr;
        }
    }
    std::thread([state, soundFont] { Load(state, soundFont); }).detach();
    return std::unique_ptr<TBuiltInSynth>(new TBuiltInSynth(std::move(state)));
}

TBuiltInSynth::~TBuiltInSynth() {
    if (state_->driver) delete_fluid_audio_driver(state_->driver); // the audio stops here
    state_->driver = nullptr;
    std::lock_guard lock(state_->mutex);
    state_->cancelled = true; // a font still loading is dropped by its thread
}

void TBuiltInSynth::Send(std::uint32_t packed) {
    const auto status = static_cast<std::uint8_t>(packed & 0xFF);
    const auto data1 = static_cast<std::uint8_t>((packed >> 8) & 0x7F);
    const auto data2 = static_cast<std::uint8_t>((packed >> 16) & 0x7F);
    std::unique_lock lock(state_->mutex);
    if (fluid_synth_t* synth = state_->synth.load(std::memory_order_acquire)) {
        lock.unlock();
        Apply(synth, status, data1, data2);
    } else {
        state_->memory.Record(status, data1, data2);
    }
}

void TBuiltInSynth::Silence() {
    if (fluid_synth_t* synth = state_->synth.load(std::memory_order_acquire)) fluid_synth_all_sounds_off(synth, -1);
}

bool TBuiltInSynth::WaitLoaded(int milliseconds) {
    std::unique_lock lock(state_->mutex);
    state_->loaded.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [this] { return state_->synth.load() || state_->loadFailed; });
    return state_->synth.load() != nullptr;
}

void TBuiltInSynth::Render(float* left, float* right, int frames) {
    fluid_synth_t* synth = state_->synth.load(std::memory_order_acquire);
    if (!synth) {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
        return;
    }
    fluid_synth_write_float(synth, frames, left, 0, 1, right, 0, 1);
}

const std::string& TBuiltInSynth::AudioDriver() const { return state_->audioDriver; }
