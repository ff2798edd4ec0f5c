// Sounds chosen by patch name from a real patch script, and Panic!, in the real program.
#include "ProgramE2E.h"

namespace e2e {
namespace {

class PatchesE2ETest : public ProgramE2ETest {
public:
    PatchesE2ETest() {
        std::string script = std::string(TONECAST_TEST_DATA) + "/patchscripts/technics-wsa1.txt";
        std::string escaped;
        for (char c : script) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        initialSettings = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\"
                          "KeyboardForm]\r\n\"PatchScript\"=\"" + escaped +
                          "\"\r\n\"Patch\"=\"WSA-1\\\\User1\\\\User1 - 1\"\r\n\r\n";
    }
    // Waits until count messages arrived in all.
    std::vector<Message> Await(std::size_t count) { return sink->Collect(count, 8000); }
};

TEST_F(PatchesE2ETest, PageDownChoosesTheNextPatchAndCtrlSpaceSilencesEveryChannel) {
    const std::size_t start = sink->Collect(0, 0).size();
    Keys("key Next"); // Page Down: from the remembered "User1 - 1" to "User1 - 2"
    auto got = Await(start + 3);
    ASSERT_GE(got.size(), start + 3) << "see " << dir.File("tonecast.log");
    EXPECT_EQ(got[start], (Message{0xB0, 0, 1}));
    EXPECT_EQ(got[start + 1], (Message{0xB0, 32, 0}));
    EXPECT_EQ(got[start + 2], (Message{0xC0, 1}));

    Keys("key shift+Next"); // the program number up by one, the bank kept
    got = Await(start + 6);
    ASSERT_GE(got.size(), start + 6);
    EXPECT_EQ(got[start + 5], (Message{0xC0, 2}));

    Keys("key ctrl+space");
    got = Await(start + 6 + 2080);
    ASSERT_GE(got.size(), start + 6 + 2080) << "the panic did not reach every channel";
    EXPECT_EQ(got[start + 6], (Message{0x90, 0, 0}));
    EXPECT_EQ(got[start + 6 + 2079], (Message{0xBF, 123, 0}));

    StopProgram();
    const std::string settings = ReadFile(SettingsFile());
    EXPECT_NE(settings.find("\"Patch\"=\"WSA-1\\\\User1\\\\User1 - 2\""), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"Program\"=dword:00000002"), std::string::npos) << settings;
}

// A first start finds the General MIDI script beside the program and offers its names.
TEST_F(ProgramE2ETest, AFirstStartOffersTheGeneralMidiNames) {
    const std::size_t start = sink->Collect(0, 0).size();
    // Patches > General MIDI > Piano > Acoustic Grand Piano, each the first item;
    // again when a busy machine let the keys pass a menu by.
    std::vector<Message> got;
    for (int attempt = 0; attempt < 3 && got.size() <= start; ++attempt) {
        Keys("key --delay 300 alt+p Return Return Return");
        got = sink->Collect(start + 1, 3000);
        if (got.size() <= start) Keys("key Escape Escape Escape Escape");
    }
    ASSERT_GE(got.size(), start + 1) << "see " << dir.File("tonecast.log");
    EXPECT_EQ(got[start], (Message{0xC0, 0})); // no bank: any General MIDI module plays it

    StopProgram();
    const std::string settings = ReadFile(SettingsFile());
    EXPECT_NE(settings.find("General-MIDI.txt\"\r\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"Patch\"=\"General MIDI\\\\Piano\\\\Acoustic Grand Piano\""), std::string::npos)
        << settings;
}

} // namespace
} // namespace e2e
