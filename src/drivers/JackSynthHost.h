#pragma once
// The built-in synthesizer played in the program's own JACK client: its two
// audio ports live on the shared client and follow the server's generations
// like every port of ours. Each cycle hands the synthesizer that cycle's
// messages, then has it write that cycle's audio, so a key reaches it in the
// next cycle. While there is no server, what it is sent is remembered per
// channel (no notes) and given to it, after silence, once a server is back.
#include "BuiltInSynth.h"

#include <memory>

class TJackClient;
class TJackPort;

class TJackSynthHost final : public TSynthHost {
public:
    static constexpr const char* LeftPort = "Synthesizer Left";
    static constexpr const char* RightPort = "Synthesizer Right";

    explicit TJackSynthHost(std::shared_ptr<TJackClient> client);
    ~TJackSynthHost() override;

    double SampleRate() const override;
    void Play(TBuiltInSynth& synth) override;
    void Send(const TShortMessage& message) override;
    void Silence() override;

    struct Work;

private:
    void Resync();

    std::shared_ptr<TJackClient> client_;
    std::shared_ptr<Work> work_;
    std::shared_ptr<TJackPort> port_;
    std::function<void()> changed_;
};
