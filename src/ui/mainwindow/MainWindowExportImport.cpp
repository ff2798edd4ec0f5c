// The File menu's export and import of settings, knob presets, knob snapshots
// and chords to and from INI files.
#include "mainwindow/MainWindow.h"

#include "dialogs/ChordEditorDialog.h"

#include "widgets/TonecastApplication.h"
#include "dialogs/ExportImportHelpDialog.h"
#include "store/IniFile.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

using namespace ExportImport;

void TMainWindow::RunExportImport(TCommand command) {
    bool& flag = dialogFlags_[command.Flag()];
    if (command.AsksChoice() || !flag) {
        bool answer = flag;
        TExportImportHelpDialog help(this); // one for each use, gone with it
        if (!help.Execute(command.Page(), answer)) return;
        flag = answer;
    }
    int count = 0, skipped = 0;
    QString fileName;
    try {
        std::unique_ptr<TIniStore> file = OpenExportImportFile(command);
        if (!file) return;
        fileName = exImFiles_[command.kind];
        count = DoExportImport(command, *file, command.AsksChoice() && flag, skipped);
        file->Close(); // before the message
    } catch (const EStoreError& e) {
        TTonecastApplication::ShowMessage(
            this, command.import ? QString::fromStdString(e.what()) : QString("Unable to write to %1").arg(fileName));
        return;
    }
    QMessageBox::information(this, QApplication::applicationName(), QString::fromStdString(ResultText(command, count, skipped)));
    if (command.import && command.kind == ExportImport::KnobPresets) {
        // The row shows the stored version of its preset, or "Default" when it is gone.
        if (auto root = names_.OpenRegistryStore()) {
            knobPanel_->RefreshPresetsMenu(*root);
            knobPanel_->SelectKnobPreset(*root, knobPanel_->KnobPreset());
        }
    }
}

std::unique_ptr<TIniStore> TMainWindow::OpenExportImportFile(TCommand command) {
    QFileDialog dialog(this, command.import ? "Select import file" : "Select export file");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters({"Ini files (*.ini)", "All files (*)"});
    dialog.setDefaultSuffix("ini");
    dialog.setAcceptMode(command.import ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(command.import ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QString remembered = exImFiles_[command.kind];
    if (!remembered.isEmpty()) {
        dialog.setDirectory(QFileInfo(remembered).absolutePath());
        dialog.selectFile(QFileInfo(remembered).fileName());
    } else {
        // The save and open dialogs each their own folder, never one another dialog left behind.
        const QString& folder = exImFolders_[command.import ? 1 : 0];
        dialog.setDirectory(folder.isEmpty() ? QDir::currentPath() : folder);
        dialog.selectFile(DefaultFileName(command.kind));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return nullptr;
    const QString chosen = dialog.selectedFiles().front();
    exImFiles_[command.kind] = chosen;
    exImFolders_[command.import ? 1 : 0] = QFileInfo(chosen).absolutePath();
    return std::make_unique<TIniFileStore>(chosen.toStdString());
}

int TMainWindow::DoExportImport(TCommand command, TIniStore& file, bool overwrite, int& skipped) {
    switch (command.kind) {
    case ExportImport::Settings:
        if (command.import) LoadWindowSettings(file);
        else SaveWindowSettings(file);
        return 0;
    case ExportImport::KnobPresets: {
        auto root = names_.OpenRegistryStore();
        int count = 0;
        if (command.import) {
            const TImportCount imported = ImportKnobPresets(file, *root, overwrite);
            count = imported.loaded;
            skipped = imported.skipped;
        } else {
            count = ExportKnobPresets(*root, file);
        }
        root->Close();
        return count;
    }
    case ExportImport::KnobSnapshots: {
        if (!command.import) return knobPanel_->Snapshots().Save(file, TKnobSnapshots::Section);
        return knobPanel_->LoadSnapshots(file);
    }
    case ExportImport::Chords: {
        if (!command.import) return chordPanel_->Chords().SaveTo(file);
        if (overwrite) chordPanel_->Chords().Clear();
        const int count = chordPanel_->Chords().LoadFrom(file, true);
        // The window's chords live in the registry: they are kept there at once.
        auto root = names_.OpenRegistryStore();
        chordPanel_->Chords().SaveTo(*root);
        root->Close();
        chordPanel_->RefillChordBox();
        if (chordPanel_->ChordEditor()) chordPanel_->ChordEditor()->ChordsChangedElsewhere();
        return count;
    }
    case ExportImport::KindCount: break;
    }
    return 0;
}
