#pragma once
// Export and import of the four kinds of data between the registry and INI
// files: which explanation page and flag each command has, its file's default
// name, the texts of its result, and the work on the knob presets.
#include "instrument/MainWindowSettings.h"
#include "store/IniStore.h"

#include <string>

namespace ExportImport {

enum TKind { Settings, KnobPresets, KnobSnapshots, Chords, KindCount };

struct TCommand {
    TKind kind;
    bool import;
    // The explanation page 0..7, which is also the index of its dialog flag.
    int Page() const { return (import ? 4 : 0) + kind; }
    MainWindowSettings::TDialogFlag Flag() const { return static_cast<MainWindowSettings::TDialogFlag>(Page()); }
    // Imports that replace or add always ask, and remember the choice in their flag.
    bool AsksChoice() const { return import && (kind == KnobPresets || kind == Chords); }
};

const char* DefaultFileName(TKind kind);
// The message after the work: the count filled in, or the "No ..." text for
// none; settings count nothing.
// Sections skipped because their names cannot be stored are said after it.
std::string ResultText(TCommand command, int count, int skipped = 0);

// Each knob preset of the registry root (not "Default" or "Current") into the
// file's section of its name; the number of presets written. A name that a
// section cannot hold is left out.
int ExportKnobPresets(TIniStore& registryRoot, TIniStore& file);
// The file's sections but "Default" and "Current" into the registry presets of
// their names, after erasing every preset when overwrite. Sections whose names
// cannot name a preset are skipped.
struct TImportCount {
    int loaded = 0;
    int skipped = 0;
};
TImportCount ImportKnobPresets(TIniStore& file, TIniStore& registryRoot, bool overwrite);

} // namespace ExportImport
