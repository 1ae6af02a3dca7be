// 合婚: choosing two cases from the tree (与…合婚, then the second from the list), the current
// chart with a typed second birth, and the refusal of a comparison without a second person.
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTreeWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/casestore/case_store.h"
#include "core/chart/derived.h"
#include "core/match/match.h"
#include "gui/CaseSession.h"
#include "gui/CaseTree.h"
#include "gui/ChartCardView.h"
#include "gui/ReportEdit.h"
#include "gui/TFrmMain.h"
#include "gui/TFrmMatch.h"

using hj::casestore::CaseRecord;
using hj::casestore::CaseStore;
using hj::gui::TFrmMain;
using hj::gui::TFrmMatch;
using hjtest::child;

class TestTFrmMatch : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void twoCasesChosenFromTheTree();
    void currentChartWithTypedSecondBirth();
    void noSecondPersonIsRefused();
    void caseWithItselfIsRefused();

private:
    void openMain();
    int addRecord(const char* name, int year, bool male);
    // 与…合婚 on the case node of `index`; the window it opens.
    TFrmMatch* matchFromTree(int index);
    // The colour of the first character `c` after `after` in the items pane.
    static QColor colourOf(TFrmMatch* w, const QString& after, QChar c);

    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<TFrmMain> win;
};

void TestTFrmMatch::init() { root = std::make_unique<hjtest::DataRoot>(); }

void TestTFrmMatch::cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("FrmMatch")) w->close();
    if (win) {
        win->caseSession()->dropOpenCase();
        win->close();
    }
    win.reset();
    root.reset();
}

void TestTFrmMatch::openMain() {
    win = std::make_unique<TFrmMain>(root->path());
    win->resize(900, 600);
    win->show();
    QTest::qWait(10);
}

int TestTFrmMatch::addRecord(const char* name, int year, bool male) {
    CaseStore s;
    if (!s.openStore(root->path().toStdString())) return -1;
    CaseRecord r;
    r.name = name;
    r.className = "朋友";
    r.year = static_cast<std::int16_t>(year);
    r.month = 6;
    r.day = 15;
    r.hour = 10;
    r.male = male;
    return s.addRecord(r);
}

TFrmMatch* TestTFrmMatch::matchFromTree(int index) {
    auto* tree = child<QTreeWidget>(win.get(), "Tree");
    QTreeWidgetItem* item = win->caseTree()->caseNode(index);
    if (!item) return nullptr;
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    const QPoint at = tree->visualItemRect(item).center();
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree->viewport(), &e);
    QAction* match = child<QAction>(win.get(), "pmnuMatch");
    win->caseTree()->popupMenu()->close();
    if (!match->isEnabled()) return nullptr;
    match->trigger();
    return win->findChild<TFrmMatch*>(QStringLiteral("FrmMatch"));
}

QColor TestTFrmMatch::colourOf(TFrmMatch* w, const QString& after, QChar c) {
    auto* pane = child<hj::gui::ReportEdit>(w, "RedtMatch");
    const QString text = pane->toPlainText();
    const int from = text.indexOf(after);
    if (from < 0) return {};
    const int at = text.indexOf(c, from + after.size());
    if (at < 0) return {};
    QTextCursor cur(pane->document());
    cur.setPosition(at);
    cur.setPosition(at + 1, QTextCursor::KeepAnchor);
    return cur.charFormat().foreground().color();
}

// 1990 is a 午 year, 1991 a 未 year: 午未 are a 六合, favourable, shown in green.
void TestTFrmMatch::twoCasesChosenFromTheTree() {
    const int zhang = addRecord("张三", 1990, true);
    addRecord("王五", 1985, true);
    const int li = addRecord("李四", 1991, false);
    openMain();
    TFrmMatch* w = matchFromTree(zhang);
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(child<QLabel>(w, "LblFirst")->text().contains(QStringLiteral("张三")));
    QCOMPARE(child<QTabWidget>(w, "TabSecond")->currentIndex(), 0);

    auto* list = child<QListWidget>(w, "LstCases");
    QCOMPARE(list->count(), 3);
    // Narrowed by name, then chosen.
    hjtest::retype(child<QLineEdit>(w, "EdtFind"), QStringLiteral("李"));
    QListWidgetItem* second = nullptr;
    int shown = 0;
    for (int i = 0; i < list->count(); ++i)
        if (!list->item(i)->isHidden()) {
            ++shown;
            second = list->item(i);
        }
    QCOMPARE(shown, 1);
    QCOMPARE(second->data(Qt::UserRole).toInt(), li);
    list->setCurrentItem(second);
    QTest::mouseClick(child<QPushButton>(w, "BtnMatch"), Qt::LeftButton);

    const QString text = w->itemsText();
    QVERIFY2(text.contains(QStringLiteral("男：张三")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("女：李四")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("生肖：六合　午未　吉")), qPrintable(text));
    QCOMPARE(colourOf(w, QStringLiteral("生肖：六合"), QChar(0x5409)).rgb() & 0xFFFFFF,
             QRgb(hj::match::kGoodColor));
    // The two cards side by side: the first person's chart and the second's.
    const auto* cardA = child<hj::gui::ChartCardView>(w, "CardA");
    const auto* cardB = child<hj::gui::ChartCardView>(w, "CardB");
    QVERIFY(cardA->chart() && cardB->chart());
    QCOMPARE(QString::fromStdString(hj::pillarName(cardA->chart()->pillars[0])), QStringLiteral("庚午"));
    QCOMPARE(QString::fromStdString(hj::pillarName(cardB->chart()->pillars[0])), QStringLiteral("辛未"));
    QVERIFY(child<QPushButton>(w, "BtnSave")->isEnabled());
    hjtest::screenshot(w, QStringLiteral("TFrmMatch"));
    // The cards grow with the window, not only at a match.
    w->resize(700, 450);
    QTest::qWait(50);
    const int before = cardA->height();
    w->resize(1100, 760);
    QTRY_VERIFY(cardA->height() > before);
    hjtest::screenshot(w, QStringLiteral("TFrmMatch-larger"));
}

// The main window's chart first, the second typed in the window's own birth inputs.
void TestTFrmMatch::currentChartWithTypedSecondBirth() {
    openMain();
    hjtest::retype(child<QLineEdit>(win.get(), "Edtname"), QStringLiteral("赵六"));
    hjtest::retype(child<QLineEdit>(win.get(), "EdtYear"), QStringLiteral("1984"));
    child<QComboBox>(win.get(), "cbom")->setCurrentIndex(5);  // June: the year pillar whatever today is
    QTest::mouseClick(child<QPushButton>(win.get(), "BtnPai"), Qt::LeftButton);
    QVERIFY(win->chartValid());
    child<QAction>(win.get(), "mnuT_match")->trigger();
    auto* w = win->findChild<TFrmMatch*>(QStringLiteral("FrmMatch"));
    QVERIFY(w);
    QCOMPARE(child<QTabWidget>(w, "TabSecond")->currentIndex(), 1);
    auto* inputs = child<QWidget>(w, "Inputs2");
    // The second starts as the other sex; no report is written here, so no 流年 box.
    QVERIFY(child<QRadioButton>(inputs, "Rdonv")->isChecked());
    QVERIFY(child<QCheckBox>(inputs, "ChkLiuNian")->isHidden());
    hjtest::retype(child<QLineEdit>(inputs, "Edtname"), QStringLiteral("钱七"));
    hjtest::retype(child<QLineEdit>(inputs, "EdtYear"), QStringLiteral("1990"));
    child<QComboBox>(inputs, "cbom")->setCurrentIndex(5);
    QTest::mouseClick(child<QPushButton>(w, "BtnMatch"), Qt::LeftButton);
    const QString text = w->itemsText();
    // 1984 is a 子 year, 1990 a 午 year: 子午 clash, unfavourable, in red.
    QVERIFY2(text.startsWith(QStringLiteral("合婚对照：赵六、钱七\n男：赵六")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("女：钱七")), qPrintable(text));
    // Both births, as the saved file and the printout carry them.
    QCOMPARE(text.count(QStringLiteral("　出生 ")), 2);
    QVERIFY2(text.contains(QStringLiteral("1990年6月")), qPrintable(text));
    QVERIFY(w->windowTitle().contains(QStringLiteral("赵六、钱七")));
    QVERIFY2(text.contains(QStringLiteral("生肖：六冲　子午　凶")), qPrintable(text));
    QCOMPARE(colourOf(w, QStringLiteral("生肖：六冲"), QChar(0x51F6)).rgb() & 0xFFFFFF, QRgb(hj::match::kBadColor));
}

void TestTFrmMatch::noSecondPersonIsRefused() {
    const int zhang = addRecord("张三", 1990, true);
    openMain();
    TFrmMatch* w = matchFromTree(zhang);
    QVERIFY(w);
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(w, "BtnMatch"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.size(), 1u);
    QVERIFY(modals.boxes[0].text.contains(QStringLiteral("选择第二人")));
    QVERIFY(w->itemsText().isEmpty());
    QVERIFY(!child<QPushButton>(w, "BtnSave")->isEnabled());
    QVERIFY(modals.unexpected.isEmpty());
}

// A case chosen as its own partner is refused with a word, and nothing is compared.
void TestTFrmMatch::caseWithItselfIsRefused() {
    const int zhang = addRecord("张三", 1990, true);
    addRecord("李四", 1991, false);
    openMain();
    TFrmMatch* w = matchFromTree(zhang);
    QVERIFY(w);
    auto* list = child<QListWidget>(w, "LstCases");
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::UserRole).toInt() == zhang) list->setCurrentItem(list->item(i));
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(w, "BtnMatch"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.size(), 1u);
    QVERIFY(modals.boxes[0].text.contains(QStringLiteral("不能与自己合婚")));
    QVERIFY(w->itemsText().isEmpty());
    QVERIFY(modals.unexpected.isEmpty());
}

HJ_GUI_TEST(TestTFrmMatch)
#include "gui_TFrmMatch.moc"
