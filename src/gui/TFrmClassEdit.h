#pragma once
// 类别编辑: the class list of bzinit.ini edited as text, one class a line.
#include <QDialog>

#include "core/text/ini.h"

class QPlainTextEdit;
class QPushButton;

namespace hj::gui {

class TFrmClassEdit : public QDialog {
    Q_OBJECT
public:
    TFrmClassEdit(text::IniFile& ini, QWidget* parent = nullptr);

    QPlainTextEdit* MemClass;
    QPushButton* BtnSave;
    QPushButton* BtnCancel;

private slots:
    void BtnSaveClick();

private:
    text::IniFile& ini_;
};

}  // namespace hj::gui
