#include "SynthMidiOut.h"

class TMidiOutWithSynth::TSynthPort final : public TMidiOutPort {
public:
    TSynthPort(TMidiOutWithSynth& owner, std::unique_ptr<TGuiMailbox> mailbox)
        : owner_(&owner), mailbox_(std::move(mailbox)) {
        owner_->open_ = this;
        mailbox_->OnMessage = [this](std::uint32_t) {
            const std::string error = synth_ ? synth_->LoadError() : std::string();
            if (!error.empty() && OnFailed) OnFailed(error);
        };
    }
    ~TSynthPort() override {
        if (owner_) owner_->open_ = nullptr;
        host_.reset(); // it stops playing the synthesizer first
        synth_.reset();
    }
    // Raises why the synthesizer did not start.
    void Start(const std::string& soundFont, TBuiltInSynth::TOutput output, std::unique_ptr<TSynthHost> host) {
        std::string error;
        TGuiMailbox* mailbox = mailbox_.get();
        synth_ = TBuiltInSynth::Create(
            soundFont, host ? TBuiltInSynth::TOutput::Memory : output, error,
            [mailbox] { mailbox->Post(TGuiMailbox::DataMessage); },
            host ? host->SampleRate() : TBuiltInSynth::DefaultSampleRate);
        if (!synth_) throw EMidiError(error);
        if (host) host->Play(*synth_);
        host_ = std::move(host);
    }

    void Send(const TShortMessage& m) override {
        if (host_) host_->Send(m);
        else synth_->Send(m);
    }
    void Silence() override {
        if (host_) host_->Silence();
        else synth_->Silence();
    }

    TBuiltInSynth* Synth() const { return synth_.get(); }
    TGuiMailbox& Mailbox() { return *mailbox_; }
    void Orphan() { owner_ = nullptr; }

private:
    TMidiOutWithSynth* owner_;
    std::unique_ptr<TGuiMailbox> mailbox_;
    std::unique_ptr<TBuiltInSynth> synth_; // after the mailbox: it may post to it until it is gone
    std::unique_ptr<TSynthHost> host_;     // after the synthesizer: it stops playing it first
};

TMidiOutWithSynth::TMidiOutWithSynth(TMidiOutDriver& system, std::string soundFont, TBuiltInSynth::TOutput output,
                                     TMailboxFactory mailboxes, TSynthHostFactory hosts)
    : system_(system), soundFont_(std::move(soundFont)), output_(output), mailboxes_(std::move(mailboxes)),
      hosts_(std::move(hosts)) {
    system_.OnPortsChanged = [this] {
        if (OnPortsChanged) OnPortsChanged();
    };
}

TMidiOutWithSynth::~TMidiOutWithSynth() {
    system_.OnPortsChanged = nullptr;
    if (open_) open_->Orphan();
}

void TMidiOutWithSynth::DeliverNotices() {
    if (open_) open_->Mailbox().Deliver();
}

TBuiltInSynth* TMidiOutWithSynth::Synth() const { return open_ ? open_->Synth() : nullptr; }

std::vector<TMidiPortInfo> TMidiOutWithSynth::Ports() {
    std::vector<TMidiPortInfo> ports = system_.Ports();
    if (Offered()) ports.insert(ports.begin(), TMidiPortInfo{DeviceName, SynthId});
    return ports;
}

std::unique_ptr<TMidiOutPort> TMidiOutWithSynth::Open(const TMidiPortInfo& port) {
    if (!Offered() || port.id != SynthId) return system_.Open(port);
    if (open_) throw EMidiError(MidiFailure::InUse);
    auto synth = std::make_unique<TSynthPort>(*this, MakeMailbox(mailboxes_));
    synth->Start(soundFont_, output_, hosts_ ? hosts_() : nullptr);
    return synth;
}
