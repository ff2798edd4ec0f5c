#include "mainwindow/ProgramPanel.h"

#include "dialogs/PatchSetChooserDialog.h"
#include "dialogs/PatchWarningsDialog.h"
#include "dialogs/WindowPlacement.h"
#include "patches/PatchCombo.h"
#include "patches/PatchScriptParser.h"
#include "patches/PatchSet.h"
#include "widgets/PanelButton.h"
#include "widgets/PianoKeyboard.h"
#include "widgets/UpDown.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>

namespace {
constexpr int Row1 = 6, Row2 = 40, FieldHeight = 24;

QLabel* FieldLabel(QWidget* parent, const char* caption, int left, int width) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(left, Row2 + 2, width, 20);
    return label;
}

TUpDown* NumberUpDown(QWidget* parent, QLineEdit* edit, int min, int max) {
    auto* upDown = new TUpDown(parent);
    upDown->setGeometry(edit->x() + edit->width(), edit->y(), 16, FieldHeight);
    upDown->SetRange(min, max);
    upDown->Wrap = true;
    upDown->Accelerated = true;
    return upDown;
}

void SetHint(QWidget* w, const QString& hint) {
    w->setToolTip(hint);
    w->setStatusTip(hint);
}

// Text that is a whole number; "none" counts as the given value.
bool ParseField(const QString& text, int noneValue, int& value) {
    const QString t = text.trimmed();
    if (t.compare("none", Qt::CaseInsensitive) == 0) {
        value = noneValue;
        return true;
    }
    bool ok = false;
    value = t.toInt(&ok);
    return ok;
}

QString NumberOrNone(int value, int none) { return value == none ? QString("none") : QString::number(value); }

// Assistive technology reads a field and its arrows by the field's name.
void NameField(QLineEdit* edit, TUpDown* upDown, const QString& name) {
    edit->setAccessibleName(name);
    upDown->SetAccessibleNames(name);
}
} // namespace

TProgramPanel::TProgramPanel(QWidget* form, QMenuBar* bar, TInstrument& instrument, TPianoKeyboard* keyboard,
                             TServices services)
    : QObject(form), instrument_(instrument), keyboard_(keyboard), services_(std::move(services)), window_(form->window()) {
    patchWarnings = new TPatchWarningsDialog(window_);
    patchWarnings->hide();
    CreatePatchesMenu(bar);
    CreateProgramControls(form);
    instrument_.AddListener(this);
}

TProgramPanel::~TProgramPanel() { instrument_.RemoveListener(this); }

QLineEdit* TProgramPanel::BankEdit(int which) const { return which == TProgramBank::Msb ? msbEdit : lsbEdit; }
TUpDown* TProgramPanel::BankUpDown(int which) const { return which == TProgramBank::Msb ? msbUpDown : lsbUpDown; }

void TProgramPanel::CreateProgramControls(QWidget* form) {
    patchBox = new QComboBox(form);
    patchBox->setGeometry(290, Row1, 150, FieldHeight);
    SetHint(patchBox, "Current Patch (Page Up/Page Down)");
    patchBox->setFocusPolicy(Qt::ClickFocus);
    patchBox->setAccessibleName("Patch");
    patchUpDown = new TUpDown(form);
    patchUpDown->setGeometry(440, Row1, 16, FieldHeight);
    patchUpDown->Wrap = true;
    patchUpDown->Accelerated = true;
    patchUpDown->SetAccessibleNames("Patch");
    connect(patchBox, &QComboBox::activated, this, [this](int index) {
        patchUpDown->SetPosition(index);
        PatchChosen(index);
    });
    patchUpDown->OnClick = [this](TUpDown* sender, bool) {
        patchBox->setCurrentIndex(sender->Position());
        PatchChosen(sender->Position());
    };

    FieldLabel(form, "Program", 8, 54);
    programEdit = new QLineEdit(form);
    programEdit->setGeometry(62, Row2, 40, FieldHeight);
    programUpDown = NumberUpDown(form, programEdit, 0, 128);
    NameField(programEdit, programUpDown, "Program");
    for (QWidget* w : {static_cast<QWidget*>(programEdit), static_cast<QWidget*>(programUpDown)})
        SetHint(w, "Current Program number (Shift+PageUp/PageDown)");
    programUpDown->OnClick = [this](TUpDown* sender, bool) {
        instrument_.ProgramBank().SetProgram(sender->Position() - 1);
        SendProgramAndBank();
    };
    connect(programEdit, &QLineEdit::editingFinished, this, &TProgramPanel::ProgramEdited);

    msbLabel = FieldLabel(form, "MSB", 126, 30);
    msbEdit = new QLineEdit(form);
    msbEdit->setGeometry(156, Row2, 36, FieldHeight);
    msbUpDown = NumberUpDown(form, msbEdit, -1, 127);
    NameField(msbEdit, msbUpDown, "MSB");
    lsbLabel = FieldLabel(form, "LSB", 216, 28);
    lsbEdit = new QLineEdit(form);
    lsbEdit->setGeometry(244, Row2, 36, FieldHeight);
    lsbUpDown = NumberUpDown(form, lsbEdit, -1, 127);
    NameField(lsbEdit, lsbUpDown, "LSB");
    for (int which : {TProgramBank::Msb, TProgramBank::Lsb}) {
        BankUpDown(which)->OnClick = [this, which](TUpDown* sender, bool) { UserBankChange(which, sender->Position()); };
        connect(BankEdit(which), &QLineEdit::editingFinished, this, [this, which] { BankEdited(which); });
    }
    for (QLineEdit* e : {programEdit, msbEdit, lsbEdit}) e->installEventFilter(this);

    panicButton = new TPanelButton("Panic!", form, [this] { Panic(); });
    panicButton->setGeometry(306, Row2, 56, FieldHeight);
    panicButton->setAlignment(Qt::AlignCenter);
    panicButton->setFrameShape(QFrame::Panel);
    panicButton->setFrameShadow(QFrame::Raised);
    panicButton->setAutoFillBackground(true);
    panicButton->setCursor(Qt::PointingHandCursor);
    SetHint(panicButton, "Click here to stop all sounds immediately (Ctrl-Space)");

    ResetPatchCombo();
    ShowProgramAndBank();
}

void TProgramPanel::ShowProgramAndBank() {
    const int program = instrument_.ProgramBank().Program();
    programUpDown->SetPosition(program + 1);
    programEdit->setText(programUpDown->Position() == 0 ? QString("none") : QString::number(programUpDown->Position()));
    const QString hint = QString::fromStdString(instrument_.ProgramBank().BankHint());
    for (int which : {TProgramBank::Msb, TProgramBank::Lsb}) {
        const int value = instrument_.ProgramBank().Byte(which);
        BankUpDown(which)->SetPosition(value);
        BankEdit(which)->setText(NumberOrNone(value, TProgramBank::None));
    }
    for (QWidget* w : {static_cast<QWidget*>(msbEdit), static_cast<QWidget*>(lsbEdit), static_cast<QWidget*>(msbUpDown),
                       static_cast<QWidget*>(lsbUpDown), static_cast<QWidget*>(msbLabel), static_cast<QWidget*>(lsbLabel)}) {
        if (w != msbLabel && w != lsbLabel) w->setEnabled(program != TProgramBank::None);
        SetHint(w, hint);
    }
}

void TProgramPanel::SendProgramAndBank() {
    if (instrument_.ProgramBank().Program() != TProgramBank::None) {
        keyboard_->State().ClearExternalMarks();
        keyboard_->ReleaseAll();
    }
    ShowProgramAndBank();
    if (instrument_.SendProgramAndBank(keyboard_->State().Channel())) keyboard_->State().RestrikeHeldNote();
}

void TProgramPanel::UserBankChange(int which, int value) {
    instrument_.ProgramBank().UserBankChange(which, value);
    SendProgramAndBank();
}

void TProgramPanel::ProgramEdited() {
    int value = 0;
    // Text that is no program number is dropped: the field shows the program again.
    // The same number sends again: a synthesizer that restarted gets its sound back.
    if (ParseField(programEdit->text(), 0, value) && value >= 1 && value <= 128) {
        instrument_.ProgramBank().SetProgram(value - 1);
        SendProgramAndBank();
    }
    ShowProgramAndBank();
}

void TProgramPanel::BankEdited(int which) {
    int value = 0;
    if (ParseField(BankEdit(which)->text(), TProgramBank::None, value) && value >= -1 && value <= 127)
        UserBankChange(which, value);
    ShowProgramAndBank();
}

bool TProgramPanel::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == programEdit || watched == msbEdit || watched == lsbEdit) && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        ShowProgramAndBank(); // the typed text is dropped
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TProgramPanel::StepProgram(int delta) {
    int position = programUpDown->Position() + delta;
    if (position < programUpDown->Min()) position = programUpDown->Max();
    else if (position > programUpDown->Max()) position = programUpDown->Min();
    programUpDown->SetPosition(position);
    instrument_.ProgramBank().SetProgram(position - 1);
    SendProgramAndBank();
}

void TProgramPanel::StepPatch(int delta) {
    const int index = PatchCombo::Wrap(patchBox->currentIndex(), delta, patchBox->count());
    patchBox->setCurrentIndex(index);
    patchUpDown->SetPosition(index);
    PatchChosen(index);
}

// --- patches -------------------------------------------------------------------

void TProgramPanel::PatchChosen(int index) {
    auto* patch = index > 0 ? static_cast<TPatchProgram*>(patchBox->itemData(index).value<void*>()) : nullptr;
    SelectPatch(patch, false, true);
}

void TProgramPanel::ResetPatchCombo() {
    if (patchBox->count() != 1) {
        patchBox->clear();
        patchBox->addItem("(none)");
    }
    patchUpDown->SetRange(0, 0);
    patchUpDown->SetPosition(0);
    patchUpDown->setEnabled(false);
}

void TProgramPanel::RebuildPatchCombo() {
    if (!instrument_.CurrentPatch()) {
        ResetPatchCombo();
        shownPatchGroup_ = nullptr;
        patchBox->setCurrentIndex(0);
        services_.status(TStatusPanel::PatchGroup, QString());
        return;
    }
    const TPatchModeGroup* group = instrument_.CurrentPatch()->Parent();
    if (group == shownPatchGroup_) return;
    ResetPatchCombo();
    shownPatchGroup_ = group;
    for (TPatchProgram* patch : PatchCombo::Entries(*group))
        patchBox->addItem(QString::fromStdString(patch->Name()), QVariant::fromValue(static_cast<void*>(patch)));
    patchUpDown->setEnabled(true);
    patchUpDown->SetRange(0, patchBox->count() - 1);
    services_.status(TStatusPanel::PatchGroup, QString::fromStdString(group->Name()));
}

void TProgramPanel::SelectInCombo() {
    int index = 0;
    if (instrument_.CurrentPatch()) {
        const int found = patchBox->findData(QVariant::fromValue(static_cast<void*>(instrument_.CurrentPatch())));
        if (found > 0) index = found;
    }
    patchBox->setCurrentIndex(index);
    patchUpDown->SetPosition(index);
}

void TProgramPanel::SelectPatch(TPatchProgram* patch, bool rebuild, bool send) {
    instrument_.SetCurrentPatch(patch);
    if (rebuild) {
        RebuildPatchCombo();
        SelectInCombo();
    }
    ApplyPatch(send);
    keyboard_->SetNoteNames(patch ? patch->KeyNames() : nullptr);
}

void TProgramPanel::ApplyPatch(bool send) {
    if (!instrument_.CurrentPatch()) return;
    const bool sending = instrument_.ProgramBank().ApplyPatch(*instrument_.CurrentPatch(), send);
    ShowProgramAndBank();
    if (sending) SendProgramAndBank();
}

void TProgramPanel::CreatePatchesMenu(QMenuBar* bar) {
    patchesItem = bar->addMenu("&Patches");
    patchesSeparator = patchesItem->addSeparator();
    patchesSeparator->setVisible(false);
    choosePatchSetItem = patchesItem->addAction("&Choose Patch Set...");
    choosePatchSetItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(choosePatchSetItem, &QAction::triggered, this, &TProgramPanel::ChoosePatchSet);
}

void TProgramPanel::ChoosePatchSet() {
    if (!patchSetChooser_) {
        patchSetChooser_ = new TPatchSetChooserDialog(
            window_, [this](const std::string& file) { return ApplyPatchSet(file); }, services_.openSettings,
            [this] { return instrument_.PatchSet() ? instrument_.PatchSet()->FileName : std::string(); });
    }
    PresentDialog(patchSetChooser_.data());
}

void TProgramPanel::FillPatchMenu(QMenu* menu, const TPatchModeGroup& group) {
    // Filled when first shown: a set of thousands of patches opens at once.
    connect(menu, &QMenu::aboutToShow, menu, [this, menu, &group] {
        if (!menu->isEmpty()) return;
        for (std::size_t i = 0; i < group.GroupCount(); ++i) {
            const TPatchModeGroup& sub = *group.Group(i);
            FillPatchMenu(menu->addMenu(QString::fromStdString(sub.Name()).replace('&', "&&")), sub);
        }
        for (std::size_t i = 0; i < group.ProgramCount(); ++i) {
            TPatchProgram* patch = group.Program(i);
            menu->addAction(QString::fromStdString(patch->Name()).replace('&', "&&"), this,
                            [this, patch] { SelectPatch(patch, true, true); });
        }
    });
}

void TProgramPanel::SetPatchSet(std::unique_ptr<TPatchSet> set) {
    instrument_.SetCurrentPatch(nullptr);
    shownPatchGroup_ = nullptr;
    for (QAction* item : patchesItem->actions()) {
        if (item == patchesSeparator || item == choosePatchSetItem) continue;
        patchesItem->removeAction(item);
        if (QMenu* sub = item->menu()) sub->deleteLater();
        item->deleteLater();
    }
    patchesSeparator->setVisible(false);
    RebuildPatchCombo();
    keyboard_->SetNoteNames(nullptr);
    instrument_.SetPatchSet(std::move(set));
    if (!instrument_.PatchSet()) return;
    TPatchProgram* first = nullptr;
    for (std::size_t i = 0; i < instrument_.PatchSet()->ModeCount(); ++i) {
        const TPatchModeGroup& mode = *instrument_.PatchSet()->Mode(i);
        auto* menu = new QMenu(QString::fromStdString(mode.Name()).replace('&', "&&"), patchesItem);
        patchesItem->insertMenu(patchesSeparator, menu);
        FillPatchMenu(menu, mode);
        if (!first) first = PatchCombo::FirstInMenuOrder(mode);
    }
    if (first) {
        instrument_.SetCurrentPatch(first);
        RebuildPatchCombo();
        instrument_.SetCurrentPatch(nullptr);
        shownPatchGroup_ = nullptr;
    }
    SelectInCombo();
    patchesSeparator->setVisible(instrument_.PatchSet()->ModeCount() > 0);
}

bool TProgramPanel::ApplyPatchSet(const std::string& fileName) {
    if (fileName.empty()) return true;
    patchWarnings->Memo()->clear();
    TWarnings warnings;
    bool failed = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        SetPatchSet(LoadPatchList(fileName, &warnings));
    } catch (const TPatchScriptParseException&) {
        failed = true; // the parser has put its message among the warnings
    } catch (const std::exception& e) {
        warnings.push_back(e.what());
        failed = true;
    }
    QApplication::restoreOverrideCursor();
    patchWarnings->SetWarnings(warnings);
    if (!warnings.empty()) patchWarnings->exec();
    patchWarnings->Memo()->clear();
    return failed;
}

// --- panic ---------------------------------------------------------------------

void TProgramPanel::Panic() {
    if (!instrument_.StartPanic()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    panicShown_ = true;
    panicNormal_ = panicButton->palette();
    QPalette red = panicNormal_;
    red.setColor(QPalette::Window, Qt::red);
    panicButton->setPalette(red);
    services_.status(TStatusPanel::Message, "Panic: 0%");
    keyboard_->State().ReleaseThruNotes();
    keyboard_->ReleaseAll();
    keyboard_->State().ClearExternalMarks();
    if (!panicTimer_) {
        panicTimer_ = new QTimer(this);
        panicTimer_->setSingleShot(true);
        connect(panicTimer_, &QTimer::timeout, this, &TProgramPanel::PanicStep);
    }
    PanicStep();
}

void TProgramPanel::PanicStep() {
    const int percent = instrument_.PanicStep();
    if (percent < 0) {
        EndPanic(); // after the pause that follows the last channel, or at once when a send failed
        return;
    }
    services_.status(TStatusPanel::Message, QString("Panic: %1%").arg(percent));
    panicTimer_->start(150);
}

void TProgramPanel::EndPanic() {
    if (!panicShown_) return;
    panicShown_ = false;
    instrument_.EndPanic();
    panicTimer_->stop();
    panicButton->setPalette(panicNormal_);
    QApplication::restoreOverrideCursor();
}
