#pragma once
// Options > Stay on Top: the window stays above other programs only while the
// user works in them, topmost when the application goes inactive with the
// item checked, never while it is active. The flag is set on the window's
// handle, so the window is neither hidden nor created again.
#include <QObject>

class QAction;
class QMenu;
class QWidget;

class TStayOnTop : public QObject {
    Q_OBJECT
public:
    // The checkable item goes into the menu.
    TStayOnTop(QWidget* window, QMenu* menu);

    QAction* Item() const { return item_; }
    void Set(bool on);

private:
    void Apply();

    QWidget* window_;
    QAction* item_;
    bool applicationActive_ = false;
};
