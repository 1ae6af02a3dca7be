#pragma once
// 八字断语: a small always-on-top viewer of stock commentary sentences by topic.
#include <QWidget>

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace hj::gui {

class TFrmPingYu : public QWidget {
    Q_OBJECT
public:
    // Modeless; deletes itself when closed, so a QPointer held by the opener clears itself.
    explicit TFrmPingYu(const QString& datDir, QWidget* parent = nullptr);

    QLabel* Label1;
    QListWidget* lstsel;
    QPlainTextEdit* Memlst;

private slots:
    void lstselClick();

private:
    void FormCreate();
    QString dataPath() const;
    QString datDir_;
};

}  // namespace hj::gui
