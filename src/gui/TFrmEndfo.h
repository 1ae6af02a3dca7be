#pragma once
// 编辑尾部信息: the footer lines appended to reports (dat/EndInfo.txt) and the `endinfo` key.
#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace hj::text { class IniFile; }

namespace hj::gui {

class TFrmEndfo : public QDialog {
    Q_OBJECT
public:
    // `datDir` is the data folder's dat/; the key goes through the main window's settings file.
    TFrmEndfo(text::IniFile& settings, const QString& datDir, QWidget* parent = nullptr);

    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QCheckBox* ChkAuto;
    QPushButton* Btnok;
    QPushButton* Btncancel;

private slots:
    void BtnokClick();

private:
    void FormShow();
    QString footerPath() const;
    text::IniFile& ini_;
    QString datDir_;
};

}  // namespace hj::gui
