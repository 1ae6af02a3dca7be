#include "gui/HistoryCommands.h"

#include <QDir>
#include <QFileDialog>
#include <QTimer>

#include "gui/CaseSession.h"
#include "gui/CaseSupport.h"
#include "gui/GuiSupport.h"
#include "gui/ReportEdit.h"
#include "gui/TFrmMain.h"

namespace hj::gui {

HistoryCommands::HistoryCommands(TFrmMain& window, CaseSession& session)
    : QObject(&window), w_(window), session_(session) {}

void HistoryCommands::endProgram() {
    // Nothing of the old store may be written on the way out.
    session_.dropOpenCase();
    w_.Redtbazi->setModified(false);
    QTimer::singleShot(0, &w_, &QWidget::close);
}

void HistoryCommands::ExportClick() {
    QFileDialog dlg(&w_, QStringLiteral("导出历史记录"));
    dlg.setObjectName(QStringLiteral("FolderDialog"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    QString folder = QDir::toNativeSeparators(dlg.selectedFiles().constFirst());
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    casestore::CaseStore& store = w_.caseStore();
    if (!store.exportTo(u8(folder))) {
        message(&w_, QStringLiteral("导出未能完成：%1").arg(qs(store.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    message(&w_, QStringLiteral("成功导出，已保存到%1目录下").arg(folder), appTitle());
}

void HistoryCommands::ImportClick() {
    if (!askYesNoDefaultNo(&w_, QStringLiteral("执行此操作将覆盖现有的历史记录，要继续吗？"), QStringLiteral("注意了")))
        return;
    QFileDialog dlg(&w_, QStringLiteral("导入历史记录"));
    dlg.setObjectName(QStringLiteral("OpenDialog"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilter(QStringLiteral("all.dat (*.dat)"));
    dlg.selectFile(QStringLiteral("bazi0.dat"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    const std::string chosen = u8(dlg.selectedFiles().constFirst());
    casestore::CaseStore& store = w_.caseStore();
    // The source is checked before anything is replaced: a bad one leaves the store as it was.
    std::string why;
    if (!store.checkImportSource(chosen, &why)) {
        message(&w_, QStringLiteral("无法导入，现有的历史记录没有改变：%1").arg(qs(why)), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    if (!store.importFrom(chosen)) {
        message(&w_, QStringLiteral("导入未能完成：%1").arg(qs(store.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        // A decided switch finishes at the next start; a refused one left everything as it was.
        if (!store.historyKept()) endProgram();
        return;
    }
    message(&w_, QStringLiteral("成功导入，请重启软件！"), appTitle());
    endProgram();
}

void HistoryCommands::ClearClick() {
    if (!askYesNoDefaultNo(&w_, QStringLiteral("这将清除所有历史记录，要继续吗？"), QStringLiteral("注意了"))) return;
    if (!askYesNoDefaultNo(&w_, QStringLiteral("确定要清除吗？"), QStringLiteral("注意了"))) return;
    casestore::CaseStore& store = w_.caseStore();
    if (!store.clearAll()) {
        message(&w_, QStringLiteral("清除未能完成：%1").arg(qs(store.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        if (!store.historyKept()) endProgram();
        return;
    }
    message(&w_, QStringLiteral("清除完成,请重启软件。"), appTitle());
    endProgram();
}

}  // namespace hj::gui
