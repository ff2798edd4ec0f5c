#pragma once
// A label that shows a text too long for it with its middle left out, and
// the whole text as its tooltip and to assistive technology. It may draw a
// shorter form of the text instead, and act on a click.
#include <QLabel>

#include <functional>

class TElidingLabel : public QLabel {
public:
    using QLabel::QLabel;
    // drawn: what is shown of the text; empty for the text itself.
    void SetFullText(const QString& text, const QString& drawn = {});
    const QString& FullText() const { return full_; }
    // What a click on the label does; none when empty.
    void SetClickAction(std::function<void()> action);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Elide();
    QString full_, drawn_;
    std::function<void()> click_;
};
