#pragma once
// A control that lets its parent show through where it paints nothing.
#include <QWidget>

#include <functional>

class TTransparent : public QWidget {
    Q_OBJECT
public:
    explicit TTransparent(QWidget* parent = nullptr);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    std::function<void(TTransparent* sender)> OnChange;

protected:
    void Changed() {
        if (OnChange) OnChange(this);
    }

private:
    bool transparent_ = true;
};
