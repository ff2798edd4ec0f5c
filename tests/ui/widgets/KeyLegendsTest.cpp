// The caps of the computer keys on the piano keys they play: on fixed
// layouts as the system's rules make them, following changes, and drawn.
#include "widgets/PianoKeyboard.h"
#include "XkbKeyLayout.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct CapCase {
    const char* layout; // empty: no layout read, the US caps
    int keyOctave, upperC, note;
    const char* legend;
};

class KeyCapsTest : public ::testing::TestWithParam<CapCase> {};

TEST_P(KeyCapsTest, EachNoteShowsTheCapsOfTheKeysThatPlayIt) {
    const CapCase& c = GetParam();
    TKeyTable keys;
    TPianoKeyboard kb(keys);
    std::unique_ptr<TXkbKeyLayout> layout;
    if (*c.layout) {
        layout = TXkbKeyLayout::Named(c.layout);
        ASSERT_NE(layout, nullptr) << c.layout;
        kb.SetKeyLayout(layout.get());
    }
    kb.SetKeyOctave(c.keyOctave);
    kb.SetUpperCScanCode(c.upperC);
    EXPECT_EQ(kb.KeyLegend(c.note), c.legend);
}

// Z and Q play C at the octave shift; where the manuals overlap a note has two caps.
INSTANTIATE_TEST_SUITE_P(
    Layouts, KeyCapsTest,
    ::testing::Values(CapCase{"", 4, 16, 48, "Z"}, CapCase{"", 4, 16, 60, "Q\n,"}, CapCase{"", 4, 16, 47, ""},
                      CapCase{"us", 4, 16, 48, "Z"}, CapCase{"us", 4, 16, 60, "Q\n,"}, CapCase{"us", 4, 16, 61, "2\nL"},
                      CapCase{"us", 4, 16, 49, "S"}, CapCase{"us", 5, 16, 60, "Z"}, CapCase{"us", 4, 17, 60, "W\n,"},
                      CapCase{"fr", 4, 16, 48, "W"}, CapCase{"fr", 4, 16, 60, "A\n;"},
                      CapCase{"fr", 4, 16, 61, "\u00C9\nL"}, CapCase{"fr", 4, 16, 64, "E\n!"},
                      CapCase{"fr", 4, 16, 77, "^"}, // a dead key shows its accent
                      CapCase{"de", 4, 16, 48, "Y"}, CapCase{"de", 4, 16, 64, "E\n-"},
                      CapCase{"de", 4, 16, 78, "\u00B4"}, CapCase{"de", 4, 16, 79, "+"}));

TEST(KeyLayoutTest, AnUnknownLayoutIsNotMade) { EXPECT_EQ(TXkbKeyLayout::Named("no-such-layout"), nullptr); }

// A layout that switches when its descriptor is written to, as a server's does.
class SwitchingLayout : public TKeyLayout {
public:
    SwitchingLayout() { EXPECT_EQ(::pipe(fds_), 0); }
    ~SwitchingLayout() override {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    std::string KeyCap(int scanCode) override { return scanCode == 44 ? cap_ : std::string(); }
    int ChangeFd() override { return fds_[0]; }
    bool TakeChanges() override {
        char c;
        if (!pending_) return false;
        pending_ = false;
        EXPECT_EQ(::read(fds_[0], &c, 1), 1);
        return true;
    }
    void Switch(const std::string& cap) {
        cap_ = cap;
        pending_ = true;
        EXPECT_EQ(::write(fds_[1], "x", 1), 1);
    }

private:
    int fds_[2];
    bool pending_ = false;
    std::string cap_ = "Z";
};

TEST(KeyLayoutTest, ASwitchOfTheLayoutIsShownAtOnce) {
    SwitchingLayout layout;
    TKeyTable keys;
    TPianoKeyboard kb(keys);
    kb.SetKeyLayout(&layout);
    kb.SetShowKeyLegends(true);
    EXPECT_EQ(kb.KeyLegend(48), "Z");
    layout.Switch("W");
    for (int i = 0; i < 20 && kb.KeyLegend(48) != "W"; ++i) QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(kb.KeyLegend(48), "W");
}

struct PaintCase {
    TPaintStyle style;
    qreal ratio;
};

class KeyLegendPaintTest : public ::testing::TestWithParam<PaintCase> {};

// Drawn only when shown, dark on white keys and light on black ones, in both
// styles and at twice the pixel density.
TEST_P(KeyLegendPaintTest, LegendsStandOutOnWhiteAndBlackKeys) {
    TKeyTable keys;
    TPianoKeyboard kb(keys);
    kb.SetPaintStyle(GetParam().style);
    kb.resize(600, 76);
    kb.SetBaseNote(48);
    const qreal ratio = GetParam().ratio;
    auto render = [&] {
        QImage image((QSizeF(kb.size()) * ratio).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        kb.render(&image);
        return image;
    };
    const QImage without = render();
    kb.SetShowKeyLegends(true);
    const QImage with = render();
    // Z on a white key below the black ones, S on a black key.
    const QRect black = kb.KeyRect(49);
    const QRect white(kb.KeyRect(48).left(), black.bottom() + 1, kb.KeyWidth(), kb.height() - black.bottom() - 1);
    for (const QRect& key : {white, black}) {
        const QRect area(key.topLeft() * ratio, key.size() * ratio);
        int changed = 0, darkest = 255, lightest = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (with.pixel(x, y) != without.pixel(x, y)) {
                    ++changed;
                    darkest = std::min(darkest, qGray(with.pixel(x, y)));
                    lightest = std::max(lightest, qGray(with.pixel(x, y)));
                }
        ASSERT_GT(changed, 4 * ratio * ratio) << (key == black ? "black" : "white");
        if (key == white) EXPECT_LT(darkest, 70) << "a white key's legend is dark";
        else EXPECT_GT(lightest, 185) << "a black key's legend is light";
    }
}

INSTANTIATE_TEST_SUITE_P(StylesAndRatios, KeyLegendPaintTest,
                         ::testing::Values(PaintCase{TPaintStyle::Drawn, 1.0}, PaintCase{TPaintStyle::Drawn, 2.0},
                                           PaintCase{TPaintStyle::Image, 1.0},
                                           PaintCase{TPaintStyle::Image, 2.0}));

} // namespace
