#pragma once
// Helpers of the window tests: a scratch data folder, answering modal dialogs as a person
// would, and reading files back.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QSet>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <functional>
#include <string>

#include "core/text/gbk.h"

namespace hjtest {

// A data folder with dat/ and bazi_f/, optionally holding the shipped place file.
struct DataRoot {
    QTemporaryDir dir;
    explicit DataRoot(bool withPlaces = true) {
        QDir(dir.path()).mkpath(QStringLiteral("dat"));
        QDir(dir.path()).mkpath(QStringLiteral("bazi_f"));
        if (withPlaces)
            QFile::copy(QStringLiteral(HJ_SOURCE_DIR "/resources/dat/dili.ini"), dat(QStringLiteral("dili.ini")));
    }
    QString path() const { return dir.path(); }
    QString dat(const QString& file = {}) const { return dir.path() + QStringLiteral("/dat/") + file; }
};

// Whole file as bytes; empty when missing.
inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// A GBK file as UTF-8 text.
inline QString readGbk(const QString& path) {
    const QByteArray b = readBytes(path);
    return QString::fromStdString(hj::text::gbkToUtf8(std::string_view(b.constData(), static_cast<std::size_t>(b.size()))));
}
inline void writeGbk(const QString& path, const QString& utf8) {
    std::string gbk;
    hj::text::utf8ToGbk(utf8.toStdString(), gbk);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(gbk.data(), static_cast<qint64>(gbk.size()));
}

struct BoxSeen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString detail;  // the informative text below the text
};

// Answers modal windows in the order they appear. Each expected window gets its handler; a
// window nobody expected is recorded and rejected, so a test never hangs on it.
class Modals : public QObject {
public:
    Modals() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, &Modals::poll);
        timer_.start();
    }
    ~Modals() override { timer_.stop(); }

    void expect(std::function<void(QWidget*)> handler) { queue_.push_back(std::move(handler)); }
    // A message box to be answered with `button`; its title, text and icon go to `seen`.
    void expectBox(QMessageBox::StandardButton button = QMessageBox::Ok) {
        expect([this, button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY2(box, qPrintable(QStringLiteral("expected a message box, got ") + w->metaObject()->className()));
            boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->informativeText()});
            QAbstractButton* b = box->button(button);
            QVERIFY2(b, "the message box lacks the expected button");
            QMetaObject::invokeMethod(b, &QAbstractButton::click, Qt::QueuedConnection);
        });
    }
    bool idle() const { return queue_.empty(); }

    std::vector<BoxSeen> boxes;
    QStringList unexpected;

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        if (handling_.contains(w)) {
            // A window its handler failed to close would block the test for good.
            if (handledAt_.value(w).elapsed() > 3000) {
                unexpected << QStringLiteral("still open: ") + w->metaObject()->className();
                handledAt_[w].restart();
                QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
            }
            return;
        }
        handling_.insert(w);
        handledAt_[w].start();
        connect(w, &QObject::destroyed, this, [this, w] {
            handling_.remove(w);
            handledAt_.remove(w);
        });
        if (queue_.empty()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            unexpected << (box ? box->windowTitle() + QStringLiteral(": ") + box->text() : QString(w->metaObject()->className()));
            QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
            return;
        }
        auto handler = std::move(queue_.front());
        queue_.pop_front();
        handler(w);
        // The same window object may be shown again (a box on the stack of a loop).
        QTimer::singleShot(0, this, [this, p = QPointer<QWidget>(w), w] {
            if (p && !p->isVisible()) handling_.remove(w);
        });
    }
    QTimer timer_;
    std::deque<std::function<void(QWidget*)>> queue_;
    QSet<QWidget*> handling_;
    QHash<QWidget*, QElapsedTimer> handledAt_;
};

// A control of a window by its name; the test stops when it is missing.
template <class T>
T* child(QObject* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    if (!c) qFatal("no control %s", name);
    return c;
}

// A person ticks a box by clicking its text; near the left edge is always on it.
inline void tick(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }

// Types text as a person would: ASCII on the keyboard, Chinese committed by an input method.
inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(w, QString(c));
        } else {
            QInputMethodEvent e;
            e.setCommitString(QString(c));
            QApplication::sendEvent(w, &e);
        }
    }
}

// Replaces an edit's text by typing.
inline void retype(QWidget* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

// Clicks later, so that a modal window opened by the click does not block the caller.
inline void clickLater(QAbstractButton* b) { QMetaObject::invokeMethod(b, &QAbstractButton::click, Qt::QueuedConnection); }

// Saves a picture of the window when HJ_SCREENSHOT_DIR is set (for looking at layouts).
inline void screenshot(QWidget* w, const QString& name) {
    const QByteArray dir = qgetenv("HJ_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QApplication::processEvents();
    w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace hjtest
