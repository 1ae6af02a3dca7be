#pragma once
// Keeps an always-on-top window of the program (the calendar, 八字断语) from covering the
// program's own dialogs. While the window is shown, a dialog that opens is put on top too, so
// that it is not hidden under the window; a modal dialog takes the window's on-top state away
// until no modal dialog is left, so the window never covers the only window that answers
// clicks. A dialog loses the on-top state it was lent when it hides or when the window hides,
// so it never keeps it beyond the window that needed it.
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace hj::gui {

class OnTopGuard : public QObject {
    Q_OBJECT
public:
    // `window` is a top-level window with Qt::WindowStaysOnTopHint; the guard is its child.
    explicit OnTopGuard(QWidget* window);
    ~OnTopGuard() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void restoreUnlessModal();
    void releaseDialogs();

    QWidget* window_;
    QList<QPointer<QWidget>> lent_;  // dialogs given the on-top state while the window was up
};

}  // namespace hj::gui
