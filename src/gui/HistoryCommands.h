#pragma once
// 导入历史记录, 导出历史记录, 清除历史记录, 恢复备份…: the whole case store at once. Import,
// clearing and restoring end the program, which opens the new store at its next start; the
// window forgets its open case first (programMustEnd), so closing cannot write it into the new
// store. Their confirmations say how many cases go and whether a backup of them is kept.
#include <QObject>

class QWidget;

namespace hj::casestore {
class CaseStore;
}

namespace hj::gui {

class HistoryCommands : public QObject {
    Q_OBJECT
public:
    // Messages and dialogs go over `window`.
    HistoryCommands(casestore::CaseStore& store, QWidget* window);

public slots:
    void ImportClick();
    void ExportClick();
    void ClearClick();
    void RestoreClick();

signals:
    // The history was replaced, or its replacement decided (it finishes at the next start):
    // the program ends, writing nothing of the old store on the way out.
    void programMustEnd();

private:
    // The confirmation's detail: how many cases `verb` (清除, 替换) affects, and the backup.
    QString replacedNote(const QString& verb);
    // After a clear, import or restore that failed: says so, and ends the program when the
    // switch was decided (it finishes at the next start).
    void replaceFailed(const QString& what);
    casestore::CaseStore& store_;
    QWidget* window_;
};

}  // namespace hj::gui
