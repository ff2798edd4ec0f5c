#pragma once
// The Help menu's answers: the Readme in the system's viewer, the About box.
#include <QString>

#include <string>

class QWidget;

// Opens the Readme; a box says so when nothing could show it.
void ShowReadme(QWidget* parent);
// Name, version and maker, then the details one fact per line, then Qt's version.
void ShowAbout(QWidget* parent, const std::string& program, const std::string& details);
