#pragma once
// The five panels of the main window's status bar, left to right. The message
// panel takes the rest of the width and leaves out the middle of what does not
// fit; the others are as wide as their longest text in the bar's font.
#include <QString>

#include <array>
#include <functional>

class QLabel;
class QStatusBar;
class TElidingLabel;

enum class TStatusPanel { Message, Note, BaseNote, Octave, PatchGroup };

class TStatusPanels {
public:
    explicit TStatusPanels(QStatusBar* bar);

    void SetText(TStatusPanel panel, const QString& text);
    // The message panel offers an action: it spans the whole bar and draws the short
    // form, the whole text a hover away and read by assistive technology; a
    // click acts. Any later message ends the offer.
    void Offer(const QString& whole, const QString& drawn, std::function<void()> act);
    // A menu's hint goes to the message panel, unless a control holds the mouse: a knob
    // or wheel being dragged keeps its own text there. False when it did not.
    bool ShowHint(const QString& hint);
    QString Text(TStatusPanel panel) const; // the message's whole text, also where it is elided
    int Width(TStatusPanel panel) const;
    // Once the font is known: the widths of the fixed panels from their sample texts.
    void Measure();

private:
    QStatusBar* bar_;
    std::array<QLabel*, 5> panels_{};
    QLabel* Panel(TStatusPanel panel) const { return panels_[static_cast<std::size_t>(panel)]; }

    TElidingLabel* message_ = nullptr;
    bool offering_ = false;
    bool measured_ = false;
};
