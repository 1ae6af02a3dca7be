#pragma once
// Small pieces shared by the case windows: a Yes/No question whose default is No, the input
// box, a GBK byte limit for memo boxes, and checks that a typed text can be stored.
#include <QObject>
#include <QString>

class QPlainTextEdit;
class QWidget;

namespace hj::gui {

// A Yes/No question with No as the default button; true for Yes.
bool askYesNoDefaultNo(QWidget* parent, const QString& text, const QString& title, const QString& detail = {});

// The input box: false when cancelled, else the answer in `value`.
bool inputBox(QWidget* parent, const QString& title, const QString& prompt, QString& value);

// The first character of `text` that GBK cannot encode, empty when there is none.
QString firstNonGbk(const QString& text);

// The check of a typed name, class, note or place name (text::checkFieldText): on a refusal
// the message names `label`, the focus goes to `field`, and the result is false.
bool checkTypedText(QWidget* field, const QString& text, const char* label, bool needsText, const QString& title);

// Keeps a memo box within `maxBytes` GBK bytes and free of characters GBK cannot encode: an
// edit that would break either is taken back.
class GbkMemoLimit : public QObject {
public:
    GbkMemoLimit(QPlainTextEdit* memo, int maxBytes);
    // Shows a text set by the program (kept even when over the limit, so nothing is lost).
    void setText(const QString& text);
private:
    void check();
    QPlainTextEdit* memo_;
    int max_;
    QString last_;
    bool busy_ = false;
};

}  // namespace hj::gui
