// The real program's window against a real JACK server: another program's
// port is listed and opened at first start, and Midi Thru passes its input
// to the program's own output port.
#include "JackClients.h"
#include "JackServer.h"

#include "widgets/PianoKeyboard.h"
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "widgets/QtMailbox.h"
#include "widgets/QtServices.h"
#include "JackClient.h"
#include "JackMidiDriver.h"
#include "store/MemoryStore.h"
#include "midi/MidiPortNames.h"

#include "TempDir.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <chrono>
#include <thread>

namespace {

void Idle() { QApplication::processEvents(); }

void Wait(int ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        Idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

class JackWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        TTonecastApplication::Instance()->MessageSink = [this](const QString& t) { messages.push_back(t.toStdString()); };
        server = std::make_unique<JackServer>();
        source = std::make_unique<Source>(); // before the program starts
        sink = std::make_unique<Sink>();
        jack = std::make_shared<TJackClient>(names.Program, QtMailboxes());
        midiOut = std::make_unique<JackMidiOutDriver>(jack);
        midiIn = std::make_unique<JackMidiInDriver>(jack);
        window = std::make_unique<TMainWindow>(names, *midiOut, *midiIn);
        window->show();
        Wait(100);
        ASSERT_TRUE(sink->ListenTo(names.Program));
    }
    void TearDown() override {
        if (window) window->close();
        window.reset();
        midiIn.reset();
        midiOut.reset();
        jack.reset();
        sink.reset();
        source.reset();
        server.reset();
        TTonecastApplication::Instance()->MessageSink = nullptr;
        ::unsetenv("XDG_CONFIG_HOME");
    }

    TempDir dir;
    const TProgramNames names = TProgramNames::ForExecutable("/usr/bin/tonecast");
    std::vector<std::string> messages;
    std::unique_ptr<JackServer> server;
    std::unique_ptr<Source> source;
    std::unique_ptr<Sink> sink;
    std::shared_ptr<TJackClient> jack;
    std::unique_ptr<JackMidiOutDriver> midiOut;
    std::unique_ptr<JackMidiInDriver> midiIn;
    std::unique_ptr<TMainWindow> window;
};

TEST_F(JackWindowTest, TheSourceIsListedAndOpenedAtFirstStart) {
    EXPECT_TRUE(messages.empty()) << messages.front();
    std::vector<std::string> captions;
    for (QAction* a : window->DeviceMenus().midiInItem->actions()) captions.push_back(a->text().toStdString());
    EXPECT_NE(std::find(captions.begin(), captions.end(), source->PortName()), captions.end());
    EXPECT_EQ(window->Instrument().Input().DeviceName(), source->PortName());
    EXPECT_EQ(window->Instrument().Output().DeviceID(), OwnPortDevice);
    for (QAction* a : window->DeviceMenus().midiOutItem->actions()) EXPECT_FALSE(IsOwnPortName(a->text().toStdString(), names.Program));
}

TEST_F(JackWindowTest, WithoutThruNothingPassesAndTheKeyIsMarked) {
    source->Send({0x92, 64, 100});
    source->Send({0xB2, 1, 50});
    for (int i = 0; i < 100 && window->keyboard->State().ExternalCount(64) == 0; ++i) Wait(50);
    EXPECT_EQ(window->keyboard->State().ExternalCount(64), 1);
    EXPECT_TRUE(sink->Collect(1, 200, Idle).empty());
}

TEST_F(JackWindowTest, ThruPassesNotesAndControllersButNoSystemExclusive) {
    window->midiThruItem->setChecked(true);
    source->Send({0x93, 60, 90});
    source->Send({0x83, 60, 40});
    source->Send({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    source->Send({0xB3, 7, 99});
    const auto& got = sink->Collect(3, 5000, Idle);
    Wait(200);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], (Message{0x93, 60, 90}));
    EXPECT_EQ(got[1], (Message{0x93, 60, 0}));
    EXPECT_EQ(got[2], (Message{0xB3, 7, 99}));
}

std::vector<std::string> Captions(QMenu* menu) {
    std::vector<std::string> captions;
    for (QAction* a : menu->actions()) captions.push_back(a->text().toStdString());
    return captions;
}

bool Lists(QMenu* menu, const std::string& name) {
    const auto captions = Captions(menu);
    return std::find(captions.begin(), captions.end(), name) != captions.end();
}

TEST_F(JackWindowTest, APortAddedLaterAppearsInTheMenus) {
    Sink late("tonecast-late-sink");
    for (int i = 0; i < 100 && !Lists(window->DeviceMenus().midiOutItem, late.PortName()); ++i) Wait(20);
    EXPECT_TRUE(Lists(window->DeviceMenus().midiOutItem, late.PortName()));
}

TEST_F(JackWindowTest, TheInputComesBackWithItsSourcePort) {
    const std::string name = source->PortName();
    ASSERT_EQ(window->Instrument().Input().DeviceName(), name);
    source.reset(); // the other program quits
    for (int i = 0; i < 100 && !window->Instrument().Input().IsClosed(); ++i) Wait(20);
    EXPECT_TRUE(window->Instrument().Input().IsClosed());
    EXPECT_EQ(window->StatusText().toStdString(), name + " is no longer available.");
    EXPECT_TRUE(window->DeviceMenus().midiInItem->actions().front()->isChecked()); // "none"

    source = std::make_unique<Source>(); // and starts again
    for (int i = 0; i < 100 && window->Instrument().Input().IsClosed(); ++i) Wait(20);
    ASSERT_FALSE(window->Instrument().Input().IsClosed());
    EXPECT_EQ(window->Instrument().Input().DeviceName(), name);
    window->midiThruItem->setChecked(true);
    source->Send({0x90, 62, 80});
    const auto& got = sink->Collect(1, 5000, Idle);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], (Message{0x90, 62, 80}));
}

// A client lists its port as it registers it, but takes connections only
// once it is active: a remembered input seen in between still comes back.
TEST_F(JackWindowTest, TheInputComesBackWithASourceThatActivatesLate) {
    const std::string name = source->PortName();
    source.reset();
    for (int i = 0; i < 100 && !window->Instrument().Input().IsClosed(); ++i) Wait(20);
    ASSERT_TRUE(window->Instrument().Input().IsClosed());

    source = std::make_unique<Source>("tonecast-source", false);
    Sink other("tonecast-other-sink"); // a change the program hears while the source is not active
    for (int i = 0; i < 100 && window->Instrument().Input().IsClosed(); ++i) Wait(20);
    ASSERT_EQ(window->Instrument().Input().DeviceName(), name);
    source->Activate();
    window->midiThruItem->setChecked(true);
    const auto& got = sink->Collect(0, 0);
    for (int i = 0; i < 100 && got.empty(); ++i) {
        source->Send({0x90, 62, 80});
        sink->Collect(1, 50, Idle);
    }
    ASSERT_FALSE(got.empty()) << "the input was not connected once its source became active";
    EXPECT_EQ(got[0], (Message{0x90, 62, 80}));
}

// Nobody listening to the program's own port is a common cause of silence:
// said once, taken back while a listener is there, said again when it left.
TEST_F(JackWindowTest, APortWithoutAListenerIsToldAsListenersComeAndGo) {
    const QString hint = QString::fromStdString("Nothing is connected to " + names.Program +
                                                ". Connect a synthesizer to it, or choose Midi Out > Built-in Synthesizer.");
    const std::string own = names.Program + ":" + names.Program;
    auto waitFor = [this](const std::function<bool()>& done) {
        for (int i = 0; i < 100 && !done(); ++i) Wait(20);
        return done();
    };
    ASSERT_EQ(jack_port_connected_to(jack_port_by_name(sink->Client(), own.c_str()), sink->PortName().c_str()), 1);
    EXPECT_TRUE(waitFor([&] { return window->StatusText() != hint; })) << "told while a listener is there";
    for (int round = 0; round < 2; ++round) {
        jack_disconnect(sink->Client(), own.c_str(), sink->PortName().c_str());
        EXPECT_TRUE(waitFor([&] { return window->StatusText() == hint; })) << "not told in round " << round;
        ASSERT_EQ(jack_connect(sink->Client(), own.c_str(), sink->PortName().c_str()), 0);
        EXPECT_TRUE(waitFor([&] { return window->StatusText() != hint; })) << "not taken back in round " << round;
    }
    // Another output chosen: nobody listening to the program's own port is no news.
    QAction* other = nullptr;
    for (QAction* a : window->DeviceMenus().midiOutItem->actions())
        if (a->text().toStdString() == sink->PortName()) other = a;
    ASSERT_NE(other, nullptr);
    other->trigger();
    Wait(200);
    EXPECT_NE(window->StatusText(), hint);
}

// The program's own ports are no devices: listening to its own output with
// Midi Thru on would loop every note for ever.
TEST_F(JackWindowTest, TheProgramsOwnPortsAreNeitherOfferedNorOpened) {
    for (QMenu* menu : {window->DeviceMenus().midiInItem, window->DeviceMenus().midiOutItem})
        for (const std::string& caption : Captions(menu))
            EXPECT_FALSE(IsOwnPortName(caption, names.Program)) << caption;
    TMemoryStore store;
    store.WriteString("MidiDevices", "MidiIn", names.Program + ":" + names.Program);
    window->DeviceMenus().midiInMenu->LoadFromRegistry(store);
    EXPECT_TRUE(window->Instrument().Input().IsClosed());
}

// A connection made by another program from our output straight into our
// input is undone before it can feed anything back.
TEST_F(JackWindowTest, AConnectionFromTheOwnOutputToTheOwnInputIsUndone) {
    ASSERT_FALSE(window->Instrument().Input().IsClosed());
    const std::string out = names.Program + ":" + names.Program;
    const std::string in = names.Program + ":" + names.Program + InputClientSuffix;
    ASSERT_EQ(jack_connect(sink->Client(), out.c_str(), in.c_str()), 0);
    jack_port_t* port = jack_port_by_name(sink->Client(), in.c_str());
    ASSERT_NE(port, nullptr);
    for (int i = 0; i < 100 && jack_port_connected_to(port, out.c_str()); ++i) Wait(20);
    EXPECT_FALSE(jack_port_connected_to(port, out.c_str()));
}

// A key held at the input while the chord changes, and another while thru is
// switched off: every note on that went out gets its note off.
TEST_F(JackWindowTest, ThruNotesEndAsTheyWereSentWhateverChangedMeanwhile) {
    window->midiThruItem->setChecked(true);
    source->Send({0x90, 60, 100});
    ASSERT_EQ(sink->Collect(1, 5000, Idle).size(), 1u);
    window->chordBox->setCurrentIndex(1); // "Major", as the user picks it
    emit window->chordBox->activated(1);
    Wait(50);
    source->Send({0x80, 60, 0});
    source->Send({0x90, 62, 100});
    const auto& got = sink->Collect(5, 5000, Idle);
    ASSERT_GE(got.size(), 5u);
    window->midiThruItem->setChecked(false);
    Wait(300);
    const auto& all = sink->Collect(0, 0);
    std::map<int, int> sounding;
    for (const Message& m : all)
        if ((m[0] & 0xF0) == 0x90) sounding[m[1]] += m[2] > 0 ? 1 : -1;
    for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << "note " << note << " left sounding";
    EXPECT_EQ(all[1], (Message{0x90, 60, 0})) << "the note off was played with the new chord";
}

// Thru on a busy machine: two threads keep both cores busy while another
// program plays paced notes into the input; every one comes out, in order.
TEST_F(JackWindowTest, ThruLosesNothingWhenTheMachineIsBusy) {
    window->midiThruItem->setChecked(true);
    std::atomic<bool> busy{true};
    std::vector<std::thread> burners;
    for (int i = 0; i < 2; ++i)
        burners.emplace_back([&busy] {
            volatile unsigned long spin = 0;
            while (busy.load(std::memory_order_relaxed)) spin = spin + 1;
        });
    constexpr int Count = 2000;
    std::thread player([this] {
        for (int i = 0; i < Count; ++i) {
            const unsigned char note = static_cast<unsigned char>(36 + (i / 2) % 48);
            source->Send(i % 2 == 0 ? Message{0x90, note, 100} : Message{0x80, note, 0});
            std::this_thread::sleep_for(std::chrono::microseconds(1500));
        }
    });
    const auto& got = sink->Collect(Count, 15000, Idle);
    player.join();
    busy = false;
    for (auto& t : burners) t.join();
    ASSERT_EQ(got.size(), static_cast<std::size_t>(Count));
    for (int i = 0; i < Count; ++i) {
        const unsigned char note = static_cast<unsigned char>(36 + (i / 2) % 48);
        const Message expected{0x90, note, static_cast<unsigned char>(i % 2 == 0 ? 100 : 0)};
        ASSERT_EQ(got[static_cast<std::size_t>(i)], expected) << "message " << i;
    }
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TONECAST_MIDI_API", "jack", 1);
    TTonecastApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
