#pragma once
// The program-wide names, the settings root built from them, and the version text.
#include "platform/IniStore.h"

#include <memory>
#include <string>

const std::string& CompanyName();
const std::string& ProgramName();
const std::string& ExeBaseName();

// Called once at start-up, before any window exists, with the path the
// executable was started by.
void InitProgramNames(const std::string& executablePath);

// "\Software\<CompanyName>\<ProgramName>\<ExeBaseName>" below HKEY_CURRENT_USER.
std::string RegistryRoot();
// The same without "\Software\": the path given to components that build their own.
std::string ComponentRegPath();

// True when the key exists; a leading "\" of the path is dropped first.
bool RegKeyExists(const std::string& hive, const std::string& path);

// Opens the store below RegistryRoot. On Linux the registry file
// $XDG_CONFIG_HOME/Morwent/Fendrel's Tonecast/<ExeBaseName>.reg.
std::unique_ptr<TIniStore> OpenRegistryStore();
// Opens the store below a key of HKEY_CURRENT_USER such as
// "\Software\Morwent\Fendrel's Tonecast\tonecast"; none for a key outside
// the program's own.
std::unique_ptr<TIniStore> OpenRegistryStore(const std::string& keyPath);
// The file that holds the settings of the program copy named exeBaseName.
std::string RegistryFilePath(const std::string& exeBaseName);

// "1.2.3.4" from the project's version; ShortVersionText gives "1.23", BuildText "4".
const std::string& FileVersionText();
std::string ShortVersionText(const std::string& version);
std::string BuildText(const std::string& version);
