#pragma once
// The custom chords of the main window: the list offered in the chord box
// after the built-in chords, the chord editor and the transpose dialog.
#include "dialogs/ChordEditorDialog.h"
#include "dialogs/TransposeDialog.h"
#include "instrument/ChordList.h"
#include "instrument/Instrument.h"
#include "instrument/KeyTable.h"
#include "store/IniStore.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class TPianoKeyboard;

class TChordPanel : public QObject, private TInstrumentListener {
    Q_OBJECT
public:
    using TSettingsOpener = std::function<std::unique_ptr<TIniStore>()>;
    TChordPanel(QComboBox* chordBox, TPianoKeyboard* keyboard, TKeyTable& keyTable, TInstrument& instrument,
                TSettingsOpener openSettings);
    ~TChordPanel() override;

    TChordList& Chords() { return chordList_; }
    int CustomChord() const { return pendingCustom_.value_or(customChord_); }
    // The custom chords from a store into the list and the chord box; a custom
    // chord restored before they were there is put back now.
    void LoadChords(TIniStore& store);
    // Reloads the custom chords from the settings and refills the chord box.
    void ReloadChords();
    void RefillChordBox();
    // A custom chord chosen in the box; false for a built-in one, which is not its to play.
    bool ChordChosen(int index);
    // The stored custom chord in use, or chord 0, or no chord when neither exists;
    // kept until the chords are loaded.
    void RestoreCustomChord(int index);
    void OpenChordEditor();
    void OpenTranspose();
    TChordEditorDialog* ChordEditor() const { return chordEditor_; }
    TTransposeDialog* TransposeForm() const { return transposeForm_; }

private:
    // A note played or received reaches a visible chord editor.
    void MessagePlayed(const TShortMessage& m) override { TellChordEditor(m); }
    void NoteReceived(const TShortMessage& m) override { TellChordEditor(m); }
    void TellChordEditor(const TShortMessage& m);

    QComboBox* chordBox;
    TPianoKeyboard* keyboard_;
    TKeyTable& keyTable_;
    TInstrument& instrument_;
    TSettingsOpener openSettings_;
    QPointer<TChordEditorDialog> chordEditor_;
    QPointer<TTransposeDialog> transposeForm_;
    TChordList chordList_;
    int customChord_ = 0;
    bool chordsLoaded_ = false;
    std::optional<int> pendingCustom_;
};
