#include "mainwindow/ExportImport.h"

#include "controls/KnobList.h"
#include "mainwindow/KnobPresets.h"

#include <cstdio>

namespace ExportImport {

const char* DefaultFileName(TKind kind) {
    static const char* const names[KindCount] = {"KeyboardSettings.ini", "KeyboardKnobPresets.ini",
                                                 "KeyboardSnapshots.ini", "KeyboardChords.ini"};
    return names[kind];
}

std::string ResultText(TCommand command, int count) {
    if (command.kind == Settings) return command.import ? "Settings loaded successfully." : "Settings saved successfully.";
    static const char* const things[KindCount] = {"", "knob presets", "knob snapshots", "custom chords"};
    const char* thing = things[command.kind];
    const char* done = command.import ? "loaded" : "saved";
    char text[128];
    if (count > 0) std::snprintf(text, sizeof text, "%d %s %s successfully.", count, thing, done);
    else std::snprintf(text, sizeof text, "No %s could be %s.", thing, done);
    return text;
}

int ExportKnobPresets(TIniStore& registryRoot, TIniStore& file) {
    int count = 0;
    for (const std::string& name : KnobPresets::StoredNames(registryRoot)) {
        TKnobList preset;
        preset.Load(registryRoot, KnobPresets::Section(name));
        preset.Save(file, name);
        ++count;
    }
    return count;
}

int ImportKnobPresets(TIniStore& file, TIniStore& registryRoot, bool overwrite) {
    if (overwrite)
        for (const std::string& name : registryRoot.ReadSubsections(KnobPresets::Key))
            registryRoot.EraseSection(KnobPresets::Section(name));
    int count = 0;
    for (const std::string& name : file.ReadSubsections("")) {
        if (KnobPresets::IsReserved(name)) continue;
        TKnobList preset;
        preset.Load(file, name);
        preset.Save(registryRoot, KnobPresets::Section(name)); // an empty one removes the preset
        ++count;
    }
    return count;
}

} // namespace ExportImport
