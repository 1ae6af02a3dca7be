// 姓名与五行: defaults and limits, the missing-dictionary notice, the three commands and their
// refusals.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/TFrmHanZi.h"

using hj::gui::TFrmHanZi;

class TestTFrmHanZi : public QObject {
    Q_OBJECT
private slots:
    void defaultsAndLimits();
    void missingDictionaryIsReported();
    void fiveGrids();
    void refusalsKeepTheMemo_data();
    void refusalsKeepTheMemo();
    void oneCharacter();
    void elementListing();
};

namespace {
template <class T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    if (!c) qFatal("no control %s", name);
    return c;
}

struct Root : hjtest::DataRoot {
    Root() : hjtest::DataRoot(false) {
        QFile::copy(QStringLiteral(HJ_SOURCE_DIR "/resources/dat/hzlen.dat"), dat(QStringLiteral("hzlen.dat")));
    }
};

// Shows the dialog and lets its start-up check run.
void open(TFrmHanZi& dlg) {
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::qWait(20);
}

// Whether the field takes `text` unchanged (a text too long is cut, see `keptOf`).
bool accepts(QLineEdit* e, const QString& text) {
    QString s = text;
    int pos = 0;
    return e->validator()->validate(s, pos) == QValidator::Acceptable && s == text;
}
// What the field keeps of a pasted `text`.
QString keptOf(QLineEdit* e, const QString& text) {
    QString s = text;
    int pos = static_cast<int>(s.size());
    return e->validator()->validate(s, pos) == QValidator::Acceptable ? s : QString();
}

void clickExpectingBox(TFrmHanZi& dlg, const char* button, hjtest::Modals& modals) {
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, button), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
}
}  // namespace

void TestTFrmHanZi::defaultsAndLimits() {
    Root root;
    TFrmHanZi dlg(root.path());
    hjtest::Modals modals;
    open(dlg);
    hjtest::screenshot(&dlg, QStringLiteral("TFrmHanZi"));
    QVERIFY(modals.unexpected.isEmpty());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("姓名与五行"));
    QVERIFY(child<QRadioButton>(&dlg, "RdoDang")->isChecked());
    QCOMPARE(child<QRadioButton>(&dlg, "RdoFu")->text(), QStringLiteral("复姓"));
    QVERIFY(child<QRadioButton>(&dlg, "RadioButton3")->isChecked());
    const char* names[] = {"RadioButton3", "RadioButton4", "RadioButton5", "RadioButton6", "RadioButton7"};
    const QString captions[] = {QStringLiteral("水"), QStringLiteral("木"), QStringLiteral("火"), QStringLiteral("土"), QStringLiteral("金")};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(child<QRadioButton>(&dlg, names[i])->text(), captions[i]);
        QCOMPARE(child<QRadioButton>(&dlg, names[i])->property("tag").toInt(), i);
    }
    QCOMPARE(child<QPushButton>(&dlg, "Btowg")->text(), QStringLiteral("求五格"));
    QCOMPARE(child<QPushButton>(&dlg, "BtoWord")->text(), QStringLiteral("计算"));
    QCOMPARE(child<QPushButton>(&dlg, "BtoSearch")->text(), QStringLiteral("字库查找"));
    QVERIFY(child<QPlainTextEdit>(&dlg, "Memo1")->isReadOnly());
    auto* name = child<QLineEdit>(&dlg, "LedtName");
    QVERIFY(accepts(name, QStringLiteral("诸葛孔明")));     // 8 bytes
    QVERIFY(!accepts(name, QStringLiteral("诸葛孔明亮")));  // 10 bytes
    QVERIFY(accepts(name, QStringLiteral("abcdefgh")));
    // A paste too long is cut to what fits on a whole character, not refused without a word.
    QCOMPARE(keptOf(name, QStringLiteral("诸葛孔明亮")), QStringLiteral("诸葛孔明"));
    QCOMPARE(keptOf(name, QStringLiteral("abc诸葛孔明")), QStringLiteral("abc诸葛"));
    auto* word = child<QLineEdit>(&dlg, "LedtWord");
    QVERIFY(accepts(word, QStringLiteral("明")));
    QVERIFY(!accepts(word, QStringLiteral("明a")));
    QCOMPARE(keptOf(word, QStringLiteral("明a")), QStringLiteral("明"));
    // Pasted into the field as a user would: the text kept is what fits.
    name->clear();
    name->insert(QStringLiteral("诸葛孔明亮"));
    QCOMPARE(name->text(), QStringLiteral("诸葛孔明"));
}

void TestTFrmHanZi::missingDictionaryIsReported() {
    hjtest::DataRoot root(false);
    TFrmHanZi dlg(root.path());
    hjtest::Modals modals;
    modals.expectBox();
    open(dlg);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.size(), std::size_t(1));
    QCOMPARE(modals.boxes[0].text, QStringLiteral("姓名文件丢失"));
    QVERIFY(dlg.isVisible());  // the dialog still opens
    QCOMPARE(dlg.dictionaryPath(), root.dat(QStringLiteral("hzlen.dat")));

    // Lookups then fail with the engine's message.
    child<QLineEdit>(&dlg, "LedtName")->setText(QStringLiteral("张明"));
    clickExpectingBox(dlg, "Btowg", modals);
    QCOMPARE(modals.boxes.back().text, QStringLiteral("找不到其中一个汉字的笔划"));
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmHanZi::fiveGrids() {
    Root root;
    TFrmHanZi dlg(root.path());
    hjtest::Modals modals;
    open(dlg);
    child<QLineEdit>(&dlg, "LedtName")->setText(QStringLiteral("张明"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Btowg"), Qt::LeftButton);
    QCOMPARE(child<QPlainTextEdit>(&dlg, "Memo1")->toPlainText(),
             QStringLiteral("姓名:张明\n张:11画 明:8画 \n\n天格12画,五行属木。\n\n地格9画,五行属水。\n\n"
                            "人格19画,五行属水。\n\n总格19画,五行属水。\n\n外格2画,五行属木。"));
    // 复姓: 欧15 阳17 修10.
    child<QRadioButton>(&dlg, "RdoFu")->click();
    child<QLineEdit>(&dlg, "LedtName")->setText(QStringLiteral("欧阳修"));
    QTest::keyClick(child<QLineEdit>(&dlg, "LedtName"), Qt::Key_Return);
    const QString memo = child<QPlainTextEdit>(&dlg, "Memo1")->toPlainText();
    QVERIFY2(memo.contains(QStringLiteral("天格32画,五行属木。")), qPrintable(memo));
    QVERIFY2(memo.endsWith(QStringLiteral("外格16画,五行属土。")), qPrintable(memo));
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmHanZi::refusalsKeepTheMemo_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("compound");
    QTest::addColumn<QString>("error");
    const QString badLength = QStringLiteral("单姓：名1-2位，复姓：名1-2位,无效的姓名");
    QTest::newRow("one character") << QStringLiteral("张") << false << badLength;
    QTest::newRow("compound of two") << QStringLiteral("张明") << true << badLength;
    QTest::newRow("single of four") << QStringLiteral("张明华华") << false << badLength;
    QTest::newRow("odd bytes") << QStringLiteral("a张") << false << badLength;
    QTest::newRow("latin") << QStringLiteral("ab张") << false << QStringLiteral("必须输入汉字");
    QTest::newRow("symbol") << QStringLiteral("张、") << false << QStringLiteral("找不到其中一个汉字的笔划");
}

void TestTFrmHanZi::refusalsKeepTheMemo() {
    QFETCH(QString, name);
    QFETCH(bool, compound);
    QFETCH(QString, error);
    Root root;
    TFrmHanZi dlg(root.path());
    hjtest::Modals modals;
    open(dlg);
    auto* memo = child<QPlainTextEdit>(&dlg, "Memo1");
    memo->setPlainText(QStringLiteral("之前的内容"));
    child<QRadioButton>(&dlg, compound ? "RdoFu" : "RdoDang")->click();
    child<QLineEdit>(&dlg, "LedtName")->setText(name);
    clickExpectingBox(dlg, "Btowg", modals);
    QCOMPARE(modals.boxes.size(), std::size_t(1));
    QCOMPARE(modals.boxes[0].text, error);
    QCOMPARE(modals.boxes[0].title, QStringLiteral("错误"));
    QCOMPARE(modals.boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(memo->toPlainText(), QStringLiteral("之前的内容"));
    QTRY_COMPARE(dlg.focusWidget(), child<QLineEdit>(&dlg, "LedtName"));
}

void TestTFrmHanZi::oneCharacter() {
    Root root;
    TFrmHanZi dlg(root.path());
    hjtest::Modals modals;
    open(dlg);
    auto* word = child<QLineEdit>(&dlg, "LedtWord");
    auto* memo = child<QPlainTextEdit>(&dlg, "Memo1");
    word->setText(QStringLiteral("明"));
    QTest::mouseClick(child<QPushButton>(&dlg, "BtoWord"), Qt::LeftButton);
    QCOMPARE(memo->toPlainText(), QStringLiteral("明字:8画,五行属:金。"));

    const struct { const char* text; const char* error; } cases[] = {
        {"a", "请输入一个汉字"}, {"", "请输入一个汉字"}, {"、", "字库中没有这个汉字：、"}};
    for (const auto& c : cases) {
        word->setText(QString::fromUtf8(c.text));
        clickExpectingBox(dlg, "BtoWord", modals);
        QCOMPARE(modals.boxes.back().text, QString::fromUtf8(c.error));
        QCOMPARE(modals.boxes.back().title, QStringLiteral("错误"));
        QCOMPARE(memo->toPlainText(), QStringLiteral("明字:8画,五行属:金。"));
    }
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmHanZi::elementListing() {
    Root root;
    TFrmHanZi dlg(root.path());
    hjtest::Modals modals;
    open(dlg);
    child<QRadioButton>(&dlg, "RadioButton4")->click();  // 木
    QTest::mouseClick(child<QPushButton>(&dlg, "BtoSearch"), Qt::LeftButton);
    const QStringList lines = child<QPlainTextEdit>(&dlg, "Memo1")->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("属木的汉字:"));
    QVERIFY(lines.size() > 100);
    for (int i = 1; i + 1 < lines.size(); ++i) QCOMPARE(lines[i].count(QLatin1Char(' ')), 10);
    // Every listed character has 1 or 2 as the last digit of its strokes: 一 (1) and 二 (2) are there.
    QVERIFY(lines.join(QString()).contains(QStringLiteral("一 ")));
    hjtest::screenshot(&dlg, QStringLiteral("TFrmHanZi_list"));
    QVERIFY(modals.unexpected.isEmpty());
}

HJ_GUI_TEST(TestTFrmHanZi)
#include "gui_TFrmHanZi.moc"
