#pragma once
// A label that shows a text too long for it with its middle left out, and
// the whole text as its tooltip and to assistive technology.
#include <QLabel>

class TElidingLabel : public QLabel {
public:
    using QLabel::QLabel;
    void SetFullText(const QString& text);
    const QString& FullText() const { return full_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();
    QString full_;
};
