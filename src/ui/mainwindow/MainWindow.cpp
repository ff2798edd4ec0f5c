#include "mainwindow/MainWindow.h"

#include "dialogs/PatchSetChooserDialog.h"
#include "dialogs/SettingsDialog.h"
#include "dialogs/ShippedFiles.h"
#include "patches/PatchSet.h"
#include "widgets/ImageStripControl.h"
#include "widgets/KnobRow.h"
#include "widgets/PianoKeyboard.h"
#include "widgets/QtMailbox.h"
#include "widgets/TonecastApplication.h"
#include "widgets/UpDown.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QStatusBar>
#include <QStatusTipEvent>

#include <cstdio>

namespace {
class TDeferredStartEvent : public QEvent {
public:
    TDeferredStartEvent() : QEvent(TMainWindow::DeferredStartEvent) {}
    int value = TMainWindow::DeferredStartValue;
};
} // namespace

TMainWindow::TMainWindow(TProgramNames names, TMidiOutDriver& midiOut, TMidiInDriver& midiIn, JoystickDriver* joysticks,
                       QWidget* parent)
    : TInstrumentForm(std::move(names), parent), instrument_(midiOut, midiIn, QtMailboxes()),
      joysticks_(this, joysticks, instrument_, [this] { return keyboard->State().Channel(); }) {
    keyboard->SetState(&instrument_.Keyboard()); // the keyboard shows and plays the instrument's state
    setWindowTitle(QString::fromStdString(names_.Program));
    QApplication::setApplicationDisplayName(QString());
    CreateMenus(midiOut, midiIn);
    statusPanels_ = std::make_unique<TStatusPanels>(statusBar());
    new TWindowKeys(this, KeyActions());
    instrument_.AddListener(this);
    OutputEvent = [this](const TShortMessage& m) { instrument_.Play(m); };
    keyboard->OnNoteHover = [this](TPianoKeyboard*, const std::string& name) {
        SetStatusText(TStatusPanel::Note, QString::fromStdString(name));
    };
    keyboard->OnBaseNoteChange = [this](TPianoKeyboard*, const std::string& name) {
        SetStatusText(TStatusPanel::BaseNote, QString("Base: %1").arg(QString::fromStdString(name)));
    };
    keyboard->OnOctaveChange = [this](TPianoKeyboard*) { ShowOctave(); };
    SetStatusText(TStatusPanel::BaseNote, QString("Base: %1").arg(QString::fromStdString(keyboard->NoteName(keyboard->BaseNote()))));
    ApplySizeLimits();
}

void TMainWindow::ShowOctave() { SetStatusText(TStatusPanel::Octave, QString("Octave: %1").arg(keyboard->KeyOctave() - 2)); }

void TMainWindow::changeEvent(QEvent* event) {
    TInstrumentForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) keyboard->SetCaptureKeyboard(isActiveWindow());
}

void TMainWindow::MessageShown(const TShortMessage& m) {
    if (m.IsPitchBend()) {
        pitchWheel->SetPosition(ShortMessage::JoinSigned14(m.data1, m.data2));
    } else if (m.IsControlChange()) {
        if (m.data1 == modulationController_) modulationWheel->SetPosition(m.data2);
        keyboard->State().SetControllerValue(m.data1, m.data2);
    }
}

void TMainWindow::NoteReceived(const TShortMessage& m) {
    keyboard->State().MarkExternalNote(m.data1, m.data2);
    if (m.data2 != 0 && keyboard->OnNoteHover) keyboard->OnNoteHover(keyboard, keyboard->DisplayName(m.data1));
}

void TMainWindow::ChordBoxClick(int index) {
    if (!chordPanel_->ChordChosen(index)) TInstrumentForm::ChordBoxClick(index);
}

// In the status bar, not a box: a box would take the key or button whose
// release ends the note.
void TMainWindow::SendFailed(const std::string& text) { SetStatusText(TStatusPanel::Message, QString::fromStdString(text)); }

void TMainWindow::LayoutControls() {
    TInstrumentForm::LayoutControls();
    if (knobPanel_) knobPanel_->Layout(programPanel_->patchUpDown->x() + programPanel_->patchUpDown->width());
    if (statusPanels_) statusPanels_->Measure();
}

void TMainWindow::SetStatusText(TStatusPanel panel, const QString& text) { statusPanels_->SetText(panel, text); }
QString TMainWindow::StatusText(TStatusPanel panel) const { return statusPanels_->Text(panel); }

TMainWindow::~TMainWindow() {
    if (!closed_) FormClose();
    delete deviceMenus_; // before the instrument whose ports its menus open
    // What listens to the instrument goes before it.
    delete std::exchange(settingsLink_, nullptr);
    delete std::exchange(knobPanel_, nullptr);
    delete std::exchange(chordPanel_, nullptr);
    delete std::exchange(programPanel_, nullptr);
    keyboard->SetState(nullptr);
}

void TMainWindow::showEvent(QShowEvent* event) {
    TInstrumentForm::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TMainWindow::FormShow() {
    settings_ = names_.OpenRegistryStore();
    TIniStore& store = *settings_;
    LoadSettings(store);
    knobPanel_->RefreshPresetsMenu(store);
    knobPanel_->SelectKnobPreset(store, knobPanel_->KnobPreset());
    programPanel_->ShowProgramAndBank();
    if (firstTime_ && knobPanel_->KnobRow().Count() == 0) knobPanel_->KnobRow().AddKnob("Volume", 7, 0, 100);
    stage_ = TStage::Shown;
    keyboard->setFocus();
    ShowOctave();
    QApplication::postEvent(this, new TDeferredStartEvent);
}

bool TMainWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        statusPanels_->ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
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
    // Thousands of custom chords are common: they come once the window is on screen.
    chordPanel_->LoadChords(*settings_);
    repaint();
    SetStatusText(TStatusPanel::Message, "Reading patch list...");
    statusBar()->repaint();
    {
        auto store = names_.OpenRegistryStore();
        const TSettingsSection section(*store, MainWindowSettings::Section);
        std::string script = section.Read(MainWindowSettings::PatchScript);
        // A first start offers the General MIDI names at once.
        if (script.empty() && firstTime_) {
            const QString generalMidi = GeneralMidiScript();
            if (QFileInfo::exists(generalMidi)) script = generalMidi.toStdString();
        }
        if (!script.empty() && !programPanel_->ApplyPatchSet(script) && instrument_.PatchSet())
            programPanel_->SelectPatch(instrument_.PatchSet()->FindProgram(section.Read(MainWindowSettings::Patch)), true, true);
    }
    SetStatusText(TStatusPanel::Message, QString());
    // The MIDI system is first asked for its devices here, once the window is on screen.
    deviceMenus_->Start();
    programPanel_->SendProgramAndBank();
    joysticks_.Apply();
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
    // Every step runs even when an earlier one fails. Nothing at exit asks the
    // user: a logout, or a MIDI server gone at the same moment, must not wait
    // on a box, so what failed goes to standard error.
    auto step = [this](const std::function<void()>& run) {
        const auto report = [this](const std::string& text) {
            std::fprintf(stderr, "%s: %s\n", names_.Program.c_str(), text.c_str());
        };
        try {
            run();
        } catch (const EStoreError& e) {
            report(std::string("The settings could not be saved: ") + e.what());
        } catch (const std::exception& e) {
            report(e.what());
        }
    };
    programPanel_->EndPanic(); // its remaining channels are silenced by the close itself
    // Open dialogs close first and keep their own settings.
    step([this] {
        for (QWidget* dialog : {static_cast<QWidget*>(settingsLink_->Dialog()), static_cast<QWidget*>(programPanel_->PatchSetChooser()),
                                static_cast<QWidget*>(chordPanel_->TransposeForm()), static_cast<QWidget*>(chordPanel_->ChordEditor()),
                                static_cast<QWidget*>(knobPanel_->KnobEditor())})
            if (dialog) dialog->close();
    });
    step([this] { keyboard->ResetAll(); }); // note offs go out while the port is still open
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
    step([this] { deviceMenus_->midiInMenu->Close(); });
    step([this] { deviceMenus_->midiOutMenu->Close(); });
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
    values.Load(store, keyboard->State().Chord() == TChord::Custom);
    midiThruItem->setChecked(values.midiThru);
    keyLegendsItem->setChecked(keyboard->ShowKeyLegends());
    firstTime_ = values.firstTime;
    instrument_.ProgramBank().Restore(values.program, values.bankMsb, values.bankLsb);
    SetMouseWheelController(values.mouseWheelController);
    instrument_.MouseWheelSensitivity = values.mouseWheelSensitivity;
    knobPanel_->SetKnobPreset(values.knobPreset);
    stayOnTop_->Set(values.stayOnTop);
    if (values.customChord) chordPanel_->RestoreCustomChord(*values.customChord);
    exportImport_->DialogFlags() = values.dialogFlags;
    instrument_.JoystickTable().Load(store);
}

void TMainWindow::SaveWindowSettings(TIniStore& store) {
    TInstrumentForm::SaveSettings(store);
    // Device choices belong to this computer: they stay out of export files.
    if (store.IsRegistry()) {
        deviceMenus_->midiInMenu->SaveToRegistry(store);
        deviceMenus_->midiOutMenu->SaveToRegistry(store);
    }
    knobPanel_->SetKnobPreset(knobPanel_->SaveKnobPresetChoice(store));
    Values().Save(store);
    instrument_.JoystickTable().Save(store);
    firstTime_ = false;
}

TMainWindowValues TMainWindow::Values() const {
    TMainWindowValues values;
    values.midiThru = midiThruItem->isChecked();
    values.firstTime = firstTime_;
    values.program = instrument_.ProgramBank().Program();
    values.bankMsb = instrument_.ProgramBank().BankMsb();
    values.bankLsb = instrument_.ProgramBank().BankLsb();
    values.mouseWheelController = instrument_.MouseWheelController();
    values.mouseWheelSensitivity = instrument_.MouseWheelSensitivity;
    values.knobPreset = knobPanel_->KnobPreset();
    values.stayOnTop = stayOnTop_->Item()->isChecked();
    if (keyboard->State().Chord() == TChord::Custom) values.customChord = chordPanel_->CustomChord();
    values.dialogFlags = exportImport_->DialogFlags();
    if (instrument_.PatchSet()) {
        values.patchScript = instrument_.PatchSet()->FileName;
        values.patch = instrument_.CurrentPatch() ? instrument_.CurrentPatch()->Path() : std::string();
    }
    return values;
}
