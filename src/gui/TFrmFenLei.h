#pragma once
// 分类保存: the class chooser used when a new case is saved: a class from the written list or
// from the case tree (or a new one typed in) and a note.
#include <QDialog>

#include "core/text/ini.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace hj::gui {

class GbkMemoLimit;

class TFrmFenLei : public QDialog {
    Q_OBJECT
public:
    // The written class list of `ini` first, then the classes of `treeClasses` it lacks.
    TFrmFenLei(const text::IniFile& ini, QWidget* parent = nullptr, const QStringList& treeClasses = {});

    QComboBox* CboFenLei;   // 保存类别
    QPlainTextEdit* MemInfo;  // 附加信息
    QPushButton* BtnOk;
    QPushButton* BtnCancel;

    // After OK: the trimmed class and note.
    QString className() const { return className_; }
    QString note() const { return note_; }

private slots:
    void BtnOkClick();

private:
    QString className_, note_;
};

}  // namespace hj::gui
