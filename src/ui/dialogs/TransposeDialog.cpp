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
    transposeFrame = new QFrame(this);
    transposeFrame->setFrameShape(QFrame::StyledPanel);
    auto* label = new QLabel("Number of semi- tones to transpose:", transposeFrame);
    transposeEdit = new QLineEdit("0", transposeFrame);
    transposeEdit->setMaxLength(4);
    transposeEdit->setFixedWidth(44);
    label->setBuddy(transposeEdit);
    transposeUpDown = new TUpDown(transposeFrame);
    transposeUpDown->setFixedWidth(16);
    transposeUpDown->SetRange(-99, 99);
    displayBeforeKeyboardCheck = new QCheckBox("Display transposed notes on keyboard", transposeFrame);
    thruCheck = new QCheckBox("Transpose MIDI Thru notes", transposeFrame);
    thruCheck->setChecked(true);
    keepTransposeCheck = new QCheckBox("Keep transpose when this window is closed.", transposeFrame);
    auto* number = new QHBoxLayout;
    number->setSpacing(0);
    number->addWidget(label);
    number->addSpacing(4);
    number->addWidget(transposeEdit);
    number->addWidget(transposeUpDown);
    number->addStretch();
    auto* settings = new QVBoxLayout(transposeFrame);
    settings->addLayout(number);
    for (QCheckBox* box : {displayBeforeKeyboardCheck, thruCheck, keepTransposeCheck}) settings->addWidget(box);
    const int width = std::max(Width, transposeFrame->sizeHint().width() + 2 * Margin);
    transposeFrame->setGeometry(Margin, Margin, width - 2 * Margin, transposeFrame->sizeHint().height());

    helpFrame = new QFrame(this);
    helpFrame->setFrameShape(QFrame::StyledPanel);
    auto* help = new QVBoxLayout(helpFrame);
    help->addWidget(Paragraph(helpFrame, "This window transposes all notes you play up (positive numbers) or down "
                                         "(negative numbers) by the given number of semitones."));
    help->addWidget(Paragraph(helpFrame, "\"Display transposed notes on keyboard\" shows the keys at the pitch that "
                                         "is sent instead of the key you played."));
    help->addWidget(Paragraph(helpFrame, "\"Transpose MIDI Thru notes\" moves the notes that come from the MIDI "
                                         "input and pass through to the output as well."));
    help->addWidget(Paragraph(helpFrame, "Unless \"Keep transpose when this window is closed.\" is ticked, closing "
                                         "this window sets the transposition back to 0."));
    helpFrame->setFixedWidth(width - 2 * Margin);
    helpFrame->adjustSize();
    helpFrame->move(Margin, transposeFrame->y() + transposeFrame->height() + Margin);

    closeButton = new QPushButton("&Close", this);
    closeButton->setDefault(true);
    helpButton = new QPushButton("Hide help", this);
    helpButton->setAutoDefault(false);
    hideHelpCaption_ = helpButton->text();
    setFixedWidth(width);

    transposeEdit->installEventFilter(this);
    connect(transposeEdit, &QLineEdit::editingFinished, this, &TTransposeDialog::NumberEntered);
    transposeUpDown->OnClick = [this](TUpDown* sender, bool) {
        keyboard_.State().SetTranspose(sender->Position());
        ShowTranspose();
    };
    connect(displayBeforeKeyboardCheck, &QCheckBox::clicked, this,
            [this](bool on) { keyboard_.State().SetDisplayTransposed(on); });
    connect(thruCheck, &QCheckBox::clicked, this, [this](bool on) { keyboard_.State().SetTransposeThru(on); });
    connect(helpButton, &QPushButton::clicked, this, [this] { ShowHelp(!HelpShown()); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    ShowHelp(true);
}

bool TTransposeDialog::HelpShown() const { return !helpFrame->isHidden(); }

void TTransposeDialog::ShowHelp(bool show) {
    helpFrame->setVisible(show);
    const int closeTop = show ? helpFrame->y() + helpFrame->height() + gap_ : helpFrame->y();
    closeButton->setGeometry(width() - Margin - 90, closeTop, 90, 28);
    helpButton->setGeometry(Margin, closeTop, 110, 28);
    helpButton->setText(show ? hideHelpCaption_ : QString("Show Help"));
    setFixedHeight(closeTop + closeButton->height() + gap_);
}

void TTransposeDialog::ShowTranspose() {
    transposeUpDown->SetPosition(keyboard_.State().Transpose());
    transposeEdit->setText(QString::number(transposeUpDown->Position()));
}

void TTransposeDialog::NumberEntered() {
    bool ok = false;
    const int value = transposeEdit->text().trimmed().toInt(&ok);
    if (!ok) return; // text that is no number stays as typed
    if (value >= -99 && value <= 99) keyboard_.State().SetTranspose(value);
    ShowTranspose();
}

bool TTransposeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == transposeEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            transposeEdit->setText(QString::number(keyboard_.State().Transpose()));
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
        gap_ = helpFrame->y() - (transposeFrame->y() + transposeFrame->height());
        ShowTranspose();
        displayBeforeKeyboardCheck->setChecked(keyboard_.State().DisplayTransposed());
        thruCheck->setChecked(keyboard_.State().TransposeThru());
        if (QWidget* main = parentWidget()) move(main->pos() + QPoint(10, 10));
        bool showHelp = HelpShown();
        if (auto store = openSettings_()) {
            RestoreFormPlacement(this, *store, Section, 2, "Form");
            showHelp = TSettingsSection(*store, Section).Read(ShowHelpSetting, showHelp);
        }
        ShowHelp(showHelp);
        transposeEdit->setFocus();
    }
    QDialog::showEvent(event);
}

void TTransposeDialog::done(int result) {
    if (isVisible()) {
        if (!keepTransposeCheck->isChecked()) keyboard_.State().SetTranspose(0);
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
