#include "gui/TFrmHeLuo.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "gui/GuiSupport.h"
#include "gui/TraditionalDisplay.h"

namespace hj::gui {
namespace {

QColor colour(PictureColour c) { return QColor(c.r, c.g, c.b); }

}  // namespace

ClickLabel::ClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

QFont heLuoFont(int pointSize) {
    QFont f;
    f.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun"), QStringLiteral("Songti SC"),
                   QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                   QStringLiteral("WenQuanYi Micro Hei")});
    f.setPointSize(pointSize);
    return f;
}

void paintPicture(QPainter& p, const std::vector<DrawOp>& ops, const PictureMetrics& m) {
    p.save();
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QColor background = colour(kPictureBackground);
    // One-pixel outlines centred on pixel centres, so that straight lines stay one pixel wide.
    const QPointF half(0.5, 0.5);
    for (const DrawOp& op : ops) {
        QPen pen(colour(op.colour), 1.0);
        pen.setCapStyle(Qt::FlatCap);
        switch (op.kind) {
        case DrawOp::Kind::FillRect:
            p.fillRect(QRect(QPoint(op.x1, op.y1), QPoint(op.x2 - 1, op.y2 - 1)), background);
            break;
        case DrawOp::Kind::Circle:
        case DrawOp::Kind::Dot:
            p.setPen(pen);
            p.setBrush(background);
            p.drawEllipse(QPointF(op.x1, op.y1) + half, op.r, op.r);
            break;
        case DrawOp::Kind::Arc: {
            double span = op.endDeg - op.startDeg;
            if (span <= 0) span += 360;
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            const QRectF box(op.x1 - op.r + 0.5, op.y1 - op.r + 0.5, 2.0 * op.r, 2.0 * op.r);
            p.drawArc(box, qRound(op.startDeg * 16), qRound(span * 16));
            break;
        }
        case DrawOp::Kind::Line:
            p.setPen(pen);
            p.drawLine(QPointF(op.x1, op.y1) + half, QPointF(op.x2, op.y2) + half);
            break;
        case DrawOp::Kind::Text: {
            // Text cells are opaque, as on a canvas whose brush is the background. Each run
            // between spaces sits where the layout put it, so it keeps the clearance the layout
            // gave it whatever the font's spaces are like.
            const QFont f = heLuoFont(op.pointSize);
            const QFontMetrics fm(f, p.device());
            p.setFont(f);
            p.setPen(colour(op.colour));
            for (const TextRun& run : textRuns(op, m)) {
                const QString text = shownText(qs(std::string_view(op.text).substr(run.from, run.length)));
                p.fillRect(QRect(run.left, run.top, fm.horizontalAdvance(text), fm.height()), background);
                p.drawText(QPointF(run.left, run.top + fm.ascent()), text);
            }
            break;
        }
        }
    }
    p.restore();
}

QImage renderPicture(const std::vector<DrawOp>& ops, const PictureMetrics& m, qreal scale) {
    QImage img(qRound(m.width * scale), qRound(m.height * scale), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale);
    img.fill(colour(kPictureBackground));
    QPainter p(&img);
    paintPicture(p, ops, m);
    return img;
}

HeLuoView::HeLuoView(const PictureMetrics& m, QWidget* parent) : QWidget(parent), m_(m) {
    setMinimumSize(m.width * 2 / 3, m.height * 2 / 3);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HeLuoView::setPicture(std::vector<DrawOp> ops) {
    ops_ = std::move(ops);
    update();
}

qreal HeLuoView::scale() const {
    return std::min(qreal(width()) / m_.width, qreal(height()) / m_.height);
}

QPointF HeLuoView::origin() const {
    const qreal s = scale();
    return {(width() - s * m_.width) / 2, (height() - s * m_.height) / 2};
}

void HeLuoView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.translate(origin());
    p.scale(scale(), scale());
    p.fillRect(QRect(0, 0, m_.width, m_.height), colour(kPictureBackground));
    paintPicture(p, ops_, m_);
}

TFrmHeLuo::TFrmHeLuo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmHeLuo"));
    setWindowTitle(QStringLiteral("河图与洛书"));

    // tw and th: the size of one character of the picture font on this screen.
    const QFontMetrics fm(heLuoFont(10), this);
    metrics_.tw = fm.horizontalAdvance(QStringLiteral("字"));
    metrics_.th = fm.height();

    Label1 = new ClickLabel(QStringLiteral("河图"), this);
    Label2 = new ClickLabel(QStringLiteral("洛书"), this);
    Image1 = new HeLuoView(metrics_, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Image1->setObjectName(QStringLiteral("Image1"));
    for (auto* l : {Label1, Label2}) {
        QFont f = l->font();
        f.setUnderline(true);
        l->setFont(f);
        l->setStyleSheet(QStringLiteral("color: #0000ff"));
    }

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addSpacing(24);
    top->addWidget(Label2);
    top->addStretch(1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(Image1, 1);

    connect(Label1, &ClickLabel::clicked, this, &TFrmHeLuo::Label1Click);
    connect(Label2, &ClickLabel::clicked, this, &TFrmHeLuo::Label2Click);
    Label1Click();
}

void TFrmHeLuo::run(QWidget* parent) {
    TFrmHeLuo dlg(parent);
    dlg.exec();
}

void TFrmHeLuo::Label1Click() { Image1->setPicture(drawHeTu(metrics_)); }
void TFrmHeLuo::Label2Click() { Image1->setPicture(drawLuoShu(metrics_)); }

}  // namespace hj::gui
