#include "paint/paint_drawing.h"

#include <QBuffer>
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
    if (image.isNull()) return false;
    png.clear();
    QBuffer buffer(&png);
    return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG");
}

}  // namespace hj::paint
