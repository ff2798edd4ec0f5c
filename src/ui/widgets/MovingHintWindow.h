#pragma once
// A small hint window that follows a control, showing its value while it is
// dragged.
#include <QLabel>

#include <string>

class TMovingHint : public QLabel {
    Q_OBJECT
public:
    TMovingHint();

    int MaxWidth = 100;
    const QString& HintText() const { return hintText_; }
    bool IsShowing() const { return isVisible(); }
    void SetShowing(bool value);
    // Shows the text at the control's top-right corner.
    void ShowAt(QWidget* control, const QString& text);
    void ShowHint();

private:
    QString hintText_;
    QPoint position_{-1, -1};
};
