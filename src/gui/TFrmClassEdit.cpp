#include "gui/TFrmClassEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "core/presentation/case_tree.h"
#include "core/text/strings.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

TFrmClassEdit::TFrmClassEdit(text::IniFile& ini, QWidget* parent) : QDialog(parent), ini_(ini) {
    setObjectName(QStringLiteral("FrmClassEdit"));
    setWindowTitle(QStringLiteral("类别编辑"));
    auto* label = new QLabel(QStringLiteral("一行一个类别，类别名最长6个汉字"), this);
    MemClass = new QPlainTextEdit(this);
    MemClass->setObjectName(QStringLiteral("MemClass"));
    MemClass->setLineWrapMode(QPlainTextEdit::NoWrap);
    QStringList lines;
    ini_.refresh();  // the list as it is now, with classes added elsewhere since it was read
    for (const std::string& c : presentation::readClassList(ini_, "")) lines << qs(c);
    MemClass->setPlainText(lines.join(QLatin1Char('\n')));
    BtnSave = new QPushButton(QStringLiteral("保存"), this);
    BtnSave->setObjectName(QStringLiteral("BtnSave"));
    BtnCancel = new QPushButton(QStringLiteral("取消"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    auto* v = new QVBoxLayout(this);
    v->addWidget(label);
    v->addWidget(MemClass, 1);
    auto* h = new QHBoxLayout;
    h->addStretch(1);
    h->addWidget(BtnSave);
    h->addWidget(BtnCancel);
    v->addLayout(h);
    resize(280, 360);
    connect(BtnSave, &QPushButton::clicked, this, &TFrmClassEdit::BtnSaveClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmClassEdit::BtnSaveClick() {
    // The lines of the box; a final line break ends the last line rather than adding one.
    QString all = MemClass->toPlainText();
    if (all.endsWith(QLatin1Char('\n'))) all.chop(1);
    if (all.isEmpty()) {
        message(this, QStringLiteral("类别不能为空"), appTitle());
        return;
    }
    std::vector<std::string> lines;
    for (const QString& l : all.split(QLatin1Char('\n'))) lines.push_back(u8(l));
    if (const int bad = presentation::firstBadClassLine(lines)) {
        message(this, QStringLiteral("第%1行类别名不合规定，不能加入。").arg(bad), appTitle());
        QTextCursor c(MemClass->document()->findBlockByNumber(bad - 1));
        MemClass->setTextCursor(c);
        MemClass->setFocus();
        return;
    }
    for (std::string& l : lines) l = std::string(text::trimmed(l, " \t\r\n"));
    if (!presentation::writeClassList(ini_, lines)) {
        message(this, QStringLiteral("类别未能保存：%1").arg(qs(ini_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    accept();
}

}  // namespace hj::gui
