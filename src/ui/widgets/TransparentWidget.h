#pragma once
// A control that lets its parent show through where it paints nothing.
#include <QWidget>

#include <functional>

class TTransparentWidget : public QWidget {
    Q_OBJECT
public:
    explicit TTransparentWidget(QWidget* parent = nullptr);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    std::function<void(TTransparentWidget* sender)> OnChange;

protected:
    void Changed() {
        if (OnChange) OnChange(this);
    }

private:
    bool transparent_ = true;
};
