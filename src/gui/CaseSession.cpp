#include "gui/CaseSession.h"

#include <QApplication>
#include <QTimer>
#include <QToolButton>

#include "core/calendar/datetime.h"
#include "core/rtf/rtf.h"
#include "gui/BirthInputs.h"
#include "gui/CaseSupport.h"
#include "gui/CaseTree.h"
#include "gui/GuiSupport.h"
#include "gui/ReportEdit.h"
#include "gui/StoreWatcher.h"
#include "gui/TFrmFenLei.h"
#include "gui/TFrmMain.h"

namespace hj::gui {

using casestore::CaseRecord;

CaseSession::CaseSession(TFrmMain& window, CaseTree& tree) : QObject(&window), w_(window), tree_(tree) {
    tree_.setOpenCaseQuery([this] { return state_.openCaseId(); });
    connect(&tree_, &CaseTree::openCaseRequested, this, &CaseSession::openCase);
    connect(&tree_, &CaseTree::recordChanged, this, &CaseSession::recordChanged);
    connect(&tree_, &CaseTree::caseDeleted, this, &CaseSession::caseDeleted);
    watcher_ = new StoreWatcher(w_.caseStore(), this);
    connect(watcher_, &StoreWatcher::changed, this, &CaseSession::storeChanged);
    connect(&tree_, &CaseTree::storeChangedHere, watcher_, &StoreWatcher::ownChangeDone);
    showMode();
}

void CaseSession::showMode() {
    QToolButton* b = w_.SbtoSave;
    b->setText(state_.editingCase() ? QStringLiteral("存旧") : QStringLiteral("存新"));
    b->setToolTip(orphaned_ ? QStringLiteral("这个命例已被另一个窗口或程序删除或替换，不在命例库中了；存新可把它另存为新命例")
                            : QStringLiteral("保存记录"));
    QPalette pal = b->palette();
    pal.setColor(QPalette::ButtonText, state_.editingCase() ? QColor(Qt::blue) : QColor(Qt::black));
    b->setPalette(pal);
}

void CaseSession::askToSaveChanges() {
    if (state_.editingCase() && w_.Redtbazi->isModified() &&
        message(&w_, QStringLiteral("当前命例文本已改变，要保存吗？"), QStringLiteral("提示"), QMessageBox::Warning,
                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        saveCase();
}

void CaseSession::dropOpenCase() {
    state_.leaveEditing();
    orphaned_ = false;
    showMode();
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
}

void CaseSession::followStore() {
    if (!state_.editingCase()) return;
    casestore::CaseStore& store = w_.caseStore();
    CaseRecord now;
    const bool live = store.readRecord(state_.openCaseId(), now);
    if (!live && !store.lastError().empty()) return;  // unreadable for now: judge at the next change
    if (state_.followStore(live ? &now : nullptr)) {
        orphaned_ = true;  // the pane keeps its text; 存新 stores it as a new case
        showMode();
    }
}

bool CaseSession::saveReport(const casestore::CaseRef& ref, QString* error) {
    casestore::CaseStore& store = w_.caseStore();
    if (store.saveReport(ref, rtf::writeRtf(w_.Redtbazi->toRtfDocument()))) {
        watcher_->ownChangeDone();
        return true;
    }
    *error = qs(store.lastError());
    return false;
}

bool CaseSession::storedReportHasText(int index) {
    std::string bytes;
    rtf::Document doc;
    if (!w_.caseStore().loadReport(index, bytes) || !rtf::readRtf(bytes, doc, nullptr)) return false;
    for (const rtf::Paragraph& p : doc.paragraphs)
        for (const rtf::Run& r : p.runs)
            if (!QString::fromStdString(r.text).trimmed().isEmpty()) return true;
    return false;
}

void CaseSession::saveCase() {
    casestore::CaseStore& store = w_.caseStore();
    if (state_.editingCase()) {
        const int id = state_.openCaseId();
        if (message(&w_, QStringLiteral("要修改“%1”这条记录吗？").arg(qs(state_.record().name)), QStringLiteral("提示"),
                    QMessageBox::Information, QMessageBox::Yes | QMessageBox::No) == QMessageBox::No)
            return;
        // An emptied pane would wipe the stored report for good: ask on its own, 否 first.
        if (w_.Redtbazi->toPlainText().trimmed().isEmpty() && storedReportHasText(id) &&
            !askYesNoDefaultNo(&w_,
                               QStringLiteral("命稿是空的。要用空白命稿替换“%1”已保存的命稿吗？")
                                   .arg(qs(state_.record().name)),
                               QStringLiteral("注意")))
            return;
        // Record and report in one change; the store refuses a slot that is no longer live.
        const std::string report = rtf::writeRtf(w_.Redtbazi->toRtfDocument());
        std::uint64_t storedId = 0;
        if (!store.writeRecord(state_.openCase(), state_.record(), &report, &storedId)) {
            const bool stale = store.lastError() == casestore::kStaleCase;
            message(&w_, QStringLiteral("未能保存命例：%1").arg(qs(store.lastError())), QStringLiteral("错误"),
                    QMessageBox::Critical);
            if (stale) storeChanged();
            return;
        }
        watcher_->ownChangeDone();
        w_.Redtbazi->setModified(false);
        CaseRecord shown = state_.record();
        shown.index = id;
        shown.caseId = storedId;
        state_.saved(shown);
        tree_.updateCase(shown);
        message(&w_, QStringLiteral("已保存编辑后的命例。"), appTitle());
        return;
    }
    if (!w_.chartValid()) {
        message(&w_, QStringLiteral("请先排一个正确的盘后再保存"), QStringLiteral("提示"), QMessageBox::Information);
        return;
    }
    QString cls, note;
    {
        w_.settings().refresh();  // classes added by another window since the file was read
        TFrmFenLei dlg(w_.settings(), &w_);
        if (dlg.exec() != QDialog::Accepted) return;
        cls = dlg.className();
        note = dlg.note();
    }
    CaseRecord& r = state_.record();
    r.className = u8(cls);
    r.note = u8(note);
    const std::string report = rtf::writeRtf(w_.Redtbazi->toRtfDocument());
    std::uint64_t newId = 0;
    const int n = store.addRecord(r, &report, &newId);
    if (n < 0) {
        message(&w_, QStringLiteral("未能保存命例：%1").arg(qs(store.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    watcher_->ownChangeDone();
    orphaned_ = false;
    showMode();
    r.index = n;
    r.caseId = newId;
    tree_.addCase(r);
}

void CaseSession::openCase(const casestore::CaseRef& ref) {
    casestore::CaseStore& store = w_.caseStore();
    const int index = ref.slot;
    CaseRecord r;
    std::string report;
    bool hasReport = false;
    // Record and report in one read: another process may remove and refill the slot meanwhile.
    bool live = store.readCase(index, r, &report, &hasReport);
    if (!live && !store.lastError().empty()) {
        // A report that cannot be read (too large, not a regular file) is computed again below.
        live = store.readRecord(index, r);
        hasReport = false;
    }
    if (!live || (ref.id != 0 && r.caseId != ref.id)) {
        // The tree showed a case that has left its slot since.
        message(&w_, QStringLiteral("未能打开命例：%1").arg(qs(std::string(casestore::kStaleCase))), QStringLiteral("错误"),
                QMessageBox::Critical);
        storeChanged();
        return;
    }
    askToSaveChanges();
    w_.setChartValid(false);
    w_.birthInputs()->setRequest(app::requestFromRecord(r));
    const std::optional<ChartRequest> shown = w_.birthInputs()->request();
    if (!shown) {
        // The inputs no longer show the open case: a later save must not write them into it.
        dropOpenCase();
        return;
    }
    state_.open(index, r, store.reportPath(index));
    orphaned_ = false;
    showMode();
    ChartRecord& engine = w_.engine();
    engine.reportOutput = true;
    if (hasReport) {
        QString error;
        w_.Redtbazi->clearWithDefaults();
        // A stored report that cannot be read is computed again (and stored again) instead.
        engine.reportOutput = !w_.Redtbazi->loadBytes(report, &error);
    }
    const bool computed = engine.reportOutput;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ChartRequest& req = *shown;
    const bool ok = engine.buildReport(req);
    QApplication::restoreOverrideCursor();
    engine.reportOutput = true;
    if (!ok) {
        w_.setChartResult(req, false);
        message(&w_, qs(engine.lastError), QStringLiteral("错误"), QMessageBox::Critical);
        return;
    }
    if (computed) {
        QString error;
        if (!saveReport(state_.openCase(), &error))
            message(&w_, QStringLiteral("命稿未能保存：%1").arg(error), QStringLiteral("错误"), QMessageBox::Critical);
    }
    w_.setChartResult(req, true);
    w_.Redtbazi->setModified(false);
}

void CaseSession::newCase() {
    askToSaveChanges();
    w_.Redtbazi->clearWithDefaults();
    state_.leaveEditing();
    orphaned_ = false;
    w_.Redtbazi->setModified(false);
    w_.setChartValid(false);
    showMode();
}

void CaseSession::recordChanged(const CaseRecord& before, const CaseRecord& after) {
    state_.applyStoredChange(before, after);
}

void CaseSession::caseDeleted(int index, bool emptyPane) {
    if (!state_.forgetDeleted(index)) return;
    if (emptyPane) {
        w_.Redtbazi->clearWithDefaults();
        w_.Redtbazi->setModified(false);
        w_.setChartValid(false);
    }
    showMode();
}

}  // namespace hj::gui
