// The four pictures of the case tree, drawn at two sizes so that they stay sharp when scaled.
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "core/presentation/case_tree.h"
#include "gui/CaseTree.h"

namespace hj::gui {
namespace {

QPixmap canvas(int size) {
    QPixmap p(size, size);
    p.fill(Qt::transparent);
    return p;
}

// A person: head and shoulders in the given colour.
QPixmap personPicture(int size, const QColor& color, bool skirt) {
    QPixmap p = canvas(size);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    g.setPen(QPen(color.darker(160), 0.8 * s));
    g.setBrush(color);
    g.drawEllipse(QRectF(5 * s, 1 * s, 6 * s, 6 * s));
    QPainterPath body;
    if (skirt) {
        body.moveTo(8 * s, 7.5 * s);
        body.lineTo(13.5 * s, 15 * s);
        body.lineTo(2.5 * s, 15 * s);
        body.closeSubpath();
    } else {
        body.addRoundedRect(QRectF(3 * s, 8 * s, 10 * s, 7 * s), 2.5 * s, 2.5 * s);
    }
    g.drawPath(body);
    return p;
}

QPixmap folderPicture(int size) {
    QPixmap p = canvas(size);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    const QColor body(235, 185, 60);
    g.setPen(QPen(body.darker(150), 0.8 * s));
    g.setBrush(body.darker(110));
    g.drawRoundedRect(QRectF(1 * s, 3 * s, 6 * s, 3 * s), 1 * s, 1 * s);
    g.setBrush(body);
    g.drawRoundedRect(QRectF(1 * s, 4.5 * s, 14 * s, 10 * s), 1.2 * s, 1.2 * s);
    return p;
}

// The root: a closed book.
QPixmap bookPicture(int size) {
    QPixmap p = canvas(size);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    const QColor cover(60, 140, 90);
    g.setPen(QPen(cover.darker(160), 0.8 * s));
    g.setBrush(Qt::white);
    g.drawRect(QRectF(4 * s, 2.5 * s, 10 * s, 12.5 * s));
    g.setBrush(cover);
    g.drawRoundedRect(QRectF(2 * s, 1 * s, 10.5 * s, 13 * s), 1 * s, 1 * s);
    g.setPen(QPen(Qt::white, 1.0 * s));
    g.drawLine(QPointF(5 * s, 5 * s), QPointF(10 * s, 5 * s));
    g.drawLine(QPointF(5 * s, 7.5 * s), QPointF(10 * s, 7.5 * s));
    return p;
}

}  // namespace

std::vector<QIcon> caseTreeImages() {
    std::vector<QIcon> icons(4);
    for (int size : {16, 32}) {
        icons[presentation::kImageFemale].addPixmap(personPicture(size, QColor(220, 80, 120), true));
        icons[presentation::kImageMale].addPixmap(personPicture(size, QColor(60, 110, 210), false));
        icons[presentation::kImageClass].addPixmap(folderPicture(size));
        icons[presentation::kImageRoot].addPixmap(bookPicture(size));
    }
    return icons;
}


}  // namespace hj::gui
