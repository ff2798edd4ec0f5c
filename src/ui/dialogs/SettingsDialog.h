#pragma once
// The "Settings" dialog: shows the keyboard's, the main window's and the
// controller mapping's values and hands them back on Apply or OK. The key
// width, the old-style keyboard and the arrow buttons act at once and Cancel
// undoes them. While it is visible, controllers sent or received pick the
// code in the focused combo box (controller learning).
#include "instrument/ControllerInputs.h"
#include "instrument/KeyGeometry.h"

#include <QDialog>

#include <functional>

// What the dialog shows and gives back. The appearance is only shown: its
// changes go through the actions at once.
struct TSettingsValues {
    int keyWidthPosition = 1; // on the key-width slider's scale
    bool imagesAvailable = true;
    bool oldStyle = false;
    bool arrowsVisible = true;
    TLanguage language = TLanguage::International;
    int upperCScanCode = 0;
    int lowerCScanCode = 0;
    int velocity = 100;
    double velocityShiftFactor = 1.0;
    int upDownController = 0;
    int leftRightController = 0;
    int modulationController = 1;
    int mouseWheelController = 1;
    int mouseWheelSensitivity = 4;
    TJoystickTable joystickTable;
};

// What the dialog changes: the values on Apply, the appearance at once.
struct TSettingsActions {
    std::function<void(const TSettingsValues&)> apply;
    std::function<void(int position)> keyWidth;
    std::function<void(bool old)> oldStyle;
    std::function<void(bool visible)> arrows;
};

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class TUpDown;
class TKeyCaptureEdit;

class TSettingsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int KeyWidthMin = 1;
    static constexpr int KeyWidthMax = 10;

    TSettingsDialog(QWidget* parent, const TSettingsValues& values, TSettingsActions actions);

    QTabWidget* pages;
    QWidget* generalPage;
    QWidget* playingPage;
    QWidget* controllerPage;
    QWidget* joystickPage;
    QWidget* mouseWheelPage;
    // General
    QRadioButton* internationalNames;
    QRadioButton* germanNames;
    QRadioButton* frenchNames;
    QGroupBox* appearanceGroup;
    QLabel* keyWidthLabel;
    QSlider* keyWidthSlider;
    QCheckBox* oldStyleCheck;
    QCheckBox* showArrowsCheck;
    // Playing
    TKeyCaptureEdit* upperKeyEdit;
    QPushButton* upperDefaultButton;
    TKeyCaptureEdit* lowerKeyEdit;
    QPushButton* lowerDefaultButton;
    QLineEdit* velocityEdit;
    TUpDown* velocityUpDown;
    QLineEdit* shiftPercentEdit;
    TUpDown* shiftPercentUpDown;
    QRadioButton* louderRadio;
    QRadioButton* quieterRadio;
    // Controller
    QComboBox* upDownBox;
    QComboBox* leftRightBox;
    QComboBox* modWheelBox;
    // Joystick
    QComboBox* joystickActionBox;
    QComboBox* joystickControllerBox;
    QCheckBox* noAutoChoiceCheck;
    // Mouse Wheel
    QComboBox* wheelControllerBox;
    QSlider* sensitivitySlider;
    QPushButton* okButton;
    QPushButton* applyButton;
    QPushButton* cancelButton;

    void Apply();
    // A controller (0..127) or the pitch wheel (128) the main window sent or received.
    void LearnController(int code);
    const TJoystickTable& JoystickTableCopy() const { return values_.joystickTable; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* CreateGeneralTab();
    QWidget* CreatePlayingTab();
    QWidget* CreateControllerTab();
    QWidget* CreateJoystickTab();
    QWidget* CreateMouseWheelTab();
    void ShowValues();
    void ShowJoystickSlot();
    void StoreJoystickSlot();
    void NumberEntered(QLineEdit* edit, TUpDown* upDown);
    void SetDefaultKey(TKeyCaptureEdit* edit, int scanCode);
    void Cancel();

    TSettingsValues values_; // as they were when the dialog opened, then as applied
    TSettingsActions actions_;
    int keyWidthBaseline_ = 0;
    bool oldStyleBaseline_ = false;
    bool arrowsBaseline_ = true;
    bool shownOnce_ = false;
};
