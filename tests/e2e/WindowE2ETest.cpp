// The real program's window: a menu bar that can be read, and a window that
// keeps answering when the JACK server goes away under it.
#include "ProgramE2E.h"

#include <set>
#include <sstream>

namespace e2e {
namespace {

TEST_F(ProgramE2ETest, TheMenuCaptionsAreDrawnReadably) {
    const std::string id = Output("xdotool search --name \"^Fendrel's Tonecast$\" | head -1");
    ASSERT_FALSE(id.empty());
    const std::string geometry = Output("xwininfo -id " + id + " | awk '/Absolute upper-left X/{x=$4} "
                                        "/Absolute upper-left Y/{y=$4} /Width/{w=$2} END{print w\"x18+\"x\"+\"y}'");
    const std::string shot = dir.File("shot.png");
    ASSERT_EQ(Shell("import -window root " + shot + " 2>/dev/null"), 0);
    // The menu bar's strip: captions drawn on a light bar give contrast there.
    const std::string spread =
        Output("convert " + shot + " -crop " + geometry + " -colorspace gray -format '%[fx:standard_deviation]' info:");
    const std::string mean =
        Output("convert " + shot + " -crop " + geometry + " -colorspace gray -format '%[fx:mean]' info:");
    ASSERT_FALSE(spread.empty()) << geometry;
    EXPECT_GT(std::stod(spread), 0.05) << "no captions to be seen in " << geometry;
    EXPECT_GT(std::stod(mean), 0.3) << "the menu bar is dark";
}

// The synthesizer and SDL are loaded only when chosen: a plain start that plays
// a key maps neither.
TEST_F(ProgramE2ETest, APlainStartMapsNeitherTheSynthesizerNorSdl) {
    Keys("keydown q");
    Sleep(100);
    Keys("keyup q");
    ASSERT_EQ(sink->Collect(2, 5000).size(), 2u);
    for (const char* library : {"libfluidsynth", "libSDL2", "tonecast-synth", "tonecast-joystick"})
        EXPECT_FALSE(Maps(library)) << library;
    EXPECT_TRUE(Maps("libjack")) << "the check reads the program's own maps";
}

TEST_F(ProgramE2ETest, TheWindowKeepsAnsweringWhenTheJackServerStops) {
    Keys("keydown q");
    ASSERT_EQ(sink->Collect(1, 5000).size(), 1u);
    sink.reset();
    server->Stop();
    Sleep(300);
    // Play on: a held key, more keys, the wheel and a click into the window.
    Keys("keyup q");
    for (int i = 0; i < 30; ++i) Keys("key w e r t");
    Keys("mousemove --window $(xdotool search --name \"^Fendrel's Tonecast$\" | head -1) 20 80 click 1");
    Sleep(300);
    StopProgram();
    const std::string settings = ReadFile(SettingsFile());
    EXPECT_NE(settings.find("\"First Time\"=\"0\""), std::string::npos) << "settings were not saved";
}

// How the server goes away in one round, and how it comes back.
struct TLossRound {
    const char* name;
    bool kill;         // SIGKILL, else SIGTERM
    int awayMs;        // until a new server starts
    bool programHeld;  // the program stands still (SIGSTOP) over the loss and the return
    bool silentReturn; // the new server does not answer at first, while the window is used
};

constexpr TLossRound LossRounds[] = {
    {"killed, slow return", true, 2500, false, false},
    {"stopped, quick return", false, 300, false, false},
    {"killed while the program is held, back before it looks", true, 2500, true, false},
    {"stopped while the program is held, quick return", false, 300, true, false},
    {"killed, and the new server does not answer at first", true, 300, false, true},
};

class ServerLossE2ETest : public ProgramE2ETest {
public:
    ServerLossE2ETest() { withSource = true; }

    const std::string window = "$(xdotool search --name \"^Fendrel's Tonecast$\" | head -1)";

    bool ProgramRuns() {
        int status = 0;
        return ::waitpid(program, &status, WNOHANG) == 0;
    }
    // Whether the source's port feeds one of the program's ports.
    bool SourceConnected() {
        jack_port_t* port = jack_port_by_name(sink->Client(), source->PortName().c_str());
        if (!port) return false;
        const char** connections = jack_port_get_all_connections(sink->Client(), port);
        bool found = false;
        for (std::size_t i = 0; connections && connections[i]; ++i)
            found = found || std::string(connections[i]).rfind("Fendrel's Tonecast", 0) == 0;
        if (connections) jack_free(connections);
        return found;
    }
    // Whether the sink hears the source over a connection of their own, which is undone again.
    bool SinkHearsTheSource() {
        jack_connect(sink->Client(), source->PortName().c_str(), sink->PortName().c_str());
        sink->AwaitLinks();
        const std::size_t before = sink->Collect(0, 0).size();
        source->Send({0xF8});
        const bool heard = sink->Collect(before + 1, 2000).size() > before;
        jack_disconnect(sink->Client(), source->PortName().c_str(), sink->PortName().c_str());
        return heard;
    }
    // The test's own sink and source on the new server, seen to work before the program is judged.
    void MakeWorkingPeers() {
        sink = std::make_unique<Sink>("tonecast-e2e-sink");
        source = std::make_unique<Source>("tonecast-e2e-source");
        ASSERT_TRUE(SinkHearsTheSource()) << "the test's own sink does not hear its source on the new server";
    }
    // The program's ports and their connections, for a failure's message.
    std::string ProgramPorts() {
        std::string text;
        const char** ports = jack_get_ports(sink->Client(), "^Fendrel's Tonecast:", nullptr, 0);
        for (std::size_t i = 0; ports && ports[i]; ++i) {
            text += std::string(ports[i]) + " ->";
            const char** connections = jack_port_get_all_connections(sink->Client(), jack_port_by_name(sink->Client(), ports[i]));
            for (std::size_t j = 0; connections && connections[j]; ++j) text += std::string(" ") + connections[j];
            if (connections) jack_free(connections);
            text += "\n";
        }
        if (ports) jack_free(ports);
        return text;
    }
    // For a failure: the server's words on clients not run, and the wake-up
    // files the program has mapped (one of an earlier server would be stale).
    std::string Diagnosis() const {
        std::string text = "the server's log:\n", line;
        std::istringstream log(ReadFile(server->LogFile()));
        while (std::getline(log, line))
            if (line.find("not finished") != std::string::npos || line.find("rror") != std::string::npos) text += line + "\n";
        text += "the program's wake-up files:\n";
        std::istringstream maps(ReadFile("/proc/" + std::to_string(program) + "/maps"));
        std::set<std::string> files;
        while (std::getline(maps, line))
            if (const auto at = line.find("/dev/shm/jack_sem"); at != std::string::npos) files.insert(line.substr(at));
        for (const std::string& f : files) text += f + "\n";
        return text;
    }
    // The window answers: the settings dialog opens and closes.
    bool WindowAnswers() {
        Keys("windowfocus --sync " + window + " key ctrl+s");
        std::string found;
        for (int i = 0; i < 60 && found.empty(); ++i) {
            Sleep(50);
            found = Output("xdotool search --onlyvisible --name \"^Settings$\" 2>/dev/null | head -1");
        }
        if (found.empty()) return false;
        Keys("windowfocus --sync " + found + " key Escape");
        return true;
    }
    void Play(const TLossRound& round) {
        ASSERT_TRUE(SourceConnected()) << "the remembered input is not open";
        const std::size_t before = sink->Collect(0, 0).size();
        Keys("windowfocus --sync " + window + " keydown q");
        ASSERT_GT(sink->Collect(before + 1, 5000).size(), before) << "the key was not heard";
        // The test's own clients leave first: they share libjack with nothing of the program.
        source.reset();
        sink.reset();
        if (round.programHeld) ::kill(program, SIGSTOP);
        if (round.kill) server->Kill();
        else server->Stop();
        server.reset();
        if (!round.programHeld) {
            // Play on over the loss: the held key ends, more keys, a click into the window.
            Sleep(100);
            Keys("keyup q");
            Keys("mousemove --window " + window + " 20 80 click 1");
            Keys("key w e r");
        }
        Sleep(round.awayMs);
        server = std::make_unique<JackServer>();
        if (round.silentReturn) {
            server->Pause();
            // The program meets the server while it does not answer: menus and dialogs still work.
            Keys("windowfocus --sync " + window + " key alt+o");
            Sleep(200);
            Keys("key Escape Escape");
            EXPECT_TRUE(WindowAnswers()) << "the window froze on a server that does not answer";
            server->Resume();
        }
        if (round.programHeld) {
            ::kill(program, SIGCONT);
            Keys("keyup q");
        }
        ASSERT_TRUE(ProgramRuns()) << "the program ended when the server went away";
        ASSERT_NO_FATAL_FAILURE(MakeWorkingPeers());
        bool connected = false;
        for (int i = 0; i < 200 && !connected; ++i) {
            Sleep(50);
            connected = sink->ListenTo("Fendrel's Tonecast");
        }
        ASSERT_TRUE(connected) << "the program's port did not come back\n" << Diagnosis();
        for (int i = 0; i < 100 && !SourceConnected(); ++i) Sleep(50);
        EXPECT_TRUE(SourceConnected()) << "the remembered input did not come back";
        bool noteOn = false, stray = false;
        const std::size_t heard = sink->Collect(0, 0).size();
        Keys("windowfocus --sync " + window + " key e");
        for (int i = 0; i < 30 && !noteOn; ++i) {
            const auto& got = sink->Collect(heard + 1, 100);
            for (std::size_t m = heard; m < got.size(); ++m) {
                noteOn = noteOn || got[m] == Message{0x90, 64, 100};
                stray = stray || (got[m][0] == 0x90 && got[m][1] == 60 && got[m][2] != 0);
            }
        }
        EXPECT_TRUE(noteOn) << "a key played after the server came back was not heard; the program's ports:\n"
                            << ProgramPorts() << Diagnosis();
        EXPECT_FALSE(stray) << "the key held over the loss sounded again on the new server";
    }
};

// The server crashes or is stopped, comes back quickly or slowly, maybe while
// the program stands still, maybe silent at first: the window keeps
// answering, and each new server gets the program's ports back with the
// remembered input and output, without the user doing anything.
TEST_F(ServerLossE2ETest, TheProgramSurvivesTheServerGoingAwayAndReconnects) {
    for (const TLossRound& round : LossRounds) {
        SCOPED_TRACE(round.name);
        ASSERT_NO_FATAL_FAILURE(Play(round));
    }
    StopProgram();
}

// A logout while the server is lost: nothing waits on the user, the settings
// are saved and the program ends at once.
TEST_F(ServerLossE2ETest, AnExitDuringALossEndsAtOnceAndSavesTheSettings) {
    source.reset();
    sink.reset();
    server->Kill();
    const auto start = std::chrono::steady_clock::now();
    ::kill(program, SIGTERM);
    int status = -1;
    while (::waitpid(program, &status, WNOHANG) != program &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        Sleep(10);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    program = -1;
    ASSERT_TRUE(WIFEXITED(status)) << "the program did not end; see " << dir.File("tonecast.log");
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::printf("the exit took %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LE(took.count(), 1000) << "the exit took " << took.count() << " ms";
    EXPECT_NE(ReadFile(SettingsFile()).find("\"First Time\"=\"0\""), std::string::npos) << "settings were not saved";
}

TEST_F(ProgramE2ETest, TheMouseWheelOverTheKeyboardMovesTheModulationController) {
    const std::size_t start = sink->Collect(0, 0).size();
    // Well inside the keyboard, below the bars and knobs above it.
    Keys("mousemove --window $(xdotool search --name \"^Fendrel's Tonecast$\" | head -1) 300 130 click 4");
    const auto& got = sink->Collect(start + 1, 5000);
    ASSERT_GE(got.size(), start + 1) << "the wheel sent nothing";
    EXPECT_EQ(got[start], (Message{0xB0, 1, 8}));
}

// The wheel over the chord box and the patch box without the focus is the
// window's wheel controller, and leaves both boxes as they were, also after
// another field had the focus; with the focus the chord box steps its chord.
TEST_F(ProgramE2ETest, TheWheelOverUnfocusedBoxesIsTheWindowsAndAFocusedChordBoxSteps) {
    const std::string window = "mousemove --window $(xdotool search --name \"^Fendrel's Tonecast$\" | head -1) ";
    const auto wheelSends = [this](std::size_t from) {
        std::vector<int> values;
        const auto& got = sink->Collect(from + 1, 500);
        for (std::size_t i = from; i < got.size(); ++i)
            if (got[i].size() == 3 && got[i][0] == 0xB0 && got[i][1] == 1) values.push_back(got[i][2]);
        return values;
    };
    // Chords played by a click on a piano key: the note ons that follow it.
    const auto notesOfAClick = [&] {
        const std::size_t before = sink->Collect(0, 0).size();
        Keys(window + "300 130 click 1");
        const auto& got = sink->Collect(before + 2, 1500);
        Sleep(300);
        int notes = 0;
        for (std::size_t i = before; i < sink->Collect(0, 0).size(); ++i)
            if (got[i].size() == 3 && (got[i][0] & 0xF0) == 0x90 && got[i][2] > 0) ++notes;
        return notes;
    };
    // The program field takes the focus, as a user types a program there.
    Keys(window + "82 70 click 1 sleep 0.3 type 5");
    Keys("key Return sleep 0.2 key Return sleep 0.3");
    std::size_t start = sink->Collect(0, 0).size();
    Keys(window + "150 36 sleep 0.2 click 4 click 4 click 4 sleep 0.3");
    Keys(window + "370 36 sleep 0.2 click 4 click 4 sleep 0.3");
    EXPECT_EQ(wheelSends(start), (std::vector<int>{8, 16, 24, 32, 40})) << "the notches over the boxes";
    EXPECT_EQ(notesOfAClick(), 1) << "the chord box changed under the wheel";
    // The chord box with the focus (its list opened and closed): the wheel steps its chord.
    Keys(window + "150 36 click 1 sleep 0.3 key Escape sleep 0.3");
    start = sink->Collect(0, 0).size();
    Keys(window + "150 36 sleep 0.2 click 5 sleep 0.3");
    EXPECT_TRUE(wheelSends(start).empty()) << "a focused chord box left the wheel to the window";
    EXPECT_EQ(notesOfAClick(), 3) << "the focused chord box did not step to the next chord";
}

// Ctrl+S brings up the settings dialog; Escape closes it again.
TEST_F(ProgramE2ETest, CtrlSOpensTheSettingsAndEscapeClosesThem) {
    Keys("key ctrl+s");
    std::string found;
    for (int i = 0; i < 40 && found.empty(); ++i) {
        Sleep(50);
        found = Output("xdotool search --onlyvisible --name \"^Settings$\" 2>/dev/null | head -1");
    }
    ASSERT_FALSE(found.empty()) << "no settings dialog";
    Keys("windowfocus --sync " + found + " key Escape");
    bool gone = false;
    for (int i = 0; i < 40 && !gone; ++i) {
        Sleep(50);
        gone = Output("xdotool search --onlyvisible --name \"^Settings$\" 2>/dev/null | head -1").empty();
    }
    EXPECT_TRUE(gone) << "Escape left the dialog open";
}

class WideKeysE2ETest : public ProgramE2ETest {
public:
    WideKeysE2ETest() {
        const std::string root = "[HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\";
        initialSettings = "REGEDIT4\r\n\r\n" + root + "KeyboardForm]\r\n\"Left\"=dword:00000000\r\n"
                          "\"Top\"=dword:00000000\r\n\"Width\"=dword:000004e2\r\n\r\n" + root +
                          "Keyboard]\r\n\"KeyWidth\"=dword:00000014\r\n\"PaintStyle\"=dword:00000000\r\n\r\n";
    }
};

// 1250 pixels hold a keyboard of 20-pixel keys, not one of the design's 15.
TEST_F(WideKeysE2ETest, ASavedWiderKeyWidthComesBackWithItsWindowWidth) {
    const std::string width = Output("xwininfo -name \"Fendrel's Tonecast\" | awk '/Width/{print $2}'");
    EXPECT_EQ(width, "1250");
}

class KeyLegendsE2ETest : public ProgramE2ETest {
public:
    KeyLegendsE2ETest() {
        initialSettings = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\"
                          "Keyboard]\r\n\"KeyLegends\"=\"1\"\r\n\r\n";
    }
    // The piano keys of the window, between the controls and the status bar, saved as name.
    std::string KeysShot(const std::string& name) {
        const std::string id = Output("xdotool search --name \"^Fendrel's Tonecast$\" | head -1");
        const std::string geometry = Output("xwininfo -id " + id + " | awk '/Absolute upper-left X/{x=$4} "
                                            "/Absolute upper-left Y/{y=$4} /Width/{w=$2} "
                                            "END{print w-90\"x76+\"x+60\"+\"y+95}'");
        const std::string shot = dir.File(name);
        EXPECT_EQ(Shell("import -window root -crop " + geometry + " +repage " + shot + " 2>/dev/null"), 0);
        return shot;
    }
    bool Differ(const std::string& a, const std::string& b) {
        return Output("compare -metric AE " + a + " " + b + " null: 2>&1") != "0";
    }
    // Shots until one is (or is not) the same as the picture given, for at most 5 s.
    std::string ShotUntil(const std::string& name, const std::string& picture, bool same) {
        std::string shot;
        for (int i = 0; i < 25; ++i) {
            shot = KeysShot(name);
            if (Differ(shot, picture) != same) break;
            Sleep(200);
        }
        return shot;
    }
    // Options > Key Legends, again when a busy machine let the keys pass the menu by.
    std::string ToggleLegends(const std::string& name, const std::string& before) {
        std::string shot;
        for (int attempt = 0; attempt < 3; ++attempt) {
            Keys("key --delay 300 alt+t k");
            shot = ShotUntil(name, before, false);
            if (Differ(shot, before)) break;
            Keys("key Escape Escape");
        }
        return shot;
    }
};

// The legends are drawn, follow a switch of the layout at once and go when unchecked.
TEST_F(KeyLegendsE2ETest, TheLegendsFollowTheLayoutAndTheOptionsItem) {
    // The first picture once the window has settled.
    std::string us = KeysShot("legends-us.png");
    for (int i = 0; i < 10; ++i) {
        Sleep(300);
        const std::string again = KeysShot("legends-us-settled.png");
        if (!Differ(us, again)) break;
        us = KeysShot("legends-us.png");
    }
    ASSERT_EQ(Shell("setxkbmap fr"), 0);
    const std::string fr = ShotUntil("legends-fr.png", us, false);
    EXPECT_TRUE(Differ(us, fr)) << "the French layout's caps were not drawn";
    const std::string none = ToggleLegends("no-legends.png", fr);
    EXPECT_TRUE(Differ(fr, none)) << "the legends stayed";
    EXPECT_TRUE(Differ(us, none)) << "no legends were drawn at all";
    ASSERT_EQ(Shell("setxkbmap us"), 0);
    ToggleLegends("legends-us-again.png", none);
    EXPECT_FALSE(Differ(us, ShotUntil("legends-us-again.png", us, true))) << "the US caps did not come back";
}

} // namespace
} // namespace e2e
