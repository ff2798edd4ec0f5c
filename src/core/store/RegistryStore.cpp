#include "store/RegistryStore.h"

#include "store/Names.h"

#include <cstdlib>
#include <filesystem>

std::string RegistryFilePath(const std::string& company, const std::string& program, const std::string& copy) {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && *xdg) base = xdg;
    else if (home && *home) base = std::filesystem::path(home) / ".config";
    else base = std::filesystem::current_path() / ".config";
    return (base / company / program / (copy + ".reg")).string();
}

bool SplitProgramKey(const std::string& company, const std::string& program, const std::string& keyPath,
                     std::string& copy, std::string& key) {
    key = keyPath;
    if (!key.empty() && key[0] == '\\') key.erase(0, 1);
    const std::string programKey = "Software\\" + company + "\\" + program + "\\";
    if (key.size() <= programKey.size() || !SameName(key.substr(0, programKey.size()), programKey)) return false;
    std::string rest = key.substr(programKey.size());
    copy = rest.substr(0, rest.find('\\'));
    return !copy.empty();
}

std::string SectionKeyPath(const std::string& root, const std::string& section) {
    const std::size_t b = section.find_first_not_of('\\');
    if (b == std::string::npos) return root;
    const std::size_t e = section.find_last_not_of('\\');
    return root + "\\" + section.substr(b, e - b + 1);
}

void CheckChangeableSection(const std::string& section) {
    const std::size_t start = section.find_first_not_of('\\');
    if (start == std::string::npos || section.back() == '\\' || section.find("\\\\", start) != std::string::npos)
        throw EStoreError("Invalid key name \"" + section + "\"");
}
