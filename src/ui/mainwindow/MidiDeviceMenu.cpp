#include "mainwindow/MidiDeviceMenu.h"

#include "store/StoredSetting.h"

#include "midi/MidiPortNames.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace {

constexpr const char* DefaultRegPath = "Company\\Program Name";

std::int32_t TagOf(const QAction* item) { return item->data().toInt(); }
std::string CaptionOf(const QAction* item) { return item->property("caption").toString().toStdString(); }

// Shows the hourglass for as long as it lives.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

template <typename Driver>
std::vector<std::string> NamesOf(Driver& driver) {
    std::vector<std::string> names;
    for (const TMidiPortInfo& port : driver.Ports()) names.push_back(port.name);
    return names;
}

} // namespace

TMidiMenuBase::TMidiMenuBase(QObject* parent) : QObject(parent) {}

TMidiMenuBase::~TMidiMenuBase() {
    if (portsChanged_) *portsChanged_ = nullptr;
}

void TMidiMenuBase::Report(const std::string& text) {
    if (OnTextMessage) OnTextMessage(this, text);
}

QAction* TMidiMenuBase::AddItem(const std::string& caption, std::int32_t tag) {
    QString text = QString::fromStdString(caption);
    text.replace("&", "&&"); // a device name is no access key
    auto* item = new QAction(text, baseMenu_);
    item->setData(tag);
    item->setProperty("caption", QString::fromStdString(caption));
    item->setCheckable(true);
    baseMenu_->addAction(item);
    return item;
}

void TMidiMenuBase::SetBaseMenu(QMenu* menu) {
    if (baseMenu_ || !menu || !qobject_cast<QMenuBar*>(menu->parentWidget())) return;
    baseMenu_ = menu;
    QAction* none = AddItem("none", 0);
    none->setChecked(true);
    connect(none, &QAction::triggered, this, [this] { SelectNone(); });
    baseMenu_->addSeparator()->setData(0);
    // Systems that cannot tell when ports change are read again as the menu opens.
    connect(baseMenu_, &QMenu::aboutToShow, this, [this] { RefreshDevices(); });
    try {
        deviceNames_ = DeviceNames();
        mapperOffered_ = OffersMapper();
    } catch (const std::exception& e) {
        if (OnError) OnError(this, e.what());
    }
    RebuildItems();
    Close();
}

void TMidiMenuBase::RebuildItems() {
    // Later, not now: the item whose click brought us here may be among them.
    const auto items = baseMenu_->actions();
    for (int i = 2; i < items.size(); ++i) {
        baseMenu_->removeAction(items[i]);
        items[i]->deleteLater();
    }
    if (mapperOffered_) {
        QAction* mapper = AddItem("Midi-Mapper", OwnPortDevice);
        connect(mapper, &QAction::triggered, this, [this, mapper] { SelectDevice(mapper); });
    }
    for (std::size_t i = 0; i < deviceNames_.size(); ++i) {
        QAction* item = AddItem(deviceNames_[i], static_cast<std::int32_t>(i));
        connect(item, &QAction::triggered, this, [this, item] { SelectDevice(item); });
    }
}

void TMidiMenuBase::RefreshDevices() {
    if (!baseMenu_) return;
    std::vector<std::string> names;
    bool mapper = false;
    try {
        names = DeviceNames();
        mapper = OffersMapper();
    } catch (const std::exception&) {
        // A system that does not answer has no ports.
    }
    if (names != deviceNames_ || mapper != mapperOffered_) RenewItems(std::move(names), mapper);
    OpenDefaultWhenKnown();
    if (OnRefreshed) OnRefreshed(this);
}

void TMidiMenuBase::RenewItems(std::vector<std::string> names, bool mapper) {
    deviceNames_ = std::move(names);
    mapperOffered_ = mapper;
    RebuildItems();
    CloseVanished();
    if (IsClosed() && !missingDevice_.empty()) {
        const std::string missing = missingDevice_;
        const auto items = baseMenu_->actions();
        for (int i = 2; i < items.size(); ++i) { // below "none" and the separator
            QAction* item = items[i];
            if (!Names(item, missing)) continue;
            SelectDevice(item);
            if (IsClosed()) missingDevice_ = missing; // still waiting
            break;
        }
    }
    UpdateChecks();
}

void TMidiMenuBase::CloseVanished() {
    if (IsClosed()) return;
    const std::string name = GetDeviceName();
    const bool present = GetDeviceID() == OwnPortDevice
                             ? mapperOffered_
                             : std::find(deviceNames_.begin(), deviceNames_.end(), name) != deviceNames_.end();
    if (present) return;
    try {
        Close();
    } catch (const std::exception&) {
        // The device is gone; the port is closed all the same.
    }
    missingDevice_ = name;
    Report(name + " is no longer available.");
}

bool TMidiMenuBase::Close() {
    if (!IsClosed()) {
        const std::string name = GetDeviceName();
        Report("Closing " + name + " ...");
        if (OnBeforeClose) OnBeforeClose(this);
        StopPort();
        ClosePort();
        Report("Closed " + name + " succesfully.");
    }
    SetDeviceID(NoMidiDevice);
    return true;
}

void TMidiMenuBase::Open(std::int32_t id) {
    Close();
    SetDeviceID(id);
    if (GetDeviceID() != id) throw std::runtime_error("Invalid Device ID ?!");
    OpenPort();
    if (IsClosed()) throw std::runtime_error(GetDeviceName() + " could not be opened.");
    StartPort();
    Report("Opened " + GetDeviceName() + " succesfully.");
    if (OnAfterOpen) OnAfterOpen(this);
}

bool TMidiMenuBase::IsOpenDevice(QAction* item) const {
    if (IsClosed() || item->isSeparator()) return false;
    if (TagOf(item) == OwnPortDevice || GetDeviceID() == OwnPortDevice) return TagOf(item) == GetDeviceID();
    return CaptionOf(item) == GetDeviceName();
}

bool TMidiMenuBase::Locate(QAction* item, std::int32_t& id) {
    if (TagOf(item) == OwnPortDevice) {
        id = OwnPortDevice;
        return true;
    }
    // The port of the item's name, at its place in the system's list now.
    const auto names = DeviceNames();
    const auto it = std::find(names.begin(), names.end(), CaptionOf(item));
    if (it == names.end()) return false;
    id = static_cast<std::int32_t>(it - names.begin());
    return true;
}

void TMidiMenuBase::SelectDevice(QAction* item) {
    missingDevice_.clear();
    defaultPending_ = false;
    if (IsOpenDevice(item)) {
        UpdateChecks(); // the click toggled the check off
        return;
    }
    const std::string caption = CaptionOf(item);
    try {
        TWaitCursor wait;
        std::int32_t id = 0;
        if (!Locate(item, id)) throw std::runtime_error(caption + " could not be opened.");
        Open(id);
    } catch (const std::exception& e) {
        if (OnError) OnError(this, e.what());
        try {
            Close(); // a failed choice leaves the menu at "none"
        } catch (const std::exception& again) {
            if (OnError) OnError(this, again.what());
        }
    }
    // The item may be gone now: a port that went away takes its item along.
    RefreshDevices();
    UpdateChecks();
}

void TMidiMenuBase::SelectNone() {
    missingDevice_.clear();
    defaultPending_ = false;
    try {
        TWaitCursor wait;
        Close();
    } catch (const std::exception& e) {
        if (OnError) OnError(this, e.what());
    }
    UpdateChecks();
}

void TMidiMenuBase::UpdateChecks() {
    if (!baseMenu_) return;
    const auto items = baseMenu_->actions();
    for (QAction* item : items)
        if (!item->isSeparator()) item->setChecked(IsOpenDevice(item));
    if (!items.isEmpty()) items.front()->setChecked(IsClosed());
}

void TMidiMenuBase::LoadFromRegPath() {
    if (!baseMenu_ || RegPath.empty() || RegPath == DefaultRegPath) return;
    auto store = OpenRegistry ? OpenRegistry("\\Software\\" + RegPath) : nullptr;
    if (store) LoadFromRegistry(*store);
}

bool TMidiMenuBase::SelectDeviceNamed(const std::string& name) {
    if (!baseMenu_) return false;
    for (QAction* item : baseMenu_->actions())
        if (!item->isSeparator() && CaptionOf(item) == name) {
            SelectDevice(item);
            return true;
        }
    return false;
}

bool TMidiMenuBase::Names(QAction* item, const std::string& stored) const {
    return NamesDevice(CaptionOf(item), stored);
}

void TMidiMenuBase::LoadFromRegistry(TIniStore& store) {
    Close();
    const std::string stored = store.ReadString(RegKey, GetRegValueName(), "");
    const auto items = baseMenu_->actions();
    if (!stored.empty() && stored != "(none)") {
        bool found = false;
        for (QAction* item : items) {
            if (item->isSeparator() || !Names(item, stored)) continue;
            SelectDevice(item);
            found = true;
            break;
        }
        // A remembered device that is not there now opens when it appears.
        if (!found || IsClosed()) missingDevice_ = stored;
    } else if (stored.empty() && DefaultMidiMapper) {
        defaultPending_ = true;
        OpenDefaultWhenKnown();
    }
}

void TMidiMenuBase::OpenDefaultWhenKnown() {
    // A system still being asked for its devices gives the first one when it answers.
    if (!defaultPending_ || !DevicesKnown()) return;
    defaultPending_ = false;
    const auto items = baseMenu_->actions();
    if (IsClosed() && items.size() > 2) SelectDevice(items[2]);
}

void TMidiMenuBase::SaveToRegistry(TIniStore& store) {
    // A device that is only away for now stays remembered.
    const std::string name = !IsClosed() ? GetDeviceName() : !missingDevice_.empty() ? missingDevice_ : "(none)";
    store.WriteString(RegKey, GetRegValueName(), name);
}

// --- input ------------------------------------------------------------------

TMidiInMenu::TMidiInMenu(TMidiInput& port, TMidiInDriver& driver, QObject* parent)
    : TMidiMenuBase(parent), driver_(driver), port_(port) {
    Close();
    portsChanged_ = &driver_.OnPortsChanged;
    *portsChanged_ = [this] { RefreshDevices(); };
}

std::vector<std::string> TMidiInMenu::DeviceNames() { return NamesOf(driver_); }

void TMidiInMenu::SetActiveSensing(bool value) {
    activeSensing_ = value;
    port_.SetPassActiveSensing(value);
}

void TMidiInMenu::SetTimingClock(bool value) {
    timingClock_ = value;
    port_.SetPassTimingClock(value);
}

namespace {
// Whether active sensing and timing clock pass the input, stored beside its device.
constexpr TBoolSetting ActiveSensingSetting{"ActiveSensing", false};
constexpr TBoolSetting TimingClockSetting{"TimingClock", false};
} // namespace

void TMidiInMenu::LoadFromRegistry(TIniStore& store) {
    TMidiMenuBase::LoadFromRegistry(store);
    const TSettingsSection section(store, RegKey);
    SetActiveSensing(section.Read(ActiveSensingSetting, activeSensing_));
    SetTimingClock(section.Read(TimingClockSetting, timingClock_));
}

void TMidiInMenu::SaveToRegistry(TIniStore& store) {
    TMidiMenuBase::SaveToRegistry(store);
    const TSettingsSection section(store, RegKey);
    section.Write(ActiveSensingSetting, activeSensing_);
    section.Write(TimingClockSetting, timingClock_);
}

// --- output -----------------------------------------------------------------

TMidiOutMenu::TMidiOutMenu(TMidiOutput& port, TMidiOutDriver& driver, QObject* parent)
    : TMidiMenuBase(parent), driver_(driver), port_(port) {
    Close();
    portsChanged_ = &driver_.OnPortsChanged;
    *portsChanged_ = [this] { RefreshDevices(); };
    // A device that fails after it opened (a sound font that does not load)
    // is closed and reported as a failed open is.
    port_.OnFailed = [this](const std::string& why) {
        try {
            Close();
        } catch (const std::exception&) {
            // It failed already; closed all the same.
        }
        UpdateChecks();
        if (OnError) OnError(this, why);
    };
}

TMidiOutMenu::~TMidiOutMenu() { port_.OnFailed = nullptr; }

std::vector<std::string> TMidiOutMenu::DeviceNames() { return NamesOf(driver_); }

bool TMidiOutMenu::OffersMapper() {
    const auto own = driver_.OwnPort();
    if (!own) return false;
    if (mapperName_.empty()) mapperName_ = own->name;
    return true;
}

bool TMidiOutMenu::Names(QAction* item, const std::string& stored) const {
    // The mapper is stored under the system's name for it, not under its caption.
    if (TagOf(item) == OwnPortDevice && !mapperName_.empty() && NamesDevice(mapperName_, stored)) return true;
    return TMidiMenuBase::Names(item, stored);
}
