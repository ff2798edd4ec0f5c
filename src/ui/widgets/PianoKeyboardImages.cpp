// The image style's keys, cut from the pictures for the chosen size and colour depth.
#include "widgets/PianoKeyboard.h"

#include "widgets/Bitmaps.h"
#include "widgets/PictureDepth.h"

#include <QImage>
#include <QPainter>

using namespace KeyGeometry;

namespace {

const char* SizeWord(TImageSize size) {
    switch (size) {
    case TImageSize::Small: return "SMALL";
    case TImageSize::Big: return "BIG";
    case TImageSize::Normal: break;
    }
    return "NORMAL";
}

} // namespace

// --- images -----------------------------------------------------------------

void TPianoKeyboard::FreeImages() { images_.reset(); }

bool TPianoKeyboard::LoadImages() {
    FreeImages();
    if (imagesAvailable_) {
        const int depth = imageDepth_;
        const QString suffix = PictureDepth::UsesFullColour(depth) ? "" : "256";
        const auto& g = ImageGeometry(imageSize_);
        auto load = [&](const char* kind, int ratio) {
            const QString atRatio = ratio > 1 ? QString("@%1x").arg(ratio) : QString();
            QImage image = LoadBitmapImage(QString("%1%2%3%4").arg(kind, SizeWord(imageSize_), suffix, atRatio));
            image = image.convertToFormat(QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            return image;
        };
        // The 256-colour sets exist at one size only.
        int r = suffix.isEmpty() && imageRatio_ > 1.0 ? 2 : 1;
        QImage up = load("UP", r), down = load("DOWN", r);
        if (r > 1 && (up.isNull() || down.isNull())) {
            r = 1;
            up = load("UP", r);
            down = load("DOWN", r);
        }
        if (!up.isNull() && !down.isNull()) {
            // Cut in the pictures' own pixels; every piece keeps their ratio.
            auto cut = [r](const QImage& from, int x, int y, int w, int h) {
                QImage piece = from.copy(x * r, y * r, w * r, h * r);
                piece.setDevicePixelRatio(r);
                return piece;
            };
            const int height = up.height() / r;
            TKeyImages images;
            QImage blackUp = cut(up, g.blackLeft[0], 0, g.blackKeyWidth, g.blackKeyHeight);
            QImage blackDown = cut(down, g.blackLeft[0], 0, g.blackKeyWidth, g.blackKeyHeight);
            for (QImage* octave : {&up, &down}) {
                QPainter p(octave); // every black key looks like the released C#
                for (int left : g.blackLeft) p.drawImage(left, 0, blackUp);
            }
            const int k = up.width() / r / 7;
            for (int w : {0, 1, 2, 4, 5}) {
                images.whiteUp[static_cast<std::size_t>(w)] = QPixmap::fromImage(cut(up, w * k, 0, k, height));
                images.whiteDown[static_cast<std::size_t>(w)] = QPixmap::fromImage(cut(down, w * k, 0, k, height));
            }
            images.whiteUp[3] = images.whiteUp[0];
            images.whiteDown[3] = images.whiteDown[0];
            images.whiteUp[6] = images.whiteUp[2];
            images.whiteDown[6] = images.whiteDown[2];
            images.blackUp = QPixmap::fromImage(blackUp);
            images.blackDown = QPixmap::fromImage(blackDown);
            images.hitMap = BuildHitMap(imageSize_, k);
            images_ = std::move(images);
            keyWidth_ = k;
            return true;
        }
    }
    // A picture that cannot be loaded: draw the keys from now on.
    imagesAvailable_ = false;
    paintStyle_ = TPaintStyle::Drawn;
    return false;
}
