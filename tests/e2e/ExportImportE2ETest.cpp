// The File menu's export and import in the real program, driven by keys.
#include "ProgramE2E.h"

namespace e2e {
namespace {

class ExportImportE2ETest : public ProgramE2ETest {
protected:
    // Waits for a window of that title to be shown and gives it the focus, so
    // the next key reaches it even on a loaded machine; false after 15 seconds.
    bool WaitFor(const std::string& title) {
        const std::string search = "xdotool search --onlyvisible --name \"^" + title + "$\"";
        for (int i = 0; i < 300; ++i) {
            if (!Output(search + " 2>/dev/null | head -1").empty())
                return Shell(search + " windowfocus --sync >/dev/null 2>&1") == 0;
            Sleep(50);
        }
        return false;
    }
    // The result box, captioned like the main window: two such windows shown.
    bool WaitForResultBox() {
        for (int i = 0; i < 300; ++i) {
            if (Output("xdotool search --onlyvisible --name \"^Fendrel's Tonecast$\" 2>/dev/null | wc -l") == "2") return true;
            Sleep(50);
        }
        return false;
    }
    // Types a full path into the focused file dialog and confirms it.
    void ChooseFile(const std::string& path) {
        Keys("key ctrl+a");
        Keys("type --delay 5 '" + path + "'");
        Sleep(200);
        Keys("key Return");
    }
};

TEST_F(ExportImportE2ETest, SettingsExportedAndAnImportedFileTakenAtOnce) {
    // File > Export > Settings: the explanation, the file dialog, the result.
    Keys("key alt+f");
    Sleep(300);
    Keys("key e");
    Sleep(300);
    Keys("key s");
    ASSERT_TRUE(WaitFor("Export Settings")) << "no explanation";
    Keys("key Return");
    ASSERT_TRUE(WaitFor("Select export file")) << "no file dialog";
    Sleep(300);
    ChooseFile(dir.File("out.ini"));
    ASSERT_TRUE(WaitForResultBox());
    Sleep(200);
    Keys("key Return"); // "Settings saved successfully."
    Sleep(300);
    const std::string exported = ReadFile(dir.File("out.ini"));
    EXPECT_NE(exported.find("[KeyboardForm]\r\n"), std::string::npos) << exported;
    EXPECT_NE(exported.find("[Keyboard]\r\nBaseNote="), std::string::npos) << exported;

    // File > Import > Settings from a file that plays on channel 10.
    WriteFile(dir.File("in.ini"), "[Keyboard]\r\nChannel=9\r\n");
    Keys("search --onlyvisible --name \"^Fendrel's Tonecast$\" windowfocus --sync");
    Sleep(300);
    Keys("key alt+f");
    Sleep(300);
    Keys("key i");
    Sleep(300);
    Keys("key s");
    ASSERT_TRUE(WaitFor("Import Settings"));
    Keys("key Return");
    ASSERT_TRUE(WaitFor("Select import file"));
    Sleep(300);
    ChooseFile(dir.File("in.ini"));
    ASSERT_TRUE(WaitForResultBox());
    Sleep(200);
    Keys("key Return"); // "Settings loaded successfully."
    Sleep(300);
    Keys("search --onlyvisible --name \"^Fendrel's Tonecast$\" windowfocus --sync");
    Sleep(300);
    Keys("keydown q");
    Sleep(100);
    Keys("keyup q");
    const auto& got = sink->Collect(2, 5000);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], (Message{0x99, 60, 100}));
    EXPECT_EQ(got[1], (Message{0x99, 60, 0}));
}

} // namespace
} // namespace e2e
