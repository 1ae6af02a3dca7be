// 河图与洛书: switching pictures, the painted pixels at 1x and 2x, and the primitives shown.
#include <QImage>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/TFrmHeLuo.h"

using hj::gui::TFrmHeLuo;

class TestTFrmHeLuo : public QObject {
    Q_OBJECT
private slots:
    void opensOnHeTu();
    void labelsSwitchPictures();
    void paintedPixels_data();
    void paintedPixels();
    void pictureScalesWithTheWindow();
};

namespace {
QColor rgb(hj::PictureColour c) { return QColor(c.r, c.g, c.b); }

// True when some pixel of the (2r+1)-square around (x, y) is mostly red.
bool redNear(const QImage& img, int x, int y, int r) {
    for (int j = y - r; j <= y + r; ++j)
        for (int i = x - r; i <= x + r; ++i) {
            const QColor c = img.pixelColor(i, j);
            if (c.red() > 200 && c.green() < 140 && c.blue() < 140) return true;
        }
    return false;
}
}  // namespace

void TestTFrmHeLuo::opensOnHeTu() {
    TFrmHeLuo dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("河图与洛书"));
    auto* l1 = dlg.findChild<hj::gui::ClickLabel*>(QStringLiteral("Label1"));
    auto* l2 = dlg.findChild<hj::gui::ClickLabel*>(QStringLiteral("Label2"));
    auto* view = dlg.findChild<hj::gui::HeLuoView*>(QStringLiteral("Image1"));
    QVERIFY(l1 && l2 && view);
    QCOMPARE(l1->text(), QStringLiteral("河图"));
    QCOMPARE(l2->text(), QStringLiteral("洛书"));
    QCOMPARE(l1->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(view->size(), QSize(450, 450));
    QVERIFY(dlg.metrics().tw > 0 && dlg.metrics().th > 0);
    QVERIFY(view->picture() == hj::drawHeTu(dlg.metrics()));
    hjtest::screenshot(&dlg, QStringLiteral("TFrmHeLuo_hetu"));
}

void TestTFrmHeLuo::labelsSwitchPictures() {
    TFrmHeLuo dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* l1 = dlg.findChild<hj::gui::ClickLabel*>(QStringLiteral("Label1"));
    auto* l2 = dlg.findChild<hj::gui::ClickLabel*>(QStringLiteral("Label2"));
    auto* view = dlg.findChild<hj::gui::HeLuoView*>(QStringLiteral("Image1"));
    const QImage heTu = view->grab().toImage();
    QTest::mouseClick(l2, Qt::LeftButton);
    QVERIFY(view->picture() == hj::drawLuoShu(dlg.metrics()));
    const QImage luoShu = view->grab().toImage();
    QVERIFY(heTu != luoShu);
    hjtest::screenshot(&dlg, QStringLiteral("TFrmHeLuo_luoshu"));
    // Any number of switches gives the same pictures: each draw starts by clearing everything.
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(l1, Qt::LeftButton);
        QCOMPARE(view->grab().toImage(), heTu);
        QTest::mouseClick(l2, Qt::LeftButton);
        QCOMPARE(view->grab().toImage(), luoShu);
    }
}

void TestTFrmHeLuo::paintedPixels_data() {
    QTest::addColumn<qreal>("scale");
    QTest::newRow("1x") << qreal(1);
    QTest::newRow("2x") << qreal(2);
}

void TestTFrmHeLuo::paintedPixels() {
    QFETCH(qreal, scale);
    TFrmHeLuo dlg;
    const hj::PictureMetrics m = dlg.metrics();
    const int s = qRound(scale);
    const QImage luo = hj::gui::renderPicture(hj::drawLuoShu(m), m, scale);
    QCOMPARE(luo.size(), QSize(450 * s, 450 * s));
    const QColor bg = rgb(hj::kPictureBackground), red = rgb(hj::kPictureRed);
    QCOMPARE(luo.pixelColor(3 * s, 440 * s), bg);  // outside the outer circle
    // The red line right of the centre is exactly one picture pixel thick, with no blur.
    const int x = (225 + m.tw + 10) * s;
    for (int k = 0; k < s; ++k) QCOMPARE(luo.pixelColor(x, 225 * s + k), red);
    QCOMPARE(luo.pixelColor(x, 225 * s - 1), bg);
    QCOMPARE(luo.pixelColor(x, 226 * s), bg);
    // Luo Shu sector 4: one red dot straight below the centre at radius 200; He Tu: at 140.
    QVERIFY(redNear(luo, 225 * s, 425 * s, 4 * s));
    QVERIFY(!redNear(luo, 200 * s, 425 * s, 4 * s));
    const QImage he = hj::gui::renderPicture(hj::drawHeTu(m), m, scale);
    QVERIFY(redNear(he, 225 * s, 365 * s, 4 * s));
    if (!qgetenv("HJ_SCREENSHOT_DIR").isEmpty()) {
        const QString dir = QString::fromLocal8Bit(qgetenv("HJ_SCREENSHOT_DIR"));
        luo.save(dir + QStringLiteral("/luoshu_%1x.png").arg(s));
        he.save(dir + QStringLiteral("/hetu_%1x.png").arg(s));
    }
}

void TestTFrmHeLuo::pictureScalesWithTheWindow() {
    TFrmHeLuo dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* view = dlg.findChild<hj::gui::HeLuoView*>(QStringLiteral("Image1"));
    for (const QSize grow : {QSize(300, 300), QSize(500, 200), QSize(-100, -100)}) {
        const QSize before = view->size();
        dlg.resize(dlg.size() + grow);
        QTRY_COMPARE(view->size(), (before + grow).expandedTo(view->minimumSize()));
        const qreal s = view->scale();
        QCOMPARE(s, std::min(view->width(), view->height()) / 450.0);
        const QImage img = view->grab().toImage();
        const QPointF o = view->origin();
        const auto at = [&](int x, int y) { return QPoint(qRound(o.x() + x * s), qRound(o.y() + y * s)); };
        // He Tu: the lone red dot below the centre, and the picture's background at its corner.
        const QPoint dot = at(225, 365);
        QVERIFY(redNear(img, dot.x(), dot.y(), qRound(4 * s)));
        QVERIFY(!redNear(img, at(225, 300).x(), at(225, 300).y(), qRound(4 * s)));
        QCOMPARE(img.pixelColor(at(2, 440)), rgb(hj::kPictureBackground));
    }
    hjtest::screenshot(&dlg, QStringLiteral("TFrmHeLuo_resized"));
}

HJ_GUI_TEST(TestTFrmHeLuo)
#include "gui_TFrmHeLuo.moc"
