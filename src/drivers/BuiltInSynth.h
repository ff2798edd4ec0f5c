#pragma once
// A General MIDI synthesizer of the program's own (FluidSynth), so that a new
// user hears the first key. Opening is quick: the sound font loads on a thread
// of its own, and what arrives meanwhile is remembered per channel (no notes)
// and given to the synthesizer once the font is in.
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

class TBuiltInSynth {
public:
    enum class TOutput {
        Audio,  // where the desktop plays sound: JACK, else PulseAudio/PipeWire, else ALSA
        Memory, // nothing plays; Render gives the samples
    };
    // Null with a reason in "error" when the font is unusable or no audio
    // output opens. A font that fails to load later is told through
    // loadFailed, on the loading thread.
    static std::unique_ptr<TBuiltInSynth> Create(const std::string& soundFont, TOutput output, std::string& error,
                                                 std::function<void()> loadFailed = {});
    ~TBuiltInSynth(); // silent at once; a font still loading is called off, its thread joined

    // Any thread; never waits for the font.
    void Send(std::uint32_t packed);
    // Every note released, every sound cut.
    void Silence();
    // True once the font is in; waits up to the given time.
    bool WaitLoaded(int milliseconds);
    // Why the font did not load, once it failed; else "".
    std::string LoadError() const;
    // Memory output only: stereo frames into the two buffers (silence until loaded).
    void Render(float* left, float* right, int frames);
    // The audio system in use: "jack", "pulseaudio", "alsa" or "memory".
    const std::string& AudioDriver() const;

    struct TState;

private:
    explicit TBuiltInSynth(std::unique_ptr<TState> state);
    std::unique_ptr<TState> state_;
};
