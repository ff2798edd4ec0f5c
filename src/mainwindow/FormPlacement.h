#pragma once
// Saves and restores a window's placement in a store (flags in Placement.h).
#include "mainwindow/Placement.h"

class QWidget;

void SaveFormPlacement(QWidget* window, TIniStore& store, const std::string& section, int flags,
                       const std::string& prefix);
void RestoreFormPlacement(QWidget* window, TIniStore& store, const std::string& section, int flags,
                          const std::string& prefix);
