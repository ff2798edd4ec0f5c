// The main window's custom chords, the chord editor and the transpose dialog.
#include "mainwindow/MainWindow.h"

#include "dialogs/WindowPlacement.h"

#include "dialogs/ChordEditorDialog.h"
#include "dialogs/TransposeDialog.h"
#include "widgets/PianoKeyboard.h"

#include <QComboBox>

namespace {
constexpr int BuiltInChords = static_cast<int>(TChord::chCustom);
} // namespace

TChordEditorDialog* TMainWindow::ChordEditor() const { return chordEditor_; }
TTransposeDialog* TMainWindow::TransposeForm() const { return transposeForm_; }

void TMainWindow::RefillChordBox() {
    // A built-in chord stays selected; a custom one is found again by its name.
    const int index = CBChord->currentIndex();
    const QString customName = index >= BuiltInChords ? CBChord->currentText() : QString();
    while (CBChord->count() > BuiltInChords) CBChord->removeItem(CBChord->count() - 1);
    for (int i = 0; i < chordList_.Count(); ++i) CBChord->addItem(QString::fromStdString(chordList_.Items(i).Name));
    if (index < BuiltInChords) {
        CBChord->setCurrentIndex(std::max(index, 0));
        return;
    }
    // Removing the selected item moved the box's selection: it is set again
    // before the keyboard takes it, so both show the same chord.
    const int found = chordList_.IndexOfName(customName.toStdString());
    const int target = found >= 0 ? found + BuiltInChords : 0;
    CBChord->setCurrentIndex(target);
    CBChordClick(target);
}

void TMainWindow::ReloadChords() {
    auto store = names_.OpenRegistryStore();
    chordList_.LoadFrom(*store, false);
    RefillChordBox();
}

void TMainWindow::CBChordClick(int index) {
    if (index >= 0 && index < BuiltInChords) {
        TInstrumentForm::CBChordClick(index);
        return;
    }
    const int custom = index - BuiltInChords;
    if (custom >= 0 && custom < chordList_.Count()) {
        Keyboard1->SetCustomChord(chordList_.Items(custom).IntervalList(), true);
        customChord_ = custom;
        CBChord->setCurrentIndex(index);
    } else {
        Keyboard1->SetChord(TChord::chNone);
        CBChord->setCurrentIndex(0);
    }
}

void TMainWindow::RestoreCustomChord(int index) {
    if (index >= chordList_.Count()) index = 0;
    if (index >= 0 && index < chordList_.Count() && CBChord->count() > index + BuiltInChords) {
        CBChord->setCurrentIndex(index + BuiltInChords);
        Keyboard1->SetCustomChord(chordList_.Items(index).IntervalList(), true);
        customChord_ = index;
    } else {
        Keyboard1->SetChord(TChord::chNone);
        CBChord->setCurrentIndex(0);
    }
}

void TMainWindow::TellChordEditor(std::uint8_t status, std::uint8_t note, std::uint8_t velocity) {
    if (chordEditor_ && chordEditor_->isVisible() && ShortMessage::IsNoteOn(status)) chordEditor_->NoteOn(note, velocity);
}

void TMainWindow::OpenChordEditor() {
    if (!chordEditor_) {
        TChordEditorDialog::TServices services;
        services.keyTable = &keyTable_;
        services.send = [this](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
            instrument_.Send(TShortMessage{s, d1, d2});
        };
        services.openSettings = [this] { return names_.OpenRegistryStore(); };
        services.applied = [this] { ReloadChords(); };
        chordEditor_ = new TChordEditorDialog(this, Keyboard1->Language(), Keyboard1->Channel(), std::move(services));
    }
    PresentDialog(chordEditor_.data());
}

void TMainWindow::OpenTranspose() {
    if (!transposeForm_)
        transposeForm_ = new TTransposeDialog(this, *Keyboard1, [this] { return names_.OpenRegistryStore(); });
    PresentDialog(transposeForm_.data());
}
