#pragma once
// Small controls the dialogs use: a bevel that can be a pure spacer, a check
// box that looks like a push button, and a splitter that can resize live.
#include <QFrame>
#include <QPushButton>
#include <QSplitter>

#include <functional>

class TMyBevel : public QFrame {
    Q_OBJECT
public:
    explicit TMyBevel(QWidget* parent = nullptr);
    bool NoBevel() const { return noBevel_; }
    void SetNoBevel(bool value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool noBevel_ = false;
};

// Stays down while checked.
class TCheckButton : public QPushButton {
    Q_OBJECT
public:
    explicit TCheckButton(const QString& caption = QString(), QWidget* parent = nullptr);
};

class TMySplitter : public QSplitter {
    Q_OBJECT
public:
    explicit TMySplitter(Qt::Orientation orientation, QWidget* parent = nullptr);
    bool ResizeWhileDrag() const { return opaqueResize(); }
    void SetResizeWhileDrag(bool value) { setOpaqueResize(value); }
    std::function<void(TMySplitter* sender)> OnMoved;
};
