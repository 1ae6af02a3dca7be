#include "gui/HistoryCommands.h"

#include <algorithm>

#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/casestore/case_store.h"
#include "gui/CaseSupport.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

HistoryCommands::HistoryCommands(casestore::CaseStore& store, QWidget* window)
    : QObject(window), store_(store), window_(window) {}

QString HistoryCommands::replacedNote(const QString& verb) {
    const int n = store_.caseCount();
    // A history without cases gets no backup (there is nothing to keep): none is promised.
    if (n == 0) return QStringLiteral("现有的历史记录中没有命例，不会留下备份。");
    QString note = n >= 0 ? QStringLiteral("将%1全部%2个命例及其命稿。").arg(verb).arg(n)
                          : QStringLiteral("将%1现有的全部历史记录。").arg(verb);
    if (store_.backupsEnabled())
        note += QStringLiteral("操作前会在 dat/backups 中保留一份备份，可用“恢复备份…”找回。");
    else
        note += QStringLiteral("备份已关闭（bzinit.ini 中 [history] backup=0），操作后无法找回。");
    return note;
}

void HistoryCommands::replaceFailed(const QString& what) {
    message(window_, QStringLiteral("%1未能完成：%2").arg(what, qs(store_.lastError())), QStringLiteral("错误"),
            QMessageBox::Critical);
    // A decided switch finishes at the next start; a refused one left everything as it was.
    if (!store_.historyKept()) emit programMustEnd();
}

// Names the backup a clear, import or restore made.
static QString backupNote(const casestore::CaseStore& store) {
    return store.lastBackup().empty() ? QString()
                                      : QStringLiteral("原有的历史记录已备份为 %1。").arg(qs(store.lastBackup()));
}

void HistoryCommands::ExportClick() {
    QFileDialog dlg(window_, QStringLiteral("导出历史记录"));
    dlg.setObjectName(QStringLiteral("FolderDialog"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    QString folder = QDir::toNativeSeparators(dlg.selectedFiles().constFirst());
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    if (!store_.exportTo(u8(folder))) {
        message(window_, QStringLiteral("导出未能完成：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    message(window_, QStringLiteral("成功导出，已保存到%1目录下").arg(folder), appTitle());
}

void HistoryCommands::ImportClick() {
    if (!askYesNoDefaultNo(window_, QStringLiteral("执行此操作将覆盖现有的历史记录，要继续吗？"), QStringLiteral("注意了"),
                           replacedNote(QStringLiteral("替换"))))
        return;
    QFileDialog dlg(window_, QStringLiteral("导入历史记录"));
    dlg.setObjectName(QStringLiteral("OpenDialog"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilter(QStringLiteral("all.dat (*.dat)"));
    dlg.selectFile(QStringLiteral("bazi0.dat"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    const std::string chosen = u8(dlg.selectedFiles().constFirst());
    // The source is checked before anything is replaced: a bad one leaves the store as it was.
    std::string why;
    if (!store_.checkImportSource(chosen, &why)) {
        message(window_, QStringLiteral("无法导入，现有的历史记录没有改变：%1").arg(qs(why)), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    if (!store_.importFrom(chosen)) return replaceFailed(QStringLiteral("导入"));
    message(window_, QStringLiteral("成功导入，请重启软件！"), appTitle(), QMessageBox::Information, QMessageBox::Ok,
            backupNote(store_));
    emit programMustEnd();
}

void HistoryCommands::ClearClick() {
    if (!askYesNoDefaultNo(window_, QStringLiteral("这将清除所有历史记录，要继续吗？"), QStringLiteral("注意了"),
                           replacedNote(QStringLiteral("清除"))))
        return;
    if (!askYesNoDefaultNo(window_, QStringLiteral("确定要清除吗？"), QStringLiteral("注意了"))) return;
    if (!store_.clearAll()) return replaceFailed(QStringLiteral("清除"));
    message(window_, QStringLiteral("清除完成,请重启软件。"), appTitle(), QMessageBox::Information, QMessageBox::Ok,
            backupNote(store_));
    emit programMustEnd();
}

namespace {

QString sizeText(std::int64_t bytes) {
    if (bytes < 1024) return QStringLiteral("%1 字节").arg(bytes);
    if (bytes < 1024 * 1024) return QStringLiteral("%1 KB").arg(static_cast<double>(bytes) / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString casesText(std::int32_t cases) { return cases < 0 ? QStringLiteral("无法读取") : QString::number(cases); }

// The backups, newest first; the chosen one's name, or empty when the user cancels.
QString chooseBackup(QWidget* parent, const std::vector<casestore::BackupInfo>& backups) {
    QDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("FrmBackups"));
    dlg.setWindowTitle(QStringLiteral("恢复备份"));
    auto* lay = new QVBoxLayout(&dlg);
    lay->addWidget(new QLabel(QStringLiteral("清除或导入之前的历史记录（保留最近%1份）：").arg(casestore::kBackupsKept), &dlg));
    auto* list = new QTreeWidget(&dlg);
    list->setObjectName(QStringLiteral("BackupList"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("时间"), QStringLiteral("命例数"), QStringLiteral("大小")});
    for (auto it = backups.rbegin(); it != backups.rend(); ++it) {
        auto* row = new QTreeWidgetItem(list, {qs(it->name),
                                               QDateTime::fromSecsSinceEpoch(it->time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                               casesText(it->cases), sizeText(it->bytes)});
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setCurrentItem(list->topLevelItem(0));
    lay->addWidget(list);
    auto* buttons = new QDialogButtonBox(&dlg);
    QPushButton* ok = buttons->addButton(QStringLiteral("恢复"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BtnRestore"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("BtnCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, &dlg, &QDialog::accept);
    lay->addWidget(buttons);
    dlg.resize(520, 260);
    if (dlg.exec() != QDialog::Accepted || !list->currentItem()) return {};
    return list->currentItem()->text(0);
}

}  // namespace

void HistoryCommands::RestoreClick() {
    std::vector<casestore::BackupInfo> backups;
    if (!store_.listBackups(backups)) {
        message(window_, QStringLiteral("无法列出备份：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    if (backups.empty()) {
        message(window_, QStringLiteral("还没有备份：清除或导入历史记录之前会自动保留一份。"), appTitle());
        return;
    }
    const QString name = chooseBackup(window_, backups);
    if (name.isEmpty()) return;
    const auto chosen = std::find_if(backups.begin(), backups.end(), [&](const auto& b) { return qs(b.name) == name; });
    if (!askYesNoDefaultNo(window_,
                           QStringLiteral("将用备份 %1（%2个命例）替换现有的历史记录，要继续吗？")
                               .arg(name, casesText(chosen == backups.end() ? -1 : chosen->cases)),
                           QStringLiteral("注意了"), replacedNote(QStringLiteral("替换"))))
        return;
    if (!store_.restoreBackup(u8(name))) return replaceFailed(QStringLiteral("恢复备份"));
    message(window_, QStringLiteral("恢复完成，请重启软件！"), appTitle(), QMessageBox::Information, QMessageBox::Ok,
            backupNote(store_));
    emit programMustEnd();
}

}  // namespace hj::gui
