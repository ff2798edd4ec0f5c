#include "instrument/ExportImport.h"

#include "instrument/KnobList.h"
#include "instrument/KnobPresets.h"

#include <cstdio>

namespace ExportImport {

const char* DefaultFileName(TKind kind) {
    static const char* const names[KindCount] = {"KeyboardSettings.ini", "KeyboardKnobPresets.ini",
                                                 "KeyboardSnapshots.ini", "KeyboardChords.ini"};
    return names[kind];
}

std::string ResultText(TCommand command, int count, int skipped) {
    if (command.kind == Settings) return command.import ? "Settings loaded successfully." : "Settings saved successfully.";
    static const char* const things[KindCount] = {"", "knob presets", "knob snapshots", "custom chords"};
    const char* thing = things[command.kind];
    const char* done = command.import ? "loaded" : "saved";
    char text[128];
    if (count > 0) std::snprintf(text, sizeof text, "%d %s %s successfully.", count, thing, done);
    else std::snprintf(text, sizeof text, "No %s could be %s.", thing, done);
    if (skipped == 0) return text;
    char more[160];
    std::snprintf(more, sizeof more, " %d skipped: a name must not be empty or hold \\, [ or ].", skipped);
    return std::string(text) + more;
}

int ExportKnobPresets(TIniStore& registryRoot, TIniStore& file) {
    int count = 0;
    for (const std::string& name : KnobPresets::StoredNames(registryRoot)) {
        if (!KnobPresets::NameProblem(name).empty()) continue;
        TKnobList preset;
        preset.Load(registryRoot, KnobPresets::Section(name));
        preset.Save(file, name);
        ++count;
    }
    return count;
}

TImportCount ImportKnobPresets(TIniStore& file, TIniStore& registryRoot, bool overwrite) {
    TImportCount count;
    // A header holding "\\" lists as the part before it, which names no section of the file.
    std::vector<std::string> sections = file.ReadSubsections("");
    std::erase_if(sections, [&](const std::string& name) {
        const bool usable = KnobPresets::NameProblem(name).empty() && file.SectionExists(name);
        if (!usable) ++count.skipped;
        return !usable;
    });
    if (overwrite)
        for (const std::string& name : registryRoot.ReadSubsections(KnobPresets::Key))
            registryRoot.EraseSection(KnobPresets::Section(name));
    for (const std::string& name : sections) {
        if (KnobPresets::IsReserved(name)) continue;
        TKnobList preset;
        preset.Load(file, name);
        preset.Save(registryRoot, KnobPresets::Section(name)); // an empty one removes the preset
        ++count.loaded;
    }
    return count;
}

} // namespace ExportImport
