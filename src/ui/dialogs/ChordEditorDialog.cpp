#include "dialogs/ChordEditorDialog.h"

#include "widgets/PianoKeyboard.h"
#include "dialogs/WindowPlacement.h"
#include "widgets/TonecastApplication.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
TChordEntry* EntryOf(const QTreeWidgetItem* item) {
    return item ? static_cast<TChordEntry*>(item->data(0, Qt::UserRole).value<void*>()) : nullptr;
}
} // namespace

TChordEditorDialog::TChordEditorDialog(QWidget* mainWindow, TLanguage language, int channel, TServices services)
    : QDialog(mainWindow, Qt::Tool), services_(std::move(services)) {
    setWindowTitle("Chord Editor");
    setAttribute(Qt::WA_DeleteOnClose);

    auto* help1 = new QLabel("Add a chord with \"New\", then switch on \"Edit\" and click the chord's notes on the "
                             "keyboard below (or play them on the main window or an external MIDI device).", this);
    auto* help2 = new QLabel("To try a chord, switch \"Edit\" off and play the keyboard below.", this);
    for (QLabel* l : {help1, help2}) l->setWordWrap(true);

    chordList = new QTreeWidget(this);
    chordList->setAccessibleName("Chords");
    chordList->setHeaderLabels({"Chord Name", "Chord Notes"});
    chordList->setColumnWidth(0, 100);
    chordList->setColumnWidth(1, 400);
    chordList->setRootIsDecorated(false);
    chordList->setSelectionBehavior(QAbstractItemView::SelectRows);
    chordList->setSelectionMode(QAbstractItemView::SingleSelection);
    chordList->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    keyboard = new TPianoKeyboard(*services_.keyTable, this);
    keyboard->SetPaintStyle(TPaintStyle::Drawn);
    keyboard->SetKeyWidth(10);
    keyboard->SetBaseNote(10);
    keyboard->SetMarkNote(60);
    keyboard->SetTabStop(false);
    keyboard->State().EnableSpecialMode = false;
    keyboard->EnableBaseNoteDrag = false;
    keyboard->setFixedSize(593, 41);
    keyboard->SetLanguage(language);
    keyboard->State().SetChannel(channel);
    keyboard->OnNote = [this](TPianoKeyboard*, const TShortMessage& m) { services_.send(m); };
    keyboard->OnMousePress = [this](TPianoKeyboard*, int& note, TMouseButton button, int) {
        if (!editButton->isChecked() || button != TMouseButton::Left) return;
        lastToggled_ = -1;
        ToggleStep(note);
    };
    keyboard->OnMouseDrag = [this](TPianoKeyboard*, int& note, TMouseButton button, int) {
        if (editButton->isChecked() && button == TMouseButton::Left) ToggleStep(note);
    };
    keyboard->OnMouseRelease = [this](TPianoKeyboard*, int&, TMouseButton button, int) {
        if (!editButton->isChecked() || button != TMouseButton::Left) return;
        ShowEntry(SelectedEntry());
        lastToggled_ = -1;
    };

    newButton = new QPushButton("&New", this);
    deleteButton = new QPushButton("&Delete", this);
    editButton = new QPushButton("&Edit", this);
    editButton->setCheckable(true);
    resetButton = new QPushButton("&Reset", this);
    resetButton->setEnabled(false);
    okButton = new QPushButton("&OK", this);
    cancelButton = new QPushButton("Cancel", this);
    applyButton = new QPushButton("&Apply", this);
    for (QPushButton* b : {newButton, deleteButton, editButton, resetButton, cancelButton, applyButton}) b->setAutoDefault(false);
    okButton->setDefault(true);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {newButton, deleteButton, editButton, resetButton}) side->addWidget(b);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(chordList, 1);
    middle->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    for (QPushButton* b : {okButton, cancelButton, applyButton}) bottom->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help1);
    layout->addWidget(help2);
    layout->addLayout(middle, 1);
    layout->addWidget(keyboard, 0, Qt::AlignHCenter);
    layout->addLayout(bottom);
    resize(640, 360);

    connect(chordList, &QTreeWidget::itemSelectionChanged, this, &TChordEditorDialog::SelectionChanged);
    connect(chordList, &QTreeWidget::itemChanged, this, &TChordEditorDialog::Renamed);
    connect(newButton, &QPushButton::clicked, this, &TChordEditorDialog::NewChord);
    connect(deleteButton, &QPushButton::clicked, this, &TChordEditorDialog::DeleteChord);
    connect(editButton, &QPushButton::toggled, resetButton, &QWidget::setEnabled);
    connect(resetButton, &QPushButton::clicked, this, &TChordEditorDialog::ResetChord);
    connect(applyButton, &QPushButton::clicked, this, &TChordEditorDialog::Apply);
    connect(okButton, &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    LoadChords();
}

void TChordEditorDialog::LoadChords() {
    chords_.Clear();
    if (auto store = services_.openSettings()) chords_.LoadFrom(*store, false);
    FillList();
    SelectionChanged();
    edited_ = false;
}

void TChordEditorDialog::ChordsChangedElsewhere() {
    if (edited_) {
        const auto answer = QMessageBox::question(
            this, QApplication::applicationName(),
            "The custom chords were changed by an import. Replace the changes you made in the chord editor "
            "with the imported chords ?",
            QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
    }
    LoadChords();
}

void TChordEditorDialog::FillList() {
    filling_ = true;
    chordList->clear();
    for (int i = 0; i < chords_.Count(); ++i) {
        auto* item = new QTreeWidgetItem(chordList);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(&chords_.Items(i))));
        WriteRow(item, chords_.Items(i));
    }
    filling_ = false;
}

void TChordEditorDialog::WriteRow(QTreeWidgetItem* item, const TChordEntry& entry) {
    const bool wasFilling = filling_;
    filling_ = true;
    item->setText(0, QString::fromStdString(entry.Name));
    item->setText(1, QString::fromStdString(ChordNotesText(entry, keyboard->Language())));
    filling_ = wasFilling;
}

TChordEntry* TChordEditorDialog::SelectedEntry() const {
    const QList<QTreeWidgetItem*> selected = chordList->selectedItems();
    return selected.isEmpty() ? nullptr : EntryOf(selected.front());
}

void TChordEditorDialog::SelectRow(int row) {
    if (QTreeWidgetItem* item = chordList->topLevelItem(row)) chordList->setCurrentItem(item);
}

void TChordEditorDialog::ShowEntry(const TChordEntry* entry) {
    keyboard->State().ClearExternalMarks();
    if (!entry || (entry->Root < 0 && entry->IntervalCount() == 0)) {
        keyboard->SetMarkNote(60);
        return;
    }
    keyboard->SetMarkNote(entry->Root);
    for (int interval : entry->IntervalList()) keyboard->State().MarkExternalNote(entry->Root + interval, 1);
}

void TChordEditorDialog::SelectionChanged() {
    TChordEntry* entry = SelectedEntry();
    if (!entry) {
        keyboard->State().SetChord(TChord::None);
        keyboard->ResetAll();
        keyboard->SetMarkNote(60);
        return;
    }
    ShowEntry(entry);
    keyboard->State().SetCustomChord(entry->IntervalList(), true);
}

void TChordEditorDialog::ToggleStep(int& note) {
    TChordEntry* entry = SelectedEntry();
    if (!entry) return;
    entry->ToggleNote(lastToggled_); // undoes this gesture's previous toggle
    entry->ToggleNote(note);
    edited_ = true;
    keyboard->State().SetCustomChord(entry->IntervalList(), true);
    lastToggled_ = note;
    if (entry->IntervalCount() > 0) note = entry->Root; // the whole chord sounds from its root
    RequestRefresh(TRefresh::Row);
}

void TChordEditorDialog::NoteOn(int note, int velocity) {
    TChordEntry* entry = SelectedEntry();
    if (velocity < 1 || !editButton->isChecked() || !entry) return;
    entry->ToggleNote(note);
    edited_ = true;
    keyboard->State().SetCustomChord(entry->IntervalList(), true);
    RequestRefresh(TRefresh::RowAndKeyboard);
}

void TChordEditorDialog::RequestRefresh(TRefresh kind) {
    if (pending_ == TRefresh::None) {
        pending_ = kind;
        QApplication::postEvent(this, new QEvent(RefreshEvent));
    } else if (kind == TRefresh::RowAndKeyboard) {
        pending_ = kind;
    }
}

bool TChordEditorDialog::event(QEvent* event) {
    if (event->type() == RefreshEvent) {
        const TRefresh kind = pending_;
        pending_ = TRefresh::None;
        const QList<QTreeWidgetItem*> selected = chordList->selectedItems();
        if (!selected.isEmpty()) {
            if (kind == TRefresh::RowAndKeyboard) ShowEntry(EntryOf(selected.front()));
            WriteRow(selected.front(), *EntryOf(selected.front()));
        }
        return true;
    }
    return QDialog::event(event);
}

void TChordEditorDialog::Renamed(QTreeWidgetItem* item, int column) {
    if (filling_ || column != 0) return;
    TChordEntry* entry = EntryOf(item);
    if (!entry) return;
    const std::string name = item->text(0).trimmed().toStdString();
    // An empty name would end the stored list there, losing the chords after it.
    if (name.empty()) {
        WriteRow(item, *entry);
        return;
    }
    if (chords_.IndexOfName(name) < 0) {
        entry->Name = name;
        edited_ = true;
    } else if (name != entry->Name) {
        TTonecastApplication::ShowMessage(this, "This chord name already exists !");
    }
    WriteRow(item, *entry);
}

void TChordEditorDialog::NewChord() {
    TChordEntry& entry = chords_.AddNew();
    edited_ = true;
    filling_ = true;
    auto* item = new QTreeWidgetItem(chordList);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(&entry)));
    filling_ = false;
    WriteRow(item, entry);
    chordList->setCurrentItem(item);
    chordList->editItem(item, 0);
}

void TChordEditorDialog::DeleteChord() {
    const QList<QTreeWidgetItem*> selected = chordList->selectedItems();
    if (selected.isEmpty()) return;
    QTreeWidgetItem* item = selected.front();
    const int row = chordList->indexOfTopLevelItem(item);
    chords_.Remove(EntryOf(item));
    edited_ = true;
    delete item;
    SelectRow(std::min(row, chordList->topLevelItemCount() - 1));
    SelectionChanged();
}

void TChordEditorDialog::ResetChord() {
    TChordEntry* entry = SelectedEntry();
    if (!entry) return;
    entry->ClearNotes();
    edited_ = true;
    WriteRow(chordList->selectedItems().front(), *entry);
    ShowEntry(entry);
    keyboard->State().SetCustomChord(entry->IntervalList(), true);
}

void TChordEditorDialog::Apply() {
    if (auto store = services_.openSettings()) {
        chords_.SaveTo(*store);
        store->Close();
    }
    edited_ = false;
    if (services_.applied) services_.applied();
}

void TChordEditorDialog::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        if (QWidget* main = parentWidget()) move(main->pos() + QPoint(10, 10));
        RestoreDialogPosition(this, services_.openSettings, Section);
    }
    QDialog::showEvent(event);
}

void TChordEditorDialog::done(int result) {
    if (isVisible()) SaveDialogPosition(this, services_.openSettings, Section);
    QDialog::done(result);
}
