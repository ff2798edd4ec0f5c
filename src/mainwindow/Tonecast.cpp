#include "mainwindow/Tonecast.h"

#include "controls/UpDown.h"
#include "keyboard/Keyboard.h"
#include "mainwindow/FormPlacement.h"
#include "mainwindow/ProgramNames.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPalette>
#include <QStatusBar>

namespace {
constexpr int FormDesignWidth = 640;
constexpr int KeyboardTop = 36;
constexpr int KeyboardLeft = 5;
constexpr int FormBottomMargin = 6;

const char* const ChordNames[] = {"None", "Major", "Minor", "Major m7", "Minor m7", "Fifths", "Octave", "Power"};
} // namespace

TTonecast::TTonecast(QWidget* parent) : QMainWindow(parent) {
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);

    form_ = new QWidget(this);
    setCentralWidget(form_);

    auto* chordLabel = new QLabel("Chord:", form_);
    chordLabel->setGeometry(8, 8, 42, 20);
    CBChord = new QComboBox(form_);
    CBChord->setGeometry(52, 6, 110, 24);
    for (const char* name : ChordNames) CBChord->addItem(name);
    connect(CBChord, &QComboBox::activated, this, &TTonecast::CBChordClick);

    auto* channelLabel = new QLabel("Channel:", form_);
    channelLabel->setGeometry(176, 8, 56, 20);
    EChannel = new QLineEdit(form_);
    EChannel->setGeometry(234, 6, 32, 24);
    EChannel->installEventFilter(this);
    connect(EChannel, &QLineEdit::editingFinished, this, &TTonecast::EChannelExit);
    SBChannel = new TUpDown(form_);
    SBChannel->setGeometry(266, 6, 16, 24);
    SBChannel->SetRange(1, 16);
    SBChannel->OnClick = [this](TUpDown* sender, bool) {
        Keyboard1->SetChannel(sender->Position() - 1);
        ShowChannel();
    };

    Keyboard1 = new TKeyboard(form_);
    Keyboard1->SetImageSize(TImageSize::isSmall);
    Keyboard1->SetPaintStyle(TPaintStyle::psImage);
    Keyboard1->move(KeyboardLeft, KeyboardTop);
    Keyboard1->resize(FormDesignWidth - KeyboardLeft - 5, Keyboard1->ImageHeight());
    Keyboard1->SetBaseNote(36);
    Keyboard1->RegPath = ComponentRegPath();
    Keyboard1->OnNote = [this](TKeyboard*, std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
        if (OutputEvent) OutputEvent(s, d1, d2);
    };

    form_->setFixedHeight(KeyboardTop + Keyboard1->ImageHeight() + FormBottomMargin);
    designWidth_ = FormDesignWidth;
    designHeight_ = form_->height();
    resize(FormDesignWidth, designHeight_);
    UpdateFromKeyboard();
}

void TTonecast::ApplySizeLimits() {
    int bars = 0;
    if (QWidget* menu = menuWidget()) bars += menu->sizeHint().height();
    if (QStatusBar* status = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly))
        bars += status->sizeHint().height();
    designHeight_ = form_->height() + bars;
    setFixedHeight(designHeight_);
    setMinimumWidth(MinimumWidth());
    setMaximumWidth(MaximumWidth());
}

int TTonecast::MinimumWidth() const { return SBChannel->x() + SBChannel->width() + 5; }

int TTonecast::MaximumWidth() const { return Keyboard1->FullWidth() + 5 + Keyboard1->x(); }

void TTonecast::LayoutControls() {
    Keyboard1->resize(form_->width() - 5 - Keyboard1->x(), Keyboard1->height());
}

void TTonecast::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutControls();
}

void TTonecast::UpdateFromKeyboard() {
    const int chord = static_cast<int>(Keyboard1->Chord());
    if (chord < static_cast<int>(TChord::chCustom)) CBChord->setCurrentIndex(chord);
    ShowChannel();
}

void TTonecast::ShowChannel() {
    SBChannel->SetPosition(Keyboard1->Channel() + 1);
    EChannel->setText(QString::number(Keyboard1->Channel() + 1));
}

void TTonecast::CBChordClick(int index) {
    if (index >= 0 && index < static_cast<int>(TChord::chCustom)) Keyboard1->SetChord(static_cast<TChord>(index));
}

void TTonecast::EChannelExit() {
    bool ok = false;
    const int channel = EChannel->text().trimmed().toInt(&ok);
    // Text that is no channel number is dropped: the field shows the channel again.
    if (ok && channel >= 1 && channel <= 16 && channel - 1 != Keyboard1->Channel())
        Keyboard1->SetChannel(channel - 1);
    ShowChannel();
}

bool TTonecast::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EChannel && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        ShowChannel();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TTonecast::LoadSettings(TIniStore& store) {
    RestoreFormPlacement(this, store, settingsSection_, placementFlags_, "");
    modulationController_ = static_cast<std::uint8_t>(
        store.ReadInteger(settingsSection_, "MWCtrl", modulationController_) & 0x7F);
    Keyboard1->LoadSettings(store);
    UpdateFromKeyboard();
}

void TTonecast::SaveSettings(TIniStore& store) {
    SaveFormPlacement(this, store, settingsSection_, placementFlags_, "");
    store.WriteInteger(settingsSection_, "MWCtrl", modulationController_);
    Keyboard1->SaveSettings(store);
}
