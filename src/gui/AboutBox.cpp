#include "gui/AboutBox.h"

#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "core/version.h"
#include "core/zones/zone_rules.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

AboutBox::AboutBox(const QString& dataRoot, QWidget* parent) : QDialog(parent), dataRoot_(dataRoot) {
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("关于 衡鉴"));
    const QString folder = QDir::toNativeSeparators(QDir(dataRoot).absolutePath());
    LblVersion = new QLabel(QStringLiteral("<b>衡鉴 %1</b><br>八字命理与三世相法<br>许可：MIT（Expat）许可，可自由使用、复制、修改和分发")
                                .arg(QStringLiteral(HJ_VERSION)),
                            this);
    LblVersion->setObjectName(QStringLiteral("LblVersion"));
    LblFolder = new QLabel(folder, this);
    LblFolder->setObjectName(QStringLiteral("LblFolder"));
    LblSettings = new QLabel(QDir::toNativeSeparators(QDir(dataRoot).absoluteFilePath(QStringLiteral("dat/bzinit.ini"))), this);
    LblSettings->setObjectName(QStringLiteral("LblSettings"));
    LblZoneData = new QLabel(QString::fromStdString(zones::rules::dataText(zones::rules::dataInfo())), this);
    LblZoneData->setObjectName(QStringLiteral("LblZoneData"));
    for (QLabel* l : {LblFolder, LblSettings, LblZoneData}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setWordWrap(true);
    }
    auto* note = new QLabel(QStringLiteral("命例记录和命稿都在数据文件夹里（dat 与 bazi_f）：备份时复制整个文件夹。"), this);
    note->setWordWrap(true);
    BtnOpenFolder = new QPushButton(QStringLiteral("打开数据文件夹"), this);
    BtnOpenFolder->setObjectName(QStringLiteral("BtnOpenFolder"));
    BtnOk = new QPushButton(QStringLiteral("确定"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(LblVersion, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("数据文件夹："), this), 1, 0, Qt::AlignTop);
    grid->addWidget(LblFolder, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("设置文件："), this), 2, 0, Qt::AlignTop);
    grid->addWidget(LblSettings, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("时区数据："), this), 3, 0, Qt::AlignTop);
    grid->addWidget(LblZoneData, 3, 1);
    grid->addWidget(note, 4, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnOpenFolder);
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("命例记录和命稿都在数据文件夹里")) * 2);

    connect(BtnOpenFolder, &QPushButton::clicked, this, &AboutBox::openFolder);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::openFolder() {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(dataRoot_)))
        message(this, QStringLiteral("无法打开“%1”：没有能打开文件夹的程序。").arg(QDir::toNativeSeparators(dataRoot_)),
                QStringLiteral("错误"), QMessageBox::Critical);
}

}  // namespace hj::gui
