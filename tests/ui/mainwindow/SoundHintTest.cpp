// The first thing a new user may meet, the program's own port with nobody
// listening: said readably at the window's default size, and one click or
// one key from sound on the built-in synthesizer.
#include "WindowFixture.h"
#include "WidgetHelpers.h"

#include "midi/MidiPortNames.h"
#include "widgets/ElidingLabel.h"
#include "widgets/PianoKeyboard.h"

#include <QStatusBar>
#include <QTest>

namespace {

const QString Whole = "Nothing is connected to Fendrel's Tonecast. Connect a synthesizer to it, or choose Midi Out > "
                      "Built-in Synthesizer.";
const QString Drawn = "Nothing is connected. For the Built-in Synthesizer, press Ctrl+B or click here.";

class SoundHintTest : public WindowFixture, public ::testing::WithParamInterface<TPaintStyle> {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        out.devices = {BuiltInSynthesizerName, "Synth"};
        out.mapperName = "Fendrel's Tonecast";
        out.listeners = 0; // the own port, which the first start opens, has nobody listening
    }
    std::unique_ptr<TMainWindow> StartInStyle() {
        auto w = Start();
        w->keyboard->SetPaintStyle(GetParam());
        QApplication::processEvents();
        return w;
    }
    static TElidingLabel* Panel0(TMainWindow& w) { return w.statusBar()->findChild<TElidingLabel*>(); }
    // The other panels' labels that are shown.
    static int OtherPanelsShown(TMainWindow& w) {
        int shown = 0;
        for (QLabel* label : w.statusBar()->findChildren<QLabel*>())
            if (label != Panel0(w) && label->isVisible()) ++shown;
        return shown;
    }
    bool SynthesizerOpen(TMainWindow& w) { return w.Instrument().Output().DeviceName() == BuiltInSynthesizerName; }
};

TEST_P(SoundHintTest, TheHintIsDrawnWholeAtTheDefaultSize) {
    auto w = StartInStyle();
    ASSERT_EQ(w->width(), 640);
    TElidingLabel* panel = Panel0(*w);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(w->StatusText(), Whole);
    EXPECT_EQ(panel->text(), Drawn) << "the drawn hint is cut";
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(Drawn), panel->contentsRect().width());
    EXPECT_EQ(OtherPanelsShown(*w), 0) << "the hint spans the whole bar";
    EXPECT_EQ(panel->toolTip(), Whole);
    EXPECT_EQ(panel->accessibleName(), Whole);
    w->close();
}

TEST_P(SoundHintTest, AClickOnTheHintChoosesTheBuiltInSynthesizer) {
    auto w = StartInStyle();
    TElidingLabel* panel = Panel0(*w);
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, panel->rect().center());
    EXPECT_TRUE(SynthesizerOpen(*w));
    EXPECT_EQ(w->StatusText(), "Opened Built-in Synthesizer succesfully.");
    EXPECT_EQ(OtherPanelsShown(*w), 4) << "the panels came back with the next message";
    // The offer ended with its text: a second click does nothing.
    w->DeviceMenus().midiOutMenu->SelectNone();
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, panel->rect().center());
    EXPECT_FALSE(SynthesizerOpen(*w));
    w->close();
}

TEST_P(SoundHintTest, CtrlBChoosesTheBuiltInSynthesizerAndPlaysNothing) {
    auto w = StartInStyle();
    QTest::keyClick(w->keyboard, Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(SynthesizerOpen(*w));
    for (const auto& [status, data1, data2] : SentMessages(out))
        EXPECT_FALSE((status & 0xF0) == 0x90 && data2 > 0) << "Ctrl+B played note " << data1;
    w->close();
}

INSTANTIATE_TEST_SUITE_P(PaintStyles, SoundHintTest, ::testing::Values(TPaintStyle::Image, TPaintStyle::Drawn),
                         [](const auto& info) { return info.param == TPaintStyle::Image ? "Image" : "Drawn"; });

// Without a sound font there is no synthesizer to choose: the key says so.
class NoSynthesizerTest : public WindowFixture {};

TEST_F(NoSynthesizerTest, CtrlBSaysWhy) {
    out.devices = {"Synth"};
    auto w = Start();
    QTest::keyClick(w->keyboard, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(w->StatusText(), "Midi Out has no Built-in Synthesizer: no sound font was found.");
    w->close();
}

} // namespace
