#pragma once
// 打印 (Ctrl+P) and 打印预览 of the report in the 文件 menu: the pane's text on paper or in a
// PDF, each page under a running header with the case name and the page, the case name also
// the document's title.
#include <QObject>

class QPrinter;

namespace hj::gui {

class ReportEdit;

class ReportPrinting : public QObject {
    Q_OBJECT
public:
    // Prints what `pane` holds; messages go over `pane`'s window.
    explicit ReportPrinting(ReportEdit& pane, QObject* parent = nullptr);

    // The print dialog, then the report on the printer (or file) chosen. Says when it failed.
    void print();
    // The pages as they will print, with printing from the preview.
    void preview();
    // The report on a printer set up already (a PDF file, say). False when it could not print.
    bool printOn(QPrinter& printer);

private:
    ReportEdit& pane_;
};

}  // namespace hj::gui
