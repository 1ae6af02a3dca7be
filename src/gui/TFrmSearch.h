#pragma once
// 查找命例: picks stored cases by sex, birth-year range, province, name and class. The
// criteria belong to the caller and outlive the dialog, so it reopens with the last ones.
#include <QDialog>
#include <QStringList>
#include <vector>

#include "core/casestore/case_store.h"
#include "core/text/ini.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace hj::gui {

class TFrmSearch : public QDialog {
    Q_OBJECT
public:
    // `treeClasses`: the classes the case tree shows, offered beside the class list's.
    TFrmSearch(casestore::CaseStore& store, const text::IniFile& ini, casestore::SearchCriteria& criteria,
               QWidget* parent = nullptr, const QStringList& treeClasses = {});

    // Set when the dialog closed with cases to show.
    bool resultFlag() const { return result_; }
    const std::vector<int>& found() const { return found_; }

    QGroupBox* RdoSex;
    QRadioButton* RdoSexAny;
    QRadioButton* RdoSexMale;
    QRadioButton* RdoSexFemale;
    QComboBox* cbodiZ;
    QLineEdit* LedtY1;
    QLineEdit* LedtY2;
    QComboBox* CboFenLei;
    QCheckBox* ChkClass;
    QLineEdit* Edtname;
    QCheckBox* ChkName;
    QPushButton* BtoAll;
    QPushButton* BtnSearch;
    QPushButton* BtoCancel;
    QProgressBar* Animate1;

private slots:
    void BtnSearchClick();
    void BtoAllClick();
    void BtoCancelClick();

private:
    // Controls → criteria → scan; true when the found cases are to be shown.
    bool collectAndSearch();
    int sexItem() const;

    casestore::CaseStore& store_;
    casestore::SearchCriteria& c_;
    std::vector<int> found_;
    bool result_ = false;
};

}  // namespace hj::gui
