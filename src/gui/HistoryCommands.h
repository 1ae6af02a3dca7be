#pragma once
// 导入历史记录, 导出历史记录, 清除历史记录: the whole case store at once. Import and clearing
// end the program, which opens the new store at its next start; the open case is forgotten
// first, so closing cannot write it into the new store.
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

private:
    void endProgram();
    TFrmMain& w_;
    CaseSession& session_;
};

}  // namespace hj::gui
