#pragma once
// The program-wide names, the settings root built from them, and the version
// text. main() makes them from the executable's path and hands them on.
#include "store/IniStore.h"

#include <memory>
#include <string>

struct TProgramNames {
    std::string Company = "Morwent";
    std::string Program = "Fendrel's Tonecast";
    std::string ExeBaseName = "tonecast";

    // From the path the executable was started by.
    static TProgramNames ForExecutable(const std::string& executablePath);

    // "\Software\<Company>\<Program>\<ExeBaseName>" below HKEY_CURRENT_USER.
    std::string RegistryRoot() const;
    // The same without "\Software\": the path given to components that build their own.
    std::string ComponentRegPath() const;
    // The file that holds the settings of this program copy.
    std::string RegistryFilePath() const;
    // The store below RegistryRoot, or below another key of the program's own.
    std::unique_ptr<TIniStore> OpenRegistryStore() const;
    std::unique_ptr<TIniStore> OpenRegistryStore(const std::string& keyPath) const;
};

// "1.2.3.4" from the project's version; ShortVersionText gives "1.23", BuildText "4".
const std::string& FileVersionText();
std::string ShortVersionText(const std::string& version);
std::string BuildText(const std::string& version);
