// Draws the program's bitmaps at build time: the octave images of the piano
// keyboard (released and pressed, three sizes, 24-bit and 256-colour), the
// wheel strip, the two scroll arrows and the window's background tile; the
// 24-bit ones also at twice the size ("@2x"), for screens with a device pixel
// ratio of 2. Also the program's icon at the usual desktop sizes.
// Usage: bitmapgen OUTPUT_FOLDER
#include "instrument/KeyGeometry.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

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

// An image of the given size in logical pixels, drawn at a pixel ratio.
QImage Canvas(int width, int height, int ratio) {
    QImage image(width * ratio, height * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    return image;
}

QImage OctaveImage(TImageSize size, bool pressed, int ratio) {
    const auto& g = KeyGeometry::ImageGeometry(size);
    QImage image = Canvas(g.octaveWidth, KeyGeometry::ImageHeight, ratio);
    QPainter p(&image);
    for (int w = 0; w < 7; ++w)
        DrawWhiteKey(p, w * g.whiteKeyWidth, g.whiteKeyWidth, KeyGeometry::ImageHeight, pressed);
    for (int left : g.blackLeft) DrawBlackKey(p, left, g.blackKeyWidth, g.blackKeyHeight, pressed);
    return image;
}

// One frame of the wheel: a ridged cylinder seen from the front, its ridges
// and marker moved by the turn (frame 0 fully down, the last fully up).
QImage WheelStrip(int ratio) {
    constexpr int frames = 41, w = 20, h = 76;
    QImage strip = Canvas(frames * w, h, ratio);
    QPainter p(&strip);
    for (int f = 0; f < frames; ++f) {
        const int x0 = f * w;
        QLinearGradient body(x0, 0, x0 + w, 0);
        body.setColorAt(0.0, QColor(0x30, 0x30, 0x34));
        body.setColorAt(0.45, QColor(0x9C, 0x9C, 0xA4));
        body.setColorAt(1.0, QColor(0x24, 0x24, 0x28));
        p.fillRect(x0 + 2, 2, w - 4, h - 4, body);
        // Ridges slide upward as the wheel turns up.
        const double phase = (f % 4) * 2.0;
        for (double y = 4 - phase + 8; y < h - 4; y += 8) {
            const double t = (y - h / 2.0) / (h / 2.0);                       // -1 .. 1 around the axis
            const QColor ridge = QColor::fromHsv(0, 0, static_cast<int>(60 + 90 * (1 - t * t)));
            p.fillRect(QRectF(x0 + 3, y, w - 6, 1.5), ridge);
        }
        // The marker: where the wheel's zero line stands.
        const int my = h - 6 - (h - 12) * f / (frames - 1);
        p.fillRect(x0 + 3, my - 1, w - 6, 3, QColor(0xF0, 0xF0, 0xF0));
        p.setPen(QColor(0x10, 0x10, 0x10));
        p.drawRect(x0 + 1, 1, w - 3, h - 3);
    }
    return strip;
}

// Two frames of a scroll arrow: released (raised) and pressed (sunken).
QImage ArrowStrip(bool pointsRight, int ratio) {
    constexpr int w = 16, h = 76;
    QImage strip = Canvas(2 * w, h, ratio);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int f = 0; f < 2; ++f) {
        const bool pressed = f == 1;
        const int x0 = f * w;
        QLinearGradient face(x0, 0, x0 + w, 0);
        face.setColorAt(0.0, pressed ? QColor(0x50, 0x50, 0x58) : QColor(0x90, 0x90, 0x98));
        face.setColorAt(1.0, pressed ? QColor(0x70, 0x70, 0x78) : QColor(0x50, 0x50, 0x58));
        p.fillRect(x0, 0, w, h, face);
        p.setPen(pressed ? QColor(0x20, 0x20, 0x20) : QColor(0xD0, 0xD0, 0xD8));
        p.drawLine(x0, 0, x0 + w - 1, 0);
        p.drawLine(x0, 0, x0, h - 1);
        p.setPen(pressed ? QColor(0xD0, 0xD0, 0xD8) : QColor(0x20, 0x20, 0x20));
        p.drawLine(x0 + w - 1, 0, x0 + w - 1, h - 1);
        p.drawLine(x0, h - 1, x0 + w - 1, h - 1);
        const double cx = x0 + w / 2.0 + (pressed ? 1 : 0), cy = h / 2.0 + (pressed ? 1 : 0);
        const double dx = pointsRight ? 4 : -4;
        const QPointF tri[3] = {{cx + dx, cy}, {cx - dx, cy - 7}, {cx - dx, cy + 7}};
        p.setPen(Qt::NoPen);
        p.setBrush(pressed ? QColor(0xFF, 0xE0, 0x60) : QColor(0xF4, 0xF4, 0xF4));
        p.drawPolygon(tri, 3);
    }
    return strip;
}

// The window's background: a near-black tile with a faint weave, dark enough
// that white captions stay readable on it.
QImage BackgroundTile(int ratio) {
    constexpr int size = 32;
    QImage tile = Canvas(size, size, ratio);
    tile.fill(QColor(0x08, 0x08, 0x0C));
    QPainter p(&tile);
    p.setPen(QPen(QColor(0x16, 0x16, 0x1E), 1));
    for (int i = 0; i < size; i += 8) {
        p.drawLine(i, 0, i + size, size); // wraps: the tile repeats without seams
        p.drawLine(i - size, 0, i, size);
    }
    p.setPen(QPen(QColor(0x10, 0x10, 0x18), 1));
    for (int i = 0; i < size; i += 8) {
        p.drawLine(i, size, i + size, 0);
        p.drawLine(i - size, size, i, 0);
    }
    return tile;
}

// The program's icon: three piano keys under a sound wave, on a rounded square.
QImage Icon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient back(0, 0, 0, 64);
    back.setColorAt(0, QColor(0x30, 0x34, 0x48));
    back.setColorAt(1, QColor(0x10, 0x10, 0x18));
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(QColor(0xF4, 0xF4, 0xF4));
    for (int k = 0; k < 3; ++k) p.drawRoundedRect(QRectF(10 + k * 15, 30, 13, 26), 2, 2);
    p.setBrush(QColor(0x10, 0x10, 0x10));
    for (int k = 0; k < 2; ++k) p.drawRoundedRect(QRectF(19 + k * 15, 30, 9, 15), 1.5, 1.5);
    QPainterPath wave;
    wave.moveTo(10, 19);
    wave.cubicTo(18, 5, 24, 33, 32, 19);
    wave.cubicTo(40, 5, 46, 33, 54, 19);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xFF, 0xC8, 0x40), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(wave);
    return icon;
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
    } sizes[] = {{TImageSize::Small, "SMALL"}, {TImageSize::Normal, "NORMAL"}, {TImageSize::Big, "BIG"}};
    bool ok = true;
    for (const auto& s : sizes) {
        for (bool pressed : {false, true}) {
            QImage image = OctaveImage(s.size, pressed, 1);
            QString name = QString(pressed ? "DOWN" : "UP") + s.word;
            ok &= Save(image, folder, name);
            ok &= Save(image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither), folder, name + "256");
            ok &= Save(OctaveImage(s.size, pressed, 2), folder, name + "@2x");
        }
    }
    const QImage wheel = WheelStrip(1);
    ok &= Save(wheel, folder, "WHEEL");
    ok &= Save(wheel.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither), folder, "WHEEL256");
    ok &= Save(WheelStrip(2), folder, "WHEEL@2x");
    ok &= Save(ArrowStrip(false, 1), folder, "LEFTARROW");
    ok &= Save(ArrowStrip(true, 1), folder, "RIGHTARROW");
    ok &= Save(ArrowStrip(false, 2), folder, "LEFTARROW@2x");
    ok &= Save(ArrowStrip(true, 2), folder, "RIGHTARROW@2x");
    const QImage background = BackgroundTile(1);
    ok &= Save(background, folder, "BACKGROUND");
    ok &= Save(background.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither), folder, "BACKGROUND256");
    ok &= Save(BackgroundTile(2), folder, "BACKGROUND@2x");
    for (int size : {16, 32, 48, 64, 128, 256}) ok &= Save(Icon(size), folder, QString("ICON%1").arg(size));
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
