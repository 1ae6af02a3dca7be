#include "gui/OnTopGuard.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace hj::gui {
namespace {

void setOnTop(QWidget* w, bool on) {
    if (QWindow* handle = w ? w->windowHandle() : nullptr) handle->setFlag(Qt::WindowStaysOnTopHint, on);
}

bool isDialog(const QWidget* w) {
    return w->isWindow() && (w->windowType() == Qt::Dialog || w->windowType() == Qt::Sheet);
}

}  // namespace

OnTopGuard::OnTopGuard(QWidget* window) : QObject(window), window_(window) { qApp->installEventFilter(this); }

OnTopGuard::~OnTopGuard() { qApp->removeEventFilter(this); }

bool OnTopGuard::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (type != QEvent::Show && type != QEvent::Hide) return QObject::eventFilter(watched, e);
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return QObject::eventFilter(watched, e);
    if (w == window_) {
        if (type == QEvent::Hide) releaseDialogs();
        return QObject::eventFilter(watched, e);
    }
    if (!isDialog(w)) return QObject::eventFilter(watched, e);
    // A dialog's window exists but is not yet mapped when its Show event arrives, so the window
    // manager learns of the hint as the dialog appears.
    if (type == QEvent::Show && window_->isVisible()) {
        setOnTop(w, true);
        if (!lent_.contains(w)) lent_.append(w);
        if (w->windowModality() != Qt::NonModal) setOnTop(window_, false);
    } else if (type == QEvent::Hide && lent_.contains(w)) {
        setOnTop(w, false);
        lent_.removeAll(w);
        // The closing dialog may still count as the modal one: look once it is gone.
        QTimer::singleShot(0, this, &OnTopGuard::restoreUnlessModal);
    }
    return QObject::eventFilter(watched, e);
}

void OnTopGuard::restoreUnlessModal() {
    if (window_->isVisible() && !QApplication::activeModalWidget()) setOnTop(window_, true);
}

void OnTopGuard::releaseDialogs() {
    for (const QPointer<QWidget>& d : lent_) setOnTop(d, false);
    lent_.clear();
}

}  // namespace hj::gui
