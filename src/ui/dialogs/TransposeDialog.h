#pragma once
// "Transpose": how many semitones every played note moves, whether the keys
// show the moved notes, and whether MIDI Thru notes move too. It edits the
// main keyboard's settings; closing it sets the transposition back to 0
// unless the user keeps it.
#include "store/IniStore.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class TPianoKeyboard;
class TUpDown;

class TTransposeDialog : public QDialog {
    Q_OBJECT
public:
    TTransposeDialog(QWidget* mainWindow, TPianoKeyboard& keyboard, std::function<std::unique_ptr<TIniStore>()> openSettings);

    QLineEdit* transposeEdit;
    TUpDown* transposeUpDown;
    QCheckBox* displayBeforeKeyboardCheck;
    QCheckBox* thruCheck;
    QCheckBox* keepTransposeCheck;
    QPushButton* closeButton;
    QPushButton* helpButton;
    QFrame* transposeFrame;
    QFrame* helpFrame;

    bool HelpShown() const;
    void ShowHelp(bool show);

    static constexpr const char* Section = "TransposeForm";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void NumberEntered();
    void ShowTranspose();

    TPianoKeyboard& keyboard_;
    std::function<std::unique_ptr<TIniStore>()> openSettings_;
    QString hideHelpCaption_;
    int gap_ = 0;
    bool shownOnce_ = false;
};
