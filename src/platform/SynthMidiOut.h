#pragma once
// The system's MIDI outputs with the built-in synthesizer as device 0, so it
// follows the mapper in the "Midi Out" menu. Offered only with a sound font.
#include "platform/BuiltInSynth.h"
#include "platform/MidiDriver.h"

#include <memory>
#include <string>

class TMidiOutWithSynth : public MidiOutDriver {
public:
    static constexpr const char* DeviceName = "Built-in Synthesizer";
    static constexpr MMRESULT SynthOpenFailed = 0x10000; // text: why, from the synthesizer

    // No sound font (empty): the system's devices alone.
    TMidiOutWithSynth(MidiOutDriver& system, std::string soundFont,
                      TBuiltInSynth::TOutput output = TBuiltInSynth::TOutput::Audio);

    std::uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) override;
    MMRESULT Open(MidiHandle& handle, std::int32_t deviceId) override;
    MMRESULT ShortMsg(MidiHandle handle, std::uint32_t packed) override;
    MMRESULT Reset(MidiHandle handle) override;
    MMRESULT Close(MidiHandle handle) override;
    MMRESULT GetErrorText(MMRESULT code, std::string& text) override;
    bool HasMapper() override { return system_.HasMapper(); }

    TBuiltInSynth* Synth() const { return synth_.get(); } // while open

private:
    bool Offered() const { return !soundFont_.empty(); }
    // Unique in the process: no driver's handle can have the address of this member.
    MidiHandle SynthHandle() const { return reinterpret_cast<MidiHandle>(&synth_); }

    MidiOutDriver& system_;
    std::string soundFont_;
    TBuiltInSynth::TOutput output_;
    std::unique_ptr<TBuiltInSynth> synth_;
    std::string openError_;
};
