#include "patches/PatchScriptDescription.h"

#include "patches/PatchScriptParser.h"

TPatchScriptDescription DescribePatchScript(const std::string& fileName) {
    TPatchScriptDescription d;
    try {
        const auto header = LoadPatchListHeader(fileName);
        d.scriptName = header->ScriptName;
        d.deviceName = header->DeviceName;
        d.deviceManufacturer = header->DeviceManufacturer;
        d.creatorName = CreatorNameText(header->CreatorFirstName, header->CreatorLastName);
        d.readable = true;
    } catch (const std::exception& e) {
        d.scriptName = e.what();
    }
    return d;
}

std::string CreatorNameText(const std::string& firstName, const std::string& lastName) {
    // An empty name is contained in any other: what is there is shown, without a stray blank.
    if (firstName.empty()) return lastName;
    if (SameName(firstName, lastName) || firstName.find(lastName) != std::string::npos ||
        lastName.find(firstName) != std::string::npos)
        return firstName;
    return firstName + " " + lastName;
}
