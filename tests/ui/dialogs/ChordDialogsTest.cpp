// Custom chords in the main window, the chord editor and the transpose dialog.
#include "dialogs/ChordEditorDialog.h"
#include "dialogs/TransposeDialog.h"
#include "widgets/UpDown.h"
#include "widgets/PianoKeyboard.h"
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "store/RegistryFile.h"

#include "WidgetHelpers.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

namespace {

using M = std::tuple<int, int, int>;

class ChordDialogsTest : public WindowFixture {
protected:
    static QPoint KeyPoint(TPianoKeyboard* kb, int note) {
        const QRect r = kb->KeyRect(note);
        return QPoint(r.left() + r.width() / 2, kb->height() - 4);
    }
    static void Click(TPianoKeyboard* kb, int note) {
        Press(kb, KeyPoint(kb, note));
        Release(kb, KeyPoint(kb, note));
    }
    static void Key(QWidget* to, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(to, &press);
    }
    // A window whose one stored custom chord, "Sus4", is chosen in the chord box.
    std::unique_ptr<TMainWindow> StartWithSus4Chosen() {
        StoreSettings([](TIniStore& s) {
            s.WriteString("Chords", "Name1", "Sus4");
            s.WriteString("Chords", "Chord1", "3C0507");
        });
        auto w = Start();
        w->chordBox->setCurrentIndex(8);
        emit w->chordBox->activated(8);
        return w;
    }
    std::vector<int> NotesOn() const {
        std::vector<int> notes;
        for (auto [s, n, v] : SentMessages(out))
            if ((s & 0xF0) == 0x90 && v > 0) notes.push_back(n);
        return notes;
    }

};

TEST_F(ChordDialogsTest, ACustomChordChosenInTheBoxPlaysAndComesBackAfterARestart) {
    StoreSettings([](TIniStore& s) {
        s.WriteString("Chords", "Name1", "Sus4");
        s.WriteString("Chords", "Chord1", "3C0507");
        s.WriteString("Chords", "Name2", "Octaves");
        s.WriteString("Chords", "Chord2", "3C0C18");
    });
    auto w = Start();
    ASSERT_EQ(w->chordBox->count(), 10);
    EXPECT_EQ(w->chordBox->itemText(9), "Octaves");
    w->chordBox->setCurrentIndex(9);
    emit w->chordBox->activated(9);
    EXPECT_EQ(w->keyboard->State().Chord(), TChord::Custom);
    Click(w->keyboard, 48);
    EXPECT_EQ(NotesOn(), (std::vector<int>{48, 60, 72}));
    w->close();
    w.reset();
    EXPECT_NE(SettingsText().find("\"CustomChord\"=dword:00000001"), std::string::npos);

    w = Start();
    EXPECT_EQ(w->chordBox->currentText(), "Octaves");
    EXPECT_EQ(w->ChordPanel().CustomChord(), 1);
    Click(w->keyboard, 50);
    EXPECT_EQ(NotesOn(), (std::vector<int>{50, 62, 74}));
    w->close();
}

TEST_F(ChordDialogsTest, AStoredCustomChordBeyondTheListFallsBack) {
    struct Case {
        int stored;
        int chords;
        const char* shown;
    };
    for (const Case& c : {Case{5, 2, "Sus4"}, Case{1, 2, "Octaves"}, Case{0, 0, "None"}}) {
        StoreSettings([&c](TIniStore& s) {
            s.EraseSection("Chords");
            if (c.chords >= 1) s.WriteString("Chords", "Name1", "Sus4"), s.WriteString("Chords", "Chord1", "3C0507");
            if (c.chords >= 2) s.WriteString("Chords", "Name2", "Octaves"), s.WriteString("Chords", "Chord2", "3C0C18");
            s.WriteInteger("Keyboard", "Chord", 8);
            s.WriteInteger("KeyboardForm", "CustomChord", c.stored);
        });
        auto w = Start();
        EXPECT_EQ(w->chordBox->currentText().toStdString(), c.shown) << c.stored << " of " << c.chords;
        EXPECT_EQ(w->keyboard->State().Chord(), c.chords ? TChord::Custom : TChord::None);
        w->close();
    }
}

// Thousands of custom chords are common: they are read once the window is on
// screen. A window closed before that keeps the stored custom chord.
TEST_F(ChordDialogsTest, TheChordsComeAfterTheWindowShowsAndAnEarlyCloseKeepsTheChoice) {
    StoreSettings([](TIniStore& s) {
        s.WriteString("Chords", "Name1", "Sus4"), s.WriteString("Chords", "Chord1", "3C0507");
        s.WriteString("Chords", "Name2", "Octaves"), s.WriteString("Chords", "Chord2", "3C0C18");
        s.WriteInteger("Keyboard", "Chord", 8);
        s.WriteInteger("KeyboardForm", "CustomChord", 1);
    });
    {
        TMainWindow early(names, out, in);
        early.show(); // no events: closed before its deferred start
        EXPECT_EQ(early.ChordPanel().CustomChord(), 1);
        early.close();
    }
    EXPECT_NE(SettingsText().find("\"CustomChord\"=dword:00000001"), std::string::npos);
    auto w = Start();
    EXPECT_EQ(w->chordBox->currentText(), "Octaves");
    EXPECT_EQ(w->keyboard->State().Chord(), TChord::Custom);
    w->close();
}

TEST_F(ChordDialogsTest, TheEditorBuildsAChordByClickingAndADragMovesTheOneAddedNote) {
    auto w = Start();
    w->chordEditorItem->trigger();
    TChordEditorDialog* editor = w->ChordPanel().ChordEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "Chord Editor");
    EXPECT_EQ(editor->keyboard->size(), QSize(593, 41));
    EXPECT_FALSE(editor->resetButton->isEnabled());
    editor->newButton->click();
    ASSERT_NE(editor->SelectedEntry(), nullptr);
    editor->editButton->click();
    EXPECT_TRUE(editor->resetButton->isEnabled());

    TPianoKeyboard* kb = editor->keyboard;
    Click(kb, 60); // the root
    Press(kb, KeyPoint(kb, 64));
    Move(kb, KeyPoint(kb, 65), Qt::LeftButton);
    Move(kb, KeyPoint(kb, 67), Qt::LeftButton);
    Release(kb, KeyPoint(kb, 67));
    TChordEntry* entry = editor->SelectedEntry();
    EXPECT_EQ(entry->Root, 60);
    EXPECT_EQ(entry->IntervalList(), (std::vector<int>{7})) << "the drag added every note it passed";
    QApplication::processEvents(); // the merged refresh
    EXPECT_EQ(editor->chordList->topLevelItem(0)->text(1).toStdString(), ChordNotesText(*entry, kb->Language()));

    // A note played on the main window toggles too, while the editor shows.
    w->keyboard->State().SetChord(TChord::None);
    Click(w->keyboard, 64);
    EXPECT_EQ(entry->IntervalList(), (std::vector<int>{7, 4}));
    // The editor's keyboard plays straight to the port, without the main transposition.
    w->keyboard->State().SetTranspose(5);
    out.sent.clear();
    editor->editButton->click();
    Click(kb, 62);
    EXPECT_EQ(NotesOn(), (std::vector<int>{62, 69, 66}));
    w->close();
}

// A note held on the editor's own keyboard ends when the editor goes, however it goes.
TEST_F(ChordDialogsTest, ClosingTheEditorEndsTheNoteHeldOnItsKeyboard) {
    auto w = Start();
    const std::vector<std::pair<const char*, std::function<void(TChordEditorDialog*)>>> closers = {
        {"Escape", [](TChordEditorDialog* e) { Key(e, Qt::Key_Escape); }},
        {"Cancel", [](TChordEditorDialog* e) { e->cancelButton->click(); }},
        {"OK", [](TChordEditorDialog* e) { e->okButton->click(); }},
        {"window closed", [](TChordEditorDialog* e) { e->close(); }},
    };
    for (const auto& [how, closeIt] : closers) {
        SCOPED_TRACE(how);
        w->chordEditorItem->trigger();
        QPointer<TChordEditorDialog> editor = w->ChordPanel().ChordEditor();
        ASSERT_NE(editor, nullptr);
        out.sent.clear();
        Press(editor->keyboard, KeyPoint(editor->keyboard, 62));
        ASSERT_EQ(NotesOn(), std::vector<int>{62});
        closeIt(editor);
        QApplication::processEvents();
        ASSERT_TRUE(!editor || !editor->isVisible()); // closing deletes it
        std::map<int, int> sounding;
        for (auto [status, note, velocity] : SentMessages(out))
            if ((status & 0xF0) == 0x90) sounding[note] += velocity > 0 ? 1 : -1;
            else if ((status & 0xF0) == 0x80) sounding[note] -= 1;
        EXPECT_EQ(sounding[62], 0) << "the note still sounds";
    }
    w->close();
}

// The selected custom chord deleted in the editor: the box and the keyboard
// both fall back to "None".
TEST_F(ChordDialogsTest, DeletingTheSelectedCustomChordLeavesTheBoxAtNone) {
    auto w = StartWithSus4Chosen();
    ASSERT_EQ(w->keyboard->State().Chord(), TChord::Custom);
    w->chordEditorItem->trigger();
    TChordEditorDialog* editor = w->ChordPanel().ChordEditor();
    editor->SelectRow(0);
    editor->deleteButton->click();
    editor->applyButton->click();
    EXPECT_EQ(w->chordBox->currentText(), "None");
    EXPECT_EQ(w->keyboard->State().Chord(), TChord::None);
    editor->close();
    w->close();
}

// In edit mode a drag is one toggle and one strike of the chord per key
// crossed; moving within a key changes nothing.
TEST_F(ChordDialogsTest, AnEditDragStrikesTheChordOncePerKeyCrossed) {
    auto w = Start();
    w->chordEditorItem->trigger();
    TChordEditorDialog* editor = w->ChordPanel().ChordEditor();
    editor->newButton->click();
    editor->editButton->click();
    TPianoKeyboard* kb = editor->keyboard;
    Click(kb, 60); // the root
    out.sent.clear();
    const QRect key64 = kb->KeyRect(64);
    Press(kb, KeyPoint(kb, 64));
    for (int dx = 1; dx < key64.width() / 2 - 1; ++dx)
        Move(kb, KeyPoint(kb, 64) + QPoint(dx, 0), Qt::LeftButton);
    EXPECT_EQ(NotesOn(), (std::vector<int>{60, 64})) << "moving within the key struck again";
    EXPECT_EQ(editor->SelectedEntry()->IntervalList(), (std::vector<int>{4}));
    out.sent.clear();
    Move(kb, KeyPoint(kb, 65), Qt::LeftButton);
    Move(kb, KeyPoint(kb, 65) + QPoint(1, 0), Qt::LeftButton);
    EXPECT_EQ(NotesOn(), (std::vector<int>{60, 65})) << "one strike of the new chord";
    Release(kb, KeyPoint(kb, 65));
    EXPECT_EQ(editor->SelectedEntry()->IntervalList(), (std::vector<int>{5}));
    w->close();
}

TEST_F(ChordDialogsTest, ADuplicateNameIsRefusedAndApplyRefillsTheChordBoxKeepingTheChoice) {
    auto w = StartWithSus4Chosen();
    w->chordEditorItem->trigger();
    TChordEditorDialog* editor = w->ChordPanel().ChordEditor();
    editor->newButton->click();
    QTreeWidgetItem* row = editor->chordList->topLevelItem(1);
    row->setText(0, "SUS4");
    EXPECT_EQ(messages, (std::vector<std::string>{"This chord name already exists !"}));
    EXPECT_EQ(row->text(0), "New chord");
    EXPECT_EQ(editor->Chords().Items(1).Name, "New chord");
    row->setText(0, "Power");
    EXPECT_EQ(editor->Chords().Items(1).Name, "Power");
    editor->editButton->click();
    Click(editor->keyboard, 48);
    Click(editor->keyboard, 55);

    // The new chord goes first: the box still shows "Sus4", now at entry 9.
    editor->chordList->setCurrentItem(editor->chordList->topLevelItem(0));
    editor->deleteButton->click();
    editor->newButton->click();
    editor->chordList->topLevelItem(1)->setText(0, "Sus4");
    Click(editor->keyboard, 60);
    Click(editor->keyboard, 65);
    editor->applyButton->click();
    ASSERT_EQ(w->chordBox->count(), 10);
    EXPECT_EQ(w->chordBox->itemText(8), "Power");
    EXPECT_EQ(w->chordBox->currentText(), "Sus4");
    EXPECT_EQ(w->ChordPanel().CustomChord(), 1);
    EXPECT_EQ(w->keyboard->State().CustomChord()[0], 5);

    editor->cancelButton->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->ChordPanel().ChordEditor(), nullptr);
    w->close();
}

TEST_F(ChordDialogsTest, TheTransposeNumberFieldAndItsRules) {
    auto w = Start();
    w->keyboard->State().SetTranspose(3);
    w->transposeItem->trigger();
    TTransposeDialog* t = w->ChordPanel().TransposeForm();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->transposeEdit->text(), "3");
    t->transposeEdit->setText("150");
    Key(t->transposeEdit, Qt::Key_Return);
    EXPECT_EQ(t->transposeEdit->text(), "3");
    EXPECT_EQ(w->keyboard->State().Transpose(), 3);
    EXPECT_TRUE(t->isVisible()) << "Enter closed the dialog";
    t->transposeEdit->setText("-99");
    Key(t->transposeEdit, Qt::Key_Return);
    EXPECT_EQ(w->keyboard->State().Transpose(), -99);
    t->transposeEdit->setText("abc");
    Key(t->transposeEdit, Qt::Key_Return);
    EXPECT_EQ(t->transposeEdit->text(), "abc");
    EXPECT_EQ(w->keyboard->State().Transpose(), -99);
    Key(t->transposeEdit, Qt::Key_Escape);
    EXPECT_EQ(t->transposeEdit->text(), "-99");
    t->transposeUpDown->DownButton()->click(); // the bottom end holds
    EXPECT_EQ(w->keyboard->State().Transpose(), -99);
    t->transposeUpDown->UpButton()->click();
    EXPECT_EQ(w->keyboard->State().Transpose(), -98);
    t->displayBeforeKeyboardCheck->click();
    EXPECT_TRUE(w->keyboard->State().DisplayTransposed());
    t->thruCheck->click();
    EXPECT_FALSE(w->keyboard->State().TransposeThru());
    t->closeButton->click(); // not kept: back to 0
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->keyboard->State().Transpose(), 0);
    EXPECT_EQ(w->ChordPanel().TransposeForm(), nullptr);

    w->keyboard->State().SetTranspose(7);
    w->transposeItem->trigger();
    w->ChordPanel().TransposeForm()->keepTransposeCheck->click();
    w->ChordPanel().TransposeForm()->closeButton->click();
    EXPECT_EQ(w->keyboard->State().Transpose(), 7);
    w->close();
}

TEST_F(ChordDialogsTest, HelpHiddenAtCloseComesBackHiddenWithTheButtonsMovedUp) {
    auto w = Start();
    w->transposeItem->trigger();
    TTransposeDialog* t = w->ChordPanel().TransposeForm();
    EXPECT_TRUE(t->HelpShown());
    const int shownHeight = t->height();
    const int shownTop = t->closeButton->y();
    t->helpButton->click();
    EXPECT_EQ(t->helpButton->text(), "Show Help");
    EXPECT_LT(t->closeButton->y(), shownTop);
    EXPECT_LT(t->height(), shownHeight);
    EXPECT_EQ(t->closeButton->y(), t->helpFrame->y());
    t->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_NE(SettingsText().find("\"ShowHelp\"=\"0\""), std::string::npos);

    w->transposeItem->trigger();
    t = w->ChordPanel().TransposeForm();
    EXPECT_FALSE(t->HelpShown());
    EXPECT_EQ(t->helpButton->text(), "Show Help");
    EXPECT_EQ(t->closeButton->y(), t->helpFrame->y());
    t->helpButton->click();
    EXPECT_EQ(t->helpButton->text(), "Hide help");
    EXPECT_EQ(t->height(), shownHeight);
    w->close();
}

} // namespace
