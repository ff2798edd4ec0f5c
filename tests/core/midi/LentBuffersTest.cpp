// The buffers an input port lends its driver: order, capacity, and the
// cutting of system exclusive data into them.
#include "midi/LentBuffers.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

struct TReturned {
    MIDIHDR* header;
    std::string bytes;
    std::uint32_t time;
};
std::vector<TReturned> g_returned;

void Collect(MidiHandle, std::uint32_t message, std::uintptr_t, std::uintptr_t p1, std::uintptr_t p2) {
    ASSERT_EQ(message, MIM_LONGDATA);
    auto* h = reinterpret_cast<MIDIHDR*>(p1);
    g_returned.push_back({h, std::string(h->lpData, h->dwBytesRecorded), static_cast<std::uint32_t>(p2)});
}

class LentBuffersTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_returned.clear();
        for (std::size_t i = 0; i < headers.size(); ++i) {
            headers[i].lpData = storage[i].data();
            headers[i].dwBufferLength = 4;
            headers[i].dwFlags = MHDR_PREPARED;
        }
    }
    std::array<std::array<char, 4>, 3> storage{};
    std::array<MIDIHDR, 3> headers{};
    TLentBuffers buffers;
};

TEST_F(LentBuffersTest, SystemExclusiveFillsTheBuffersInTheOrderTheyWereAdded) {
    buffers.Add(&headers[1]);
    buffers.Add(&headers[0]);
    EXPECT_TRUE(headers[1].dwFlags & MHDR_INQUEUE);
    const std::uint8_t sysex[] = {0xF0, 1, 2, 3, 4, 5, 0xF7};
    EXPECT_EQ(buffers.Deliver(sysex, sizeof sysex, 7, Collect, 0, 42), 2);
    ASSERT_EQ(g_returned.size(), 2u);
    EXPECT_EQ(g_returned[0].header, &headers[1]);
    EXPECT_EQ(g_returned[0].bytes, std::string("\xF0\x01\x02\x03", 4));
    EXPECT_EQ(g_returned[1].header, &headers[0]);
    EXPECT_EQ(g_returned[1].bytes, std::string("\x04\x05\xF7", 3));
    EXPECT_EQ(g_returned[1].time, 42u);
    EXPECT_TRUE(headers[0].dwFlags & MHDR_DONE);
    EXPECT_FALSE(headers[0].dwFlags & MHDR_INQUEUE);
    EXPECT_EQ(buffers.Count(), 0u);
}

TEST_F(LentBuffersTest, WithoutBuffersTheRestIsLost) {
    buffers.Add(&headers[0]);
    const std::uint8_t sysex[] = {0xF0, 1, 2, 3, 4, 5, 6, 7, 0xF7};
    EXPECT_EQ(buffers.Deliver(sysex, sizeof sysex, 7, Collect, 0, 0), 1);
    EXPECT_EQ(buffers.Deliver(sysex, sizeof sysex, 7, Collect, 0, 0), 0);
    EXPECT_EQ(g_returned.size(), 1u);
}

TEST_F(LentBuffersTest, ResetHandsEveryBufferBackEmpty) {
    for (auto& h : headers) buffers.Add(&h);
    EXPECT_TRUE(buffers.Contains(&headers[2]));
    buffers.ReturnAll(7, Collect, 0);
    ASSERT_EQ(g_returned.size(), 3u);
    for (const auto& r : g_returned) EXPECT_TRUE(r.bytes.empty());
    EXPECT_FALSE(buffers.Contains(&headers[2]));
    EXPECT_FALSE(buffers.ReturnEmpty(7, Collect, 0, 0));
}

TEST_F(LentBuffersTest, AFullQueueRefusesAndKeepsItsOrderAcrossTheWrap) {
    std::vector<MIDIHDR> many(TLentBuffers::Capacity + 1);
    for (std::size_t i = 0; i < TLentBuffers::Capacity; ++i) EXPECT_EQ(buffers.Add(&many[i]), MMSYSERR_NOERROR);
    EXPECT_EQ(buffers.Add(&many.back()), MMSYSERR_NOMEM);
    EXPECT_EQ(buffers.Take(), &many[0]);
    EXPECT_EQ(buffers.Add(&many.back()), MMSYSERR_NOERROR);
    for (std::size_t i = 1; i <= TLentBuffers::Capacity; ++i) EXPECT_EQ(buffers.Take(), &many[i]);
    EXPECT_EQ(buffers.Take(), nullptr);
}

} // namespace
