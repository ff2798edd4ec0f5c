#pragma once
// Controls that show one frame of a pre-drawn strip, chosen by their value:
// the wheels and the scroll arrows of the main window.
#include "instrument/ImageStripModel.h"
#include "widgets/MovingHintWindow.h"

#include <QObject>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QTimer;
class TImageStripControlBase;

enum class TScrollBarKind { Horizontal, Vertical };

class TSharedImage : public QObject {
    Q_OBJECT
public:
    explicit TSharedImage(QObject* parent = nullptr);
    ~TSharedImage() override;

    const QPixmap& Bitmap() const { return bitmap_; }
    void SetBitmap(const QPixmap& bitmap);
    std::function<void(TSharedImage* sender)> OnChange;
    const QString& ResBitmap() const { return resBitmap_; }
    void SetResBitmap(const QString& name);
    // In logical pixels, whatever the pixel ratio of the bitmap.
    virtual int Width() const { return static_cast<int>(bitmap_.deviceIndependentSize().width()); }
    virtual int Height() const { return static_cast<int>(bitmap_.deviceIndependentSize().height()); }

    void AddClient(TImageStripControlBase* control);
    void RemoveClient(TImageStripControlBase* control);
    void LoadResBitmap();
    // The display it is shown on changed to this many bits per pixel: the
    // other colour set is loaded when the depth crosses 8 bits.
    void DisplayChanged(int bitsPerPixel);
    // Loads the pictures drawn for a device pixel ratio (1, or 2 where there
    // are any) when they are not the ones loaded. Quietly: called while painting.
    void UsePixelRatio(qreal ratio);
    virtual void Draw(QPainter& p, int x, int y, int frameIndex);

protected:
    void Changed();
    virtual void BitmapChanged();
    static void DrawEmpty(QPainter& p, int x, int y, int w, int h);

    QPixmap bitmap_;
    std::vector<TImageStripControlBase*> clients_;
    QString resBitmap_, resBitmap256_;
    int depth_;          // bits per pixel the colour set is chosen for
    qreal ratio_ = 1.0;  // device pixel ratio the pictures were chosen for
    QPixmap LoadChosen() const; // the picture for depth_ and ratio_, or none
};

class TFrameImage : public TSharedImage {
    Q_OBJECT
public:
    explicit TFrameImage(QObject* parent = nullptr) : TSharedImage(parent) {}

    int Count() const { return strip_.count; }
    void SetCount(int value);
    int Width() const override { return strip_.width; }
    void SetWidth(int value);
    int Height() const override { return strip_.height; }
    void SetHeight(int value);
    bool Button = false;
    bool TwoState = false;

    // What a form description would set, then the computations that follow loading.
    void Setup(int width, int height, const QString& resBitmap, const QString& resBitmap256 = QString());
    void Draw(QPainter& p, int x, int y, int frameIndex) override;

protected:
    void BitmapChanged() override;

private:
    void SyncBitmapSize();
    // After a change of the frame size: clip to the bitmap and count the frames.
    void Recount();
    ImgModel::TStrip strip_;
};

class TImageStripControlBase : public QWidget {
    Q_OBJECT
public:
    explicit TImageStripControlBase(QWidget* parent = nullptr);
    ~TImageStripControlBase() override;

    std::function<void(TImageStripControlBase* sender)> OnChange;
    bool AllowUserControl = true;
    TFrameImage* FrameImage() const { return image_; }
    void SetFrameImage(TFrameImage* image);
    virtual void ImageChanged();
    void ForgetImage() { image_ = nullptr; }
    // The display changed to this many bits per pixel.
    void DisplayChanged(int bitsPerPixel);

protected:
    TFrameImage* image_ = nullptr;
};

class TImageStripControl : public TImageStripControlBase {
    Q_OBJECT
public:
    explicit TImageStripControl(QWidget* parent = nullptr);
    ~TImageStripControl() override;

    std::function<void(TImageStripControl* sender, int& scrollPos)> OnScroll;
    std::function<void(TImageStripControl* sender)> OnButtonClick;
    std::function<void(TImageStripControl* sender, QString& caption)> OnGetScrollHint;
    std::function<void(TImageStripControl* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift)> OnMouseUp;
    std::function<void(TImageStripControl* sender)> OnDblClick;

    int Position() const { return position_; }
    void SetPosition(int value);
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int MiddlePos = 0;
    int MiddleSnap = 5;
    int SmallChange = 1;
    int LargeChange = 10;
    TScrollBarKind Kind = TScrollBarKind::Vertical; // the drag direction
    bool ShowScrollHint = false;
    bool AutoRepeat = false;
    int AutoRepeatInitDelay = 700;
    int AutoRepeatDelay = 200;

    int FrameIndex() const;
    bool Pressed() const { return pressed_; }
    bool IsButton() const { return image_ && image_->Button; }
    // A button's click, as assistive technology asks for it.
    void Click() {
        if (AllowUserControl && OnButtonClick) OnButtonClick(this);
    }
    TMovingHint& Hint() { return *hint_; }
    void ImageChanged() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void UserChange(int value);
    void PressState(QPoint point);
    void RefreshHint(bool force);
    void AdjustSize();
    void StopRepeat();

    int position_ = 0, min_ = 0, max_ = 100;
    bool pressed_ = false;
    int startPosition_ = 0;
    int lastFrame_ = -1;
    ImgModel::TValueDrag drag_;
    std::unique_ptr<TMovingHint> hint_;
    QTimer* repeat_ = nullptr;
};
