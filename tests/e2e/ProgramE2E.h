#pragma once
// The real program under Xvfb with a real JACK server: keys and clicks from
// xdotool (XTEST), MIDI read at a JACK port connected to the program's
// output, settings read from the file on disk.
#include "JackClients.h"
#include "JackServer.h"
#include "PipeWireSession.h"
#include "Processes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

inline void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

inline int Shell(const std::string& command) { return std::system(command.c_str()); }

class ProgramE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        display = ":" + std::to_string(100 + ::getpid() % 400);
        xvfb = Spawn({"Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, dir.File("xvfb.log"));
        const std::string socket = "/tmp/.X11-unix/X" + display.substr(1);
        for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) Sleep(50);
        ASSERT_TRUE(std::filesystem::exists(socket)) << "Xvfb did not start";
        ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        ::setenv("TONECAST_MIDI_API", "jack", 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1); // the caller's may be offscreen: no window to type into
        if (!initialSettings.empty()) {
            std::filesystem::create_directories(std::filesystem::path(SettingsFile()).parent_path());
            WriteFile(SettingsFile(), initialSettings);
        }
        if (onPipeWire) pipewire = std::make_unique<PipeWireSession>();
        else server = std::make_unique<JackServer>();
        sink = std::make_unique<Sink>("tonecast-e2e-sink");
        if (withSource) source = std::make_unique<Source>("tonecast-e2e-source");
        StartProgram();
    }
    // Starts the program, connects its port to the sink and focuses its window.
    void StartProgram() {
        program = Spawn({TONECAST_BINARY}, dir.File("tonecast.log"));
        if (!outputToSink) {
            ASSERT_EQ(Shell("xdotool search --sync --onlyvisible --name \"^Fendrel's Tonecast$\" windowfocus >/dev/null 2>&1"), 0);
            Sleep(500);
            return;
        }
        bool connected = false;
        for (int i = 0; i < 200 && !connected; ++i) {
            Sleep(50);
            connected = sink->ListenTo("Fendrel's Tonecast");
        }
        ASSERT_TRUE(connected) << "the program's port did not appear";
        ASSERT_EQ(Shell("xdotool search --name \"^Fendrel's Tonecast$\" windowfocus >/dev/null 2>&1"), 0);
        Sleep(500);
    }
    // Ends the program as the desktop does at logout; it must save and exit cleanly.
    void StopProgram() {
        EXPECT_EQ(Stop(program), 0) << "the program did not end cleanly on SIGTERM; see " << dir.File("tonecast.log");
        program = -1;
    }
    void TearDown() override {
        if (program > 0) {
            EXPECT_EQ(Stop(program), 0) << "the program did not end cleanly on SIGTERM";
        }
        source.reset();
        sink.reset();
        server.reset();
        pipewire.reset();
        Stop(xvfb);
        ::unsetenv("TONECAST_MIDI_API");
        // The folder goes with the test: what the program said is only kept here.
        if (HasFailure()) std::fprintf(stderr, "--- tonecast.log ---\n%s\n", ReadFile(dir.File("tonecast.log")).c_str());
    }
    void Keys(const std::string& keys) { ASSERT_EQ(Shell("xdotool " + keys), 0); }
    // The output of a command, without its last line break.
    static std::string Output(const std::string& command) {
        std::string out;
        if (FILE* p = ::popen(command.c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
            ::pclose(p);
        }
        if (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }
    // Whether the running program has a library whose file name starts so mapped.
    bool Maps(const std::string& library) const {
        const std::string maps = ReadFile("/proc/" + std::to_string(program) + "/maps");
        return maps.find("/" + library) != std::string::npos;
    }
    std::string SettingsFile() const { return dir.File("Morwent/Fendrel's Tonecast/tonecast.reg"); }

    // The registry file the program finds at its start, when not empty.
    std::string initialSettings;
    // Whether the program plays into the sink (its own port, the default output).
    bool outputToSink = true;
    // Whether another program offers a MIDI output before the program starts (its first input).
    bool withSource = false;
    // A PipeWire session instead of a JACK server (the test runs under pw-jack).
    bool onPipeWire = false;
    TempDir dir;
    std::string display;
    pid_t xvfb = -1, program = -1;
    std::unique_ptr<JackServer> server;
    std::unique_ptr<PipeWireSession> pipewire;
    std::unique_ptr<Sink> sink;
    std::unique_ptr<Source> source;
};

} // namespace e2e
