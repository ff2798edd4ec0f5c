#pragma once
// The instrument form: the piano keyboard and its companions, routed to one
// output event. It knows nothing about MIDI devices.
#include "dialogs/SettingsDialog.h"
#include "instrument/KeyTable.h"
#include "midi/ShortMessage.h"
#include "store/ProgramNames.h"
#include "store/IniStore.h"

#include <QMainWindow>
#include <QPixmap>

#include <cstdint>
#include <functional>

class QComboBox;
class QScreen;
class QLabel;
class QLineEdit;
class TFrameImage;
class TImageStripControl;
class TPianoKeyboard;
class TUpDown;

class TInstrumentForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TInstrumentForm(TProgramNames names = {}, QWidget* parent = nullptr);

    std::function<void(const TShortMessage&)> OutputEvent; // where every produced message goes

    TPianoKeyboard* keyboard;
    QComboBox* chordBox;
    QLineEdit* channelEdit;
    TUpDown* channelUpDown;
    TFrameImage* wheelFrames;
    TFrameImage* leftArrowFrames;
    TFrameImage* rightArrowFrames;
    TImageStripControl* pitchWheel;
    TImageStripControl* modulationWheel;
    TImageStripControl* leftArrow;
    TImageStripControl* rightArrow;
    // The key width on the settings dialog's slider scale: the drawn keyboard's
    // width, or one of three image sizes.
    static constexpr int KeyWidthMin = TSettingsDialog::KeyWidthMin;
    static constexpr int KeyWidthMax = TSettingsDialog::KeyWidthMax;
    int KeyWidthPosition() const;
    void SetKeyWidthPosition(int position);

    int DesignHeight() const { return designHeight_; }
    int DesignWidth() const { return designWidth_; }
    int PlacementFlags() const { return placementFlags_; }
    std::uint8_t ModulationController() const { return modulationController_; }
    void SetModulationController(int controller) { modulationController_ = static_cast<std::uint8_t>(controller & 0x7F); }

    virtual void UpdateFromKeyboard();
    virtual int MinimumWidth() const;
    virtual int MaximumWidth() const;
    // The base-note arrows beside the keyboard; the layout follows.
    bool ArrowsVisible() const;
    void SetArrowsVisible(bool visible);
    virtual void LoadSettings(TIniStore& store);
    virtual void SaveSettings(TIniStore& store);

    TKeyTable& KeyTable() { return keyTable_; }
    const TProgramNames& Names() const { return names_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Fixes the window's height and width limits once the bars around the form exist.
    void ApplySizeLimits();
    virtual void LayoutControls();

    TProgramNames names_;
    TKeyTable keyTable_; // the program's one key table, lent to every keyboard control
    QWidget* form_;
    int designHeight_;
    int designWidth_;
    std::uint8_t modulationController_ = 1;
    int placementFlags_ = 7;

    void showEvent(QShowEvent* event) override;

private:
    // The window moved to another screen: its pictures follow the screen's depth.
    void ScreenChanged(QScreen* screen);
    // The background tile for a colour depth; reloaded when the depth crosses 8 bits.
    void LoadBackground(int depth);
    void PaintBackground(const QRect& area);
    QPixmap background_;
    int backgroundDepth_ = 0;
    QMetaObject::Connection screenWatched_;
    void CreateWheelsAndArrows();
    void PitchWheelMouseUp(Qt::KeyboardModifiers shift);

protected:
    virtual void ChordBoxClick(int index);

private:
    void ChannelEditExit();
    void ShowChannel();
};
