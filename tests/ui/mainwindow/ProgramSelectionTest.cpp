// Program, bank and patch selection in the main window, the Patches menu and Panic!.
#include "widgets/UpDown.h"
#include "widgets/PianoKeyboard.h"
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "dialogs/PatchWarningsDialog.h"
#include "patches/PatchScriptParser.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "store/RegistryFile.h"

#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using M = std::tuple<int, int, int>;

const char* const SmallScript =
    "[cubase parse file]\n[parser version 0001]\n[creators first name]Jane\n[creators last name]Doe\n"
    "[device manufacturer]Morwent\n[device name]Test Synth\n[script name]Small\n[script version]1\n"
    "[define patchnames]\n[mode] GM\n[g1] Pianos\n[p2, 0, -1] Grand\n[p2, 10, -1] Bright\n[g2] Electric\n"
    "[p3, 4, 3, -1] Rhodes\n[g1] Organs\n[p2, 16, 2, 5] Drawbar\n[end]\n";

class ProgramSelectionTest : public WindowFixture {
protected:
    static void Key(QWidget* to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(to, &press);
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->editingFinished();
    }
    std::string WriteScript(const std::string& name, const std::string& text) {
        const std::string path = dir.File(name);
        WriteFile(path, text);
        return path;
    }
    std::vector<QString> ComboTexts(TMainWindow& w) {
        std::vector<QString> texts;
        for (int i = 0; i < w.ProgramPanel().patchBox->count(); ++i) texts.push_back(w.ProgramPanel().patchBox->itemText(i));
        return texts;
    }

};

TEST_F(ProgramSelectionTest, ProgramUpDownFromNoneToOneAndBackToNone) {
    auto w = Start();
    EXPECT_EQ(w->ProgramPanel().programEdit->text(), "none");
    EXPECT_FALSE(w->ProgramPanel().msbEdit->isEnabled());
    EXPECT_TRUE(sentAtStart.empty()) << "a first start sent a program";
    w->ProgramPanel().programUpDown->UpButton()->click();
    EXPECT_EQ(w->ProgramPanel().programEdit->text(), "1");
    EXPECT_TRUE(w->ProgramPanel().msbEdit->isEnabled());
    EXPECT_EQ(w->ProgramPanel().msbEdit->text(), "none");
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xC0, 0, 0}}));
    out.sent.clear();
    w->ProgramPanel().programUpDown->DownButton()->click();
    EXPECT_EQ(w->ProgramPanel().programEdit->text(), "none");
    EXPECT_FALSE(w->ProgramPanel().lsbEdit->isEnabled());
    EXPECT_TRUE(SentMessages(out).empty());
    w->ProgramPanel().programUpDown->DownButton()->click(); // wraps to the top
    EXPECT_EQ(w->ProgramPanel().programEdit->text(), "128");
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xC0, 127, 0}}));
    w->close();
}

TEST_F(ProgramSelectionTest, TypedNumbersAndNoneInTheFields) {
    auto w = Start();
    w->keyboard->State().SetChannel(4);
    Type(w->ProgramPanel().programEdit, "10");
    out.sent.clear();
    Type(w->ProgramPanel().msbEdit, "5");
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xB4, 0, 5}, {0xB4, 32, 0}, {0xC4, 9, 0}}));
    EXPECT_EQ(w->ProgramPanel().lsbEdit->text(), "0");
    EXPECT_EQ(w->ProgramPanel().msbEdit->toolTip(), "Bank: 640");
    out.sent.clear();
    Type(w->ProgramPanel().lsbEdit, "none");
    EXPECT_EQ(w->Instrument().ProgramBank().BankMsb(), -1);
    EXPECT_EQ(w->ProgramPanel().msbEdit->text(), "none");
    EXPECT_EQ(w->ProgramPanel().msbEdit->toolTip(), "");
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xC4, 9, 0}}));
    // Text that is no number, or out of range, is dropped.
    for (const char* bad : {"abc", "129", "0", "-3", ""}) {
        out.sent.clear();
        Type(w->ProgramPanel().programEdit, bad);
        EXPECT_EQ(w->ProgramPanel().programEdit->text(), "10") << bad;
        EXPECT_TRUE(SentMessages(out).empty()) << bad;
    }
    Type(w->ProgramPanel().msbEdit, "128");
    EXPECT_EQ(w->ProgramPanel().msbEdit->text(), "none");
    // Esc drops the typed text and is consumed.
    w->ProgramPanel().programEdit->setText("77");
    Key(w->ProgramPanel().programEdit, Qt::Key_Escape);
    EXPECT_EQ(w->ProgramPanel().programEdit->text(), "10");
    EXPECT_EQ(w->Instrument().ProgramBank().Program(), 9);
    w->close();
}

// Enter on the number already chosen sends the sound again, as any other number does.
TEST_F(ProgramSelectionTest, EnterOnTheCurrentProgramOrBankSendsItAgain) {
    auto w = Start();
    Type(w->ProgramPanel().programEdit, "10");
    Type(w->ProgramPanel().msbEdit, "2");
    for (QLineEdit* field : {w->ProgramPanel().programEdit, w->ProgramPanel().msbEdit, w->ProgramPanel().lsbEdit}) {
        SCOPED_TRACE(field->objectName().toStdString());
        field->setFocus(); // leaving the field before is a send of its own
        out.sent.clear();
        Key(field, Qt::Key_Return);
        EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xB0, 0, 2}, {0xB0, 32, 0}, {0xC0, 9, 0}}));
    }
    w->close();
}

TEST_F(ProgramSelectionTest, AReceivedProgramChangeShowsInTheFields) {
    auto w = Start();
    w->Instrument().Show({0xB3, 0, 2});
    w->Instrument().Show({0xB3, 32, 1});
    w->Instrument().Show({0xC3, 41, 0});
    EXPECT_EQ(w->ProgramPanel().programEdit->text(), "42");
    EXPECT_EQ(w->ProgramPanel().msbEdit->text(), "2");
    EXPECT_EQ(w->ProgramPanel().lsbEdit->text(), "1");
    EXPECT_EQ(w->ProgramPanel().lsbEdit->toolTip(), "Bank: 257");
    w->close();
}

TEST_F(ProgramSelectionTest, PatchesFromTheComboTheMenuAndThePageKeys) {
    auto w = Start();
    EXPECT_FALSE(w->ProgramPanel().patchesSeparator->isVisible());
    ASSERT_FALSE(w->ProgramPanel().ApplyPatchSet(WriteScript("small.txt", SmallScript)));
    EXPECT_TRUE(w->ProgramPanel().patchesSeparator->isVisible());
    // The combo shows the group of the first patch the menu meets, with none chosen.
    EXPECT_EQ(ComboTexts(*w), (std::vector<QString>{"(none)", "Rhodes"}));
    EXPECT_EQ(w->ProgramPanel().patchBox->currentIndex(), 0);
    EXPECT_EQ(w->Instrument().CurrentPatch(), nullptr);

    QMenu* gm = w->ProgramPanel().patchesItem->actions().front()->menu();
    ASSERT_NE(gm, nullptr);
    EXPECT_TRUE(gm->isEmpty()); // filled when first shown
    emit gm->aboutToShow();
    ASSERT_EQ(gm->actions().size(), 2);
    QMenu* pianos = gm->actions()[0]->menu();
    emit pianos->aboutToShow();
    QAction* bright = nullptr;
    for (QAction* a : pianos->actions())
        if (a->text() == "Bright") bright = a;
    ASSERT_NE(bright, nullptr);
    out.sent.clear();
    bright->trigger(); // program 10, no bank: only the program change
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xC0, 10, 0}}));
    EXPECT_EQ(ComboTexts(*w), (std::vector<QString>{"(none)", "Grand", "Bright", "Rhodes"}));
    EXPECT_EQ(w->ProgramPanel().patchBox->currentIndex(), 2);
    EXPECT_EQ(w->StatusText(TStatusPanel::PatchGroup), "Pianos");

    out.sent.clear();
    Key(w->keyboard, Qt::Key_PageDown); // Rhodes: MSB 3 without LSB leaves no bank
    EXPECT_EQ(w->ProgramPanel().patchBox->currentText(), "Rhodes");
    EXPECT_EQ(w->Instrument().ProgramBank().BankMsb(), -1);
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xC0, 4, 0}}));
    Key(w->keyboard, Qt::Key_PageDown); // past the last: "(none)", nothing sent
    EXPECT_EQ(w->ProgramPanel().patchBox->currentIndex(), 0);
    EXPECT_EQ(w->Instrument().CurrentPatch(), nullptr);
    EXPECT_EQ(SentMessages(out).size(), 1u);
    Key(w->keyboard, Qt::Key_PageUp); // and back to the last patch
    EXPECT_EQ(w->ProgramPanel().patchBox->currentText(), "Rhodes");

    Key(w->keyboard, Qt::Key_PageDown, Qt::ShiftModifier); // the program up by one
    EXPECT_EQ(w->Instrument().ProgramBank().Program(), 5);
    Key(w->keyboard, Qt::Key_End); // the chord box, wrapping
    Key(w->keyboard, Qt::Key_Home);
    Key(w->keyboard, Qt::Key_Home);
    EXPECT_EQ(w->chordBox->currentText(), "Power");
    w->close();
}

TEST_F(ProgramSelectionTest, AFailingScriptKeepsThePreviousSetAndShowsWhy) {
    auto w = Start();
    ASSERT_FALSE(w->ProgramPanel().ApplyPatchSet(WriteScript("small.txt", SmallScript)));
    const TPatchSet* before = w->Instrument().PatchSet();
    std::vector<std::string> shown;
    QTimer::singleShot(0, [&] {
        shown.push_back(w->ProgramPanel().patchWarnings->Memo()->toPlainText().toStdString());
        w->ProgramPanel().patchWarnings->close();
    });
    EXPECT_TRUE(w->ProgramPanel().ApplyPatchSet(WriteScript("bad.txt", "[cubase parse file]\n[parser version 0002]\n")));
    EXPECT_EQ(w->Instrument().PatchSet(), before);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("Line 2: Error:"), std::string::npos) << shown[0];
    EXPECT_TRUE(w->ProgramPanel().patchWarnings->Memo()->toPlainText().isEmpty());
    EXPECT_TRUE(w->ProgramPanel().ApplyPatchSet(""));
    w->close();
}

// Thousands of faulty lines: the window lists the first thousand and counts the rest.
TEST_F(ProgramSelectionTest, TheWarningsWindowKeepsTheFirstThousandAndCountsTheRest) {
    auto w = Start();
    std::string script = "[cubase parse file]\n[parser version 0001]\n[define patchnames]\n[mode] M\n";
    for (int i = 0; i < 1500; ++i) script += "[nonsense] text\n";
    QStringList lines;
    QTimer::singleShot(0, [&] {
        lines = w->ProgramPanel().patchWarnings->Memo()->toPlainText().split('\n');
        w->ProgramPanel().patchWarnings->close();
    });
    w->ProgramPanel().ApplyPatchSet(WriteScript("faulty.txt", script + "[end]\n"));
    ASSERT_EQ(lines.size(), 1001) << lines.join("|").left(300).toStdString();
    EXPECT_TRUE(lines[999].startsWith("Line 1004:")) << lines[999].toStdString();
    EXPECT_EQ(lines[1000], "... and 500 more.");
    w->close();
}

TEST_F(ProgramSelectionTest, PanicSilencesEveryChannelAndShowsItsProgress) {
    auto w = Start();
    out.sent.clear();
    const QPalette normal = w->ProgramPanel().panicButton->palette();
    Key(w->keyboard, Qt::Key_Space, Qt::ControlModifier);
    // Paced by the event loop: the window answers while the channels go out.
    EXPECT_TRUE(w->Instrument().PanicRunning());
    EXPECT_LT(SentMessages(out).size(), 2080u);
    EXPECT_EQ(w->StatusText(), "Panic: 6%");
    QElapsedTimer t;
    t.start();
    while (w->Instrument().PanicRunning() && t.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(t.elapsed(), 15 * 150) << "the channels were not paced";
    const auto sent = SentMessages(out);
    ASSERT_EQ(sent.size(), 2080u);
    EXPECT_EQ(sent[0], (M{0x90, 0, 0}));
    EXPECT_EQ(sent[128], (M{0xB0, 120, 0}));
    EXPECT_EQ(sent[129], (M{0xB0, 123, 0}));
    EXPECT_EQ(sent[2079], (M{0xBF, 123, 0}));
    EXPECT_EQ(w->StatusText(), "Panic: 100%");
    EXPECT_EQ(w->ProgramPanel().panicButton->palette().color(QPalette::Window), normal.color(QPalette::Window));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    w->close();
}

TEST_F(ProgramSelectionTest, TheRememberedPatchIsSentOnceTheOutputIsOpen) {
    const std::string script = std::string(TONECAST_TEST_DATA) + "/patchscripts/technics-wsa1.txt";
    const auto list = LoadPatchList(script, nullptr);
    const TPatchProgram* patch = nullptr;
    for (std::size_t g = 0; g < list->Mode(0)->GroupCount() && !patch; ++g)
        for (std::size_t p = 0; p < list->Mode(0)->Group(g)->ProgramCount(); ++p)
            if (list->Mode(0)->Group(g)->Program(p)->Name() == "User2 - 12") patch = list->Mode(0)->Group(g)->Program(p);
    ASSERT_NE(patch, nullptr);
    StoreSettings([&](TIniStore& s) {
        s.WriteString("KeyboardForm", "PatchScript", script);
        s.WriteString("KeyboardForm", "Patch", patch->Path());
    });
    auto w = Start();
    ASSERT_NE(w->Instrument().CurrentPatch(), nullptr);
    EXPECT_EQ(w->Instrument().CurrentPatch()->Name(), "User2 - 12");
    EXPECT_EQ(w->ProgramPanel().patchBox->currentText(), "User2 - 12");
    const auto& sent = sentAtStart;
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(std::vector<M>(sent.begin(), sent.begin() + 3), (std::vector<M>{{0xB0, 0, 1}, {0xB0, 32, 16}, {0xC0, 11, 0}}));
    w->close();
    w.reset();
    const std::string settings = SettingsText();
    EXPECT_NE(settings.find("\"Program\"=dword:0000000b"), std::string::npos) << settings;
    w = Start();
    EXPECT_EQ(w->Instrument().CurrentPatch()->Name(), "User2 - 12");
    w->close();
}

} // namespace
