// The input port on the ALSA sequencer, where the machine has one: closing
// while another program floods the port never frees what RtMidi's thread is
// still using (run under AddressSanitizer).
#include "midi/MidiInput.h"
#include "RtMidiDriver.h"

#include "PortIndex.h"
#include <gtest/gtest.h>

#include <rtmidi/RtMidi.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

TEST(AlsaInputTest, ClosingDuringAFloodWaitsForTheDeliveryInProgress) {
    if (!AlsaSequencerOpens()) GTEST_SKIP() << "no ALSA sequencer on this machine";
    RtMidiOut flooder(RtMidi::LINUX_ALSA, "tonecast-alsa-flood");
    flooder.openVirtualPort("flood");
    RtMidiInDriver driver("Fendrel's Tonecast");
    const std::int32_t device =
        PortIndexWhere(driver, [](const std::string& name) { return name.rfind("tonecast-alsa-flood", 0) == 0; });
    ASSERT_GE(device, 0);

    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        std::vector<unsigned char> note{0x90, 60, 100};
        while (flooding.load()) flooder.sendMessage(&note);
    });
    TOpenMidiDevices open;
    int received = 0;
    for (int round = 0; round < 40; ++round) {
        auto port = std::make_unique<TMidiInput>(driver, open);
        port->SetDeviceID(device);
        ASSERT_TRUE(port->Open());
        port->Start();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        while (auto event = port->GetEvent()) ++received;
        port->Close();
    }
    flooding.store(false);
    flood.join();
    EXPECT_GT(received, 0) << "nothing arrived at all";
}

} // namespace
