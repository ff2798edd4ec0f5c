// The piano keyboard's stored values, read and written through their declarations.
#include "widgets/PianoKeyboard.h"

#include "instrument/KeyboardSettings.h"

#include <cmath>

// --- settings ---------------------------------------------------------------

void TPianoKeyboard::LoadSettings(TIniStore& store) {
    namespace K = KeyboardSettings;
    const TSettingsSection s(store, RegKey);
    SetBaseNote(s.Read(K::BaseNote, baseNote_));
    state_->SetChannel(s.Read(K::Channel, state_->Channel()));
    const int chord = s.Read(K::Chord, static_cast<int>(state_->Chord()));
    if (chord >= 0 && chord <= static_cast<int>(TChord::Custom)) state_->StoreChord(static_cast<TChord>(chord));
    const int keyWidth = s.Read(K::KeyWidth, keyWidth_);
    SetKeyWidth(keyWidth);
    const int language = s.Read(K::Language, static_cast<int>(language_));
    if (language >= 0 && language <= static_cast<int>(TLanguage::Italian)) SetLanguage(static_cast<TLanguage>(language));
    SetMarkNote(s.Read(K::MarkNote, markNote_));
    SetShadowWidth(s.Read(K::ShadowWidth, shadowWidth_));
    const int factor = s.Read(K::VelShiftFactor, static_cast<int>(std::lround(state_->VelocityShiftFactor() * 100)));
    state_->SetVelocityShiftFactor(static_cast<float>(factor) / 100.0f);
    state_->SetVelocity(s.Read(K::Velocity, state_->Velocity()));
    state_->SetUpDownController(s.Read(K::UpDownController, state_->UpDownController()) & 0xFF);
    state_->SetLeftRightController(s.Read(K::LeftRightController, state_->LeftRightController()) & 0xFF);
    SetKeyOctave(s.Read(K::KeyOctave, keyOctave_));
    const int size = s.Read(K::ImageSize, static_cast<int>(imageSize_));
    if (size >= 0 && size <= static_cast<int>(TImageSize::Big)) SetImageSize(static_cast<TImageSize>(size));
    SetLowerCScanCode(s.Read(K::LowerCKey, lowerC_));
    SetUpperCScanCode(s.Read(K::UpperCKey, upperC_));
    const int style = s.Read(K::PaintStyle, static_cast<int>(paintStyle_));
    if (style >= 0 && style <= static_cast<int>(TPaintStyle::Image)) SetPaintStyle(static_cast<TPaintStyle>(style));
    // Read while the image style still held it: a drawn keyboard gets its key width now.
    SetKeyWidth(keyWidth);
    SetShowKeyLegends(s.Read(K::KeyLegends, ShowKeyLegends()));
}

void TPianoKeyboard::SaveSettings(TIniStore& store) {
    namespace K = KeyboardSettings;
    const TSettingsSection s(store, RegKey);
    s.Write(K::BaseNote, baseNote_);
    s.Write(K::Channel, state_->Channel());
    s.Write(K::Chord, static_cast<int>(state_->Chord()));
    s.Write(K::KeyWidth, keyWidth_);
    s.Write(K::Language, static_cast<int>(language_));
    s.Write(K::MarkNote, markNote_);
    s.Write(K::ShadowWidth, shadowWidth_);
    s.Write(K::VelShiftFactor, static_cast<int>(std::lround(state_->VelocityShiftFactor() * 100)));
    s.Write(K::Velocity, state_->Velocity());
    s.Write(K::UpDownController, state_->UpDownController());
    s.Write(K::LeftRightController, state_->LeftRightController());
    s.Write(K::KeyOctave, keyOctave_);
    s.Write(K::ImageSize, static_cast<int>(imageSize_));
    s.Write(K::LowerCKey, lowerC_);
    s.Write(K::UpperCKey, upperC_);
    s.Write(K::PaintStyle, static_cast<int>(paintStyle_));
    s.Write(K::KeyLegends, ShowKeyLegends());
}
