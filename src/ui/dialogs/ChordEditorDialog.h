#pragma once
// "Chord Editor": names custom chords and builds each one on a small
// keyboard by clicking notes or playing them; a working copy of the chord
// list that reaches the registry and the main window on Apply.
#include "instrument/ChordList.h"
#include "midi/ShortMessage.h"

#include <QDialog>
#include <QEvent>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TPianoKeyboard;
class TKeyTable;

class TChordEditorDialog : public QDialog {
    Q_OBJECT
public:
    struct TServices {
        TKeyTable* keyTable;                                  // lent to the editor's keyboard
        std::function<void(const TShortMessage&)> send; // straight to the output port
        std::function<std::unique_ptr<TIniStore>()> openSettings;           // the program's root
        std::function<void()> applied;                        // the main window reloads its chords
    };
    TChordEditorDialog(QWidget* mainWindow, TLanguage language, int channel, TServices services);

    QTreeWidget* chordList;
    TPianoKeyboard* keyboard;
    QPushButton* newButton;
    QPushButton* deleteButton;
    QPushButton* editButton; // a toggle
    QPushButton* resetButton;
    QPushButton* okButton;
    QPushButton* cancelButton;
    QPushButton* applyButton;

    TChordList& Chords() { return chords_; }
    TChordEntry* SelectedEntry() const;
    void SelectRow(int row);
    // A note on played elsewhere (MIDI input, the main keyboard) while the editor shows.
    void NoteOn(int note, int velocity);
    void Apply();
    // The main window's chords changed without the editor (an import). The
    // editor shows them; edits not yet applied are only replaced when the
    // user agrees.
    void ChordsChangedElsewhere();

    static constexpr QEvent::Type RefreshEvent = static_cast<QEvent::Type>(QEvent::User + 5);
    static constexpr const char* Section = "ChordEditForm";

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    enum class TRefresh { None, Row, RowAndKeyboard };
    void LoadChords(); // from the settings, as the main window keeps them
    void FillList();
    void WriteRow(QTreeWidgetItem* item, const TChordEntry& entry);
    void ShowEntry(const TChordEntry* entry);
    void SelectionChanged();
    void ToggleStep(int& note);
    void RequestRefresh(TRefresh kind);
    void Renamed(QTreeWidgetItem* item, int column);
    void NewChord();
    void DeleteChord();
    void ResetChord();

    TServices services_;
    TChordList chords_;
    int lastToggled_ = -1;
    TRefresh pending_ = TRefresh::None;
    bool shownOnce_ = false;
    bool filling_ = false;
    bool edited_ = false; // changes since the list was loaded or applied
};
