#pragma once
// 经纬度设置: the place editor for dat/dili.ini (add, change and delete places per province).
#include <QDialog>

#include "core/text/ini.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace hj::gui {

class TFrmDiLi : public QDialog {
    Q_OBJECT
public:
    explicit TFrmDiLi(const QString& datDir, QWidget* parent = nullptr);

    QComboBox* CboSheng;     // province
    QListWidget* LstShi;     // places of the province
    QLineEdit* EdtJingDu;    // longitude degrees
    QLineEdit* EdtJingFen;   // longitude minutes
    QLineEdit* EdtWeiDu;     // latitude degrees
    QLineEdit* EdtWeiFen;    // latitude minutes
    QLineEdit* EdtName;      // name of a new place
    QPushButton* BtnAdd;
    QPushButton* BtnEdit;
    QPushButton* BtnDel;
    QPushButton* BtnClose;

private slots:
    void CboShengChange();
    void LstShiClick();
    void BtnAddClick();
    void BtnEditClick();
    void BtnDelClick();

private:
    // Validates the four fields and writes the place; false (with the message shown) otherwise.
    bool writePlace(const QString& place);
    QString province() const;
    text::IniFile dili_;
};

}  // namespace hj::gui
