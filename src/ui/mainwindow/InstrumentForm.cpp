#include "mainwindow/InstrumentForm.h"
#include "widgets/Bitmaps.h"

#include "midi/ShortMessage.h"

#include "widgets/ImageStripControl.h"
#include "widgets/PictureDepth.h"
#include "widgets/QtServices.h"
#include "widgets/UpDown.h"
#include "widgets/PianoKeyboard.h"
#include "dialogs/WindowPlacement.h"
#include "instrument/MainWindowSettings.h"
#include "store/ProgramNames.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QWindow>

#include <cmath>

namespace {
constexpr int FormDesignWidth = 640;
constexpr int KeyboardTop = 76; // below two rows of knobs
constexpr int KeyboardLeft = 65; // right of the two wheels and the left arrow
constexpr int FormBottomMargin = 6;

const char* const ChordNames[] = {"None", "Major", "Minor", "Major m7", "Minor m7", "Fifths", "Octave", "Power"};
} // namespace

TInstrumentForm::TInstrumentForm(TProgramNames names, QWidget* parent) : QMainWindow(parent), names_(std::move(names)) {
    // Only the client area is black; the menu bar, status bar and the boxes the
    // window opens keep the desktop's palette.
    form_ = new QWidget(this);
    QPalette p = form_->palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::white);
    form_->setPalette(p);
    form_->setAutoFillBackground(true);
    setCentralWidget(form_);

    auto* chordLabel = new QLabel("Chord:", form_);
    chordLabel->setGeometry(8, 8, 42, 20);
    CBChord = new QComboBox(form_);
    CBChord->setAccessibleName("Chord");
    chordLabel->setBuddy(CBChord);
    CBChord->setGeometry(52, 6, 110, 24);
    for (const char* name : ChordNames) CBChord->addItem(name);
    connect(CBChord, &QComboBox::activated, this, &TInstrumentForm::CBChordClick);

    auto* channelLabel = new QLabel("Channel:", form_);
    channelLabel->setGeometry(176, 8, 56, 20);
    EChannel = new QLineEdit(form_);
    EChannel->setAccessibleName("Channel");
    channelLabel->setBuddy(EChannel);
    EChannel->setGeometry(234, 6, 32, 24);
    EChannel->installEventFilter(this);
    connect(EChannel, &QLineEdit::editingFinished, this, &TInstrumentForm::EChannelExit);
    SBChannel = new TUpDown(form_);
    SBChannel->setGeometry(266, 6, 16, 24);
    SBChannel->SetRange(1, 16);
    SBChannel->SetAccessibleNames("Channel");
    SBChannel->OnClick = [this](TUpDown* sender, bool) {
        Keyboard1->SetChannel(sender->Position() - 1);
        ShowChannel();
    };

    Keyboard1 = new TPianoKeyboard(keyTable_, form_);
    Keyboard1->SetImageSize(TImageSize::Small);
    Keyboard1->SetPaintStyle(TPaintStyle::Image);
    Keyboard1->move(KeyboardLeft, KeyboardTop);
    Keyboard1->resize(FormDesignWidth - KeyboardLeft - 5, Keyboard1->ImageHeight());
    Keyboard1->SetBaseNote(36);
    Keyboard1->OnNote = [this](TPianoKeyboard*, std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
        if (OutputEvent) OutputEvent(TShortMessage{s, d1, d2});
    };

    CreateWheelsAndArrows();
    LoadBackground(ScreenDepth());
    form_->installEventFilter(this); // its background

    form_->setFixedHeight(KeyboardTop + Keyboard1->ImageHeight() + FormBottomMargin);
    designWidth_ = FormDesignWidth;
    designHeight_ = form_->height();
    resize(FormDesignWidth, designHeight_);
    UpdateFromKeyboard();
}

void TInstrumentForm::ApplySizeLimits() {
    int bars = 0;
    if (QWidget* menu = menuWidget()) bars += menu->sizeHint().height();
    if (QStatusBar* status = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly))
        bars += status->sizeHint().height();
    designHeight_ = form_->height() + bars;
    setFixedHeight(designHeight_);
    setMinimumWidth(MinimumWidth());
    setMaximumWidth(MaximumWidth());
}

void TInstrumentForm::CreateWheelsAndArrows() {
    FIWheel = new TFrameImage(this);
    FIWheel->Setup(20, 76, "WHEEL", "WHEEL256");
    FILeftArrow = new TFrameImage(this);
    FILeftArrow->Setup(16, 76, "LEFTARROW");
    FILeftArrow->Button = true;
    FIRightArrow = new TFrameImage(this);
    FIRightArrow->Setup(16, 76, "RIGHTARROW");
    FIRightArrow->Button = true;

    auto wheel = [this](int left, int min, int max, const char* name, const char* hint) {
        auto* c = new TImageStripControl(form_);
        c->setAccessibleName(name);
        c->SetFrameImage(FIWheel);
        c->SetMax(max);
        c->SetMin(min);
        c->ShowScrollHint = true;
        c->setFocusPolicy(Qt::NoFocus);
        c->setToolTip(hint);
        c->setStatusTip(hint);
        c->move(left, KeyboardTop);
        return c;
    };
    ICPitch = wheel(5, ShortMessage::PitchBendMin, ShortMessage::PitchBendMax, "Pitch wheel", "Pitch wheel (use SHIFT for fine mode, CTRL to disable scrollback)");
    ICPitch->SmallChange = 96;
    ICPitch->LargeChange = 512;
    ICPitch->MiddleSnap = 5;
    ICMW = wheel(27, 0, 127, "Modulation wheel", "Modulation wheel (use SHIFT for fine mode)");
    ICMW->MiddleSnap = 0;

    auto arrow = [this](TFrameImage* image, const char* hint) {
        auto* c = new TImageStripControl(form_);
        c->SetFrameImage(image);
        c->SetMax(1);
        c->AutoRepeat = true;
        c->AutoRepeatInitDelay = 500;
        c->AutoRepeatDelay = 60;
        c->setCursor(Qt::PointingHandCursor);
        c->setFocusPolicy(Qt::NoFocus);
        c->setToolTip(hint);
        c->setStatusTip(hint);
        c->setAccessibleName(hint);
        return c;
    };
    ICLeftArrow = arrow(FILeftArrow, "Scroll visible keys down");
    ICLeftArrow->move(49, KeyboardTop);
    ICRightArrow = arrow(FIRightArrow, "Scroll visible keys up");
    ICRightArrow->move(FormDesignWidth - 5 - 16, KeyboardTop);

    ICPitch->OnScroll = [this](TImageStripControl*, int& v) {
        if (!OutputEvent) return;
        OutputEvent(ShortMessage::PitchBend(Keyboard1->Channel(), v));
    };
    ICPitch->OnMouseUp = [this](TImageStripControl*, Qt::MouseButton, Qt::KeyboardModifiers shift) { ICPitchMouseUp(shift); };
    ICMW->OnScroll = [this](TImageStripControl*, int& v) {
        if (OutputEvent) {
            OutputEvent(ShortMessage::ControlChange(Keyboard1->Channel(), modulationController_, v));
        } else {
            Keyboard1->SetControllerValue(modulationController_, v);
        }
    };
    ICMW->OnDblClick = [this](TImageStripControl* wheel) {
        int zero = 0;
        wheel->SetPosition(0);
        wheel->OnScroll(wheel, zero);
    };
    ICLeftArrow->OnButtonClick = [this](TImageStripControl*) {
        Keyboard1->SetBaseNoteWhiteIndex(Keyboard1->BaseNoteWhiteIndex() - 1);
    };
    ICRightArrow->OnButtonClick = [this](TImageStripControl*) {
        Keyboard1->SetBaseNoteWhiteIndex(Keyboard1->BaseNoteWhiteIndex() + 1);
    };
}

void TInstrumentForm::ICPitchMouseUp(Qt::KeyboardModifiers shift) {
    if (shift & Qt::ControlModifier) return; // Ctrl keeps the bend
    // Back to the centre in halving steps, each one sent.
    while (ICPitch->Position() != 0) {
        int v = ICPitch->Position() / 2;
        if (std::abs(v) < 10) v = 0;
        ICPitch->SetPosition(v);
        if (ICPitch->OnScroll) ICPitch->OnScroll(ICPitch, v);
    }
}

void TInstrumentForm::SetKeyWidthPosition(int position) {
    const int r = KeyWidthMax - KeyWidthMin, p = position - KeyWidthMin;
    Keyboard1->SetKeyWidth(static_cast<int>(std::lround(std::exp(position / 3.0))) + 6);
    Keyboard1->SetImageSize(r / 3 > p ? TImageSize::Small : (2 * r) / 3 <= p ? TImageSize::Big : TImageSize::Normal);
    if (Keyboard1->PaintStyle() == TPaintStyle::Image) Keyboard1->resize(Keyboard1->width(), Keyboard1->ImageHeight());
    for (QWidget* w : {static_cast<QWidget*>(ICPitch), static_cast<QWidget*>(ICMW), static_cast<QWidget*>(ICLeftArrow),
                       static_cast<QWidget*>(ICRightArrow)})
        w->move(w->x(), Keyboard1->y());
    ApplySizeLimits();
    LayoutControls();
}

int TInstrumentForm::MinimumWidth() const { return SBChannel->x() + SBChannel->width() + 5; }

// Room for the whole keyboard, and for the right arrow beside it when shown.
int TInstrumentForm::MaximumWidth() const {
    return Keyboard1->FullWidth() + 5 + Keyboard1->x() + (ICRightArrow->isHidden() ? 0 : ICRightArrow->width());
}

void TInstrumentForm::LayoutControls() {
    if (!ICRightArrow->isHidden()) {
        ICRightArrow->move(form_->width() - 5 - ICRightArrow->width(), ICRightArrow->y());
        Keyboard1->resize(ICRightArrow->x() - Keyboard1->x(), Keyboard1->height());
    } else {
        Keyboard1->resize(form_->width() - 5 - Keyboard1->x(), Keyboard1->height());
    }
}

void TInstrumentForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutControls();
}

int TInstrumentForm::KeyWidthPosition() const {
    if (Keyboard1->PaintStyle() != TPaintStyle::Image)
        return std::clamp(static_cast<int>(std::lround(3 * std::log(std::max(Keyboard1->KeyWidth() - 6, 1)))), KeyWidthMin,
                          KeyWidthMax);
    if (Keyboard1->ImageSize() == TImageSize::Small) return KeyWidthMin;
    if (Keyboard1->ImageSize() == TImageSize::Big) return KeyWidthMax;
    return KeyWidthMin + (KeyWidthMax - KeyWidthMin) / 2;
}

void TInstrumentForm::UpdateFromKeyboard() {
    ApplySizeLimits();
    const int chord = static_cast<int>(Keyboard1->Chord());
    if (chord < static_cast<int>(TChord::Custom)) CBChord->setCurrentIndex(chord);
    ShowChannel();
}

void TInstrumentForm::ShowChannel() {
    SBChannel->SetPosition(Keyboard1->Channel() + 1);
    EChannel->setText(QString::number(Keyboard1->Channel() + 1));
}

void TInstrumentForm::CBChordClick(int index) {
    if (index >= 0 && index < static_cast<int>(TChord::Custom)) Keyboard1->SetChord(static_cast<TChord>(index));
}

void TInstrumentForm::EChannelExit() {
    bool ok = false;
    const int channel = EChannel->text().trimmed().toInt(&ok);
    // Text that is no channel number is dropped: the field shows the channel again.
    if (ok && channel >= 1 && channel <= 16 && channel - 1 != Keyboard1->Channel())
        Keyboard1->SetChannel(channel - 1);
    ShowChannel();
}

bool TInstrumentForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::Paint) {
        PaintBackground(static_cast<QPaintEvent*>(event)->rect());
        return false; // the form paints nothing of its own over it
    }
    if (watched == EChannel && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        ShowChannel();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TInstrumentForm::ScreenChanged(QScreen* screen) {
    if (!screen) return;
    // Each control keeps its own pictures; the pixel ratio is taken up as they paint.
    const int depth = screen->depth();
    if (PictureDepth::ChangeReloads(backgroundDepth_, depth)) LoadBackground(depth);
    Keyboard1->DisplayChanged(depth);
    for (TImageStripControl* c : {ICPitch, ICMW, ICLeftArrow, ICRightArrow}) c->DisplayChanged(depth);
    update();
}

void TInstrumentForm::LoadBackground(int depth) {
    backgroundDepth_ = depth;
    const bool fullColour = PictureDepth::UsesFullColour(depth);
    if (fullColour && devicePixelRatio() > 1.0) {
        background_ = LoadBitmap("BACKGROUND@2x");
        background_.setDevicePixelRatio(2.0);
    } else {
        background_ = LoadBitmap(fullColour ? "BACKGROUND" : "BACKGROUND256");
    }
    form_->update();
}

// Tiles at multiples of their size from the client origin, so a partial
// repaint continues the pattern seamlessly.
void TInstrumentForm::PaintBackground(const QRect& area) {
    const QSize tile = background_.deviceIndependentSize().toSize();
    if (tile.isEmpty()) return;
    QPainter painter(form_);
    painter.drawTiledPixmap(area, background_, QPoint(area.x() % tile.width(), area.y() % tile.height()));
}

void TInstrumentForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!screenWatched_) {
        if (QWindow* handle = windowHandle())
            screenWatched_ = connect(handle, &QWindow::screenChanged, this, &TInstrumentForm::ScreenChanged);
    }
}

void TInstrumentForm::LoadSettings(TIniStore& store) {
    // The saved width may need the saved key width: the limits follow once both are read.
    setMaximumWidth(QWIDGETSIZE_MAX);
    RestoreFormPlacement(this, store, MainWindowSettings::Section, placementFlags_, "");
    const TSettingsSection s(store, MainWindowSettings::Section);
    SetModulationController(s.Read(MainWindowSettings::MWCtrl, modulationController_));
    const bool arrows = s.Read(MainWindowSettings::ShowBasenoteButtons, ArrowsVisible());
    Keyboard1->LoadSettings(store);
    SetArrowsVisible(arrows); // its size limits need the key width just read
    UpdateFromKeyboard();
}

void TInstrumentForm::SaveSettings(TIniStore& store) {
    SaveFormPlacement(this, store, MainWindowSettings::Section, placementFlags_, "");
    const TSettingsSection s(store, MainWindowSettings::Section);
    s.Write(MainWindowSettings::MWCtrl, modulationController_);
    s.Write(MainWindowSettings::ShowBasenoteButtons, ArrowsVisible());
    Keyboard1->SaveSettings(store);
}

bool TInstrumentForm::ArrowsVisible() const { return !ICLeftArrow->isHidden(); }

void TInstrumentForm::SetArrowsVisible(bool visible) {
    ICLeftArrow->setVisible(visible);
    ICRightArrow->setVisible(visible);
    // Without arrows the keyboard starts where the left arrow stood.
    Keyboard1->move(ICLeftArrow->x() + (visible ? ICLeftArrow->width() : 0), Keyboard1->y());
    ApplySizeLimits();
    LayoutControls();
}
