// The output port against a real JACK server: what the program sends reaches
// another JACK client byte for byte.
#include "JackClients.h"
#include "JackServer.h"

#include "midi/MidiOutput.h"
#include "JackClient.h"
#include "JackMidiDriver.h"
#include "midi/MidiPortNames.h"

#include <jack/jack.h>

#include "PortIndex.h"
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

class JackOutputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::setenv("TONECAST_MIDI_API", "jack", 1);
        server = new JackServer;
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    static JackServer* server;
    const std::string client = "Fendrel's Tonecast";
    TOpenMidiDevices open;
};

JackServer* JackOutputTest::server = nullptr;

// The port is made on the client's own thread, soon after the open.
void ConnectOwnPortTo(jack_client_t* jack, const std::string& client, const std::string& sinkPort) {
    bool connected = false;
    for (int i = 0; i < 100 && !connected; ++i) {
        connected = ConnectClientTo(jack, client, sinkPort);
        if (!connected) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(connected) << "the program's port is not visible to other clients";
}

TEST_F(JackOutputTest, MapperDeliversNotesAndPitchBendByteForByte) {
    Sink sink;
    JackMidiOutDriver driver(client);
    ASSERT_TRUE(driver.Client().Settle());
    TMidiOutput port(driver, open);
    port.SetDeviceID(OwnPortDevice);
    EXPECT_EQ(port.DeviceName(), client);
    ASSERT_TRUE(port.Open());
    ConnectOwnPortTo(sink.Client(), client, sink.PortName());

    port.SendShortMsg({0x90, 60, 100});
    port.SendShortMsg({0x90, 60, 0});
    port.SendShortMsg({0xE3, 0x12, 0x34});
    port.SendShortMsg({0xC5, 9, 0}); // two bytes on the wire
    const auto& got = sink.Collect(4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], (Message{0x90, 60, 100}));
    EXPECT_EQ(got[1], (Message{0x90, 60, 0}));
    EXPECT_EQ(got[2], (Message{0xE3, 0x12, 0x34}));
    EXPECT_EQ(got[3], (Message{0xC5, 9}));
}

TEST_F(JackOutputTest, ClosingReleasesSoundingNotesAndAClosedPortSendsNothing) {
    Sink sink;
    JackMidiOutDriver driver(client);
    ASSERT_TRUE(driver.Client().Settle());
    TMidiOutput port(driver, open);
    port.SetDeviceID(OwnPortDevice);
    ASSERT_TRUE(port.Open());
    ConnectOwnPortTo(sink.Client(), client, sink.PortName());
    port.SendShortMsg({0x91, 64, 90});
    ASSERT_EQ(sink.Collect(1).size(), 1u);
    port.Close();
    port.SendShortMsg({0x90, 61, 100});
    const auto& got = sink.Collect(100, 1000);
    ASSERT_GE(got.size(), 2u);
    std::string all;
    for (const auto& m : got) {
        for (int b : m) all += std::to_string(b) + " ";
        all += "| ";
    }
    SCOPED_TRACE(all);
    EXPECT_EQ(got[1], (Message{0x91, 64, 0})); // the held note is ended first
    for (std::size_t i = 2; i < got.size(); ++i) {
        EXPECT_EQ(got[i].size(), 3u);
        EXPECT_EQ(got[i][0] & 0xF0, 0xB0);
    }
    for (const auto& m : got) EXPECT_NE(m, (Message{0x90, 61, 100}));
}

TEST_F(JackOutputTest, PortsAreOtherClientsPortsByTheirNames) {
    Sink sink;
    JackMidiOutDriver driver(client);
    ASSERT_TRUE(driver.Client().Settle());
    TMidiOutput mapper(driver, open);
    mapper.SetDeviceID(OwnPortDevice);
    mapper.Open();

    for (const TMidiPortInfo& p : driver.Ports()) {
        EXPECT_FALSE(IsOwnPortName(p.name, client)) << p.name;
        EXPECT_EQ(p.id, p.name) << "a port is found by its full name";
    }
    const std::int32_t sinkDevice = PortIndex(driver, sink.PortName());
    ASSERT_GE(sinkDevice, 0) << "the sink is not listed";

    TMidiOutput port(driver, open);
    port.SetDeviceID(sinkDevice);
    EXPECT_EQ(port.DeviceName(), sink.PortName());
    ASSERT_TRUE(port.Open());
    port.SendShortMsg({0xB2, 7, 99});
    const auto& got = sink.Collect(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], (Message{0xB2, 7, 99}));
}

TEST_F(JackOutputTest, TheMapperIsThereWithoutAnyOtherPort) {
    JackMidiOutDriver driver(client);
    ASSERT_TRUE(driver.Client().Settle());
    EXPECT_TRUE(driver.Ports().empty());
    EXPECT_TRUE(driver.OwnPort());
    TMidiOutput port(driver, open);
    port.SetDeviceID(OwnPortDevice);
    EXPECT_TRUE(port.Open());
}

} // namespace
