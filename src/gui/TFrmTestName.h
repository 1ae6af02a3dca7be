#pragma once
// 巧猜姓氏: seven tables of surnames; after seven answers the dialog names the surname.
#include <QDialog>

#include "core/divination/surname_game.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace hj::gui {

class TFrmTestName : public QDialog {
    Q_OBJECT
public:
    explicit TFrmTestName(QWidget* parent = nullptr);
    static void run(QWidget* parent);

    const SurnameGame& game() const { return game_; }

    QTableWidget* strbjx;
    QLabel* Panel1;
    QPushButton* Btnok;
    QPushButton* Btnno;
    QPushButton* Btnres;
    QPushButton* BtnClose;  // 关闭; Esc does the same

public slots:
    void BtnokClick();
    void BtnnoClick();
    void BtnresClick();

private:
    void answer(bool yes);
    void showTable();
    SurnameGame game_;
};

}  // namespace hj::gui
