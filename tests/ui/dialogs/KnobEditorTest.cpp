// The knob editor over a real main window: its working copy, the tabs, the
// knob count, presets with their questions and refusals, Apply and OK.
#include "dialogs/KnobEditorDialog.h"
#include "widgets/KnobRow.h"
#include "widgets/UpDown.h"
#include "store/Names.h"
#include "mainwindow/MainWindow.h"

#include "ModalAnswers.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>

namespace {

class KnobEditorTest : public WindowFixture {
protected:
    void StorePreset(const std::string& name, int knobs) {
        StoreSettings([&](TIniStore& store) {
            TKnobList list;
            for (int i = 0; i < knobs; ++i) list.Add(name + " " + std::to_string(i + 1), 20 + i, 0, 10 * i);
            list.Save(store, "KnobPresets\\" + name);
        });
    }
    TKnobEditorDialog* Open(TMainWindow& w) {
        w.KnobPanel().setUpKnobsItem->trigger();
        QApplication::processEvents();
        return w.KnobPanel().KnobEditor();
    }
    static std::vector<std::string> Items(QComboBox* box) {
        std::vector<std::string> items;
        for (int i = 0; i < box->count(); ++i) items.push_back(box->itemText(i).toStdString());
        return items;
    }
    static QAction* PresetItem(TMainWindow& w, const QString& name) {
        for (QAction* a : w.KnobPanel().PresetItems())
            if (a->data().toString() == name) return a;
        return nullptr;
    }
};

TEST_F(KnobEditorTest, ShowsACopyOfTheRowAndThePresetsWithTheCurrentOneSelected) {
    StorePreset("strings", 2);
    StorePreset("Brass", 3);
    auto w = Start();
    PresetItem(*w, "Brass")->trigger();
    TKnobEditorDialog* e = Open(*w);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->windowTitle(), "Knob Preset Editor");
    EXPECT_TRUE(e->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(Items(e->presetBox), (std::vector<std::string>{"Brass", "strings"}));
    EXPECT_EQ(e->presetBox->currentText(), "Brass");
    EXPECT_EQ(e->knobTabs->count(), 3);
    EXPECT_EQ(e->knobTabs->tabText(2), "Knob 3");
    EXPECT_EQ(e->knobTabs->currentIndex(), 0);
    EXPECT_EQ(e->knobNameEdit->text(), "Brass 1");
    EXPECT_EQ(e->knobControllerBox->count(), 128);
    EXPECT_EQ(e->knobControllerBox->currentText(), "020 Undefined");
    EXPECT_EQ(e->knobCountEdit->text(), "3");
    EXPECT_TRUE(e->noKnobsLabel->isHidden());
    EXPECT_FALSE(e->Modified());
    EXPECT_TRUE(e->savePresetButton->isEnabled());
    EXPECT_TRUE(e->deletePresetButton->isEnabled());
    EXPECT_EQ(Open(*w), e); // one editor
    // A tab's edits are kept when moving to another tab and back.
    e->knobNameEdit->setText("Horns");
    e->knobTabs->setCurrentIndex(1);
    EXPECT_EQ(e->knobNameEdit->text(), "Brass 2");
    e->knobTabs->setCurrentIndex(0);
    EXPECT_EQ(e->knobNameEdit->text(), "Horns");
    EXPECT_TRUE(e->Modified());
    e->cancelButton->click(); // nothing applied
    QApplication::processEvents();
    EXPECT_EQ(w->KnobPanel().KnobRow().Caption(0), "Brass 1");
    EXPECT_EQ(w->KnobPanel().KnobEditor(), nullptr);
    w->close();
}

TEST_F(KnobEditorTest, EditedKnobsOfNoPresetAreOfferedAsANewPresetAtOK) {
    auto w = Start(); // "Default": the Volume knob
    TKnobEditorDialog* e = Open(*w);
    EXPECT_EQ(e->presetBox->currentIndex(), -1);
    e->knobNameEdit->setText("Loudness");
    ModalAnswers answers({ModalAnswers::Button(QMessageBox::Yes), ModalAnswers::Text("Mine")});
    e->okButton->click();
    QApplication::processEvents();
    EXPECT_EQ(answers.asked, (std::vector<std::string>{
                                 "You have changed the knobs. Do you want to save them as a preset ?",
                                 "Enter New Preset|Enter the name of the new knob preset:|New Preset"}));
    EXPECT_EQ(w->KnobPanel().KnobEditor(), nullptr);
    ASSERT_EQ(w->KnobPanel().KnobRow().Count(), 1);
    EXPECT_EQ(w->KnobPanel().KnobRow().Caption(0), "Loudness");
    // Saved, so no longer modified: the window selects the new preset.
    EXPECT_EQ(w->KnobPanel().KnobPreset(), "Mine");
    ASSERT_NE(PresetItem(*w, "Mine"), nullptr);
    EXPECT_TRUE(PresetItem(*w, "Mine")->isChecked());
    w->close();
    w.reset();
    // Stored as the knob row stores its presets, and there after a restart.
    TKnobList stored;
    StoreSettings([&](TIniStore& store) { stored.Load(store, "KnobPresets\\Mine"); });
    ASSERT_EQ(stored.Count(), 1);
    EXPECT_EQ(stored.Caption(0), "Loudness");
    EXPECT_EQ(stored.Controller(0), 7);
    EXPECT_EQ(stored.DefaultValue(0), 100);
    w = Start();
    EXPECT_EQ(w->KnobPanel().KnobPreset(), "Mine");
    EXPECT_EQ(w->KnobPanel().KnobRow().Caption(0), "Loudness");
    w->close();
}

TEST_F(KnobEditorTest, WithTheCurrentSetNoPresetIsSelected) {
    StorePreset("Pads", 1);
    StoreSettings([](TIniStore& store) {
        TKnobList current;
        current.Add("Mine", 9, 1, 64);
        current.Save(store, "KnobPresets\\Current");
        store.WriteString("KeyboardForm", "Knob Preset", "Current");
    });
    auto w = Start();
    TKnobEditorDialog* e = Open(*w);
    EXPECT_EQ(Items(e->presetBox), (std::vector<std::string>{"Pads"}));
    EXPECT_EQ(e->presetBox->currentIndex(), -1);
    EXPECT_EQ(e->knobNameEdit->text(), "Mine");
    EXPECT_TRUE(e->negativeRadio->isChecked());
    EXPECT_EQ(e->defaultValueEdit->text(), "+0");
    e->close();
    w->close();
}

TEST_F(KnobEditorTest, ReservedAndTakenNamesAreRefusedAndAskedAgain) {
    StorePreset("Pads", 1);
    auto w = Start();
    TKnobEditorDialog* e = Open(*w);
    ModalAnswers answers({ModalAnswers::Text("default"), ModalAnswers::Button(QMessageBox::Ok),
                          ModalAnswers::Text("CURRENT"), ModalAnswers::Button(QMessageBox::Ok),
                          ModalAnswers::Text("pads"), ModalAnswers::Button(QMessageBox::Ok), ModalAnswers::Cancel()});
    e->newPresetButton->click();
    QApplication::processEvents();
    EXPECT_EQ(answers.asked, (std::vector<std::string>{
                                 "Enter New Preset|Enter the name of the new knob preset:|New Preset",
                                 "You can't name a preset \"Default\".",
                                 "Enter New Preset|Enter the name of the new knob preset:|default",
                                 "You can't name a preset \"Current\".",
                                 "Enter New Preset|Enter the name of the new knob preset:|CURRENT",
                                 "A preset with this name already exists !",
                                 "Enter New Preset|Enter the name of the new knob preset:|pads"}));
    EXPECT_EQ(Items(e->presetBox), (std::vector<std::string>{"Pads"}));
    e->close();
    w->close();
}

// A name the registry or an export file cannot hold is refused with a
// message and changes nothing: an empty one or one ending in "\" used to erase
// every preset.
TEST_F(KnobEditorTest, NamesThatNoKeyCanHoldAreRefusedAndTheSettingsStayAsTheyWere) {
    StorePreset("Pads", 1);
    StorePreset("Keys", 2);
    auto w = Start();
    TKnobEditorDialog* e = Open(*w);
    const std::string before = SettingsText();
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"", "Please enter a name for the preset."},
        {"   ", "Please enter a name for the preset."},
        {"\\", "A preset name cannot contain \\, [ or ]."},
        {"Pads\\", "A preset name cannot contain \\, [ or ]."},
        {"a\\b", "A preset name cannot contain \\, [ or ]."},
        {"[x]", "A preset name cannot contain \\, [ or ]."},
        {"Mix]", "A preset name cannot contain \\, [ or ]."},
    };
    std::deque<ModalAnswers::TAnswer> script;
    std::vector<std::string> expected{"Enter New Preset|Enter the name of the new knob preset:|New Preset"};
    for (const auto& [name, message] : refused) {
        script.push_back(ModalAnswers::Text(QString::fromStdString(name)));
        script.push_back(ModalAnswers::Button(QMessageBox::Ok));
        expected.push_back(message);
        expected.push_back("Enter New Preset|Enter the name of the new knob preset:|" + TrimBlanks(name));
    }
    script.push_back(ModalAnswers::Cancel());
    ModalAnswers answers(script);
    e->newPresetButton->click();
    QApplication::processEvents();
    EXPECT_EQ(answers.asked, expected);
    EXPECT_EQ(Items(e->presetBox), (std::vector<std::string>{"Keys", "Pads"}));
    EXPECT_EQ(SettingsText(), before);
    e->close();
    w->close();
}

// Spaces around a name are not part of it.
TEST_F(KnobEditorTest, ANewPresetNameIsTrimmed) {
    auto w = Start();
    TKnobEditorDialog* e = Open(*w);
    ModalAnswers answers({ModalAnswers::Text("  Warm pad  ")});
    e->newPresetButton->click();
    QApplication::processEvents();
    EXPECT_EQ(Items(e->presetBox), (std::vector<std::string>{"Warm pad"}));
    e->close();
    w->close();
}

// After each preset command the name selected and the knobs shown are of one preset.
TEST_F(KnobEditorTest, TheSelectedNameAndTheKnobsShownBelongTogether) {
    StorePreset("Brass", 1);
    StorePreset("Pads", 2);
    StorePreset("Strings", 3);
    auto w = Start();
    TKnobEditorDialog* e = Open(*w);
    const auto choose = [&](const QString& name) {
        const int i = e->presetBox->findText(name);
        e->presetBox->setCurrentIndex(i);
        emit e->presetBox->activated(i);
        QApplication::processEvents();
    };
    const auto firstKnob = [&] {
        e->knobTabs->setCurrentIndex(0);
        return e->knobNameEdit->text().toStdString();
    };
    // Changed knobs of no preset, saved as a new one that sorts before the chosen one.
    e->knobNameEdit->setText("Mine 1");
    {
        ModalAnswers answers({ModalAnswers::Button(QMessageBox::Yes), ModalAnswers::Text("Alpha")});
        choose("Pads");
    }
    EXPECT_EQ(e->presetBox->currentText(), "Pads");
    EXPECT_EQ(firstKnob(), "Pads 1");
    // Deleting the preset shown selects no other name for its knobs.
    {
        ModalAnswers answers({ModalAnswers::Button(QMessageBox::Yes)});
        e->deletePresetButton->click();
        QApplication::processEvents();
    }
    EXPECT_EQ(e->presetBox->currentIndex(), -1);
    EXPECT_FALSE(e->savePresetButton->isEnabled());
    // And choosing again loads what is chosen.
    choose("Strings");
    EXPECT_EQ(e->presetBox->currentText(), "Strings");
    EXPECT_EQ(firstKnob(), "Strings 1");
    e->close();
    w->close();
}

TEST_F(KnobEditorTest, TheKnobCountAddsAndDeletesAtTheEnd) {
    StorePreset("Five", 5);
    auto w = Start();
    PresetItem(*w, "Five")->trigger();
    TKnobEditorDialog* e = Open(*w);
    e->knobTabs->setCurrentIndex(1);
    e->knobCountUpDown->DownButton()->click();
    EXPECT_EQ(e->WorkingList().Count(), 4);
    EXPECT_EQ(e->WorkingList().Caption(3), "Five 4");
    EXPECT_EQ(e->knobTabs->count(), 4);
    EXPECT_EQ(e->knobTabs->currentIndex(), 1);
    EXPECT_TRUE(e->Modified());
    e->knobCountUpDown->UpButton()->click();
    EXPECT_EQ(e->WorkingList().Caption(4), "Bank Select MSB");
    EXPECT_EQ(e->WorkingList().Controller(4), 0);
    EXPECT_EQ(e->knobTabs->currentIndex(), 4);
    EXPECT_EQ(e->knobNameEdit->text(), "Bank Select MSB");
    // Choosing a controller names the knob after it.
    e->knobControllerBox->setCurrentIndex(7);
    emit e->knobControllerBox->activated(7);
    EXPECT_EQ(e->knobNameEdit->text(), "Channel Volume");
    EXPECT_EQ(e->WorkingList().Caption(4), "Channel Volume");
    // Down to none: the panel says so, and OK leaves an empty row.
    for (int i = 0; i < 5; ++i) e->knobCountUpDown->DownButton()->click();
    EXPECT_EQ(e->WorkingList().Count(), 0);
    EXPECT_FALSE(e->noKnobsLabel->isHidden());
    EXPECT_EQ(e->noKnobsLabel->text(), "No Knobs !");
    ModalAnswers answers({ModalAnswers::Button(QMessageBox::No)});
    e->okButton->click();
    QApplication::processEvents();
    EXPECT_EQ(answers.asked, (std::vector<std::string>{
                                 "You have made changes to knob preset \"Five\". Do you want to save it ?"}));
    EXPECT_EQ(w->KnobPanel().KnobRow().Count(), 0);
    EXPECT_EQ(w->KnobPanel().KnobPreset(), "Current");
    w->close();
}

TEST_F(KnobEditorTest, ApplyTwiceAndAnUnmodifiedPresetChosenInTheEditor) {
    StorePreset("Lead", 2);
    auto w = Start();
    TKnobEditorDialog* e = Open(*w);
    e->knobNameEdit->setText("Gain");
    e->applyButton->click();
    e->applyButton->click();
    EXPECT_EQ(w->KnobPanel().KnobRow().Caption(0), "Gain");
    EXPECT_EQ(w->KnobPanel().KnobRow().Count(), 1);
    EXPECT_EQ(w->KnobPanel().KnobPreset(), "Current");
    EXPECT_TRUE(e->Modified()); // Apply leaves it

    // Choosing a preset while modified asks first; Cancel keeps the selection.
    {
        ModalAnswers answers({ModalAnswers::Button(QMessageBox::Cancel)});
        e->presetBox->setCurrentIndex(0);
        emit e->presetBox->activated(0);
        QApplication::processEvents();
        EXPECT_EQ(answers.asked.size(), 1u);
        EXPECT_EQ(e->presetBox->currentIndex(), -1);
    }
    {
        ModalAnswers answers({ModalAnswers::Button(QMessageBox::No)});
        e->presetBox->setCurrentIndex(0);
        emit e->presetBox->activated(0);
        QApplication::processEvents();
    }
    EXPECT_EQ(e->WorkingList().Caption(1), "Lead 2");
    EXPECT_FALSE(e->Modified());
    e->applyButton->click(); // not modified, a preset chosen: the window selects it
    EXPECT_EQ(w->KnobPanel().KnobPreset(), "Lead");
    EXPECT_TRUE(PresetItem(*w, "Lead")->isChecked());
    e->close();
    w->close();
}

TEST_F(KnobEditorTest, SaveAndDeleteNeedAPresetAndDeletingTheOnlyOneEmptiesTheList) {
    StorePreset("Only", 1);
    auto w = Start();
    TKnobEditorDialog* e = Open(*w);
    {
        ModalAnswers answers({ModalAnswers::Button(QMessageBox::Ok), ModalAnswers::Button(QMessageBox::Ok)});
        e->savePresetButton->click();
        e->deletePresetButton->click();
        QApplication::processEvents();
        EXPECT_EQ(answers.asked, (std::vector<std::string>{"You must make a new preset before being able to save it.",
                                                           "Please select a preset to delete."}));
    }
    e->presetBox->setCurrentIndex(0);
    {
        ModalAnswers answers({ModalAnswers::Button(QMessageBox::Yes)});
        e->deletePresetButton->click();
        QApplication::processEvents();
        EXPECT_EQ(answers.asked, (std::vector<std::string>{
                                     "Are you sure to delete preset \"Only\" ?\nThis can't be undone later !"}));
    }
    EXPECT_EQ(e->presetBox->count(), 0);
    EXPECT_EQ(e->presetBox->currentIndex(), -1);
    EXPECT_FALSE(e->savePresetButton->isEnabled());
    EXPECT_FALSE(e->deletePresetButton->isEnabled());
    EXPECT_EQ(SettingsText().find("KnobPresets\\Only]"), std::string::npos) << "the key is still there";
    EXPECT_NE(PresetItem(*w, "Only"), nullptr) << "the menu changes only at its next refresh";
    e->close();
    w->close();
}

TEST_F(KnobEditorTest, AControllerSeenIsPickedWhileTheControllerListHasTheFocus) {
    in.devices = {"Keys"};
    auto w = Start();
    ASSERT_TRUE(in.IsOpen());
    TKnobEditorDialog* e = Open(*w);
    e->knobControllerBox->setFocus();
    in.InjectShort(0xB2 | (74 << 8) | (5 << 16), 0); // a hardware knob at the MIDI input
    QElapsedTimer t;
    t.start();
    while (e->knobControllerBox->currentIndex() != 74 && t.elapsed() < 1000) QApplication::processEvents();
    EXPECT_EQ(e->knobControllerBox->currentIndex(), 74);
    EXPECT_FALSE(e->Modified()) << "picked without a change event";
    EXPECT_EQ(e->knobNameEdit->text(), "Volume");
    e->knobNameEdit->setFocus();
    w->Instrument().Play({0xB0, 10, 5});
    EXPECT_EQ(e->knobControllerBox->currentIndex(), 74);
    e->close();
    w->close();
}

} // namespace
