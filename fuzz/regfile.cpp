// The REGEDIT4 reader: no crash, no hang, and what it read writes back to
// text that reads to the same keys and values.
#include "store/RegistryFile.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TRegistryData first;
    if (!first.Parse(text)) return 0;
    std::string written = first.Serialize();
    TRegistryData second;
    if (!second.Parse(written)) std::abort();
    if (second.Serialize() != written) std::abort();
    return 0;
}
