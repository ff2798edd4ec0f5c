// The computer-keyboard manuals with hand-built key events that carry native
// scan codes, as the X11 and Wayland platforms deliver them.
#include "widgets/PianoKeyboard.h"
#include "instrument/KeyTable.h"
#include "widgets/KeyCaptureEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <tuple>

namespace {

using Message = std::tuple<int, int, int>;

constexpr quint32 Native(int scanCode) { return static_cast<quint32>(scanCode + 8); }

// Counts the key presses that reach a widget, that is, that nobody consumed.
class Arrivals : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) ++presses;
        return false;
    }
};

class KeyHandlingTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        keyboard = new TPianoKeyboard(keys, &window);
        edit = new QLineEdit(&window);
        layout->addWidget(keyboard);
        layout->addWidget(edit);
        keyboard->OnNote = [this](TPianoKeyboard*, const TShortMessage& m) {
            sent.emplace_back(m.status, m.data1, m.data2);
        };
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        keyboard->setFocus();
        QApplication::processEvents();
        keyboard->SetCaptureKeyboard(true);
        keyboard->installEventFilter(&arrivals);
        edit->installEventFilter(&editArrivals);
    }
    void TearDown() override {
        keyboard->SetCaptureKeyboard(false);
    }
    void Key(QEvent::Type type, Qt::Key key, int scan, Qt::KeyboardModifiers mods = Qt::NoModifier,
             const QString& text = QString(), bool repeat = false) {
        QKeyEvent e(type, key, mods, Native(scan), 0, 0, text, repeat);
        QWidget* target = QApplication::focusWidget();
        QApplication::sendEvent(target ? target : &window, &e);
    }
    void Tap(Qt::Key key, int scan, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString()) {
        Key(QEvent::KeyPress, key, scan, mods, text);
        Key(QEvent::KeyRelease, key, scan, mods, text);
    }

    TKeyTable keys;
    QWidget window;
    TPianoKeyboard* keyboard;
    QLineEdit* edit;
    Arrivals arrivals, editArrivals;
    std::vector<Message> sent;
};

TEST_F(KeyHandlingTest, HoldingSGivesOneNoteOnAndOneNoteOff) {
    Key(QEvent::KeyPress, Qt::Key_S, 31);
    for (int i = 0; i < 3; ++i) { // the platform's auto-repeat: release and press of a held key
        Key(QEvent::KeyRelease, Qt::Key_S, 31, Qt::NoModifier, QString(), true);
        Key(QEvent::KeyPress, Qt::Key_S, 31, Qt::NoModifier, QString(), true);
    }
    Key(QEvent::KeyRelease, Qt::Key_S, 31);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 49, 100}, {0x90, 49, 0}}));
    EXPECT_EQ(arrivals.presses, 3); // the repeats pass on
}

TEST_F(KeyHandlingTest, CtrlQPassesOnShiftQPlaysWithTheShiftVelocity) {
    Tap(Qt::Key_Q, 16, Qt::ControlModifier);
    for (const auto& [s, n, v] : sent) EXPECT_EQ(v, 0) << "no note on"; // a release always counts
    EXPECT_EQ(arrivals.presses, 1);
    sent.clear();
    Tap(Qt::Key_Q, 16, Qt::ShiftModifier);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 50}, {0x90, 60, 0}}));
    EXPECT_EQ(arrivals.presses, 1);
}

TEST_F(KeyHandlingTest, LeftAltIsConsumedRightAltPassesOn) {
    Tap(Qt::Key_Alt, 56, Qt::AltModifier);
    EXPECT_EQ(arrivals.presses, 0);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_AltGr, Qt::NoModifier, 100 + 8, 0, 0);
    QApplication::sendEvent(keyboard, &right);
    EXPECT_EQ(arrivals.presses, 1);
    EXPECT_TRUE(sent.empty());
}

TEST_F(KeyHandlingTest, InAPlainLineEditWTypesAndPlays) {
    edit->setFocus();
    QApplication::processEvents();
    Tap(Qt::Key_W, 17, Qt::NoModifier, "w");
    EXPECT_EQ(edit->text(), "w");
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 62, 100}, {0x90, 62, 0}}));
}

TEST_F(KeyHandlingTest, KeysWhileTheWindowIsInactivePassOn) {
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::processEvents();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, Native(16), 0, 0);
    QApplication::sendEvent(keyboard, &press);
    EXPECT_TRUE(sent.empty());
}

TEST_F(KeyHandlingTest, ChangingTheOctaveWhileAKeyIsHeldLeavesNothingSounding) {
    Key(QEvent::KeyPress, Qt::Key_Z, 44);
    keyboard->OctaveUp();
    EXPECT_EQ(keyboard->KeyOctave(), 5);
    Key(QEvent::KeyRelease, Qt::Key_Z, 44);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], (Message{0x90, 48, 100}));
    EXPECT_EQ(sent[1], (Message{0x90, 48, 0}));
    for (int n = 0; n < 128; ++n) EXPECT_FALSE(keyboard->State().IsPressed(n)) << n;
}

TEST_F(KeyHandlingTest, OctaveLimitsAndTheHighestOctave) {
    keyboard->SetKeyOctave(10);
    Tap(Qt::Key_Q, 16);
    EXPECT_TRUE(sent.empty()); // 132 is passed on
    EXPECT_EQ(arrivals.presses, 1);
    Tap(Qt::Key_Z, 44);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 120, 100}, {0x90, 120, 0}}));
    keyboard->OctaveUp();
    EXPECT_EQ(keyboard->KeyOctave(), 10);
    keyboard->SetKeyOctave(0);
    keyboard->OctaveDown();
    EXPECT_EQ(keyboard->KeyOctave(), 0);
}

TEST_F(KeyHandlingTest, NegativeNotesPassOnAndInvalidCKeysAreIgnored) {
    keyboard->SetKeyOctave(0);
    keyboard->SetLowerCScanCode(50);
    Tap(Qt::Key_Z, 44);
    EXPECT_TRUE(sent.empty());
    Tap(Qt::Key_M, 50);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 0, 100}, {0x90, 0, 0}}));
    keyboard->SetUpperCScanCode(44);
    EXPECT_EQ(keyboard->UpperCScanCode(), 16);
    keyboard->SetLowerCScanCode(16);
    EXPECT_EQ(keyboard->LowerCScanCode(), 50);
}

TEST_F(KeyHandlingTest, CaptureOffReleasesAndStopsListening) {
    Key(QEvent::KeyPress, Qt::Key_Q, 16);
    keyboard->SetCaptureKeyboard(false);
    EXPECT_EQ(sent.back(), (Message{0x90, 60, 0}));
    sent.clear();
    Tap(Qt::Key_Q, 16);
    EXPECT_TRUE(sent.empty());
}

TEST_F(KeyHandlingTest, KeyEditRecordsKeysWhileFocused) {
    auto* box = new TKeyCaptureEdit(&window);
    window.layout()->addWidget(box);
    box->setFocus();
    QApplication::processEvents();
    box->WantBackspace = false;
    Tap(Qt::Key_A, 30);
    Tap(Qt::Key_B, 48);
    EXPECT_EQ(box->Sequence().Count(), 4);
    EXPECT_EQ(box->text(), "A B ");
    Tap(Qt::Key_Backspace, 14);
    EXPECT_EQ(box->Sequence().GetAsString(), "KSQ10002041241");
    EXPECT_EQ(box->text(), "A ");
    // The keyboard played the keys as well: the box is no plain edit, so they were consumed.
    EXPECT_EQ(editArrivals.presses, 0);
    box->SetOnlyOneChar(true);
    box->OnKeyEvent = [](TKeyCaptureEdit*, const TKeyData& d, bool& add) { add = TPianoKeyboard::IsValidUpperCKey(d.scanCode); };
    Tap(Qt::Key_Z, 44); // refused
    Tap(Qt::Key_E, 18);
    EXPECT_EQ(box->text(), "E");
    box->clearFocus();
    QApplication::processEvents();
    Tap(Qt::Key_R, 19);
    EXPECT_EQ(box->text(), "E");
}

TEST_F(KeyHandlingTest, RepeatedPressesOfAHeldKeyAreIgnoredAndNoReleaseIsInvented) {
    // As with detectable auto-repeat, or when the platform did not mark the repeats.
    Key(QEvent::KeyPress, Qt::Key_Q, 16);
    for (int i = 0; i < 5; ++i) Key(QEvent::KeyPress, Qt::Key_Q, 16);
    Key(QEvent::KeyRelease, Qt::Key_Q, 16);
    Key(QEvent::KeyRelease, Qt::Key_Q, 16);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 100}, {0x90, 60, 0}}));
}

TEST_F(KeyHandlingTest, AReleaseGoingToAPopupStillEndsTheNote) {
    Key(QEvent::KeyPress, Qt::Key_Q, 16);
    QMenu popup;
    popup.addAction("Copy");
    popup.popup(window.mapToGlobal(QPoint(5, 5)));
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activePopupWidget(), &popup);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier, Native(17), 0, 0, "w");
    QApplication::sendEvent(&popup, &press); // keys for the popup play nothing
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Q, Qt::NoModifier, Native(16), 0, 0, "q");
    QApplication::sendEvent(&popup, &release);
    popup.close();
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 100}, {0x90, 60, 0}}));
}

TEST_F(KeyHandlingTest, AltGrTypesAndPlaysNothing) {
    Key(QEvent::KeyPress, Qt::Key_Q, 16, Qt::GroupSwitchModifier, "@");
    Key(QEvent::KeyRelease, Qt::Key_Q, 16, Qt::GroupSwitchModifier, "@");
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(ShiftStateOf(Qt::GroupSwitchModifier), ssCtrl | ssAlt);
}

} // namespace
