#include "gui/CaseTree.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QTimer>
#include <QHeaderView>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QSet>
#include <algorithm>
#include <tuple>

#include "core/casestore/case_identity.h"
#include "core/presentation/case_tree.h"
#include "gui/CaseSupport.h"
#include "gui/GuiSupport.h"
#include "gui/TFrmClassEdit.h"
#include "gui/TFrmInfo.h"
#include "gui/TFrmSearch.h"
#include "gui/TraditionalDisplay.h"

namespace hj::gui {

using casestore::CaseRecord;

namespace {

// Records read per step of a build; the progress bar moves between steps.
constexpr std::size_t kBatch = 4000;
constexpr int kIndexRole = Qt::UserRole;
constexpr int kIdRole = Qt::UserRole + 1;  // the case's identity, checked by every change
constexpr int kRevisionRole = Qt::UserRole + 2;  // the revision shown: a removal of a changed case is refused

void setCaseData(QTreeWidgetItem* item, const casestore::CaseRef& ref) {
    item->setData(0, kIndexRole, ref.slot);
    item->setData(0, kIdRole, QVariant::fromValue<qulonglong>(ref.id));
    item->setData(0, kRevisionRole, QVariant::fromValue<qulonglong>(ref.revision));
}

}  // namespace

CaseTree::CaseTree(casestore::CaseStore& store, text::IniFile& ini, QWidget* parent)
    : QTreeWidget(parent), store_(store), ini_(ini), images_(caseTreeImages()) {
    setObjectName(QStringLiteral("Tree"));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    // A narrow indent and no branch mark before the root (always open), so that a case's name
    // and birth date fit the tree's default width.
    setIndentation(std::min(indentation(), 10));
    setRootIsDecorated(false);
    // Long case texts scroll sideways instead of losing their ends (the index is at the end).
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setExpandsOnDoubleClick(true);

    pmnuTree = new QMenu(this);
    pmnuTree->setObjectName(QStringLiteral("pmnuTree"));
    const auto add = [this](const char* name, const QString& text, void (CaseTree::*slot)()) {
        QAction* a = pmnuTree->addAction(text);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    pmnuView = add("pmnuView", QStringLiteral("查看命例"), &CaseTree::ViewClick);
    pmnuEdit = add("pmnuEdit", QStringLiteral("编辑命例"), &CaseTree::EditCaseClick);
    pmnuMoveTo = pmnuTree->addMenu(QStringLiteral("移动到"));
    pmnuMoveTo->setObjectName(QStringLiteral("pmnuMoveTo"));
    pmnuDelCase = add("pmnuDelCase", QStringLiteral("删除命例"), &CaseTree::DeleteCaseClick);
    pmnuMatch = add("pmnuMatch", QStringLiteral("与…合婚"), &CaseTree::MatchClick);
    pmnuTree->addSeparator();
    pmnuAddClass = add("pmnuAddClass", QStringLiteral("增加类别"), &CaseTree::AddClassClick);
    pmnuRenameClass = add("pmnuRenameClass", QStringLiteral("修改类名"), &CaseTree::RenameClassClick);
    pmnuDelClass = add("pmnuDelClass", QStringLiteral("删除类别"), &CaseTree::DeleteClassClick);
    pmnuEditClasses = add("pmnuEditClasses", QStringLiteral("编辑类别文件"), &CaseTree::EditClassesClick);
    pmnuTree->addSeparator();
    pmnuFind = add("pmnuFind", QStringLiteral("查找"), &CaseTree::FindClick);
    pmnuShowAll = add("pmnuShowAll", QStringLiteral("显示全部命例"), &CaseTree::ShowAllClick);
    pmnuTree->addSeparator();
    pmnuExpand = add("pmnuExpand", QStringLiteral("展开"), &CaseTree::ExpandClick);
    pmnuCollapse = add("pmnuCollapse", QStringLiteral("收缩"), &CaseTree::CollapseClick);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("TreeProgress"));
    progress_->setTextVisible(true);
    progress_->setFormat(QStringLiteral("载入命例 %p%"));
    progress_->hide();

    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        updateMenu();
        pmnuTree->popup(viewport()->mapToGlobal(p));
    });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        // Everything needed is taken from the node now, and the open runs after the click is
        // done: a refused open rebuilds the tree, which deletes the node the view still holds.
        const int lv = level(item);
        if (lv == 2) {
            const casestore::CaseRef ref = caseRef(item);
            QTimer::singleShot(0, this, [this, ref] { emit openCaseRequested(ref); });
        }
        // The root of search results leads back to every case.
        if (lv == 0 && listing_ == Listing::Search) QTimer::singleShot(0, this, &CaseTree::ShowAllClick);
    });
}

int CaseTree::level(const QTreeWidgetItem* item) {
    if (!item) return -1;
    if (!item->parent()) return 0;
    return item->parent()->parent() ? 2 : 1;
}

int CaseTree::selectedCase() const {
    QTreeWidgetItem* item = currentItem();
    return level(item) == 2 ? item->data(0, kIndexRole).toInt() : -1;
}

casestore::CaseRef CaseTree::caseRef(const QTreeWidgetItem* item) {
    if (level(item) != 2) return {};
    return casestore::CaseRef{item->data(0, kIndexRole).toInt(),
                              static_cast<std::uint64_t>(item->data(0, kIdRole).toULongLong()),
                              static_cast<std::uint64_t>(item->data(0, kRevisionRole).toULongLong())};
}

std::vector<casestore::CaseRef> CaseTree::classRefs(const QTreeWidgetItem* cls) {
    std::vector<casestore::CaseRef> refs;
    for (int i = 0; i < cls->childCount(); ++i) refs.push_back(caseRef(cls->child(i)));
    return refs;
}

bool CaseTree::refused(const QString& what) {
    message(window(), what.arg(qs(store_.lastError())), QStringLiteral("错误"), QMessageBox::Critical);
    // The tree showed a case that is no longer where it was: show the store as it is now.
    if (store_.lastError() == casestore::kStaleCase) emit staleCaseSeen();
    return false;
}

QTreeWidgetItem* CaseTree::classNode(const QString& name) const {
    if (!root_) return nullptr;
    const std::string key = presentation::classKey(u8(name));
    for (int i = 0; i < root_->childCount(); ++i)
        if (presentation::classKey(u8(root_->child(i)->text(0))) == key) return root_->child(i);
    return nullptr;
}

QStringList CaseTree::classNames() const {
    QStringList names;
    for (int i = 0; root_ && i < root_->childCount(); ++i) names << root_->child(i)->text(0);
    return names;
}

QTreeWidgetItem* CaseTree::makeCaseItem(const CaseRecord& r) {
    // Names and classes stay as typed in 繁體 too, here and in every message that names them.
    keepAsTyped(r.name);
    keepAsTyped(r.className);
    auto* item = new QTreeWidgetItem(QStringList(qs(presentation::caseNodeText(r))));
    item->setToolTip(0, item->text(0));  // the whole text, however narrow the tree
    item->setIcon(0, images_[static_cast<std::size_t>(presentation::caseNodeImage(r))]);
    setCaseData(item, casestore::refOf(r));
    cases_.insert(r.index, item);
    return item;
}

QTreeWidgetItem* CaseTree::ensureClass(const QString& name) {
    if (QTreeWidgetItem* c = classNode(name)) return c;
    auto* c = new QTreeWidgetItem(root_, QStringList(name));
    c->setIcon(0, images_[presentation::kImageClass]);
    return c;
}

void CaseTree::forgetCase(QTreeWidgetItem* item) { cases_.remove(item->data(0, kIndexRole).toInt()); }

void CaseTree::rebuildFirstSlots(int n) {
    std::vector<int> indices(static_cast<std::size_t>(std::max(n, 0)));
    for (int i = 0; i < n; ++i) indices[static_cast<std::size_t>(i)] = i;
    listing_ = Listing::FirstSlots;
    firstSlots_ = std::max(n, 0);
    rebuild(indices);
}

void CaseTree::rebuild(const std::vector<int>& indices) {
    QElapsedTimer timer;
    timer.start();
    // Another process holding the store: the tree keeps showing what it showed (emptying it
    // would look as if the cases were gone) and says why it could not look again.
    std::vector<CaseRecord> probe;
    if (!indices.empty() && !store_.readRecords({indices.front()}, probe) && store_.lastFailureBusy()) {
        message(window(), QStringLiteral("命例未能读出：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    clear();
    cases_.clear();
    cases_.reserve(static_cast<qsizetype>(indices.size()));
    // The nodes are put together away from the view and handed over in one piece: the view
    // then lays them out once instead of once per node.
    root_ = new QTreeWidgetItem(QStringList(QStringLiteral("命例")));
    root_->setIcon(0, images_[presentation::kImageRoot]);
    QHash<QString, QTreeWidgetItem*> classes;
    const bool showProgress = indices.size() > 2 * kBatch;
    if (showProgress) {
        progress_->setRange(0, static_cast<int>(indices.size()));
        progress_->setValue(0);
        const QRect vp = viewport()->geometry();
        progress_->setGeometry(vp.left() + 4, vp.bottom() - 24, std::max(40, vp.width() - 8), 20);
        progress_->show();
        progress_->raise();
    }
    QString failure;
    std::vector<CaseRecord> records;
    for (std::size_t from = 0; from < indices.size(); from += kBatch) {
        const std::size_t to = std::min(indices.size(), from + kBatch);
        const std::vector<int> part(indices.begin() + static_cast<std::ptrdiff_t>(from),
                                    indices.begin() + static_cast<std::ptrdiff_t>(to));
        if (!store_.readRecords(part, records)) {
            failure = qs(store_.lastError());
            break;
        }
        for (const CaseRecord& r : records) {
            if (cases_.contains(r.index)) continue;  // each case is shown once
            const QString cls = qs(r.className);
            const QString key = qs(presentation::classKey(r.className));
            QTreeWidgetItem*& c = classes[key];
            if (!c) {
                c = new QTreeWidgetItem(root_, QStringList(cls));
                c->setIcon(0, images_[presentation::kImageClass]);
            }
            c->addChild(makeCaseItem(r));
        }
        if (showProgress) {
            progress_->setValue(static_cast<int>(to));
            // Let the bar paint; no input is taken while the tree is half built.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    addTopLevelItem(root_);
    root_->setExpanded(true);
    if (listing_ == Listing::Search) {
        // Search results must not pass for the whole store: the root says what they are.
        root_->setText(0, QStringLiteral("搜索结果：%1个命例").arg(cases_.size()));
        root_->setToolTip(0, QStringLiteral("双击此处或右键“显示全部命例”，回到全部命例"));
        for (int i = 0; i < root_->childCount(); ++i) root_->child(i)->setExpanded(true);
    }
    progress_->hide();
    lastBuildMs_ = timer.elapsed();
    if (!failure.isEmpty())
        message(window(), QStringLiteral("命例未能全部读出：%1").arg(failure), QStringLiteral("错误"),
                QMessageBox::Critical);
}

void CaseTree::addCase(const CaseRecord& r) {
    if (!root_) rebuild({});
    if (QTreeWidgetItem* old = caseNode(r.index)) {  // a reused slot still shown: replace it
        forgetCase(old);
        delete old;
    }
    // Search results take in a case saved since only when it matches the search, and count it.
    if (listing_ == Listing::Search) {
        std::vector<int> matching;
        const bool matches = store_.searchRecords(criteria_, matching) &&
                             std::find(matching.begin(), matching.end(), r.index) != matching.end();
        if (matches) {
            QTreeWidgetItem* c = ensureClass(qs(r.className));
            c->addChild(makeCaseItem(r));
            c->setExpanded(true);
        }
        root_->setText(0, QStringLiteral("搜索结果：%1个命例").arg(cases_.size()));
        return;
    }
    QTreeWidgetItem* c = ensureClass(qs(r.className));
    c->addChild(makeCaseItem(r));
    c->setExpanded(true);
}

bool CaseTree::updateCase(const CaseRecord& r) {
    QTreeWidgetItem* item = caseNode(r.index);
    if (!item) return false;
    item->setText(0, qs(presentation::caseNodeText(r)));
    item->setToolTip(0, item->text(0));
    item->setIcon(0, images_[static_cast<std::size_t>(presentation::caseNodeImage(r))]);
    setCaseData(item, casestore::refOf(r));
    return true;
}

void CaseTree::caseRevised(const casestore::CaseRef& ref) {
    QTreeWidgetItem* item = caseNode(ref.slot);
    // A record that had no stored identity got one with this change.
    if (item && (caseRef(item).id == ref.id || !casestore::isStoredIdentity(caseRef(item).id))) setCaseData(item, ref);
}

void CaseTree::updateMenu() {
    QTreeWidgetItem* cur = currentItem();
    const int lv = level(cur);
    if (lv < 0) return;
    for (QAction* a : {pmnuView, pmnuEdit, pmnuDelCase, pmnuMatch}) a->setEnabled(lv == 2);
    pmnuMoveTo->menuAction()->setEnabled(lv == 2);
    for (QAction* a : {pmnuAddClass, pmnuEditClasses, pmnuFind, pmnuShowAll}) a->setEnabled(true);
    for (QAction* a : {pmnuRenameClass, pmnuDelClass}) a->setEnabled(lv == 1);
    for (QAction* a : {pmnuExpand, pmnuCollapse}) a->setEnabled(lv != 2);
    if (lv != 2) return;
    pmnuMoveTo->clear();
    QTreeWidgetItem* own = cur->parent();
    for (int i = 0; i < root_->childCount(); ++i) {
        QTreeWidgetItem* c = root_->child(i);
        if (c == own) continue;
        // "&" doubled: the caption is the exact class name, with no access key.
        QString caption = c->text(0);
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = pmnuMoveTo->addAction(caption);
        a->setObjectName(QStringLiteral("pmnuMoveTo%1").arg(i));
        const QString name = c->text(0);
        connect(a, &QAction::triggered, this, [this, name] { moveCase(name); });
    }
}

// ---- case commands ----

void CaseTree::ViewClick() {
    const int idx = selectedCase();
    if (idx < 0) {
        message(window(), QStringLiteral("请先选择一个命例！"), appTitle());
        return;
    }
    emit openCaseRequested(caseRef(currentItem()));
}

void CaseTree::MatchClick() {
    if (selectedCase() < 0) {
        message(window(), QStringLiteral("请先选择一个命例！"), appTitle());
        return;
    }
    emit matchRequested(caseRef(currentItem()));
}

void CaseTree::moveCase(const QString& className) {
    const int idx = selectedCase();
    QTreeWidgetItem* target = classNode(className);
    if (idx < 0 || !target) return;
    const std::string cls = u8(target->text(0));
    std::vector<std::pair<CaseRecord, CaseRecord>> changed;
    if (!store_.modifyRecords(std::vector<casestore::CaseRef>{caseRef(currentItem())},
                              [&](CaseRecord& r) { r.className = cls; }, &changed)) {
        refused(QStringLiteral("未能移动命例：%1"));
        return;
    }
    emit storeChangedHere();
    if (changed.empty()) return;  // removed meanwhile
    QTreeWidgetItem* old = currentItem();
    const QString text = old->text(0);
    const QIcon icon = old->icon(0);
    forgetCase(old);
    delete old;
    auto* item = new QTreeWidgetItem(target, QStringList(text));
    item->setToolTip(0, text);
    item->setIcon(0, icon);
    setCaseData(item, casestore::refOf(changed.front().second));
    cases_.insert(idx, item);
    emit recordChanged(changed.front().first, changed.front().second);
}

void CaseTree::EditCaseClick() {
    const int idx = selectedCase();
    if (idx < 0) {
        message(window(), QStringLiteral("请先选择一个命例！"), appTitle());
        return;
    }
    const casestore::CaseRef ref = caseRef(currentItem());
    CaseRecord r;
    const bool live = store_.readRecord(idx, r);
    if (!live && !store_.lastError().empty()) {
        refused(QStringLiteral("未能编辑命例：%1"));  // busy or unreadable: the true reason
        return;
    }
    if (!live || r.caseId != ref.id) {
        // The node shows a case that has left its slot: edit nothing, show the store as it is.
        message(window(), QStringLiteral("未能编辑命例：%1").arg(qs(std::string(casestore::kStaleCase))),
                QStringLiteral("错误"), QMessageBox::Critical);
        emit staleCaseSeen();
        return;
    }
    TFrmInfo dlg(r, qs(store_.programDir()) + QStringLiteral("/dat"), window());
    if (dlg.exec() != QDialog::Accepted) return;
    const CaseRecord after = dlg.record();
    casestore::CaseRef now;
    // The revision read before the dialog: a change made elsewhere meanwhile is not overwritten.
    if (!store_.writeRecord(casestore::refOf(r), after, nullptr, &now)) {
        refused(QStringLiteral("未能保存修改：%1"));
        return;
    }
    emit storeChangedHere();
    CaseRecord stored = after;
    stored.index = idx;
    stored.caseId = now.id;
    stored.revision = now.revision;
    emit recordChanged(r, stored);
    if (updateCase(stored)) message(window(), QStringLiteral("完成修改"), QStringLiteral("完成"), QMessageBox::Information);
    // The stored report was cast from the old birth data or name: offer to cast it again.
    const auto birthOf = [](const CaseRecord& x) {
        return std::tie(x.name, x.year, x.month, x.day, x.hour, x.minute, x.lunar, x.leap, x.male, x.province, x.city,
                        x.longitude, x.latitude, x.place, x.pad45, x.pad50);
    };
    if (birthOf(r) != birthOf(after) &&
        message(window(), QStringLiteral("“%1”的姓名或出生资料已改动，保存的命稿还是按原来的资料排的。要重新排盘并用新的命稿替换它吗？")
                              .arg(qs(after.name)),
                QStringLiteral("提示"), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        emit recastRequested(casestore::refOf(stored));
}

void CaseTree::DeleteCaseClick() {
    const int idx = selectedCase();
    if (idx < 0) {
        message(window(), QStringLiteral("请先选择一个命例！"), appTitle());
        return;
    }
    QTreeWidgetItem* item = currentItem();
    const QString name = qs(presentation::caseNameOfNodeText(u8(item->text(0))));
    if (!askYesNoDefaultNo(window(), QStringLiteral("确定要删除“%1”这个命例吗？").arg(name), QStringLiteral("注意")))
        return;
    const bool open = openCase_ && openCase_() == idx;
    if (open && message(window(), QStringLiteral("确定要删除当前正在查看的命例吗？"), QStringLiteral("提示"),
                        QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    // The record and its report go in one change.
    if (!store_.removeRecord(caseRef(item), true)) {
        refused(QStringLiteral("未能删除命例：%1"));
        return;
    }
    emit storeChangedHere();
    forgetCase(item);
    delete item;
    emit caseDeleted(idx, open);
}

// ---- class commands ----

namespace {
// A class name from an input box: trimmed; false after saying why it is refused.
bool acceptClassName(QWidget* parent, QString& name) {
    name = name.trimmed();
    if (const QString bad = firstNonGbk(name); !bad.isEmpty()) {
        message(parent, QStringLiteral("类别名中的“%1”无法保存，请换一个字").arg(bad), appTitle());
        return false;
    }
    if (!presentation::classNameAcceptable(u8(name))) {
        message(parent, QStringLiteral("类别名不能为空，并且最多可以有6个汉字！"), appTitle());
        return false;
    }
    return true;
}
}  // namespace

void CaseTree::AddClassClick() {
    QString name = QStringLiteral("新类别");
    if (!inputBox(window(), QStringLiteral("新建类别"), QStringLiteral("请输入新建类别名："), name)) return;
    if (!acceptClassName(window(), name)) return;
    if (!root_) rebuild({});
    if (QTreeWidgetItem* existing = classNode(name)) {
        message(window(), QStringLiteral("已有这个类别了！"), QStringLiteral("提示"), QMessageBox::Warning);
        setCurrentItem(existing);
        return;
    }
    auto* c = new QTreeWidgetItem(root_, QStringList(name));
    c->setIcon(0, images_[presentation::kImageClass]);
    if (!presentation::addToClassList(ini_, u8(name)))
        message(window(), QStringLiteral("类别列表未能保存：%1").arg(qs(ini_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
}

void CaseTree::RenameClassClick() {
    QTreeWidgetItem* cls = currentItem();
    if (level(cls) != 1) return;
    const QString old = cls->text(0);
    QString name = old;
    if (!inputBox(window(), QStringLiteral("修改类别名"), QStringLiteral("请输入新的类别名："), name)) return;
    if (!acceptClassName(window(), name)) return;
    if (QTreeWidgetItem* existing = classNode(name)) {
        message(window(), QStringLiteral("已有这个类别了，请另起一个名称！"), QStringLiteral("提示"), QMessageBox::Warning);
        setCurrentItem(existing);
        return;
    }
    // Every case of the class in one change.
    const std::string newName = u8(name);
    std::vector<std::pair<CaseRecord, CaseRecord>> changed;
    const bool stored = store_.modifyRecords(classRefs(cls), [&](CaseRecord& r) { r.className = newName; }, &changed);
    if (!stored) {
        refused(QStringLiteral("未能修改类别名：%1"));
        return;
    }
    emit storeChangedHere();
    for (const auto& [before, after] : changed) {
        if (QTreeWidgetItem* item = caseNode(after.index)) setCaseData(item, casestore::refOf(after));
        emit recordChanged(before, after);
    }
    if (!presentation::renameInClassList(ini_, u8(old), u8(name)))
        message(window(), QStringLiteral("类别列表未能保存：%1").arg(qs(ini_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
    cls->setText(0, name);
}

void CaseTree::DeleteClassClick() {
    QTreeWidgetItem* cls = currentItem();
    if (level(cls) != 1) return;
    // The second line says how many cases go with the class, and that all are kept first.
    const int count = cls->childCount();
    const QString question = QStringLiteral("确定要删除“%1”这个类别吗？").arg(cls->text(0)) +
                             (count == 0 ? QString()
                                         : QStringLiteral("\n其中的%1个命例将一并删除%2。")
                                               .arg(count)
                                               .arg(store_.backupsEnabled() ? QStringLiteral("（删除前先备份全部命例）")
                                                                            : QString()));
    if (message(window(), question, QStringLiteral("注意"), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No) !=
        QMessageBox::Yes)
        return;
    // Every case of the class in one change, after a backup of the history; their report files stay.
    std::vector<int> removed;
    if (!store_.removeRecords(classRefs(cls), false, &removed, true)) {
        refused(QStringLiteral("未能删除类别中的命例：%1"));
        return;
    }
    if (!removed.empty()) emit storeChangedHere();
    while (cls->childCount() > 0) {
        QTreeWidgetItem* item = cls->child(cls->childCount() - 1);
        forgetCase(item);
        delete item;
    }
    delete cls;
    for (int idx : removed) emit caseDeleted(idx, false);
}

void CaseTree::EditClassesClick() {
    TFrmClassEdit dlg(ini_, window());
    dlg.exec();
}

void CaseTree::FindClick() {
    std::vector<int> found;
    {
        ini_.refresh();  // the class list as it is now
        TFrmSearch dlg(store_, ini_, criteria_, window(), classNames());
        dlg.exec();
        if (!dlg.resultFlag()) return;
        found = dlg.found();
    }
    listing_ = Listing::Search;
    rebuild(found);
}

void CaseTree::ShowAllClick() {
    const int count = store_.recordCount();
    if (count < 0) {
        message(window(), QStringLiteral("无法读取命例库：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    if (count == 0) {
        message(window(), QStringLiteral("没有记录，无从查找。"), appTitle());
        return;
    }
    std::vector<int> all;
    if (!store_.searchRecords(casestore::SearchCriteria{}, all)) {
        message(window(), QStringLiteral("查找失败：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    if (all.empty()) {
        message(window(), QStringLiteral("没有找到符合条件的命例。"), QStringLiteral("信息"), QMessageBox::Information);
        return;
    }
    listing_ = Listing::All;
    rebuild(all);
}

void CaseTree::ExpandClick() {
    QTreeWidgetItem* item = currentItem();
    if (level(item) < 0 || level(item) == 2) return;
    item->setExpanded(true);
    if (level(item) == 0)
        for (int i = 0; i < item->childCount(); ++i) item->child(i)->setExpanded(true);
}

void CaseTree::CollapseClick() {
    QTreeWidgetItem* item = currentItem();
    if (level(item) < 0 || level(item) == 2) return;
    if (level(item) == 0)
        for (int i = 0; i < item->childCount(); ++i) item->child(i)->setExpanded(false);
    item->setExpanded(false);
}

void CaseTree::refresh() {
    // What the listing shows now, plus every slot on view (cases this window added since).
    std::vector<int> indices;
    if (listing_ == Listing::FirstSlots) {
        for (int i = 0; i < firstSlots_; ++i) indices.push_back(i);
    } else {
        const casestore::SearchCriteria everything{};
        if (!store_.searchRecords(listing_ == Listing::All ? everything : criteria_, indices)) return;
    }
    for (auto it = cases_.cbegin(); it != cases_.cend(); ++it) indices.push_back(it.key());
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());

    // Keep what the user sees: open classes, the selected node, the scroll position.
    QSet<QString> open;
    if (root_)
        for (int i = 0; i < root_->childCount(); ++i)
            if (root_->child(i)->isExpanded()) open.insert(qs(presentation::classKey(u8(root_->child(i)->text(0)))));
    QTreeWidgetItem* cur = currentItem();
    const int curLevel = level(cur);
    const casestore::CaseRef curCase = caseRef(cur);
    const QString curClass = curLevel == 1 ? cur->text(0) : QString();
    const int scroll = verticalScrollBar()->value();

    rebuild(indices);
    for (int i = 0; i < root_->childCount(); ++i)
        if (open.contains(qs(presentation::classKey(u8(root_->child(i)->text(0)))))) root_->child(i)->setExpanded(true);
    QTreeWidgetItem* again = nullptr;
    if (curLevel == 2) {
        QTreeWidgetItem* item = caseNode(curCase.slot);
        if (item && caseRef(item).id == curCase.id) again = item;
    } else if (curLevel == 1) {
        again = classNode(curClass);
    } else if (curLevel == 0) {
        again = root_;
    }
    if (again) setCurrentItem(again);
    verticalScrollBar()->setValue(scroll);
}

}  // namespace hj::gui
