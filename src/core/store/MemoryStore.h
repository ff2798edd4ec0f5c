#pragma once
// A settings store in memory for tests: the registry's rules, nothing on disk,
// and the values as the registry file would spell them.
#include "store/RegistryFile.h"

class TMemoryStore : public TRegistryStore {
public:
    TMemoryStore() : TRegistryStore(Root) {}
    // REGEDIT4 text of everything written, with the root key in every path.
    std::string Text() const { return Data().Serialize(); }
    static constexpr const char* Root = "HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\test";
};
