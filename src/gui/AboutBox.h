#pragma once
// 关于 衡鉴 (帮助 menu): version and licence, the data folder in use (with a button that opens
// it) and where the settings live, so that a user can find and back up their cases.
#include <QDialog>

class QLabel;
class QPushButton;

namespace hj::gui {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    // `dataRoot` is the data folder the program uses (dat/ and bazi_f/).
    explicit AboutBox(const QString& dataRoot, QWidget* parent = nullptr);

    QLabel* LblVersion;
    QLabel* LblFolder;    // the data folder
    QLabel* LblSettings;  // the settings file
    QLabel* LblZoneData;  // the tz release in use and where it was read
    QPushButton* BtnOpenFolder;
    QPushButton* BtnOk;

private:
    void openFolder();
    QString dataRoot_;
};

}  // namespace hj::gui
