#include <QToolButton>
#include "widgets/UpDown.h"
// The knob and the image controls with real mouse and key events.
#include "widgets/ImageStripControl.h"
#include "widgets/RotaryKnob.h"
#include "widgets/PianoKeyboard.h"
#include "widgets/QtServices.h"

#include "WidgetHelpers.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QFocusEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

void SendKey(QWidget* w, Qt::Key key, QEvent::Type type = QEvent::KeyPress) {
    QKeyEvent e(type, key, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST(WheelTest, DraggingUpAddsAndEscapeRestoresWithSelect) {
    TRotaryKnob wheel;
    wheel.ShowTrackHint = true;
    wheel.SetPosition(20);
    int selects = 0, tracks = 0;
    wheel.OnSelect = [&](TRotaryKnob*) { ++selects; };
    wheel.OnTrack = [&](TRotaryKnob*) { ++tracks; };
    wheel.show();
    Press(&wheel, QPoint(20, 30));
    Move(&wheel, QPoint(20, 25), Qt::LeftButton);
    EXPECT_EQ(wheel.Position(), 25);
    EXPECT_TRUE(wheel.Hint().IsShowing());
    EXPECT_EQ(wheel.Hint().HintText(), "25");
    EXPECT_EQ(tracks, 2); // at the press and at the move
    SendKey(&wheel, Qt::Key_Escape);
    EXPECT_EQ(wheel.Position(), 20);
    EXPECT_EQ(selects, 1);
    EXPECT_FALSE(wheel.Dragging());
    EXPECT_FALSE(wheel.Hint().IsShowing());
}

TEST(WheelTest, TheHintAsksItsHandler) {
    TRotaryKnob wheel;
    wheel.ShowTrackHint = true;
    wheel.SetPosition(12);
    wheel.show();
    Press(&wheel, QPoint(10, 10));
    EXPECT_EQ(wheel.Hint().HintText(), "12");
    Release(&wheel, QPoint(10, 10));
    wheel.OnGetTrackHint = [](TRotaryKnob*, QString& caption) { caption = "Volume"; };
    Press(&wheel, QPoint(10, 10));
    EXPECT_EQ(wheel.Hint().HintText(), "Volume");
    Release(&wheel, QPoint(10, 10));
}

TEST(WheelTest, KeysAndTheMouseWheel) {
    TRotaryKnob wheel;
    int selects = 0;
    wheel.OnSelect = [&](TRotaryKnob*) { ++selects; };
    SendKey(&wheel, Qt::Key_End);
    EXPECT_EQ(wheel.Position(), 100);
    SendKey(&wheel, Qt::Key_PageDown);
    EXPECT_EQ(wheel.Position(), 90);
    SendKey(&wheel, Qt::Key_Left);
    EXPECT_EQ(wheel.Position(), 89);
    SendKey(&wheel, Qt::Key_Home);
    EXPECT_EQ(wheel.Position(), 0);
    EXPECT_EQ(selects, 4);
    QWheelEvent up(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(&wheel, &up);
    EXPECT_EQ(wheel.Position(), 20); // two notches of PosLargeStep
}

TEST(WheelTest, SizesAreOddAndSquare) {
    TRotaryKnob wheel;
    EXPECT_EQ(wheel.size(), QSize(47, 47));
    wheel.SetBounds(0, 0, 28, 30);
    EXPECT_EQ(wheel.size(), QSize(29, 29));
    wheel.SetForceSquare(false);
    wheel.SetBounds(0, 0, 28, 30);
    EXPECT_EQ(wheel.size(), QSize(29, 31));
}

TEST(WheelTest, InvalidValuesAreDroppedSilently) {
    TRotaryKnob wheel;
    wheel.SetScaleDegrees(0);
    wheel.SetScaleDegrees(400);
    EXPECT_EQ(wheel.ScaleDegrees(), 320);
    wheel.SetScaleTicks(1);
    EXPECT_EQ(wheel.ScaleTicks(), 10);
    wheel.SetScaleLength(0);
    EXPECT_EQ(wheel.ScaleLength(), 5);
    wheel.SetPositionStep(3);
    EXPECT_EQ(wheel.PositionStep(), 1);
}

TEST(WheelTest, AValueChangeRepaintsOnlyThePointer) {
    TRotaryKnob wheel;
    wheel.show();
    QApplication::processEvents();
    PaintRecorder recorder(&wheel);
    wheel.SetPosition(50);
    QApplication::processEvents();
    ASSERT_EQ(recorder.rects.size(), 1u);
    EXPECT_LT(recorder.rects[0].width() * recorder.rects[0].height(), wheel.width() * wheel.height());
}

class ImgControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        wheelImage.Setup(20, 76, "WHEEL", "WHEEL256");
        arrowImage.Setup(16, 76, "LEFTARROW");
        arrowImage.Button = true;
    }
    TFrameImage wheelImage, arrowImage;
};

TEST_F(ImgControlTest, FramesOfTheStripAndTheWheel) {
    EXPECT_EQ(wheelImage.Count(), 41);
    EXPECT_EQ(arrowImage.Count(), 2);
    arrowImage.SetCount(4);
    EXPECT_EQ(arrowImage.Width(), 8);
    arrowImage.SetCount(2);
    TImageStripControl pitch;
    pitch.SetFrameImage(&wheelImage);
    EXPECT_EQ(pitch.size(), QSize(20, 76)); // sized to one frame
    pitch.SetMax(8191);
    pitch.SetMin(-8192);
    pitch.SetPosition(-200);
    EXPECT_EQ(pitch.FrameIndex(), 19);
}

TEST_F(ImgControlTest, ScrollFiresOnEndEvenAtMax) {
    TImageStripControl mw;
    mw.SetFrameImage(&wheelImage);
    mw.SetMax(127);
    int scrolls = 0, changes = 0;
    mw.OnScroll = [&](TImageStripControl*, int&) { ++scrolls; };
    mw.OnChange = [&](TImageStripControlBase*) { ++changes; };
    SendKey(&mw, Qt::Key_End);
    SendKey(&mw, Qt::Key_End);
    EXPECT_EQ(mw.Position(), 127);
    EXPECT_EQ(scrolls, 2);
    EXPECT_EQ(changes, 1);
}

TEST_F(ImgControlTest, ScrollHandlerMayAlterTheValue) {
    TImageStripControl mw;
    mw.SetFrameImage(&wheelImage);
    mw.SetMax(127);
    mw.OnScroll = [](TImageStripControl*, int& v) { v = v / 2; };
    SendKey(&mw, Qt::Key_End);
    EXPECT_EQ(mw.Position(), 63);
}

TEST_F(ImgControlTest, ArrowReleasedOutsideGivesNoClickWithoutAutoRepeat) {
    TImageStripControl arrow;
    arrow.SetFrameImage(&arrowImage);
    arrow.SetMax(1);
    int clicks = 0;
    arrow.OnButtonClick = [&](TImageStripControl*) { ++clicks; };
    Press(&arrow, QPoint(5, 30));
    EXPECT_EQ(arrow.Position(), 1); // pressed frame
    Move(&arrow, QPoint(40, 30), Qt::LeftButton);
    EXPECT_EQ(arrow.Position(), 0); // pops out outside
    Release(&arrow, QPoint(40, 30));
    EXPECT_EQ(clicks, 0);
    Press(&arrow, QPoint(5, 30));
    Release(&arrow, QPoint(5, 30));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(arrow.Position(), 0);
}

TEST_F(ImgControlTest, AutoRepeatClicksAtPressThenAfterTheDelays) {
    TImageStripControl arrow;
    arrow.SetFrameImage(&arrowImage);
    arrow.SetMax(1);
    arrow.AutoRepeat = true;
    arrow.AutoRepeatInitDelay = 200;
    arrow.AutoRepeatDelay = 50;
    std::vector<qint64> at;
    QElapsedTimer clock;
    clock.start();
    arrow.OnButtonClick = [&](TImageStripControl*) { at.push_back(clock.elapsed()); };
    Press(&arrow, QPoint(5, 30));
    ASSERT_EQ(at.size(), 1u); // at once
    while (clock.elapsed() < 420) QApplication::processEvents(QEventLoop::AllEvents, 5);
    Release(&arrow, QPoint(5, 30));
    const auto clicks = at.size();
    ASSERT_GE(clicks, 3u);
    EXPECT_GE(at[1], 190); // the first repeat waits the initial delay
    EXPECT_GE(at[2] - at[1], 40);
    EXPECT_LE(clicks, 7u);
    while (clock.elapsed() < 550) QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(at.size(), clicks); // nothing after the release
}

TEST_F(ImgControlTest, DraggingTheWheelSticksAtTheMiddle) {
    TImageStripControl pitch;
    pitch.SetFrameImage(&wheelImage);
    pitch.SetMax(8191);
    pitch.SetMin(-8192);
    pitch.SmallChange = 96;
    pitch.MiddleSnap = 5;
    Press(&pitch, QPoint(10, 50));
    Move(&pitch, QPoint(10, 45), Qt::LeftButton);
    EXPECT_EQ(pitch.Position(), 0);
    Move(&pitch, QPoint(10, 44), Qt::LeftButton);
    EXPECT_EQ(pitch.Position(), 96);
    Move(&pitch, QPoint(10, 38), Qt::LeftButton);
    EXPECT_EQ(pitch.Position(), 672);
    Release(&pitch, QPoint(10, 38));
}

TEST_F(ImgControlTest, ADisplayChangeAcrossEightBitsReloadsThePicture) {
    TFrameImage image;
    image.Setup(20, 76, "WHEEL", "WHEEL256");
    TImageStripControl c;
    c.SetFrameImage(&image);
    c.DisplayChanged(8); // the screen starts with 256 colours
    c.SetFrameImage(&image);
    const qint64 before = image.Bitmap().cacheKey();
    c.DisplayChanged(16);
    EXPECT_NE(image.Bitmap().cacheKey(), before);
    const qint64 after = image.Bitmap().cacheKey();
    c.DisplayChanged(24); // no crossing
    EXPECT_EQ(image.Bitmap().cacheKey(), after);
}

void Turn(QWidget* w, QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent e(QPointF(5, 5), QPointF(w->mapToGlobal(QPoint(5, 5))), QPoint(), angle, Qt::NoButton, modifiers,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

TEST(KnobWheelTest, NotchesSwipesAndTouchpads) {
    TRotaryKnob wheel;
    wheel.SetPosition(50);
    int selects = 0;
    wheel.OnSelect = [&](TRotaryKnob*) { ++selects; };
    Turn(&wheel, QPoint(0, 120)); // one notch: a large step
    EXPECT_EQ(wheel.Position(), 60);
    Turn(&wheel, QPoint(0, -240), Qt::ShiftModifier); // fine
    EXPECT_EQ(wheel.Position(), 58);
    Turn(&wheel, QPoint(120, 0)); // sideways: nothing
    EXPECT_EQ(wheel.Position(), 58);
    EXPECT_EQ(selects, 2);
    for (int i = 0; i < 8; ++i) Turn(&wheel, QPoint(0, 15), Qt::ShiftModifier); // a touchpad's small deltas
    EXPECT_EQ(wheel.Position(), 59);
    for (int i = 0; i < 16; ++i) Turn(&wheel, QPoint(0, 15));
    EXPECT_EQ(wheel.Position(), 79);
}

// Pixels of a rendering at a device pixel ratio of 2: a picture drawn for one
// pixel per point shows as blocks of 2 × 2 equal pixels, one drawn for the
// ratio has detail inside the blocks.
int BlocksWithDetail(QWidget& w) {
    QImage image(w.size() * 2, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    image.fill(Qt::black);
    w.render(&image);
    int detailed = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb c = image.pixel(x, y);
            if (image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c || image.pixel(x + 1, y + 1) != c) ++detailed;
        }
    return detailed;
}

TEST(PixelRatioTest, TheWheelIsDrawnSharpOnADoubleDensityScreen) {
    TFrameImage image;
    image.Setup(20, 76, "WHEEL", "WHEEL256");
    TImageStripControl wheel;
    wheel.SetFrameImage(&image);
    wheel.SetMax(127);
    wheel.SetPosition(64);
    EXPECT_GT(BlocksWithDetail(wheel), 50);
    EXPECT_EQ(image.Width(), 20); // the same size on the screen
}

TEST(PixelRatioTest, TheKeysAreDrawnSharpOnADoubleDensityScreen) {
    TKeyTable kbKeys;
    TPianoKeyboard kb{kbKeys};
    kb.SetPaintStyle(TPaintStyle::Image);
    kb.resize(300, kb.ImageHeight());
    const int height = kb.ImageHeight();
    const int width = kb.KeyWidth();
    EXPECT_GT(BlocksWithDetail(kb), 50);
    EXPECT_EQ(kb.ImageHeight(), height);
    EXPECT_EQ(kb.KeyWidth(), width);
}

TEST(DisplayChangeTest, EachControlReloadsItsOwnPictures) {
    TKeyTable kbKeys;
    TPianoKeyboard kb{kbKeys};
    kb.SetPaintStyle(TPaintStyle::Image);
    TFrameImage image;
    image.Setup(20, 76, "WHEEL", "WHEEL256");
    TImageStripControl wheel;
    wheel.SetFrameImage(&image);
    const qint64 wheelBefore = image.Bitmap().cacheKey();
    kb.DisplayChanged(8); // the keyboard hears of it first ...
    wheel.DisplayChanged(8); // ... and the wheel must still take the 256-colour set
    const qint64 wheel256 = image.Bitmap().cacheKey();
    EXPECT_NE(wheel256, wheelBefore);
    TImageStripControl other; // a second control on the same picture: loaded once
    other.SetFrameImage(&image);
    other.DisplayChanged(8);
    EXPECT_EQ(image.Bitmap().cacheKey(), wheel256);
}

} // namespace

namespace {

TEST(UpDownTest, WrapsPastEitherEndAndAcceleratesAHeldArrow) {
    TUpDown upDown;
    upDown.SetRange(-1, 127);
    upDown.Wrap = true;
    std::vector<int> clicks;
    upDown.OnClick = [&](TUpDown* sender, bool) { clicks.push_back(sender->Position()); };
    upDown.SetPosition(127);
    upDown.UpButton()->click();
    upDown.DownButton()->click();
    EXPECT_EQ(clicks, (std::vector<int>{-1, 127}));
    upDown.Wrap = false;
    upDown.UpButton()->click();
    EXPECT_EQ(upDown.Position(), 127);

    struct Held {
        qint64 ms;
        int step;
    };
    for (const Held& h : {Held{0, 1}, Held{1999, 1}, Held{2000, 5}, Held{4999, 5}, Held{5000, 10}, Held{60000, 10}})
        EXPECT_EQ(TUpDown::AcceleratedStep(h.ms), h.step) << h.ms;
}

} // namespace
