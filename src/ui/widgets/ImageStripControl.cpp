#include "widgets/ImageStripControl.h"

#include "widgets/AccessibleControls.h"

#include "widgets/Bitmaps.h"
#include "widgets/PictureDepth.h"
#include "widgets/QtServices.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

// --- TSharedImage -----------------------------------------------------------

TSharedImage::TSharedImage(QObject* parent) : QObject(parent), depth_(ScreenDepth()) {}

TSharedImage::~TSharedImage() {
    for (TImageStripControlBase* c : clients_) c->ForgetImage();
}

void TSharedImage::SetBitmap(const QPixmap& bitmap) {
    bitmap_ = bitmap;
    BitmapChanged();
}

void TSharedImage::BitmapChanged() { Changed(); }

void TSharedImage::Changed() {
    if (OnChange) OnChange(this);
    for (TImageStripControlBase* c : clients_) c->ImageChanged();
}

void TSharedImage::SetResBitmap(const QString& name) {
    resBitmap_ = name;
    LoadResBitmap();
}

QPixmap TSharedImage::LoadChosen() const {
    const bool fullColour = PictureDepth::UsesFullColour(depth_) && !resBitmap_.isEmpty();
    const QString name = fullColour ? resBitmap_ : resBitmap256_;
    if (name.isEmpty()) return {};
    // The 256-colour sets exist at one size only.
    if (fullColour && ratio_ > 1.0) {
        QPixmap sharp = LoadBitmap(name + "@2x");
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return LoadBitmap(name);
}

void TSharedImage::LoadResBitmap() {
    QPixmap loaded = LoadChosen();
    if (loaded.isNull()) return; // a missing picture leaves the old one
    SetBitmap(loaded);
}

void TSharedImage::DisplayChanged(int bitsPerPixel) {
    const bool crossed = PictureDepth::ChangeReloads(depth_, bitsPerPixel);
    depth_ = bitsPerPixel;
    if (crossed) LoadResBitmap();
}

void TSharedImage::UsePixelRatio(qreal ratio) {
    const qreal wanted = ratio > 1.0 ? 2.0 : 1.0;
    if (wanted == ratio_) return;
    ratio_ = wanted;
    QPixmap loaded = LoadChosen();
    if (!loaded.isNull()) bitmap_ = loaded; // same logical size: nothing else changes
}

void TSharedImage::AddClient(TImageStripControlBase* control) {
    if (std::find(clients_.begin(), clients_.end(), control) == clients_.end()) clients_.push_back(control);
    control->ImageChanged();
}

void TSharedImage::RemoveClient(TImageStripControlBase* control) {
    std::erase(clients_, control);
    control->ImageChanged();
}

void TSharedImage::DrawEmpty(QPainter& p, int x, int y, int w, int h) {
    p.setPen(Qt::gray);
    p.drawLine(x, y, x + w - 1, y + h - 1);
    p.drawLine(x + w - 1, y, x, y + h - 1);
}

void TSharedImage::Draw(QPainter& p, int x, int y, int) {
    if (!bitmap_.isNull()) p.drawPixmap(x, y, bitmap_);
    else DrawEmpty(p, x, y, std::max(Width(), 16), std::max(Height(), 16));
}

// --- TFrameImage ------------------------------------------------------------

void TFrameImage::SyncBitmapSize() {
    strip_.bitmapWidth = TSharedImage::Width();
    strip_.bitmapHeight = TSharedImage::Height();
}

void TFrameImage::Recount() {
    SyncBitmapSize();
    if (!bitmap_.isNull()) {
        strip_.Clip();
        strip_.CountFromFrameSize();
    }
    Changed();
}

void TFrameImage::SetCount(int value) {
    if (value < 0) return;
    strip_.count = value;
    SyncBitmapSize();
    if (!bitmap_.isNull()) strip_.FrameSizeFromCount();
    Changed();
}

void TFrameImage::SetWidth(int value) {
    if (value < 0) return;
    strip_.width = value;
    Recount();
}

void TFrameImage::SetHeight(int value) {
    if (value < 0) return;
    strip_.height = value;
    Recount();
}

void TFrameImage::BitmapChanged() {
    SyncBitmapSize();
    if (strip_.count < 1) strip_.Clip();
    else strip_.FrameSizeFromCount();
    Changed();
}

void TFrameImage::Setup(int width, int height, const QString& resBitmap, const QString& resBitmap256) {
    strip_.width = width;
    strip_.height = height;
    resBitmap_ = resBitmap;
    resBitmap256_ = resBitmap256;
    QPixmap loaded = LoadChosen();
    if (!loaded.isNull()) bitmap_ = loaded;
    SyncBitmapSize();
    strip_.Clip();
    strip_.CountFromFrameSize();
    Changed();
}

void TFrameImage::Draw(QPainter& p, int x, int y, int frameIndex) {
    if (bitmap_.isNull() || strip_.count <= 0) {
        DrawEmpty(p, x, y, std::max(strip_.width, 16), std::max(strip_.height, 16));
        return;
    }
    const int sx = strip_.vertical ? 0 : (strip_.width + strip_.separator) * frameIndex;
    const int sy = strip_.vertical ? (strip_.height + strip_.separator) * frameIndex : 0;
    // The source is in the bitmap's own pixels.
    const qreal r = bitmap_.devicePixelRatio();
    p.drawPixmap(QRectF(x, y, strip_.width, strip_.height), bitmap_,
                 QRectF(sx * r, sy * r, strip_.width * r, strip_.height * r));
}

// --- TImageStripControlBase --------------------------------------------------------

TImageStripControlBase::TImageStripControlBase(QWidget* parent) : QWidget(parent) {
    resize(47, 47);
    setFocusPolicy(Qt::StrongFocus);
}

TImageStripControlBase::~TImageStripControlBase() {
    if (image_) image_->RemoveClient(this);
}

void TImageStripControlBase::SetFrameImage(TFrameImage* image) {
    if (image == image_) return;
    if (image_) image_->RemoveClient(this);
    image_ = image;
    if (image_) image_->AddClient(this);
}

void TImageStripControlBase::ImageChanged() { update(); }

void TImageStripControlBase::DisplayChanged(int bitsPerPixel) {
    if (image_) image_->DisplayChanged(bitsPerPixel); // repaints its clients when it reloads
}

// --- TImageStripControl ------------------------------------------------------------

TImageStripControl::TImageStripControl(QWidget* parent) : TImageStripControlBase(parent), hint_(std::make_unique<TMovingHint>()) {
    InstallAccessibleControls();
}

TImageStripControl::~TImageStripControl() = default;

int TImageStripControl::FrameIndex() const { return image_ ? ImgModel::FrameIndex(position_, min_, max_, image_->Count()) : -1; }

void TImageStripControl::SetPosition(int value) {
    if (value == position_) return;
    value = std::clamp(value, min_, max_);
    if (value == position_) return;
    position_ = value;
    TellValueChanged(this, value);
    if (FrameIndex() != lastFrame_) update(); // only when another frame shows
    if (OnChange) OnChange(this);
    RefreshHint(false);
}

void TImageStripControl::SetMax(int value) {
    if (value < min_) return;
    if (value < position_) SetPosition(value);
    max_ = value;
    update();
}

void TImageStripControl::SetMin(int value) {
    if (value > max_) return;
    if (position_ < value) SetPosition(value);
    min_ = value;
    update();
}

void TImageStripControl::ImageChanged() { AdjustSize(); }

void TImageStripControl::AdjustSize() {
    if (!image_ || image_->Width() <= 0 || image_->Height() <= 0) {
        update();
        return;
    }
    const QSize frame(image_->Width(), image_->Height());
    if (size() != frame) resize(frame);
    else update();
}

void TImageStripControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (image_) {
        image_->UsePixelRatio(PaintedPixelRatio(p));
        lastFrame_ = FrameIndex();
        image_->Draw(p, 0, 0, lastFrame_);
    }
}

void TImageStripControl::UserChange(int value) {
    value = std::clamp(value, min_, max_);
    if (OnScroll) OnScroll(this, value);
    SetPosition(value);
}

void TImageStripControl::RefreshHint(bool force) {
    if (!ShowScrollHint || (!force && !hint_->IsShowing())) return;
    QString text;
    if (OnGetScrollHint) OnGetScrollHint(this, text);
    else text = QString::number(position_);
    hint_->ShowAt(this, text);
}

void TImageStripControl::PressState(QPoint point) {
    const bool inside = point.x() >= 0 && point.x() < image_->Width() && point.y() >= 0 && point.y() < image_->Height();
    const int target = image_->TwoState ? (inside ? max_ - startPosition_ : startPosition_) : (inside ? max_ : min_);
    const int value = target > (max_ - min_) / 2 ? max_ : min_;
    if (value != position_) UserChange(value);
}

void TImageStripControl::StopRepeat() {
    if (repeat_ && repeat_->isActive()) repeat_->stop();
}

void TImageStripControl::mousePressEvent(QMouseEvent* event) {
    if (!AllowUserControl) return;
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        startPosition_ = position_;
        if (IsButton()) {
            PressState(pos);
            if (AutoRepeat && !image_->TwoState) {
                if (!repeat_) {
                    repeat_ = new QTimer(this);
                    repeat_->setTimerType(Qt::PreciseTimer);
                    connect(repeat_, &QTimer::timeout, this, [this] {
                        if (OnButtonClick) OnButtonClick(this);
                        repeat_->setInterval(AutoRepeatDelay);
                    });
                }
                repeat_->setInterval(AutoRepeatInitDelay);
                repeat_->start();
                if (OnButtonClick) OnButtonClick(this);
            }
        } else {
            drag_.Press(pos.x(), pos.y(), event->modifiers() & Qt::ShiftModifier, position_);
        }
        pressed_ = true;
        RefreshHint(true);
    }
    if (focusPolicy() != Qt::NoFocus && !hasFocus()) setFocus(Qt::MouseFocusReason);
}

void TImageStripControl::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_ || !AllowUserControl) return;
    const QPoint pos = event->position().toPoint();
    if (IsButton()) {
        PressState(pos);
        return;
    }
    drag_.Move(pos.x(), pos.y(), event->modifiers() & Qt::ShiftModifier, Kind == TScrollBarKind::Vertical, position_, MiddlePos, MiddleSnap,
               SmallChange, [this](int v) { UserChange(v); });
}

void TImageStripControl::mouseReleaseEvent(QMouseEvent* event) {
    if (pressed_ && event->button() == Qt::LeftButton) {
        if (hint_->IsShowing()) hint_->SetShowing(false);
        if (IsButton()) {
            const QPoint pos = event->position().toPoint();
            const bool inside = pos.x() >= 0 && pos.x() < image_->Width() && pos.y() >= 0 && pos.y() < image_->Height();
            const bool repeating = AutoRepeat && repeat_;
            if (image_->TwoState) {
                PressState(pos);
            } else {
                StopRepeat();
                if (position_ != min_) UserChange(min_);
            }
            if (inside && !repeating && OnButtonClick) OnButtonClick(this);
        }
        pressed_ = false;
    }
    if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers());
}

void TImageStripControl::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    if (OnDblClick) OnDblClick(this);
}

void TImageStripControl::keyPressEvent(QKeyEvent* event) {
    if (!AllowUserControl) return;
    if (event->key() == Qt::Key_Escape && pressed_) {
        UserChange(startPosition_);
        pressed_ = false;
        StopRepeat();
        return;
    }
    if (IsButton()) {
        if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
            UserChange(max_ - position_ > (max_ - min_) / 2 ? max_ : min_);
        return;
    }
    switch (event->key()) {
    case Qt::Key_PageUp: UserChange(position_ + LargeChange); break;
    case Qt::Key_PageDown: UserChange(position_ - LargeChange); break;
    case Qt::Key_End: UserChange(max_); break;
    case Qt::Key_Home: UserChange(min_); break;
    case Qt::Key_Left:
    case Qt::Key_Down: UserChange(position_ - SmallChange); break;
    case Qt::Key_Up:
    case Qt::Key_Right: UserChange(position_ + SmallChange); break;
    default: TImageStripControlBase::keyPressEvent(event);
    }
}

void TImageStripControl::keyReleaseEvent(QKeyEvent* event) {
    if (AllowUserControl && IsButton() && event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        if (!image_->TwoState) UserChange(min_);
        if (OnButtonClick) OnButtonClick(this);
        return;
    }
    TImageStripControlBase::keyReleaseEvent(event);
}
