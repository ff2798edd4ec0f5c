#include "widgets/PianoKeyboard.h"
#include "store/MemoryStore.h"
#include "widgets/QtServices.h"

#include "WidgetHelpers.h"

#include <QImage>
#include <QPixmap>
#include <QProxyStyle>

#include <gtest/gtest.h>

#include <tuple>

namespace {

using Message = std::tuple<int, int, int>;

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        kb.OnNote = [this](TPianoKeyboard*, const TShortMessage& m) { sent.emplace_back(m.status, m.data1, m.data2); };
        kb.resize(329, 76);
    }
    // The centre of a key's lower (white) or upper part on screen.
    QPoint At(int note, bool upper = false) {
        QRect r = kb.KeyRect(note);
        return QPoint(r.left() + kb.KeyWidth() / 2, upper ? 10 : kb.height() - 5);
    }
    std::vector<Message> Notes() const {
        std::vector<Message> notes;
        for (auto& m : sent)
            if ((std::get<0>(m) & 0xF0) == 0x90) notes.push_back(m);
        return notes;
    }
    std::vector<Message> Controllers() const {
        std::vector<Message> c;
        for (auto& m : sent)
            if ((std::get<0>(m) & 0xF0) != 0x90) c.push_back(m);
        return c;
    }

    TKeyTable kbKeys;
    TPianoKeyboard kb{kbKeys};
    std::vector<Message> sent;
};

TEST_F(KeyboardTest, BaseNoteIsLimitedAndReportsOnlyRealChanges) {
    std::vector<std::string> changes;
    kb.OnBaseNoteChange = [&](TPianoKeyboard*, const std::string& name) { changes.push_back(name); };
    kb.SetBaseNote(100);
    EXPECT_EQ(kb.BaseNote(), 91);
    kb.SetBaseNote(95); // clamps to the same 91
    kb.SetBaseNote(-3);
    EXPECT_EQ(kb.BaseNote(), 0);
    EXPECT_EQ(changes, (std::vector<std::string>{"G5", "C-2"}));
    EXPECT_EQ(kb.ScrollOffset(), 0);
}

TEST_F(KeyboardTest, NoteAtBeyondBothEnds) {
    kb.SetBaseNote(0);
    EXPECT_EQ(kb.NoteAt(-20, 70), 0);
    kb.SetBaseNote(127);
    EXPECT_EQ(kb.NoteAt(kb.width() + 500, 70), 127);
}

TEST_F(KeyboardTest, DrawnHalfKeyCase) {
    kb.SetBaseNote(0);
    EXPECT_EQ(kb.NoteAt(10, 45), 1);
    EXPECT_EQ(kb.NoteAt(10, 46), 0);
}

TEST_F(KeyboardTest, ShadowWidthAndKeyWidthLimits) {
    kb.SetShadowWidth(14);
    EXPECT_EQ(kb.ShadowWidth(), 15);
    kb.SetShadowWidth(-2);
    EXPECT_EQ(kb.ShadowWidth(), 0);
    kb.SetKeyWidth(1);
    EXPECT_EQ(kb.KeyWidth(), 4);
    kb.SetKeyWidth(500);
    EXPECT_EQ(kb.KeyWidth(), 100);
    kb.SetKeyWidth(15);
    kb.resize(5000, 76);
    EXPECT_EQ(kb.width(), 75 * 15); // never wider than the strip
}

TEST_F(KeyboardTest, ArrowsStepOneWhiteKey) {
    kb.SetBaseNote(61);
    kb.SetBaseNoteWhiteIndex(kb.BaseNoteWhiteIndex() + 1);
    EXPECT_EQ(kb.BaseNote(), 62);
    kb.SetBaseNoteWhiteIndex(kb.BaseNoteWhiteIndex() - 1);
    EXPECT_EQ(kb.BaseNote(), 60);
}

TEST(KeyboardScreenTest, ALowColourScreenNeverUsesImages) {
    TKeyTable kbKeys;
    TPianoKeyboard kb{kbKeys};
    kb.SetPaintStyle(TPaintStyle::Image);
    kb.DisplayChanged(4); // sixteen colours
    EXPECT_EQ(kb.PaintStyle(), TPaintStyle::Drawn);
    kb.SetPaintStyle(TPaintStyle::Image);
    EXPECT_EQ(kb.PaintStyle(), TPaintStyle::Drawn);
    EXPECT_FALSE(kb.ImagesAvailable());
    kb.SetPaintStyle(TPaintStyle::Image);
    EXPECT_EQ(kb.PaintStyle(), TPaintStyle::Drawn);
}

TEST(KeyboardScreenTest, ImagesGiveTheKeyWidthOfTheirSize) {
    TKeyTable kbKeys;
    TPianoKeyboard kb{kbKeys};
    kb.SetImageSize(TImageSize::Big);
    kb.SetPaintStyle(TPaintStyle::Image);
    EXPECT_EQ(kb.PaintStyle(), TPaintStyle::Image);
    EXPECT_EQ(kb.KeyWidth(), 27);
    EXPECT_EQ(kb.ImageHeight(), 76);
    kb.SetImageSize(TImageSize::Small);
    EXPECT_EQ(kb.KeyWidth(), 15);
    kb.SetKeyWidth(30); // ignored while drawn from images
    EXPECT_EQ(kb.KeyWidth(), 15);
}

TEST_F(KeyboardTest, GlissandoSendsNoteOffsBeforeNoteOns) {
    kb.SetBaseNote(60);
    Press(&kb, At(60));
    Move(&kb, At(62), Qt::LeftButton);
    Move(&kb, At(64), Qt::LeftButton);
    Release(&kb, At(64));
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 100}, {0x90, 60, 0}, {0x90, 62, 100},
                                          {0x90, 62, 0}, {0x90, 64, 100}, {0x90, 64, 0}}));
}

TEST_F(KeyboardTest, ShiftAndChannelAndChordReachTheNotes) {
    kb.SetBaseNote(60);
    kb.State().SetChannel(2);
    kb.State().SetChord(TChord::Major);
    kb.State().SetVelocityShiftFactor(0.6f);
    Press(&kb, At(60), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(sent, (std::vector<Message>{{0x92, 60, 60}, {0x92, 64, 60}, {0x92, 67, 60}}));
}

TEST_F(KeyboardTest, HoldModeOnTheModulationController) {
    kb.SetBaseNote(60);
    kb.State().SetLeftRightController(ControllerCode::None);
    kb.State().SetControllerValue(1, 40);
    QPoint p = At(64);
    Press(&kb, p, Qt::RightButton);
    Move(&kb, p + QPoint(0, -3), Qt::RightButton);
    EXPECT_TRUE(Controllers().empty());
    Move(&kb, p + QPoint(0, 6), Qt::RightButton);
    EXPECT_TRUE(Controllers().empty()); // 40 - 1 + 1 stays 40
    Move(&kb, p + QPoint(0, -6), Qt::RightButton);
    EXPECT_EQ(Controllers(), (std::vector<Message>{{0xB0, 1, 42}}));
    Release(&kb, p, Qt::RightButton);
    EXPECT_EQ(Notes(), (std::vector<Message>{{0x90, 64, 100}, {0x90, 64, 0}}));
}

TEST_F(KeyboardTest, HoldModeOnPitchBendAndItsRecentring) {
    kb.SetBaseNote(60);
    std::vector<Message> shown;
    kb.OnDisplayEvent = [&](TPianoKeyboard*, const TShortMessage& m) { shown.emplace_back(m.status, m.data1, m.data2); };
    QPoint p(50, 60);
    Press(&kb, p, Qt::RightButton);
    Move(&kb, p + QPoint(10, 0), Qt::RightButton);
    Release(&kb, p + QPoint(10, 0), Qt::RightButton);
    EXPECT_EQ(Controllers(), (std::vector<Message>{{0xE0, 16, 67}, {0xE0, 0, 64}}));
    EXPECT_EQ(shown, Controllers());
    ASSERT_EQ(Notes().size(), 2u); // no glissando in hold mode
}

TEST_F(KeyboardTest, AClickAfterALostReleaseEndsBothNotes) {
    kb.SetBaseNote(60);
    Press(&kb, At(60));
    // The release went to a box or another window; the next event tells no button is down.
    Press(&kb, At(64));
    Release(&kb, At(64));
    EXPECT_EQ(Notes(), (std::vector<Message>{{0x90, 60, 100}, {0x90, 60, 0}, {0x90, 64, 100}, {0x90, 64, 0}}));
}

TEST_F(KeyboardTest, MovingAfterALostReleaseBendsNothing) {
    kb.SetBaseNote(60);
    QPoint p(50, 60);
    Press(&kb, p, Qt::RightButton);
    Move(&kb, p + QPoint(10, 0), Qt::NoButton); // the right button came up elsewhere
    Move(&kb, p + QPoint(30, 0), Qt::NoButton);
    EXPECT_EQ(Notes().size(), 2u) << "the note of the lost button was not ended";
    for (const auto& m : Controllers()) EXPECT_EQ(m, (Message{0xE0, 0, 64})); // only the recentring
}

TEST_F(KeyboardTest, ReleaseAllForgetsTheButtonsHeld) {
    kb.SetBaseNote(60);
    Press(&kb, At(60));
    kb.ReleaseAll();
    Press(&kb, At(62));
    Release(&kb, At(62));
    EXPECT_EQ(Notes(), (std::vector<Message>{{0x90, 60, 100}, {0x90, 60, 0}, {0x90, 62, 100}, {0x90, 62, 0}}));
}

// Counts the focus rectangles a widget has drawn.
class FocusRectCounter : public QProxyStyle {
public:
    int drawn = 0;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_FrameFocusRect) ++const_cast<FocusRectCounter*>(this)->drawn;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

TEST_F(KeyboardTest, TheFocusRectangleBelongsToTheDrawnStyleOnly) {
    auto* style = new FocusRectCounter;
    kb.setStyle(style);
    kb.show();
    kb.setFocus();
    QApplication::setActiveWindow(&kb);
    QApplication::processEvents();
    ASSERT_TRUE(kb.hasFocus());
    kb.SetPaintStyle(TPaintStyle::Drawn);
    kb.repaint();
    EXPECT_GT(style->drawn, 0);
    kb.SetPaintStyle(TPaintStyle::Image);
    ASSERT_EQ(kb.PaintStyle(), TPaintStyle::Image);
    style->drawn = 0;
    kb.repaint();
    kb.SetBaseNote(kb.BaseNote() + 7); // scrolling moves what was drawn
    kb.repaint();
    EXPECT_EQ(style->drawn, 0);
    kb.setStyle(nullptr);
    delete style;
}

TEST_F(KeyboardTest, AltDragScrollsAndPlaysNothing) {
    kb.SetBaseNote(40);
    const int before = kb.ScrollOffset();
    Press(&kb, QPoint(200, 60), Qt::LeftButton, Qt::AltModifier);
    Move(&kb, QPoint(150, 60), Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(kb.ScrollOffset(), before + 50); // by pixels
    Release(&kb, QPoint(140, 60), Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(kb.ScrollOffset(), before + 60);
    EXPECT_GT(kb.BaseNote(), 40);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(kb.State().MouseMode(), TMouseMode::Idle);

    kb.EnableBaseNoteDrag = false;
    Press(&kb, QPoint(200, 60), Qt::LeftButton, Qt::AltModifier);
    Release(&kb, QPoint(200, 60), Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(Notes().size(), 2u);
}

TEST_F(KeyboardTest, CtrlReleaseHoldsTheNoteUntilTheNextPress) {
    kb.SetBaseNote(60);
    Press(&kb, At(60));
    Release(&kb, At(60), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Notes(), (std::vector<Message>{{0x90, 60, 100}}));
    EXPECT_TRUE(kb.State().IsPressed(60));
    Press(&kb, At(62));
    EXPECT_EQ(Notes(), (std::vector<Message>{{0x90, 60, 100}, {0x90, 60, 0}, {0x90, 62, 100}}));
    Release(&kb, At(62));
    EXPECT_TRUE(kb.State().LocalCount(62) == 0 && !kb.State().IsPressed(60));
}

TEST_F(KeyboardTest, MousePressHandlerMayChangeTheNote) {
    kb.SetBaseNote(60);
    kb.OnMousePress = [](TPianoKeyboard*, int& note, TMouseButton, int) { note += 12; };
    Press(&kb, At(60));
    Release(&kb, At(60));
    EXPECT_EQ(Notes(), (std::vector<Message>{{0x90, 72, 100}, {0x90, 72, 0}}));
    kb.OnMousePress = [](TPianoKeyboard*, int& note, TMouseButton, int) { note = 128; }; // outside: nothing plays
    Press(&kb, At(60));
    Release(&kb, At(60));
    EXPECT_EQ(Notes().size(), 2u);
}

TEST_F(KeyboardTest, LosingTheFocusReleasesIncomingNotes) {
    kb.show();
    kb.setFocus();
    QApplication::processEvents();
    kb.State().PlayMessage({0x90, 50, 90}, true);
    kb.State().MarkExternalNote(52, 90);
    sent.clear();
    kb.clearFocus();
    QApplication::processEvents();
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 50, 0}, {0x90, 52, 0}}));
    EXPECT_FALSE(kb.State().IsPressed(50));
}

TEST_F(KeyboardTest, SettingsRoundTrip) {
    TMemoryStore store;
    kb.SetBaseNote(48);
    kb.State().SetChannel(5);
    kb.State().StoreChord(TChord::Minor7);
    kb.SetMarkNote(61);
    kb.State().SetVelocityShiftFactor(0.6f);
    kb.State().SetVelocity(77);
    kb.SetLanguage(TLanguage::German);
    EXPECT_FALSE(kb.ShowKeyLegends());
    kb.SetShowKeyLegends(true);
    kb.SaveSettings(store);
    EXPECT_EQ(store.ReadInteger("Keyboard", "VelShiftFactor", 0), 60);
    TKeyTable otherKeys;
    TPianoKeyboard other{otherKeys};
    other.resize(329, 76);
    other.LoadSettings(store);
    EXPECT_EQ(other.BaseNote(), 48);
    EXPECT_EQ(other.State().Channel(), 5);
    EXPECT_EQ(other.State().Chord(), TChord::Minor7);
    EXPECT_EQ(other.MarkNote(), 61);
    EXPECT_FLOAT_EQ(other.State().VelocityShiftFactor(), 0.6f);
    EXPECT_EQ(other.State().Velocity(), 77);
    EXPECT_EQ(other.Language(), TLanguage::German);
    EXPECT_TRUE(other.ShowKeyLegends());
    store.WriteInteger("Keyboard", "VelShiftFactor", 0);
    other.LoadSettings(store);
    EXPECT_FLOAT_EQ(other.State().VelocityShiftFactor(), 0.01f);
}

// --- painting -------------------------------------------------------------

QRgb PixelAt(QWidget& w, QPoint p) { return w.grab().toImage().pixel(p) & 0xFFFFFF; }

TEST_F(KeyboardTest, DrawnDotsForPressedAndMarkedKeys) {
    kb.SetBaseNote(60);
    kb.SetMarkNote(64);
    kb.State().PlayNote(0, 62, 100, true);
    QPoint pressedDot = kb.DotRect(62).center();
    QPoint markDot = kb.DotRect(64).center();
    EXPECT_EQ(PixelAt(kb, pressedDot), 0x808080u);
    EXPECT_EQ(PixelAt(kb, markDot), 0xC0C0C0u);
    kb.State().PlayNote(0, 62, 0, true);
    EXPECT_EQ(PixelAt(kb, pressedDot), 0xFFFFFFu);
    kb.State().PlayNote(0, 61, 100, true); // a black key's dot
    EXPECT_EQ(PixelAt(kb, kb.DotRect(61).center()), 0x808080u);
}

TEST_F(KeyboardTest, Note127HasAFullUpperPart) {
    kb.SetBaseNote(127);
    QRect g127 = kb.KeyRect(127), g115 = kb.KeyRect(115); // two Gs
    const int dx = kb.KeyWidth() / 2 + 2;
    EXPECT_EQ(PixelAt(kb, QPoint(g127.left() + dx, 5)), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(kb, QPoint(g115.left() + dx, 5)), 0x000000u); // G# stands there
}

TEST_F(KeyboardTest, PressedBlackKeyStaysPressedWhenItsWhiteNeighbourIsRepainted) {
    kb.SetImageSize(TImageSize::Small);
    kb.SetPaintStyle(TPaintStyle::Image);
    kb.SetBaseNote(60);
    QRect black = kb.KeyRect(61), white = kb.KeyRect(60);
    QPoint inside(black.left() + 2, 20); // within C's slice too
    ASSERT_TRUE(white.contains(inside));
    QPixmap canvas(kb.size());
    kb.render(&canvas);
    const QRgb released = canvas.toImage().pixel(inside);
    kb.State().MarkExternalNote(61, 100);
    kb.render(&canvas);
    const QRgb pressed = canvas.toImage().pixel(inside);
    ASSERT_NE(pressed, released);
    kb.render(&canvas, QPoint(), QRegion(white)); // only the white neighbour
    EXPECT_EQ(canvas.toImage().pixel(inside), pressed);
}

TEST_F(KeyboardTest, AStateChangeRepaintsOnlyThatKey) {
    for (TPaintStyle style : {TPaintStyle::Drawn, TPaintStyle::Image}) {
        kb.SetImageSize(TImageSize::Small);
        kb.SetPaintStyle(style);
        kb.SetBaseNote(48);
        kb.show();
        QApplication::processEvents();
        PaintRecorder recorder(&kb);
        kb.State().MarkExternalNote(64, 100);
        QApplication::processEvents();
        ASSERT_EQ(recorder.rects.size(), 1u);
        QRect expected = style == TPaintStyle::Image ? kb.KeyRect(64) : kb.DotRect(64).adjusted(-1, -1, 1, 1);
        EXPECT_EQ(recorder.rects[0], expected);
        kb.State().MarkExternalNote(64, 0);
        QApplication::processEvents();
        kb.removeEventFilter(&recorder);
    }
}

TEST_F(KeyboardTest, AScrollStepPaintsOnlyTheExposedStrip) {
    kb.SetBaseNote(48);
    kb.show();
    QApplication::processEvents();
    PaintRecorder recorder(&kb);
    const int before = kb.ScrollOffset();
    kb.SetBaseNote(50);
    QApplication::processEvents();
    const int d = kb.ScrollOffset() - before;
    ASSERT_EQ(recorder.rects.size(), 1u);
    EXPECT_EQ(recorder.rects[0], QRect(kb.width() - d, 0, d, kb.height()));
    recorder.rects.clear();
    kb.SetBaseNote(0); // a jump wider than the control repaints it all
    QApplication::processEvents();
    ASSERT_EQ(recorder.rects.size(), 1u);
    EXPECT_EQ(recorder.rects[0], kb.rect());
}

// --- the generated bitmaps --------------------------------------------------

struct BitmapCase {
    TImageSize size;
    const char* word;
};

class KeyBitmapTest : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(KeyBitmapTest, BlackKeysStandWhereTheHitMapSays) {
    const auto& g = KeyGeometry::ImageGeometry(GetParam().size);
    for (const char* prefix : {"UP", "DOWN"}) {
        for (const char* suffix : {"", "256"}) {
            QString name = QString(":/bitmaps/%1%2%3.png").arg(prefix, GetParam().word, suffix);
            QImage image(name);
            ASSERT_FALSE(image.isNull()) << name.toStdString();
            ASSERT_EQ(image.width(), g.octaveWidth);
            ASSERT_EQ(image.height(), 76);
            const int k = image.width() / 7;
            ASSERT_EQ(k, g.whiteKeyWidth);
            // Read the keys back from the pixels of the upper part: black keys are
            // dark runs; the one-pixel lines between white keys are not keys.
            const int w = image.width();
            std::vector<bool> dark(static_cast<std::size_t>(w));
            for (int c = 0; c < w; ++c) dark[static_cast<std::size_t>(c)] = qGray(image.pixel(c, 20)) < 120;
            std::vector<std::uint8_t> fromPixels(static_cast<std::size_t>(w));
            int blackIndex = 0;
            for (int c = 0; c < w;) {
                int end = c;
                while (end < w && dark[static_cast<std::size_t>(end)] == dark[static_cast<std::size_t>(c)]) ++end;
                const bool blackKey = dark[static_cast<std::size_t>(c)] && end - c >= 4;
                for (int i = c; i < end; ++i)
                    fromPixels[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(
                        blackKey ? KeyGeometry::BlackSemitone(blackIndex) : KeyGeometry::WhiteSemitone(i / k));
                if (blackKey) ++blackIndex;
                c = end;
            }
            EXPECT_EQ(blackIndex, 5);
            EXPECT_EQ(fromPixels, KeyGeometry::BuildHitMap(GetParam().size, k)) << name.toStdString();
            // Below the black keys only white keys.
            EXPECT_GT(qGray(image.pixel(k / 2, 60)), 150);
        }
    }
    // Released and pressed keys look clearly different.
    QImage up(QString(":/bitmaps/UP%1.png").arg(GetParam().word)), down(QString(":/bitmaps/DOWN%1.png").arg(GetParam().word));
    EXPECT_GT(std::abs(qGray(up.pixel(g.whiteKeyWidth / 2, 60)) - qGray(down.pixel(g.whiteKeyWidth / 2, 60))), 12);
    EXPECT_GT(std::abs(qGray(up.pixel(g.blackLeft[0] + 2, 20)) - qGray(down.pixel(g.blackLeft[0] + 2, 20))), 12);
}

INSTANTIATE_TEST_SUITE_P(Sizes, KeyBitmapTest,
                         ::testing::Values(BitmapCase{TImageSize::Small, "SMALL"},
                                           BitmapCase{TImageSize::Normal, "NORMAL"},
                                           BitmapCase{TImageSize::Big, "BIG"}));

} // namespace
