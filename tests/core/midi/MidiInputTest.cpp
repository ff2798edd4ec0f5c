#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"
#include "fake/FakeMidiInDriver.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class MidiInTest : public ::testing::Test {
protected:
    void SetUp() override { driver.devices = {"Keys", "LB1 Loop"}; }
    void OpenAndStart(TMidiInput& port, int device = 0) {
        port.SetDeviceID(device);
        ASSERT_TRUE(port.Open());
        port.Start();
    }
    FakeMidiInDriver driver;
    TOpenMidiDevices open;
};

TEST_F(MidiInTest, SelectingDevices) {
    TMidiInput port(driver, open);
    EXPECT_EQ(port.DeviceID(), NoMidiDevice);
    port.SetDeviceID(1);
    EXPECT_EQ(port.DeviceName(), "LB1 Loop");
    port.SetDeviceID(2);
    EXPECT_EQ(port.DeviceID(), NoMidiDevice);
    EXPECT_EQ(port.DeviceName(), "");
    EXPECT_THROW(port.SetDeviceID(-1), EMidiError); // no mapper for input
    EXPECT_EQ(port.DeviceID(), NoMidiDevice);
    EXPECT_FALSE(port.Open());
}

TEST_F(MidiInTest, SettingTheDeviceWhileOpenRaises) {
    TMidiInput port(driver, open);
    OpenAndStart(port);
    try {
        port.SetDeviceID(1);
        FAIL();
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), "Change to DeviceID while device was open");
    }
    EXPECT_EQ(port.DeviceName(), "Keys");
}

TEST_F(MidiInTest, RingKeepsTheFirst1024AndCountsTheDrop) {
    TMidiInput port(driver, open);
    OpenAndStart(port);
    driver.clockZero = port.StartTime();
    int notified = 0;
    port.OnMidiData = [&](TMidiInput*) { ++notified; };
    std::thread producer([&] {
        for (std::uint32_t i = 0; i < 1025; ++i) driver.InjectShort(0x90 | ((i & 0x7F) << 8) | (100u << 16), i);
    });
    producer.join();
    EXPECT_EQ(port.EventCount(), 1024);
    EXPECT_EQ(port.DroppedCount(), 1u);
    for (std::uint32_t i = 0; i < 1024; ++i) {
        auto e = port.GetEvent();
        ASSERT_TRUE(e);
        EXPECT_EQ(e->time, i);
        EXPECT_EQ(e->message.status, 0x90);
        EXPECT_EQ(e->message.data1, i & 0x7F);
        EXPECT_EQ(e->message.data2, 100);
        EXPECT_FALSE(e->IsLong());
    }
    EXPECT_EQ(port.GetEvent(), nullptr);
    EXPECT_EQ(notified, 0); // nothing is delivered off the GUI thread
}

TEST_F(MidiInTest, SensingAndClockPassOnlyWithTheirFlags) {
    TMidiInput port(driver, open);
    OpenAndStart(port);
    driver.clockZero = port.StartTime();
    driver.InjectShort(0xFE, 1);
    driver.InjectShort(0xF8, 2);
    EXPECT_EQ(port.EventCount(), 0);
    port.SetPassActiveSensing(true); // at once, while open
    driver.InjectShort(0xFE, 3);
    driver.InjectShort(0xF8, 4);
    port.SetPassTimingClock(true);
    driver.InjectShort(0xF8, 5);
    ASSERT_EQ(port.EventCount(), 2);
    EXPECT_EQ(port.GetEvent()->message.status, 0xFE);
    auto clock = port.GetEvent();
    EXPECT_EQ(clock->message.status, 0xF8);
    EXPECT_EQ(clock->time, 5u);
}

TEST_F(MidiInTest, LongSystemExclusiveArrivesInBlocks) {
    TMidiInput port(driver, open);
    OpenAndStart(port);
    EXPECT_EQ(port.FreeSysexBlocks(), 16);
    std::vector<std::uint8_t> sysex(2500);
    for (std::size_t i = 0; i < sysex.size(); ++i) sysex[i] = static_cast<std::uint8_t>(i % 127);
    sysex.front() = 0xF0;
    sysex.back() = 0xF7;
    EXPECT_TRUE(driver.InjectLong(sysex, 7));
    ASSERT_EQ(port.EventCount(), 3);
    std::vector<std::uint8_t> joined;
    const std::uint8_t statuses[3] = {0xF0, 0xF7, 0xF7};
    const std::uint32_t lengths[3] = {1024, 1024, 452};
    for (int i = 0; i < 3; ++i) {
        auto e = port.GetEvent();
        EXPECT_EQ(e->message.status, statuses[i]);
        EXPECT_EQ(e->dataLength, lengths[i]);
        EXPECT_TRUE(e->IsLong());
        joined.insert(joined.end(), e->data.begin(), e->data.end());
    }
    EXPECT_EQ(joined, sysex);
    EXPECT_EQ(port.FreeSysexBlocks(), 16); // every block is free again once read
}

TEST_F(MidiInTest, APieceOfSystemExclusiveIsNoShortMessage) {
    TMidiInput port(driver, open);
    OpenAndStart(port);
    driver.InjectLong({0x01, 0x02, 0xF7}, 0); // the end of a message cut by the system
    driver.InjectLong({0xF7}, 0);
    for (int i = 0; i < 2; ++i) {
        auto e = port.GetEvent();
        ASSERT_TRUE(e);
        EXPECT_EQ(e->message.status, 0xF7);
        EXPECT_TRUE(e->IsLong());
    }
}

TEST_F(MidiInTest, SystemExclusiveBeyondTheFreeBlocksIsLost) {
    TMidiInput port(driver, open);
    OpenAndStart(port);
    std::vector<std::uint8_t> sysex(1024 * 20, 0x11);
    sysex[0] = 0xF0;
    driver.InjectLong(sysex, 0);
    EXPECT_EQ(port.EventCount(), 16);
    EXPECT_EQ(port.FreeSysexBlocks(), 0);
    EXPECT_EQ(port.DroppedCount(), 0u) << "lost, as with the system's drivers, not dropped by the ring";
    port.GetEvent();
    driver.InjectLong({0xF0, 1, 0xF7}, 1); // one block read: one arrives
    EXPECT_EQ(port.EventCount(), 16);
}

class MidiInWindowTest : public MidiInTest {
protected:
    // The port's windows, kept where the test can deliver them.
    TMailboxFactory Windows() {
        return [this] {
            auto w = std::make_unique<TCollectingMailbox>();
            window = w.get();
            return w;
        };
    }
    TGuiMailbox* window = nullptr;
};

TEST_F(MidiInWindowTest, OneNotificationDrainsEverything) {
    TMidiInput port(driver, open, Windows());
    OpenAndStart(port);
    int notified = 0, events = 0;
    port.OnMidiData = [&](TMidiInput* p) {
        ++notified;
        while (p->EventCount() >= 1) {
            p->GetEvent();
            ++events;
        }
    };
    for (std::uint32_t i = 0; i < 10; ++i) driver.InjectShort(0xB0, i);
    window->Deliver();
    window->Deliver();
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(events, 10);
}

TEST_F(MidiInWindowTest, BuffersOfDroppedLongRecordsComeBack) {
    TMidiInput port(driver, open, Windows());
    OpenAndStart(port);
    int overflows = 0;
    port.OnOverflow = [&](TMidiInput*) { ++overflows; };
    for (std::uint32_t i = 0; i < 1024; ++i) driver.InjectShort(0x80, i);
    std::vector<std::uint8_t> sysex(1024 * 20, 0x11);
    sysex[0] = 0xF0;
    driver.InjectLong(sysex, 0); // the ring is full: every block is dropped
    EXPECT_EQ(port.DroppedCount(), 20u);
    EXPECT_EQ(port.FreeSysexBlocks(), 16) << "a dropped block is free again at once";
    while (port.GetEvent()) {
    }
    window->Deliver();
    EXPECT_EQ(overflows, 1);
    driver.InjectLong({0xF0, 1, 0xF7}, 1); // system exclusive arrives again
    EXPECT_EQ(port.EventCount(), 1);
}

TEST_F(MidiInTest, ClosedPortGivesNothing) {
    TMidiInput port(driver, open);
    EXPECT_EQ(port.EventCount(), 0);
    EXPECT_EQ(port.GetEvent(), nullptr);
    OpenAndStart(port);
    driver.InjectShort(0x90, 1);
    port.Stop();
    driver.InjectShort(0x90, 2); // stopped: nothing is kept
    EXPECT_EQ(port.EventCount(), 1);
    port.Close();
    EXPECT_EQ(port.EventCount(), 0);
    EXPECT_EQ(port.GetEvent(), nullptr);
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(open.Contains(TMidiDeviceKind::Input, "Keys"));
    EXPECT_EQ(driver.calls.back(), "close");
}

TEST_F(MidiInTest, InputOfAnOpenLoopbackOutputIsRefused) {
    open.Add(TMidiDeviceKind::Output, "lb1 loop");
    TMidiInput port(driver, open);
    port.SetDeviceID(1);
    try {
        port.Open();
        FAIL();
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), "Opening \"LB1 Loop\" would create a virtual feedback loop !");
    }
    EXPECT_TRUE(port.IsClosed());
}

TEST_F(MidiInTest, FailedOpenRaisesTheSystemsText) {
    driver.openError = MidiFailure::InUse;
    TMidiInput port(driver, open);
    port.SetDeviceID(0);
    try {
        port.Open();
        FAIL();
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), MidiFailure::InUse);
    }
    EXPECT_TRUE(port.IsClosed());
    EXPECT_FALSE(open.Contains(TMidiDeviceKind::Input, "Keys"));
    driver.openError.clear();
    EXPECT_TRUE(port.Open());
}

} // namespace
