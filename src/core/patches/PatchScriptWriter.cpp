#include "patches/PatchScriptWriter.h"

namespace {

void WritePrograms(const TPatchModeGroup& group, int level, bool swap, std::string& out) {
    for (std::size_t i = 0; i < group.ProgramCount(); ++i) {
        const TPatchProgram& p = *group.Program(i);
        std::int32_t first = swap ? p.LSB() : p.MSB(), second = swap ? p.MSB() : p.LSB();
        out += "[p" + std::to_string(level) + ", " + std::to_string(p.Program()) + ", " +
               std::to_string(first) + ", " + std::to_string(second) + "] " + p.Name() + "\n";
        if (const TKeyNames* keys = p.KeyNames())
            for (std::size_t k = 0; k < keys->size(); ++k)
                if (!(*keys)[k].empty()) out += "[k " + std::to_string(k) + "] " + (*keys)[k] + "\n";
    }
}

void WriteGroups(const TPatchModeGroup& group, int level, bool swap, std::string& out);

void WriteGroup(const TPatchModeGroup& group, int level, bool swap, std::string& out) {
    out += "[g" + std::to_string(level - 1) + "] " + group.Name() + "\n";
    if (group.Sorted()) out += "[sorted]\n";
    WritePrograms(group, level, swap, out);
    WriteGroups(group, level, swap, out);
}

void WriteGroups(const TPatchModeGroup& group, int level, bool swap, std::string& out) {
    for (std::size_t i = 0; i < group.GroupCount(); ++i) WriteGroup(*group.Group(i), level + 1, swap, out);
}

bool SameGroup(const TPatchModeGroup& a, const TPatchModeGroup& b) {
    if (a.Name() != b.Name() || a.Sorted() != b.Sorted() || a.MidiChannel() != b.MidiChannel() ||
        a.ProgramCount() != b.ProgramCount() || a.GroupCount() != b.GroupCount())
        return false;
    for (std::size_t i = 0; i < a.ProgramCount(); ++i) {
        const TPatchProgram &p = *a.Program(i), &q = *b.Program(i);
        if (p.Name() != q.Name() || p.MSB() != q.MSB() || p.LSB() != q.LSB() ||
            p.Program() != q.Program() || !p.KeyNames() != !q.KeyNames())
            return false;
        if (p.KeyNames() && *p.KeyNames() != *q.KeyNames()) return false;
    }
    for (std::size_t i = 0; i < a.GroupCount(); ++i)
        if (!SameGroup(*a.Group(i), *b.Group(i))) return false;
    return true;
}

} // namespace

std::string WritePatchScript(const TPatchSet& list) {
    std::string out = "[cubase parse file]\n[parser version 1]\n";
    auto text = [&out](const char* command, const std::string& value) {
        out += std::string("[") + command + "]" + (value.empty() ? "" : " " + value) + "\n";
    };
    text("creators first name", list.CreatorFirstName);
    text("creators last name", list.CreatorLastName);
    text("device manufacturer", list.DeviceManufacturer);
    text("device name", list.DeviceName);
    text("script name", list.ScriptName);
    text("script version", list.ScriptVersion);
    out += list.SwapValueBytes ? "[bank: do swap value bytes]\n" : "[bank: don't swap value bytes]\n";
    out += list.SendMsbFirst ? "[bank: do send msb first]\n" : "[bank: don't send msb first]\n";
    out += list.SendOnlyOneByte ? "[bank: do send only one byte]\n" : "[bank: don't send only one byte]\n";
    out += list.SendAsProgramChange ? "[bank: do send as program change]\n"
                                    : "[bank: don't send as program change]\n";
    out += "[define patchnames]\n";
    for (std::size_t m = 0; m < list.ModeCount(); ++m) {
        const TPatchModeGroup& mode = *list.Mode(m);
        if (mode.Name().empty()) {
            // A mode without a name was made by a group line before any mode
            // line (named after an empty device name): its first group makes it again.
            WriteGroups(mode, 1, list.SwapValueBytes, out);
            WritePrograms(mode, 1, list.SwapValueBytes, out);
            continue;
        }
        out += "[mode" + (mode.MidiChannel() >= 0 ? " " + std::to_string(mode.MidiChannel() + 1) : "") +
               "] " + mode.Name() + "\n";
        WritePrograms(mode, 1, list.SwapValueBytes, out);
        WriteGroups(mode, 1, list.SwapValueBytes, out);
    }
    out += "[end]\n";
    return out;
}

bool SamePatchTree(const TPatchSet& a, const TPatchSet& b) {
    if (a.CreatorFirstName != b.CreatorFirstName || a.CreatorLastName != b.CreatorLastName ||
        a.DeviceManufacturer != b.DeviceManufacturer || a.DeviceName != b.DeviceName ||
        a.ScriptName != b.ScriptName || a.ScriptVersion != b.ScriptVersion ||
        a.SwapValueBytes != b.SwapValueBytes || a.SendMsbFirst != b.SendMsbFirst ||
        a.SendOnlyOneByte != b.SendOnlyOneByte || a.SendAsProgramChange != b.SendAsProgramChange ||
        a.ModeCount() != b.ModeCount())
        return false;
    for (std::size_t i = 0; i < a.ModeCount(); ++i)
        if (!SameGroup(*a.Mode(i), *b.Mode(i))) return false;
    return true;
}
