#pragma once
// The program's own bitmaps, built into it as PNG resources.
#include <QImage>
#include <QPixmap>
#include <QString>

// ":/bitmaps/<name>.png", or a null image. Read as PNG without asking the
// image plugins, which Qt would otherwise load (and their libraries) to guess.
QImage LoadBitmapImage(const QString& name);
QPixmap LoadBitmap(const QString& name);
