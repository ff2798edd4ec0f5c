#include "controls/Trans.h"

TTransparent::TTransparent(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

void TTransparent::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    setAutoFillBackground(!value); // an opaque control fills its own background
    update();
}
