#include "mainwindow/ExportImportCommands.h"

#include "mainwindow/ChordPanel.h"
#include "mainwindow/KnobPanel.h"
#include "widgets/KnobRow.h"
#include "widgets/LongWork.h"

#include "widgets/TonecastApplication.h"
#include "dialogs/ExportImportHelpDialog.h"
#include "store/IniFile.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

using namespace ExportImport;

TExportImportCommands::TExportImportCommands(QMenu* file, TKnobPanel& knobs, TChordPanel& chords, TServices services)
    : QObject(file), window_(file->parentWidget()->window()), knobs_(knobs), chords_(chords), services_(std::move(services)) {
    // At the top of the menu, above what it holds already.
    QAction* first = file->actions().value(0);
    auto* import = new QMenu("&Import", file);
    file->insertMenu(first, import);
    import->menuAction()->setStatusTip("Import previously exported ini file.");
    exportItem = new QMenu("&Export", file);
    file->insertMenu(first, exportItem);
    exportItem->menuAction()->setStatusTip("Export to an ini file.");
    const char* const importCaptions[] = {"&Settings", "Knob &Presets...", "&Knob Snapshots", "&Chords..."};
    const char* const exportCaptions[] = {"&Settings", "Knob &Presets", "&Knob Snapshots", "&Chords"};
    for (int kind = 0; kind < ExportImport::KindCount; ++kind) {
        const auto k = static_cast<ExportImport::TKind>(kind);
        importItems[kind] = import->addAction(importCaptions[kind], this, [this, k] { RunExportImport({k, true}); });
        exportItems[kind] = exportItem->addAction(exportCaptions[kind], this, [this, k] { RunExportImport({k, false}); });
    }
    connect(exportItem, &QMenu::aboutToShow, this, &TExportImportCommands::UpdateExportMenu);
}

void TExportImportCommands::UpdateExportMenu() {
    const bool worthExporting[] = {true, knobs_.KnobRow().Count() > 0, knobs_.Snapshots().UsedCount() > 0,
                                   chords_.Chords().Count() > 0};
    for (std::size_t i = 0; i < exportItems.size(); ++i)
        exportItems[i]->setEnabled(worthExporting[i]);
}

void TExportImportCommands::RunExportImport(TCommand command) {
    bool& flag = dialogFlags_[command.Flag()];
    if (command.AsksChoice() || !flag) {
        bool answer = flag;
        TExportImportHelpDialog help(window_); // one for each use, gone with it
        if (!help.Execute(command.Page(), answer)) return;
        flag = answer;
    }
    int count = 0, skipped = 0;
    QString fileName;
    try {
        std::unique_ptr<TIniFileStore> file = OpenExportImportFile(command);
        if (!file) return;
        fileName = exImFiles_[command.kind];
        TLongWork work;
        file->SetProgress([&work] { work.Tick(); });
        count = DoExportImport(command, *file, command.AsksChoice() && flag, skipped);
        file->Close(); // before the message
    } catch (const EStoreError& e) {
        TTonecastApplication::ShowMessage(
            window_, command.import ? QString::fromStdString(e.what()) : QString("Unable to write to %1").arg(fileName));
        return;
    }
    QMessageBox::information(window_, QApplication::applicationName(), QString::fromStdString(ResultText(command, count, skipped)));
    if (command.import && command.kind == ExportImport::KnobPresets) {
        // The row shows the stored version of its preset, or "Default" when it is gone.
        if (auto root = services_.openSettings()) {
            knobs_.RefreshPresetsMenu(*root);
            knobs_.SelectKnobPreset(*root, knobs_.KnobPreset());
        }
    }
}

std::unique_ptr<TIniFileStore> TExportImportCommands::OpenExportImportFile(TCommand command) {
    QFileDialog dialog(window_, command.import ? "Select import file" : "Select export file");
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

int TExportImportCommands::DoExportImport(TCommand command, TIniStore& file, bool overwrite, int& skipped) {
    switch (command.kind) {
    case ExportImport::Settings:
        if (command.import) services_.loadSettings(file);
        else services_.saveSettings(file);
        return 0;
    case ExportImport::KnobPresets: {
        auto root = services_.openSettings();
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
        if (!command.import) return knobs_.Snapshots().Save(file, TKnobSnapshots::Section);
        return knobs_.LoadSnapshots(file);
    }
    case ExportImport::Chords: {
        if (!command.import) return chords_.Chords().SaveTo(file);
        if (overwrite) chords_.Chords().Clear();
        const int count = chords_.Chords().LoadFrom(file, true);
        // The window's chords live in the registry: they are kept there at once.
        auto root = services_.openSettings();
        chords_.Chords().SaveTo(*root);
        root->Close();
        chords_.RefillChordBox();
        if (chords_.ChordEditor()) chords_.ChordEditor()->ChordsChangedElsewhere();
        return count;
    }
    case ExportImport::KindCount: break;
    }
    return 0;
}
