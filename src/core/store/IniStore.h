#pragma once
// Named values grouped in sections: the one interface through which every
// component reads and writes its settings, backed by the registry (a registry
// file on Linux) or by an INI file.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class EStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIniStore {
public:
    virtual ~TIniStore() = default;

    // Ends the use of the store: whatever is still pending reaches its backing.
    // Throws EStoreError when it cannot.
    virtual void Close() {}

    // True for the per-user registry; export and import files are no registry.
    virtual bool IsRegistry() const { return false; }

    virtual std::string ReadString(const std::string& section, const std::string& name,
                                   const std::string& def) = 0;
    virtual std::int32_t ReadInteger(const std::string& section, const std::string& name,
                                     std::int32_t def) = 0;
    bool ReadBool(const std::string& section, const std::string& name, bool def) {
        return ReadInteger(section, name, def ? 1 : 0) != 0;
    }

    virtual void WriteString(const std::string& section, const std::string& name,
                             const std::string& value) = 0;
    virtual void WriteInteger(const std::string& section, const std::string& name,
                              std::int32_t value) = 0;
    void WriteBool(const std::string& section, const std::string& name, bool value) {
        WriteString(section, name, value ? "1" : "0");
    }

    virtual bool SectionExists(const std::string& section) = 0;
    virtual bool ValueExists(const std::string& section, const std::string& name) = 0;
    virtual void EraseSection(const std::string& section) = 0;
    virtual void DeleteValue(const std::string& section, const std::string& name) = 0;
    // Value names of a section, in stored order.
    virtual std::vector<std::string> ReadValueNames(const std::string& section) = 0;
    // Immediate subsections of a section ("" for the top level), in stored order.
    virtual std::vector<std::string> ReadSubsections(const std::string& section) = 0;
};

// Opens the store of a registry key below the program's own, such as its root
// + "\KnobPresets".
using TRegistryOpener = std::function<std::unique_ptr<TIniStore>(const std::string& keyPath)>;

// Integer text as stored: optional sign, then decimal digits or 0x/0X and hex
// digits, nothing else. False for anything that is not such a 32-bit number.
bool ParseStoredInteger(const std::string& text, std::int32_t& value);

