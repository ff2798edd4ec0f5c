#include "mainwindow/ProgramNames.h"

#include "platform/Names.h"

#include "Version.h"
#include "platform/RegistryFile.h"

#include <cstdlib>
#include <filesystem>

namespace {
std::string g_company = "Morwent";
std::string g_exeBaseName = "tonecast";
std::string g_program = "Fendrel's Tonecast";
const std::string HiveName = "HKEY_CURRENT_USER";
} // namespace

const std::string& CompanyName() { return g_company; }
const std::string& ProgramName() { return g_program; }
const std::string& ExeBaseName() { return g_exeBaseName; }

void InitProgramNames(const std::string& executablePath) {
    std::filesystem::path path(executablePath);
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute;
    std::string stem = path.stem().string();
    if (!stem.empty()) g_exeBaseName = stem;
    g_program = "Fendrel's Tonecast";
}

std::string ComponentRegPath() { return CompanyName() + "\\" + ProgramName() + "\\" + ExeBaseName(); }

std::string RegistryRoot() { return "\\Software\\" + ComponentRegPath(); }

std::string RegistryFilePath(const std::string& exeBaseName) {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && *xdg) base = xdg;
    else if (home && *home) base = std::filesystem::path(home) / ".config";
    else base = std::filesystem::current_path() / ".config";
    return (base / CompanyName() / ProgramName() / (exeBaseName + ".reg")).string();
}

std::unique_ptr<TIniStore> OpenRegistryStore() { return OpenRegistryStore(RegistryRoot()); }

namespace {
// The program copy that a key belongs to, and the key without its leading "\".
bool CopyOfKey(const std::string& keyPath, std::string& copy, std::string& key) {
    key = keyPath;
    if (!key.empty() && key[0] == '\\') key.erase(0, 1);
    const std::string programKey = "Software\\" + CompanyName() + "\\" + ProgramName() + "\\";
    if (key.size() <= programKey.size() || !SameName(key.substr(0, programKey.size()), programKey))
        return false;
    std::string rest = key.substr(programKey.size());
    copy = rest.substr(0, rest.find('\\'));
    return !copy.empty();
}
} // namespace

std::unique_ptr<TIniStore> OpenRegistryStore(const std::string& keyPath) {
    std::string copy, key;
    if (!CopyOfKey(keyPath, copy, key)) return nullptr;
    return std::make_unique<TRegistryFileStore>(RegistryFilePath(copy), HiveName + "\\" + key);
}

bool RegKeyExists(const std::string& hive, const std::string& path) {
    if (hive != HiveName) return false;
    auto store = OpenRegistryStore(path);
    return store && store->SectionExists("");
}

const std::string& FileVersionText() {
    static const std::string version = TONECAST_FILE_VERSION;
    return version;
}

std::string ShortVersionText(const std::string& version) {
    std::string s = version;
    std::size_t dot = s.rfind('.');
    if (dot == std::string::npos) return s;
    s.erase(dot);
    dot = s.rfind('.');
    if (dot != std::string::npos) s.erase(dot, 1);
    return s;
}

std::string BuildText(const std::string& version) {
    std::size_t dot = version.rfind('.');
    return dot == std::string::npos ? std::string() : version.substr(dot + 1);
}
