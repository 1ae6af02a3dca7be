#pragma once
// 导入命稿: a report file from outside, checked before it replaces the pane. A file too large,
// a binary one, or one named .rtf that is no RTF is said so; a text that reads as UTF-8 and as
// GBK alike gets a choice of encoding with a line of each reading.
#include <QString>
#include <string>

class QWidget;

namespace hj::gui {

class ReportEdit;

class ReportImport {
public:
    // Messages and questions go over `pane`'s window.
    explicit ReportImport(ReportEdit& pane) : pane_(pane) {}

    // Loads `path` into the pane. False after saying why (or when the user cancelled).
    bool importFile(const QString& path);

private:
    // Asks which encoding a text has; the bytes to load (UTF-8 with its mark, or as they are
    // for GBK). False when the user cancels.
    bool chooseEncoding(std::string& bytes);

    ReportEdit& pane_;
};

}  // namespace hj::gui
