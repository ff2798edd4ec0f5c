#pragma once
// The main window's values in its section "KeyboardForm": each described once,
// read and written in one fixed order, on the registry or on an export file.
#include "store/StoredSetting.h"

#include <array>
#include <optional>
#include <string>

namespace MainWindowSettings {
inline constexpr const char* Section = "KeyboardForm";

// Kept by the instrument form itself, after its placement.
inline constexpr TIntSetting MWCtrl{"MWCtrl", 1};
inline constexpr TBoolSetting ShowBasenoteButtons{"ShowBasenoteButtons", true};

inline constexpr TBoolSetting MidiThru{"Midi Thru", false};
inline constexpr TBoolSetting FirstTime{"First Time", true};
inline constexpr TIntSetting Program{"Program", -1};
inline constexpr TIntSetting BankMsb{"Bank MSB", -1};
inline constexpr TIntSetting BankLsb{"Bank LSB", -1};
inline constexpr TIntSetting MouseWheelController{"MouseWheelController", 1};
inline constexpr TIntSetting MouseWheelSensitivity{"MouseWheelSensitivity", 4};
inline constexpr TStringSetting KnobPreset{"Knob Preset", "Default"};
inline constexpr TBoolSetting StayOnTop{"StayOnTop", false};
inline constexpr TStringSetting PatchScript{"PatchScript", ""};
inline constexpr TStringSetting Patch{"Patch", ""};
inline constexpr TIntSetting CustomChord{"CustomChord", 0};

// The export and import dialogs' flags, in their stored order.
enum TDialogFlag {
    dfDontShowExSettings,
    dfDontShowExKnobPresets,
    dfDontShowExKnobSnapshots,
    dfDontShowExChords,
    dfDontShowImSettings,
    dfImKnobPresetsOverwrite,
    dfDontShowImKnobSnapshots,
    dfImChordsOverwrite,
    DialogFlagCount
};
inline constexpr std::array<TBoolSetting, DialogFlagCount> DialogFlags{{
    {"DontShowExSettings", false},
    {"DontShowExKnobPresets", false},
    {"DontShowExKnobSnapshots", false},
    {"DontShowExChords", false},
    {"DontShowImSettings", false},
    {"ImKnobPresetsOverwrite", false},
    {"DontShowImKnobSnapshots", false},
    {"ImChordsOverwrite", false},
}};
} // namespace MainWindowSettings

// What the main window keeps beyond the instrument form, as plain values.
struct TMainWindowValues {
    bool midiThru = MainWindowSettings::MidiThru.def;
    bool firstTime = MainWindowSettings::FirstTime.def;
    int program = MainWindowSettings::Program.def;
    int bankMsb = MainWindowSettings::BankMsb.def;
    int bankLsb = MainWindowSettings::BankLsb.def;
    int mouseWheelController = MainWindowSettings::MouseWheelController.def;
    int mouseWheelSensitivity = MainWindowSettings::MouseWheelSensitivity.def;
    std::string knobPreset = MainWindowSettings::KnobPreset.def;
    bool stayOnTop = MainWindowSettings::StayOnTop.def;
    // Kept only while the keyboard plays a custom chord.
    std::optional<int> customChord;
    std::array<bool, MainWindowSettings::DialogFlagCount> dialogFlags{};
    // Written only: the patch set is read back once the window is on screen.
    // No script means no patch set, and then "Patch" is left as it was.
    std::optional<std::string> patchScript;
    std::string patch;

    // Reads every value; one the store lacks keeps what it held, except "Midi
    // Thru" and "First Time", which fall back to their defaults. "CustomChord"
    // is read only when customChordInUse, and missing it reads as 0.
    void Load(TIniStore& store, bool customChordInUse);
    // Writes every value; "First Time" is always written false.
    void Save(TIniStore& store) const;
};
