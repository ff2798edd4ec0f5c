#include "mainwindow/MainWindow.h"

#include "widgets/ElidingLabel.h"

#include "midi/ShortMessage.h"

#include "widgets/ImageStripControl.h"
#include "widgets/PictureDepth.h"
#include "widgets/PianoKeyboard.h"
#include "widgets/TonecastApplication.h"
#include "dialogs/KnobEditorDialog.h"
#include "widgets/KnobRow.h"
#include "widgets/UpDown.h"
#include "dialogs/PatchWarningsDialog.h"
#include "patches/PatchSet.h"
#include "dialogs/PatchSetChooserDialog.h"
#include "mainwindow/ProgramPanel.h"
#include "dialogs/ChordEditorDialog.h"
#include "dialogs/TransposeDialog.h"
#include "dialogs/SettingsDialog.h"
#include "widgets/QtMessageWindow.h"
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
    : TInstrumentForm(std::move(names), parent), instrument_(midiOut, midiIn, QtMessageWindows()),
      joystickDriver_(joysticks ? *joysticks : noJoysticks_) {
    setWindowTitle(QString::fromStdString(names_.Program));
    QApplication::setApplicationDisplayName(QString());
    CreateMenus(midiOut, midiIn);
    CreateStatusBar();
    CreateJoysticks();
    LoadBackground(ScreenDepth());
    form_->installEventFilter(this); // its background
    qApp->installEventFilter(this); // the window's own keys, ahead of the focused control
    instrument_.SetListener(this);
    OutputEvent = [this](const TShortMessage& m) { instrument_.Play(m); };
    Keyboard1->OnDisplayEvent = [this](TPianoKeyboard*, std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
        instrument_.Show(TShortMessage{s, d1, d2});
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

void TMainWindow::MessageShown(const TShortMessage& m) {
    if (settingsDialog_ && settingsDialog_->isVisible() && (m.status >> 4 == 0xB || m.status >> 4 == 0xE))
        settingsDialog_->LearnController(m.status >> 4 == 0xE ? ControllerCode::PitchBend : m.data1);
    switch (m.status >> 4) {
    case 0xE: ICPitch->SetPosition(ShortMessage::JoinSigned14(m.data1, m.data2)); break;
    case 0xB:
        if (m.data1 == modulationController_) ICMW->SetPosition(m.data2);
        if (m.data1 == mouseWheelController_) mouseWheelValue_ = m.data2;
        Keyboard1->SetControllerValue(m.data1, m.data2);
        knobPanel_->ReflectController(m.data1, m.data2);
        break;
    default: break;
    }
}

void TMainWindow::MessagePlayed(const TShortMessage& m) { chordPanel_->TellChordEditor(m); }

void TMainWindow::ThruReceived(const TShortMessage& m) { Keyboard1->PlayMessage(m.status, m.data1, m.data2, true); }

void TMainWindow::NoteReceived(const TShortMessage& m) {
    chordPanel_->TellChordEditor(m);
    Keyboard1->MarkExternalNote(m.data1, m.data2);
    if (m.data2 != 0 && Keyboard1->OnNoteHover) Keyboard1->OnNoteHover(Keyboard1, Keyboard1->DisplayName(m.data1));
}

void TMainWindow::CBChordClick(int index) {
    if (!chordPanel_->ChordChosen(index)) TInstrumentForm::CBChordClick(index);
}

void TMainWindow::ProgramBankChanged() { programPanel_->ShowProgramAndBank(); }

// In the status bar, not a box: a box would take the key or button whose
// release ends the note.
void TMainWindow::SendFailed(const std::string& text) { SetStatusText(0, QString::fromStdString(text)); }

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
    if (knobPanel_) knobPanel_->Layout(programPanel_->UDProgramPatch->x() + programPanel_->UDProgramPatch->width());
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
    // The menus go before the instrument whose ports they open.
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
    chordPanel_->Chords().LoadFrom(store, false);
    chordPanel_->RefillChordBox();
    LoadSettings(store);
    knobPanel_->RefreshPresetsMenu(store);
    knobPanel_->SelectKnobPreset(store, knobPanel_->KnobPreset());
    programPanel_->ShowProgramAndBank();
    if (firstTime_ && knobPanel_->KnobRow().Count() == 0) knobPanel_->KnobRow().AddKnob("Volume", 7, 0, 100);
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
        if (!script.empty() && !programPanel_->ApplyPatchSet(script) && instrument_.PatchSet())
            programPanel_->SelectPatch(instrument_.PatchSet()->FindProgram(section.Read(MainWindowSettings::Patch)), true, true);
    }
    SetStatusText(0, QString());
    // The MIDI system is first asked for its devices here, once the window is on screen.
    MidiInMenu1->SetBaseMenu(MidiInItem);
    MidiOutMenu1->SetBaseMenu(MidiOutItem);
    MidiInMenu1->LoadFromRegPath();
    MidiOutMenu1->LoadFromRegPath();
    errorsInBox_ = false; // later errors appear in the status bar
    programPanel_->SendProgramAndBank();
    ApplyJoystickSetup();
    stage_ = TStage::Running;
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
    programPanel_->EndPanic(); // its remaining channels are silenced by the close itself
    // Open dialogs close first and keep their own settings.
    step([this] {
        for (QWidget* dialog : {static_cast<QWidget*>(settingsDialog_.data()), static_cast<QWidget*>(programPanel_->PatchSetChooser()),
                                static_cast<QWidget*>(chordPanel_->TransposeForm()), static_cast<QWidget*>(chordPanel_->ChordEditor()),
                                static_cast<QWidget*>(knobPanel_->KnobEditor())})
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
    knobPanel_->LoadSnapshots(store);
}

void TMainWindow::SaveSettings(TIniStore& store) {
    SaveWindowSettings(store);
    knobPanel_->Snapshots().Save(store, TKnobSnapshots::Section);
}

void TMainWindow::LoadWindowSettings(TIniStore& store) {
    TInstrumentForm::LoadSettings(store);
    TMainWindowValues values = Values();
    values.Load(store, Keyboard1->Chord() == TChord::chCustom);
    MidiThru->setChecked(values.midiThru);
    firstTime_ = values.firstTime;
    instrument_.ProgramBank().Restore(values.program, values.bankMsb, values.bankLsb);
    SetMouseWheelController(values.mouseWheelController);
    MouseWheelSensitivity = values.mouseWheelSensitivity;
    knobPanel_->SetKnobPreset(values.knobPreset);
    SetStayOnTop(values.stayOnTop);
    if (values.customChord) chordPanel_->RestoreCustomChord(*values.customChord);
    exportImport_->DialogFlags() = values.dialogFlags;
    joystickTable_.Load(store);
}

void TMainWindow::SaveWindowSettings(TIniStore& store) {
    TInstrumentForm::SaveSettings(store);
    // Device choices belong to this computer: they stay out of export files.
    if (store.IsRegistry()) {
        MidiInMenu1->SaveToRegistry(store);
        MidiOutMenu1->SaveToRegistry(store);
    }
    knobPanel_->SetKnobPreset(knobPanel_->SaveKnobPresetChoice(store));
    Values().Save(store);
    joystickTable_.Save(store);
    firstTime_ = false;
}

TMainWindowValues TMainWindow::Values() const {
    TMainWindowValues values;
    values.midiThru = MidiThru->isChecked();
    values.firstTime = firstTime_;
    values.program = instrument_.ProgramBank().Program();
    values.bankMsb = instrument_.ProgramBank().BankMsb();
    values.bankLsb = instrument_.ProgramBank().BankLsb();
    values.mouseWheelController = mouseWheelController_;
    values.mouseWheelSensitivity = MouseWheelSensitivity;
    values.knobPreset = knobPanel_->KnobPreset();
    values.stayOnTop = StayOnTopItem->isChecked();
    if (Keyboard1->Chord() == TChord::chCustom) values.customChord = chordPanel_->CustomChord();
    values.dialogFlags = exportImport_->DialogFlags();
    if (instrument_.PatchSet()) {
        values.patchScript = instrument_.PatchSet()->FileName;
        values.patch = instrument_.CurrentPatch() ? instrument_.CurrentPatch()->Path() : std::string();
    }
    return values;
}
