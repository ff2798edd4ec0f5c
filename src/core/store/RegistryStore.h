#pragma once
// The per-user registry as the program reaches it. On Linux each program copy
// keeps its keys, below "\Software\<company>\<program>\<copy>", in a registry
// file of its own: $XDG_CONFIG_HOME/<company>/<program>/<copy>.reg.
#include "store/IniStore.h"

#include <memory>
#include <string>

std::string RegistryFilePath(const std::string& company, const std::string& program, const std::string& copy);

// The program copy a key belongs to, and the key without its leading "\";
// false for a key outside the program's own.
bool SplitProgramKey(const std::string& company, const std::string& program, const std::string& keyPath,
                     std::string& copy, std::string& key);

// The registry's rules for a section below a root key, for every backing: its
// key's path ("" is the root), and a check for writes and erasures. A section
// that is empty, ends in "\" or holds an empty part would land on its parent,
// and an erase there takes every sibling along: EStoreError.
std::string SectionKeyPath(const std::string& root, const std::string& section);
void CheckChangeableSection(const std::string& section);

// The system's side, one for each platform:

// Opens the store below a key of HKEY_CURRENT_USER such as
// "\Software\Morwent\Fendrel's Tonecast\tonecast"; none for a key outside
// the program's own.
std::unique_ptr<TIniStore> OpenRegistryStore(const std::string& company, const std::string& program,
                                             const std::string& keyPath);

// True when the key exists; a leading "\" of the path is dropped first.
bool RegKeyExists(const std::string& company, const std::string& program, const std::string& hive,
                  const std::string& path);
