// The main window's settings as a whole: first start, every value through a
// restart, the file's value types, export stores, two copies, a full disk.
#include "dialogs/ChordEditorDialog.h"
#include "dialogs/TransposeDialog.h"
#include "widgets/KnobRow.h"
#include "widgets/ImageStripControl.h"
#include "widgets/RotaryKnob.h"
#include "widgets/PianoKeyboard.h"
#include "instrument/MainWindowSettings.h"
#include "mainwindow/MainWindow.h"
#include "patches/PatchSet.h"
#include "dialogs/PatchSetChooserDialog.h"
#include "store/IniFile.h"
#include "store/RegistryFile.h"

#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QScreen>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

class WindowSettingsTest : public WindowFixture {
protected:
    // The values of the main window's section in file order, as "name=text".
    std::vector<std::string> FormValues() {
        TRegistryData data;
        EXPECT_TRUE(data.Parse(SettingsText()));
        std::vector<std::string> values;
        const std::string path = "HKEY_CURRENT_USER" + names.RegistryRoot() + "\\KeyboardForm";
        TRegKey* key = data.FindKey(path);
        if (!key) return values;
        for (const TRegValue& v : key->Values()) {
            if (v.name == "Top" || v.name == "Left" || v.name == "Height" || v.name == "Width" || v.name == "State")
                continue; // the placement has tests of its own
            values.push_back(v.name + "=" + (v.kind == TRegValue::Kind::Dword ? "dword:" + std::to_string(v.dword)
                                                                               : "\"" + v.text + "\""));
        }
        return values;
    }
    const std::string script = std::string(TONECAST_TEST_DATA) + "/patchscripts/technics-wsa1.txt";
};

TEST_F(WindowSettingsTest, AFirstStartHasTheDefaultsAndEndsFirstTime) {
    auto w = Start();
    const QRect area = w->screen()->availableGeometry();
    EXPECT_EQ(w->x(), area.left() + area.width() / 2 - w->width() / 2);
    EXPECT_EQ(w->y(), area.top() + area.height() / 2 - w->height() / 2);
    EXPECT_EQ(w->Instrument().ProgramBank().Program(), -1);
    EXPECT_EQ(w->Instrument().ProgramBank().BankMsb(), -1);
    EXPECT_EQ(w->Instrument().ProgramBank().BankLsb(), -1);
    EXPECT_EQ(w->ModulationController(), 1);
    EXPECT_EQ(w->Instrument().MouseWheelController(), 1);
    EXPECT_EQ(w->Instrument().MouseWheelSensitivity, 4);
    ASSERT_EQ(w->KnobPanel().KnobRow().Count(), 1);
    EXPECT_EQ(w->KnobPanel().KnobRow().Caption(0), "Volume");
    EXPECT_EQ(w->KnobPanel().KnobRow().Controller(0), 7);
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(0)->Position(), 100);
    EXPECT_TRUE(w->ArrowsVisible());
    EXPECT_FALSE(w->StayOnTop().Item()->isChecked());
    EXPECT_FALSE(w->midiThruItem->isChecked());
    EXPECT_TRUE(w->FirstTime());
    w->close();
    EXPECT_NE(SettingsText().find("\"First Time\"=\"0\""), std::string::npos);
}

// Every value away from its default, through a close and a start; the file
// holds each at its registry type.
TEST_F(WindowSettingsTest, EveryValueSurvivesARestartAtItsRegistryType) {
    StoreSettings([](TIniStore& s) {
        s.WriteString("Chords", "Name1", "Sus4");
        s.WriteString("Chords", "Chord1", "3C0507");
        s.WriteString("Chords", "Name2", "Add9");
        s.WriteString("Chords", "Chord2", "3C040E");
        TKnobList preset;
        preset.Add("Cutoff", 74, 0, 64);
        preset.Save(s, "KnobPresets\\Filter");
    });
    {
        auto w = Start();
        w->SetModulationController(11);
        w->SetArrowsVisible(false);
        w->midiThruItem->setChecked(true);
        w->StayOnTop().Set(true);
        ASSERT_FALSE(w->ProgramPanel().ApplyPatchSet(script));
        w->ProgramPanel().SelectPatch(w->Instrument().PatchSet()->FindProgram("WSA-1\\User2\\User2 - 12"), true, true);
        ASSERT_NE(w->Instrument().CurrentPatch(), nullptr);
        w->SetMouseWheelController(74);
        w->Instrument().MouseWheelSensitivity = 9;
        for (QAction* a : w->KnobPanel().PresetItems())
            if (a->data().toString() == "Filter") a->trigger();
        emit w->chordBox->activated(9); // the second custom chord
        w->ExportImportCommands().DialogFlags() = {true, false, true, false, false, true, false, true};
        w->Instrument().JoystickTable().SetCode(1, TJoystickAxis::Y, 2, 128);
        w->keyboard->State().SetChannel(5);
        w->close();
    }
    EXPECT_EQ(FormValues(), (std::vector<std::string>{
                                "MWCtrl=dword:11",
                                "ShowBasenoteButtons=\"0\"",
                                "Midi Thru=\"1\"",
                                "First Time=\"0\"",
                                "Program=dword:11",
                                "Bank MSB=dword:1",
                                "Bank LSB=dword:16",
                                "MouseWheelController=dword:74",
                                "MouseWheelSensitivity=dword:9",
                                "StayOnTop=\"1\"",
                                "PatchScript=\"" + script + "\"",
                                "Patch=\"WSA-1\\User2\\User2 - 12\"",
                                "CustomChord=dword:1",
                                "Knob Preset=\"Filter\"",
                                "DontShowExSettings=\"1\"",
                                "DontShowExKnobPresets=\"0\"",
                                "DontShowExKnobSnapshots=\"1\"",
                                "DontShowExChords=\"0\"",
                                "DontShowImSettings=\"0\"",
                                "ImKnobPresetsOverwrite=\"1\"",
                                "DontShowImKnobSnapshots=\"0\"",
                                "ImChordsOverwrite=\"1\"",
                            }));
    EXPECT_NE(SettingsText().find("MidiDevices]"), std::string::npos) << "the device choices were not saved";

    auto w = Start();
    EXPECT_EQ(w->ModulationController(), 11);
    EXPECT_FALSE(w->ArrowsVisible());
    EXPECT_EQ(w->keyboard->x(), w->leftArrow->x());
    EXPECT_TRUE(w->midiThruItem->isChecked());
    EXPECT_TRUE(w->StayOnTop().Item()->isChecked());
    EXPECT_FALSE(w->FirstTime());
    EXPECT_EQ(w->Instrument().ProgramBank().Program(), 11);
    EXPECT_EQ(w->Instrument().ProgramBank().BankMsb(), 1);
    EXPECT_EQ(w->Instrument().ProgramBank().BankLsb(), 16);
    ASSERT_NE(w->Instrument().CurrentPatch(), nullptr);
    EXPECT_EQ(w->Instrument().CurrentPatch()->Name(), "User2 - 12");
    EXPECT_EQ(w->Instrument().MouseWheelController(), 74);
    EXPECT_EQ(w->Instrument().MouseWheelSensitivity, 9);
    EXPECT_EQ(w->KnobPanel().KnobPreset(), "Filter");
    ASSERT_EQ(w->KnobPanel().KnobRow().Count(), 1);
    EXPECT_EQ(w->KnobPanel().KnobRow().Caption(0), "Cutoff");
    EXPECT_EQ(w->chordBox->currentText(), "Add9");
    EXPECT_EQ(w->ChordPanel().CustomChord(), 1);
    EXPECT_EQ(w->keyboard->State().Chord(), TChord::Custom);
    EXPECT_EQ(w->ExportImportCommands().DialogFlags(), (std::array<bool, 8>{true, false, true, false, false, true, false, true}));
    EXPECT_EQ(w->Instrument().JoystickTable().Code(1, TJoystickAxis::Y, 2), 128);
    EXPECT_EQ(w->keyboard->State().Channel(), 5);
    w->close();
}

TEST_F(WindowSettingsTest, HiddenArrowsGiveTheKeyboardTheirPlace) {
    auto w = Start();
    const int arrowLeft = w->leftArrow->x();
    const int widest = w->maximumWidth();
    w->SetArrowsVisible(false);
    EXPECT_TRUE(w->leftArrow->isHidden());
    EXPECT_TRUE(w->rightArrow->isHidden());
    EXPECT_EQ(w->keyboard->x(), arrowLeft);
    EXPECT_EQ(w->keyboard->x() + w->keyboard->width(), w->centralWidget()->width() - 5);
    EXPECT_EQ(w->maximumWidth(), widest - 2 * w->leftArrow->width()); // room for neither arrow
    w->SetArrowsVisible(true);
    EXPECT_EQ(w->keyboard->x(), arrowLeft + w->leftArrow->width());
    EXPECT_EQ(w->rightArrow->x() + w->rightArrow->width(), w->centralWidget()->width() - 5);
    EXPECT_EQ(w->keyboard->x() + w->keyboard->width(), w->rightArrow->x());
    w->close();
}

// Closing: the dialogs first, each keeping its own place, then the notes,
// then the settings, and the devices last.
TEST_F(WindowSettingsTest, ClosingEndsTheDialogsFirstAndTheDevicesLast) {
    auto w = Start();
    w->ChordPanel().OpenChordEditor();
    w->ChordPanel().OpenTranspose();
    w->ProgramPanel().ChoosePatchSet();
    QApplication::processEvents();
    // What the file holds when the output device closes.
    std::vector<std::string> saved;
    out.onClose = [&](int) {
        TRegistryFileStore store(names.RegistryFilePath(), "HKEY_CURRENT_USER" + names.RegistryRoot());
        for (const char* section : {"ChordEditForm", "TransposeForm", "PatchSetDialog", "KeyboardForm"})
            if (store.SectionExists(section)) saved.push_back(section);
    };
    w->close();
    EXPECT_EQ(saved, (std::vector<std::string>{"ChordEditForm", "TransposeForm", "PatchSetDialog", "KeyboardForm"}));
    for (QWidget* dialog : {static_cast<QWidget*>(w->ChordPanel().ChordEditor()), static_cast<QWidget*>(w->ChordPanel().TransposeForm()),
                            static_cast<QWidget*>(w->ProgramPanel().PatchSetChooser())})
        EXPECT_TRUE(!dialog || dialog->isHidden());
    EXPECT_TRUE(out.openPorts.empty());
}

// An export file gets the window's values but not this computer's devices.
TEST_F(WindowSettingsTest, SavingToAFileLeavesOutTheDeviceChoices) {
    auto w = Start();
    TIniFileStore file(dir.File("KeyboardSettings.ini"));
    w->SaveSettings(file);
    file.Close();
    const std::string text = ReadFile(dir.File("KeyboardSettings.ini"));
    EXPECT_NE(text.find("[KeyboardForm]\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("First Time=0\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Keyboard]\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("MidiDevices"), std::string::npos) << text;
    w->close();
}

TEST_F(WindowSettingsTest, TwoCopiesClosedInTurnKeepEachOthersChanges) {
    Start()->close(); // the settings of an earlier run
    auto first = Start();
    auto second = Start();
    first->keyboard->State().SetChannel(7);
    second->midiThruItem->setChecked(true);
    second->SetMouseWheelController(10);
    first->close();
    second->close();
    first.reset();
    second.reset();
    auto again = Start();
    EXPECT_EQ(again->keyboard->State().Channel(), 7);
    EXPECT_TRUE(again->midiThruItem->isChecked());
    EXPECT_EQ(again->Instrument().MouseWheelController(), 10);
    again->close();
}

// A disk that fills up while the settings are written: the message goes to
// standard error (nothing at exit waits on the user) and the settings of the
// run before stay whole.
TEST_F(WindowSettingsTest, AFullDiskAtCloseIsReportedAndTheOldFileStays) {
    Start()->close();
    const std::string before = SettingsText();
    auto w = Start();
    w->keyboard->State().SetChannel(9);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit tiny = old;
    tiny.rlim_cur = 64;
    auto* const previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    testing::internal::CaptureStderr();
    w->close();
    const std::string said = testing::internal::GetCapturedStderr();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(messages.empty()) << "a message box at exit: " << messages[0];
    EXPECT_NE(said.find(": The settings could not be saved: "), std::string::npos) << said;
    EXPECT_EQ(SettingsText(), before);
    EXPECT_TRUE(out.openPorts.empty()) << "the device was left open";
}

} // namespace
