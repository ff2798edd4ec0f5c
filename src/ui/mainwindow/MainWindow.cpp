#include "mainwindow/MainWindow.h"

#include "widgets/ElidingLabel.h"

#include "midi/ShortMessage.h"

#include "widgets/ImageStripControl.h"
#include "widgets/PictureDepth.h"
#include "widgets/PianoKeyboard.h"
#include "widgets/TonecastApplication.h"
#include "dialogs/KnobEditorDialog.h"
#include "widgets/KnobRow.h"
#include "dialogs/PatchWarningsDialog.h"
#include "patches/PatchSet.h"
#include "dialogs/PatchSetChooserDialog.h"
#include "dialogs/ChordEditorDialog.h"
#include "dialogs/TransposeDialog.h"
#include "dialogs/SettingsDialog.h"
#include "widgets/QtServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <QStatusBar>
#include <QStatusTipEvent>

namespace {
class TDeferredStartEvent : public QEvent {
public:
    TDeferredStartEvent() : QEvent(TMainWindow::DeferredStartEvent) {}
    int value = TMainWindow::DeferredStartValue;
};
} // namespace

TMainWindow::TMainWindow(TProgramNames names, MidiOutDriver& midiOut, MidiInDriver& midiIn, JoystickDriver* joysticks,
                       QWidget* parent)
    : TInstrumentForm(std::move(names), parent), joystickDriver_(joysticks ? *joysticks : noJoysticks_) {
    setWindowTitle(QString::fromStdString(names_.Program));
    QApplication::setApplicationDisplayName(QString());
    ErrForm1 = new TPatchWarningsDialog(this);
    ErrForm1->hide();
    CreateMenus(midiOut, midiIn);
    CreateStatusBar();
    CreateProgramControls();
    CreateKnobRow();
    CreateJoysticks();
    LoadBackground(ScreenDepth());
    form_->installEventFilter(this); // its background
    qApp->installEventFilter(this); // the window's own keys, ahead of the focused control
    OutputEvent = [this](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { OutputMessage(s, d1, d2); };
    Keyboard1->OnDisplayEvent = [this](TPianoKeyboard*, std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
        ReflectMessage(s, d1, d2);
    };
    Keyboard1->OnNoteHover = [this](TPianoKeyboard*, const std::string& name) {
        SetStatusText(1, QString::fromStdString(name));
    };
    Keyboard1->OnBaseNoteChange = [this](TPianoKeyboard*, const std::string& name) {
        SetStatusText(2, QString("Base: %1").arg(QString::fromStdString(name)));
    };
    Keyboard1->OnOctaveChange = [this](TPianoKeyboard*) { ShowOctave(); };
    SetStatusText(2, QString("Base: %1").arg(QString::fromStdString(Keyboard1->NoteName(Keyboard1->BaseNote()))));
    ApplySizeLimits();
}

void TMainWindow::ShowOctave() { SetStatusText(3, QString("Octave: %1").arg(Keyboard1->KeyOctave() - 2)); }

void TMainWindow::changeEvent(QEvent* event) {
    TInstrumentForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) Keyboard1->SetCaptureKeyboard(isActiveWindow());
}

void TMainWindow::ShowError(const std::string& text) {
    if (errorsInBox_) TTonecastApplication::ShowMessage(this, QString::fromStdString(text));
    else SetStatusText(0, QString::fromStdString(text));
}

void TMainWindow::MidiInputData(TMidiInput* port) {
    // What is queued now, not what keeps arriving meanwhile: a sender that never
    // pauses must not hold the window here. Later records have woken it again.
    for (int budget = port->EventCount(); budget > 0 && port->EventCount() >= 1; --budget) {
        std::unique_ptr<TMidiEvent> event = port->GetEvent();
        if (!event) break;
        if (event->IsLong()) continue; // system exclusive is dropped
        const TShortMessage m = ShortMessage::AsNoteOn({event->status, event->data1, event->data2});
        const std::uint8_t status = m.status, data1 = m.data1, data2 = m.data2;
        const bool thru = MidiThru->isChecked();
        if (thru) Keyboard1->PlayMessage(status, data1, data2, true);
        if (!ShortMessage::IsNoteOn(status)) {
            ReflectMessage(status, data1, data2);
        } else if (!thru) {
            TellChordEditor(status, data1, data2);
            Keyboard1->MarkExternalNote(data1, data2);
            if (data2 != 0 && Keyboard1->OnNoteHover) Keyboard1->OnNoteHover(Keyboard1, Keyboard1->DisplayName(data1));
        }
    }
}

void TMainWindow::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    const int designWidths[5] = {200, 50, 50, 50, 50};
    for (int i = 0; i < 5; ++i) {
        // Panel 0's messages name devices of any length: what does not fit leaves out its middle.
        auto* panel = i == 0 ? statusMessage_ = new TElidingLabel(bar) : new QLabel(bar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i == 0) {
            panel->setMinimumWidth(1);
            bar->addWidget(panel, 1); // panel 0 takes the rest
        } else {
            panel->setFixedWidth(designWidths[i]);
            bar->addPermanentWidget(panel);
        }
        statusPanels_[static_cast<std::size_t>(i)] = panel;
    }
}

void TMainWindow::MeasureStatusPanels() {
    if (statusWidthsMeasured_) return;
    const QFontMetrics metrics(statusBar()->font());
    const char* const samples[5] = {nullptr, "WWWWWWWWW", "Base: WWW", "Octave: 122", "WWWWWWWWWW"};
    int widths[5] = {};
    for (int i = 1; i < 5; ++i) widths[i] = metrics.horizontalAdvance(samples[i]) + 8; // frame and margin
    if (widths[1] < 2 || widths[2] < 2 || widths[3] < 2) return;
    for (int i = 1; i < 5; ++i) statusPanels_[static_cast<std::size_t>(i)]->setFixedWidth(widths[i]);
    statusWidthsMeasured_ = true;
}

void TMainWindow::LayoutControls() {
    TInstrumentForm::LayoutControls();
    LayoutKnobRow();
    MeasureStatusPanels();
}

void TMainWindow::SetStatusText(int panel, const QString& text) {
    if (panel == 0) statusMessage_->SetFullText(text);
    else statusPanels_[static_cast<std::size_t>(panel)]->setText(text);
}

QString TMainWindow::StatusText(int panel) const {
    return panel == 0 ? statusMessage_->FullText() : statusPanels_[static_cast<std::size_t>(panel)]->text();
}

int TMainWindow::StatusPanelWidth(int panel) const {
    return statusPanels_[static_cast<std::size_t>(panel)]->width();
}

TMainWindow::~TMainWindow() {
    if (!closed_) FormClose();
    // The ports go before the list of open devices they share.
    delete MidiInMenu1;
    delete MidiOutMenu1;
}

void TMainWindow::showEvent(QShowEvent* event) {
    TInstrumentForm::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        if (QWindow* handle = windowHandle())
            connect(handle, &QWindow::screenChanged, this, &TMainWindow::ScreenChanged);
        FormShow();
    }
}

void TMainWindow::ScreenChanged(QScreen* screen) {
    if (!screen) return;
    // Each control keeps its own pictures; the pixel ratio is taken up as they paint.
    const int depth = screen->depth();
    if (PictureDepth::ChangeReloads(backgroundDepth_, depth)) LoadBackground(depth);
    Keyboard1->DisplayChanged(depth);
    for (TImageStripControl* c : {ICPitch, ICMW, ICLeftArrow, ICRightArrow}) c->DisplayChanged(depth);
    update();
}

void TMainWindow::FormShow() {
    settings_ = names_.OpenRegistryStore();
    TIniStore& store = *settings_;
    chordList_.LoadFrom(store, false);
    RefillChordBox();
    LoadSettings(store);
    RefreshPresetsMenu(store);
    SelectKnobPreset(store, knobPreset_);
    ShowProgramAndBank();
    if (firstTime_ && knobRow_->Count() == 0) knobRow_->AddKnob("Volume", 7, 0, 100);
    stage_ = TStage::Shown;
    Keyboard1->setFocus();
    ShowOctave();
    QApplication::postEvent(this, new TDeferredStartEvent);
}

void TMainWindow::LoadBackground(int depth) {
    backgroundDepth_ = depth;
    const bool fullColour = PictureDepth::UsesFullColour(depth);
    if (fullColour && devicePixelRatio() > 1.0) {
        background_ = QPixmap(":/bitmaps/BACKGROUND@2x.png");
        background_.setDevicePixelRatio(2.0);
    } else {
        background_ = QPixmap(fullColour ? ":/bitmaps/BACKGROUND.png" : ":/bitmaps/BACKGROUND256.png");
    }
    form_->update();
}

// Tiles at multiples of their size from the client origin, so a partial
// repaint continues the pattern seamlessly.
void TMainWindow::PaintBackground(const QRect& area) {
    const QSize tile = background_.deviceIndependentSize().toSize();
    if (tile.isEmpty()) return;
    QPainter painter(form_);
    painter.drawTiledPixmap(area, background_, QPoint(area.x() % tile.width(), area.y() % tile.height()));
}

bool TMainWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    if (event->type() == DeferredStartEvent &&
        static_cast<TDeferredStartEvent*>(event)->value == DeferredStartValue) {
        DeferredStart();
        return true;
    }
    return TInstrumentForm::event(event);
}

void TMainWindow::DeferredStart() {
    if (stage_ != TStage::Shown) return;
    repaint();
    errorsInBox_ = true;
    SetStatusText(0, "Reading patch list...");
    statusBar()->repaint();
    {
        auto store = names_.OpenRegistryStore();
        const TSettingsSection section(*store, MainWindowSettings::Section);
        const std::string script = section.Read(MainWindowSettings::PatchScript);
        if (!script.empty() && !ApplyPatchSet(script) && patchSet_)
            SelectPatch(patchSet_->FindProgram(section.Read(MainWindowSettings::Patch)), true, true);
    }
    SetStatusText(0, QString());
    // The MIDI system is first asked for its devices here, once the window is on screen.
    MidiInMenu1->SetBaseMenu(MidiInItem);
    MidiOutMenu1->SetBaseMenu(MidiOutItem);
    MidiInMenu1->LoadFromRegPath();
    MidiOutMenu1->LoadFromRegPath();
    errorsInBox_ = false; // later errors appear in the status bar
    SendProgramAndBank();
    ApplyJoystickSetup();
    stage_ = TStage::Running;
}

void TMainWindow::SendDirect(const TShortMessage& m) {
    try {
        MidiOutput().SendShortMsg(m.status, m.data1, m.data2);
    } catch (const EMidiOutputError& e) {
        // In the status bar, not a box: a box would take the key or button
        // whose release ends the note.
        SetStatusText(0, QString::fromStdString(e.what()));
    }
}

void TMainWindow::PresentDialog(QWidget* dialog) {
    if (dialog->isMinimized()) dialog->showNormal();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TMainWindow::OutputMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    SendDirect(TShortMessage{status, data1, data2});
    ReflectMessage(status, data1, data2);
    TellChordEditor(status, data1, data2);
}

void TMainWindow::ReflectMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    data1 &= 0x7F;
    data2 &= 0x7F;
    if (settingsDialog_ && settingsDialog_->isVisible() && (status >> 4 == 0xB || status >> 4 == 0xE))
        settingsDialog_->LearnController(status >> 4 == 0xE ? ControllerCode::PitchBend : data1);
    switch (status >> 4) {
    case 0xE: ICPitch->SetPosition(ShortMessage::JoinSigned14(data1, data2)); break;
    case 0xB:
        receivedBank_.Controller(data1, data2);
        if (data1 == modulationController_) ICMW->SetPosition(data2);
        if (data1 == mouseWheelController_) mouseWheelValue_ = data2;
        Keyboard1->SetControllerValue(data1, data2);
        knobRow_->ReflectController(data1, data2);
        if (knobEditor_ && knobEditor_->isVisible()) knobEditor_->ControllerSeen(data1);
        break;
    case 0xC:
        receivedBank_.ProgramChange(programBank_, data1);
        ShowProgramAndBank();
        break;
    default: break;
    }
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TMainWindow::FormClose() {
    if (closed_) return;
    closed_ = true;
    stage_ = TStage::Closing;
    // Every step runs even when an earlier one fails; the first error is shown at the end.
    QString firstError;
    auto step = [&firstError](const std::function<void()>& run) {
        try {
            run();
        } catch (const EStoreError& e) {
            if (firstError.isEmpty()) firstError = QString("The settings could not be saved: %1").arg(e.what());
        } catch (const std::exception& e) {
            if (firstError.isEmpty()) firstError = QString::fromStdString(e.what());
        }
    };
    EndPanic(); // its remaining channels are silenced by the close itself
    // Open dialogs close first and keep their own settings.
    step([this] {
        for (QWidget* dialog : {static_cast<QWidget*>(settingsDialog_.data()), static_cast<QWidget*>(patchSetChooser_.data()),
                                static_cast<QWidget*>(transposeForm_.data()), static_cast<QWidget*>(chordEditor_.data()),
                                static_cast<QWidget*>(knobEditor_.data())})
            if (dialog) dialog->close();
    });
    step([this] { Keyboard1->ResetAll(); }); // note offs go out while the port is still open
    // A window that never loaded the settings must not overwrite them with its defaults.
    // Saved into the store they were read from: only what changed since then is
    // written, so another copy's changes to other values stay.
    if (settings_) {
        step([this] {
            const std::unique_ptr<TIniStore> store = std::move(settings_);
            SaveSettings(*store);
            store->Close();
        });
    }
    step([this] { MidiInMenu1->Close(); });
    step([this] { MidiOutMenu1->Close(); });
    if (!firstError.isEmpty()) TTonecastApplication::ShowMessage(this, firstError);
}

void TMainWindow::LoadSettings(TIniStore& store) {
    LoadWindowSettings(store);
    LoadSnapshots(store);
}

void TMainWindow::SaveSettings(TIniStore& store) {
    SaveWindowSettings(store);
    snapshots_.Save(store, TKnobSnapshots::Section);
}

void TMainWindow::LoadWindowSettings(TIniStore& store) {
    TInstrumentForm::LoadSettings(store);
    TMainWindowValues values = Values();
    values.Load(store, Keyboard1->Chord() == TChord::chCustom);
    MidiThru->setChecked(values.midiThru);
    firstTime_ = values.firstTime;
    programBank_.Restore(values.program, values.bankMsb, values.bankLsb);
    SetMouseWheelController(values.mouseWheelController);
    MouseWheelSensitivity = values.mouseWheelSensitivity;
    knobPreset_ = values.knobPreset;
    SetStayOnTop(values.stayOnTop);
    if (values.customChord) RestoreCustomChord(*values.customChord);
    dialogFlags_ = values.dialogFlags;
    joystickTable_.Load(store);
}

void TMainWindow::SaveWindowSettings(TIniStore& store) {
    TInstrumentForm::SaveSettings(store);
    // Device choices belong to this computer: they stay out of export files.
    if (store.IsRegistry()) {
        MidiInMenu1->SaveToRegistry(store);
        MidiOutMenu1->SaveToRegistry(store);
    }
    knobPreset_ = SaveKnobPresetChoice(store);
    Values().Save(store);
    joystickTable_.Save(store);
    firstTime_ = false;
}

TMainWindowValues TMainWindow::Values() const {
    TMainWindowValues values;
    values.midiThru = MidiThru->isChecked();
    values.firstTime = firstTime_;
    values.program = programBank_.Program();
    values.bankMsb = programBank_.BankMsb();
    values.bankLsb = programBank_.BankLsb();
    values.mouseWheelController = mouseWheelController_;
    values.mouseWheelSensitivity = MouseWheelSensitivity;
    values.knobPreset = knobPreset_;
    values.stayOnTop = StayOnTopItem->isChecked();
    if (Keyboard1->Chord() == TChord::chCustom) values.customChord = customChord_;
    values.dialogFlags = dialogFlags_;
    if (patchSet_) {
        values.patchScript = patchSet_->FileName;
        values.patch = currentPatch_ ? currentPatch_->Path() : std::string();
    }
    return values;
}
