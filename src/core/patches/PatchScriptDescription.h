#pragma once
// What the patch set chooser shows of a script before it is applied: the
// names from its header, or why it cannot be read.
#include <string>

struct TPatchScriptDescription {
    std::string scriptName; // the error text when the header cannot be read
    std::string deviceName;
    std::string deviceManufacturer;
    std::string creatorName;
    bool readable = false;
};

TPatchScriptDescription DescribePatchScript(const std::string& fileName);

// The first name alone when the two names are the same (without regard to
// case) or one holds the other; else both, with a blank between.
std::string CreatorNameText(const std::string& firstName, const std::string& lastName);
