// Draws the program's bitmaps at build time: the octave images of the piano
// keyboard (released and pressed, three sizes, 24-bit and 256-colour).
// Usage: bitmapgen OUTPUT_FOLDER
#include "keyboard/KeyGeometry.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

namespace {

void DrawWhiteKey(QPainter& p, int x, int w, int h, bool pressed) {
    QLinearGradient g(0, 0, 0, h);
    if (pressed) {
        g.setColorAt(0.0, QColor(0xB8, 0xBC, 0xC4));
        g.setColorAt(0.25, QColor(0xD6, 0xD9, 0xDE));
        g.setColorAt(1.0, QColor(0xE2, 0xE4, 0xE8));
    } else {
        g.setColorAt(0.0, QColor(0xE8, 0xE8, 0xE6));
        g.setColorAt(0.12, QColor(0xFD, 0xFD, 0xFB));
        g.setColorAt(0.92, QColor(0xF6, 0xF6, 0xF2));
        g.setColorAt(1.0, QColor(0xD8, 0xD8, 0xD2));
    }
    p.fillRect(x, 0, w, h, g);
    // The key's separating edge on its right and a soft lip at the front.
    p.fillRect(x + w - 1, 0, 1, h, QColor(0x50, 0x50, 0x50));
    p.fillRect(x, 0, 1, h, pressed ? QColor(0x9A, 0x9E, 0xA6) : QColor(0xFF, 0xFF, 0xFF));
    if (!pressed) p.fillRect(x, h - 4, w - 1, 4, QColor(0xC8, 0xC8, 0xC0));
    else p.fillRect(x, 0, w - 1, 3, QColor(0x8A, 0x8E, 0x96));
}

void DrawBlackKey(QPainter& p, int x, int w, int h, bool pressed) {
    QLinearGradient g(x, 0, x + w, 0);
    g.setColorAt(0.0, pressed ? QColor(0x30, 0x34, 0x3C) : QColor(0x10, 0x10, 0x10));
    g.setColorAt(0.5, pressed ? QColor(0x48, 0x4C, 0x56) : QColor(0x2A, 0x2A, 0x2A));
    g.setColorAt(1.0, pressed ? QColor(0x28, 0x2C, 0x32) : QColor(0x08, 0x08, 0x08));
    p.fillRect(x, 0, w, h, g);
    // The key's front face: long when released, short when pressed down.
    const int face = pressed ? 3 : 6;
    QLinearGradient f(0, h - face, 0, h);
    f.setColorAt(0.0, pressed ? QColor(0x60, 0x64, 0x6E) : QColor(0x58, 0x58, 0x58));
    f.setColorAt(1.0, QColor(0x18, 0x18, 0x18));
    p.fillRect(x + 1, h - face, w - 2, face, f);
    p.fillRect(x + 1, 1, 1, h - face - 1, pressed ? QColor(0x70, 0x74, 0x7E) : QColor(0x50, 0x50, 0x50));
}

QImage OctaveImage(TImageSize size, bool pressed) {
    const auto& g = KeyGeometry::ImageGeometry(size);
    QImage image(g.octaveWidth, KeyGeometry::ImageHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    for (int w = 0; w < 7; ++w) DrawWhiteKey(p, w * g.whiteKeyWidth, g.whiteKeyWidth, image.height(), pressed);
    for (int left : g.blackLeft) DrawBlackKey(p, left, g.blackKeyWidth, g.blackKeyHeight, pressed);
    return image;
}

bool Save(const QImage& image, const QString& folder, const QString& name) {
    QString path = folder + "/" + name + ".png";
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "bitmapgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bitmapgen OUTPUT_FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    struct Size {
        TImageSize size;
        const char* word;
    } sizes[] = {{TImageSize::isSmall, "SMALL"}, {TImageSize::isNormal, "NORMAL"}, {TImageSize::isBig, "BIG"}};
    bool ok = true;
    for (const auto& s : sizes) {
        for (bool pressed : {false, true}) {
            QImage image = OctaveImage(s.size, pressed);
            QString name = QString(pressed ? "DOWN" : "UP") + s.word;
            ok &= Save(image, folder, name);
            ok &= Save(image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither), folder, name + "256");
        }
    }
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
