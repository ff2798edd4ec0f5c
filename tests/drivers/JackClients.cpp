#include "JackClients.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <jack/midiport.h>
#include <jack/thread.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

// The test's own peers keep up on a busy machine, so that what a test finds
// lost was lost by the program.
void KeepUp(jack_client_t* client) {
    if (!jack_is_realtime(client)) jack_acquire_real_time_scheduling(jack_client_thread_id(client), 10);
}

} // namespace

Sink::Sink(const char* name) {
    client_ = jack_client_open(name, JackNoStartServer, nullptr);
    if (!client_) throw std::runtime_error("sink cannot connect");
    port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    ring_ = jack_ringbuffer_create(1 << 16);
    jack_set_process_callback(client_, &Sink::Process, this);
    jack_activate(client_);
    KeepUp(client_);
}

Sink::~Sink() {
    jack_deactivate(client_);
    jack_client_close(client_);
    jack_ringbuffer_free(ring_);
}

int Sink::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<Sink*>(arg);
    void* buffer = jack_port_get_buffer(self->port_, frames);
    jack_nframes_t n = jack_midi_get_event_count(buffer);
    for (jack_nframes_t i = 0; i < n; ++i) {
        jack_midi_event_t ev;
        if (jack_midi_event_get(&ev, buffer, i) != 0 || ev.size > 255) continue;
        unsigned char size = static_cast<unsigned char>(ev.size);
        if (jack_ringbuffer_write_space(self->ring_) < ev.size + 1u) continue;
        jack_ringbuffer_write(self->ring_, reinterpret_cast<char*>(&size), 1);
        jack_ringbuffer_write(self->ring_, reinterpret_cast<char*>(ev.buffer), ev.size);
    }
    self->cycles_.fetch_add(1);
    return 0;
}

bool Sink::ListenTo(const std::string& client) { return ConnectClientTo(client_, client, PortName()) && AwaitLinks(); }

bool Sink::AwaitLinks(int timeoutMs) const {
    // The cycle running now may have begun before the link: it and one whole cycle after it.
    const unsigned long long until = cycles_.load() + 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (cycles_.load() < until) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void Sink::Drain() {
    unsigned char size;
    while (jack_ringbuffer_read(ring_, reinterpret_cast<char*>(&size), 1) == 1) {
        Message m(size);
        jack_ringbuffer_read(ring_, reinterpret_cast<char*>(m.data()), size);
        received_.push_back(m);
    }
}

const std::vector<Message>& Sink::Collect(std::size_t count, int timeoutMs, void (*idle)()) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (idle) idle();
        Drain();
        if (received_.size() >= count || std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return received_;
}

Source::Source(const char* name, bool active) {
    client_ = jack_client_open(name, JackNoStartServer, nullptr);
    if (!client_) throw std::runtime_error("source cannot connect");
    port_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    ring_ = jack_ringbuffer_create(1 << 16);
    jack_set_process_callback(client_, &Source::Process, this);
    if (active) Activate();
}

void Source::Activate() {
    jack_activate(client_);
    KeepUp(client_);
}

Source::~Source() {
    jack_deactivate(client_);
    jack_client_close(client_);
    jack_ringbuffer_free(ring_);
}

void Source::Send(const Message& message) {
    const unsigned short size = static_cast<unsigned short>(message.size());
    jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&size), sizeof size);
    jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(message.data()), message.size());
}

int Source::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<Source*>(arg);
    void* buffer = jack_port_get_buffer(self->port_, frames);
    jack_midi_clear_buffer(buffer);
    unsigned short size;
    jack_nframes_t time = 0;
    while (jack_ringbuffer_read_space(self->ring_) >= sizeof size) {
        jack_ringbuffer_peek(self->ring_, reinterpret_cast<char*>(&size), sizeof size);
        if (jack_ringbuffer_read_space(self->ring_) < sizeof size + size) break;
        jack_ringbuffer_read_advance(self->ring_, sizeof size);
        unsigned char data[4096];
        if (size > sizeof data) {
            jack_ringbuffer_read_advance(self->ring_, size);
            continue;
        }
        jack_ringbuffer_read(self->ring_, reinterpret_cast<char*>(data), size);
        jack_midi_event_write(buffer, time < frames ? time++ : frames - 1, data, size);
    }
    return 0;
}

bool ConnectClientTo(jack_client_t* jack, const std::string& client, const std::string& port) {
    const char** ports = jack_get_ports(jack, (client + ":").c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    if (!ports || !ports[0]) return false;
    const int result = jack_connect(jack, ports[0], port.c_str());
    const bool ok = result == 0 || result == EEXIST;
    jack_free(ports);
    return ok;
}

AudioRecorder::AudioRecorder(const char* name) {
    client_ = jack_client_open(name, JackNoStartServer, nullptr);
    if (!client_) return;
    ports_[0] = jack_port_register(client_, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    ports_[1] = jack_port_register(client_, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &AudioRecorder::Process, this);
    jack_activate(client_);
}

AudioRecorder::~AudioRecorder() {
    if (client_) jack_client_close(client_);
}

bool AudioRecorder::ConnectFrom(const char* pattern) {
    if (!client_) return false;
    const char** outputs = jack_get_ports(client_, pattern, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    if (!outputs) return false;
    int n = 0;
    for (; outputs[n] && n < 2; ++n) jack_connect(client_, outputs[n], jack_port_name(ports_[n]));
    jack_free(outputs);
    return n == 2;
}

int AudioRecorder::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<AudioRecorder*>(arg);
    float peak = 0;
    for (jack_port_t* port : self->ports_) {
        const auto* in = static_cast<const float*>(jack_port_get_buffer(port, frames));
        for (jack_nframes_t i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(in[i]));
    }
    if (peak > 1e-4f && self->firstSound_.load() < 0) self->firstSound_ = jack_last_frame_time(self->client_);
    if (peak > self->recentPeak_.load()) self->recentPeak_ = peak;
    return 0;
}
