// A plain JACK program for control runs, no Tonecast: a source and a sink
// client in one process, the source sending a note every cycle to the sink.
// It lives through servers as the program does: on a loss it closes both
// clients and looks for a server again every 100 ms. Every 50 ms it writes
// "<servers met> <notes heard on this server>" to the file it is given.
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

std::atomic<bool> lost{false};
std::atomic<long> heard{0};
jack_port_t* out = nullptr;
jack_port_t* in = nullptr;

int SourceProcess(jack_nframes_t frames, void*) {
    void* buffer = jack_port_get_buffer(out, frames);
    jack_midi_clear_buffer(buffer);
    const unsigned char note[3] = {0x90, 60, 100};
    jack_midi_event_write(buffer, 0, note, 3);
    return 0;
}

int SinkProcess(jack_nframes_t frames, void*) {
    heard += static_cast<long>(jack_midi_get_event_count(jack_port_get_buffer(in, frames)));
    return 0;
}

void Lost(jack_status_t, const char*, void*) { lost = true; }

jack_client_t* Open(const char* name, JackProcessCallback process) {
    jack_client_t* client = jack_client_open(name, JackNoStartServer, nullptr);
    if (!client) return nullptr;
    jack_set_process_callback(client, process, nullptr);
    jack_on_info_shutdown(client, Lost, nullptr);
    return client;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    jack_set_error_function([](const char*) {});
    long servers = 0;
    for (;;) {
        jack_client_t* source = Open("control-source", SourceProcess);
        jack_client_t* sink = source ? Open("control-sink", SinkProcess) : nullptr;
        if (!sink) {
            if (source) jack_client_close(source);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        out = jack_port_register(source, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        in = jack_port_register(sink, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        heard = 0;
        lost = false;
        ++servers;
        jack_activate(sink);
        jack_activate(source);
        jack_connect(source, jack_port_name(out), jack_port_name(in));
        while (!lost) {
            if (std::FILE* status = std::fopen(argv[1], "w")) {
                std::fprintf(status, "%ld %ld\n", servers, heard.load());
                std::fclose(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // libjack's threads end first
        jack_client_close(source);
        jack_client_close(sink);
    }
}
