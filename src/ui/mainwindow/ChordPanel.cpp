#include "mainwindow/ChordPanel.h"

#include "dialogs/WindowPlacement.h"
#include "widgets/PianoKeyboard.h"

#include <QComboBox>

#include <utility>

namespace {
constexpr int BuiltInChords = static_cast<int>(TChord::Custom);
} // namespace

TChordPanel::TChordPanel(QComboBox* chordBox, TPianoKeyboard* keyboard, TKeyTable& keyTable, TInstrument& instrument,
                         TSettingsOpener openSettings)
    : QObject(chordBox), chordBox(chordBox), keyboard_(keyboard), keyTable_(keyTable), instrument_(instrument),
      openSettings_(std::move(openSettings)) {
    instrument_.AddListener(this);
}

TChordPanel::~TChordPanel() { instrument_.RemoveListener(this); }

void TChordPanel::RefillChordBox() {
    // A built-in chord stays selected; a custom one is found again by its name.
    const int index = chordBox->currentIndex();
    const QString customName = index >= BuiltInChords ? chordBox->currentText() : QString();
    while (chordBox->count() > BuiltInChords) chordBox->removeItem(chordBox->count() - 1);
    QStringList names;
    names.reserve(chordList_.Count());
    for (int i = 0; i < chordList_.Count(); ++i) names.append(QString::fromStdString(chordList_.Items(i).Name));
    chordBox->addItems(names); // in one step: one model change for thousands of chords
    if (index < BuiltInChords) {
        chordBox->setCurrentIndex(std::max(index, 0));
        return;
    }
    // Removing the selected item moved the box's selection: it is set again
    // before the keyboard takes it, so both show the same chord.
    const int found = chordList_.IndexOfName(customName.toStdString());
    const int target = found >= 0 ? found + BuiltInChords : 0;
    chordBox->setCurrentIndex(target);
    if (!ChordChosen(target)) keyboard_->State().SetChord(static_cast<TChord>(target));
}

void TChordPanel::LoadChords(TIniStore& store) {
    chordList_.LoadFrom(store, false);
    chordsLoaded_ = true;
    RefillChordBox();
    if (const auto pending = std::exchange(pendingCustom_, std::nullopt)) RestoreCustomChord(*pending);
}

void TChordPanel::ReloadChords() {
    if (auto store = openSettings_()) LoadChords(*store);
}

bool TChordPanel::ChordChosen(int index) {
    if (index >= 0 && index < BuiltInChords) return false;
    const int custom = index - BuiltInChords;
    if (custom >= 0 && custom < chordList_.Count()) {
        keyboard_->State().SetCustomChord(chordList_.Items(custom).IntervalList(), true);
        customChord_ = custom;
        chordBox->setCurrentIndex(index);
    } else {
        keyboard_->State().SetChord(TChord::None);
        chordBox->setCurrentIndex(0);
    }
    return true;
}

void TChordPanel::RestoreCustomChord(int index) {
    if (!chordsLoaded_) {
        pendingCustom_ = index;
        return;
    }
    if (index >= chordList_.Count()) index = 0;
    if (index >= 0 && index < chordList_.Count() && chordBox->count() > index + BuiltInChords) {
        chordBox->setCurrentIndex(index + BuiltInChords);
        keyboard_->State().SetCustomChord(chordList_.Items(index).IntervalList(), true);
        customChord_ = index;
    } else {
        keyboard_->State().SetChord(TChord::None);
        chordBox->setCurrentIndex(0);
    }
}

void TChordPanel::TellChordEditor(const TShortMessage& m) {
    if (chordEditor_ && chordEditor_->isVisible() && m.IsNoteOn()) chordEditor_->NoteOn(m.data1, m.data2);
}

void TChordPanel::OpenChordEditor() {
    if (!chordEditor_) {
        TChordEditorDialog::TServices services;
        services.keyTable = &keyTable_;
        services.send = [this](const TShortMessage& m) { instrument_.Send(m); };
        services.openSettings = openSettings_;
        services.applied = [this] { ReloadChords(); };
        chordEditor_ = new TChordEditorDialog(chordBox->window(), keyboard_->Language(), keyboard_->State().Channel(), std::move(services));
    }
    PresentDialog(chordEditor_.data());
}

void TChordPanel::OpenTranspose() {
    if (!transposeForm_)
        transposeForm_ = new TTransposeDialog(chordBox->window(), *keyboard_, [this] { return openSettings_(); });
    PresentDialog(transposeForm_.data());
}
