#pragma once
// 河图与洛书: the two number diagrams, drawn from the engine's primitives.
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <vector>

#include "core/divination/he_luo.h"

class QPainter;

namespace hj::gui {

// A label that acts on a click (hand cursor).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr);
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// The picture font: 宋体 where the system has it, another Chinese face otherwise.
QFont heLuoFont(int pointSize = 10);

// Paints primitives on a painter whose coordinates are picture pixels; texts go where the
// picture's layout of `m` puts their characters.
void paintPicture(QPainter& p, const std::vector<DrawOp>& ops, const PictureMetrics& m);
// The picture as an image with `scale` device pixels per picture pixel.
QImage renderPicture(const std::vector<DrawOp>& ops, const PictureMetrics& m, qreal scale = 1.0);

// The drawing surface: painted anew from the primitives at each paint, so it is sharp at any
// device pixel ratio, and scaled to the largest square that fits, centred.
class HeLuoView : public QWidget {
    Q_OBJECT
public:
    HeLuoView(const PictureMetrics& m, QWidget* parent = nullptr);
    void setPicture(std::vector<DrawOp> ops);
    const std::vector<DrawOp>& picture() const { return ops_; }
    QSize sizeHint() const override { return {m_.width, m_.height}; }
    // Picture pixels to widget pixels: the scale and the top-left corner of the picture.
    qreal scale() const;
    QPointF origin() const;
protected:
    void paintEvent(QPaintEvent* e) override;
private:
    PictureMetrics m_;
    std::vector<DrawOp> ops_;
};

class TFrmHeLuo : public QDialog {
    Q_OBJECT
public:
    explicit TFrmHeLuo(QWidget* parent = nullptr);
    static void run(QWidget* parent);

    const PictureMetrics& metrics() const { return metrics_; }

    ClickLabel* Label1;  // 河图
    ClickLabel* Label2;  // 洛书
    HeLuoView* Image1;

public slots:
    void Label1Click();
    void Label2Click();

private:
    PictureMetrics metrics_;
};

}  // namespace hj::gui
