// The per-user registry of a POSIX system: a registry file per program copy.
#include "store/RegistryFile.h"
#include "store/RegistryStore.h"

namespace {

const std::string HiveName = "HKEY_CURRENT_USER";

} // namespace

std::unique_ptr<TIniStore> OpenRegistryStore(const std::string& company, const std::string& program,
                                             const std::string& keyPath) {
    std::string copy, key;
    if (!SplitProgramKey(company, program, keyPath, copy, key)) return nullptr;
    return std::make_unique<TRegistryFileStore>(RegistryFilePath(company, program, copy), HiveName + "\\" + key);
}

bool RegKeyExists(const std::string& company, const std::string& program, const std::string& hive,
                  const std::string& path) {
    if (hive != HiveName) return false;
    auto store = OpenRegistryStore(company, program, path);
    return store && store->SectionExists("");
}
