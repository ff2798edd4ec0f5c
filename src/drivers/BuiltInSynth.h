#pragma once
// A General MIDI synthesizer of the program's own (FluidSynth), so that a new
// user hears the first key. Opening is quick: the sound font loads on a thread
// of its own, and what arrives meanwhile is remembered per channel (no notes)
// and given to the synthesizer once the font is in.
#include "midi/ShortMessage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The General MIDI sound font to use: the largest .sf2 file of the folder
// (a full GM font rather than a small one), or empty when there is none.
std::string FindSoundFont(const std::string& folder = "/usr/share/sounds/sf2");

// Why a file cannot be a sound font, found without loading it (unreadable,
// no SoundFont 2 file, cut short), or "" when it looks whole.
std::string SoundFontProblem(const std::string& path);

// The synthesizer lives in a module of its own (FluidSynth), loaded by the
// first Create: a start that never opens it maps none of its libraries.
class TBuiltInSynth {
public:
    enum class TOutput {
        Audio,  // through FluidSynth's own drivers: PipeWire, else PulseAudio, else ALSA
        Memory, // nothing plays; Render gives the samples (a test, or a host that plays them)
    };
    static constexpr double DefaultSampleRate = 48000.0;
    // Null with a reason in "error" when the font is unusable, the module
    // does not load or no audio output opens. A font that fails to load
    // later is told through loadFailed, on the loading thread.
    static std::unique_ptr<TBuiltInSynth> Create(const std::string& soundFont, TOutput output, std::string& error,
                                                 std::function<void()> loadFailed = {},
                                                 double sampleRate = DefaultSampleRate);
    virtual ~TBuiltInSynth() = default; // silent at once; a font still loading is called off, its thread joined

    // Any thread; never waits for the font.
    virtual void Send(const TShortMessage& message) = 0;
    // Every note released, every sound cut.
    virtual void Silence() = 0;
    // True once the font is in; waits up to the given time.
    virtual bool WaitLoaded(int milliseconds) = 0;
    // Why the font did not load, once it failed; else "".
    virtual std::string LoadError() const = 0;
    // Memory output only: stereo frames into the two buffers (silence until loaded).
    virtual void Render(float* left, float* right, int frames) = 0;
    // Memory output only, on the rendering thread: the rate Render is played at changed.
    virtual void SetSampleRate(double rate) = 0;
    // The audio system in use: "jack", "pulseaudio", "alsa" or "memory".
    virtual const std::string& AudioDriver() const = 0;
};

// What the synthesizer's module exports as TonecastCreateSynth: Create once the font is checked.
using TSynthFactory = TBuiltInSynth* (*)(const std::string& soundFont, TBuiltInSynth::TOutput output,
                                         std::string& error, std::function<void()> loadFailed, double sampleRate);

// Where the synthesizer plays when the program renders it itself (in its JACK client).
class TSynthHost {
public:
    virtual ~TSynthHost() = default; // the synthesizer is not touched once it returns
    virtual double SampleRate() const = 0; // to make the synthesizer at
    virtual void Play(TBuiltInSynth& synth) = 0; // rendered from the next cycle on
    virtual void Send(const TShortMessage& message) = 0; // reaches the synthesizer in the next cycle
    virtual void Silence() = 0;
};
// A host when the program renders the synthesizer itself, else null: it plays through its own drivers.
using TSynthHostFactory = std::function<std::unique_ptr<TSynthHost>()>;
