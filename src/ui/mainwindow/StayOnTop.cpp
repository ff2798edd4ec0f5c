#include "mainwindow/StayOnTop.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QWidget>
#include <QWindow>

TStayOnTop::TStayOnTop(QWidget* window, QMenu* menu) : QObject(window), window_(window) {
    item_ = menu->addAction("Stay &on Top");
    item_->setCheckable(true);
    if (QGuiApplication::platformName().startsWith("wayland"))
        item_->setStatusTip("This window system does not let a program keep its window on top.");
    connect(item_, &QAction::toggled, this, &TStayOnTop::Apply);
    applicationActive_ = QGuiApplication::applicationState() == Qt::ApplicationActive;
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        applicationActive_ = state == Qt::ApplicationActive;
        Apply();
    });
}

void TStayOnTop::Set(bool on) {
    item_->setChecked(on);
    Apply();
}

void TStayOnTop::Apply() {
    QWindow* handle = window_->windowHandle();
    if (!handle) return;
    const bool topmost = item_->isChecked() && !applicationActive_;
    if (handle->flags().testFlag(Qt::WindowStaysOnTopHint) != topmost) handle->setFlag(Qt::WindowStaysOnTopHint, topmost);
}
