// The main window's program, bank and patch selection, the Patches menu and Panic!.
#include "mainwindow/MainWindow.h"

#include "widgets/UpDown.h"
#include "widgets/PianoKeyboard.h"
#include "patches/PatchCombo.h"
#include "dialogs/PatchWarningsDialog.h"
#include "patches/PatchScriptParser.h"
#include "dialogs/PatchSetChooserDialog.h"
#include "patches/PatchSet.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>

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

// A panel that reports clicks.
class TPanicPanel : public QLabel {
public:
    TPanicPanel(const QString& caption, QWidget* parent, std::function<void()> onClick)
        : QLabel(caption, parent), onClick_(std::move(onClick)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) onClick_();
    }

private:
    std::function<void()> onClick_;
};
} // namespace

void TMainWindow::CreateProgramControls() {
    CBProgramPatch = new QComboBox(form_);
    CBProgramPatch->setGeometry(290, Row1, 150, FieldHeight);
    SetHint(CBProgramPatch, "Current Patch (Page Up/Page Down)");
    CBProgramPatch->setFocusPolicy(Qt::ClickFocus);
    UDProgramPatch = new TUpDown(form_);
    UDProgramPatch->setGeometry(440, Row1, 16, FieldHeight);
    UDProgramPatch->Wrap = true;
    UDProgramPatch->Accelerated = true;
    connect(CBProgramPatch, &QComboBox::activated, this, [this](int index) {
        UDProgramPatch->SetPosition(index);
        PatchChosen(index);
    });
    UDProgramPatch->OnClick = [this](TUpDown* sender, bool) {
        CBProgramPatch->setCurrentIndex(sender->Position());
        PatchChosen(sender->Position());
    };

    FieldLabel(form_, "Program", 8, 54);
    EProgram = new QLineEdit(form_);
    EProgram->setGeometry(62, Row2, 40, FieldHeight);
    UDProgram = NumberUpDown(form_, EProgram, 0, 128);
    for (QWidget* w : {static_cast<QWidget*>(EProgram), static_cast<QWidget*>(UDProgram)})
        SetHint(w, "Current Program number (Shift+PageUp/PageDown)");
    UDProgram->OnClick = [this](TUpDown* sender, bool) {
        instrument_.ProgramBank().SetProgram(sender->Position() - 1);
        SendProgramAndBank();
    };
    connect(EProgram, &QLineEdit::editingFinished, this, &TMainWindow::ProgramEdited);

    LMSB = FieldLabel(form_, "MSB", 126, 30);
    EMSB = new QLineEdit(form_);
    EMSB->setGeometry(156, Row2, 36, FieldHeight);
    UDMSB = NumberUpDown(form_, EMSB, -1, 127);
    LLSB = FieldLabel(form_, "LSB", 216, 28);
    ELSB = new QLineEdit(form_);
    ELSB->setGeometry(244, Row2, 36, FieldHeight);
    UDLSB = NumberUpDown(form_, ELSB, -1, 127);
    for (int which : {TProgramBank::Msb, TProgramBank::Lsb}) {
        BankUpDown(which)->OnClick = [this, which](TUpDown* sender, bool) { UserBankChange(which, sender->Position()); };
        connect(BankEdit(which), &QLineEdit::editingFinished, this, [this, which] { BankEdited(which); });
    }
    for (QLineEdit* e : {EProgram, EMSB, ELSB}) e->installEventFilter(this);

    PPanic = new TPanicPanel("Panic!", form_, [this] { Panic(); });
    PPanic->setGeometry(306, Row2, 56, FieldHeight);
    PPanic->setAlignment(Qt::AlignCenter);
    PPanic->setFrameShape(QFrame::Panel);
    PPanic->setFrameShadow(QFrame::Raised);
    PPanic->setAutoFillBackground(true);
    PPanic->setCursor(Qt::PointingHandCursor);
    SetHint(PPanic, "Click here to stop all sounds immediately (Ctrl-Space)");

    ResetPatchCombo();
    ShowProgramAndBank();
}

void TMainWindow::ShowProgramAndBank() {
    const int program = instrument_.ProgramBank().Program();
    UDProgram->SetPosition(program + 1);
    EProgram->setText(UDProgram->Position() == 0 ? QString("none") : QString::number(UDProgram->Position()));
    const QString hint = QString::fromStdString(instrument_.ProgramBank().BankHint());
    for (int which : {TProgramBank::Msb, TProgramBank::Lsb}) {
        const int value = instrument_.ProgramBank().Byte(which);
        BankUpDown(which)->SetPosition(value);
        BankEdit(which)->setText(NumberOrNone(value, TProgramBank::None));
    }
    for (QWidget* w : {static_cast<QWidget*>(EMSB), static_cast<QWidget*>(ELSB), static_cast<QWidget*>(UDMSB),
                       static_cast<QWidget*>(UDLSB), static_cast<QWidget*>(LMSB), static_cast<QWidget*>(LLSB)}) {
        if (w != LMSB && w != LLSB) w->setEnabled(program != TProgramBank::None);
        SetHint(w, hint);
    }
}

void TMainWindow::SendProgramAndBank() {
    if (instrument_.ProgramBank().Program() != TProgramBank::None) {
        Keyboard1->ClearExternalMarks();
        Keyboard1->ReleaseAll();
    }
    ShowProgramAndBank();
    if (instrument_.SendProgramAndBank(Keyboard1->Channel())) Keyboard1->RestrikeHeldNote();
}

void TMainWindow::UserBankChange(int which, int value) {
    instrument_.ProgramBank().UserBankChange(which, value);
    SendProgramAndBank();
}

void TMainWindow::ProgramEdited() {
    int value = 0;
    // Text that is no program number is dropped: the field shows the program again.
    // The same number sends again: a synthesizer that restarted gets its sound back.
    if (ParseField(EProgram->text(), 0, value) && value >= 1 && value <= 128) {
        instrument_.ProgramBank().SetProgram(value - 1);
        SendProgramAndBank();
    }
    ShowProgramAndBank();
}

void TMainWindow::BankEdited(int which) {
    int value = 0;
    if (ParseField(BankEdit(which)->text(), TProgramBank::None, value) && value >= -1 && value <= 127)
        UserBankChange(which, value);
    ShowProgramAndBank();
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::Paint) {
        PaintBackground(static_cast<QPaintEvent*>(event)->rect());
        return false; // the form paints nothing of its own over it
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const QWidget* focus = QApplication::focusWidget();
        if (widget->window() == this && (widget == focus || (!focus && widget == this)))
            FormKeyDown(*static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::Wheel && watched->isWidgetType() && WheelBelongsToWindow(static_cast<QWidget*>(watched))) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if ((watched == EProgram || watched == EMSB || watched == ELSB) && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        ShowProgramAndBank(); // the typed text is dropped
        return true;
    }
    return TInstrumentForm::eventFilter(watched, event);
}

bool TMainWindow::WheelBelongsToWindow(QWidget* widget) const {
    if (widget->window() != this) return false;
    // The outermost list or field the wheel is over: without the focus it
    // leaves the wheel to the window's controller; with it, it scrolls.
    QWidget* control = nullptr;
    for (QWidget* w = widget; w && w != this; w = w->parentWidget())
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w)) control = w;
    if (!control) return false;
    const QWidget* focus = QApplication::focusWidget();
    return !(control == focus || (focus && control->isAncestorOf(focus)));
}

void TMainWindow::FormKeyDown(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key.key()) {
    case Qt::Key_Space:
        if (mods == Qt::ControlModifier) Panic();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int delta = key.key() == Qt::Key_PageUp ? -1 : 1;
        if (mods == Qt::NoModifier) StepPatch(delta);
        else if (mods == Qt::ShiftModifier) StepProgram(delta);
        break;
    }
    case Qt::Key_Home:
    case Qt::Key_End:
        if (mods == Qt::NoModifier) {
            const int index = PatchCombo::Wrap(CBChord->currentIndex(), key.key() == Qt::Key_Home ? -1 : 1, CBChord->count());
            CBChord->setCurrentIndex(index);
            CBChordClick(index);
        }
        break;
    default: break;
    }
}

void TMainWindow::StepProgram(int delta) {
    int position = UDProgram->Position() + delta;
    if (position < UDProgram->Min()) position = UDProgram->Max();
    else if (position > UDProgram->Max()) position = UDProgram->Min();
    UDProgram->SetPosition(position);
    instrument_.ProgramBank().SetProgram(position - 1);
    SendProgramAndBank();
}

void TMainWindow::StepPatch(int delta) {
    const int index = PatchCombo::Wrap(CBProgramPatch->currentIndex(), delta, CBProgramPatch->count());
    CBProgramPatch->setCurrentIndex(index);
    UDProgramPatch->SetPosition(index);
    PatchChosen(index);
}

// --- patches -------------------------------------------------------------------

void TMainWindow::PatchChosen(int index) {
    auto* patch = index > 0 ? static_cast<TPatchProgram*>(CBProgramPatch->itemData(index).value<void*>()) : nullptr;
    SelectPatch(patch, false, true);
}

void TMainWindow::ResetPatchCombo() {
    if (CBProgramPatch->count() != 1) {
        CBProgramPatch->clear();
        CBProgramPatch->addItem("(none)");
    }
    UDProgramPatch->SetRange(0, 0);
    UDProgramPatch->SetPosition(0);
    UDProgramPatch->setEnabled(false);
}

void TMainWindow::RebuildPatchCombo() {
    if (!instrument_.CurrentPatch()) {
        ResetPatchCombo();
        shownPatchGroup_ = nullptr;
        CBProgramPatch->setCurrentIndex(0);
        SetStatusText(4, QString());
        return;
    }
    const TPatchModeGroup* group = instrument_.CurrentPatch()->Parent();
    if (group == shownPatchGroup_) return;
    ResetPatchCombo();
    shownPatchGroup_ = group;
    for (TPatchProgram* patch : PatchCombo::Entries(*group))
        CBProgramPatch->addItem(QString::fromStdString(patch->Name()), QVariant::fromValue(static_cast<void*>(patch)));
    UDProgramPatch->setEnabled(true);
    UDProgramPatch->SetRange(0, CBProgramPatch->count() - 1);
    SetStatusText(4, QString::fromStdString(group->Name()));
}

void TMainWindow::SelectInCombo() {
    int index = 0;
    if (instrument_.CurrentPatch()) {
        const int found = CBProgramPatch->findData(QVariant::fromValue(static_cast<void*>(instrument_.CurrentPatch())));
        if (found > 0) index = found;
    }
    CBProgramPatch->setCurrentIndex(index);
    UDProgramPatch->SetPosition(index);
}

void TMainWindow::SelectPatch(TPatchProgram* patch, bool rebuild, bool send) {
    instrument_.SetCurrentPatch(patch);
    if (rebuild) {
        RebuildPatchCombo();
        SelectInCombo();
    }
    ApplyPatch(send);
    Keyboard1->SetNoteNames(patch ? patch->KeyNames() : nullptr);
}

void TMainWindow::ApplyPatch(bool send) {
    if (!instrument_.CurrentPatch()) return;
    const bool sending = instrument_.ProgramBank().ApplyPatch(*instrument_.CurrentPatch(), send);
    ShowProgramAndBank();
    if (sending) SendProgramAndBank();
}

void TMainWindow::CreatePatchesMenu() {
    PatchesItem = menuBar()->addMenu("&Patches");
    PatchesSeparator = PatchesItem->addSeparator();
    PatchesSeparator->setVisible(false);
    ChoosePatchSetItem = PatchesItem->addAction("&Choose Patch Set...");
    ChoosePatchSetItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(ChoosePatchSetItem, &QAction::triggered, this, &TMainWindow::ChoosePatchSet);
}

TPatchSetChooserDialog* TMainWindow::PatchSetChooser() const { return patchSetChooser_; }

void TMainWindow::ChoosePatchSet() {
    if (!patchSetChooser_) {
        patchSetChooser_ = new TPatchSetChooserDialog(
            this, [this](const std::string& file) { return ApplyPatchSet(file); },
            [this] { return names_.OpenRegistryStore(); },
            [this] { return instrument_.PatchSet() ? instrument_.PatchSet()->FileName : std::string(); });
    }
    PresentDialog(patchSetChooser_.data());
}

void TMainWindow::FillPatchMenu(QMenu* menu, const TPatchModeGroup& group) {
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

void TMainWindow::SetPatchSet(std::unique_ptr<TPatchSet> list) {
    instrument_.SetCurrentPatch(nullptr);
    shownPatchGroup_ = nullptr;
    for (QAction* item : PatchesItem->actions()) {
        if (item == PatchesSeparator || item == ChoosePatchSetItem) continue;
        PatchesItem->removeAction(item);
        if (QMenu* sub = item->menu()) sub->deleteLater();
        item->deleteLater();
    }
    PatchesSeparator->setVisible(false);
    RebuildPatchCombo();
    Keyboard1->SetNoteNames(nullptr);
    instrument_.SetPatchSet(std::move(list));
    if (!instrument_.PatchSet()) return;
    sendMsbFirst_ = instrument_.PatchSet()->SendMsbFirst;
    TPatchProgram* first = nullptr;
    for (std::size_t i = 0; i < instrument_.PatchSet()->ModeCount(); ++i) {
        const TPatchModeGroup& mode = *instrument_.PatchSet()->Mode(i);
        auto* menu = new QMenu(QString::fromStdString(mode.Name()).replace('&', "&&"), PatchesItem);
        PatchesItem->insertMenu(PatchesSeparator, menu);
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
    PatchesSeparator->setVisible(instrument_.PatchSet()->ModeCount() > 0);
}

bool TMainWindow::ApplyPatchSet(const std::string& fileName) {
    if (fileName.empty()) return true;
    ErrForm1->Memo()->clear();
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
    for (const std::string& line : warnings) ErrForm1->Memo()->appendPlainText(QString::fromStdString(line));
    if (!warnings.empty()) ErrForm1->exec();
    ErrForm1->Memo()->clear();
    return failed;
}

// --- panic ---------------------------------------------------------------------

void TMainWindow::Panic() {
    if (!instrument_.StartPanic()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    panicShown_ = true;
    panicNormal_ = PPanic->palette();
    QPalette red = panicNormal_;
    red.setColor(QPalette::Window, Qt::red);
    PPanic->setPalette(red);
    SetStatusText(0, "Panic: 0%");
    Keyboard1->ReleaseThruNotes();
    Keyboard1->ReleaseAll();
    Keyboard1->ClearExternalMarks();
    if (!panicTimer_) {
        panicTimer_ = new QTimer(this);
        panicTimer_->setSingleShot(true);
        connect(panicTimer_, &QTimer::timeout, this, &TMainWindow::PanicStep);
    }
    PanicStep();
}

void TMainWindow::PanicStep() {
    const int percent = instrument_.PanicStep();
    if (percent < 0) {
        EndPanic(); // after the pause that follows the last channel, or at once when a send failed
        return;
    }
    SetStatusText(0, QString("Panic: %1%").arg(percent));
    panicTimer_->start(150);
}

void TMainWindow::EndPanic() {
    if (!panicShown_) return;
    panicShown_ = false;
    instrument_.EndPanic();
    panicTimer_->stop();
    PPanic->setPalette(panicNormal_);
    QApplication::restoreOverrideCursor();
}
