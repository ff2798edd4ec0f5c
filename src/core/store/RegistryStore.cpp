#include "store/RegistryStore.h"

#include "store/Names.h"
#include "store/RegistryFile.h"

#include <cstdlib>
#include <filesystem>

namespace {

const std::string HiveName = "HKEY_CURRENT_USER";

// The program copy that a key belongs to, and the key without its leading "\".
bool CopyOfKey(const std::string& company, const std::string& program, const std::string& keyPath,
               std::string& copy, std::string& key) {
    key = keyPath;
    if (!key.empty() && key[0] == '\\') key.erase(0, 1);
    const std::string programKey = "Software\\" + company + "\\" + program + "\\";
    if (key.size() <= programKey.size() || !SameName(key.substr(0, programKey.size()), programKey)) return false;
    std::string rest = key.substr(programKey.size());
    copy = rest.substr(0, rest.find('\\'));
    return !copy.empty();
}

} // namespace

std::string RegistryFilePath(const std::string& company, const std::string& program, const std::string& copy) {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && *xdg) base = xdg;
    else if (home && *home) base = std::filesystem::path(home) / ".config";
    else base = std::filesystem::current_path() / ".config";
    return (base / company / program / (copy + ".reg")).string();
}

std::unique_ptr<TIniStore> OpenRegistryStore(const std::string& company, const std::string& program,
                                             const std::string& keyPath) {
    std::string copy, key;
    if (!CopyOfKey(company, program, keyPath, copy, key)) return nullptr;
    return std::make_unique<TRegistryFileStore>(RegistryFilePath(company, program, copy), HiveName + "\\" + key);
}

bool RegKeyExists(const std::string& company, const std::string& program, const std::string& hive,
                  const std::string& path) {
    if (hive != HiveName) return false;
    auto store = OpenRegistryStore(company, program, path);
    return store && store->SectionExists("");
}
