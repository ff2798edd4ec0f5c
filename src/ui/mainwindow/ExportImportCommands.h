#pragma once
// The File menu's export and import of settings, knob presets, knob snapshots
// and chords to and from INI files: the explanation (unless turned off), the
// file dialog, the work, the result.
#include "instrument/ExportImport.h"
#include "instrument/MainWindowSettings.h"
#include "store/IniStore.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class TIniFileStore;
class TChordPanel;
class TKnobPanel;

class TExportImportCommands : public QObject {
    Q_OBJECT
public:
    struct TServices {
        std::function<std::unique_ptr<TIniStore>()> openSettings;
        std::function<void(TIniStore&)> loadSettings; // what a settings file holds
        std::function<void(TIniStore&)> saveSettings;
    };
    // The Import and Export menus go to the top of the File menu.
    TExportImportCommands(QMenu* file, TKnobPanel& knobs, TChordPanel& chords, TServices services);

    QMenu* exportItem; // "&Export": settings, knob presets, knob snapshots, chords
    std::array<QAction*, ExportImport::KindCount> exportItems{};
    std::array<QAction*, ExportImport::KindCount> importItems{};
    void RunExportImport(ExportImport::TCommand command);
    // The export and import dialogs' "don't show" and "overwrite" choices.
    std::array<bool, MainWindowSettings::DialogFlagCount>& DialogFlags() { return dialogFlags_; }

private:
    // Presets, snapshots and chords are offered for export only when there are some.
    void UpdateExportMenu();
    // An INI file chosen in the export or import file dialog, or none.
    std::unique_ptr<TIniFileStore> OpenExportImportFile(ExportImport::TCommand command);
    int DoExportImport(ExportImport::TCommand command, TIniStore& file, bool overwrite, int& skipped);

    QWidget* window_;
    TKnobPanel& knobs_;
    TChordPanel& chords_;
    TServices services_;
    std::array<QString, ExportImport::KindCount> exImFiles_; // chosen this run, per kind
    std::array<QString, 2> exImFolders_;                     // of the last file chosen: [export, import]
    std::array<bool, MainWindowSettings::DialogFlagCount> dialogFlags_{};
};
