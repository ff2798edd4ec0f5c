#pragma once
// The per-user registry of Windows under one root key of HKEY_CURRENT_USER:
// sections are subkeys, strings REG_SZ, integers REG_DWORD unless a string of
// the name exists, Booleans strings; every write reaches the registry at once.
#include "store/IniStore.h"

#include <string>

class TWindowsRegistryStore : public TIniStore {
public:
    // rootKey below HKEY_CURRENT_USER, such as "Software\Morwent\Fendrel's Tonecast\tonecast".
    explicit TWindowsRegistryStore(std::string rootKey);

    bool IsRegistry() const override { return true; }
    std::string ReadString(const std::string& section, const std::string& name, const std::string& def) override;
    std::int32_t ReadInteger(const std::string& section, const std::string& name, std::int32_t def) override;
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;
    void WriteInteger(const std::string& section, const std::string& name, std::int32_t value) override;
    bool SectionExists(const std::string& section) override;
    bool ValueExists(const std::string& section, const std::string& name) override;
    void EraseSection(const std::string& section) override;
    void DeleteValue(const std::string& section, const std::string& name) override;
    std::vector<std::string> ReadValueNames(const std::string& section) override;
    std::vector<std::string> ReadSubsections(const std::string& section) override;

private:
    std::string KeyPath(const std::string& section) const;
    std::string root_;
};
