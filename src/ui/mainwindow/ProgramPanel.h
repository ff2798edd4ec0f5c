#pragma once
// The program, bank and patch controls of the main window: the three number
// fields with their up-downs, the patch combo, the Patches menu with the patch
// set chooser, and Panic!. They show and change the instrument's program,
// bank and patch.
#include "instrument/Instrument.h"
#include "dialogs/PatchSetChooserDialog.h"
#include "mainwindow/StatusPanels.h"
#include "store/IniStore.h"

#include <QObject>
#include <QPalette>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QTimer;
class TPatchModeGroup;
class TPatchWarningsDialog;
class TPianoKeyboard;
class TUpDown;

class TProgramPanel : public QObject, private TInstrumentListener {
    Q_OBJECT
public:
    struct TServices {
        std::function<void(TStatusPanel panel, const QString& text)> status;
        std::function<std::unique_ptr<TIniStore>()> openSettings;
    };
    // The controls go on the form, the Patches menu on the bar.
    TProgramPanel(QWidget* form, QMenuBar* bar, TInstrument& instrument, TPianoKeyboard* keyboard, TServices services);
    ~TProgramPanel() override;

    QLineEdit* programEdit;
    TUpDown* programUpDown;
    QLineEdit* msbEdit;
    TUpDown* msbUpDown;
    QLineEdit* lsbEdit;
    TUpDown* lsbUpDown;
    QLabel* msbLabel;
    QLabel* lsbLabel;
    QComboBox* patchBox;
    TUpDown* patchUpDown;
    QLabel* panicButton;
    QMenu* patchesItem;          // "&Patches"
    QAction* patchesSeparator;
    QAction* choosePatchSetItem; // "&Choose Patch Set..."
    TPatchWarningsDialog* patchWarnings; // the warnings window, hidden until a patch set has something to say

    // The three fields, their up-downs and the bank hint from the instrument.
    void ShowProgramAndBank();
    void SendProgramAndBank();
    void SelectPatch(TPatchProgram* patch, bool rebuild, bool send);
    // Takes a loaded patch set (or none), dropping the one before.
    void SetPatchSet(std::unique_ptr<TPatchSet> set);
    // Loads a patch script and makes it the patch set; true when it failed,
    // the warnings window then tells why and the previous set stays.
    bool ApplyPatchSet(const std::string& fileName);
    // Creates the patch set chooser once and shows it.
    void ChoosePatchSet();
    TPatchSetChooserDialog* PatchSetChooser() const { return patchSetChooser_; }
    // Page Up / Page Down over the patch combo, Shift+Page Up / Down over the program.
    void StepPatch(int delta);
    void StepProgram(int delta);
    // Silences every channel, one channel every 150 ms on the event loop's timer: the
    // window keeps answering meanwhile. A press while it runs changes nothing.
    void Panic();
    // Panic's end: the panel as it was, the cursor back.
    void EndPanic();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The program or bank changed by a message received: the fields follow.
    void ProgramBankChanged() override { ShowProgramAndBank(); }

    void CreateProgramControls(QWidget* form);
    void CreatePatchesMenu(QMenuBar* bar);
    QLineEdit* BankEdit(int which) const;
    TUpDown* BankUpDown(int which) const;
    void UserBankChange(int which, int value);
    void ProgramEdited();
    void BankEdited(int which);
    void RebuildPatchCombo();
    void ResetPatchCombo();
    void SelectInCombo();
    void PatchChosen(int index);
    void ApplyPatch(bool send);
    void FillPatchMenu(QMenu* menu, const TPatchModeGroup& group);
    void PanicStep();

    TInstrument& instrument_;
    TPianoKeyboard* keyboard_;
    TServices services_;
    QWidget* window_;
    const TPatchModeGroup* shownPatchGroup_ = nullptr;
    QPointer<TPatchSetChooserDialog> patchSetChooser_;
    QTimer* panicTimer_ = nullptr;
    bool panicShown_ = false; // the red panel and the wait cursor
    QPalette panicNormal_;
};
