#pragma once
// Files that come with the program: beside the executable in a build folder,
// under share/ once installed.
#include <QString>

// Where a shipped file is: beside the program when it is there, else in the
// installed folder (relative to the program's folder) when it is there, else
// beside the program, so that a message names the place it was looked for.
QString ShippedFile(const QString& programFolder, const QString& name, const QString& installedFolder);

QString ReadmePath();
// The patch script of the General MIDI sounds, and the folder that holds it.
QString GeneralMidiScript();
QString ShippedPatchScriptFolder();
