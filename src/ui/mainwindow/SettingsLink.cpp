#include "mainwindow/SettingsLink.h"

#include "dialogs/WindowPlacement.h"
#include "mainwindow/InstrumentForm.h"
#include "mainwindow/JoystickPolling.h"
#include "widgets/PianoKeyboard.h"

TSettingsLink::TSettingsLink(TInstrumentForm& form, TInstrument& instrument, TJoystickPolling& joysticks,
                             std::function<void(int code)> setMouseWheelController)
    : QObject(&form), form_(form), instrument_(instrument), joysticks_(joysticks),
      setMouseWheelController_(std::move(setMouseWheelController)) {
    instrument_.AddListener(this);
}

TSettingsLink::~TSettingsLink() { instrument_.RemoveListener(this); }

void TSettingsLink::MessageShown(const TShortMessage& m) {
    if (dialog_ && dialog_->isVisible() && (m.IsControlChange() || m.IsPitchBend()))
        dialog_->LearnController(m.IsPitchBend() ? ControllerCode::PitchBend : m.data1);
}

void TSettingsLink::Open() {
    if (!dialog_) dialog_ = new TSettingsDialog(&form_, Values(), Actions());
    dialog_->pages->setCurrentWidget(dialog_->generalPage);
    PresentDialog(dialog_.data());
}

TSettingsValues TSettingsLink::Values() const {
    TPianoKeyboard* keyboard = form_.keyboard;
    TSettingsValues v;
    v.keyWidthPosition = form_.KeyWidthPosition();
    v.imagesAvailable = keyboard->ImagesAvailable();
    v.oldStyle = keyboard->PaintStyle() == TPaintStyle::Drawn;
    v.arrowsVisible = form_.ArrowsVisible();
    v.language = keyboard->Language();
    v.upperCScanCode = keyboard->UpperCScanCode();
    v.lowerCScanCode = keyboard->LowerCScanCode();
    v.velocity = keyboard->State().Velocity();
    v.velocityShiftFactor = keyboard->State().VelocityShiftFactor();
    v.upDownController = keyboard->State().UpDownController();
    v.leftRightController = keyboard->State().LeftRightController();
    v.modulationController = form_.ModulationController();
    v.mouseWheelController = instrument_.MouseWheelController();
    v.mouseWheelSensitivity = instrument_.MouseWheelSensitivity;
    v.joystickTable = instrument_.JoystickTable();
    return v;
}

TSettingsActions TSettingsLink::Actions() {
    TSettingsActions a;
    TPianoKeyboard* keyboard = form_.keyboard;
    a.apply = [this, keyboard](const TSettingsValues& v) {
        TKeyboardState& state = keyboard->State();
        state.SetUpDownController(v.upDownController);
        state.SetLeftRightController(v.leftRightController);
        keyboard->SetUpperCScanCode(v.upperCScanCode);
        keyboard->SetLowerCScanCode(v.lowerCScanCode);
        form_.SetModulationController(v.modulationController);
        setMouseWheelController_(v.mouseWheelController);
        instrument_.MouseWheelSensitivity = v.mouseWheelSensitivity;
        instrument_.JoystickTable() = v.joystickTable;
        joysticks_.Apply();
        keyboard->SetLanguage(v.language);
        state.SetVelocityShiftFactor(v.velocityShiftFactor);
        state.SetVelocity(v.velocity);
    };
    a.keyWidth = [this](int position) { form_.SetKeyWidthPosition(position); };
    a.oldStyle = [this, keyboard](bool old) {
        keyboard->SetPaintStyle(old ? TPaintStyle::Drawn : TPaintStyle::Image);
        form_.UpdateFromKeyboard();
    };
    a.arrows = [this](bool visible) { form_.SetArrowsVisible(visible); };
    return a;
}
