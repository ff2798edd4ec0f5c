#pragma once
// The "Settings" dialog: shows the keyboard's, the main window's and the
// controller mapping's values and writes them back on Apply or OK. The key
// width, the old-style keyboard and the arrow buttons act at once and Cancel
// undoes them. While it is visible, controllers sent or received pick the
// code in the focused combo box (controller learning).
#include "mainwindow/ControllerInputs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class TTonecast2;
class TUpDown;
class TVKEdit;

class TSettings : public QDialog {
    Q_OBJECT
public:
    explicit TSettings(TTonecast2* mainWindow);

    QTabWidget* PageControl;
    QWidget* GeneralTab;
    QWidget* PlayingTab;
    QWidget* ControllerTab;
    QWidget* JoystickTab;
    QWidget* MouseWheelTab;
    // General
    QRadioButton* RBInternational;
    QRadioButton* RBGerman;
    QRadioButton* RBFrench;
    QGroupBox* GBAppearance;
    QLabel* LKeyWidth;
    QCheckBox* CBOldStyle;
    QCheckBox* CBShowArrows;
    // Playing
    TVKEdit* EUpperKey;
    QPushButton* BUpperDefault;
    TVKEdit* ELowerKey;
    QPushButton* BLowerDefault;
    QLineEdit* EVelocity;
    TUpDown* UDVelocity;
    QLineEdit* EShiftPercent;
    TUpDown* UDShiftPercent;
    QRadioButton* RBLouder;
    QRadioButton* RBQuieter;
    // Controller
    QComboBox* CBUpDown;
    QComboBox* CBLeftRight;
    QComboBox* CBModWheel;
    // Joystick
    QComboBox* CBJoystickAction;
    QComboBox* CBJoystickController;
    QCheckBox* CBNoAutoChoice;
    // Mouse Wheel
    QComboBox* CBWheelController;
    QSlider* TBSensitivity;
    QPushButton* BOK;
    QPushButton* BApply;
    QPushButton* BCancel;

    void Apply();
    // A controller (0..127) or the pitch wheel (128) the main window sent or received.
    void LearnController(int code);
    const TJoystickTable& JoystickTableCopy() const { return joystickTable_; }

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
    void SetDefaultKey(TVKEdit* edit, int scanCode);
    void Cancel();

    TTonecast2* main_;
    QSlider* keyWidth_;          // the main window's, lent to the dialog while it exists
    QWidget* keyWidthOwner_;     // where it goes back to
    int keyWidthBaseline_ = 0;
    bool oldStyleBaseline_ = false;
    bool arrowsBaseline_ = true;
    bool shownOnce_ = false;
    TJoystickTable joystickTable_;
};
