#include "widgets/KeyLegendsView.h"

#include <QPainter>
#include <QSocketNotifier>
#include <QWidget>

#include <algorithm>

TKeyLegendsView::TKeyLegendsView(const TKeyTable& keys, QWidget& keyboard) : keys_(keys), keyboard_(keyboard) {}
TKeyLegendsView::~TKeyLegendsView() = default;

void TKeyLegendsView::SetShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    // The layout is read, and watched, only once legends are wanted.
    if (shown_) WatchLayout();
    Invalidate();
}

void TKeyLegendsView::SetLayout(TKeyLayout* layout) {
    watch_.reset();
    layout_ = layout;
    if (shown_) WatchLayout();
    Invalidate();
}

void TKeyLegendsView::Invalidate() {
    legendsOctave_ = -1;
    keyboard_.update();
}

void TKeyLegendsView::WatchLayout() {
    if (watch_) return;
    const int fd = Layout().ChangeFd();
    if (fd < 0) return;
    watch_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(watch_.get(), &QSocketNotifier::activated, this, &TKeyLegendsView::LayoutMayHaveChanged);
}

void TKeyLegendsView::LayoutMayHaveChanged() {
    if (Layout().TakeChanges()) Invalidate();
}

const std::string& TKeyLegendsView::Legend(int note, int keyOctave) {
    if (legendsOctave_ != keyOctave) {
        // The layout's connection may hold events read along with a reply.
        Layout().TakeChanges();
        legends_ = KeyLegends(keys_, keyOctave, Layout());
        legendsOctave_ = keyOctave;
    }
    return legends_[static_cast<std::size_t>(std::clamp(note, 0, 127))];
}

void TKeyLegendsView::Paint(QPainter& p, int note, int keyOctave, const QRect& column, int bottom, bool onBlack) {
    if (!shown_) return;
    const std::string& legend = Legend(note, keyOctave);
    if (legend.empty()) return;
    QFont font = keyboard_.font();
    font.setPixelSize(std::clamp(column.width() * 3 / 5, 7, 12));
    font.setBold(true); // thin strokes vanish on a narrow black key
    p.setFont(font);
    p.setPen(onBlack ? Qt::white : Qt::black);
    const QRect area(column.left(), column.top(), column.width(), bottom - column.top());
    p.drawText(area, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip, QString::fromStdString(legend));
}
