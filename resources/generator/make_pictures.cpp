// Draws the program's four pictures and writes them, byte for byte reproducibly, into one directory.
//
//  - background.jpg: 1024 x 768 baseline JFIF 1.01 JPEG, 4:2:0, 72 dpi; white running into pale green
//  - tolvane.ico:    one 32 x 32 image, 8-bit with a 256-colour palette and a 1-bit mask
//  - tolvane-48.png, tolvane-64.png, tolvane-128.png, tolvane-256.png: the same icon drawn larger, 32-bit
//    with alpha, for the desktop's icon theme (the Debian package installs them)
//  - girl.bmp:       52 x 54, 24-bit uncompressed
//  - boy.bmp:        46 x 51, 24-bit uncompressed
//
// Usage: make_pictures <directory>. Qt draws and encodes; only the icon's bytes are laid out here, because
// Qt's icon writer stores 32-bit images and the program's icon is an 8-bit one.
//
// Shapes are drawn without antialiasing at kSupersample times the size and every block is averaged in
// integer arithmetic, so the result does not depend on which vector path Qt's blending takes on this CPU.
#include <QByteArray>
#include <QColor>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

constexpr int kSupersample = 8;

// ---------------------------------------------------------------------------------------------------------
// Drawing helpers

// Draws in target pixel units on a canvas kSupersample times larger, then averages each block (alpha
// premultiplied, rounded to nearest).
QImage renderSupersampled(int width, int height, const std::function<void(QPainter&)>& draw) {
    QImage big(width * kSupersample, height * kSupersample, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter painter(&big);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.scale(kSupersample, kSupersample);
        draw(painter);
    }
    QImage small(width, height, QImage::Format_ARGB32_Premultiplied);
    constexpr int samples = kSupersample * kSupersample;
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(small.scanLine(y));
        for (int x = 0; x < width; ++x) {
            int a = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kSupersample; ++sy) {
                const auto* in = reinterpret_cast<const QRgb*>(big.constScanLine(y * kSupersample + sy));
                for (int sx = 0; sx < kSupersample; ++sx) {
                    const QRgb pixel = in[x * kSupersample + sx];
                    a += qAlpha(pixel);
                    r += qRed(pixel);
                    g += qGreen(pixel);
                    b += qBlue(pixel);
                }
            }
            const auto mean = [](int sum) { return (sum + samples / 2) / samples; };
            out[x] = qRgba(mean(r), mean(g), mean(b), mean(a));
        }
    }
    return small;
}

void fillEllipse(QPainter& painter, const QColor& colour, QPointF centre, qreal rx, qreal ry) {
    painter.setBrush(colour);
    painter.drawEllipse(centre, rx, ry);
}

void fillPath(QPainter& painter, const QColor& colour, const QPainterPath& path) {
    painter.fillPath(path, colour);
}

// A smile: the lower half of an ellipse, as a thin crescent so that it survives at photo size.
void drawSmile(QPainter& painter, const QColor& colour, QPointF centre, qreal halfWidth, qreal depth) {
    QPainterPath smile;
    smile.moveTo(centre.x() - halfWidth, centre.y());
    smile.quadTo(centre.x(), centre.y() + depth * 2, centre.x() + halfWidth, centre.y());
    smile.quadTo(centre.x(), centre.y() + depth * 1.1, centre.x() - halfWidth, centre.y());
    fillPath(painter, colour, smile);
}

void drawEyes(QPainter& painter, qreal centreX, qreal y, qreal spacing) {
    const QColor pupil(0x3a, 0x2a, 0x22);
    const QColor gleam(0xff, 0xff, 0xff);
    for (const qreal side : {-1.0, 1.0}) {
        const QPointF eye(centreX + side * spacing / 2, y);
        fillEllipse(painter, pupil, eye, 1.5, 1.9);
        fillEllipse(painter, gleam, eye + QPointF(0.5, -0.6), 0.5, 0.5);
    }
}

void drawCheeks(QPainter& painter, qreal centreX, qreal y, qreal spacing) {
    const QColor blush(0xf6, 0xa8, 0xb0);
    for (const qreal side : {-1.0, 1.0})
        fillEllipse(painter, blush, QPointF(centreX + side * spacing / 2, y), 2.0, 1.2);
}

// ---------------------------------------------------------------------------------------------------------
// The pictures

// White at the top-left corner, where the window's captions stand, running into pale green towards the
// right and the bottom, with a few broad, soft waves of a slightly deeper green low down.
QImage drawBackground() {
    constexpr int width = 1024;
    constexpr int height = 768;
    QImage image(width, height, QImage::Format_RGB32);
    // 72 dpi in the JFIF header.
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);

    const auto mix = [](double from, double to, double t) { return from + (to - from) * t; };
    const auto smoothstep = [](double edge0, double edge1, double v) {
        const double t = std::clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0);
        return t * t * (3 - 2 * t);
    };
    struct Rgb {
        double r, g, b;
    };
    constexpr Rgb white{255, 255, 255};
    constexpr Rgb mint{222, 242, 216};
    constexpr Rgb wave{206, 234, 200};
    constexpr double pi = 3.14159265358979323846;

    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = x / double(width);
            const double v = y / double(height);
            // Diagonal wash: nearly white over the top-left card area, pale green beyond.
            const double wash = smoothstep(0.05, 1.0, 0.6 * u + 0.8 * v);
            Rgb colour{mix(white.r, mint.r, wash), mix(white.g, mint.g, wash), mix(white.b, mint.b, wash)};
            // Two gentle waves crossing the lower part, their crests soft-edged.
            for (const auto& [base, amplitude, period, phase, strength] :
                 {std::array{0.62, 0.030, 0.95, 0.4, 0.45}, std::array{0.80, 0.035, 0.70, 2.1, 0.70}}) {
                const double crest = base + amplitude * std::sin(2 * pi * u / period + phase);
                const double t = strength * smoothstep(crest - 0.04, crest + 0.10, v);
                colour = {mix(colour.r, wave.r, t), mix(colour.g, wave.g, t), mix(colour.b, wave.b, t)};
            }
            line[x] =
                qRgb(int(std::lround(colour.r)), int(std::lround(colour.g)), int(std::lround(colour.b)));
        }
    }
    return image;
}

// A light-blue rounded square holding a white disc with a red ring and a red heart; transparent outside
// the square. A heart rather than a cross: a red cross on white is a protected emblem.
// Designed on a 32 x 32 grid; other sizes scale the same shapes rather than a finished bitmap.
constexpr int kIconGrid = 32;
QImage drawIcon(int size = kIconGrid) {
    return renderSupersampled(size, size, [size](QPainter& painter) {
        painter.scale(qreal(size) / kIconGrid, qreal(size) / kIconGrid);
        const QColor border(0x3d, 0x8e, 0xd0);
        const QColor lightBlue(0x8f, 0xcf, 0xf7);
        const QColor white(0xff, 0xff, 0xff);
        const QColor red(0xe0, 0x1e, 0x2a);
        painter.setBrush(border);
        painter.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
        painter.setBrush(lightBlue);
        painter.drawRoundedRect(QRectF(2.5, 2.5, 27, 27), 5.5, 5.5);
        fillEllipse(painter, red, QPointF(16, 16), 11.5, 11.5);
        fillEllipse(painter, white, QPointF(16, 16), 9.5, 9.5);
        QPainterPath heart;
        heart.moveTo(16, 22);
        heart.cubicTo(12.5, 19, 10.5, 17, 10.5, 14.3);
        heart.cubicTo(10.5, 12.3, 12, 11, 13.6, 11);
        heart.cubicTo(14.8, 11, 15.6, 11.7, 16, 12.6);
        heart.cubicTo(16.4, 11.7, 17.2, 11, 18.4, 11);
        heart.cubicTo(20, 11, 21.5, 12.3, 21.5, 14.3);
        heart.cubicTo(21.5, 17, 19.5, 19, 16, 22);
        heart.closeSubpath();
        fillPath(painter, red, heart);
    });
}

// A smiling girl with dark pigtails, pink bows and a magenta dress, on plain pale pink.
QImage drawGirl() {
    QImage image = renderSupersampled(52, 54, [](QPainter& painter) {
        const QColor background(0xfc, 0xea, 0xf1);
        const QColor hair(0x5b, 0x34, 0x22);
        const QColor skin(0xff, 0xdc, 0xbf);
        const QColor dress(0xd9, 0x3f, 0x96);
        const QColor dressShade(0xb8, 0x2c, 0x7b);
        const QColor collar(0xff, 0xff, 0xff);
        const QColor bow(0xff, 0x5c, 0xa8);
        const QColor lips(0xd2, 0x3a, 0x4e);
        painter.fillRect(QRectF(0, 0, 52, 54), background);

        // Dress, shoulders and neck first; the head overlaps them.
        QPainterPath body;
        body.moveTo(8, 54);
        body.cubicTo(8, 42, 14, 37, 26, 37);
        body.cubicTo(38, 37, 44, 42, 44, 54);
        body.closeSubpath();
        fillPath(painter, dress, body);
        painter.setBrush(dressShade);
        painter.drawRect(QRectF(25.2, 40, 1.6, 14));
        painter.setBrush(skin);
        painter.drawRect(QRectF(23, 31, 6, 7));
        QPainterPath collarPath;
        collarPath.moveTo(18, 38.5);
        collarPath.quadTo(26, 36, 34, 38.5);
        collarPath.quadTo(30, 44, 26, 40.5);
        collarPath.quadTo(22, 44, 18, 38.5);
        fillPath(painter, collar, collarPath);

        // Pigtails with bows, hair behind the face, the face, then the fringe.
        for (const qreal side : {-1.0, 1.0}) {
            fillEllipse(painter, hair, QPointF(26 + side * 16.5, 23), 4.2, 7.5);
            fillEllipse(painter, bow, QPointF(26 + side * 15, 13.5), 3.2, 2.3);
            fillEllipse(painter, bow, QPointF(26 + side * 18.5, 12.5), 2.6, 2.0);
        }
        fillEllipse(painter, hair, QPointF(26, 18), 14, 14.5);
        fillEllipse(painter, skin, QPointF(26, 21), 11, 11.5);
        QPainterPath fringe;
        fringe.moveTo(14.5, 20);
        fringe.cubicTo(13.5, 4, 38.5, 4, 37.5, 20);
        fringe.cubicTo(35, 14, 31, 13, 28, 15.5);
        fringe.cubicTo(25, 12.5, 19, 13, 14.5, 20);
        fillPath(painter, hair, fringe);

        drawEyes(painter, 26, 21.5, 8.5);
        drawCheeks(painter, 26, 25.3, 13);
        drawSmile(painter, lips, QPointF(26, 26.2), 3.0, 1.6);
    });
    return image.convertToFormat(QImage::Format_RGB32);
}

// A smiling boy with short brown hair and a blue shirt, on plain pale blue.
QImage drawBoy() {
    QImage image = renderSupersampled(46, 51, [](QPainter& painter) {
        const QColor background(0xe6, 0xf1, 0xfc);
        const QColor hair(0x4a, 0x30, 0x1e);
        const QColor skin(0xff, 0xdc, 0xbf);
        const QColor shirt(0x2f, 0x74, 0xd0);
        const QColor shirtShade(0x22, 0x5a, 0xa8);
        const QColor collar(0xff, 0xff, 0xff);
        const QColor lips(0xc4, 0x4a, 0x3c);
        painter.fillRect(QRectF(0, 0, 46, 51), background);

        QPainterPath body;
        body.moveTo(5, 51);
        body.cubicTo(5, 40, 11, 35, 23, 35);
        body.cubicTo(35, 35, 41, 40, 41, 51);
        body.closeSubpath();
        fillPath(painter, shirt, body);
        for (const qreal y : {41.0, 45.0, 49.0})
            fillEllipse(painter, shirtShade, QPointF(23, y), 0.9, 0.9);
        painter.setBrush(skin);
        painter.drawRect(QRectF(20, 29, 6, 7));
        QPainterPath collarPath;
        collarPath.moveTo(15.5, 36);
        collarPath.lineTo(23, 37);
        collarPath.lineTo(20, 40.5);
        collarPath.closeSubpath();
        collarPath.moveTo(30.5, 36);
        collarPath.lineTo(23, 37);
        collarPath.lineTo(26, 40.5);
        collarPath.closeSubpath();
        fillPath(painter, collar, collarPath);

        // Hair behind the head, ears, the face, then the fringe over the forehead.
        fillEllipse(painter, hair, QPointF(23, 16), 12.5, 12);
        for (const qreal side : {-1.0, 1.0})
            fillEllipse(painter, skin, QPointF(23 + side * 11, 20.5), 2.2, 3.0);
        fillEllipse(painter, skin, QPointF(23, 19.5), 11, 12);
        QPainterPath fringe;
        fringe.moveTo(11.5, 17);
        fringe.cubicTo(10, 2, 36, 2, 34.5, 17);
        fringe.cubicTo(33, 12.5, 30, 11, 27.5, 12.5);
        fringe.cubicTo(25, 10, 21, 12.5, 19.5, 11.5);
        fringe.cubicTo(16, 12, 13, 13.5, 11.5, 17);
        fillPath(painter, hair, fringe);

        drawEyes(painter, 23, 19.5, 8.5);
        drawCheeks(painter, 23, 23.5, 13);
        drawSmile(painter, lips, QPointF(23, 24.3), 3.2, 1.7);
    });
    return image.convertToFormat(QImage::Format_RGB32);
}

// ---------------------------------------------------------------------------------------------------------
// The icon file

class LittleEndianBytes {
  public:
    void u8(unsigned value) { bytes_.push_back(char(value & 0xff)); }
    void u16(unsigned value) {
        u8(value);
        u8(value >> 8);
    }
    void u32(std::uint32_t value) {
        u16(value & 0xffff);
        u16(value >> 16);
    }
    const QByteArray& bytes() const { return bytes_; }

  private:
    QByteArray bytes_;
};

// Lays out an icon file with one 32 x 32 image: header, directory entry, BITMAPINFOHEADER (height doubled
// for the mask), 256-entry palette, 8-bit colour rows and 1-bit AND-mask rows, both bottom-up.
// Pixels less than half covered become transparent; the others keep their colour at full strength.
QByteArray encodeIcon(const QImage& picture) {
    constexpr int size = 32;
    constexpr int paletteSize = 256;
    constexpr int maskRowBytes = size / 8;
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);

    // Black first: transparent pixels are black in the colour rows, as the mask's XOR step expects.
    std::map<QRgb, int> indexOf{{qRgb(0, 0, 0), 0}};
    std::vector<QRgb> palette{qRgb(0, 0, 0)};
    std::vector<std::uint8_t> indices(size * size, 0);
    std::vector<bool> transparent(size * size, false);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = image.pixel(x, y);
            const auto at = std::size_t(y * size + x);
            if (qAlpha(pixel) < 128) {
                transparent[at] = true;
                continue;
            }
            const QRgb opaque = qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
            auto [entry, added] = indexOf.try_emplace(opaque, int(palette.size()));
            if (added)
                palette.push_back(opaque);
            indices[at] = std::uint8_t(entry->second);
        }
    }
    if (palette.size() > paletteSize) {
        std::fprintf(stderr, "make_pictures: the icon uses %zu colours, more than %d\n", palette.size(),
                     paletteSize);
        return {};
    }
    palette.resize(paletteSize, qRgb(0, 0, 0));

    constexpr std::uint32_t headerSize = 6 + 16;
    constexpr std::uint32_t infoSize = 40;
    constexpr std::uint32_t colourBytes = size * size;
    constexpr std::uint32_t maskBytes = maskRowBytes * size;
    constexpr std::uint32_t imageBytes = infoSize + paletteSize * 4 + colourBytes + maskBytes;

    LittleEndianBytes out;
    out.u16(0); // reserved
    out.u16(1); // type: icon
    out.u16(1); // one image
    out.u8(size);
    out.u8(size);
    out.u8(0); // colour count: 0 means 256
    out.u8(0);
    out.u16(1); // planes
    out.u16(8); // bits per pixel
    out.u32(imageBytes);
    out.u32(headerSize);

    out.u32(infoSize);
    out.u32(size);
    out.u32(size * 2); // colour rows and mask rows together
    out.u16(1);
    out.u16(8);
    out.u32(0); // BI_RGB
    out.u32(colourBytes + maskBytes);
    out.u32(0);
    out.u32(0);
    out.u32(0); // all 256 palette entries
    out.u32(0);
    for (const QRgb colour : palette) {
        out.u8(unsigned(qBlue(colour)));
        out.u8(unsigned(qGreen(colour)));
        out.u8(unsigned(qRed(colour)));
        out.u8(0);
    }
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x)
            out.u8(indices[std::size_t(y * size + x)]);
    for (int y = size - 1; y >= 0; --y) {
        for (int byte = 0; byte < maskRowBytes; ++byte) {
            unsigned bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (transparent[std::size_t(y * size + byte * 8 + bit)])
                    bits |= 0x80u >> bit;
            out.u8(bits);
        }
    }
    return out.bytes();
}

// ---------------------------------------------------------------------------------------------------------
// Writing

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeImage(const QString& path, const QImage& image, const char* format, int quality = -1) {
    QImageWriter writer(path, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(false);
    writer.setOptimizedWrite(false);
    if (!writer.write(image)) {
        std::fprintf(stderr, "make_pictures: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv); // lets QImageWriter find its JPEG plugin
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <directory>\n");
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]) + '/';
    const bool written = writeImage(directory + "background.jpg", drawBackground(), "jpeg", 90) &&
                         writeBytes(directory + "tolvane.ico", encodeIcon(drawIcon())) &&
                         writeImage(directory + "girl.bmp", drawGirl(), "bmp") &&
                         writeImage(directory + "boy.bmp", drawBoy(), "bmp");
    bool iconsWritten = true;
    for (const int size : {48, 64, 128, 256}) {
        iconsWritten = iconsWritten &&
                       writeImage(directory + QString("tolvane-%1.png").arg(size), drawIcon(size), "png");
    }
    return written && iconsWritten ? 0 : 1;
}
