#pragma once
// Saves and restores a window's placement in a store (flags in Placement.h).
#include "store/Placement.h"

#include <functional>
#include <memory>

class QWidget;

void SaveFormPlacement(QWidget* window, TIniStore& store, const std::string& section, int flags,
                       const std::string& prefix);
void RestoreFormPlacement(QWidget* window, TIniStore& store, const std::string& section, int flags,
                          const std::string& prefix);

// A tool window's own position ("Form" values of its section): a store that
// cannot be read or written is not worth a message there.
using TSettingsOpener = std::function<std::unique_ptr<TIniStore>()>;
void RestoreDialogPosition(QWidget* dialog, const TSettingsOpener& open, const std::string& section);
void SaveDialogPosition(QWidget* dialog, const TSettingsOpener& open, const std::string& section);

// A modeless dialog brought up: restored when minimised, shown, in front.
void PresentDialog(QWidget* dialog);
