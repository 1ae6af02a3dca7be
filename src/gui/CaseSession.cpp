#include "gui/CaseSession.h"

#include <QApplication>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "core/calendar/datetime.h"
#include "core/rtf/rtf.h"
#include "gui/BirthInputs.h"
#include "gui/CaseSupport.h"
#include "gui/CaseTree.h"
#include "gui/GuiSupport.h"
#include "gui/ReportEdit.h"
#include "gui/StoreWatcher.h"
#include "gui/TFrmFenLei.h"

namespace hj::gui {

using casestore::CaseRecord;

CaseSession::CaseSession(casestore::CaseStore& store, CaseTree& tree, ReportEdit& pane, BirthInputs& inputs,
                         text::IniFile& settings, ChartHost& host, QWidget* window)
    : QObject(window), store_(store), tree_(tree), pane_(pane), inputs_(inputs), settings_(settings), host_(host),
      window_(window) {
    tree_.setOpenCaseQuery([this] { return state_.openCaseId(); });
    connect(&tree_, &CaseTree::openCaseRequested, this, &CaseSession::openCase);
    connect(&tree_, &CaseTree::recastRequested, this, &CaseSession::recastCase);
    connect(&tree_, &CaseTree::recordChanged, this, &CaseSession::recordChanged);
    connect(&tree_, &CaseTree::caseDeleted, this, &CaseSession::caseDeleted);
    watcher_ = new StoreWatcher(store_, this);
    connect(watcher_, &StoreWatcher::changed, this, &CaseSession::storeChanged);
    connect(&tree_, &CaseTree::storeChangedHere, watcher_, &StoreWatcher::ownChangeDone);
    connect(&tree_, &CaseTree::staleCaseSeen, this, &CaseSession::storeChanged);
    // The store is the window's, as this session is: the hook never outlives its use.
    store_.setWaitHook([this](int waitedMs) { return keepWaiting(waitedMs); });
}

bool CaseSession::keepWaiting(int waitedMs) {
    // Another process holds the store. A short wait goes unseen; a longer one shows a window
    // that says so and can stop waiting. Only that window takes input meanwhile.
    constexpr int kShowAfterMs = 400;
    if (waitedMs < kShowAfterMs && !waitBox_) return true;
    if (!waitBox_) {
        waitBox_ = new QProgressDialog(QStringLiteral("命例库正被另一个程序使用，正在等待它用完……"), QStringLiteral("不再等待"),
                                       0, 0, window_);
        waitBox_->setObjectName(QStringLiteral("StoreWaitBox"));
        waitBox_->setWindowTitle(appTitle());
        waitBox_->setWindowModality(Qt::ApplicationModal);
        waitBox_->setMinimumDuration(0);
        waitBox_->setAutoClose(false);
        waitBox_->setAutoReset(false);
        waitBoxGone_ = new QTimer(waitBox_);
        waitBoxGone_->setSingleShot(true);
        waitBoxGone_->setInterval(300);
        connect(waitBoxGone_, &QTimer::timeout, waitBox_, &QObject::deleteLater);
        waitBox_->show();
    }
    // The window goes once no wait has asked for it for a moment (the operation has ended).
    waitBoxGone_->start();
    QCoreApplication::processEvents();
    if (!waitBox_) return true;
    if (!waitBox_->wasCanceled()) return true;
    waitBox_->deleteLater();  // the next wait starts afresh
    waitBox_ = nullptr;
    return false;
}

void CaseSession::askToSaveChanges() {
    if (state_.editingCase() && pane_.isModified() &&
        message(window_, QStringLiteral("当前命例文本已改变，要保存吗？"), QStringLiteral("提示"), QMessageBox::Warning,
                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        saveCase();
}

void CaseSession::dropOpenCase() {
    state_.leaveEditing();
    orphaned_ = false;
    newChartSaved_ = true;  // nothing in the pane is to be stored any more: no question about it
    emit modeChanged();
}

void CaseSession::storeChanged() {
    // A dialog is open: a tree or case command may still hold nodes and state of the store as
    // it was when it began. Look again once it has closed.
    if (QApplication::activeModalWidget()) {
        if (!retryPending_) {
            retryPending_ = true;
            QTimer::singleShot(300, this, [this] {
                retryPending_ = false;
                storeChanged();
            });
        }
        return;
    }
    tree_.refresh();
    followStore();
    watcher_->markSeen();  // what is shown now: the watcher need not report it again
}

void CaseSession::followStore() {
    if (!state_.editingCase()) return;
    CaseRecord now;
    const bool live = store_.readRecord(state_.openCaseId(), now);
    if (!live && !store_.lastError().empty()) return;  // unreadable for now: judge at the next change
    if (state_.followStore(live ? &now : nullptr)) {
        orphaned_ = true;  // the pane keeps its text; 存新 stores it as a new case
        emit modeChanged();
    }
}

bool CaseSession::saveReport(const casestore::CaseRef& ref, QString* error) {
    casestore::CaseRef stored;
    if (store_.saveReport(ref, rtf::writeRtf(pane_.toRtfDocument()), &stored)) {
        watcher_->ownChangeDone();
        state_.reportSaved(stored);
        tree_.caseRevised(stored);
        return true;
    }
    *error = qs(store_.lastError());
    return false;
}

bool CaseSession::storedReportHasText(int index) {
    std::string bytes;
    rtf::Document doc;
    if (!store_.loadReport(index, bytes) || !rtf::readRtf(bytes, doc, nullptr)) return false;
    for (const rtf::Paragraph& p : doc.paragraphs)
        for (const rtf::Run& r : p.runs)
            if (!QString::fromStdString(r.text).trimmed().isEmpty()) return true;
    return false;
}

void CaseSession::saveCase() {
    if (state_.editingCase()) {
        const int id = state_.openCaseId();
        if (message(window_, QStringLiteral("要修改“%1”这条记录吗？").arg(qs(state_.record().name)), QStringLiteral("提示"),
                    QMessageBox::Information, QMessageBox::Yes | QMessageBox::No) == QMessageBox::No)
            return;
        // An emptied pane would wipe the stored report for good: ask on its own, 否 first.
        if (pane_.toPlainText().trimmed().isEmpty() && storedReportHasText(id) &&
            !askYesNoDefaultNo(window_,
                               QStringLiteral("命稿是空的。要用空白命稿替换“%1”已保存的命稿吗？")
                                   .arg(qs(state_.record().name)),
                               QStringLiteral("注意")))
            return;
        // Record and report in one change; the store refuses a slot that is no longer live.
        const std::string report = rtf::writeRtf(pane_.toRtfDocument());
        casestore::CaseRef stored;
        const casestore::CaseRef mine = state_.openCase();
        if (!store_.writeRecord(mine, state_.record(), &report, &stored)) {
            if (store_.lastError() == casestore::kStaleCase) {
                offerAfterStaleSave(mine);
                return;
            }
            message(window_, QStringLiteral("未能保存命例：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                    QMessageBox::Critical);
            return;
        }
        watcher_->ownChangeDone();
        pane_.setModified(false);
        CaseRecord shown = state_.record();
        shown.index = id;
        shown.caseId = stored.id;
        shown.revision = stored.revision;
        state_.saved(shown);
        tree_.updateCase(shown);
        message(window_, QStringLiteral("已保存编辑后的命例。"), appTitle());
        return;
    }
    if (!host_.chartValid()) {
        message(window_, QStringLiteral("请先排一个正确的盘后再保存"), QStringLiteral("提示"), QMessageBox::Information);
        return;
    }
    QString cls, note;
    {
        settings_.refresh();  // classes added by another window since the file was read
        TFrmFenLei dlg(settings_, window_, tree_.classNames());
        if (dlg.exec() != QDialog::Accepted) return;
        cls = dlg.className();
        note = dlg.note();
    }
    CaseRecord& r = state_.record();
    r.className = u8(cls);
    r.note = u8(note);
    const std::string report = rtf::writeRtf(pane_.toRtfDocument());
    casestore::CaseRef added;
    const int n = store_.addRecord(r, &report, &added);
    if (n < 0) {
        message(window_, QStringLiteral("未能保存命例：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    watcher_->ownChangeDone();
    orphaned_ = false;
    newChartSaved_ = true;
    emit modeChanged();
    r.index = n;
    r.caseId = added.id;
    r.revision = added.revision;
    tree_.addCase(r);
}

void CaseSession::offerAfterStaleSave(const casestore::CaseRef& mine) {
    // The case changed (or went) since this window read it: its save would undo the other
    // change. Offer to open the case as it is now, or to keep this text as a new case.
    CaseRecord now;
    const bool stillThere = store_.readRecord(mine.slot, now) && now.caseId == mine.id;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("错误"),
                    QStringLiteral("未能保存命例：%1").arg(qs(std::string(casestore::kStaleCase))),
                    (stillThere ? QMessageBox::Open : QMessageBox::NoButton) | QMessageBox::Save | QMessageBox::Cancel,
                    window_);
    box.setInformativeText(stillThere ? QStringLiteral("可以重新打开这个命例（这里的修改将放弃），或把这里的内容存为新命例。")
                                      : QStringLiteral("可以把这里的内容存为新命例。"));
    if (stillThere) box.button(QMessageBox::Open)->setText(QStringLiteral("重新打开"));
    box.button(QMessageBox::Save)->setText(QStringLiteral("存新"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    box.setDefaultButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer == QMessageBox::Open) {
        pane_.setModified(false);  // the user chose to give up these edits
        openCase(casestore::CaseRef{mine.slot, mine.id});
    } else if (answer == QMessageBox::Save) {
        dropOpenCase();
        newChartSaved_ = false;
        saveCase();
    } else {
        storeChanged();
    }
}

void CaseSession::recastCase(const casestore::CaseRef& ref) {
    recast_ = true;
    openCase(ref);
    recast_ = false;
}

void CaseSession::openCase(const casestore::CaseRef& ref) {
    const int index = ref.slot;
    CaseRecord r;
    std::string report;
    bool hasReport = false;
    // Record and report in one read: another process may remove and refill the slot meanwhile.
    bool live = store_.readCase(index, r, &report, &hasReport);
    QString unreadable;  // why a stored report cannot be read
    if (!live && !store_.lastError().empty()) {
        const std::string why = store_.lastError();
        // The report alone may be unreadable; a busy store is not asked again.
        live = !store_.lastFailureBusy() && store_.readRecord(index, r);
        if (live) {
            unreadable = qs(why);
            hasReport = false;
        } else if (!store_.lastError().empty()) {
            // Busy or unreadable: say so; the case and the tree are as they were.
            message(window_, QStringLiteral("未能打开命例：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                    QMessageBox::Critical);
            return;
        }
    }
    if (!live || (ref.id != 0 && r.caseId != ref.id)) {
        // The tree showed a case that has left its slot since.
        message(window_, QStringLiteral("未能打开命例：%1").arg(qs(std::string(casestore::kStaleCase))), QStringLiteral("错误"),
                QMessageBox::Critical);
        storeChanged();
        return;
    }
    if (!askAboutUnsavedWork()) return;
    host_.dropChart();
    inputs_.setRequest(presentation::requestFromRecord(r));
    const std::optional<ChartRequest> req = inputs_.request();
    if (!req) {
        // The inputs no longer show the open case: a later save must not write them into it.
        dropOpenCase();
        return;
    }
    state_.open(index, r, store_.reportPath(index));
    orphaned_ = false;
    emit modeChanged();
    // A stored report that cannot be read is computed again; it replaces the stored one only
    // when the user agrees.
    bool keep = false;
    if (hasReport && !recast_) {
        QString error;
        pane_.clearWithDefaults();
        keep = pane_.loadBytes(report, &error);
    }
    if (!host_.castCase(*req, keep)) return;
    const bool replace =
        recast_ || unreadable.isEmpty() ||
        askYesNoDefaultNo(window_,
                          QStringLiteral("“%1”保存的命稿无法读出：%2\n\n要用重新排出的命稿替换它吗？选“否”则保存的命稿保持原样，"
                                         "这里只显示重新排出的命稿。")
                              .arg(qs(r.name), unreadable),
                          QStringLiteral("注意"));
    if (!keep && replace) {
        QString error;
        if (!saveReport(state_.openCase(), &error))
            message(window_, QStringLiteral("命稿未能保存：%1").arg(error), QStringLiteral("错误"), QMessageBox::Critical);
    }
    pane_.setModified(false);
}

bool CaseSession::askAboutUnsavedWork() {
    // A new chart (or a case no longer in the store, whose pane only 存新 can keep) not stored.
    if (chartUnsaved()) {
        const auto answer = message(window_, QStringLiteral("当前命盘还没有保存，要保存吗？"), QStringLiteral("提示"),
                                    QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel) return false;
        if (answer == QMessageBox::Yes) {
            saveCase();
            if (chartUnsaved()) return false;  // not stored (the class dialog cancelled): the chart stays
        }
        return true;
    }
    askToSaveChanges();
    return true;
}

void CaseSession::newCase() {
    if (!askAboutUnsavedWork()) return;
    pane_.clearWithDefaults();
    state_.leaveEditing();
    orphaned_ = false;
    pane_.setModified(false);
    host_.dropChart();
    emit modeChanged();
}

void CaseSession::recordChanged(const CaseRecord& before, const CaseRecord& after) {
    state_.applyStoredChange(before, after);
}

void CaseSession::caseDeleted(int index, bool emptyPane) {
    if (!state_.forgetDeleted(index)) return;
    if (emptyPane) {
        pane_.clearWithDefaults();
        pane_.setModified(false);
        host_.dropChart();
    }
    emit modeChanged();
}

}  // namespace hj::gui
