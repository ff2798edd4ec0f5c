#include "widgets/KnobRow.h"

#include "widgets/RotaryKnob.h"

#include <QMouseEvent>

void TKnobLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (OnDblClick && event->button() == Qt::LeftButton) OnDblClick(this);
    else QLabel::mouseDoubleClickEvent(event);
}

TKnobRowEntry::TKnobRowEntry(TKnobLabel* captionLabel, TRotaryKnob* knob, TKnobLabel* valueLabel, int controller,
                             int displayMode, int defaultValue)
    : TKnobEntry(controller, displayMode, defaultValue), CaptionLabel(captionLabel), Knob(knob),
      ValueLabel(valueLabel) {}

std::string TKnobRowEntry::GetCaption() const { return CaptionLabel->text().toStdString(); }

void TKnobRowEntry::SetCaption(const std::string& caption) {
    CaptionLabel->setText(QString::fromStdString(caption));
    Knob->setAccessibleName(CaptionLabel->text());
}

TKnobRow::TKnobRow(TKnobLabel* captionTemplate, TRotaryKnob* knobTemplate, TKnobLabel* valueTemplate)
    : captionTemplate_(captionTemplate), knobTemplate_(knobTemplate), valueTemplate_(valueTemplate) {
    knobTemplate_->OnTrack = [this](TRotaryKnob* knob) { KnobTrack(knob); };
    knobTemplate_->OnPosChange = [this](TRotaryKnob* knob) { KnobPosChange(knob); };
    knobTemplate_->OnDblClick = [this](TRotaryKnob* knob) { DoubleClick(knob); };
    auto labelDblClick = [this](TKnobLabel* label) { DoubleClick(label); };
    captionTemplate_->OnDblClick = labelDblClick;
    if (valueTemplate_) valueTemplate_->OnDblClick = labelDblClick;
}

TKnobRow::~TKnobRow() {
    // The templates outlive the list: they must not call into it any more.
    knobTemplate_->OnTrack = knobTemplate_->OnPosChange = knobTemplate_->OnDblClick = nullptr;
    knobTemplate_->OnGetTrackHint = nullptr;
    captionTemplate_->OnDblClick = nullptr;
    if (valueTemplate_) valueTemplate_->OnDblClick = nullptr;
}

TRotaryKnob* TKnobRow::NewKnob() const {
    const TRotaryKnob* t = knobTemplate_;
    auto* knob = new TRotaryKnob(t->parentWidget());
    knob->hide();
    knob->SetPositionMax(t->PositionMax());
    knob->SetPointerDistance(t->PointerDistance());
    knob->SetScale(t->Scale());
    knob->SetScaleColor(t->ScaleColor());
    knob->SetScaleLength(t->ScaleLength());
    knob->SetWheelFrame(t->WheelFrame());
    knob->SetWheelColor(t->WheelColor());
    knob->OnTrack = t->OnTrack;
    knob->OnPosChange = t->OnPosChange;
    knob->OnDblClick = t->OnDblClick;
    knob->SetFocusAction(t->FocusAction());
    knob->SetFocusColor(t->FocusColor());
    knob->ShowTrackHint = t->ShowTrackHint;
    knob->setFocusPolicy(t->focusPolicy());
    knob->SetBounds(knob->x(), knob->y(), t->width(), t->height());
    return knob;
}

TKnobLabel* TKnobRow::NewLabel(const TKnobLabel* from) const {
    auto* label = new TKnobLabel(from->parentWidget());
    label->hide();
    label->setAlignment(from->alignment());
    label->setAutoFillBackground(from->autoFillBackground());
    label->setAttribute(Qt::WA_TranslucentBackground, from->testAttribute(Qt::WA_TranslucentBackground));
    label->OnDblClick = from->OnDblClick;
    label->setFont(from->font());
    label->setPalette(from->palette());
    label->resize(from->size());
    return label;
}

void TKnobRow::Add(const std::string& caption, int controller, int displayMode, int defaultValue) {
    if (Count() >= MaxCount) return;
    TKnobLabel* captionLabel = captionTemplate_;
    TRotaryKnob* knob = knobTemplate_;
    TKnobLabel* valueLabel = valueTemplate_;
    if (Count() > 0) {
        captionLabel = NewLabel(captionTemplate_);
        knob = NewKnob();
        valueLabel = valueTemplate_ ? NewLabel(valueTemplate_) : nullptr;
    }
    Append(std::make_unique<TKnobRowEntry>(captionLabel, knob, valueLabel, controller, displayMode, defaultValue));
    Entry(Count() - 1).SetCaption(caption);
    captionLabel->hide();
    knob->hide();
    if (valueLabel) valueLabel->hide();
    knob->SetPosition(defaultValue); // shows the value; nothing is sent
    knob->OnGetTrackHint = [this](TRotaryKnob* sender, QString& text) { KnobTrackHint(sender, text); };
}

void TKnobRow::AddKnob(const std::string& caption, int controller, int displayMode, int defaultValue) {
    Add(caption, controller, displayMode, defaultValue);
    Arrange();
}

void TKnobRow::Assign(const TKnobList& source) {
    TKnobList::Assign(source);
    Arrange();
}

bool TKnobRow::IsTemplate(const QWidget* control) const {
    return control == captionTemplate_ || control == knobTemplate_ || control == valueTemplate_;
}

void TKnobRow::Delete(int index) {
    TKnobRowEntry& entry = GuiEntry(index);
    for (QWidget* control : {static_cast<QWidget*>(entry.CaptionLabel), static_cast<QWidget*>(entry.Knob),
                             static_cast<QWidget*>(entry.ValueLabel)})
        if (control && !IsTemplate(control)) delete control;
    TKnobList::Delete(index);
}

void TKnobRow::Clear() {
    TKnobList::Clear();
    captionTemplate_->hide();
    knobTemplate_->hide();
    if (valueTemplate_) valueTemplate_->hide();
}

void TKnobRow::Load(TIniStore& store, const std::string& section) {
    TKnobList::Load(store, section);
    Arrange();
}

void TKnobRow::SetValue(int index, int value) { Knob(index)->SetPosition(value); } // the knob tells the list

void TKnobRow::ReflectController(int controller, int value) {
    for (int i = 0; i < Count(); ++i)
        if (Controller(i) == controller && i != turning_) SetValue(i, value);
}

void TKnobRow::SendTurn(int index) {
    if (!OnKnobChange) return;
    turning_ = index;
    OnKnobChange(this, Controller(index), Value(index));
    turning_ = -1;
}

void TKnobRow::SetArea(int left, int width) {
    areaLeft_ = left;
    areaWidth_ = width;
    Arrange();
}

void TKnobRow::Arrange() {
    if (Count() == 0) return;
    const TRotaryKnob* t = knobTemplate_;
    const QLabel* l = captionTemplate_;
    const QLabel* v = valueTemplate_;
    const int rowHeight = t->y() + t->height() - l->y() + 2;
    const int columns = (Count() + 1) / 2;
    const int columnWidth = areaWidth_ / columns;
    const int step = t->width() > columnWidth ? t->width() : std::min(columnWidth, 4 * t->width());
    const bool showValues = v && v->width() + t->width() <= step;
    // The templates are placed too: read their places first.
    const int knobTop = t->y(), labelTop = l->y(), knobWidth = t->width(), knobHeight = t->height();
    const int labelHeight = l->height();
    const QSize valueSize = v ? v->size() : QSize();
    for (int i = 0; i < Count(); ++i) {
        TKnobRowEntry& e = GuiEntry(i);
        const int x = areaLeft_ + (i / 2) * step;
        const int row = i % 2;
        const QRect before = e.Knob->geometry();
        e.Knob->SetBounds(x, knobTop + row * rowHeight, knobWidth, knobHeight);
        e.Knob->ShowTrackHint = !showValues;
        e.Knob->show();
        if (e.Knob->geometry() != before) e.Knob->update();
        e.CaptionLabel->setGeometry(x, labelTop + row * rowHeight, step - 2, labelHeight);
        e.CaptionLabel->show();
        if (!e.ValueLabel) continue;
        if (showValues) {
            e.ValueLabel->setGeometry(e.Knob->x() + e.Knob->width(), e.Knob->y() + e.Knob->height() - valueSize.height(),
                                      valueSize.width(), valueSize.height());
            e.ValueLabel->show();
        } else {
            e.ValueLabel->hide();
        }
    }
}

int TKnobRow::IndexOf(const QWidget* control) const {
    for (int i = 0; i < Count(); ++i) {
        const TKnobRowEntry& e = GuiEntry(i);
        if (control == e.Knob || control == e.CaptionLabel || control == e.ValueLabel) return i;
    }
    return -1;
}

void TKnobRow::KnobTrack(TRotaryKnob* knob) {
    const int i = IndexOf(knob);
    if (i >= 0) SendTurn(i);
}

void TKnobRow::KnobPosChange(TRotaryKnob* knob) {
    const int i = IndexOf(knob);
    if (i < 0) return;
    TKnobList::SetValue(i, knob->Position()); // turned by hand, by a key or set: the list keeps it
    if (!ValueLabel(i)) return;
    if (auto text = KnobValueText(DisplayMode(i), Value(i))) ValueLabel(i)->setText(QString::fromStdString(*text));
}

void TKnobRow::KnobTrackHint(TRotaryKnob* knob, QString& caption) {
    const int i = IndexOf(knob);
    if (i >= 0) caption = QString::fromStdString(::KnobTrackHint(Caption(i), DisplayMode(i), Value(i)));
}

void TKnobRow::DoubleClick(const QWidget* control) {
    const int i = IndexOf(control);
    if (i < 0) return;
    SetValue(i, DefaultValue(i));
    SendTurn(i);
}
