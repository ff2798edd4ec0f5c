#include "widgets/TransparentWidget.h"

TTransparentWidget::TTransparentWidget(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

void TTransparentWidget::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    setAutoFillBackground(!value); // an opaque control fills its own background
    update();
}
