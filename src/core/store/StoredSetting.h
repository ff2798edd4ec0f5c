#pragma once
// One stored value described once: its name, its type (by the descriptor's
// kind) and its default. The code that reads a value and the code that writes
// it name the same descriptor, so the two cannot disagree.
#include "store/IniStore.h"

#include <cstdint>
#include <string>

struct TIntSetting {
    const char* name;
    std::int32_t def;
};

struct TBoolSetting {
    const char* name;
    bool def;
};

struct TStringSetting {
    const char* name;
    const char* def;
};

// A section of a store, read and written through descriptors. Reading with a
// current value keeps that value when the store has none.
class TSettingsSection {
public:
    TSettingsSection(TIniStore& store, std::string section) : store_(store), section_(std::move(section)) {}

    std::int32_t Read(const TIntSetting& s) const { return Read(s, s.def); }
    bool Read(const TBoolSetting& s) const { return Read(s, s.def); }
    std::string Read(const TStringSetting& s) const { return Read(s, s.def); }
    std::int32_t Read(const TIntSetting& s, std::int32_t current) const {
        return store_.ReadInteger(section_, s.name, current);
    }
    bool Read(const TBoolSetting& s, bool current) const { return store_.ReadBool(section_, s.name, current); }
    std::string Read(const TStringSetting& s, const std::string& current) const {
        return store_.ReadString(section_, s.name, current);
    }

    void Write(const TIntSetting& s, std::int32_t value) const { store_.WriteInteger(section_, s.name, value); }
    void Write(const TBoolSetting& s, bool value) const { store_.WriteBool(section_, s.name, value); }
    void Write(const TStringSetting& s, const std::string& value) const {
        store_.WriteString(section_, s.name, value);
    }

private:
    TIniStore& store_;
    std::string section_;
};
