#pragma once
// Two small arrow buttons that step a position between Min and Max, beside an
// edit field that shows it.
#include <QWidget>

#include <functional>

class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    int Position() const { return position_; }
    void SetPosition(int position); // clamped; raises nothing

    // A click or an auto-repeat step; the position has already moved.
    std::function<void(TUpDown* sender, bool up)> OnClick;

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

private:
    void Step(int delta);

    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0, max_ = 100, position_ = 0;
};
