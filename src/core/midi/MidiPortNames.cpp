#include "midi/MidiPortNames.h"

#include "store/Names.h"

#include <cctype>
#include <map>

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string WithoutSpaces(std::string s) {
    std::erase(s, ' ');
    return s;
}

} // namespace

std::string WithoutPortNumbers(const std::string& portName) {
    // " <client>:<port>" at the very end, both parts non-empty digits.
    std::size_t i = portName.size();
    const std::size_t portEnd = i;
    while (i > 0 && IsDigit(portName[i - 1])) --i;
    if (i == portEnd || i == 0 || portName[i - 1] != ':') return portName;
    const std::size_t colon = --i;
    while (i > 0 && IsDigit(portName[i - 1])) --i;
    if (i == colon || i <= 1 || portName[i - 1] != ' ') return portName; // something must precede them
    return portName.substr(0, i - 1);
}

std::vector<std::string> DistinctNames(std::vector<std::string> names) {
    std::map<std::string, int> seen;
    for (std::string& name : names) {
        const int n = ++seen[name];
        if (n > 1) name += " (" + std::to_string(n) + ")";
    }
    return names;
}

bool NamesDevice(const std::string& portName, const std::string& stored) {
    return SameName(WithoutSpaces(WithoutPortNumbers(portName)), WithoutSpaces(WithoutPortNumbers(stored)));
}

bool IsOwnPortName(const std::string& portName, const std::string& clientName) {
    for (const char* suffix : {"", InputClientSuffix, ListerClientSuffix}) {
        const std::string client = clientName + suffix;
        if (portName.compare(0, client.size(), client) != 0) continue;
        std::size_t i = client.size();
        if (i < portName.size() && portName[i] == '-') {
            ++i;
            while (i < portName.size() && IsDigit(portName[i])) ++i;
        }
        if (i == portName.size() || portName[i] == ':') return true;
    }
    return false;
}
