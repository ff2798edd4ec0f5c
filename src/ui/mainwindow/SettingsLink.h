#pragma once
// Options > Settings...: the settings dialog, opened once with the values of
// the keyboard, the form and the instrument, and what it gives back put in place.
#include "dialogs/SettingsDialog.h"
#include "instrument/Instrument.h"

#include <QObject>
#include <QPointer>

#include <functional>

class TInstrumentForm;
class TJoystickPolling;

class TSettingsLink : public QObject, private TInstrumentListener {
    Q_OBJECT
public:
    TSettingsLink(TInstrumentForm& form, TInstrument& instrument, TJoystickPolling& joysticks,
                  std::function<void(int code)> setMouseWheelController);
    ~TSettingsLink() override;

    // Creates the dialog once, on its "General" page, and shows it.
    void Open();
    TSettingsDialog* Dialog() const { return dialog_; }
    TSettingsValues Values() const;

private:
    // A visible dialog learns the controller of a message shown.
    void MessageShown(const TShortMessage& m) override;
    TSettingsActions Actions();

    TInstrumentForm& form_;
    TInstrument& instrument_;
    TJoystickPolling& joysticks_;
    std::function<void(int)> setMouseWheelController_;
    QPointer<TSettingsDialog> dialog_;
};
