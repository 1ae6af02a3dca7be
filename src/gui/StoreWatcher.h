#pragma once
// Notices changes that other windows and processes make to the case store: a file watcher on
// the data folder and record file 0, and a slow poll for what a watcher can miss (a file
// replaced by an import, a folder on a network share). Both only compare the store's change
// stamp, which costs two small reads, and `changed` is sent once per burst of changes.
#include <QObject>
#include <cstdint>
#include <string>

class QFileSystemWatcher;
class QTimer;

namespace hj::casestore {
class CaseStore;
}

namespace hj::gui {

class StoreWatcher : public QObject {
    Q_OBJECT
public:
    StoreWatcher(casestore::CaseStore& store, QObject* parent = nullptr);

    // This window changed the store itself and already shows the result: the stamp now on
    // disk is taken as seen, so no refresh follows. A change another process made in between
    // still comes through on the next poll, as the counter then moved by more than one.
    void ownChangeDone();
    // The store as it is now is shown: only a later change is reported.
    void markSeen();
    // Compares the stamp now (also done by the watcher and the poll).
    void check();

signals:
    void changed();

private:
    void watchPaths();

    casestore::CaseStore& store_;
    QFileSystemWatcher* watcher_;
    QTimer* settle_;
    QTimer* poll_;
    std::string seen_;
    std::uint64_t seenCount_ = 0;
};

}  // namespace hj::gui
