#include "instrument/KnobPresets.h"

#include "store/Names.h"

#include <algorithm>

bool KnobPresets::IsReserved(const std::string& name) { return SameName(name, Default) || SameName(name, Current); }

std::string KnobPresets::NameProblem(const std::string& name) {
    if (name.empty()) return "Please enter a name for the preset.";
    if (name.find_first_of("\\[]") != std::string::npos) return "A preset name cannot contain \\, [ or ].";
    return {};
}

std::vector<std::string> KnobPresets::StoredNames(TIniStore& root) {
    std::vector<std::string> names = root.ReadSubsections(Key);
    std::erase_if(names, IsReserved);
    return names;
}

std::vector<std::string> KnobPresets::MenuNames(TIniStore& root) {
    std::vector<std::string> names = StoredNames(root);
    names.emplace_back(Default);
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; });
    return names;
}

std::string KnobPresets::AfterRefresh(const std::string& current, const std::vector<std::string>& menuNames) {
    if (SameName(current, Current)) return current;
    return std::find(menuNames.begin(), menuNames.end(), current) != menuNames.end() ? current : Default;
}

KnobPresets::TSelection KnobPresets::Select(const std::string& name, const std::vector<std::string>& menuNames,
                                            bool keyExists) {
    const bool listed = SameName(name, Current) || std::find(menuNames.begin(), menuNames.end(), name) != menuNames.end();
    const std::string current = listed && keyExists ? name : Default;
    return {current, current == Default};
}

std::string KnobPresets::Section(const std::string& name) { return std::string(Key) + "\\" + name; }
