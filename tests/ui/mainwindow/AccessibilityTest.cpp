// The window as assistive technology reads it, and the piano keyboard played
// from the keyboard focus alone.
#include "mainwindow/ProgramPanel.h"
#include "mainwindow/ChordPanel.h"
#include "mainwindow/KnobPanel.h"
#include "mainwindow/SettingsLink.h"
#include "widgets/ImageStripControl.h"
#include "widgets/KnobRow.h"
#include "widgets/PianoKeyboard.h"
#include "widgets/RotaryKnob.h"
#include "widgets/UpDown.h"

#include "WindowFixture.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QLineEdit>
#include <QToolButton>

namespace {

class AccessibilityTest : public WindowFixture {
protected:
    static QAccessibleInterface* Read(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }
    static void Key(QWidget* to, QEvent::Type type, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent event(type, key, mods, key == Qt::Key_Space ? " " : "");
        QApplication::sendEvent(to, &event);
    }
    static int Value(QWidget* w) { return Read(w)->valueInterface()->currentValue().toInt(); }
};

TEST_F(AccessibilityTest, EveryControlHasItsRoleAndName) {
    auto w = Start();
    TProgramPanel& program = w->ProgramPanel();
    struct Expected {
        QWidget* control;
        QAccessible::Role role;
        const char* name;
    };
    for (const Expected& e : std::initializer_list<Expected>{
             {w->keyboard, QAccessible::Slider, "Piano keyboard"},
             {w->pitchWheel, QAccessible::Slider, "Pitch wheel"},
             {w->modulationWheel, QAccessible::Slider, "Modulation wheel"},
             {w->leftArrow, QAccessible::Button, "Scroll visible keys down"},
             {w->rightArrow, QAccessible::Button, "Scroll visible keys up"},
             {w->KnobPanel().KnobRow().Knob(0), QAccessible::Dial, "Volume"},
             {w->channelEdit, QAccessible::EditableText, "Channel"},
             {w->channelUpDown->UpButton(), QAccessible::Button, "Channel up"},
             {w->channelUpDown->DownButton(), QAccessible::Button, "Channel down"},
             {program.programEdit, QAccessible::EditableText, "Program"},
             {program.programUpDown->UpButton(), QAccessible::Button, "Program up"},
             {program.msbEdit, QAccessible::EditableText, "MSB"},
             {program.lsbUpDown->DownButton(), QAccessible::Button, "LSB down"},
             {program.patchUpDown->UpButton(), QAccessible::Button, "Patch up"},
             {program.panicButton, QAccessible::Button, "Panic!"}}) {
        QAccessibleInterface* read = Read(e.control);
        ASSERT_NE(read, nullptr) << e.name;
        EXPECT_EQ(read->role(), e.role) << e.name;
        EXPECT_EQ(read->text(QAccessible::Name).toStdString(), e.name);
    }
    // A status text too long for its panel is read whole.
    const QString hint = "Nothing is connected to Fendrel's Tonecast. Connect a synthesizer to it.";
    w->SetStatusText(TStatusPanel::Message, hint);
    QLabel* panel = nullptr;
    for (QLabel* label : w->statusBar()->findChildren<QLabel*>())
        if (label->toolTip() == hint) panel = label;
    ASSERT_NE(panel, nullptr) << "the text was not elided";
    EXPECT_EQ(Read(panel)->text(QAccessible::Name).toStdString(), hint.toStdString());
    // Wheels and knobs carry their values and ranges.
    EXPECT_EQ(Read(w->pitchWheel)->valueInterface()->minimumValue().toInt(), -8192);
    EXPECT_EQ(Read(w->modulationWheel)->valueInterface()->maximumValue().toInt(), 127);
    EXPECT_EQ(Value(w->KnobPanel().KnobRow().Knob(0)), 100);
    // Pressing Panic! through assistive technology is a click.
    QAccessibleInterface* panic = Read(program.panicButton);
    ASSERT_NE(panic->actionInterface(), nullptr);
    panic->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(out.sent.empty());
    w->close();
}

TEST_F(AccessibilityTest, AKnobTurnedWithAKeyReportsItsNewValue) {
    auto w = Start();
    TRotaryKnob* knob = w->KnobPanel().KnobRow().Knob(0);
    knob->setFocus();
    Key(knob, QEvent::KeyPress, Qt::Key_Down);
    EXPECT_EQ(Value(knob), 99);
    w->close();
}

// Arrows move the cursor (and scroll to keep it seen), Space plays its note
// while held; the window's own keys keep their meaning.
TEST_F(AccessibilityTest, ThePianoIsPlayedFromItsFocusCursor) {
    auto w = Start();
    TPianoKeyboard* kb = w->keyboard;
    kb->setFocus();
    kb->SetFocusNote(60);
    Key(kb, QEvent::KeyPress, Qt::Key_Right);
    Key(kb, QEvent::KeyPress, Qt::Key_Up);
    EXPECT_EQ(kb->FocusNote(), 73);
    for (const int note : {64, 65, 73}) EXPECT_GT(kb->FocusRect(note).height(), 4) << note; // E, F and a black key
    EXPECT_EQ(Value(kb), 73);
    const std::string name = kb->NoteName(73);
    EXPECT_EQ(Read(kb)->text(QAccessible::Description).toStdString(), name);

    Key(kb, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(Read(kb)->text(QAccessible::Description).toStdString(), name + ", sounding");
    Key(kb, QEvent::KeyPress, Qt::Key_Left); // a held Space follows the cursor
    Key(kb, QEvent::KeyRelease, Qt::Key_Space);
    const auto sent = SentMessages(out);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], std::make_tuple(0x90, 73, 100));
    EXPECT_EQ(sent[1], std::make_tuple(0x90, 73, 0));
    EXPECT_EQ(sent[2], std::make_tuple(0x90, 72, 100));
    EXPECT_EQ(sent[3], std::make_tuple(0x90, 72, 0));

    // Far to the right, the keyboard scrolls after the cursor.
    for (int i = 0; i < 4; ++i) Key(kb, QEvent::KeyPress, Qt::Key_Up);
    EXPECT_EQ(kb->FocusNote(), 120);
    EXPECT_LE(kb->BaseNote(), 120);
    EXPECT_GE(kb->LastVisibleNote(), 120);

    // Ctrl+Space is the panic, never a note of the cursor.
    out.sent.clear();
    Key(kb, QEvent::KeyPress, Qt::Key_Space, Qt::ControlModifier);
    for (const auto& m : SentMessages(out)) EXPECT_NE(m, std::make_tuple(0x90, 120, 100));
    w->close();
}

// Every field of every dialog is named, by its own text or by a label that
// points at it; the first one has the focus when the dialog opens.
TEST_F(AccessibilityTest, TheDialogsFieldsAreNamedAndTheFirstHasTheFocus) {
    auto w = Start();
    struct Opened {
        QAction* item;
        std::function<QWidget*()> dialog;
    };
    for (const Opened& o : std::initializer_list<Opened>{
             {w->settingsItem, [&] { return static_cast<QWidget*>(w->Settings().Dialog()); }},
             {w->transposeItem, [&] { return static_cast<QWidget*>(w->ChordPanel().TransposeForm()); }},
             {w->chordEditorItem, [&] { return static_cast<QWidget*>(w->ChordPanel().ChordEditor()); }},
             {w->KnobPanel().setUpKnobsItem, [&] { return static_cast<QWidget*>(w->KnobPanel().KnobEditor()); }},
             {w->ProgramPanel().choosePatchSetItem,
              [&] { return static_cast<QWidget*>(w->ProgramPanel().PatchSetChooser()); }}}) {
        o.item->trigger();
        QApplication::processEvents();
        QWidget* dialog = o.dialog();
        ASSERT_NE(dialog, nullptr) << o.item->text().toStdString();
        const std::string title = dialog->windowTitle().toStdString();
        EXPECT_TRUE(dialog->focusWidget() && dialog->isAncestorOf(dialog->focusWidget())) << title;
        for (QWidget* field : dialog->findChildren<QWidget*>()) {
            if (!field->isVisibleTo(dialog) || !(field->focusPolicy() & Qt::TabFocus)) continue;
            QAccessibleInterface* read = Read(field);
            if (!read || read->role() == QAccessible::Client || read->role() == QAccessible::Grouping) continue;
            const bool labelled = !read->relations(QAccessible::Label).isEmpty();
            EXPECT_TRUE(labelled || !read->text(QAccessible::Name).isEmpty())
                << title << ": a " << field->metaObject()->className() << " without a name";
        }
        dialog->close();
    }
    w->close();
}

} // namespace
