// The computer keyboard plays both manuals of the real program.
#include "ProgramE2E.h"

#include <atomic>

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

// End and Home step the chord box from the keyboard; the keys still play.
TEST_F(ProgramE2ETest, EndAndHomeStepTheChordThatTheKeysPlay) {
    Keys("key End");
    Sleep(100);
    Keys("keydown q");
    Sleep(100);
    Keys("keyup q");
    Keys("key Home");
    Sleep(100);
    Keys("keydown q");
    Sleep(100);
    Keys("keyup q");
    const auto& got = sink->Collect(8, 5000);
    ASSERT_EQ(got.size(), 8u) << "see " << dir.File("tonecast.log");
    EXPECT_EQ(got[0], (Message{0x90, 60, 100}));
    EXPECT_EQ(got[1], (Message{0x90, 64, 100}));
    EXPECT_EQ(got[2], (Message{0x90, 67, 100}));
    EXPECT_EQ(got[3], (Message{0x90, 60, 0}));
    EXPECT_EQ(got[4], (Message{0x90, 64, 0}));
    EXPECT_EQ(got[5], (Message{0x90, 67, 0}));
    EXPECT_EQ(got[6], (Message{0x90, 60, 100}));
    EXPECT_EQ(got[7], (Message{0x90, 60, 0}));
}

TEST_F(ProgramE2ETest, AHeldKeyGivesOneNoteOnAndOneNoteOffWhileTheMachineIsBusy) {
    std::atomic<bool> busy{true};
    std::thread spinner([&busy] {
        volatile unsigned long n = 0;
        while (busy.load(std::memory_order_relaxed)) n = n + 1;
    });
    constexpr int Tries = 20;
    for (int i = 0; i < Tries; ++i) {
        Keys("keydown q");
        Sleep(2000); // far beyond the X server's auto-repeat delay
        Keys("keyup q");
        Sleep(100);
    }
    busy.store(false);
    spinner.join();
    const auto& got = sink->Collect(2 * Tries, 5000);
    Sleep(300);
    ASSERT_EQ(sink->Collect(2 * Tries + 1, 200).size(), 2u * Tries) << "a held key stuttered";
    for (int i = 0; i < Tries; ++i) {
        EXPECT_EQ(got[2 * i], (Message{0x90, 60, 100})) << "try " << i;
        EXPECT_EQ(got[2 * i + 1], (Message{0x90, 60, 0})) << "try " << i;
    }
}

} // namespace
} // namespace e2e
