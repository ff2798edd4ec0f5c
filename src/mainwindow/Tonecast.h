#pragma once
// The instrument form: the controls that produce messages, routed to one
// output event. It knows nothing about MIDI devices.
#include "platform/IniStore.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>

class TTonecast : public QMainWindow {
    Q_OBJECT
public:
    explicit TTonecast(QWidget* parent = nullptr);

    using TOutputEvent = std::function<void(std::uint8_t, std::uint8_t, std::uint8_t)>;
    TOutputEvent OutputEvent; // where every produced message goes

    int DesignHeight() const { return designHeight_; }
    int DesignWidth() const { return designWidth_; }
    const std::string& SettingsSection() const { return settingsSection_; }
    int PlacementFlags() const { return placementFlags_; }
    std::uint8_t ModulationController() const { return modulationController_; }

    virtual void UpdateFromKeyboard() {}
    virtual int MinimumWidth() const;
    virtual int MaximumWidth() const;
    virtual void LoadSettings(TIniStore& store);
    virtual void SaveSettings(TIniStore& store);

protected:
    void resizeEvent(QResizeEvent* event) override;

    int designHeight_;
    int designWidth_;
    std::uint8_t modulationController_ = 1;
    std::string settingsSection_ = "KeyboardForm";
    int placementFlags_ = 7;
};
