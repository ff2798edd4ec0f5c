#include "midi/ChannelMemory.h"

#include <gtest/gtest.h>

namespace {

using M = TShortMessage;

TEST(ChannelMemoryTest, ReplaysControllersThenProgramThenBendPerChannel) {
    TChannelMemory memory;
    memory.Record({0xC3, 40, 0});
    memory.Record({0xB3, 7, 90});
    memory.Record({0xB3, 0, 1});  // bank select after the program: replayed ahead of it
    memory.Record({0xB3, 32, 2});
    memory.Record({0xE3, 0x10, 0x50});
    memory.Record({0xB3, 7, 100}); // the last value counts
    memory.Record({0xB0, 1, 64});
    EXPECT_EQ(memory.Replay(), (std::vector<M>{{0xB0, 1, 64},
                                               {0xB3, 0, 1},
                                               {0xB3, 7, 100},
                                               {0xB3, 32, 2},
                                               {0xC3, 40, 0},
                                               {0xE3, 0x10, 0x50}}));
}

TEST(ChannelMemoryTest, NotesAndModeMessagesLeaveNothingAndResetControllersForgetsThem) {
    TChannelMemory memory;
    for (const M& m : std::vector<M>{{0x90, 60, 100}, {0x80, 60, 0}, {0xA0, 60, 5}, {0xD0, 9, 0},
                                      {0xB0, 123, 0}, {0xB0, 120, 0}, {0xF8, 0, 0}})
        memory.Record({m.status, m.data1, m.data2});
    EXPECT_TRUE(memory.Replay().empty());
    memory.Record({0xB5, 10, 30});
    memory.Record({0xC5, 3, 0});
    memory.Record({0xB5, 121, 0}); // reset all controllers keeps the program
    EXPECT_EQ(memory.Replay(), (std::vector<M>{{0xC5, 3, 0}}));
    memory.Clear();
    EXPECT_TRUE(memory.Replay().empty());
}

} // namespace
