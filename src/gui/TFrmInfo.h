#pragma once
// 命例信息: edits the birth data, name and note of one stored case (on a copy of its record).
#include <QDialog>

#include "core/casestore/case_store.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace hj::gui {

class GbkMemoLimit;
class UpDown;

class TFrmInfo : public QDialog {
    Q_OBJECT
public:
    TFrmInfo(const casestore::CaseRecord& record, const QString& datDir, QWidget* parent = nullptr);

    // The copy, changed when the dialog ended with OK.
    const casestore::CaseRecord& record() const { return record_; }

    QRadioButton* RdoGong;
    QRadioButton* RdoNong;
    QCheckBox* Chkrun;
    QLineEdit* EdtYear;
    UpDown* UpDyear;
    QComboBox* cbom;
    QComboBox* cbod;
    QComboBox* cbos;
    QComboBox* cbomin;
    QLineEdit* Edtname;
    QRadioButton* Rdona;
    QRadioButton* Rdonv;
    QComboBox* cbodiZ;
    QComboBox* cbodiC;
    QPlainTextEdit* MemInfo;
    QPushButton* BtnSave;
    QPushButton* BtnClose;

private slots:
    void BtnSaveClick();
    void rebuildCities();

private:
    casestore::CaseRecord record_;
    QString datDir_;
    GbkMemoLimit* noteLimit_;
};

}  // namespace hj::gui
