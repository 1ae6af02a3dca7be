#include "gui/ReportImport.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/imported_text.h"
#include "gui/GuiSupport.h"
#include "gui/ReportEdit.h"

namespace hj::gui {
namespace {

// Preview lines stay short enough for a message box.
constexpr std::size_t kPreviewBytes = 80;

}  // namespace

bool ReportImport::importFile(const QString& path) {
    QWidget* window = pane_.window();
    const auto refuse = [&](const QString& why) {
        message(window, QStringLiteral("未能导入“%1”：%2").arg(QFileInfo(path).fileName(), why), QStringLiteral("导入命稿"),
                QMessageBox::Warning);
        return false;
    };
    if (QFileInfo(path).size() > static_cast<qint64>(text::kMaxReportBytes))
        return refuse(QStringLiteral("文件太大（上限%1 MB）").arg(text::kMaxReportBytes >> 20));
    std::string bytes, why;
    // A link, a FIFO or an oversized file is refused before anything is read.
    if (!text::readRegularFile(u8(path), text::kMaxReportBytes, bytes, &why)) return refuse(qs(why));
    text::utf16AsUtf8(bytes);  // a text saved as UTF-16 is read as the same text in UTF-8
    const text::ImportedKind kind = text::importedKind(bytes);
    if (kind == text::ImportedKind::Binary) return refuse(QStringLiteral("不是文本或RTF文件"));
    if (kind != text::ImportedKind::Rtf && path.endsWith(QStringLiteral(".rtf"), Qt::CaseInsensitive) &&
        !askYesNo(window, QStringLiteral("“%1”的扩展名是.rtf，但内容不是RTF格式（不以{\\rtf开头）。要按纯文本导入吗？")
                              .arg(QFileInfo(path).fileName()),
                  QStringLiteral("导入命稿"), QMessageBox::Warning))
        return false;
    if (kind == text::ImportedKind::Text && text::encodingIsAmbiguous(bytes) && !chooseEncoding(bytes)) return false;
    QString error;
    if (!pane_.loadBytes(bytes, &error)) return refuse(error);
    return true;
}

bool ReportImport::chooseEncoding(std::string& bytes) {
    const std::string_view line = text::firstNonAsciiLine(bytes, kPreviewBytes);
    QMessageBox box(QMessageBox::Question, QStringLiteral("导入命稿"),
                    QStringLiteral("这个文件的编码无法确定，请按下面的样行选择：\n\nUTF-8：%1\nGBK：%2")
                        .arg(qs(line), qs(text::gbkToUtf8(line))),
                    QMessageBox::NoButton, pane_.window());
    box.setObjectName(QStringLiteral("BoxEncoding"));
    QPushButton* utf8 = box.addButton(QStringLiteral("按UTF-8导入"), QMessageBox::AcceptRole);
    QPushButton* gbk = box.addButton(QStringLiteral("按GBK导入"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    utf8->setObjectName(QStringLiteral("BtnUtf8"));
    gbk->setObjectName(QStringLiteral("BtnGbk"));
    // Most editors write UTF-8 today.
    box.setDefaultButton(utf8);
    fitTitle(box);
    box.exec();
    if (box.clickedButton() == utf8) {
        bytes.insert(0, "\xEF\xBB\xBF");  // read as UTF-8 by its mark
        return true;
    }
    return box.clickedButton() == gbk;
}

}  // namespace hj::gui
