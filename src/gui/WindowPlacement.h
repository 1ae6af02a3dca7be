#pragma once
// Where a top-level window comes back: a saved geometry (client area) fitted to the screens it
// may meet at start. A size saved at one scale factor is restored at another, a monitor may be
// gone: the window, its frame included, must lie wholly on one screen's available area, so that
// no input or dock starts off screen.
#include <QList>
#include <QMargins>
#include <QRect>

namespace hj::gui {

// `saved` fitted to `available` (each screen's available area; the first is the primary):
// the screen holding the most of it, else the primary. `saved` is the frame's top-left and the
// client size, as QWidget::pos() and size() give them (and move() and resize() take them);
// `frame` is what the window manager adds around the client area. The size shrinks to fit,
// never grows; the position moves only as far as needed. An empty list changes nothing.
QRect fitToScreens(const QRect& saved, const QList<QRect>& available, const QMargins& frame);

// The window of a first start (no saved geometry): room for the report, at most 1100 × 760 and
// at most 85% of the screen's available area, centred on it; same form as fitToScreens.
QRect firstStartGeometry(const QRect& available, const QMargins& frame);

// The available areas of the screens Qt knows now, the primary first.
QList<QRect> availableScreenAreas();

// What a frame usually adds when the window has none yet (never shown): a title bar and borders.
QMargins typicalFrame();

}  // namespace hj::gui
