// The File menu's export and import on a real main window: the explanation,
// the file dialogs, the work on real INI files and the result messages.
#include "widgets/KnobRow.h"
#include "instrument/ChordList.h"
#include "widgets/PianoKeyboard.h"
#include "mainwindow/MainWindow.h"
#include "dialogs/ExportImportHelpDialog.h"

#include "ModalAnswers.h"
#include "WindowFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

#include "dialogs/ChordEditorDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace {

using A = ModalAnswers;

class ExportImportTest : public WindowFixture {
protected:
    // Runs a command with the given answers; what was asked comes back.
    std::vector<std::string> Run(TMainWindow& w, ExportImport::TKind kind, bool import, std::deque<A::TAnswer> answers) {
        ModalAnswers modal(std::move(answers));
        (import ? w.ExportImportCommands().importItems : w.ExportImportCommands().exportItems)[kind]->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(modal.Done()) << "not every expected box came up";
        return modal.asked;
    }
    QString File(const char* name) const { return QString::fromStdString(dir.File(name)); }
    static A::TAnswer CheckDontShow() {
        return [](QDialog* d) {
            auto* help = qobject_cast<TExportImportHelpDialog*>(d);
            if (help) help->dontShowCheck->setChecked(true);
            d->accept();
        };
    }
    static A::TAnswer Choose(bool overwrite, bool* addWasChecked = nullptr) {
        return [overwrite, addWasChecked](QDialog* d) {
            auto* help = qobject_cast<TExportImportHelpDialog*>(d);
            if (!help) return d->reject();
            if (addWasChecked) *addWasChecked = help->addPresetsRadio->isChecked() || help->addChordsRadio->isChecked();
            (overwrite ? help->overwritePresetsRadio : help->addPresetsRadio)->setChecked(true);
            (overwrite ? help->overwriteChordsRadio : help->addChordsRadio)->setChecked(true);
            d->accept();
        };
    }
};

TEST_F(ExportImportTest, SettingsGoOutAndComeBackAndTheExplanationCanBeTurnedOff) {
    auto w = Start();
    w->keyboard->State().SetChannel(6);
    w->move(40, 30);
    QApplication::processEvents();
    const QPoint exported = w->pos();
    const std::string proposed = (QDir::currentPath() + "/KeyboardSettings.ini").toStdString();
    EXPECT_EQ(Run(*w, ExportImport::Settings, false,
                  {CheckDontShow(), A::File(File("mine.ini")), A::Button(QMessageBox::Ok)}),
              (std::vector<std::string>{"Export Settings", "Select export file|" + proposed, "Settings saved successfully."}));
    const std::string text = ReadFile(dir.File("mine.ini"));
    EXPECT_NE(text.find("[KeyboardForm]\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("First Time=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Keyboard]\r\n"), std::string::npos);
    EXPECT_NE(text.find("Channel=6\r\n"), std::string::npos);
    EXPECT_EQ(text.find("MidiDevices"), std::string::npos);
    EXPECT_EQ(text.find("[Snapshots]"), std::string::npos);
    EXPECT_TRUE(w->ExportImportCommands().DialogFlags()[MainWindowSettings::dfDontShowExSettings]);

    // The second export goes straight to the file dialog, on the file chosen before.
    EXPECT_EQ(Run(*w, ExportImport::Settings, false,
                  {A::Cancel()}),
              (std::vector<std::string>{"Select export file|" + dir.File("mine.ini")}));

    // Importing brings the position and the keyboard back at once.
    w->keyboard->State().SetChannel(2);
    w->move(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(Run(*w, ExportImport::Settings, true,
                  {A::Accept(), A::File(File("mine.ini")), A::Button(QMessageBox::Ok)}),
              (std::vector<std::string>{"Import Settings", "Select import file|" + dir.File("mine.ini"),
                                        "Settings loaded successfully."}));
    EXPECT_EQ(w->keyboard->State().Channel(), 6);
    EXPECT_EQ(w->channelEdit->text(), "7");
    EXPECT_EQ(w->pos(), exported);
    w->close();
    w.reset();
    w = Start();
    EXPECT_TRUE(w->ExportImportCommands().DialogFlags()[MainWindowSettings::dfDontShowExSettings]) << "the flag did not survive a restart";
    w->close();
}

TEST_F(ExportImportTest, KnobPresetsAlwaysAskAndOverwriteLeavesTheFilesPresets) {
    StoreSettings([](TIniStore& store) {
        for (const char* name : {"A", "B"}) {
            TKnobList list;
            list.Add(std::string("old ") + name, 7, 0, 1);
            list.Save(store, std::string("KnobPresets\\") + name);
        }
    });
    WriteFile(dir.File("presets.ini"), "[B]\r\nCaption1=new B\r\nDisplayMode1=0\r\nDefaultValue1=5\r\nIUser1=10\r\n"
                                       "[C]\r\nCaption1=new C\r\nDisplayMode1=0\r\nDefaultValue1=5\r\nIUser1=11\r\n");
    auto w = Start();
    for (QAction* a : w->KnobPanel().PresetItems())
        if (a->data().toString() == "B") a->trigger();
    bool addWasChecked = false;
    const auto asked = Run(*w, ExportImport::KnobPresets, true,
                           {Choose(true, &addWasChecked), A::File(File("presets.ini")), A::Button(QMessageBox::Ok)});
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], "Import Knob Presets");
    EXPECT_EQ(asked[2], "2 knob presets loaded successfully.");
    EXPECT_TRUE(addWasChecked) << "the first time offers adding";
    std::vector<QString> menu;
    for (QAction* a : w->KnobPanel().PresetItems()) menu.push_back(a->data().toString());
    EXPECT_EQ(menu, (std::vector<QString>{"B", "C", "Default"}));
    // The row shows the imported version of its preset.
    EXPECT_EQ(w->KnobPanel().KnobPreset(), "B");
    EXPECT_EQ(w->KnobPanel().KnobRow().Caption(0), "new B");
    EXPECT_TRUE(w->ExportImportCommands().DialogFlags()[MainWindowSettings::dfImKnobPresetsOverwrite]);
    // The next time the last choice is offered again.
    bool addChecked = true;
    Run(*w, ExportImport::KnobPresets, true, {Choose(true, &addChecked), A::Cancel()});
    EXPECT_FALSE(addChecked);

    // Export writes every stored preset under its name.
    EXPECT_EQ(Run(*w, ExportImport::KnobPresets, false,
                  {A::Accept(), A::File(File("out.ini")), A::Button(QMessageBox::Ok)})
                  .back(),
              "2 knob presets saved successfully.");
    const std::string out = ReadFile(dir.File("out.ini"));
    EXPECT_NE(out.find("[B]\r\nCaption1=new B\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[C]\r\n"), std::string::npos) << out;
    w->close();
}

TEST_F(ExportImportTest, SnapshotsAndChordsByTheirSlotsAndNames) {
    StoreSettings([](TIniStore& store) {
        store.WriteString("Snapshots", "Name3", "Three");
        store.WriteString("Snapshots", "Values3", "070A");
        store.WriteString("Chords", "Name1", "Sus4");
        store.WriteString("Chords", "Chord1", "3C0507");
    });
    WriteFile(dir.File("snap.ini"), "[Snapshots]\r\nName1=Old\r\nValues1=0101\r\nName2=Old two\r\nValues2=0202\r\n");
    auto w = Start();
    // Only slot 3 is used: its keys are written, the other slots' removed.
    EXPECT_EQ(Run(*w, ExportImport::KnobSnapshots, false,
                  {A::Accept(), A::File(File("snap.ini")), A::Button(QMessageBox::Yes), A::Button(QMessageBox::Ok)})
                  .back(),
              "1 knob snapshots saved successfully.");
    const std::string snaps = ReadFile(dir.File("snap.ini"));
    EXPECT_EQ(snaps.find("Name1"), std::string::npos) << snaps;
    EXPECT_NE(snaps.find("Name3=Three\r\n"), std::string::npos) << snaps;
    // A file with slot 2 only changes slot 2.
    WriteFile(dir.File("two.ini"), "[Snapshots]\r\nName2=Two\r\nValues2=0B40\r\n");
    EXPECT_EQ(Run(*w, ExportImport::KnobSnapshots, true,
                  {A::Accept(), A::File(File("two.ini")), A::Button(QMessageBox::Ok)})
                  .back(),
              "1 knob snapshots loaded successfully.");
    EXPECT_EQ(w->KnobPanel().Snapshots().Caption(2), "Two");
    EXPECT_EQ(w->KnobPanel().Snapshots().Caption(3), "Three");
    EXPECT_TRUE(w->KnobPanel().snapshotItems[1]->isEnabled());

    // Chords: an export into a file of an earlier export leaves only its own chords there.
    WriteFile(dir.File("chords.ini"), "[Chords]\r\nName1=X\r\nChord1=3C04\r\nName2=Y\r\nChord2=3C07\r\n[Other]\r\nKept=1\r\n");
    EXPECT_EQ(Run(*w, ExportImport::Chords, false,
                  {A::Accept(), A::File(File("chords.ini")), A::Button(QMessageBox::Yes), A::Button(QMessageBox::Ok)})
                  .back(),
              "1 custom chords saved successfully.");
    const std::string chords = ReadFile(dir.File("chords.ini"));
    EXPECT_EQ(chords.find("Name2"), std::string::npos) << chords;
    EXPECT_NE(chords.find("Name1=Sus4\r\nChord1=3C0507\r\n"), std::string::npos) << chords;
    EXPECT_NE(chords.find("[Other]\r\nKept=1\r\n"), std::string::npos) << chords;
    // An import adds, replaces a chord of the same name and refills the box.
    WriteFile(dir.File("more.ini"), "[Chords]\r\nName1=sus4\r\nChord1=3C0407\r\nName2=Add9\r\nChord2=3C040E\r\n");
    emit w->chordBox->activated(8); // Sus4 in use
    EXPECT_EQ(Run(*w, ExportImport::Chords, true,
                  {Choose(false), A::File(File("more.ini")), A::Button(QMessageBox::Ok)})
                  .back(),
              "2 custom chords loaded successfully.");
    EXPECT_EQ(w->chordBox->count(), 10);
    EXPECT_EQ(w->chordBox->currentText().toLower(), "sus4"); // found again by name
    w->close();
    w.reset();
    w = Start();
    EXPECT_EQ(w->ChordPanel().Chords().Count(), 2) << "the imported chords were not kept";
    w->close();
}

// Chords imported while the chord editor is open are what the editor shows and
// keeps on OK; edits of its own not yet applied are replaced only on the user's word.
TEST_F(ExportImportTest, TheOpenChordEditorFollowsAnImportAndAsksBeforeDroppingItsEdits) {
    WriteFile(dir.File("more.ini"), "[Chords]\r\nName1=Sus4\r\nChord1=3C0507\r\nName2=Add9\r\nChord2=3C040E\r\n");
    const std::string question = "The custom chords were changed by an import. Replace the changes you made in the "
                                 "chord editor with the imported chords ?";
    struct Case {
        const char* name;
        bool edit;
        QMessageBox::StandardButton answer;
        std::vector<std::string> shown; // the editor's chords after the import
        int keptAtOk;                     // the window's chords after OK in the editor
    };
    // A new chord without notes is not stored.
    for (const Case& c : {Case{"untouched", false, QMessageBox::NoButton, {"Sus4", "Add9"}, 2},
                          Case{"edits replaced", true, QMessageBox::Yes, {"Sus4", "Add9"}, 2},
                          Case{"edits kept", true, QMessageBox::No, {"New chord"}, 0}}) {
        SCOPED_TRACE(c.name);
        StoreSettings([](TIniStore& s) { s.EraseSection("Chords"); });
        auto w = Start();
        w->chordEditorItem->trigger();
        TChordEditorDialog* editor = w->ChordPanel().ChordEditor();
        ASSERT_NE(editor, nullptr);
        if (c.edit) editor->newButton->click();
        std::deque<A::TAnswer> answers{Choose(true), A::File(File("more.ini"))};
        if (c.edit) answers.push_back(A::Button(c.answer));
        answers.push_back(A::Button(QMessageBox::Ok));
        const auto asked = Run(*w, ExportImport::Chords, true, answers);
        EXPECT_EQ(std::count(asked.begin(), asked.end(), question), c.edit ? 1 : 0);
        std::vector<std::string> shown;
        for (int i = 0; i < editor->Chords().Count(); ++i) shown.push_back(editor->Chords().Items(i).Name);
        EXPECT_EQ(shown, c.shown);
        editor->okButton->click();
        QApplication::processEvents();
        EXPECT_EQ(w->ChordPanel().Chords().Count(), c.keptAtOk) << "OK in the editor wrote another list";
        w->close();
    }
}

// New files hold exactly the records of their kind, as a Windows program writes them.
TEST_F(ExportImportTest, NewFilesMatchTheExpectedFilesByteForByte) {
    StoreSettings([](TIniStore& store) {
        store.WriteString("Snapshots", "Name3", "Three");
        store.WriteString("Snapshots", "Values3", "070A");
        store.WriteString("Chords", "Name1", "Sus4");
        store.WriteString("Chords", "Chord1", "3C0507");
        store.WriteString("Chords", "Name2", "Minor 9");
        store.WriteString("Chords", "Chord2", "3C03070E");
        TKnobList preset;
        preset.Add("Cutoff", 74, 0, 64);
        preset.Add("Pan", 10, 1, 64);
        preset.Save(store, "KnobPresets\\Filter");
    });
    auto w = Start();
    const std::string data = std::string(TONECAST_TEST_DATA) + "/exim/";
    struct Case {
        ExportImport::TKind kind;
        const char* file;
    };
    for (const Case& c : {Case{ExportImport::KnobPresets, "KeyboardKnobPresets.ini"},
                          Case{ExportImport::KnobSnapshots, "KeyboardSnapshots.ini"},
                          Case{ExportImport::Chords, "KeyboardChords.ini"}}) {
        const auto asked = Run(*w, c.kind, false, {A::Accept(), A::File(File(c.file)), A::Button(QMessageBox::Ok)});
        ASSERT_EQ(asked.size(), 3u) << c.file;
        EXPECT_EQ(ReadFile(dir.File(c.file)), ReadFile(data + c.file)) << c.file;
    }
    w->close();
}

// Cancel in the explanation or in the file dialog reads and writes nothing.
TEST_F(ExportImportTest, CancelAtEitherDialogChangesNothing) {
    WriteFile(dir.File("KeyboardChords.ini"), "[Chords]\r\nName1=Sus4\r\nChord1=3C0507\r\n");
    auto w = Start();
    const std::string before = SettingsText();
    EXPECT_EQ(Run(*w, ExportImport::Chords, true, {A::Cancel()}).size(), 1u);
    EXPECT_EQ(Run(*w, ExportImport::Chords, true, {A::Accept(), A::Cancel()}).size(), 2u);
    EXPECT_EQ(Run(*w, ExportImport::Settings, false, {A::Accept(), A::Cancel()}).size(), 2u);
    EXPECT_EQ(w->ChordPanel().Chords().Count(), 0);
    EXPECT_EQ(w->chordBox->count(), 8);
    EXPECT_FALSE(std::filesystem::exists(dir.File("KeyboardSettings.ini")));
    EXPECT_EQ(SettingsText(), before);
    // Each kind proposes its own name, in the folder of the last file shown.
    const auto asked = Run(*w, ExportImport::KnobPresets, false, {A::Accept(), A::Cancel()});
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].substr(asked[1].rfind('/') + 1), "KeyboardKnobPresets.ini");
    w->close();
}

// The save dialog starts where the last save went, the open dialog where the
// last file was opened from: each remembers its own folder.
TEST_F(ExportImportTest, ExportAndImportEachRememberTheirOwnFolder) {
    std::filesystem::create_directories(dir.Path() / "out");
    std::filesystem::create_directories(dir.Path() / "in");
    WriteFile(dir.File("in/chords.ini"), "[Chords]\r\nName1=Sus4\r\nChord1=3C0507\r\n");
    auto w = Start();
    const auto folderShown = [](const std::vector<std::string>& asked) {
        const std::string shown = asked.at(1).substr(asked.at(1).find('|') + 1);
        return std::filesystem::path(shown).parent_path().string();
    };
    Run(*w, ExportImport::Settings, false, {A::Accept(), A::File(File("out/settings.ini")), A::Button(QMessageBox::Ok)});
    Run(*w, ExportImport::Chords, true, {Choose(false), A::File(File("in/chords.ini")), A::Button(QMessageBox::Ok)});
    EXPECT_EQ(folderShown(Run(*w, ExportImport::KnobSnapshots, false, {A::Accept(), A::Cancel()})), dir.File("out"));
    EXPECT_EQ(folderShown(Run(*w, ExportImport::KnobSnapshots, true, {A::Accept(), A::Cancel()})), dir.File("in"));
    w->close();
}

TEST_F(ExportImportTest, AFileThatCannotBeWrittenIsReported) {
    auto w = Start();
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit tiny = old;
    tiny.rlim_cur = 16;
    auto* const previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const auto asked = Run(*w, ExportImport::Settings, false, {A::Accept(), A::File(File("full.ini"))});
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(asked.size(), 2u) << "a result box came up";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Unable to write to " + dir.File("full.ini"));
    w->close();
}

} // namespace
