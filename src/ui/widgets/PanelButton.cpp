#include "widgets/PanelButton.h"

#include "widgets/AccessibleControls.h"

#include <QMouseEvent>

TPanelButton::TPanelButton(const QString& caption, QWidget* parent, std::function<void()> onClick)
    : QLabel(caption, parent), onClick_(std::move(onClick)) {
    InstallAccessibleControls();
    setAccessibleName(caption);
}

void TPanelButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) onClick_();
}
