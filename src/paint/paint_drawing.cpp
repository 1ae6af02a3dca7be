#include "paint/paint_drawing.h"

#if HJ_HAVE_LIBPNG
#include <png.h>
#else
#include <QBuffer>
#include <QImageWriter>
#endif

#include <QFont>
#include <QPainter>
#include <QStringList>

namespace hj::paint {
namespace {

QColor qcolour(const card::Colour& c) { return QColor(c.r, c.g, c.b, c.a); }
QRectF qrect(const card::Rect& r) { return QRectF(r.x, r.y, r.w, r.h); }

struct Replay {
    QPainter& p;
    QStringList families;

    void operator()(const card::BoxItem& b) {
        p.setPen(b.strokeWidth > 0 ? QPen(qcolour(b.stroke), b.strokeWidth) : QPen(Qt::NoPen));
        p.setBrush(b.filled ? QBrush(qcolour(b.fill)) : QBrush(Qt::NoBrush));
        if (b.radius > 0) p.drawRoundedRect(qrect(b.rect), b.radius, b.radius);
        else p.drawRect(qrect(b.rect));
    }
    void operator()(const card::LineItem& l) {
        QPen pen(qcolour(l.colour), l.width);
        if (l.dashed) pen.setDashPattern({3, 2});  // in pen widths, as the SVG's dash array
        p.setPen(pen);
        p.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
    }
    void operator()(const card::TextItem& t) {
        QFont f;
        f.setFamilies(families);
        // Sizes are logical pixels and may be fractional: a point size for the device at hand.
        f.setPointSizeF(t.size * 72.0 / p.device()->logicalDpiY());
        f.setBold(t.bold);
        f.setStyleStrategy(QFont::PreferAntialias);
        p.setFont(f);
        p.setPen(qcolour(t.colour));
        const int h = t.align == card::Align::Left ? Qt::AlignLeft : t.align == card::Align::Center ? Qt::AlignHCenter : Qt::AlignRight;
        p.drawText(qrect(t.box), h | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, QString::fromStdString(t.text));
    }
};

}  // namespace

void paintDrawing(QPainter& painter, const card::Drawing& d) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(QRectF(0, 0, d.width, d.height), qcolour(d.background));
    Replay replay{painter, {}};
    for (const std::string& f : d.fontFamilies) replay.families << QString::fromStdString(f);
    for (const card::DrawItem& item : d.items) std::visit(replay, item);
    painter.restore();
}

#if HJ_HAVE_LIBPNG
namespace {

void appendBytes(png_structp p, png_bytep data, png_size_t n) {
    static_cast<QByteArray*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(n));
}
void noFlush(png_structp) {}

}  // namespace

// libpng rather than QImage::save: Qt's writer tries every row filter at zlib's default level,
// which takes three times as long for a picture of flat colours and makes no smaller file.
bool encodePng(const QImage& image, QByteArray& png) {
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    png.clear();
    png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = p ? png_create_info_struct(p) : nullptr;
    if (!info) {
        png_destroy_write_struct(&p, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(p))) {  // libpng's way of failing
        png_destroy_write_struct(&p, &info);
        return false;
    }
    png_set_write_fn(p, &png, appendBytes, noFlush);
    png_set_IHDR(p, info, static_cast<png_uint_32>(rgb.width()), static_cast<png_uint_32>(rgb.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(p, 3);
    png_set_filter(p, 0, PNG_FILTER_NONE);
    png_write_info(p, info);
    // RGB32 rows are 0xffRRGGBB words: B G R and a filler byte in memory on little-endian machines.
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        png_set_bgr(p);
        png_set_filler(p, 0, PNG_FILLER_AFTER);
    } else {
        png_set_filler(p, 0, PNG_FILLER_BEFORE);
    }
    for (int y = 0; y < rgb.height(); ++y) png_write_row(p, const_cast<png_bytep>(rgb.constScanLine(y)));
    png_write_end(p, info);
    png_destroy_write_struct(&p, &info);
    return true;
}
#else
// Qt's own writer, for a build without libpng: the same pixels, written more slowly.
bool encodePng(const QImage& image, QByteArray& png) {
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    png.clear();
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly)) return false;
    QImageWriter writer(&buffer, "png");
    if (writer.write(rgb)) return true;
    png.clear();
    return false;
}
#endif

QImage drawingImage(const card::Drawing& d, double scale) {
    QImage image(QSize(qRound(d.width * scale), qRound(d.height * scale)), QImage::Format_RGB32);
    if (image.isNull()) return image;
    QPainter painter(&image);
    painter.scale(scale, scale);
    paintDrawing(painter, d);
    return image;
}

bool drawingPng(const card::Drawing& d, double scale, QByteArray& png) {
    const QImage image = drawingImage(d, scale);
    return !image.isNull() && encodePng(image, png);
}

}  // namespace hj::paint
