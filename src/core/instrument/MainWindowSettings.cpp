#include "instrument/MainWindowSettings.h"

using namespace MainWindowSettings;

void TMainWindowValues::Load(TIniStore& store, bool customChordInUse) {
    const TSettingsSection s(store, Section);
    midiThru = s.Read(MidiThru);
    firstTime = s.Read(FirstTime);
    program = s.Read(Program, program);
    bankMsb = s.Read(BankMsb, bankMsb);
    bankLsb = s.Read(BankLsb, bankLsb);
    mouseWheelController = s.Read(MouseWheelController, mouseWheelController);
    mouseWheelSensitivity = s.Read(MouseWheelSensitivity, mouseWheelSensitivity);
    knobPreset = s.Read(KnobPreset, knobPreset);
    stayOnTop = s.Read(StayOnTop, stayOnTop);
    customChord.reset();
    if (customChordInUse) customChord = s.Read(CustomChord);
    for (int i = 0; i < DialogFlagCount; ++i) dialogFlags[i] = s.Read(DialogFlags[i], dialogFlags[i]);
}

void TMainWindowValues::Save(TIniStore& store) const {
    const TSettingsSection s(store, Section);
    s.Write(MidiThru, midiThru);
    s.Write(FirstTime, false);
    s.Write(Program, program);
    s.Write(BankMsb, bankMsb);
    s.Write(BankLsb, bankLsb);
    s.Write(MouseWheelController, mouseWheelController);
    s.Write(MouseWheelSensitivity, mouseWheelSensitivity);
    s.Write(StayOnTop, stayOnTop);
    s.Write(PatchScript, patchScript.value_or(""));
    if (patchScript) s.Write(Patch, patch);
    if (customChord) s.Write(CustomChord, *customChord);
    s.Write(KnobPreset, knobPreset);
    for (int i = 0; i < DialogFlagCount; ++i) s.Write(DialogFlags[i], dialogFlags[i]);
}
