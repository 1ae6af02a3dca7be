#pragma once
// The case tree (`Tree`) of the main window: root 命例, one node per class, one per case, and
// its pop-up menu of case and class commands. The widget owns its nodes, its menu, its
// pictures and the search criteria; the window only places it.
//
// Cases are found by record index through a table kept beside the nodes, so patching one
// node stays quick however many thousands the tree shows. A whole build reads the records in
// batches with a progress bar over the tree.
#include <QHash>
#include <QIcon>
#include <QTreeWidget>
#include <functional>
#include <vector>

#include "core/casestore/case_store.h"
#include "core/text/ini.h"

class QAction;
class QMenu;
class QProgressBar;

namespace hj::gui {

class CaseTree : public QTreeWidget {
    Q_OBJECT
public:
    CaseTree(casestore::CaseStore& store, text::IniFile& ini, QWidget* parent = nullptr);

    // Which record the main window has open (-1: none); asked before deleting a case.
    void setOpenCaseQuery(std::function<int()> q) { openCase_ = std::move(q); }

    // Rebuilds the whole tree from record indices (absent records skipped).
    void rebuild(const std::vector<int>& indices);
    void rebuildFirstSlots(int n);
    // Adds a case node at the end of its class, creating the class node when missing, and
    // expands the class.
    void addCase(const casestore::CaseRecord& r);
    // Rewrites the text and picture of the node of record r.index; false when not shown.
    bool updateCase(const casestore::CaseRecord& r);
    // The case `ref` names was changed here without a change to its node text (its report
    // stored): the node takes the revision.
    void caseRevised(const casestore::CaseRef& ref);
    QTreeWidgetItem* caseNode(int index) const { return cases_.value(index, nullptr); }
    QTreeWidgetItem* classNode(const QString& name) const;
    // The names of the class nodes, top to bottom.
    QStringList classNames() const;
    QTreeWidgetItem* root() const { return root_; }
    // The record index of the selected case node, -1 when no case node is selected.
    int selectedCase() const;
    // The slot and identity of a case node (slot -1 for any other node).
    static casestore::CaseRef caseRef(const QTreeWidgetItem* item);

    // The node's level: 0 root, 1 class, 2 case; -1 for none.
    static int level(const QTreeWidgetItem* item);
    // Sets the menu's items for the selected node and rebuilds 移动到 (done on every right
    // mouse press).
    void updateMenu();

    QMenu* popupMenu() const { return pmnuTree; }
    const QIcon& image(int i) const { return images_[static_cast<std::size_t>(i)]; }
    casestore::SearchCriteria& criteria() { return criteria_; }
    // Milliseconds the last rebuild took (for measuring).
    qint64 lastBuildMs() const { return lastBuildMs_; }

    QAction* pmnuView;
    QAction* pmnuEdit;
    QMenu* pmnuMoveTo;
    QAction* pmnuDelCase;
    QAction* pmnuMatch;
    QAction* pmnuAddClass;
    QAction* pmnuRenameClass;
    QAction* pmnuDelClass;
    QAction* pmnuEditClasses;
    QAction* pmnuFind;
    QAction* pmnuShowAll;
    QAction* pmnuExpand;
    QAction* pmnuCollapse;

signals:
    // The case's report should be cast again from its stored record and replace the stored one.
    void recastRequested(const hj::casestore::CaseRef& ref);
    // 查看命例 or a double-click on a case node.
    void openCaseRequested(const hj::casestore::CaseRef& ref);
    // 与…合婚: the case is the first of two charts to compare.
    void matchRequested(const hj::casestore::CaseRef& ref);
    // This tree changed the store (and shows the result already).
    void storeChangedHere();
    // A command found a case gone from its slot: the store changed elsewhere and the tree (and
    // the open case) should be shown as it is now.
    void staleCaseSeen();
    // The stored record changed through the tree (edit, move, class rename).
    void recordChanged(const hj::casestore::CaseRecord& before, const hj::casestore::CaseRecord& after);
    // A record was deleted; `wasOpen` when it was the open case (its pane is to be emptied).
    void caseDeleted(int index, bool wasOpen);

public slots:
    // Shows the store as it is now (another window or process changed it): the same listing,
    // open classes and selection; cases gone from their slots disappear.
    void refresh();
    void ViewClick();
    void EditCaseClick();
    void DeleteCaseClick();
    void MatchClick();
    void AddClassClick();
    void RenameClassClick();
    void DeleteClassClick();
    void EditClassesClick();
    void FindClick();
    void ShowAllClick();
    void ExpandClick();
    void CollapseClick();

private:
    void moveCase(const QString& className);
    QTreeWidgetItem* makeCaseItem(const casestore::CaseRecord& r);
    QTreeWidgetItem* ensureClass(const QString& name);
    void forgetCase(QTreeWidgetItem* item);
    static std::vector<casestore::CaseRef> classRefs(const QTreeWidgetItem* cls);
    // Says why a change was refused (`what` holds %1 for the reason); a case that left its slot
    // is reported through staleCaseSeen. Always false.
    bool refused(const QString& what);

    enum class Listing { FirstSlots, All, Search };
    Listing listing_ = Listing::FirstSlots;
    int firstSlots_ = 0;

    casestore::CaseStore& store_;
    text::IniFile& ini_;
    QTreeWidgetItem* root_ = nullptr;
    QHash<int, QTreeWidgetItem*> cases_;
    QMenu* pmnuTree;
    QProgressBar* progress_;
    std::vector<QIcon> images_;
    casestore::SearchCriteria criteria_;
    std::function<int()> openCase_;
    qint64 lastBuildMs_ = 0;
};

// The four pictures of the tree: female case, male case, class, root (CaseTreePictures.cpp).
std::vector<QIcon> caseTreeImages();

}  // namespace hj::gui
