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
    // The report's own options beyond the described ones, each off by default.
    QGroupBox* GrpMingGao;
    QCheckBox* ChkXingBie;   // lines that speak to one sex read for the chart's sex (key xingbie)
    QCheckBox* ChkWenHe;     // no life-span number, after-death section or child passes (key wenhe)
    QCheckBox* ChkJinNian;   // the yearly block from this year on (key jinnian)
    QComboBox* CboNaYin;     // 纳音 names: this program's table or the common ones (key nayin)
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
