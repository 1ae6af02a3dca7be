// 导入命稿 from outside: texts in UTF-8 without a mark get a choice of encoding, and files too
// large, binary or misnamed are said so; a refused file leaves the pane as it was.
#include <QFile>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/ReportEdit.h"
#include "gui/ReportImport.h"

using hjtest::child;

class TestReportImport : public QObject {
    Q_OBJECT
private slots:
    void importedFiles_data();
    void importedFiles();
};

void TestReportImport::importedFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("answer");  // object name of the button to press, "" for none asked
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QString>("pane");    // the pane's text after, when loaded
    QTest::addColumn<QString>("said");    // part of the message shown, "" for none
    const QByteArray utf8 = QStringLiteral("命主:张三\r\n").toUtf8();
    QTest::newRow("utf-8, read as utf-8") << "a.txt" << utf8 << "BtnUtf8" << true << QStringLiteral("命主:张三\n") << QString();
    QTest::newRow("utf-8, read as gbk") << "a.txt" << utf8 << "BtnGbk" << true
                                        << QString::fromStdString(hj::text::decodeFileText(utf8.toStdString())).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                        << QString();
    QTest::newRow("utf-8, cancelled") << "a.txt" << utf8 << "cancel" << false << QString() << QString();
    QTest::newRow("gbk asks nothing") << "b.txt" << QByteArray("\xC3\xFC\xD6\xF7:\xD5\xC5\xC8\xFD") << "" << true
                                      << QStringLiteral("命主:张三") << QString();
    QTest::newRow("binary") << "c.txt" << QByteArray("PK\x03\x04\x00\x00zip", 10) << "" << false << QString()
                            << QStringLiteral("不是文本或RTF文件");
    // UTF-16 with its mark reads as the text it is, without a question.
    QByteArray utf16("\xFF\xFE", 2);
    for (QChar c : QStringLiteral("命主:张三\r\n")) {
        utf16.append(static_cast<char>(c.unicode() & 0xFF));
        utf16.append(static_cast<char>(c.unicode() >> 8));
    }
    QTest::newRow("utf-16 with its mark") << "f.txt" << utf16 << "" << true << QStringLiteral("命主:张三\n") << QString();
    // A binary part after the first 8 KB of text: refused, not shown as boxes.
    QByteArray late(9000, 'a');
    late.append(QByteArray("\x00\x01\x02\x03", 4));
    QTest::newRow("binary after 8 KB") << "g.txt" << late << "" << false << QString() << QStringLiteral("不是文本或RTF文件");
    QTest::newRow("too large") << "d.txt" << QByteArray() << "" << false << QString() << QStringLiteral("文件太大（上限16 MB）");
    QTest::newRow(".rtf that is text, kept out") << "e.rtf" << QByteArray("plain") << "no" << false << QString()
                                                << QStringLiteral("内容不是RTF格式");
    QTest::newRow(".rtf that is text, taken") << "e.rtf" << QByteArray("plain") << "yes" << true << QStringLiteral("plain")
                                             << QStringLiteral("内容不是RTF格式");
}

void TestReportImport::importedFiles() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, answer);
    QFETCH(bool, loaded);
    QFETCH(QString, pane);
    QFETCH(QString, said);
    QTemporaryDir dir;
    const QString path = dir.path() + QLatin1Char('/') + name;
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        if (bytes.isEmpty()) QVERIFY(f.resize((qint64(16) << 20) + 1));  // sparse, quick
    }
    hj::gui::ReportEdit edit;
    edit.setPlainText(QStringLiteral("原来的"));
    edit.show();
    hjtest::Modals modals;
    QString asked;
    if (answer == QStringLiteral("yes") || answer == QStringLiteral("no")) {
        modals.expectBox(answer == QStringLiteral("yes") ? QMessageBox::Yes : QMessageBox::No);
    } else if (!answer.isEmpty()) {
        modals.expect([&](QWidget* box) {
            QCOMPARE(box->objectName(), QStringLiteral("BoxEncoding"));
            asked = qobject_cast<QMessageBox*>(box)->text();
            hjtest::screenshot(box, QStringLiteral("BoxEncoding"));
            if (answer == QStringLiteral("cancel")) QMetaObject::invokeMethod(box, "reject", Qt::QueuedConnection);
            else hjtest::clickLater(child<QPushButton>(box, qPrintable(answer)));
        });
    } else if (!said.isEmpty()) {
        modals.expectBox();
    }
    QCOMPARE(hj::gui::ReportImport(edit).importFile(path), loaded);
    QTRY_VERIFY(modals.idle());
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QLatin1Char('|'))));
    if (!said.isEmpty()) {
        QVERIFY(!modals.boxes.empty());
        QVERIFY2(modals.boxes.at(0).text.contains(said), qPrintable(modals.boxes.at(0).text));
    }
    // The question shows a line of each reading.
    if (!asked.isEmpty()) QVERIFY2(asked.contains(QStringLiteral("UTF-8：命主:张三")), qPrintable(asked));
    QCOMPARE(edit.toPlainText(), loaded ? pane : QStringLiteral("原来的"));
}

HJ_GUI_TEST(TestReportImport)
#include "gui_ReportImport.moc"
