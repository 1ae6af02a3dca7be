#pragma once
// 保存命盘图片…, 复制命盘图片, 打印命盘…: the picture of the chart leaving the screen. Each draws
// the card the view shows with the one painter, at 2× for a PNG (about 1080 pixels wide, sharp
// on phones), as SVG text, or fitted to one page of paper. Messages go over `window`.
#include <QObject>
#include <QString>

class QAction;
class QPrinter;
class QWidget;

namespace hj::gui {

class ChartCardView;

class ChartCardCommands : public QObject {
    Q_OBJECT
public:
    ChartCardCommands(ChartCardView& view, QWidget* window);

    QAction* saveAction() const { return save_; }
    QAction* copyAction() const { return copy_; }
    QAction* printAction() const { return print_; }

    // The picture into `path`: SVG when it ends in .svg, else PNG at 2×. The file is replaced
    // whole or not at all; false with the reason in `error`.
    bool saveTo(const QString& path, QString& error) const;
    // The picture on one page of `printer`, as large as the page allows.
    bool printOn(QPrinter& printer) const;

public slots:
    void saveImage();
    void copyImage();
    void printCard();

private:
    bool haveChart() const;
    ChartCardView& view_;
    QWidget* window_;
    QAction* save_;
    QAction* copy_;
    QAction* print_;
};

}  // namespace hj::gui
