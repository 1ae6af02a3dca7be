#include "gui/ChartCardCommands.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "core/card/drawing.h"
#include "core/text/file_io.h"
#include "gui/ChartCardView.h"
#include "gui/GuiSupport.h"
#include "paint/paint_drawing.h"

namespace hj::gui {
namespace {

constexpr double kImageScale = 2;  // about 1080 pixels wide
const QString kPngFilter = QStringLiteral("PNG 图片 (*.png)");
const QString kSvgFilter = QStringLiteral("SVG 图片 (*.svg)");

}  // namespace

ChartCardCommands::ChartCardCommands(ChartCardView& view, QWidget* window)
    : QObject(window), view_(view), window_(window) {
    const auto action = [this](const char* name, const QString& text, void (ChartCardCommands::*slot)()) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    save_ = action("mnuF_savecard", QStringLiteral("保存命盘图片…"), &ChartCardCommands::saveImage);
    copy_ = action("mnuF_copycard", QStringLiteral("复制命盘图片"), &ChartCardCommands::copyImage);
    print_ = action("mnuF_printcard", QStringLiteral("打印命盘…"), &ChartCardCommands::printCard);
    // On the picture itself: its pop-up menu, and Ctrl+C while it has the focus.
    copy_->setShortcut(QKeySequence::Copy);
    copy_->setShortcutContext(Qt::WidgetShortcut);
    view_.addActions({save_, copy_, print_});
    view_.setContextMenuPolicy(Qt::ActionsContextMenu);
    view_.setFocusPolicy(Qt::ClickFocus);
}

bool ChartCardCommands::haveChart() const {
    if (view_.hasChart()) return true;
    message(window_, QStringLiteral("请先排盘，再保存、复制或打印命盘。"), QStringLiteral("提示"));
    return false;
}

bool ChartCardCommands::saveTo(const QString& path, QString& error) const {
    const card::Drawing& d = view_.drawing();
    std::string bytes;
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        bytes = card::writeSvg(d);
    } else {
        QByteArray png;
        if (!paint::drawingPng(d, kImageScale, png)) {
            error = QStringLiteral("无法生成PNG图片");
            return false;
        }
        bytes.assign(png.constData(), static_cast<std::size_t>(png.size()));
    }
    std::string why;
    if (text::writeFileAtomically(u8(path), bytes, &why)) return true;
    error = qs(why);
    return false;
}

void ChartCardCommands::saveImage() {
    if (!haveChart()) return;
    QString filter = kPngFilter;
    const QString name = qs(view_.chart()->request.name) + QStringLiteral("命盘.png");
    QString path = QFileDialog::getSaveFileName(window_, QStringLiteral("保存命盘图片"), QDir::home().filePath(name),
                                                kPngFilter + QStringLiteral(";;") + kSvgFilter, &filter);
    if (path.isEmpty()) return;
    const QString ext = filter == kSvgFilter ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) && !path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        path += ext;
    QString error;
    if (!saveTo(path, error))
        message(window_, QStringLiteral("命盘图片没有保存：%1").arg(error), QStringLiteral("错误"), QMessageBox::Critical);
}

void ChartCardCommands::copyImage() {
    if (!haveChart()) return;
    const QImage image = paint::drawingImage(view_.drawing(), kImageScale);
    if (image.isNull()) {
        message(window_, QStringLiteral("无法生成命盘图片。"), QStringLiteral("错误"), QMessageBox::Critical);
        return;
    }
    QGuiApplication::clipboard()->setImage(image);
}

bool ChartCardCommands::printOn(QPrinter& printer) const {
    const card::Drawing& d = view_.drawing();
    QPainter p;
    if (d.width <= 0 || !p.begin(&printer)) return false;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double s = std::min(page.width() / d.width, page.height() / d.height);
    p.translate((page.width() - d.width * s) / 2, 0);
    p.scale(s, s);
    paint::paintDrawing(p, d);
    return p.end();
}

void ChartCardCommands::printCard() {
    if (!haveChart()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("命盘"));
    QPrintPreviewDialog preview(&printer, window_);
    preview.setWindowTitle(QStringLiteral("打印命盘"));
    bool ok = true;
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this, &ok](QPrinter* pr) { ok = printOn(*pr); });
    preview.exec();
    if (!ok) message(window_, QStringLiteral("命盘没有打印：打印机无法开始。"), QStringLiteral("错误"), QMessageBox::Critical);
}

}  // namespace hj::gui
