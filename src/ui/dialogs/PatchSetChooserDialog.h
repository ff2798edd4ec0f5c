#pragma once
// "Choose Patch Set": browse the file system for patch scripts, see a
// script's description and make it the current patch set.
#include "store/IniStore.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QSplitter;
class QToolButton;
class QTreeView;
class TFolderPicker;

class TPatchSetChooserDialog : public QDialog {
    Q_OBJECT
public:
    // applyPatchSet loads a script into the main window and tells whether it
    // failed; openSettings opens the program's settings store; currentScript
    // names the script in use ("" for none).
    TPatchSetChooserDialog(QWidget* mainWindow, std::function<bool(const std::string&)> applyPatchSet,
                     std::function<std::unique_ptr<TIniStore>()> openSettings,
                     std::function<std::string()> currentScript = {});

    QLineEdit* directoryEdit;
    QToolButton* directoryButton;
    QPushButton* homeButton;
    QTreeView* folderTree;
    QLabel* fileNameLabel;
    QLineEdit* scriptNameEdit;
    QLineEdit* deviceNameEdit;
    QLineEdit* manufacturerEdit;
    QLineEdit* creatorNameEdit;
    QComboBox* fileTypeBox;
    QPushButton* okButton;
    QPushButton* cancelButton;
    QPushButton* applyButton;
    QWidget* detailsPanel;
    TFolderPicker* folderPicker;

    QString Directory() const;
    void SetDirectory(const QString& directory);
    const QString& SelectedPath() const { return selectedPath_; }
    // Selects the item of a file or folder of the shown directory.
    void SelectItem(const QString& path);
    // The default action on an item: a double click or Enter.
    void DefaultAction(const QModelIndex& index);
    QFileSystemModel* Model() const { return model_; }

    static constexpr const char* Section = "PatchSetDialog";

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Every way out ends here: OK, Cancel, Escape and the close box.
    void done(int result) override;

private:
    void SelectionChanged(const QModelIndex& index);
    void ClearSelection();
    void UpdateDescription(const QString& path);
    void Apply();
    void FileTypeChanged(int index);
    void DirectoryEntered(bool onLeave);
    void SaveSettings();

    std::function<bool(const std::string&)> applyPatchSet_;
    std::function<std::unique_ptr<TIniStore>()> openSettings_;
    std::function<std::string()> currentScript_;
    QFileSystemModel* model_;
    QSplitter* splitter_;
    QString selectedPath_;
    QString shownPath_ = "dummy"; // the first update always runs
    QString confirmedDirectory_;
    bool shownOnce_ = false;
};
