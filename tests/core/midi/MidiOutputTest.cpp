#include "midi/MidiOutput.h"
#include "fake/FakeMidiDriver.h"

#include <gtest/gtest.h>

namespace {

class MidiOutTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver.devices = {"Synth A", "LB1 Loopback", "Synth C"};
    }
    FakeMidiOutDriver driver;
    TOpenMidiDevices open;
};

TEST_F(MidiOutTest, NewPortSelectsNothingAndOpenDoesNotCallTheSystem) {
    TMidiOutput port(driver, open);
    EXPECT_EQ(port.DeviceID(), NoMidiDevice);
    EXPECT_EQ(port.DeviceName(), "");
    EXPECT_TRUE(port.IsClosed());
    EXPECT_FALSE(port.Open());
    EXPECT_TRUE(driver.calls.empty());
}

struct SelectCase {
    std::int32_t id;
    std::int32_t expectedId;
    const char* expectedName;
};

class MidiOutSelectTest : public MidiOutTest, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(MidiOutSelectTest, DeviceIdSelectsByNumber) {
    TMidiOutput port(driver, open);
    port.SetDeviceID(GetParam().id);
    EXPECT_EQ(port.DeviceID(), GetParam().expectedId);
    EXPECT_EQ(port.DeviceName(), GetParam().expectedName);
}

INSTANTIATE_TEST_SUITE_P(Numbers, MidiOutSelectTest,
                         ::testing::Values(SelectCase{0, 0, "Synth A"},
                                           SelectCase{2, 2, "Synth C"},
                                           SelectCase{-1, -1, "Fake Mapper"},
                                           SelectCase{3, NoMidiDevice, ""},
                                           SelectCase{1000, NoMidiDevice, ""}));

TEST_F(MidiOutTest, TheOwnPortWhereTheSystemOffersNoneRaisesWhy) {
    driver.devices.clear();
    TMidiOutput port(driver, open);
    try {
        port.SetDeviceID(OwnPortDevice);
        FAIL() << "no exception";
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), MidiFailure::NoSystem);
    }
    EXPECT_EQ(port.DeviceID(), NoMidiDevice);
    driver.mapperWithoutDevices = true; // a backend with a port of its own
    port.SetDeviceID(OwnPortDevice);
    EXPECT_EQ(port.DeviceName(), "Fake Mapper");
}

TEST_F(MidiOutTest, ChangingDeviceWhileOpenRaisesAndKeepsTheDevice) {
    TMidiOutput port(driver, open);
    port.SetDeviceID(2);
    ASSERT_TRUE(port.Open());
    try {
        port.SetDeviceID(0);
        FAIL() << "no exception";
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), "Change to DeviceID while device was open");
    }
    EXPECT_EQ(port.DeviceID(), 2);
    EXPECT_EQ(port.DeviceName(), "Synth C");
}

TEST_F(MidiOutTest, OpenSendCloseInOrder) {
    TMidiOutput port(driver, open);
    port.SetDeviceID(0);
    ASSERT_TRUE(port.Open());
    EXPECT_TRUE(open.Contains(TMidiDeviceKind::Output, "synth a"));
    port.SendShortMsg({0x90, 60, 100});
    port.SendShortMsg({0x95, 0xFF, 0x80}); // not checked: sent as given
    ASSERT_EQ(driver.sent.size(), 2u);
    EXPECT_EQ(driver.sent[0].packed, 0x643C90u);
    EXPECT_EQ(driver.sent[1].packed, 0x80FF95u);
    EXPECT_TRUE(port.Close());
    EXPECT_TRUE(port.IsClosed());
    EXPECT_FALSE(open.Contains(TMidiDeviceKind::Output, "Synth A"));
    std::vector<std::string> tail(driver.calls.end() - 2, driver.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"silence", "close"}));
}

TEST_F(MidiOutTest, SendingOnAClosedPortDoesNothing) {
    TMidiOutput port(driver, open);
    port.SetDeviceID(0);
    port.SendShortMsg({0x90, 60, 100});
    EXPECT_TRUE(driver.calls.empty());
    EXPECT_TRUE(driver.sent.empty());
}

TEST_F(MidiOutTest, RefusedSendRaises) {
    TMidiOutput port(driver, open);
    port.SetDeviceID(0);
    port.Open();
    driver.sendError = MidiFailure::Busy;
    try {
        port.SendShortMsg({0x90, 60, 1});
        FAIL();
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), MidiFailure::Busy);
    }
}

TEST_F(MidiOutTest, FailedOpenRaisesTheSystemsTextAndStaysClosed) {
    TMidiOutput port(driver, open);
    port.SetDeviceID(0);
    driver.openError = MidiFailure::InUse;
    try {
        port.Open();
        FAIL();
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), MidiFailure::InUse);
    }
    EXPECT_TRUE(port.IsClosed());
    EXPECT_FALSE(open.Contains(TMidiDeviceKind::Output, "Synth A"));
    port.SendShortMsg({0x90, 1, 1});
    EXPECT_TRUE(driver.sent.empty());
}

TEST_F(MidiOutTest, CloseOnAClosedPortStillRemovesTheName) {
    TMidiOutput port(driver, open);
    port.SetDeviceID(0);
    open.Add(TMidiDeviceKind::Output, "Synth A");
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(open.Contains(TMidiDeviceKind::Output, "Synth A"));
    EXPECT_EQ(std::count(driver.calls.begin(), driver.calls.end(), "close"), 0);
}

TEST_F(MidiOutTest, CloseThatTheDriverRefusesStillClosesThePort) {
    TMidiOutput port(driver, open);
    port.SetDeviceID(0);
    port.Open();
    driver.silenceError = MidiFailure::Vanished;
    EXPECT_THROW(port.Close(), EMidiError);
    EXPECT_TRUE(driver.openPorts.empty()) << "closed all the same";
    EXPECT_TRUE(port.IsClosed());
    port.SetDeviceID(2); // not stuck on the dead device
    EXPECT_EQ(port.DeviceName(), "Synth C");
}

TEST_F(MidiOutTest, DestroyClosesAnOpenPort) {
    {
        TMidiOutput port(driver, open);
        port.SetDeviceID(0);
        port.Open();
    }
    EXPECT_TRUE(driver.openPorts.empty());
    EXPECT_FALSE(open.Contains(TMidiDeviceKind::Output, "Synth A"));
}

struct LoopbackCase {
    const char* name;
    bool loopback;
};

class LoopbackNameTest : public ::testing::TestWithParam<LoopbackCase> {};

TEST_P(LoopbackNameTest, PrefixesMatchCaseInsensitively) {
    EXPECT_EQ(IsLoopbackName(GetParam().name), GetParam().loopback) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, LoopbackNameTest,
                         ::testing::Values(LoopbackCase{"LB1", true}, LoopbackCase{"lb1 in", true},
                                           LoopbackCase{"Lb4 x", true}, LoopbackCase{"LB5", false},
                                           LoopbackCase{"LB", false},
                                           LoopbackCase{"MIDI Yoke Junction: 1", true},
                                           LoopbackCase{"midi yoke nt: 3", true},
                                           LoopbackCase{"MIDI Yoke Junction 1", false},
                                           LoopbackCase{"XLB1", false}, LoopbackCase{"", false},
                                           LoopbackCase{"Midi Through:Midi Through Port-0", true},
                                           LoopbackCase{"MIDI THROUGH:Port-1", true},
                                           LoopbackCase{"Synth:Midi Through", false},
                                           LoopbackCase{"Midi Through", false}));

TEST_F(MidiOutTest, AlsaMidiThroughCannotFeedItself) {
    driver.devices = {"Midi Through:Midi Through Port-0"};
    open.Add(TMidiDeviceKind::Input, "Midi Through:Midi Through Port-0");
    TMidiOutput port(driver, open);
    port.SetDeviceID(0);
    EXPECT_THROW(port.Open(), EMidiError);
    EXPECT_TRUE(port.IsClosed());
}

TEST_F(MidiOutTest, OutputOfAnOpenLoopbackInputIsRefused) {
    open.Add(TMidiDeviceKind::Input, "lb1 loopback");
    TMidiOutput port(driver, open);
    port.SetDeviceID(1);
    try {
        port.Open();
        FAIL();
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), "Opening \"LB1 Loopback\" would create a virtual feedback loop !");
    }
    EXPECT_TRUE(port.IsClosed());
    EXPECT_EQ(std::count(driver.calls.begin(), driver.calls.end(), "open 1"), 0);

    port.SetDeviceID(0); // another name opens
    EXPECT_TRUE(port.Open());
}

TEST_F(MidiOutTest, NonLoopbackNameOpensBesideTheSameInput) {
    open.Add(TMidiDeviceKind::Input, "Synth A");
    TMidiOutput port(driver, open);
    port.SetDeviceID(0);
    EXPECT_TRUE(port.Open());
}

TEST(OpenMidiDevicesTest, NamesAreKeptOnceAndRemovedFirstMatch) {
    TOpenMidiDevices open;
    open.Add(TMidiDeviceKind::Output, "Synth");
    open.Add(TMidiDeviceKind::Output, "SYNTH");
    EXPECT_EQ(open.Names(TMidiDeviceKind::Output).size(), 1u);
    EXPECT_FALSE(open.Contains(TMidiDeviceKind::Input, "Synth"));
    open.Remove(TMidiDeviceKind::Output, "synth");
    EXPECT_TRUE(open.Names(TMidiDeviceKind::Output).empty());
}

} // namespace
