#pragma once
// Two small arrow buttons that step a position between Min and Max, beside an
// edit field that shows it.
#include <QElapsedTimer>
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

    // Past one end the position goes to the other.
    bool Wrap = false;
    // A held arrow steps by 1 at once, by 5 after 2 s and by 10 after 5 s.
    bool Accelerated = false;
    // The step of a held arrow after so many milliseconds.
    static int AcceleratedStep(qint64 heldMs);

    // Names itself and its arrows after the field it steps ("Program up").
    void SetAccessibleNames(const QString& field);
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

private:
    void Step(int delta);

    QElapsedTimer held_;
    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0, max_ = 100, position_ = 0;
};
