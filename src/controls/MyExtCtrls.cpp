#include "controls/MyExtCtrls.h"

TMyBevel::TMyBevel(QWidget* parent) : QFrame(parent) { setFrameStyle(QFrame::Panel | QFrame::Sunken); }

void TMyBevel::SetNoBevel(bool value) {
    noBevel_ = value;
    update();
}

void TMyBevel::paintEvent(QPaintEvent* event) {
    if (!noBevel_) QFrame::paintEvent(event); // a pure spacer draws nothing
}

TCheckButton::TCheckButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setCheckable(true);
    resize(75, 25);
}

TMySplitter::TMySplitter(Qt::Orientation orientation, QWidget* parent) : QSplitter(orientation, parent) {
    setOpaqueResize(false); // a drag line, as a plain splitter shows
    connect(this, &QSplitter::splitterMoved, this, [this] {
        if (OnMoved) OnMoved(this);
    });
}
