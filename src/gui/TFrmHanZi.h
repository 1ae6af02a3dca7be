#pragma once
// 姓名与五行: the five grids of a name, one character's strokes and element, and the characters
// of an element, from the stroke dictionary dat/hzlen.dat.
#include <QDialog>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace hj::gui {

class TFrmHanZi : public QDialog {
    Q_OBJECT
public:
    // `dataRoot` is the folder holding dat/.
    explicit TFrmHanZi(const QString& dataRoot, QWidget* parent = nullptr);
    // Opens the dialog modally and discards it afterwards.
    static void run(QWidget* parent, const QString& dataRoot);

    QString dictionaryPath() const { return path_; }

    QPlainTextEdit* Memo1;
    QRadioButton* RdoDang;
    QRadioButton* RdoFu;
    QLineEdit* LedtName;
    QPushButton* Btowg;
    QRadioButton* RadioButton3;  // 水, tags 0..4 in order
    QRadioButton* RadioButton4;
    QRadioButton* RadioButton5;
    QRadioButton* RadioButton6;
    QRadioButton* RadioButton7;
    QLineEdit* LedtWord;
    QPushButton* BtoWord;
    QPushButton* BtoSearch;

private slots:
    void BtowgClick();
    void BtoWordClick();
    void BtoSearchClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void FormCreate();
    QString path_;
    bool checkedFile_ = false;
};

}  // namespace hj::gui
