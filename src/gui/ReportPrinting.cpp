#include "gui/ReportPrinting.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "gui/GuiSupport.h"
#include "gui/ReportEdit.h"
#include "gui/ReportPaper.h"

namespace hj::gui {

ReportPrinting::ReportPrinting(ReportEdit& pane, QObject* parent) : QObject(parent), pane_(pane) {}

bool ReportPrinting::printOn(QPrinter& printer) {
    if (!printer.isValid()) return false;
    const bool ok = printWithHeader(*pane_.printCopy(printer), printer, pane_.printTitle());
    const QString file = printer.outputFileName();
    return ok && printer.printerState() != QPrinter::Error && (file.isEmpty() || QFileInfo::exists(file));
}

void ReportPrinting::print() {
    if (pane_.toPlainText().trimmed().isEmpty()) {
        message(pane_.window(), QStringLiteral("命稿是空的，没有可打印的内容。"), QStringLiteral("打印"));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(pane_.printTitle());
    QPrintDialog dlg(&printer, pane_.window());
    dlg.setObjectName(QStringLiteral("PrintDialog"));
    dlg.setOption(QAbstractPrintDialog::PrintSelection, pane_.textCursor().hasSelection());
    dlg.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dlg.exec() != QDialog::Accepted) return;
    if (!printOn(printer))
        message(pane_.window(), QStringLiteral("打印错误，请检查打印设备！"), QStringLiteral("打印错误"), QMessageBox::Critical);
}

void ReportPrinting::preview() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(pane_.printTitle());
    QPrintPreviewDialog dlg(&printer, pane_.window());
    dlg.setObjectName(QStringLiteral("PrintPreview"));
    dlg.setWindowTitle(QStringLiteral("打印预览"));
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { printOn(*p); });
    dlg.exec();
}

}  // namespace hj::gui
