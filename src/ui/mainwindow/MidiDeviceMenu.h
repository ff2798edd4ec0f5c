#pragma once
// Device choosers on a top-level menu: "none", a separator and one item per
// MIDI device; the clicked device opens, the check follows the open device,
// and the choice is saved and restored by device name. The items are a
// snapshot of the system's ports, renewed when ports come and go; an item
// opens the port of its name, wherever that port now is in the system's list.
#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"
#include "store/IniStore.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;

class TMidiMenuBase : public QObject {
    Q_OBJECT
public:
    explicit TMidiMenuBase(QObject* parent = nullptr);
    ~TMidiMenuBase() override;

    QMenu* BaseMenu() const { return baseMenu_; }
    virtual void SetBaseMenu(QMenu* menu);
    std::string RegKey = "MidiDevices";
    std::string RegPath = "Company\\Program Name";
    bool DefaultMidiMapper = false;

    using TNotifyEvent = std::function<void(TMidiMenuBase* sender)>;
    using TMidiStringEvent = std::function<void(TMidiMenuBase* sender, const std::string& err)>;
    TNotifyEvent OnAfterOpen, OnBeforeClose;
    TNotifyEvent OnRefreshed; // the system's ports were read again
    TMidiStringEvent OnError, OnTextMessage;
    // Opens the per-user registry below a key; LoadFromRegPath reads nothing without it.
    TRegistryOpener OpenRegistry;

    virtual std::int32_t GetDeviceID() const = 0;
    virtual void SetDeviceID(std::int32_t id) = 0;
    virtual std::string GetDeviceName() const = 0;
    virtual bool IsClosed() const = 0;
    bool Close();
    void Open(std::int32_t id);

    void UpdateChecks();
    // Reads the system's ports again and renews the items when they changed.
    // An open device that went away is closed; a device that went away, or
    // was remembered but missing, is opened again when it comes back.
    void RefreshDevices();
    // The device waiting to come back, if any.
    const std::string& MissingDevice() const { return missingDevice_; }
    void LoadFromRegPath();
    virtual void LoadFromRegistry(TIniStore& store);
    virtual void SaveToRegistry(TIniStore& store);
    void SelectNone();
    void SelectDevice(QAction* item);
    // As a click on the item of that device; false when there is none.
    bool SelectDeviceNamed(const std::string& name);

protected:
    virtual std::vector<std::string> DeviceNames() = 0; // the system's ports now
    virtual bool DevicesKnown() = 0;                    // the system has answered
    virtual bool OffersMapper() { return false; }
    virtual std::string GetRegValueName() const = 0;
    virtual bool OpenPort() = 0; // true when open afterwards
    virtual void StartPort() {}
    virtual void StopPort() {}
    virtual void ClosePort() = 0;
    // Whether a stored device name names this item.
    virtual bool Names(QAction* item, const std::string& stored) const;
    QAction* AddItem(const std::string& caption, std::int32_t tag);
    void Report(const std::string& text);
    // Sets the port's device to the one this item names now; false when it is gone.
    bool Locate(QAction* item, std::int32_t& id);
    bool IsOpenDevice(QAction* item) const;
    void RebuildItems();
    // The items for a new list of the system's ports: a vanished device closes, a missing one opens.
    void RenewItems(std::vector<std::string> names, bool mapper);
    void CloseVanished();
    void OpenDefaultWhenKnown();

    QMenu* baseMenu_ = nullptr;
    std::vector<std::string> deviceNames_; // the snapshot the items show
    bool mapperOffered_ = false;
    std::string missingDevice_;
    bool defaultPending_ = false; // the first device opens once there is one
    std::function<void()>* portsChanged_ = nullptr; // the driver's notification, ours while we live
};

class TMidiInMenu : public TMidiMenuBase {
    Q_OBJECT
public:
    TMidiInMenu(TMidiInput& port, TMidiInDriver& driver, QObject* parent = nullptr);

    TMidiInput& Port() { return port_; }
    bool ActiveSensing() const { return activeSensing_; }
    void SetActiveSensing(bool value);
    bool TimingClock() const { return timingClock_; }
    void SetTimingClock(bool value);
    void SetOnMidiData(std::function<void(TMidiInput*)> handler) { port_.OnMidiData = std::move(handler); }

    std::int32_t GetDeviceID() const override { return port_.DeviceID(); }
    void SetDeviceID(std::int32_t id) override { port_.SetDeviceID(id); }
    std::string GetDeviceName() const override { return port_.DeviceName(); }
    bool IsClosed() const override { return port_.IsClosed(); }
    void LoadFromRegistry(TIniStore& store) override;
    void SaveToRegistry(TIniStore& store) override;

protected:
    std::vector<std::string> DeviceNames() override;
    bool DevicesKnown() override { return driver_.PortsKnown(); }
    std::string GetRegValueName() const override { return "MidiIn"; }
    bool OpenPort() override { return port_.Open(); }
    void StartPort() override { port_.Start(); }
    void StopPort() override { port_.Stop(); }
    void ClosePort() override { port_.Close(); }

private:
    TMidiInDriver& driver_;
    TMidiInput& port_; // the instrument's
    bool activeSensing_ = false;
    bool timingClock_ = false;
};

class TMidiOutMenu : public TMidiMenuBase {
    Q_OBJECT
public:
    TMidiOutMenu(TMidiOutput& port, TMidiOutDriver& driver, QObject* parent = nullptr);
    ~TMidiOutMenu() override;

    TMidiOutput& Port() { return port_; }

    std::int32_t GetDeviceID() const override { return port_.DeviceID(); }
    void SetDeviceID(std::int32_t id) override { port_.SetDeviceID(id); }
    std::string GetDeviceName() const override { return port_.DeviceName(); }
    bool IsClosed() const override { return port_.IsClosed(); }

protected:
    std::vector<std::string> DeviceNames() override;
    bool DevicesKnown() override { return driver_.PortsKnown(); }
    bool OffersMapper() override;
    std::string GetRegValueName() const override { return "MidiOut"; }
    bool OpenPort() override { return port_.Open(); }
    void ClosePort() override { port_.Close(); }
    bool Names(QAction* item, const std::string& stored) const override;

private:
    TMidiOutDriver& driver_;
    TMidiOutput& port_; // the instrument's
    std::string mapperName_; // the system's name of its own port, as stored
};
