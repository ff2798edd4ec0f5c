// Key sequence strings: no crash, and a string that is accepted gives back
// the same events after a round trip through the string form.
#include "instrument/KeySim.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TKeySequence seq;
    try {
        seq.SetFromString(text);
    } catch (const EKeySequenceError&) {
        return 0;
    }
    seq.GetText();
    const std::string once = seq.GetAsString();
    TKeySequence again;
    if (again.SetFromString(once) != static_cast<int>(once.size())) std::abort();
    if (again.GetAsString() != once || again.Count() != seq.Count()) std::abort();
    return 0;
}
