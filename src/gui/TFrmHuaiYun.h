#pragma once
// 测怀孕: a child's sex from the mother's nominal age and the lunar month of conception.
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hj::gui {

class TFrmHuaiYun : public QDialog {
    Q_OBJECT
public:
    explicit TFrmHuaiYun(QWidget* parent = nullptr);
    static void run(QWidget* parent);

    QLineEdit* LedtArg;
    QComboBox* CboMonth;
    QLabel* StxtOut;
    QPushButton* Button1;

public slots:
    void Button1Click();
};

}  // namespace hj::gui
