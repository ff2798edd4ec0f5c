#include "mainwindow/StatusPanels.h"

#include "widgets/ElidingLabel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>

TStatusPanels::TStatusPanels(QStatusBar* bar) : bar_(bar) {
    bar->setSizeGripEnabled(false);
    const int designWidths[5] = {200, 50, 50, 50, 50};
    for (int i = 0; i < 5; ++i) {
        // Messages name devices of any length: what does not fit leaves out its middle.
        auto* panel = i == 0 ? message_ = new TElidingLabel(bar) : new QLabel(bar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i == 0) {
            panel->setMinimumWidth(1);
            bar->addWidget(panel, 1); // the message takes the rest
        } else {
            panel->setFixedWidth(designWidths[i]);
            bar->addPermanentWidget(panel);
        }
        panels_[static_cast<std::size_t>(i)] = panel;
    }
}

void TStatusPanels::Measure() {
    if (measured_) return;
    const QFontMetrics metrics(bar_->font());
    const char* const samples[5] = {nullptr, "WWWWWWWWW", "Base: WWW", "Octave: 122", "WWWWWWWWWW"};
    int widths[5] = {};
    for (int i = 1; i < 5; ++i) widths[i] = metrics.horizontalAdvance(samples[i]) + 8; // frame and margin
    if (widths[1] < 2 || widths[2] < 2 || widths[3] < 2) return;
    for (int i = 1; i < 5; ++i) panels_[static_cast<std::size_t>(i)]->setFixedWidth(widths[i]);
    measured_ = true;
}

void TStatusPanels::SetText(TStatusPanel panel, const QString& text) {
    const bool message = panel == TStatusPanel::Message;
    if (message && offering_) {
        offering_ = false;
        message_->SetClickAction({});
        for (std::size_t i = 1; i < panels_.size(); ++i) panels_[i]->show();
    }
    if (message) message_->SetFullText(text);
    else Panel(panel)->setText(text);
}

void TStatusPanels::Offer(const QString& whole, const QString& drawn, std::function<void()> act) {
    SetText(TStatusPanel::Message, {});
    offering_ = true;
    for (std::size_t i = 1; i < panels_.size(); ++i) panels_[i]->hide();
    message_->SetClickAction(std::move(act));
    message_->SetFullText(whole, drawn);
}

bool TStatusPanels::ShowHint(const QString& hint) {
    if (QWidget::mouseGrabber() || QApplication::mouseButtons() != Qt::NoButton) return false;
    SetText(TStatusPanel::Message, hint);
    return true;
}

QString TStatusPanels::Text(TStatusPanel panel) const {
    return panel == TStatusPanel::Message ? message_->FullText() : Panel(panel)->text();
}

int TStatusPanels::Width(TStatusPanel panel) const { return Panel(panel)->width(); }
