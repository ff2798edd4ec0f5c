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
    chordBox = new QComboBox(form_);
    chordBox->setAccessibleName("Chord");
    chordLabel->setBuddy(chordBox);
    chordBox->setGeometry(52, 6, 110, 24);
    for (const char* name : ChordNames) chordBox->addItem(name);
    connect(chordBox, &QComboBox::activated, this, &TInstrumentForm::ChordBoxClick);

    auto* channelLabel = new QLabel("Channel:", form_);
    channelLabel->setGeometry(176, 8, 56, 20);
    channelEdit = new QLineEdit(form_);
    channelEdit->setAccessibleName("Channel");
    channelLabel->setBuddy(channelEdit);
    channelEdit->setGeometry(234, 6, 32, 24);
    channelEdit->installEventFilter(this);
    connect(channelEdit, &QLineEdit::editingFinished, this, &TInstrumentForm::ChannelEditExit);
    channelUpDown = new TUpDown(form_);
    channelUpDown->setGeometry(266, 6, 16, 24);
    channelUpDown->SetRange(1, 16);
    channelUpDown->SetAccessibleNames("Channel");
    channelUpDown->OnClick = [this](TUpDown* sender, bool) {
        keyboard->State().SetChannel(sender->Position() - 1);
        ShowChannel();
    };

    keyboard = new TPianoKeyboard(keyTable_, form_);
    keyboard->SetImageSize(TImageSize::Small);
    keyboard->SetPaintStyle(TPaintStyle::Image);
    keyboard->move(KeyboardLeft, KeyboardTop);
    keyboard->resize(FormDesignWidth - KeyboardLeft - 5, keyboard->ImageHeight());
    keyboard->SetBaseNote(36);
    keyboard->OnNote = [this](TPianoKeyboard*, const TShortMessage& m) {
        if (OutputEvent) OutputEvent(m);
    };

    CreateWheelsAndArrows();
    LoadBackground(ScreenDepth());
    form_->installEventFilter(this); // its background

    form_->setFixedHeight(KeyboardTop + keyboard->ImageHeight() + FormBottomMargin);
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
    wheelFrames = new TFrameImage(this);
    wheelFrames->Setup(20, 76, "WHEEL", "WHEEL256");
    leftArrowFrames = new TFrameImage(this);
    leftArrowFrames->Setup(16, 76, "LEFTARROW");
    leftArrowFrames->Button = true;
    rightArrowFrames = new TFrameImage(this);
    rightArrowFrames->Setup(16, 76, "RIGHTARROW");
    rightArrowFrames->Button = true;

    auto wheel = [this](int left, int min, int max, const char* name, const char* hint) {
        auto* c = new TImageStripControl(form_);
        c->setAccessibleName(name);
        c->SetFrameImage(wheelFrames);
        c->SetMax(max);
        c->SetMin(min);
        c->ShowScrollHint = true;
        c->setFocusPolicy(Qt::NoFocus);
        c->setToolTip(hint);
        c->setStatusTip(hint);
        c->move(left, KeyboardTop);
        return c;
    };
    pitchWheel = wheel(5, ShortMessage::PitchBendMin, ShortMessage::PitchBendMax, "Pitch wheel", "Pitch wheel (use SHIFT for fine mode, CTRL to disable scrollback)");
    pitchWheel->SmallChange = 96;
    pitchWheel->LargeChange = 512;
    pitchWheel->MiddleSnap = 5;
    modulationWheel = wheel(27, 0, 127, "Modulation wheel", "Modulation wheel (use SHIFT for fine mode)");
    modulationWheel->MiddleSnap = 0;

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
    leftArrow = arrow(leftArrowFrames, "Scroll visible keys down");
    leftArrow->move(49, KeyboardTop);
    rightArrow = arrow(rightArrowFrames, "Scroll visible keys up");
    rightArrow->move(FormDesignWidth - 5 - 16, KeyboardTop);

    pitchWheel->OnScroll = [this](TImageStripControl*, int& v) {
        if (!OutputEvent) return;
        OutputEvent(ShortMessage::PitchBend(keyboard->State().Channel(), v));
    };
    pitchWheel->OnMouseUp = [this](TImageStripControl*, Qt::MouseButton, Qt::KeyboardModifiers shift) { PitchWheelMouseUp(shift); };
    modulationWheel->OnScroll = [this](TImageStripControl*, int& v) {
        if (OutputEvent) {
            OutputEvent(ShortMessage::ControlChange(keyboard->State().Channel(), modulationController_, v));
        } else {
            keyboard->State().SetControllerValue(modulationController_, v);
        }
    };
    modulationWheel->OnDblClick = [this](TImageStripControl* wheel) {
        int zero = 0;
        wheel->SetPosition(0);
        wheel->OnScroll(wheel, zero);
    };
    leftArrow->OnButtonClick = [this](TImageStripControl*) {
        keyboard->SetBaseNoteWhiteIndex(keyboard->BaseNoteWhiteIndex() - 1);
    };
    rightArrow->OnButtonClick = [this](TImageStripControl*) {
        keyboard->SetBaseNoteWhiteIndex(keyboard->BaseNoteWhiteIndex() + 1);
    };
}

void TInstrumentForm::PitchWheelMouseUp(Qt::KeyboardModifiers shift) {
    if (shift & Qt::ControlModifier) return; // Ctrl keeps the bend
    // Back to the centre in halving steps, each one sent.
    while (pitchWheel->Position() != 0) {
        int v = pitchWheel->Position() / 2;
        if (std::abs(v) < 10) v = 0;
        pitchWheel->SetPosition(v);
        if (pitchWheel->OnScroll) pitchWheel->OnScroll(pitchWheel, v);
    }
}

void TInstrumentForm::SetKeyWidthPosition(int position) {
    const int r = KeyWidthMax - KeyWidthMin, p = position - KeyWidthMin;
    keyboard->SetKeyWidth(static_cast<int>(std::lround(std::exp(position / 3.0))) + 6);
    keyboard->SetImageSize(r / 3 > p ? TImageSize::Small : (2 * r) / 3 <= p ? TImageSize::Big : TImageSize::Normal);
    if (keyboard->PaintStyle() == TPaintStyle::Image) keyboard->resize(keyboard->width(), keyboard->ImageHeight());
    for (QWidget* w : {static_cast<QWidget*>(pitchWheel), static_cast<QWidget*>(modulationWheel), static_cast<QWidget*>(leftArrow),
                       static_cast<QWidget*>(rightArrow)})
        w->move(w->x(), keyboard->y());
    ApplySizeLimits();
    LayoutControls();
}

int TInstrumentForm::MinimumWidth() const { return channelUpDown->x() + channelUpDown->width() + 5; }

// Room for the whole keyboard, and for the right arrow beside it when shown.
int TInstrumentForm::MaximumWidth() const {
    return keyboard->FullWidth() + 5 + keyboard->x() + (rightArrow->isHidden() ? 0 : rightArrow->width());
}

void TInstrumentForm::LayoutControls() {
    if (!rightArrow->isHidden()) {
        rightArrow->move(form_->width() - 5 - rightArrow->width(), rightArrow->y());
        keyboard->resize(rightArrow->x() - keyboard->x(), keyboard->height());
    } else {
        keyboard->resize(form_->width() - 5 - keyboard->x(), keyboard->height());
    }
}

void TInstrumentForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutControls();
}

int TInstrumentForm::KeyWidthPosition() const {
    if (keyboard->PaintStyle() != TPaintStyle::Image)
        return std::clamp(static_cast<int>(std::lround(3 * std::log(std::max(keyboard->KeyWidth() - 6, 1)))), KeyWidthMin,
                          KeyWidthMax);
    if (keyboard->ImageSize() == TImageSize::Small) return KeyWidthMin;
    if (keyboard->ImageSize() == TImageSize::Big) return KeyWidthMax;
    return KeyWidthMin + (KeyWidthMax - KeyWidthMin) / 2;
}

void TInstrumentForm::UpdateFromKeyboard() {
    ApplySizeLimits();
    const int chord = static_cast<int>(keyboard->State().Chord());
    if (chord < static_cast<int>(TChord::Custom)) chordBox->setCurrentIndex(chord);
    ShowChannel();
}

void TInstrumentForm::ShowChannel() {
    channelUpDown->SetPosition(keyboard->State().Channel() + 1);
    channelEdit->setText(QString::number(keyboard->State().Channel() + 1));
}

void TInstrumentForm::ChordBoxClick(int index) {
    if (index >= 0 && index < static_cast<int>(TChord::Custom)) keyboard->State().SetChord(static_cast<TChord>(index));
}

void TInstrumentForm::ChannelEditExit() {
    bool ok = false;
    const int channel = channelEdit->text().trimmed().toInt(&ok);
    // Text that is no channel number is dropped: the field shows the channel again.
    if (ok && channel >= 1 && channel <= 16 && channel - 1 != keyboard->State().Channel())
        keyboard->State().SetChannel(channel - 1);
    ShowChannel();
}

bool TInstrumentForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::Paint) {
        PaintBackground(static_cast<QPaintEvent*>(event)->rect());
        return false; // the form paints nothing of its own over it
    }
    if (watched == channelEdit && event->type() == QEvent::KeyPress &&
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
    keyboard->DisplayChanged(depth);
    for (TImageStripControl* c : {pitchWheel, modulationWheel, leftArrow, rightArrow}) c->DisplayChanged(depth);
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
    keyboard->LoadSettings(store);
    SetArrowsVisible(arrows); // its size limits need the key width just read
    UpdateFromKeyboard();
}

void TInstrumentForm::SaveSettings(TIniStore& store) {
    SaveFormPlacement(this, store, MainWindowSettings::Section, placementFlags_, "");
    const TSettingsSection s(store, MainWindowSettings::Section);
    s.Write(MainWindowSettings::MWCtrl, modulationController_);
    s.Write(MainWindowSettings::ShowBasenoteButtons, ArrowsVisible());
    keyboard->SaveSettings(store);
}

bool TInstrumentForm::ArrowsVisible() const { return !leftArrow->isHidden(); }

void TInstrumentForm::SetArrowsVisible(bool visible) {
    leftArrow->setVisible(visible);
    rightArrow->setVisible(visible);
    // Without arrows the keyboard starts where the left arrow stood.
    keyboard->move(leftArrow->x() + (visible ? leftArrow->width() : 0), keyboard->y());
    ApplySizeLimits();
    LayoutControls();
}
