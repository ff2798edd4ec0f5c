#include "store/ProgramNames.h"

#include "Version.h"
#include "store/RegistryStore.h"

#include <filesystem>

TProgramNames TProgramNames::ForExecutable(const std::string& executablePath) {
    TProgramNames names;
    std::filesystem::path path(executablePath);
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute;
    std::string stem = path.stem().string();
    if (!stem.empty()) names.ExeBaseName = stem;
    return names;
}

std::string TProgramNames::ComponentRegPath() const { return Company + "\\" + Program + "\\" + ExeBaseName; }

std::string TProgramNames::RegistryRoot() const { return "\\Software\\" + ComponentRegPath(); }

std::string TProgramNames::RegistryFilePath() const { return ::RegistryFilePath(Company, Program, ExeBaseName); }

std::unique_ptr<TIniStore> TProgramNames::OpenRegistryStore() const { return OpenRegistryStore(RegistryRoot()); }

std::unique_ptr<TIniStore> TProgramNames::OpenRegistryStore(const std::string& keyPath) const {
    return ::OpenRegistryStore(Company, Program, keyPath);
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
