#pragma once
// The knob row on screen: per knob a caption label, a rotary knob and a value
// label, laid out in two rows over a band of the window. The first knob is
// made of the window's template controls; further knobs copy their look.
#include "instrument/KnobList.h"

#include <QLabel>

#include <functional>

class TRotaryKnob;

// A label that reports double-clicks, for resetting a knob from its captions.
class TKnobLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    std::function<void(TKnobLabel* sender)> OnDblClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TKnobRowEntry : public TKnobEntry {
public:
    TKnobRowEntry(TKnobLabel* captionLabel, TRotaryKnob* knob, TKnobLabel* valueLabel, int controller, int displayMode,
                  int defaultValue);
    std::string GetCaption() const override;
    void SetCaption(const std::string& caption) override;

    TKnobLabel* const CaptionLabel;
    TRotaryKnob* const Knob;
    TKnobLabel* const ValueLabel; // may be absent
};

class TKnobRow : public TKnobList {
public:
    // The templates stay the window's; the list never frees them.
    TKnobRow(TKnobLabel* captionTemplate, TRotaryKnob* knobTemplate, TKnobLabel* valueTemplate);
    ~TKnobRow() override;

    std::function<void(TKnobRow* sender, int controller, int value)> OnKnobChange;

    void Add(const std::string& caption, int controller, int displayMode, int defaultValue) override;
    void AddKnob(const std::string& caption, int controller, int displayMode, int defaultValue) override;
    void Assign(const TKnobList& source) override;
    void Delete(int index) override;
    void Clear() override;
    void Load(TIniStore& store, const std::string& section) override;

    TRotaryKnob* Knob(int index) const { return GuiEntry(index).Knob; }
    TKnobLabel* CaptionLabel(int index) const { return GuiEntry(index).CaptionLabel; }
    TKnobLabel* ValueLabel(int index) const { return GuiEntry(index).ValueLabel; }
    // Moves the knob without sending anything.
    void SetValue(int index, int value) override;
    // Every knob on a controller takes the value, nothing is sent; the knob
    // whose turn sent it is not told its own value again.
    void ReflectController(int controller, int value);
    void SetArea(int left, int width);
    void Arrange();
    int AreaLeft() const { return areaLeft_; }
    int AreaWidth() const { return areaWidth_; }

private:
    TKnobRowEntry& GuiEntry(int index) const { return static_cast<TKnobRowEntry&>(Entry(index)); }
    int IndexOf(const QWidget* control) const;
    bool IsTemplate(const QWidget* control) const;
    TRotaryKnob* NewKnob() const;
    TKnobLabel* NewLabel(const TKnobLabel* from) const;
    void KnobTrack(TRotaryKnob* knob);
    void SendTurn(int index);
    void KnobPosChange(TRotaryKnob* knob);
    void KnobTrackHint(TRotaryKnob* knob, QString& caption);
    void DoubleClick(const QWidget* control);

    TKnobLabel* captionTemplate_;
    TRotaryKnob* knobTemplate_;
    TKnobLabel* valueTemplate_;
    int turning_ = -1; // the knob whose change is being sent
    int areaLeft_ = 0;
    int areaWidth_ = 0;
};
