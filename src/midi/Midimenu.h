#pragma once
// Device choosers on a top-level menu: "none", a separator and one item per
// MIDI device; the clicked device opens, the check follows the open device,
// and the choice is saved and restored by device name.
#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "platform/IniStore.h"

#include <QObject>

#include <functional>
#include <string>

class QAction;
class QMenu;

class TMidiMenuBase : public QObject {
    Q_OBJECT
public:
    explicit TMidiMenuBase(QObject* parent = nullptr);

    QMenu* BaseMenu() const { return baseMenu_; }
    virtual void SetBaseMenu(QMenu* menu);
    std::string RegKey = "MidiDevices";
    std::string RegPath = "Company\\Program Name";
    bool DefaultMidiMapper = false;

    using TNotifyEvent = std::function<void(TMidiMenuBase* sender)>;
    using TMidiStringEvent = std::function<void(TMidiMenuBase* sender, const std::string& err)>;
    TNotifyEvent OnAfterOpen, OnBeforeClose;
    TMidiStringEvent OnError, OnTextMessage;

    virtual std::int32_t GetDeviceID() const = 0;
    virtual void SetDeviceID(std::int32_t id) = 0;
    virtual std::uint32_t GetNumDevs() = 0;
    virtual std::string GetDeviceName() const = 0;
    virtual bool IsClosed() const = 0;
    bool Close();
    void Open(std::int32_t id);

    void UpdateChecks();
    void LoadFromRegPath();
    virtual void LoadFromRegistry(TIniStore& store);
    virtual void SaveToRegistry(TIniStore& store);
    void SelectNone();
    void SelectDevice(QAction* item);

protected:
    virtual std::string GetRegValueName() const = 0;
    virtual bool OpenPort() = 0; // true when open afterwards
    virtual void StartPort() {}
    virtual void StopPort() {}
    virtual void ClosePort() = 0;
    // Whether a stored device name names this item.
    virtual bool Names(QAction* item, const std::string& stored) const;
    QAction* AddItem(const std::string& caption, std::int32_t tag);
    void Report(const std::string& text);

    QMenu* baseMenu_ = nullptr;
};

class TMidiInMenu : public TMidiMenuBase {
    Q_OBJECT
public:
    explicit TMidiInMenu(QObject* parent = nullptr, MidiInDriver& driver = MidiInSystem());

    TMidiInput& Port() { return port_; }
    bool ActiveSensing() const { return activeSensing_; }
    void SetActiveSensing(bool value);
    bool TimingClock() const { return timingClock_; }
    void SetTimingClock(bool value);
    void SetOnMidiData(std::function<void(TMidiInput*)> handler) { port_.OnMidiData = std::move(handler); }

    std::int32_t GetDeviceID() const override { return port_.DeviceID(); }
    void SetDeviceID(std::int32_t id) override { port_.SetDeviceID(id); }
    std::uint32_t GetNumDevs() override { return driver_.GetNumDevs(); }
    std::string GetDeviceName() const override { return port_.DeviceName(); }
    bool IsClosed() const override { return port_.IsClosed(); }
    void LoadFromRegistry(TIniStore& store) override;
    void SaveToRegistry(TIniStore& store) override;

protected:
    std::string GetRegValueName() const override { return "MidiIn"; }
    bool OpenPort() override { return port_.Open(); }
    void StartPort() override { port_.Start(); }
    void StopPort() override { port_.Stop(); }
    void ClosePort() override { port_.Close(); }

private:
    MidiInDriver& driver_;
    TMidiInput port_;
    bool activeSensing_ = false;
    bool timingClock_ = false;
};

class TMidiOutMenu : public TMidiMenuBase {
    Q_OBJECT
public:
    explicit TMidiOutMenu(QObject* parent = nullptr, MidiOutDriver& driver = MidiOutSystem());

    TMidiOutput& Port() { return port_; }
    void SetBaseMenu(QMenu* menu) override;

    std::int32_t GetDeviceID() const override { return port_.DeviceID(); }
    void SetDeviceID(std::int32_t id) override { port_.SetDeviceID(id); }
    std::uint32_t GetNumDevs() override { return driver_.GetNumDevs(); }
    std::string GetDeviceName() const override { return port_.DeviceName(); }
    bool IsClosed() const override { return port_.IsClosed(); }

protected:
    std::string GetRegValueName() const override { return "MidiOut"; }
    bool OpenPort() override { return port_.Open(); }
    void ClosePort() override { port_.Close(); }
    bool Names(QAction* item, const std::string& stored) const override;

private:
    MidiOutDriver& driver_;
    TMidiOutput port_;
    std::string mapperName_; // the system's name of the mapper, as stored
};
