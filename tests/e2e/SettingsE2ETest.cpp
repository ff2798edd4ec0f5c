// The real program's settings file under the faults of a desktop: killed
// while it saves, and two copies running at once.
#include "ProgramE2E.h"

#include "store/RegistryFile.h"

#include <chrono>
#include <random>
#include <thread>

namespace e2e {
namespace {

const std::string Root = "HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\";

// The value names a complete save puts into a key.
std::size_t ValueCount(TRegistryData& data, const std::string& key) {
    TRegKey* k = data.FindKey(Root + key);
    return k ? k->Values().size() : 0;
}

class SettingsE2ETest : public ProgramE2ETest {
protected:
    // The program's main window once it is on screen, or empty.
    std::string WindowOf(pid_t pid) {
        for (int i = 0; i < 200; ++i) {
            const std::string id = Output("xdotool search --onlyvisible --pid " + std::to_string(pid) +
                                          " --name \"^Fendrel's Tonecast$\" 2>/dev/null | head -1");
            if (!id.empty()) return id;
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) return {};
            Sleep(25);
        }
        return {};
    }
    // Another copy of the program, its window on screen. The X server now and
    // then refuses a connection while it clears up a killed client: such a
    // copy ends at once without touching the settings, and is started again.
    pid_t StartCopy(const std::string& log, std::string& window, const std::string& midiApi = "jack") {
        for (int attempt = 0; attempt < 5; ++attempt) {
            const pid_t pid = Spawn({"env", "TONECAST_MIDI_API=" + midiApi, TONECAST_BINARY}, log);
            window = WindowOf(pid);
            if (!window.empty()) return pid;
            const std::string text = ReadFile(log);
            if (text.find("could not connect to display") == std::string::npos) {
                ADD_FAILURE() << "no window:\n" << text;
                Stop(pid, SIGKILL);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200 * (attempt + 1))); // time to clear up
        }
        ADD_FAILURE() << "the X server refused five times";
        return -1;
    }
};

// SIGTERM starts the save at close; SIGKILL follows at a random moment of it.
// The file is then the one before or a whole new one, and it always loads.
TEST_F(SettingsE2ETest, AKillDuringTheSaveLeavesTheOldFileOrTheNewOne) {
    StopProgram(); // a complete settings file from a clean run
    TRegistryData base;
    ASSERT_TRUE(base.Parse(ReadFile(SettingsFile())));
    const std::size_t formValues = ValueCount(base, "KeyboardForm");
    const std::size_t keyboardValues = ValueCount(base, "Keyboard");
    ASSERT_GE(formValues, 20u);
    ASSERT_EQ(keyboardValues, 17u);
    // Without these two keys each run saves them whole again: a cut save would show.
    base.EraseKey(Root + "KeyboardForm");
    base.EraseKey(Root + "Keyboard");
    const std::string old = base.Serialize();

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delay(0, 50);
    int whole = 0, untouched = 0;
    for (int run = 0; run < 50; ++run) {
        WriteFile(SettingsFile(), old);
        std::string window;
        // No JACK client here: one killed while it holds the lock of JACK's
        // shared metadata database leaves every later client waiting on it.
        const pid_t pid = StartCopy(dir.File("tonecast.log"), window, "alsa");
        ASSERT_GT(pid, 0) << "run " << run;
        const int ms = delay(random);
        ::kill(pid, SIGTERM);
        Sleep(ms);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);

        const std::string text = ReadFile(SettingsFile());
        TRegistryData after;
        ASSERT_TRUE(after.Parse(text)) << "run " << run << ", killed after " << ms << " ms:\n" << text;
        if (text == old) {
            ++untouched;
        } else {
            EXPECT_EQ(ValueCount(after, "KeyboardForm"), formValues) << "run " << run << ", " << ms << " ms:\n" << text;
            EXPECT_EQ(ValueCount(after, "Keyboard"), keyboardValues) << "run " << run << ", " << ms << " ms:\n" << text;
            ++whole;
        }
    }
    std::printf("after 50 kills: %d new files, %d untouched\n", whole, untouched);
    EXPECT_GT(whole, 0) << "no run got as far as saving: the test saw nothing";
    // Nothing was ever found damaged and put aside.
    EXPECT_FALSE(std::filesystem::exists(SettingsFile() + ".bad"));
}

// Each copy changes its own value; closing one after the other keeps both.
TEST_F(SettingsE2ETest, TwoCopiesChangingDifferentValuesKeepBoth) {
    StopProgram(); // the settings of an earlier run
    TRegistryFileStore before(SettingsFile(), Root.substr(0, Root.size() - 1));
    const int octave = before.ReadInteger("Keyboard", "KeyOctave", -1);
    ASSERT_FALSE(before.ReadBool("KeyboardForm", "Midi Thru", true));

    StartProgram();
    std::string secondWindow;
    const pid_t second = StartCopy(dir.File("second.log"), secondWindow);
    ASSERT_GT(second, 0);
    const std::string firstWindow = WindowOf(program);
    ASSERT_FALSE(firstWindow.empty());

    Keys("windowfocus --sync " + firstWindow);
    Sleep(200);
    Keys("key F4"); // octave up in the first copy
    Keys("windowfocus --sync " + secondWindow);
    Sleep(200);
    Keys("key alt+t");
    Sleep(300);
    Keys("key t"); // Options > Midi Thru in the second copy
    Sleep(300);

    StopProgram();
    EXPECT_EQ(Stop(second), 0) << "the second copy did not end cleanly";
    TRegistryFileStore after(SettingsFile(), Root.substr(0, Root.size() - 1));
    EXPECT_EQ(after.ReadInteger("Keyboard", "KeyOctave", -1), octave + 1);
    EXPECT_TRUE(after.ReadBool("KeyboardForm", "Midi Thru", false));
}

} // namespace
} // namespace e2e
