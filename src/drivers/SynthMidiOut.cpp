#include "SynthMidiOut.h"

TMidiOutWithSynth::TMidiOutWithSynth(MidiOutDriver& system, std::string soundFont, TBuiltInSynth::TOutput output,
                                     TMailboxFactory mailboxes, TSynthHostFactory hosts)
    : system_(system), soundFont_(std::move(soundFont)), output_(output), hosts_(std::move(hosts)),
      mailbox_(MakeMailbox(mailboxes)) {
    system_.OnPortsChanged = [this] {
        if (OnPortsChanged) OnPortsChanged();
    };
    mailbox_->OnMessage = [this](std::uint32_t) {
        if (!synth_) return;
        loadError_ = synth_->LoadError();
        if (!loadError_.empty() && OnDeviceFailed) OnDeviceFailed(SynthHandle(), SynthLoadFailed);
    };
}

std::uint32_t TMidiOutWithSynth::GetNumDevs() { return system_.GetNumDevs() + (Offered() ? 1 : 0); }

MMRESULT TMidiOutWithSynth::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    if (!Offered() || deviceId < 0) return system_.GetDevCaps(deviceId, productName);
    if (deviceId == 0) {
        productName = DeviceName;
        return MMSYSERR_NOERROR;
    }
    return system_.GetDevCaps(deviceId - 1, productName);
}

MMRESULT TMidiOutWithSynth::Open(MidiHandle& handle, std::int32_t deviceId) {
    if (!Offered() || deviceId < 0) return system_.Open(handle, deviceId);
    if (deviceId > 0) return system_.Open(handle, deviceId - 1);
    if (synth_) return MMSYSERR_ALLOCATED;
    TGuiMailbox* mailbox = mailbox_.get();
    std::unique_ptr<TSynthHost> host = hosts_ ? hosts_() : nullptr;
    synth_ = TBuiltInSynth::Create(
        soundFont_, host ? TBuiltInSynth::TOutput::Memory : output_, openError_,
        [mailbox] { mailbox->Post(TGuiMailbox::DataMessage); },
        host ? host->SampleRate() : TBuiltInSynth::DefaultSampleRate);
    if (!synth_) return SynthOpenFailed;
    if (host) host->Play(*synth_);
    host_ = std::move(host);
    handle = SynthHandle();
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiOutWithSynth::ShortMsg(MidiHandle handle, const TShortMessage& message) {
    if (handle != SynthHandle()) return system_.ShortMsg(handle, message);
    if (!synth_) return MMSYSERR_INVALHANDLE;
    if (host_) host_->Send(ShortMessage::Pack(message));
    else synth_->Send(ShortMessage::Pack(message));
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiOutWithSynth::Reset(MidiHandle handle) {
    if (handle != SynthHandle()) return system_.Reset(handle);
    if (!synth_) return MMSYSERR_INVALHANDLE;
    if (host_) host_->Silence();
    else synth_->Silence();
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiOutWithSynth::Close(MidiHandle handle) {
    if (handle != SynthHandle()) return system_.Close(handle);
    if (!synth_) return MMSYSERR_INVALHANDLE;
    host_.reset();
    synth_.reset();
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiOutWithSynth::GetErrorText(MMRESULT code, std::string& text) {
    if (code != SynthOpenFailed && code != SynthLoadFailed) return system_.GetErrorText(code, text);
    text = code == SynthOpenFailed ? openError_ : loadError_;
    return MMSYSERR_NOERROR;
}
