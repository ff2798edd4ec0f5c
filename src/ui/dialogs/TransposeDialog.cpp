#include "dialogs/TransposeDialog.h"

#include "store/StoredSetting.h"

#include "widgets/UpDown.h"
#include "widgets/PianoKeyboard.h"
#include "dialogs/WindowPlacement.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Whether the dialog shows its explanation, stored beside its placement.
constexpr TBoolSetting ShowHelpSetting{"ShowHelp", true};

constexpr int Width = 330, Margin = 8;

QLabel* Paragraph(QWidget* parent, const char* text) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}
} // namespace

TTransposeDialog::TTransposeDialog(QWidget* mainWindow, TPianoKeyboard& keyboard,
                               std::function<std::unique_ptr<TIniStore>()> openSettings)
    : QDialog(mainWindow, Qt::Tool), keyboard_(keyboard), openSettings_(std::move(openSettings)) {
    setWindowTitle("Transpose");
    setAttribute(Qt::WA_DeleteOnClose);

    // The settings are laid out by their texts, so that each shows whole in
    // any font; below them the help panel, and the buttons move with it.
    TransposeBevel = new QFrame(this);
    TransposeBevel->setFrameShape(QFrame::StyledPanel);
    auto* label = new QLabel("Number of semi- tones to transpose:", TransposeBevel);
    ETranspose = new QLineEdit("0", TransposeBevel);
    ETranspose->setMaxLength(4);
    ETranspose->setFixedWidth(44);
    label->setBuddy(ETranspose);
    UDTranspose = new TUpDown(TransposeBevel);
    UDTranspose->setFixedWidth(16);
    UDTranspose->SetRange(-99, 99);
    CBDisplayBeforeKeyb = new QCheckBox("Display transposed notes on keyboard", TransposeBevel);
    CBThru = new QCheckBox("Transpose MIDI Thru notes", TransposeBevel);
    CBThru->setChecked(true);
    CBKeepTranspose = new QCheckBox("Keep transpose when this window is closed.", TransposeBevel);
    auto* number = new QHBoxLayout;
    number->setSpacing(0);
    number->addWidget(label);
    number->addSpacing(4);
    number->addWidget(ETranspose);
    number->addWidget(UDTranspose);
    number->addStretch();
    auto* settings = new QVBoxLayout(TransposeBevel);
    settings->addLayout(number);
    for (QCheckBox* box : {CBDisplayBeforeKeyb, CBThru, CBKeepTranspose}) settings->addWidget(box);
    const int width = std::max(Width, TransposeBevel->sizeHint().width() + 2 * Margin);
    TransposeBevel->setGeometry(Margin, Margin, width - 2 * Margin, TransposeBevel->sizeHint().height());

    HelpPanel = new QFrame(this);
    HelpPanel->setFrameShape(QFrame::StyledPanel);
    auto* help = new QVBoxLayout(HelpPanel);
    help->addWidget(Paragraph(HelpPanel, "This window transposes all notes you play up (positive numbers) or down "
                                         "(negative numbers) by the given number of semitones."));
    help->addWidget(Paragraph(HelpPanel, "\"Display transposed notes on keyboard\" shows the keys at the pitch that "
                                         "is sent instead of the key you played."));
    help->addWidget(Paragraph(HelpPanel, "\"Transpose MIDI Thru notes\" moves the notes that come from the MIDI "
                                         "input and pass through to the output as well."));
    help->addWidget(Paragraph(HelpPanel, "Unless \"Keep transpose when this window is closed.\" is ticked, closing "
                                         "this window sets the transposition back to 0."));
    HelpPanel->setFixedWidth(width - 2 * Margin);
    HelpPanel->adjustSize();
    HelpPanel->move(Margin, TransposeBevel->y() + TransposeBevel->height() + Margin);

    BClose = new QPushButton("&Close", this);
    BClose->setDefault(true);
    BHelp = new QPushButton("Hide help", this);
    BHelp->setAutoDefault(false);
    hideHelpCaption_ = BHelp->text();
    setFixedWidth(width);

    ETranspose->installEventFilter(this);
    connect(ETranspose, &QLineEdit::editingFinished, this, &TTransposeDialog::NumberEntered);
    UDTranspose->OnClick = [this](TUpDown* sender, bool) {
        keyboard_.State().SetTranspose(sender->Position());
        ShowTranspose();
    };
    connect(CBDisplayBeforeKeyb, &QCheckBox::clicked, this,
            [this](bool on) { keyboard_.State().SetDisplayTransposed(on); });
    connect(CBThru, &QCheckBox::clicked, this, [this](bool on) { keyboard_.State().SetTransposeThru(on); });
    connect(BHelp, &QPushButton::clicked, this, [this] { ShowHelp(!HelpShown()); });
    connect(BClose, &QPushButton::clicked, this, &QDialog::reject);
    ShowHelp(true);
}

bool TTransposeDialog::HelpShown() const { return !HelpPanel->isHidden(); }

void TTransposeDialog::ShowHelp(bool show) {
    HelpPanel->setVisible(show);
    const int closeTop = show ? HelpPanel->y() + HelpPanel->height() + gap_ : HelpPanel->y();
    BClose->setGeometry(width() - Margin - 90, closeTop, 90, 28);
    BHelp->setGeometry(Margin, closeTop, 110, 28);
    BHelp->setText(show ? hideHelpCaption_ : QString("Show Help"));
    setFixedHeight(closeTop + BClose->height() + gap_);
}

void TTransposeDialog::ShowTranspose() {
    UDTranspose->SetPosition(keyboard_.State().Transpose());
    ETranspose->setText(QString::number(UDTranspose->Position()));
}

void TTransposeDialog::NumberEntered() {
    bool ok = false;
    const int value = ETranspose->text().trimmed().toInt(&ok);
    if (!ok) return; // text that is no number stays as typed
    if (value >= -99 && value <= 99) keyboard_.State().SetTranspose(value);
    ShowTranspose();
}

bool TTransposeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ETranspose && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            ETranspose->setText(QString::number(keyboard_.State().Transpose()));
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            NumberEntered();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TTransposeDialog::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        gap_ = HelpPanel->y() - (TransposeBevel->y() + TransposeBevel->height());
        ShowTranspose();
        CBDisplayBeforeKeyb->setChecked(keyboard_.State().DisplayTransposed());
        CBThru->setChecked(keyboard_.State().TransposeThru());
        if (QWidget* main = parentWidget()) move(main->pos() + QPoint(10, 10));
        bool showHelp = HelpShown();
        if (auto store = openSettings_()) {
            RestoreFormPlacement(this, *store, Section, 2, "Form");
            showHelp = TSettingsSection(*store, Section).Read(ShowHelpSetting, showHelp);
        }
        ShowHelp(showHelp);
        ETranspose->setFocus();
    }
    QDialog::showEvent(event);
}

void TTransposeDialog::done(int result) {
    if (isVisible()) {
        if (!CBKeepTranspose->isChecked()) keyboard_.State().SetTranspose(0);
        try {
            if (auto store = openSettings_()) {
                SaveFormPlacement(this, *store, Section, 2, "Form");
                TSettingsSection(*store, Section).Write(ShowHelpSetting, HelpShown());
                store->Close();
            }
        } catch (const EStoreError&) {
            // The dialog's place is not worth a message at close.
        }
    }
    QDialog::done(result);
}
