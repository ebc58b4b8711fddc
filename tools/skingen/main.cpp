// skingen: draws every picture of the browser skin (window frame, caption
// buttons, tabs, icons) from code, so the skin can be rebuilt byte for byte.
// Each picture is drawn twice: name.png, and name@2x.png with twice as many
// pixels each way for screens of twice the density, the same shapes drawn
// finer rather than scaled up.
//
//   skingen <output-dir>        write all pictures into <output-dir>
//   skingen --check <skin-dir>  verify sizes and seams at both densities, that
//                               every picture is what skingen draws now, and
//                               that b.ico reads back
//   skingen --icons <b.ico> <output-dir> <name> <N>...
//                               write the desktop icons, <output-dir>/<N>x<N>/apps/<name>.png

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// ---- palette ---------------------------------------------------------------

constexpr QRgb kBackground = qRgb(0xE1, 0xF1, 0xFF); // window and control background
constexpr QRgb kFrameBorder = qRgb(74, 125, 181);
constexpr QRgb kFrameHighlight = qRgb(247, 251, 255);
constexpr QRgb kCaptionTop = qRgb(236, 246, 255);
constexpr QRgb kFrameFill = qRgb(200, 226, 250);
constexpr QRgb kFrameBottomFill = qRgb(188, 217, 246);
constexpr QRgb kInnerLine = qRgb(160, 195, 235);
constexpr QRgb kGlyph = qRgb(40, 70, 110);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kPageLine = qRgb(110, 155, 210); // selected tab outline, line under the tab strip

// Frame geometry: caption height, side widths, bottom height, top corner radius.
constexpr int kCaption = 18;
constexpr int kSideLeft = 9;
constexpr int kSideRight = 8;
constexpr int kBottom = 16;
constexpr int kFrameCorner = 6;
constexpr int kButtonHeight = 19;

// ---- colour helpers --------------------------------------------------------

QRgb mix(QRgb a, QRgb b, double t)
{
    auto ch = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return qRgba(ch(qRed(a), qRed(b)), ch(qGreen(a), qGreen(b)), ch(qBlue(a), qBlue(b)),
                 ch(qAlpha(a), qAlpha(b)));
}

// Row y of a vertical gradient running from row y0 (top) to row y1 (bottom).
QRgb vgrad(QRgb top, QRgb bottom, double y, int y0, int y1)
{
    if (y1 <= y0)
        return top;
    return mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0));
}

// ---- density ---------------------------------------------------------------

// Pictures are drawn in the pixels of the 1x picture; an image's device pixel
// ratio says how many of its own pixels make one of those each way.
int scaleOf(const QImage &img)
{
    return int(img.devicePixelRatio());
}

// Where the centre of the image's pixel v lies, in 1x pixels, less a half: v
// itself at 1x, v / 2 - 0.25 at 2x.
double at(int v, int scale)
{
    return (v + 0.5) / scale - 0.5;
}

QImage blank(int w, int h, QRgb fill = 0, int scale = 1)
{
    QImage img(w * scale, h * scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale);
    img.fill(fill);
    return img;
}

// A piece of a picture, given in 1x pixels.
QImage cut(const QImage &img, int x, int y, int w, int h)
{
    const int s = scaleOf(img);
    QImage piece = img.copy(x * s, y * s, w * s, h * s);
    piece.setDevicePixelRatio(s);
    return piece;
}

QImage over(QImage base, const QImage &top, QPoint at = {})
{
    QPainter p(&base);
    p.drawImage(at, top);
    return base;
}

// In 1x pixels.
void fillRect(QImage &img, int x, int y, int w, int h, QRgb c)
{
    const int s = scaleOf(img);
    for (int j = y * s; j < (y + h) * s; ++j)
        for (int i = x * s; i < (x + w) * s; ++i)
            if (img.valid(i, j))
                img.setPixel(i, j, c);
}

// ---- rounded shapes --------------------------------------------------------

struct Radii {
    double tl = 0, tr = 0, br = 0, bl = 0;
};

// Signed distance to the outline of a rounded rectangle (negative inside).
double roundRectDistance(QPointF p, const QRectF &r, const Radii &rad)
{
    const QPointF c = r.center();
    const double rr = p.x() < c.x() ? (p.y() < c.y() ? rad.tl : rad.bl) : (p.y() < c.y() ? rad.tr : rad.br);
    const double qx = std::abs(p.x() - c.x()) - (r.width() / 2 - rr);
    const double qy = std::abs(p.y() - c.y()) - (r.height() / 2 - rr);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - rr;
}

// Edge: the 1-px outline; Inner: the ring just inside it; Body: the rest.
// The colour is asked for the pixel (see at()) and the sample, in 1x pixels.
enum class Ring { Edge, Inner, Body };
using ShapeColour = std::function<QRgb(QPointF pixel, Ring ring, QPointF sample)>;

// Draws a rounded rectangle pixel by pixel (4x4 samples a pixel), the size
// and shape in 1x pixels. Straight edges come out exactly one 1x pixel wide;
// outside is transparent.
QImage drawShape(QSize size, const QRectF &shape, const Radii &radii, const ShapeColour &colour, int scale)
{
    constexpr int kSub = 4;
    constexpr double kSamples = kSub * kSub;
    QImage img = blank(size.width(), size.height(), 0, scale);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            double a = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const QPointF sample((x + (sx + 0.5) / kSub) / scale, (y + (sy + 0.5) / kSub) / scale);
                    const double d = roundRectDistance(sample, shape, radii);
                    if (d > 0)
                        continue;
                    const Ring ring = d > -1 ? Ring::Edge : d > -2 ? Ring::Inner : Ring::Body;
                    const QRgb c = colour(QPointF(at(x, scale), at(y, scale)), ring, sample);
                    const double ca = qAlpha(c) / 255.0;
                    a += ca;
                    r += qRed(c) * ca;
                    g += qGreen(c) * ca;
                    b += qBlue(c) * ca;
                }
            }
            img.setPixel(x, y,
                         qRgba(int(std::lround(r / kSamples)), int(std::lround(g / kSamples)),
                               int(std::lround(b / kSamples)), int(std::lround(a * 255 / kSamples))));
        }
    }
    return img;
}

// ---- crisp glyphs ----------------------------------------------------------

// A bold x, n wide and n-1 high, two 1x pixels per stroke and row; finer
// pictures step down one of their own rows at a time.
void glyphCross(QImage &img, int x0, int y0, int n, QRgb c)
{
    const int s = scaleOf(img);
    for (int r = 0; r < (n - 1) * s; ++r)
        for (int k = 0; k < 2 * s; ++k)
            for (int x : {r + k, n * s - 1 - r - k})
                if (img.valid(x0 * s + x, y0 * s + r))
                    img.setPixel(x0 * s + x, y0 * s + r, c);
}

int widthOf(const QImage &img)
{
    return img.width() / scaleOf(img);
}

void glyphMinimise(QImage &img, int dy, QRgb c)
{
    fillRect(img, (widthOf(img) - 9) / 2, 12 + dy, 9, 2, c);
}

void glyphMaximise(QImage &img, int dy, QRgb c)
{
    const int x = (widthOf(img) - 9) / 2, y = 5 + dy;
    fillRect(img, x, y, 9, 2, c);
    fillRect(img, x, y + 8, 9, 1, c);
    fillRect(img, x, y, 1, 9, c);
    fillRect(img, x + 8, y, 1, 9, c);
}

void glyphClose(QImage &img, int dy, QRgb c)
{
    glyphCross(img, (widthOf(img) - 10) / 2, 5 + dy, 10, c);
}

// ---- window frame ----------------------------------------------------------

// The frame of a whole w x h window. The eight pieces are cut from it, so
// corners and middles meet pixel for pixel. Lines follow the 1x pixels, the
// fills' gradients every pixel.
QImage drawFrame(int w, int h, int scale)
{
    const int innerL = kSideLeft - 1, innerR = w - kSideRight;
    const int innerT = kCaption - 1, innerB = h - kBottom;
    auto fill = [=](QPointF pixel) -> QRgb {
        const int x = int(std::lround(pixel.x())), y = int(std::lround(pixel.y()));
        const bool inX = x >= innerL && x <= innerR, inY = y >= innerT && y <= innerB;
        if ((inY && (x == innerL || x == innerR)) || (inX && (y == innerT || y == innerB)))
            return kInnerLine;
        if (x > innerL && x < innerR && y > innerT && y < innerB)
            return kBackground;
        if (y < innerT)
            return vgrad(kCaptionTop, kFrameFill, pixel.y(), 1, innerT);
        if (y > innerB)
            return vgrad(kFrameFill, kFrameBottomFill, pixel.y(), innerB, h - 2);
        return kFrameFill;
    };
    return drawShape(
        QSize(w, h), QRectF(0, 0, w, h), {kFrameCorner, kFrameCorner, 0, 0},
        [=](QPointF pixel, Ring ring, QPointF at) {
            if (ring == Ring::Edge)
                return kFrameBorder;
            // light catches the top edge and the left side
            if (ring == Ring::Inner && (at.y() < kFrameCorner + 1 || (at.x() < w / 2.0 && at.y() < h - 2)))
                return kFrameHighlight;
            return fill(pixel);
        },
        scale);
}

// What lies under a caption button: the caption rows plus the first content row.
QImage captionStrip(int w, int scale)
{
    return cut(drawFrame(w + 40, 40, scale), 20, 0, w, kButtonHeight);
}

// The pictures of one density, written into a folder, or (check) compared
// with the ones there.
struct Output {
    QDir dir;
    int scale = 1;
    bool check = false;
    bool ok = true;

    // name.png at 1x, name@2x.png at 2x.
    QString fileName(const char *name) const
    {
        return QString::fromLatin1(name) +
               (scale > 1 ? QStringLiteral("@%1x.png").arg(scale) : QStringLiteral(".png"));
    }

    void save(const QImage &img, const char *name)
    {
        const QString file = fileName(name);
        bool opaque = true;
        for (int y = 0; y < img.height() && opaque; ++y)
            for (int x = 0; x < img.width() && opaque; ++x)
                opaque = qAlpha(img.pixel(x, y)) == 255;
        QImage out = img.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
        out.setDevicePixelRatio(1);
        out.setDotsPerMeterX(3780);
        out.setDotsPerMeterY(3780);
        if (check) {
            const QImage there = QImage(dir.filePath(file)).convertToFormat(out.format());
            if (there != out) {
                std::printf("  %-60s FAIL\n", qPrintable(file + QStringLiteral(": not what skingen draws")));
                ok = false;
            }
        } else if (!out.save(dir.filePath(file), "PNG")) {
            std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(file));
            ok = false;
        }
    }
};

void frameFamily(Output &out)
{
    const int w = 80, h = 60;
    const QImage f = drawFrame(w, h, out.scale);
    out.save(cut(f, 0, 0, 18, kCaption), "ImageTopLeft");
    out.save(cut(f, 18, 0, 18, kCaption), "ImageTopMiddle");
    out.save(cut(f, w - 15, 0, 15, kCaption), "ImageTopRight");
    out.save(cut(f, 0, kCaption, kSideLeft, 19), "ImageMiddleLeft");
    out.save(cut(f, w - kSideRight, kCaption, kSideRight, 19), "ImageMiddleRight");
    out.save(cut(f, 0, h - kBottom, 18, kBottom), "ImageButtomLeft");
    out.save(cut(f, 18, h - kBottom, 19, kBottom), "ImageButtomMiddle");
    out.save(cut(f, w - 15, h - kBottom, 15, kBottom), "ImageButtomRight");
}

// ---- caption buttons -------------------------------------------------------

struct ButtonLook {
    QRgb border, inner, top, bottom, glyph;
};

// State 0 shows the bare caption; hover and pressed hang a rounded body from
// the frame's top line.
QImage drawCaptionButton(int w, int state, bool danger, void (*glyph)(QImage &, int, QRgb), int scale)
{
    static const ButtonLook kLooks[2][2] = {
        {{kPageLine, kWhite, qRgb(252, 254, 255), qRgb(208, 231, 253), kGlyph},
         {qRgb(80, 125, 180), 0, qRgb(148, 188, 232), qRgb(186, 215, 246), kGlyph}},
        {{qRgb(160, 42, 36), qRgb(242, 150, 140), qRgb(238, 112, 102), qRgb(200, 50, 42), kWhite},
         {qRgb(118, 22, 16), 0, qRgb(150, 28, 22), qRgb(192, 52, 44), qRgb(255, 232, 230)}},
    };
    QImage img = captionStrip(w, scale);
    QRgb glyphColour = kGlyph;
    if (state > 0) {
        const ButtonLook &look = kLooks[danger][state - 1];
        const QImage body = drawShape(
            QSize(w, kButtonHeight), QRectF(0, -4, w, kButtonHeight + 4), {0, 0, 3, 3},
            [&](QPointF pixel, Ring ring, QPointF) {
                if (ring == Ring::Edge)
                    return look.border;
                if (ring == Ring::Inner && look.inner)
                    return look.inner;
                return vgrad(look.top, look.bottom, pixel.y(), 1, kButtonHeight - 2);
            },
            scale);
        img = over(img, body);
        fillRect(img, 0, 0, w, 1, kFrameBorder); // the frame's top line runs on
        glyphColour = look.glyph;
    }
    glyph(img, state == 2 ? 1 : 0, glyphColour);
    return img;
}

void captionButtonFamily(Output &out)
{
    static const char *const kNames[3][3] = {
        {"ImageMin0", "ImageMin1", "ImageMin2"},
        {"ImageSize0", "ImageSize1", "ImageSize2"},
        {"ImageExit0", "ImageExit1", "ImageExit2"},
    };
    for (int state = 0; state < 3; ++state) {
        out.save(drawCaptionButton(31, state, false, glyphMinimise, out.scale), kNames[0][state]);
        out.save(drawCaptionButton(29, state, false, glyphMaximise, out.scale), kNames[1][state]);
        out.save(drawCaptionButton(32, state, true, glyphClose, out.scale), kNames[2][state]);
    }
}

// ---- logo and icons --------------------------------------------------------

// A glossy blue globe, used for the caption logo and the application icon.
QImage drawGlobe(int size, int scale = 1)
{
    QImage img = blank(size, size, 0, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double c = size / 2.0, r = size / 2.0 - 1.0, pen = std::max(1.0, size / 23.0);
    const QPointF centre(c, c);

    QRadialGradient sea(QPointF(c - r * 0.35, c - r * 0.45), r * 1.5);
    sea.setColorAt(0.0, QColor(205, 236, 255));
    sea.setColorAt(0.5, QColor(72, 152, 232));
    sea.setColorAt(1.0, QColor(22, 82, 168));
    QPainterPath disc;
    disc.addEllipse(centre, r, r);
    p.fillPath(disc, sea);

    p.save();
    p.setClipPath(disc);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 140), pen * 0.9));
    p.drawEllipse(centre, r * 0.45, r);
    p.drawLine(QPointF(c, c - r), QPointF(c, c + r));
    p.drawLine(QPointF(c - r, c), QPointF(c + r, c));
    for (double k : {-0.52, 0.52})
        p.drawLine(QPointF(c - r, c + k * r), QPointF(c + r, c + k * r));
    p.restore();

    QLinearGradient gloss(QPointF(0, c - r), QPointF(0, c));
    gloss.setColorAt(0.0, QColor(255, 255, 255, 170));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QPointF(c, c - r * 0.42), r * 0.66, r * 0.5);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(24, 72, 148), pen));
    p.drawEllipse(centre, r, r);
    return img;
}

// A sheet of paper with a folded corner and a few lines of text.
QImage drawPageIcon(int scale)
{
    constexpr QRgb kOutline = qRgb(96, 126, 166), kFold = qRgb(212, 228, 248), kText = qRgb(126, 166, 218);
    QImage img = blank(16, 16, 0, scale);
    for (int py = 0; py < 16 * scale; ++py) {
        for (int px = 2 * scale; px < 14 * scale; ++px) {
            const int x = px / scale, y = py / scale;
            // The fold's edge runs along x - y == 9, a 1x pixel wide.
            const int diag = px - py;
            if (diag >= 10 * scale)
                continue;
            QRgb c = vgrad(kWhite, qRgb(230, 241, 255), at(py, scale), 0, 15);
            if (x >= 9 && y <= 4)
                c = (x == 9 || y == 4) ? kOutline : kFold;
            if (x == 2 || x == 13 || y == 0 || y == 15 || diag >= 9 * scale)
                c = kOutline;
            img.setPixel(px, py, c);
        }
    }
    fillRect(img, 4, 7, 8, 1, kText);
    fillRect(img, 4, 9, 8, 1, kText);
    fillRect(img, 4, 11, 8, 1, kText);
    fillRect(img, 4, 13, 5, 1, kText);
    return img;
}

// ICO container with classic 32-bit DIB entries (BGRA plus an AND mask).
QByteArray icoFile(const std::vector<QImage> &images)
{
    QByteArray ico;
    auto u8 = [](QByteArray &b, int v) { b.append(char(v & 0xff)); };
    auto u16 = [&](QByteArray &b, int v) {
        u8(b, v);
        u8(b, v >> 8);
    };
    auto u32 = [&](QByteArray &b, quint32 v) {
        u16(b, int(v & 0xffff));
        u16(b, int(v >> 16));
    };

    std::vector<QByteArray> entries;
    for (const QImage &src : images) {
        const QImage img = src.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height(), maskStride = (w + 31) / 32 * 4;
        QByteArray dib;
        u32(dib, 40); // BITMAPINFOHEADER
        u32(dib, quint32(w));
        u32(dib, quint32(h * 2)); // colour rows plus mask rows
        u16(dib, 1);
        u16(dib, 32);
        u32(dib, 0);
        u32(dib, quint32(w * h * 4 + maskStride * h));
        u32(dib, 0);
        u32(dib, 0);
        u32(dib, 0);
        u32(dib, 0);
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) {
                const QRgb c = img.pixel(x, y);
                u8(dib, qBlue(c));
                u8(dib, qGreen(c));
                u8(dib, qRed(c));
                u8(dib, qAlpha(c));
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row(maskStride, '\0');
            for (int x = 0; x < w; ++x)
                if (qAlpha(img.pixel(x, y)) == 0)
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            dib.append(row);
        }
        entries.push_back(dib);
    }

    u16(ico, 0); // ICONDIR
    u16(ico, 1);
    u16(ico, int(images.size()));
    quint32 offset = quint32(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        u8(ico, images[i].width() & 0xff); // ICONDIRENTRY; 0 stands for 256
        u8(ico, images[i].height() & 0xff);
        u8(ico, 0);
        u8(ico, 0);
        u16(ico, 1);
        u16(ico, 32);
        u32(ico, quint32(entries[i].size()));
        u32(ico, offset);
        offset += quint32(entries[i].size());
    }
    for (const QByteArray &e : entries)
        ico.append(e);
    return ico;
}

void iconFamily(Output &out)
{
    out.save(drawGlobe(23, out.scale), "Image1");
    out.save(drawPageIcon(out.scale), "Icon1");
    // The icon file holds its own sizes.
    if (out.scale > 1 || out.check)
        return;
    QFile ico(out.dir.filePath(QStringLiteral("b.ico")));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(icoFile({drawGlobe(16), drawGlobe(32)})) < 0) {
        std::fprintf(stderr, "skingen: cannot write b.ico\n");
        out.ok = false;
    }
}

std::vector<QImage> icoImages(const QString &path)
{
    std::vector<QImage> images;
    QImageReader reader(path);
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage img = reader.read();
        if (!img.isNull())
            images.push_back(img.convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

// The desktop icons at the sizes asked for. The ones b.ico holds are taken from
// it as they are; the others are drawn by the same hand, so they stay sharp.
int desktopIcons(const QString &icoPath, const QString &outPath, const QString &name,
                 const QStringList &sizes)
{
    const std::vector<QImage> held = icoImages(icoPath);
    if (held.empty()) {
        std::fprintf(stderr, "skingen: cannot read %s\n", qPrintable(icoPath));
        return 1;
    }
    for (const QString &arg : sizes) {
        bool number = false;
        const int size = arg.toInt(&number);
        if (!number || size < 1 || size > 1024) {
            std::fprintf(stderr, "skingen: not an icon size: %s\n", qPrintable(arg));
            return 2;
        }
        QImage img;
        for (const QImage &h : held)
            if (h.width() == size && h.height() == size)
                img = h;
        if (img.isNull())
            img = drawGlobe(size);
        const QString sub = QStringLiteral("%1x%1/apps").arg(size);
        Output out{QDir(outPath + QLatin1Char('/') + sub)};
        if (!out.dir.mkpath(QStringLiteral("."))) {
            std::fprintf(stderr, "skingen: cannot create %s\n", qPrintable(out.dir.path()));
            return 1;
        }
        out.save(img, name.toLatin1().constData());
        if (!out.ok)
            return 1;
    }
    return 0;
}

// ---- tabs ------------------------------------------------------------------

struct TabLook {
    int top; // unselected tabs sit two pixels lower
    QRgb border, inner, fillTop, fillBottom;
    bool open; // the selected tab has no bottom line
};

// A 24 px wide tab cut into left, centre and right pieces of 8 px.
void drawTab(Output &out, const TabLook &look, int index)
{
    const int w = 24, h = 28;
    const QImage body = drawShape(
        QSize(w, h), QRectF(0, look.top, w, h - look.top + 3), {4, 4, 0, 0},
        [&](QPointF pixel, Ring ring, QPointF at) {
            if (ring == Ring::Edge)
                return look.border;
            if (ring == Ring::Inner && (at.x() < w / 2.0 || at.y() < look.top + 5))
                return look.inner;
            return vgrad(look.fillTop, look.fillBottom, pixel.y(), look.top + 1, h - 1);
        },
        out.scale);
    QImage img = over(blank(w, h, kBackground, out.scale), body);
    if (!look.open)
        fillRect(img, 0, h - 1, w, 1, kPageLine);

    const QByteArray n = QByteArray::number(index);
    out.save(cut(img, 0, 0, 8, h), ("TLeft" + n).constData());
    out.save(cut(img, 8, 0, 8, h), ("TCenter" + n).constData());
    out.save(cut(img, 16, 0, 8, h), ("TRight" + n).constData());
}

QImage drawTabClose(int state, int scale)
{
    QImage img = blank(15, 14, 0, scale);
    QRgb glyph = qRgb(112, 132, 162);
    if (state > 0) {
        const bool pressed = state == 2;
        const QRgb border = pressed ? qRgb(150, 36, 30) : qRgb(140, 175, 215);
        const QRgb top = pressed ? qRgb(222, 84, 72) : kWhite;
        const QRgb bottom = pressed ? qRgb(184, 40, 34) : qRgb(220, 236, 252);
        img = drawShape(
            QSize(15, 14), QRectF(1, 1, 13, 12), {3, 3, 3, 3},
            [&](QPointF pixel, Ring ring, QPointF) {
                return ring == Ring::Edge ? border : vgrad(top, bottom, pixel.y(), 2, 11);
            },
            scale);
        glyph = pressed ? kWhite : qRgb(48, 78, 120);
    }
    glyphCross(img, 4, 4, 7, glyph);
    return img;
}

void tabFamily(Output &out)
{
    drawTab(out, {0, kPageLine, kWhite, kWhite, qRgb(244, 250, 255), true}, 0);
    drawTab(out,
            {2, qRgb(150, 185, 225), qRgb(228, 240, 253), qRgb(212, 231, 250), qRgb(194, 220, 247), false},
            1);
    drawTab(out, {2, qRgb(120, 165, 218), kWhite, qRgb(242, 249, 255), qRgb(214, 234, 253), false}, 2);
    out.save(drawTabClose(0, out.scale), "tc0");
    out.save(drawTabClose(1, out.scale), "tc1");
    out.save(drawTabClose(2, out.scale), "tc2");
}

// ---- address dialog --------------------------------------------------------

// The address dialog's one row, and the sign-in form's two: one look.
QImage drawDialogBack(int w, int h, int scale)
{
    return drawShape(
        QSize(w, h), QRectF(0, 0, w, h), {},
        [h](QPointF pixel, Ring ring, QPointF at) {
            if (ring == Ring::Edge)
                return qRgb(120, 160, 210);
            if (ring == Ring::Inner && at.y() < 2)
                return kWhite;
            return vgrad(qRgb(250, 253, 255), qRgb(214, 234, 253), pixel.y(), 1, h - 2);
        },
        scale);
}

void dialogFamily(Output &out)
{
    out.save(drawDialogBack(319, 27, out.scale), "OpenUrlBack");
    out.save(drawDialogBack(319, 52, out.scale), "SignInBack");
}

// Every picture of one density.
void drawAll(Output &out)
{
    frameFamily(out);
    captionButtonFamily(out);
    tabFamily(out);
    iconFamily(out);
    dialogFamily(out);
}

// ---- check -----------------------------------------------------------------

// Sizes and places are given in 1x pixels, for the pictures of one density.
struct Checker {
    QDir dir;
    int scale = 1;
    int failures = 0;

    QImage load(const char *name, int w, int h)
    {
        const QString file = Output{dir, scale}.fileName(name);
        const QImage img(dir.filePath(file));
        const bool ok = !img.isNull() && img.width() == w * scale && img.height() == h * scale;
        std::printf("%-22s %3dx%-3d %s\n", qPrintable(file), img.width(), img.height(),
                    ok ? "ok" : "WRONG SIZE");
        failures += !ok;
        return img.convertToFormat(QImage::Format_ARGB32);
    }

    void expect(bool ok, const char *what)
    {
        std::printf("  %-60s %s\n", what, ok ? "ok" : "FAIL");
        failures += !ok;
    }
};

bool sameColumn(const QImage &a, int ax, const QImage &b, int bx, int y0 = 0, int rows = -1)
{
    if (rows < 0)
        rows = a.height();
    for (int y = y0; y < y0 + rows; ++y)
        if (a.pixel(ax, y) != b.pixel(bx, y))
            return false;
    return true;
}

bool sameRow(const QImage &a, int ay, int ax0, const QImage &b, int by, int bx0, int cols)
{
    for (int i = 0; i < cols; ++i)
        if (a.pixel(ax0 + i, ay) != b.pixel(bx0 + i, by))
            return false;
    return true;
}

bool uniformColumns(const QImage &img)
{
    for (int x = 1; x < img.width(); ++x)
        if (!sameColumn(img, x, img, 0))
            return false;
    return true;
}

bool uniformRows(const QImage &img)
{
    for (int y = 1; y < img.height(); ++y)
        if (!sameRow(img, y, 0, img, 0, 0, img.width()))
            return false;
    return true;
}

// The pictures of one density: their sizes, their seams, and that they are
// what skingen draws now.
int checkDensity(const QDir &dir, int scale)
{
    Checker c{dir, scale};
    const QImage tl = c.load("ImageTopLeft", 18, 18);
    const QImage tm = c.load("ImageTopMiddle", 18, 18);
    const QImage tr = c.load("ImageTopRight", 15, 18);
    const QImage ml = c.load("ImageMiddleLeft", 9, 19);
    const QImage mr = c.load("ImageMiddleRight", 8, 19);
    const QImage bl = c.load("ImageButtomLeft", 18, 16);
    const QImage bm = c.load("ImageButtomMiddle", 19, 16);
    const QImage br = c.load("ImageButtomRight", 15, 16);
    const QImage min0 = c.load("ImageMin0", 31, 19);
    // The rest are only checked for their sizes.
    const std::tuple<const char *, int, int> others[] = {
        {"ImageMin1", 31, 19},  {"ImageMin2", 31, 19},    {"ImageSize0", 29, 19}, {"ImageSize1", 29, 19},
        {"ImageSize2", 29, 19}, {"ImageExit0", 32, 19},   {"ImageExit1", 32, 19}, {"ImageExit2", 32, 19},
        {"Image1", 23, 23},     {"tc0", 15, 14},          {"tc1", 15, 14},        {"tc2", 15, 14},
        {"Icon1", 16, 16},      {"OpenUrlBack", 319, 27}, {"SignInBack", 319, 52}};
    for (const auto &[name, w, h] : others)
        c.load(name, w, h);
    QImage tabs[3][3];
    for (int i = 0; i < 3; ++i) {
        const QByteArray n = QByteArray::number(i);
        int k = 0;
        for (const char *piece : {"TLeft", "TCenter", "TRight"})
            tabs[i][k++] = c.load((piece + n).constData(), 8, 28);
    }
    if (c.failures)
        return c.failures;

    const int s = scale;
    const auto last = [s](int n) { return n * s - 1; }; // the last row or column of n
    c.expect(uniformColumns(tm), "top middle: all columns identical");
    c.expect(uniformColumns(bm), "bottom middle: all columns identical");
    c.expect(uniformRows(ml), "middle left: all rows identical");
    c.expect(uniformRows(mr), "middle right: all rows identical");
    c.expect(sameColumn(tl, last(18), tm, 0) && sameColumn(tr, 0, tm, 0), "top corners meet top middle");
    c.expect(sameColumn(bl, last(18), bm, 0) && sameColumn(br, 0, bm, 0),
             "bottom corners meet bottom middle");
    c.expect(sameRow(tl, last(18), 0, ml, 0, 0, 9 * s) && sameRow(bl, 0, 0, ml, 0, 0, 9 * s),
             "left corners meet middle left");
    c.expect(sameRow(tr, last(18), 7 * s, mr, 0, 0, 8 * s) && sameRow(br, 0, 7 * s, mr, 0, 0, 8 * s),
             "right corners meet middle right");
    c.expect(sameColumn(min0, 0, tm, 0, 0, 18 * s), "normal caption button matches the caption");
    for (int i = 0; i < 3; ++i) {
        const bool ok = uniformColumns(tabs[i][1]) && sameColumn(tabs[i][0], last(8), tabs[i][1], 0) &&
                        sameColumn(tabs[i][2], 0, tabs[i][1], 0);
        c.expect(ok, QByteArray("tab " + QByteArray::number(i) + ": centre uniform, edges meet").constData());
    }
    Output drawn{dir, scale, true};
    drawAll(drawn);
    c.expect(drawn.ok, "every picture is what skingen draws now");
    return c.failures;
}

int check(const QString &path)
{
    Checker c{QDir(path)};
    for (int scale : {1, 2})
        c.failures += checkDensity(c.dir, scale);
    if (c.failures) {
        std::printf("%d check(s) failed\n", c.failures);
        return 1;
    }

    QImageReader reader(c.dir.filePath(QStringLiteral("b.ico")));
    QList<int> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QImage img = reader.read();
        std::printf("b.ico image %d: %dx%d\n", i, img.width(), img.height());
        if (!img.isNull())
            sizes << img.width() * 1000 + img.height();
    }
    c.expect(sizes.contains(16016) && sizes.contains(32032), "b.ico holds 16x16 and 32x32");
    const QIcon icon(c.dir.filePath(QStringLiteral("b.ico")));
    c.expect(!icon.isNull() && icon.pixmap(16, 16).size() == QSize(16, 16), "QIcon reads b.ico at 16x16");
    // The desktop icons draw the sizes b.ico lacks: the two must not drift apart.
    bool same = true;
    for (const QImage &img : icoImages(c.dir.filePath(QStringLiteral("b.ico"))))
        same = same && img == drawGlobe(img.width()).convertToFormat(QImage::Format_ARGB32);
    c.expect(same, "b.ico is the globe as drawn now");

    std::printf(c.failures ? "%d check(s) failed\n" : "all checks passed\n", c.failures);
    return c.failures ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--check"))
        return check(args[2]);
    if (args.size() >= 6 && args[1] == QLatin1String("--icons"))
        return desktopIcons(args[2], args[3], args[4], args.mid(5));
    if (args.size() != 2 || args[1].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: skingen <output-dir>\n       skingen --check <skin-dir>\n"
                             "       skingen --icons <b.ico> <output-dir> <name> <N>...\n");
        return 2;
    }

    if (!QDir(args[1]).mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "skingen: cannot create %s\n", qPrintable(args[1]));
        return 1;
    }
    bool ok = true;
    for (int scale : {1, 2}) {
        Output out{QDir(args[1]), scale};
        drawAll(out);
        ok = ok && out.ok;
    }
    return ok ? 0 : 1;
}
