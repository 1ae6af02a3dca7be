#include "gui/StoreWatcher.h"

#include <QFileSystemWatcher>
#include <QTimer>

#include "core/casestore/case_store.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

namespace {
constexpr int kSettleMs = 150;   // a burst of file events becomes one check
constexpr int kPollMs = 2000;
}  // namespace

StoreWatcher::StoreWatcher(casestore::CaseStore& store, QObject* parent)
    : QObject(parent), store_(store), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this)),
      poll_(new QTimer(this)) {
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, &StoreWatcher::check);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::fileChanged, settle_, qOverload<>(&QTimer::start));
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &StoreWatcher::check);
    poll_->start();
    markSeen();
    watchPaths();
}

void StoreWatcher::watchPaths() {
    if (!store_.isOpen()) return;
    // A replaced file drops out of the watcher: add whatever is there again.
    const QString dat = qs(store_.programDir()) + QStringLiteral("/dat");
    const QStringList want{dat, qs(store_.recordFilePath(0))};
    for (const QString& p : want)
        if (!watcher_->files().contains(p) && !watcher_->directories().contains(p)) watcher_->addPath(p);
}

void StoreWatcher::ownChangeDone() {
    const std::uint64_t count = store_.changeCount();
    if (count != seenCount_ + 1) return;  // someone else changed it too: let check() report it
    markSeen();
}

void StoreWatcher::markSeen() {
    seen_ = store_.changeStamp();
    seenCount_ = store_.changeCount();
}

void StoreWatcher::check() {
    watchPaths();
    const std::string now = store_.changeStamp();
    if (now == seen_) return;
    seen_ = now;
    seenCount_ = store_.changeCount();
    emit changed();
}

}  // namespace hj::gui
