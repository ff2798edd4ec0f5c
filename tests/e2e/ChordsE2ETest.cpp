// Custom chords and transposition in the real program.
#include "ProgramE2E.h"

namespace e2e {
namespace {

class ChordsE2ETest : public ProgramE2ETest {
public:
    ChordsE2ETest() {
        const std::string root = "[HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\";
        initialSettings = "REGEDIT4\r\n\r\n" + root + "Chords]\r\n\"Name1\"=\"Sus4\"\r\n\"Chord1\"=\"3C0507\"\r\n\r\n" +
                          root + "Keyboard]\r\n\"Chord\"=dword:00000008\r\n\r\n" + root +
                          "KeyboardForm]\r\n\"CustomChord\"=dword:00000000\r\n\r\n";
    }
    std::vector<int> NotesOnFrom(std::size_t start) {
        std::vector<int> notes;
        const auto& got = sink->Collect(0, 0);
        for (std::size_t i = start; i < got.size(); ++i)
            if (got[i].size() == 3 && got[i][0] == 0x90 && got[i][2] > 0) notes.push_back(got[i][1]);
        return notes;
    }
    void Focus(const std::string& title) {
        bool found = false;
        for (int i = 0; i < 40 && !found; ++i) {
            Sleep(50);
            found = Shell("xdotool search --name \"^" + title + "$\" windowfocus >/dev/null 2>&1") == 0;
        }
        ASSERT_TRUE(found) << "no window \"" << title << "\"";
        Sleep(200);
    }
};

TEST_F(ChordsE2ETest, QPlaysTheStoredCustomChordAndTheTransposeDialogMovesIt) {
    std::size_t start = sink->Collect(0, 0).size();
    Keys("keydown q");
    Sleep(100);
    Keys("keyup q");
    sink->Collect(start + 6, 5000);
    EXPECT_EQ(NotesOnFrom(start), (std::vector<int>{60, 65, 67})) << "see " << dir.File("tonecast.log");

    Keys("key ctrl+t");
    Focus("Transpose");
    Keys("key ctrl+a");
    Keys("type -- -12");
    Keys("key Return");
    Focus("Fendrel's Tonecast");
    start = sink->Collect(0, 0).size();
    Keys("keydown q");
    Sleep(100);
    Keys("keyup q");
    sink->Collect(start + 6, 5000);
    EXPECT_EQ(NotesOnFrom(start), (std::vector<int>{48, 53, 55}));

    StopProgram();
    const std::string settings = ReadFile(SettingsFile());
    EXPECT_NE(settings.find("\"CustomChord\"=dword:00000000"), std::string::npos) << settings;
    EXPECT_NE(settings.find("TransposeForm]"), std::string::npos) << "the open dialog did not close first";
}

} // namespace
} // namespace e2e
