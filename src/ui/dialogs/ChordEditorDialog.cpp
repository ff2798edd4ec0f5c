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

    LVChords = new QTreeWidget(this);
    LVChords->setAccessibleName("Chords");
    LVChords->setHeaderLabels({"Chord Name", "Chord Notes"});
    LVChords->setColumnWidth(0, 100);
    LVChords->setColumnWidth(1, 400);
    LVChords->setRootIsDecorated(false);
    LVChords->setSelectionBehavior(QAbstractItemView::SelectRows);
    LVChords->setSelectionMode(QAbstractItemView::SingleSelection);
    LVChords->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    Keyboard = new TPianoKeyboard(*services_.keyTable, this);
    Keyboard->SetPaintStyle(TPaintStyle::Drawn);
    Keyboard->SetKeyWidth(10);
    Keyboard->SetBaseNote(10);
    Keyboard->SetMarkNote(60);
    Keyboard->SetTabStop(false);
    Keyboard->State().EnableSpecialMode = false;
    Keyboard->EnableBaseNoteDrag = false;
    Keyboard->setFixedSize(593, 41);
    Keyboard->SetLanguage(language);
    Keyboard->SetChannel(channel);
    Keyboard->OnNote = [this](TPianoKeyboard*, std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { services_.send(s, d1, d2); };
    Keyboard->OnMousePress = [this](TPianoKeyboard*, int& note, TMouseButton button, int) {
        if (!CBEdit->isChecked() || button != TMouseButton::Left) return;
        lastToggled_ = -1;
        ToggleStep(note);
    };
    Keyboard->OnMouseDrag = [this](TPianoKeyboard*, int& note, TMouseButton button, int) {
        if (CBEdit->isChecked() && button == TMouseButton::Left) ToggleStep(note);
    };
    Keyboard->OnMouseRelease = [this](TPianoKeyboard*, int&, TMouseButton button, int) {
        if (!CBEdit->isChecked() || button != TMouseButton::Left) return;
        ShowEntry(SelectedEntry());
        lastToggled_ = -1;
    };

    BNew = new QPushButton("&New", this);
    BDelete = new QPushButton("&Delete", this);
    CBEdit = new QPushButton("&Edit", this);
    CBEdit->setCheckable(true);
    BReset = new QPushButton("&Reset", this);
    BReset->setEnabled(false);
    BOK = new QPushButton("&OK", this);
    BCancel = new QPushButton("Cancel", this);
    BApply = new QPushButton("&Apply", this);
    for (QPushButton* b : {BNew, BDelete, CBEdit, BReset, BCancel, BApply}) b->setAutoDefault(false);
    BOK->setDefault(true);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {BNew, BDelete, CBEdit, BReset}) side->addWidget(b);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(LVChords, 1);
    middle->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    for (QPushButton* b : {BOK, BCancel, BApply}) bottom->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help1);
    layout->addWidget(help2);
    layout->addLayout(middle, 1);
    layout->addWidget(Keyboard, 0, Qt::AlignHCenter);
    layout->addLayout(bottom);
    resize(640, 360);

    connect(LVChords, &QTreeWidget::itemSelectionChanged, this, &TChordEditorDialog::SelectionChanged);
    connect(LVChords, &QTreeWidget::itemChanged, this, &TChordEditorDialog::Renamed);
    connect(BNew, &QPushButton::clicked, this, &TChordEditorDialog::NewChord);
    connect(BDelete, &QPushButton::clicked, this, &TChordEditorDialog::DeleteChord);
    connect(CBEdit, &QPushButton::toggled, BReset, &QWidget::setEnabled);
    connect(BReset, &QPushButton::clicked, this, &TChordEditorDialog::ResetChord);
    connect(BApply, &QPushButton::clicked, this, &TChordEditorDialog::Apply);
    connect(BOK, &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);

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
    LVChords->clear();
    for (int i = 0; i < chords_.Count(); ++i) {
        auto* item = new QTreeWidgetItem(LVChords);
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
    item->setText(1, QString::fromStdString(ChordNotesText(entry, Keyboard->Language())));
    filling_ = wasFilling;
}

TChordEntry* TChordEditorDialog::SelectedEntry() const {
    const QList<QTreeWidgetItem*> selected = LVChords->selectedItems();
    return selected.isEmpty() ? nullptr : EntryOf(selected.front());
}

void TChordEditorDialog::SelectRow(int row) {
    if (QTreeWidgetItem* item = LVChords->topLevelItem(row)) LVChords->setCurrentItem(item);
}

void TChordEditorDialog::ShowEntry(const TChordEntry* entry) {
    Keyboard->ClearExternalMarks();
    if (!entry || (entry->Root < 0 && entry->IntervalCount() == 0)) {
        Keyboard->SetMarkNote(60);
        return;
    }
    Keyboard->SetMarkNote(entry->Root);
    for (int interval : entry->IntervalList()) Keyboard->MarkExternalNote(entry->Root + interval, 1);
}

void TChordEditorDialog::SelectionChanged() {
    TChordEntry* entry = SelectedEntry();
    if (!entry) {
        Keyboard->SetChord(TChord::None);
        Keyboard->ResetAll();
        Keyboard->SetMarkNote(60);
        return;
    }
    ShowEntry(entry);
    Keyboard->SetCustomChord(entry->IntervalList(), true);
}

void TChordEditorDialog::ToggleStep(int& note) {
    TChordEntry* entry = SelectedEntry();
    if (!entry) return;
    entry->ToggleNote(lastToggled_); // undoes this gesture's previous toggle
    entry->ToggleNote(note);
    edited_ = true;
    Keyboard->SetCustomChord(entry->IntervalList(), true);
    lastToggled_ = note;
    if (entry->IntervalCount() > 0) note = entry->Root; // the whole chord sounds from its root
    RequestRefresh(TRefresh::Row);
}

void TChordEditorDialog::NoteOn(int note, int velocity) {
    TChordEntry* entry = SelectedEntry();
    if (velocity < 1 || !CBEdit->isChecked() || !entry) return;
    entry->ToggleNote(note);
    edited_ = true;
    Keyboard->SetCustomChord(entry->IntervalList(), true);
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
        const QList<QTreeWidgetItem*> selected = LVChords->selectedItems();
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
    auto* item = new QTreeWidgetItem(LVChords);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(&entry)));
    filling_ = false;
    WriteRow(item, entry);
    LVChords->setCurrentItem(item);
    LVChords->editItem(item, 0);
}

void TChordEditorDialog::DeleteChord() {
    const QList<QTreeWidgetItem*> selected = LVChords->selectedItems();
    if (selected.isEmpty()) return;
    QTreeWidgetItem* item = selected.front();
    const int row = LVChords->indexOfTopLevelItem(item);
    chords_.Remove(EntryOf(item));
    edited_ = true;
    delete item;
    SelectRow(std::min(row, LVChords->topLevelItemCount() - 1));
    SelectionChanged();
}

void TChordEditorDialog::ResetChord() {
    TChordEntry* entry = SelectedEntry();
    if (!entry) return;
    entry->ClearNotes();
    edited_ = true;
    WriteRow(LVChords->selectedItems().front(), *entry);
    ShowEntry(entry);
    Keyboard->SetCustomChord(entry->IntervalList(), true);
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
