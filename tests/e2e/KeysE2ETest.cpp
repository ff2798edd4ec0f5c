// The computer keyboard plays both manuals of the real program.
#include "ProgramE2E.h"

namespace e2e {
namespace {

TEST_F(ProgramE2ETest, TheComputerKeyboardPlaysBothManuals) {
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
} // namespace e2e
