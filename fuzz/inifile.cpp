// The INI reader: no crash, untouched text comes back byte for byte, and a
// written value reads back.
#include "store/IniFile.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto store = TIniFileStore::FromText(text);
    if (store.Text() != text) std::abort();
    for (const auto& section : store.ReadSubsections("")) {
        for (const auto& name : store.ReadValueNames(section)) {
            store.ReadString(section, name, "");
            store.ReadInteger(section, name, 0);
        }
    }
    // A plain value survives a write into every section the file names.
    auto sections = store.ReadSubsections("");
    for (const auto& section : sections) {
        if (section.find_first_of("[]=;\r\n") != std::string::npos || section != section.c_str()) continue;
        store.WriteString(section, "FuzzKey", "plain value");
        if (store.ReadString(section, "FuzzKey", "") != "plain value") std::abort();
    }
    return 0;
}
