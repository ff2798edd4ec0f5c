#include "widgets/Bitmaps.h"

#include <QImageReader>

QImage LoadBitmapImage(const QString& name) {
    QImageReader reader(":/bitmaps/" + name + ".png", "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap LoadBitmap(const QString& name) { return QPixmap::fromImage(LoadBitmapImage(name)); }
