#pragma once
// The on-screen piano keyboard: a view of a TKeyboardState. It draws the 128
// notes scrolled by BaseNote, in drawn or image style, and plays mouse
// gestures and computer keys into the state. It is given the state it shows
// (the instrument's, in the main window) or keeps one of its own, whose
// messages leave by OnNote.
#include "instrument/KeyGeometry.h"
#include "widgets/KeyboardHook.h"
#include "widgets/KeyLegendsView.h"
#include "instrument/KeyTable.h"
#include "instrument/KeyboardSettings.h"
#include "instrument/KeyboardState.h"
#include "store/IniStore.h"

#include <QPixmap>
#include <QWidget>

#include <array>
#include <bitset>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class TMouseButton { Left, Right, Middle };

class TPianoKeyboard : public QWidget {
    Q_OBJECT
public:
    // The key table is the program's, lent for the control's lifetime.
    explicit TPianoKeyboard(TKeyTable& keys, QWidget* parent = nullptr);
    ~TPianoKeyboard() override;

    using TNoteEvent = std::function<void(TPianoKeyboard* sender, const TShortMessage& message)>;
    using TStringEvent = std::function<void(TPianoKeyboard* sender, const std::string& text)>;
    using TMouseNoteEvent =
        std::function<void(TPianoKeyboard* sender, int& note, TMouseButton button, int shift)>;
    TNoteEvent OnNote;
    TNoteEvent OnDisplayEvent;
    TStringEvent OnNoteHover;
    TStringEvent OnBaseNoteChange;
    std::function<void(TPianoKeyboard* sender)> OnOctaveChange;
    TMouseNoteEvent OnMousePress, OnMouseDrag, OnMouseRelease;

    std::string RegKey = "Keyboard";
    bool EnableBaseNoteDrag = true;

    // Layout and drawing.
    int BaseNote() const { return baseNote_; }
    void SetBaseNote(int note);
    int MarkNote() const { return markNote_; }
    void SetMarkNote(int note);
    int ShadowWidth() const { return shadowWidth_; }
    void SetShadowWidth(int width);
    int KeyWidth() const { return keyWidth_; }
    void SetKeyWidth(int width);
    TLanguage Language() const { return language_; }
    void SetLanguage(TLanguage language);
    TPaintStyle PaintStyle() const { return paintStyle_; }
    void SetPaintStyle(TPaintStyle style);
    TImageSize ImageSize() const { return imageSize_; }
    void SetImageSize(TImageSize size);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool tabStop);
    bool ImagesAvailable() const { return imagesAvailable_; }
    int ScrollOffset() const { return scrollOffset_; }

    int BaseNoteWhiteIndex() const { return KeyGeometry::BaseNoteWhiteIndex(baseNote_); }
    void SetBaseNoteWhiteIndex(int index) { SetBaseNote(KeyGeometry::NoteOfWhiteIndex(index)); }
    int NoteAt(int x, int y);
    std::string NoteName(int note) const { return KeyGeometry::NoteName(note, language_); }
    std::string DisplayName(int note) const;
    // A patch's names for its keys, copied; none for the plain note names.
    void SetNoteNames(const std::array<std::string, 128>* names);
    int FullWidth() const { return KeyGeometry::WhiteKeyCount * keyWidth_; }
    int ImageHeight() const;
    void RedrawNote(int note);
    // The display changed to this many bits per pixel.
    void DisplayChanged(int bitsPerPixel);
    int LastVisibleNote() const;
    QRect KeyRect(int note) const; // on screen
    QRect DotRect(int note) const; // the box of a drawn key's dot

    // Playing: the state the keyboard draws and its gestures play into.
    TKeyboardState& State() { return *state_; }
    const TKeyboardState& State() const { return *state_; }
    // Shows and plays into the given state from now on; null goes back to its own.
    void SetState(TKeyboardState* state);
    // Ends the notes of the mouse and the computer keys, and forgets the gestures.
    void ReleaseAll();
    void ResetAll();

    // The focus cursor: arrow keys move it, Space plays its note while held.
    int FocusNote() const { return focusNote_; }
    void SetFocusNote(int note);
    // Its note's name, and whether it sounds, as assistive technology reads it.
    std::string FocusNoteText() const;
    QRect FocusRect(int note) const;

    // The computer-keyboard manuals.
    int KeyOctave() const { return keyOctave_; }
    void SetKeyOctave(int octave);
    void OctaveDown();
    void OctaveUp();
    int UpperCScanCode() const { return upperC_; }
    void SetUpperCScanCode(int scanCode);
    int LowerCScanCode() const { return lowerC_; }
    void SetLowerCScanCode(int scanCode);
    static bool IsValidUpperCKey(int scanCode);
    static bool IsValidLowerCKey(int scanCode);
    // The caps of the keys that play each piano key, drawn on it; off by default.
    bool ShowKeyLegends() const { return legends_.Shown(); }
    void SetShowKeyLegends(bool show) { legends_.SetShown(show); }
    // Where the caps come from; lent, null for the US layout.
    void SetKeyLayout(TKeyLayout* layout) { legends_.SetLayout(layout); }
    const std::string& KeyLegend(int note) { return legends_.Legend(note, keyOctave_); }
    bool CaptureKeyboard() const { return captureKeyboard_; }
    void SetCaptureKeyboard(bool capture);
    void KeyHandler(const TKeyData& data, bool& handled);

    void LoadSettings(TIniStore& store);
    void SaveSettings(TIniStore& store);

    QSize sizeHint() const override { return {100, 30}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    KeyGeometry::TLayout Layout() const { return {keyWidth_, paintStyle_, imageSize_}; }
    bool ApplyBaseNote(int note, bool force);
    void ScrollRepaint(int oldOffset, int newOffset);
    void UpdateLimits();
    void PaintRange(QPainter& p, int from, int to);
    void PaintDrawnKey(QPainter& p, int note);
    void PaintDot(QPainter& p, int note);
    void PaintImageKey(QPainter& p, int note, int neighbours); // 0 none, 1 left, 2 both
    void PaintLegends(QPainter& p, int from, int to);
    void ReleaseFocusNote();
    void TellFocusNote();
    bool LoadImages();
    void FreeImages();
    void Press(TMouseButton button, int shift, int x, int y);
    void Release(TMouseButton button, int shift, int x, int y);
    // Buttons the control holds but the event says are up lost their release
    // to someone else (a box, a grab, Alt+Tab): they are released now.
    void ForgetLostButtons(const QMouseEvent& event);
    void ForgetGestures();
    void DragBaseNote(int x);
    void UpdateCursor(int shift);
    static int ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

    TKeyboardState ownState_;
    TKeyboardState* state_ = &ownState_;
    int baseNote_ = KeyboardSettings::BaseNote.def;
    int scrollOffset_ = 0;
    int markNote_ = KeyboardSettings::MarkNote.def;
    int shadowWidth_ = KeyboardSettings::ShadowWidth.def;
    int keyWidth_ = KeyboardSettings::KeyWidth.def;
    TLanguage language_ = static_cast<TLanguage>(KeyboardSettings::Language.def);
    TPaintStyle paintStyle_ = static_cast<TPaintStyle>(KeyboardSettings::PaintStyle.def);
    TImageSize imageSize_ = static_cast<TImageSize>(KeyboardSettings::ImageSize.def);
    bool imagesAvailable_;
    int lastHoveredNote_ = 0;
    std::unique_ptr<std::array<std::string, 128>> patchNoteNames_;

    // Derived bitmaps of the image style.
    struct TKeyImages {
        QPixmap blackUp, blackDown;
        std::array<QPixmap, 7> whiteUp, whiteDown; // by white index; F and B share C's and E's
        std::vector<std::uint8_t> hitMap;
    };
    std::optional<TKeyImages> images_;
    int imageDepth_;           // bits per pixel the colour set is chosen for
    qreal imageRatio_ = 1.0;   // device pixel ratio of the screen last painted on

    int keyOctave_ = KeyboardSettings::KeyOctave.def;
    int upperC_ = KeyboardSettings::UpperCKey.def;
    int lowerC_ = KeyboardSettings::LowerCKey.def;
    bool captureKeyboard_ = false;
    TKeyTable& keys_;
    TKeyboardHook hook_;
    TKeyLegendsView legends_;
    std::bitset<256> keysDown_; // by scan code: keys whose press played a note

    int focusNote_ = 60;
    int focusNoteHeld_ = -1; // the note Space plays, -1 when none

    // Mouse gesture.
    std::vector<TMouseButton> buttonsDown_;
    int noteUnderMouse_ = -1;
    int dragStartX_ = 0, dragStartOffset_ = 0;
    bool handCursor_ = false;
};
