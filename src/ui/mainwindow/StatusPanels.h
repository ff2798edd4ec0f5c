#pragma once
// The five panels of the main window's status bar: 0 messages, 1 note,
// 2 base note, 3 octave, 4 patch group. Panel 0 takes the rest of the width
// and leaves out the middle of what does not fit; the others are as wide as
// their longest text in the bar's font.
#include <QString>

#include <array>
#include <functional>

class QLabel;
class QStatusBar;
class TElidingLabel;

class TStatusPanels {
public:
    explicit TStatusPanels(QStatusBar* bar);

    void SetText(int panel, const QString& text);
    // Panel 0 offers an action: it spans the whole bar and draws the short
    // form, the whole text a hover away and read by assistive technology; a
    // click acts. Any later text of panel 0 ends the offer.
    void Offer(const QString& whole, const QString& drawn, std::function<void()> act);
    // A menu's hint goes to panel 0, unless a control holds the mouse: a knob
    // or wheel being dragged keeps its own text there. False when it did not.
    bool ShowHint(const QString& hint);
    QString Text(int panel) const; // panel 0's whole text, also where it is elided
    int Width(int panel) const;
    // Once the font is known: the widths of panels 1 to 4 from their sample texts.
    void Measure();

private:
    QStatusBar* bar_;
    std::array<QLabel*, 5> panels_{};
    TElidingLabel* message_ = nullptr; // panel 0
    bool offering_ = false;
    bool measured_ = false;
};
