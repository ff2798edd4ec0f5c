#include "mainwindow/MidiDeviceMenu.h"
#include "instrument/Instrument.h"
#include "widgets/QtMailbox.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "store/IniFile.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace {

class MidiMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        out.devices = {"Synth A", "Synth B!"};
        out.mapperName = "Fendrel's Tonecast";
        in.devices = {"Keys"};
        outItem = bar.addMenu("Midi &Out");
        inItem = bar.addMenu("Midi &In");
    }

    std::unique_ptr<TMidiOutMenu> MakeOut() {
        auto m = std::make_unique<TMidiOutMenu>(instrument.Output(), out);
        m->DefaultMidiMapper = true;
        m->OnError = [this](TMidiMenuBase*, const std::string& e) { errors.push_back(e); };
        m->OnTextMessage = [this](TMidiMenuBase*, const std::string& t) { texts.push_back(t); };
        m->SetBaseMenu(outItem);
        return m;
    }
    static std::vector<std::string> Captions(QMenu* menu) {
        std::vector<std::string> c;
        for (QAction* a : menu->actions()) c.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        return c;
    }
    static std::string Checked(QMenu* menu) {
        std::string c;
        for (QAction* a : menu->actions())
            if (a->isChecked()) c += (c.empty() ? "" : ",") + a->text().toStdString();
        return c;
    }

    FakeMidiOutDriver out;
    FakeMidiInDriver in;
    TInstrument instrument{out, in, QtMailboxes()}; // the ports the menus open
    QMenuBar bar;
    QMenu* outItem;
    QMenu* inItem;
    std::vector<std::string> errors, texts;
};

TEST_F(MidiMenuTest, MenusListDevicesWithTheMapperBelowTheSeparator) {
    auto menu = MakeOut();
    EXPECT_EQ(Captions(outItem), (std::vector<std::string>{"none", "-", "Midi-Mapper", "Synth A", "Synth B!"}));
    EXPECT_EQ(Checked(outItem), "none");
    TMidiInMenu inMenu(instrument.Input(), in);
    inMenu.SetBaseMenu(inItem);
    EXPECT_EQ(Captions(inItem), (std::vector<std::string>{"none", "-", "Keys"}));
}

TEST_F(MidiMenuTest, NoOutputDeviceGivesNoneAndTheSeparatorOnly) {
    out.devices.clear();
    auto menu = MakeOut();
    EXPECT_EQ(Captions(outItem), (std::vector<std::string>{"none", "-"}));
}

TEST_F(MidiMenuTest, ABackendWithItsOwnPortOffersTheMapperWithoutDevices) {
    out.devices.clear();
    out.mapperWithoutDevices = true;
    auto menu = MakeOut();
    EXPECT_EQ(Captions(outItem), (std::vector<std::string>{"none", "-", "Midi-Mapper"}));
    auto store = TIniFileStore::FromText("");
    menu->LoadFromRegistry(store); // first start
    EXPECT_EQ(menu->GetDeviceID(), OwnPortDevice);
}

TEST_F(MidiMenuTest, AMenuNotOnTheMenuBarIsIgnored) {
    QMenu loose("Loose");
    TMidiOutMenu menu(instrument.Output(), out);
    menu.SetBaseMenu(&loose);
    EXPECT_EQ(menu.BaseMenu(), nullptr);
    EXPECT_TRUE(loose.actions().isEmpty());
}

TEST_F(MidiMenuTest, FirstStartOpensTheMapperAndTheFirstInput) {
    auto store = TIniFileStore::FromText("");
    auto menu = MakeOut();
    menu->LoadFromRegistry(store);
    EXPECT_EQ(menu->GetDeviceID(), OwnPortDevice);
    EXPECT_EQ(Checked(outItem), "Midi-Mapper");
    TMidiInMenu inMenu(instrument.Input(), in);
    inMenu.DefaultMidiMapper = true;
    inMenu.SetBaseMenu(inItem);
    inMenu.LoadFromRegistry(store);
    EXPECT_EQ(inMenu.GetDeviceName(), "Keys");
    EXPECT_TRUE(in.IsOpen()); // opened and started
}

struct StoredCase {
    const char* stored;
    std::int32_t device; // 30000: nothing opened
};

class MidiMenuStoredTest : public MidiMenuTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(MidiMenuStoredTest, StoredNamesMeetCaptionsIgnoringCaseAndSpaces) {
    auto store = TIniFileStore::FromText(std::string("[MidiDevices]\nMidiOut=") + GetParam().stored + "\n");
    auto menu = MakeOut();
    menu->LoadFromRegistry(store);
    EXPECT_EQ(menu->GetDeviceID(), GetParam().device) << GetParam().stored;
    EXPECT_EQ(menu->IsClosed(), GetParam().device == NoMidiDevice);
}

INSTANTIATE_TEST_SUITE_P(Names, MidiMenuStoredTest,
                         ::testing::Values(StoredCase{"(none)", NoMidiDevice}, StoredCase{"Synth C", NoMidiDevice},
                                           StoredCase{"synth a", 0}, StoredCase{"SynthB!", 1},
                                           StoredCase{" S y n t h  B ! ", 1}, StoredCase{"Synth B", NoMidiDevice},
                                           StoredCase{"Fendrel's Tonecast", OwnPortDevice},
                                           StoredCase{"fendrel'stonecast", OwnPortDevice},
                                           StoredCase{"Midi-Mapper", OwnPortDevice}));

TEST_F(MidiMenuTest, TheMapperComesBackAfterARestart) {
    auto store = TIniFileStore::FromText("");
    {
        auto menu = MakeOut();
        menu->SelectDevice(outItem->actions()[2]);
        menu->SaveToRegistry(store);
        menu->Close();
    }
    EXPECT_EQ(store.ReadString("MidiDevices", "MidiOut", ""), "Fendrel's Tonecast");
    QMenuBar bar2;
    outItem = bar2.addMenu("Midi &Out");
    auto again = MakeOut();
    again->LoadFromRegistry(store);
    EXPECT_EQ(again->GetDeviceID(), OwnPortDevice);
}

TEST_F(MidiMenuTest, ClickingTheOpenDeviceDoesNothingAndNoneCloses) {
    auto menu = MakeOut();
    menu->SelectDevice(outItem->actions()[3]);
    const auto calls = out.calls.size();
    menu->SelectDevice(outItem->actions()[3]);
    EXPECT_EQ(out.calls.size(), calls);
    EXPECT_EQ(Checked(outItem), "Synth A");
    outItem->actions()[0]->trigger();
    EXPECT_TRUE(menu->IsClosed());
    EXPECT_EQ(Checked(outItem), "none");
}

TEST_F(MidiMenuTest, AFailedOpenReportsAndLeavesNoneChecked) {
    auto menu = MakeOut();
    out.openError = MidiFailure::InUse;
    outItem->actions()[3]->trigger();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], MidiFailure::InUse);
    EXPECT_TRUE(menu->IsClosed());
    EXPECT_EQ(Checked(outItem), "none");
}

// A device that fails after it opened is closed and reported as a failed
// open is; a failure of a port the menu does not hold changes nothing.
TEST_F(MidiMenuTest, ADeviceThatFailsAfterItsOpenIsClosedAndReported) {
    auto menu = MakeOut();
    outItem->actions()[3]->trigger();
    ASSERT_FALSE(menu->IsClosed());
    ASSERT_EQ(out.openPorts.size(), 1u);
    const int port = out.openPorts.begin()->first;
    out.Fail(port + 1, MidiFailure::Refused);
    EXPECT_FALSE(menu->IsClosed());
    out.Fail(port, MidiFailure::NotEnabled);
    EXPECT_TRUE(menu->IsClosed());
    EXPECT_EQ(Checked(outItem), "none");
    EXPECT_EQ(errors, std::vector<std::string>{MidiFailure::NotEnabled});
    menu.reset();
    EXPECT_FALSE(instrument.Output().OnFailed) << "the menu left its handler behind";
}

TEST_F(MidiMenuTest, ASwitchGivesTheThreeTextsInOrder) {
    auto menu = MakeOut();
    int beforeClose = 0;
    menu->OnBeforeClose = [&](TMidiMenuBase*) { ++beforeClose; };
    menu->SelectDevice(outItem->actions()[3]);
    texts.clear();
    menu->SelectDevice(outItem->actions()[4]);
    EXPECT_EQ(texts, (std::vector<std::string>{"Closing Synth A ...", "Closed Synth A succesfully.",
                                               "Opened Synth B! succesfully."}));
    EXPECT_EQ(beforeClose, 1);
    EXPECT_EQ(Checked(outItem), "Synth B!");
}

TEST_F(MidiMenuTest, InputMenuKeepsItsFlags) {
    auto store = TIniFileStore::FromText("[MidiDevices]\nMidiIn=keys\nActiveSensing=1\nTimingClock=0\n");
    TMidiInMenu menu(instrument.Input(), in);
    menu.SetBaseMenu(inItem);
    menu.LoadFromRegistry(store);
    EXPECT_TRUE(menu.ActiveSensing());
    EXPECT_TRUE(menu.Port().PassActiveSensing());
    EXPECT_FALSE(menu.TimingClock());
    menu.SetTimingClock(true);
    auto saved = TIniFileStore::FromText("");
    menu.SaveToRegistry(saved);
    EXPECT_EQ(saved.Text(), "[MidiDevices]\r\nMidiIn=Keys\r\nActiveSensing=1\r\nTimingClock=1\r\n");
    menu.Close();
    EXPECT_EQ(in.calls, (std::vector<std::string>{"open 0", "close"}));
}

TEST_F(MidiMenuTest, ClickingTheOpenDeviceKeepsItsCheck) {
    auto menu = MakeOut();
    outItem->actions()[3]->trigger();
    ASSERT_EQ(Checked(outItem), "Synth A");
    outItem->actions()[3]->trigger(); // Qt unchecks a checkable item before it says so
    EXPECT_EQ(Checked(outItem), "Synth A");
    EXPECT_FALSE(menu->IsClosed());
    outItem->actions()[0]->trigger();
    outItem->actions()[0]->trigger();
    EXPECT_EQ(Checked(outItem), "none");
}

TEST_F(MidiMenuTest, AnItemOpensThePortOfItsNameWhereverThatPortNowIs) {
    auto menu = MakeOut();
    QAction* b = outItem->actions()[4];
    out.devices = {"Other", "Synth A", "Synth B!"}; // another program added a port, unannounced
    b->trigger();
    EXPECT_EQ(menu->GetDeviceName(), "Synth B!");
    ASSERT_EQ(out.openPorts.size(), 1u);
    EXPECT_EQ(out.openPorts.begin()->second, 2);
    auto store = TIniFileStore::FromText("");
    menu->SaveToRegistry(store);
    EXPECT_EQ(store.ReadString("MidiDevices", "MidiOut", ""), "Synth B!");
    // The menu now shows the new port too, and the check stays on the open device.
    EXPECT_EQ(Captions(outItem), (std::vector<std::string>{"none", "-", "Midi-Mapper", "Other", "Synth A", "Synth B!"}));
    EXPECT_EQ(Checked(outItem), "Synth B!");
}

TEST_F(MidiMenuTest, AnItemWhosePortWentAwayOpensNothing) {
    auto menu = MakeOut();
    QAction* b = outItem->actions()[4];
    out.devices = {"Synth A"};
    b->trigger();
    EXPECT_TRUE(menu->IsClosed());
    EXPECT_TRUE(out.openPorts.empty());
    EXPECT_EQ(errors, (std::vector<std::string>{"Synth B! could not be opened."}));
    EXPECT_EQ(Captions(outItem), (std::vector<std::string>{"none", "-", "Midi-Mapper", "Synth A"}));
    EXPECT_EQ(Checked(outItem), "none");
}

TEST_F(MidiMenuTest, TheMenuFollowsPortsThatComeAndGo) {
    auto menu = MakeOut();
    int released = 0;
    menu->OnBeforeClose = [&](TMidiMenuBase*) { ++released; };
    outItem->actions()[4]->trigger();
    out.devices = {"Synth A", "Synth B!", "New"};
    out.OnPortsChanged();
    EXPECT_EQ(Captions(outItem).back(), "New");
    EXPECT_EQ(Checked(outItem), "Synth B!");

    texts.clear();
    out.devices = {"Synth A", "New"};
    out.OnPortsChanged();
    EXPECT_TRUE(menu->IsClosed());
    EXPECT_TRUE(out.openPorts.empty());
    EXPECT_EQ(released, 1); // held notes are let go before the port closes
    EXPECT_EQ(Checked(outItem), "none");
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "Synth B! is no longer available.");
    auto store = TIniFileStore::FromText("");
    menu->SaveToRegistry(store);
    EXPECT_EQ(store.ReadString("MidiDevices", "MidiOut", ""), "Synth B!"); // still the user's choice

    out.devices = {"Synth B!", "Synth A", "New"};
    out.OnPortsChanged();
    EXPECT_FALSE(menu->IsClosed());
    EXPECT_EQ(menu->GetDeviceName(), "Synth B!");
    EXPECT_EQ(out.openPorts.begin()->second, 0);
    EXPECT_EQ(Checked(outItem), "Synth B!");
}

TEST_F(MidiMenuTest, TheMapperComesBackWithItsMidiSystem) {
    auto menu = MakeOut();
    outItem->actions()[2]->trigger();
    ASSERT_EQ(menu->GetDeviceID(), OwnPortDevice);
    const auto devices = out.devices;
    out.devices.clear(); // the MIDI system went away: no ports, no mapper
    out.OnPortsChanged();
    EXPECT_TRUE(menu->IsClosed());
    EXPECT_EQ(Captions(outItem), (std::vector<std::string>{"none", "-"}));
    out.devices = devices;
    out.OnPortsChanged();
    EXPECT_EQ(menu->GetDeviceID(), OwnPortDevice);
    EXPECT_EQ(Checked(outItem), "Midi-Mapper");
}

TEST_F(MidiMenuTest, ChoosingNoneForgetsTheDeviceThatWentAway) {
    auto menu = MakeOut();
    outItem->actions()[3]->trigger();
    out.devices = {"Synth B!"};
    out.OnPortsChanged();
    outItem->actions()[0]->trigger();
    out.devices = {"Synth A", "Synth B!"};
    out.OnPortsChanged();
    EXPECT_TRUE(menu->IsClosed());
}

TEST_F(MidiMenuTest, ARememberedDeviceMissingAtStartOpensWhenItAppears) {
    auto store = TIniFileStore::FromText("[MidiDevices]\nMidiOut=USB Synth\n");
    auto menu = MakeOut();
    menu->LoadFromRegistry(store);
    EXPECT_TRUE(menu->IsClosed());
    auto saved = TIniFileStore::FromText("");
    menu->SaveToRegistry(saved);
    EXPECT_EQ(saved.ReadString("MidiDevices", "MidiOut", ""), "USB Synth"); // not "(none)"
    out.devices.push_back("USB Synth");
    outItem->aboutToShow(); // systems without notifications are read again as the menu opens
    EXPECT_EQ(menu->GetDeviceName(), "USB Synth");
}

TEST_F(MidiMenuTest, NamesStoredWithAlsaPortNumbersStillMatch) {
    out.devices = {"Midi Through:Midi Through Port-0", "USB Keys:USB Keys MIDI 1"};
    auto store = TIniFileStore::FromText("[MidiDevices]\nMidiOut=USB Keys:USB Keys MIDI 1 24:0\n");
    auto menu = MakeOut();
    menu->LoadFromRegistry(store);
    EXPECT_EQ(menu->GetDeviceName(), "USB Keys:USB Keys MIDI 1");
}

TEST_F(MidiMenuTest, AMenuThatIsGoneNoLongerListens) {
    {
        auto menu = MakeOut();
        EXPECT_TRUE(out.OnPortsChanged);
    }
    EXPECT_FALSE(out.OnPortsChanged);
}

} // namespace
