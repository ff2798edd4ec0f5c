#pragma once
// The caps of the computer keys, drawn on the piano keys they play: kept in
// step with the layout in use, the octave shift and the manuals' C keys.
#include "instrument/KeyLayout.h"
#include "instrument/KeyTable.h"

#include <QObject>

#include <array>
#include <memory>
#include <string>

class QPainter;
class QRect;
class QSocketNotifier;
class QWidget;

class TKeyLegendsView : public QObject {
public:
    // Repaints the keyboard when what it shows changes.
    TKeyLegendsView(const TKeyTable& keys, QWidget& keyboard);
    ~TKeyLegendsView() override;

    bool Shown() const { return shown_; }
    void SetShown(bool shown);
    // Lent for the view's lifetime; null for the US caps.
    void SetLayout(TKeyLayout* layout);
    // The octave or a manual changed.
    void Invalidate();
    // One line per key that plays the note.
    const std::string& Legend(int note, int keyOctave);
    // Draws the note's legend centred in the key's column, its last line on bottom.
    void Paint(QPainter& p, int note, int keyOctave, const QRect& column, int bottom, bool onBlack);

private:
    TKeyLayout& Layout() { return layout_ ? *layout_ : us_; }
    void WatchLayout();
    void LayoutMayHaveChanged();

    const TKeyTable& keys_;
    QWidget& keyboard_;
    bool shown_ = false;
    TKeyLayout* layout_ = nullptr;
    TUsKeyLayout us_;
    std::unique_ptr<QSocketNotifier> watch_;
    std::array<std::string, 128> legends_;
    int legendsOctave_ = -1; // -1: to be computed
};
