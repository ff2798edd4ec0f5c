#include "dialogs/ShippedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ShippedFile(const QString& programFolder, const QString& name, const QString& installedFolder) {
    const QDir folder(programFolder);
    const QString beside = folder.filePath(name);
    const QString installed = QDir(folder.filePath(installedFolder)).filePath(name);
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside : QFileInfo(installed).canonicalFilePath();
}

QString ReadmePath() {
    return ShippedFile(QCoreApplication::applicationDirPath(), "Readme.txt", "../share/doc/tonecast");
}

QString GeneralMidiScript() {
    return ShippedFile(QCoreApplication::applicationDirPath(), "General-MIDI.txt", "../share/tonecast/patchscripts");
}

QString ShippedPatchScriptFolder() { return QFileInfo(GeneralMidiScript()).absolutePath(); }
