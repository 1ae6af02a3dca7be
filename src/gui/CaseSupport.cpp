#include "gui/CaseSupport.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/text/fields.h"
#include "core/text/gbk.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

bool askYesNoDefaultNo(QWidget* parent, const QString& text, const QString& title, const QString& detail) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!detail.isEmpty()) box.setInformativeText(detail);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    fitTitle(box);
    return box.exec() == QMessageBox::Yes;
}

bool inputBox(QWidget* parent, const QString& title, const QString& prompt, QString& value) {
    QInputDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("InputBox"));
    dlg.setWindowTitle(title);
    dlg.setLabelText(prompt);
    dlg.setTextValue(value);
    dlg.setOkButtonText(QStringLiteral("确定"));
    dlg.setCancelButtonText(QStringLiteral("取消"));
    if (dlg.exec() != QDialog::Accepted) return false;
    value = dlg.textValue();
    return true;
}

QString firstNonGbk(const QString& text) {
    std::string gbk, bad;
    if (text::utf8ToGbk(u8(text), gbk, &bad)) return {};
    return qs(bad);
}

bool checkTypedText(QWidget* field, const QString& text, const char* label, bool needsText, const QString& title) {
    std::string error;
    if (text::checkFieldText(u8(text), label, needsText, &error)) return true;
    message(field->window(), qs(error), title, QMessageBox::Critical);
    field->setFocus();
    return false;
}

GbkMemoLimit::GbkMemoLimit(QPlainTextEdit* memo, int maxBytes)
    : QObject(memo), memo_(memo), max_(maxBytes), last_(memo->toPlainText()) {
    connect(memo_, &QPlainTextEdit::textChanged, this, &GbkMemoLimit::check);
}

void GbkMemoLimit::setText(const QString& text) {
    busy_ = true;
    memo_->setPlainText(text);
    last_ = text;
    busy_ = false;
}

void GbkMemoLimit::check() {
    if (busy_) return;
    const QString now = memo_->toPlainText();
    std::string gbk;
    // A text the program set over the limit may still shrink.
    if (text::utf8ToGbk(u8(now), gbk) && (static_cast<int>(gbk.size()) <= max_ || now.size() < last_.size())) {
        last_ = now;
        return;
    }
    // Take the edit back, leaving the caret where the edit began.
    busy_ = true;
    QTextCursor c = memo_->textCursor();
    const int pos = std::min(c.position(), static_cast<int>(last_.size()));
    memo_->setPlainText(last_);
    c = memo_->textCursor();
    c.setPosition(std::max(0, std::min(pos, static_cast<int>(last_.size()))));
    memo_->setTextCursor(c);
    busy_ = false;
}

}  // namespace hj::gui
