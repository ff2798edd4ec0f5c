// The full load of a patch script from bytes: no crash, no hang, and a script
// that loads gives back the same tree when written out and read again.
#include "patches/PatchScriptParser.h"
#include "patches/PatchScriptWriter.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<TPatchSet> list;
    TWarnings warnings;
    try {
        list = LoadPatchScript(text, &warnings);
    } catch (const std::runtime_error&) {
        return 0;
    }
    try {
        LoadPatchScriptHeader(text);
    } catch (const std::runtime_error&) {
        std::abort(); // the header of a script that loads always loads
    }
    std::unique_ptr<TPatchSet> again;
    try {
        again = LoadPatchScript(WritePatchScript(*list), nullptr);
    } catch (const std::runtime_error&) {
        std::abort();
    }
    if (!SamePatchTree(*list, *again)) std::abort();
    return 0;
}
