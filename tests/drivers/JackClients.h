#pragma once
// Other programs on a JACK server, as the integration tests need them: a sink
// that collects what arrives at its MIDI input, a source that sends, and an
// audio recorder.
#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <string>
#include <vector>

using Message = std::vector<unsigned char>;

class Sink {
public:
    explicit Sink(const char* name = "tonecast-sink");
    ~Sink();
    std::string PortName() const { return jack_port_name(port_); }
    jack_client_t* Client() const { return client_; }
    // Waits until at least count messages have arrived in all, or the timeout;
    // idle runs while waiting (an event loop, say).
    const std::vector<Message>& Collect(std::size_t count, int timeoutMs = 5000, void (*idle)() = nullptr);
    // Links the first MIDI output of a client to this sink; true once the link carries.
    bool ListenTo(const std::string& client);
    // Returns once two of the sink's cycles have begun and ended since the call:
    // JACK makes a link live at the start of a cycle after jack_connect returns,
    // so a message sent at once may still go out on the graph without it.
    bool AwaitLinks(int timeoutMs = 2000) const;

private:
    static int Process(jack_nframes_t frames, void* arg);
    void Drain();

    std::atomic<unsigned long long> cycles_{0};

    jack_client_t* client_;
    jack_port_t* port_;
    jack_ringbuffer_t* ring_;
    std::vector<Message> received_;
};

class Source {
public:
    // An inactive source has its port listed but takes no connection yet.
    explicit Source(const char* name = "tonecast-source", bool active = true);
    ~Source();
    void Activate();
    std::string PortName() const { return jack_port_name(port_); }
    void Send(const Message& message); // goes out in the next cycle

private:
    static int Process(jack_nframes_t frames, void* arg);

    jack_client_t* client_;
    jack_port_t* port_;
    jack_ringbuffer_t* ring_;
};

// A program that listens to audio on two inputs and notes, per cycle, whether
// anything sounded.
class AudioRecorder {
public:
    explicit AudioRecorder(const char* name = "tonecast-audio-recorder");
    ~AudioRecorder();
    jack_client_t* Client() const { return client_; }
    // Connects the first two audio outputs of the ports matching the pattern.
    bool ConnectFrom(const char* pattern);
    // The first frame of the first cycle with sound, or -1.
    long long FirstSoundFrame() const { return firstSound_.load(); }
    void ResetFirstSound() { firstSound_ = -1; }
    // The loudest sample since the last ResetPeak.
    float RecentPeak() const { return recentPeak_.load(); }
    void ResetPeak() { recentPeak_ = 0; }

private:
    static int Process(jack_nframes_t frames, void* arg);
    jack_client_t* client_ = nullptr;
    jack_port_t* ports_[2] = {};
    std::atomic<long long> firstSound_{-1};
    std::atomic<float> recentPeak_{0};
};

// Connects the first MIDI output port of a client to a port; true when connected now.
bool ConnectClientTo(jack_client_t* jack, const std::string& client, const std::string& port);
