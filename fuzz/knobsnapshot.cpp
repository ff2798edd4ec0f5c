// Knob snapshot strings: no crash on any text, and a string built from the
// decoded pairs decodes to the first pair of each controller, in order.
#include "instrument/KnobSnapshots.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<TControllerValue> pairs = KnobSnapshot::Decode(text);
    if (pairs.size() > size / 4) std::abort();
    std::vector<TControllerValue> firsts;
    for (const auto& [controller, value] : pairs) {
        if (controller < 0 || controller > 255 || value < 0 || value > 255) std::abort();
        bool seen = false;
        for (const auto& f : firsts) seen = seen || f.first == controller;
        if (!seen) firsts.emplace_back(controller, value);
    }
    const std::string built = KnobSnapshot::Build(pairs);
    if (built.size() != 4 * firsts.size()) std::abort();
    if (KnobSnapshot::Decode(built) != firsts) std::abort();
    return 0;
}
