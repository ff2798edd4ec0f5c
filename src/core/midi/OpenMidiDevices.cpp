#include "midi/MidiOutput.h"

#include "store/Names.h"

#include <algorithm>

namespace {

std::vector<std::string>::const_iterator Find(const std::vector<std::string>& list, const std::string& name) {
    return std::find_if(list.begin(), list.end(), [&](const std::string& n) { return SameName(n, name); });
}

} // namespace

void TOpenMidiDevices::Add(TMidiDeviceKind kind, const std::string& name) {
    if (!Contains(kind, name)) lists_[static_cast<std::size_t>(kind)].push_back(name);
}

void TOpenMidiDevices::Remove(TMidiDeviceKind kind, const std::string& name) {
    auto& list = lists_[static_cast<std::size_t>(kind)];
    const auto it = Find(list, name);
    if (it != list.end()) list.erase(it);
}

bool TOpenMidiDevices::Contains(TMidiDeviceKind kind, const std::string& name) const {
    const auto& list = lists_[static_cast<std::size_t>(kind)];
    return Find(list, name) != list.end();
}

const std::vector<std::string>& TOpenMidiDevices::Names(TMidiDeviceKind kind) const {
    return lists_[static_cast<std::size_t>(kind)];
}

bool IsLoopbackName(const std::string& deviceName) {
    // ALSA's "Midi Through" echoes everything it is sent, like the loopback drivers.
    static const char* const prefixes[] = {"LB1", "LB2", "LB3", "LB4", "MIDI Yoke Junction:",
                                           "MIDI Yoke NT:", "Midi Through:"};
    return std::any_of(std::begin(prefixes), std::end(prefixes),
                       [&](const char* prefix) { return StartsWithName(deviceName, prefix); });
}

void RefuseFeedback(const TOpenMidiDevices& open, TMidiDeviceKind other, const std::string& name) {
    if (IsLoopbackName(name) && open.Contains(other, name))
        throw EMidiError("Opening \"" + name + "\" would create a virtual feedback loop !");
}
