#pragma once
// A raised panel with a caption that acts when clicked ("Panic!"); a button to
// assistive technology.
#include <QLabel>

#include <functional>

class TPanelButton : public QLabel {
    Q_OBJECT
public:
    TPanelButton(const QString& caption, QWidget* parent, std::function<void()> onClick);
    void Click() { onClick_(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::function<void()> onClick_;
};
