#pragma once
// The system's MIDI outputs with the built-in synthesizer as device 0, so it
// follows the mapper in the "Midi Out" menu. Offered only with a sound font.
#include "BuiltInSynth.h"
#include "midi/GuiMailbox.h"
#include "midi/MidiOutDriver.h"
#include "midi/MidiPortNames.h"

#include <memory>
#include <string>

class TMidiOutWithSynth : public MidiOutDriver {
public:
    static constexpr const char* DeviceName = BuiltInSynthesizerName;
    static constexpr MMRESULT SynthOpenFailed = 0x10000; // text: why, from the synthesizer
    static constexpr MMRESULT SynthLoadFailed = 0x10001; // the font failed after the open; text: why

    // No sound font (empty): the system's devices alone. A font that fails
    // after the open is told through OnDeviceFailed, on the GUI thread woken
    // through a mailbox from the factory. Where the host factory gives a host
    // at the open, the synthesizer plays there, else through its own drivers.
    TMidiOutWithSynth(MidiOutDriver& system, std::string soundFont,
                      TBuiltInSynth::TOutput output = TBuiltInSynth::TOutput::Audio, TMailboxFactory mailboxes = {},
                      TSynthHostFactory hosts = {});
    // Tests without an event loop: what a wake-up of the mailbox does.
    void DeliverNotices() { mailbox_->Deliver(); }

    std::uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) override;
    MMRESULT Open(MidiHandle& handle, std::int32_t deviceId) override;
    MMRESULT ShortMsg(MidiHandle handle, const TShortMessage& message) override;
    MMRESULT Reset(MidiHandle handle) override;
    MMRESULT Close(MidiHandle handle) override;
    MMRESULT GetErrorText(MMRESULT code, std::string& text) override;
    bool HasMapper() override { return system_.HasMapper(); }
    bool DevicesKnown() override { return system_.DevicesKnown(); }
    int Listeners(MidiHandle handle) override { return handle == SynthHandle() ? -1 : system_.Listeners(handle); }

    TBuiltInSynth* Synth() const { return synth_.get(); } // while open

private:
    bool Offered() const { return !soundFont_.empty(); }
    // Unique in the process: no driver's handle can have the address of this member.
    MidiHandle SynthHandle() const { return reinterpret_cast<MidiHandle>(&synth_); }

    MidiOutDriver& system_;
    std::string soundFont_;
    TBuiltInSynth::TOutput output_;
    TSynthHostFactory hosts_;
    std::unique_ptr<TGuiMailbox> mailbox_;
    std::unique_ptr<TBuiltInSynth> synth_; // after the mailbox: it may post to it until it is gone
    std::unique_ptr<TSynthHost> host_;     // after the synthesizer: it stops playing it first
    std::string openError_;
    std::string loadError_;
};
