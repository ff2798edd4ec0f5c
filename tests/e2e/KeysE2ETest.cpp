// The real program under Xvfb with a real JACK server: keys typed with
// xdotool (XTEST) reach a JACK port connected to the program's output.
#include "../integration/JackClients.h"
#include "../integration/JackServer.h"
#include "../TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

pid_t Spawn(const std::vector<std::string>& args, const std::string& log) {
    pid_t pid = ::fork();
    if (pid == 0) {
        FILE* out = std::fopen(log.c_str(), "w");
        if (out) {
            ::dup2(fileno(out), 1);
            ::dup2(fileno(out), 2);
        }
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int Stop(pid_t pid, int signal = SIGTERM) {
    if (pid <= 0) return -1;
    ::kill(pid, signal);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        Sleep(50);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

class KeysE2ETest : public ::testing::Test {
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
        server = std::make_unique<JackServer>();
        sink = std::make_unique<Sink>("tonecast-e2e-sink");
        program = Spawn({TONECAST_BINARY}, dir.File("tonecast.log"));
        bool connected = false;
        for (int i = 0; i < 200 && !connected; ++i) {
            Sleep(50);
            connected = ConnectClientTo(sink->Client(), "Fendrel's Tonecast", sink->PortName());
        }
        ASSERT_TRUE(connected) << "the program's port did not appear";
        ASSERT_EQ(Shell("xdotool search --name \"^Fendrel's Tonecast$\" windowfocus >/dev/null 2>&1"), 0);
        Sleep(500);
    }
    void TearDown() override {
        if (program > 0) {
            EXPECT_EQ(Stop(program), 0) << "the program did not end cleanly on SIGTERM";
        }
        sink.reset();
        server.reset();
        Stop(xvfb);
        ::unsetenv("TONECAST_MIDI_API");
    }
    void Keys(const std::string& keys) { ASSERT_EQ(Shell("xdotool " + keys), 0); }

    TempDir dir;
    std::string display;
    pid_t xvfb = -1, program = -1;
    std::unique_ptr<JackServer> server;
    std::unique_ptr<Sink> sink;
};

TEST_F(KeysE2ETest, TheComputerKeyboardPlaysBothManuals) {
    Keys("keydown q");
    Sleep(100);
    Keys("keyup q");
    Keys("keydown shift keydown q");
    Sleep(100);
    Keys("keyup q keyup shift");
    Keys("keydown z");
    Sleep(100);
    Keys("keyup z");
    Keys("key F4");
    Sleep(100);
    Keys("keydown q");
    Sleep(100);
    Keys("keyup q");
    const auto& got = sink->Collect(8, 5000);
    ASSERT_EQ(got.size(), 8u) << "see " << dir.File("tonecast.log");
    EXPECT_EQ(got[0], (Message{0x90, 60, 100}));
    EXPECT_EQ(got[1], (Message{0x90, 60, 0}));
    EXPECT_EQ(got[2], (Message{0x90, 60, 50}));
    EXPECT_EQ(got[3], (Message{0x90, 60, 0}));
    EXPECT_EQ(got[4], (Message{0x90, 48, 100}));
    EXPECT_EQ(got[5], (Message{0x90, 48, 0}));
    EXPECT_EQ(got[6], (Message{0x90, 72, 100}));
    EXPECT_EQ(got[7], (Message{0x90, 72, 0}));
}

} // namespace
