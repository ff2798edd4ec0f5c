#include "mainwindow/Tonecast.h"

#include "mainwindow/FormPlacement.h"

#include <QPalette>

namespace {
constexpr int FormDesignWidth = 640;
constexpr int FormDesignHeight = 180;
} // namespace

TTonecast::TTonecast(QWidget* parent) : QMainWindow(parent) {
    resize(FormDesignWidth, FormDesignHeight);
    designHeight_ = FormDesignHeight;
    designWidth_ = FormDesignWidth;
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);
    setFixedHeight(designHeight_);
    setMinimumWidth(MinimumWidth());
    setMaximumWidth(MaximumWidth());
}

int TTonecast::MinimumWidth() const { return 200; }

int TTonecast::MaximumWidth() const { return QWIDGETSIZE_MAX; }

void TTonecast::resizeEvent(QResizeEvent* event) { QMainWindow::resizeEvent(event); }

void TTonecast::LoadSettings(TIniStore& store) {
    RestoreFormPlacement(this, store, settingsSection_, placementFlags_, "");
    modulationController_ = static_cast<std::uint8_t>(
        store.ReadInteger(settingsSection_, "MWCtrl", modulationController_) & 0x7F);
}

void TTonecast::SaveSettings(TIniStore& store) {
    SaveFormPlacement(this, store, settingsSection_, placementFlags_, "");
    store.WriteInteger(settingsSection_, "MWCtrl", modulationController_);
}
