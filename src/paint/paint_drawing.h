#pragma once
// The engine's drawings (core/card/drawing.h) replayed on a QPainter: one painter for the
// window, PNG pictures, the clipboard and paper. Texts are placed by Qt's own font metrics in
// the boxes the layout gave them.
#include <QByteArray>
#include <QImage>

#include "core/card/drawing.h"

class QPainter;

namespace hj::paint {

// Paints `drawing` in its logical coordinates; the caller scales and translates the painter.
void paintDrawing(QPainter& painter, const hj::card::Drawing& drawing);

// The drawing as an image `scale` times its logical size (a null image when it cannot be made).
QImage drawingImage(const hj::card::Drawing& drawing, double scale);

// An image as PNG bytes (RGB, no alpha); false when it cannot be encoded.
bool encodePng(const QImage& image, QByteArray& png);

// The drawing as PNG bytes at `scale`; false when the image cannot be made or encoded.
bool drawingPng(const hj::card::Drawing& drawing, double scale, QByteArray& png);

}  // namespace hj::paint
