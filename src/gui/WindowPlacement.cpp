#include "gui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace hj::gui {

QRect fitToScreens(const QRect& saved, const QList<QRect>& available, const QMargins& frame) {
    if (available.isEmpty()) return saved;
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QRect outer(saved.topLeft(), saved.size() + extra);
    QRect screen = available.front();
    qint64 best = 0;
    for (const QRect& a : available) {
        const QRect both = a.intersected(outer);
        const qint64 area = both.isEmpty() ? 0 : qint64(both.width()) * both.height();
        if (area > best) {
            best = area;
            screen = a;
        }
    }
    QRect r = outer;
    r.setSize(r.size().boundedTo(screen.size()));
    r.moveLeft(std::clamp(r.left(), screen.left(), screen.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), screen.top(), screen.bottom() + 1 - r.height()));
    return {r.topLeft(), r.size() - extra};
}

QRect firstStartGeometry(const QRect& available, const QMargins& frame) {
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize outer(std::min(1100, available.width() * 85 / 100), std::min(760, available.height() * 85 / 100));
    QRect r(QPoint(0, 0), outer);
    r.moveCenter(available.center());
    return {r.topLeft(), outer - extra};
}

QList<QRect> availableScreenAreas() {
    QList<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) areas << primary->availableGeometry();
    for (const QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen()) areas << s->availableGeometry();
    return areas;
}

QMargins typicalFrame() { return {4, 30, 4, 4}; }

}  // namespace hj::gui
