#include "midi/Midimenu.h"

#include "mainwindow/ProgramNames.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <cctype>

namespace {

constexpr const char* DefaultRegPath = "Company\\Program Name";

// Lower case (ASCII) without any space: how stored names meet captions.
std::string Folded(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::int32_t TagOf(const QAction* item) { return item->data().toInt(); }

// Shows the hourglass for as long as it lives.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TMidiMenuBase::TMidiMenuBase(QObject* parent) : QObject(parent) {}

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
    const std::uint32_t count = GetNumDevs();
    for (std::uint32_t i = 0; i < count; ++i) {
        try {
            SetDeviceID(static_cast<std::int32_t>(i));
        } catch (const std::exception& e) {
            if (OnError) OnError(this, e.what());
            continue;
        }
        QAction* item = AddItem(GetDeviceName(), static_cast<std::int32_t>(i));
        connect(item, &QAction::triggered, this, [this, item] { SelectDevice(item); });
    }
    Close();
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

void TMidiMenuBase::SelectDevice(QAction* item) {
    if (TagOf(item) == GetDeviceID()) return;
    try {
        TWaitCursor wait;
        Open(TagOf(item));
    } catch (const std::exception& e) {
        if (OnError) OnError(this, e.what());
        try {
            Close(); // a failed choice leaves the menu at "none"
        } catch (const std::exception& again) {
            if (OnError) OnError(this, again.what());
        }
    }
    UpdateChecks();
}

void TMidiMenuBase::SelectNone() {
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
        if (!item->isSeparator()) item->setChecked(TagOf(item) == GetDeviceID() && !IsClosed());
    if (!items.isEmpty()) items.front()->setChecked(IsClosed());
}

void TMidiMenuBase::LoadFromRegPath() {
    if (!baseMenu_ || RegPath.empty() || RegPath == DefaultRegPath) return;
    auto store = OpenRegistryStore("\\Software\\" + RegPath);
    if (store) LoadFromRegistry(*store);
}

bool TMidiMenuBase::Names(QAction* item, const std::string& stored) const {
    return Folded(item->property("caption").toString().toStdString()) == Folded(stored);
}

void TMidiMenuBase::LoadFromRegistry(TIniStore& store) {
    Close();
    const std::string stored = store.ReadString(RegKey, GetRegValueName(), "");
    const auto items = baseMenu_->actions();
    if (!stored.empty() && stored != "(none)") {
        for (QAction* item : items) {
            if (item->isSeparator() || !Names(item, stored)) continue;
            SelectDevice(item);
            break;
        }
    } else if (stored.empty() && DefaultMidiMapper && items.size() > 2) {
        SelectDevice(items[2]);
    }
}

void TMidiMenuBase::SaveToRegistry(TIniStore& store) {
    store.WriteString(RegKey, GetRegValueName(), IsClosed() ? "(none)" : GetDeviceName());
}

// --- input ------------------------------------------------------------------

TMidiInMenu::TMidiInMenu(QObject* parent, MidiInDriver& driver)
    : TMidiMenuBase(parent), driver_(driver), port_(driver) {
    Close();
}

void TMidiInMenu::SetActiveSensing(bool value) {
    activeSensing_ = value;
    port_.SetPassActiveSensing(value);
}

void TMidiInMenu::SetTimingClock(bool value) {
    timingClock_ = value;
    port_.SetPassTimingClock(value);
}

void TMidiInMenu::LoadFromRegistry(TIniStore& store) {
    TMidiMenuBase::LoadFromRegistry(store);
    SetActiveSensing(store.ReadBool(RegKey, "ActiveSensing", activeSensing_));
    SetTimingClock(store.ReadBool(RegKey, "TimingClock", timingClock_));
}

void TMidiInMenu::SaveToRegistry(TIniStore& store) {
    TMidiMenuBase::SaveToRegistry(store);
    store.WriteBool(RegKey, "ActiveSensing", activeSensing_);
    store.WriteBool(RegKey, "TimingClock", timingClock_);
}

// --- output -----------------------------------------------------------------

TMidiOutMenu::TMidiOutMenu(QObject* parent, MidiOutDriver& driver)
    : TMidiMenuBase(parent), driver_(driver), port_(driver) {
    Close();
}

void TMidiOutMenu::SetBaseMenu(QMenu* menu) {
    const bool first = !baseMenu_;
    TMidiMenuBase::SetBaseMenu(menu);
    if (!first || !baseMenu_ || !driver_.HasMapper()) return;
    try {
        SetDeviceID(MIDI_MAPPER);
        mapperName_ = GetDeviceName();
        SetDeviceID(NoMidiDevice);
    } catch (const std::exception& e) {
        if (OnError) OnError(this, e.what());
    }
    auto* item = new QAction("Midi-Mapper", baseMenu_);
    item->setData(MIDI_MAPPER);
    item->setProperty("caption", "Midi-Mapper");
    item->setCheckable(true);
    const auto items = baseMenu_->actions();
    baseMenu_->insertAction(items.size() > 2 ? items[2] : nullptr, item);
    connect(item, &QAction::triggered, this, [this, item] { SelectDevice(item); });
}

bool TMidiOutMenu::Names(QAction* item, const std::string& stored) const {
    // The mapper is stored under the system's name for it, not under its caption.
    if (TagOf(item) == MIDI_MAPPER && !mapperName_.empty() && Folded(mapperName_) == Folded(stored))
        return true;
    return TMidiMenuBase::Names(item, stored);
}
