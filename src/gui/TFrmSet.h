#pragma once
// 排盘设置: the chart options of section [set] of bzinit.ini.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace hj::text { class IniFile; }

namespace hj::gui {

class RadioGroup;

class TFrmSet : public QDialog {
    Q_OBJECT
public:
    // Reads and writes through the main window's settings file.
    explicit TFrmSet(text::IniFile& settings, QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    QRadioButton* RdoHengPai;
    QRadioButton* RdoShuPai;
    QCheckBox* chkzishi;
    QCheckBox* ChkSave;
    QCheckBox* ChkDst;  // 夏令时: remove the summer time of the Chinese places (key dst)
    QCheckBox* ChkFenXi;     // the chart analysis at the end of the report (key fenxi)
    QSpinBox* SpnBianJie;    // minutes within which a pillar boundary is shown (key bianjie)
    QLineEdit* LedtLeftPos;
    QComboBox* CboSelDate;
    RadioGroup* RdoMingGong;
    RadioGroup* RdoZhong;
    RadioGroup* RdoYue;
    QPushButton* Btnok;
    QPushButton* Btncancel;

private slots:
    void BtnokClick();

private:
    void loadKeys();
    text::IniFile& ini_;
};

}  // namespace hj::gui
