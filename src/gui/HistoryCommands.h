#pragma once
// 导入历史记录, 导出历史记录, 清除历史记录, 恢复备份…: the whole case store at once. Import,
// clearing and restoring end the program, which opens the new store at its next start; the
// open case is forgotten first, so closing cannot write it into the new store. Their
// confirmations say how many cases go and whether a backup of them is kept.
#include <QObject>

namespace hj::gui {

class CaseSession;
class TFrmMain;

class HistoryCommands : public QObject {
    Q_OBJECT
public:
    HistoryCommands(TFrmMain& window, CaseSession& session);

public slots:
    void ImportClick();
    void ExportClick();
    void ClearClick();
    void RestoreClick();

private:
    void endProgram();
    // The confirmation's detail: how many cases `verb` (清除, 替换) affects, and the backup.
    QString replacedNote(const QString& verb);
    // After a clear, import or restore that failed: says so, and ends the program when the
    // switch was decided (it finishes at the next start).
    void replaceFailed(const QString& what);
    TFrmMain& w_;
    CaseSession& session_;
};

}  // namespace hj::gui
