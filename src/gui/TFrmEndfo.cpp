#include "gui/TFrmEndfo.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

TFrmEndfo::TFrmEndfo(text::IniFile& settings, const QString& datDir, QWidget* parent)
    : QDialog(parent), ini_(settings), datDir_(datDir) {
    setObjectName(QStringLiteral("FrmEndfo"));
    setWindowTitle(QStringLiteral("编辑尾部信息"));
    Label1 = new QLabel(QStringLiteral("命稿尾部信息"), this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setTabChangesFocus(true);
    Label1->setBuddy(Memo1);
    ChkAuto = new QCheckBox(QStringLiteral("加入到命稿尾部"), this);
    Btnok = new QPushButton(QStringLiteral("确定"), this);
    Btncancel = new QPushButton(QStringLiteral("取消"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Memo1->setObjectName(QStringLiteral("Memo1"));
    ChkAuto->setObjectName(QStringLiteral("ChkAuto"));
    Btnok->setObjectName(QStringLiteral("Btnok"));
    Btncancel->setObjectName(QStringLiteral("Btncancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ChkAuto);
    buttons->addStretch(1);
    buttons->addWidget(Btnok);
    buttons->addWidget(Btncancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(Label1);
    top->addWidget(Memo1, 1);
    top->addLayout(buttons);
    resize(460, 320);

    connect(Btnok, &QPushButton::clicked, this, &TFrmEndfo::BtnokClick);
    connect(Btncancel, &QPushButton::clicked, this, &QDialog::reject);
    FormShow();
}

QString TFrmEndfo::footerPath() const { return datDir_ + QStringLiteral("/EndInfo.txt"); }

void TFrmEndfo::FormShow() {
    std::string bytes, error;
    bool missing = false;
    if (text::readRegularFile(u8(footerPath()), text::kMaxTextFileBytes, bytes, &error, &missing)) {
        QString t = qs(text::decodeFileText(bytes));
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (t.endsWith(QLatin1Char('\n'))) t.chop(1);  // the last line's end is not an extra line
        Memo1->setPlainText(t);
    } else if (!missing) {
        // Say so before the user types a new text that would replace the file.
        QTimer::singleShot(0, this, [this, why = qs(error)] {
            message(this, QStringLiteral("尾部信息文件无法读取：%1").arg(why), QStringLiteral("错误"), QMessageBox::Critical);
        });
    }
    ini_.refresh();  // another window may have changed the file since it was read
    ChkAuto->setChecked(ini_.readBool("set", "endinfo", false));
}

void TFrmEndfo::BtnokClick() {
    const QString t = Memo1->toPlainText();
    if (t.isEmpty()) {
        message(this, QStringLiteral("输入不能为空"), QStringLiteral("信息"), QMessageBox::Information);
        Memo1->setFocus();
        return;
    }
    std::string out;
    for (const QString& line : t.split(QLatin1Char('\n'))) {
        out += u8(line);
        out += "\r\n";
    }
    std::string gbk, bad, error;
    if (!text::utf8ToGbk(out, gbk, &bad)) {
        message(this, QStringLiteral("字符“%1”无法保存到尾部信息文件中，请修改。").arg(qs(bad)), QStringLiteral("输入错误"),
                QMessageBox::Critical);
        Memo1->setFocus();
        return;
    }
    if (!text::writeFileAtomically(u8(footerPath()), gbk, &error)) {
        message(this, QStringLiteral("无法保存尾部信息文件：%1").arg(qs(error)), QStringLiteral("错误"), QMessageBox::Critical);
        return;
    }
    if (!ini_.writeBool("set", "endinfo", ChkAuto->isChecked())) {
        message(this, QStringLiteral("设置未能保存：%1").arg(qs(ini_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    accept();
}

}  // namespace hj::gui
