#pragma once
// 软件帮助: the usage notes and the version history, read-only.
#include <QDialog>

class QPlainTextEdit;
class QTabWidget;

namespace hj::gui {

class TFrmTxtHelp : public QDialog {
    Q_OBJECT
public:
    explicit TFrmTxtHelp(QWidget* parent = nullptr);
    // Shows the window modally, centred on the screen.
    static void run(QWidget* parent);

    QTabWidget* PageControl1;
    QWidget* TabSheet2;  // 使用说明
    QWidget* TabSheet4;  // 升级改进历史
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;
};

}  // namespace hj::gui
