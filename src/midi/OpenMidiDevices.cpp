#include "midi/MidiOut.h"

#include "platform/Names.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

std::array<std::unique_ptr<std::vector<std::string>>, 2> g_lists;

std::vector<std::string>& List(TMidiDeviceKind kind) {
    auto& list = g_lists[static_cast<std::size_t>(kind)];
    if (!list) list = std::make_unique<std::vector<std::string>>();
    return *list;
}

} // namespace

void OpenMidiDevices::Add(TMidiDeviceKind kind, const std::string& name) {
    if (!Contains(kind, name)) List(kind).push_back(name);
}

void OpenMidiDevices::Remove(TMidiDeviceKind kind, const std::string& name) {
    auto& list = List(kind);
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const std::string& n) { return SameName(n, name); });
    if (it != list.end()) list.erase(it);
}

bool OpenMidiDevices::Contains(TMidiDeviceKind kind, const std::string& name) {
    const auto& list = List(kind);
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& n) { return SameName(n, name); });
}

std::vector<std::string> OpenMidiDevices::Names(TMidiDeviceKind kind) { return List(kind); }

void OpenMidiDevices::Clear() {
    for (auto& l : g_lists) l.reset();
}

bool IsLoopbackName(const std::string& deviceName) {
    // ALSA's "Midi Through" echoes everything it is sent, like the loopback drivers.
    static const char* const prefixes[] = {"LB1", "LB2", "LB3", "LB4", "MIDI Yoke Junction:",
                                           "MIDI Yoke NT:", "Midi Through:"};
    return std::any_of(std::begin(prefixes), std::end(prefixes),
                       [&](const char* prefix) { return StartsWithName(deviceName, prefix); });
}
