#pragma once
// The "Knob Preset Editor": the knob row's knobs on one tab each, worked on in
// a private copy, with the knob presets to create, save, delete and choose.
// OK and Apply hand the copy to the main window's knob row.
#include "instrument/KnobList.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class TUpDown;

class TKnobEditorDialog : public QDialog {
    Q_OBJECT
public:
    // What the editor uses of the main window.
    struct TServices {
        std::function<const TKnobList&()> knobRow;
        std::function<std::string()> currentPreset;
        std::function<std::unique_ptr<TIniStore>()> openSettings; // the program's root
        std::function<void()> refreshPresetsMenu;
        std::function<void(const std::string&)> selectPreset;
        std::function<void(const TKnobList&)> useKnobs; // the row takes them as "Current"
    };
    TKnobEditorDialog(QWidget* mainWindow, TServices services);
    static constexpr const char* Section = "KnobEditForm";

    QLineEdit* knobCountEdit;
    TUpDown* knobCountUpDown;
    QComboBox* presetBox;
    QPushButton* newPresetButton;
    QPushButton* savePresetButton;
    QPushButton* deletePresetButton;
    QTabBar* knobTabs;
    QWidget* knobPage;
    QLineEdit* knobNameEdit;
    QComboBox* knobControllerBox;
    QRadioButton* positiveRadio;
    QRadioButton* negativeRadio;
    QLineEdit* defaultValueEdit;
    TUpDown* defaultValueUpDown;
    QLabel* noKnobsLabel;
    QPushButton* okButton;
    QPushButton* cancelButton;
    QPushButton* applyButton;

    const TKnobList& WorkingList() const { return working_; }
    bool Modified() const { return modified_; }
    // A controller the main window sent or received.
    void ControllerSeen(int controller);
    void Apply();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    // Layouts give a wrapped text no more height than one line: the note asks for its lines.
    void FitRangeNote();
    QLabel* rangeNote_ = nullptr;
    void ShowDialog();
    void RebuildTabs();
    void LoadTab();
    void StoreTab();
    void ShowDefaultValue();
    void TabChanged(int index);
    void ControllerChosen(int index);
    void KnobCountClicked();
    void Edited();
    bool AskToSave();
    void SaveInto(const std::string& name);
    void LoadPreset(const std::string& name);
    void PresetChosen(int index);
    void NewPreset();
    void SavePreset();
    void DeletePreset();
    void UpdatePresetButtons();
    std::string PresetAt(int index) const;
    int AddPresetSorted(const std::string& name);

    TServices services_;
    TKnobList working_;
    bool modified_ = false;
    int presetIndex_ = -1;
    bool updating_ = false;
    bool storeEnabled_ = true;
    int shownTab_ = -1;
    bool shownOnce_ = false;
};
