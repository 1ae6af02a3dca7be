#include "gui/ReportEdit.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

#include "core/report/report_rtf.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "gui/GuiSupport.h"
#include "gui/ReportImport.h"
#include "gui/ReportPaper.h"

namespace hj::gui {
namespace {

// Pixels of the pane to twips of the RTF model (the pane's 96 dots per inch; 1440 twips an inch).
constexpr int kTwipsPerPixel = 15;

// The pane's look before the user chose one.
constexpr const char* kDefaultPaneFont = "宋体";
constexpr int kDefaultPaneSize = 12;
constexpr int kDefaultBackground = 12635344;  // red 208, green 204, blue 192 ([minggao] bcolor)

QColor colorFromNumber(int n) { return QColor(n & 0xFF, (n >> 8) & 0xFF, (n >> 16) & 0xFF); }
int numberFromColor(const QColor& c) { return c.red() + 256 * c.green() + 65536 * c.blue(); }

QColor rgbColor(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
std::uint32_t rgbValue(const QColor& c) {
    return (static_cast<std::uint32_t>(c.red()) << 16) | (static_cast<std::uint32_t>(c.green()) << 8) |
           static_cast<std::uint32_t>(c.blue());
}

// The font and colour chooser of "设置选中文本": the font panel with a colour button below.
class SelectionFontDialog : public QDialog {
public:
    SelectionFontDialog(const QFont& font, const QColor& color, QWidget* parent)
        : QDialog(parent), fonts_(new QFontDialog(font, this)), color_(color) {
        setObjectName(QStringLiteral("SelFontDialog"));
        setWindowTitle(QStringLiteral("设置选中文本"));
        fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        fonts_->setWindowFlags(Qt::Widget);
        fonts_->setObjectName(QStringLiteral("FontPanel"));
        colorButton_ = new QPushButton(QStringLiteral("颜色(&C)..."), this);
        colorButton_->setObjectName(QStringLiteral("BtnColor"));
        swatch_ = new QLabel(this);
        swatch_->setFixedSize(48, 20);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
        auto* colorRow = new QHBoxLayout;
        colorRow->addWidget(colorButton_);
        colorRow->addWidget(swatch_);
        colorRow->addStretch(1);
        auto* top = new QVBoxLayout(this);
        top->addWidget(fonts_, 1);
        top->addLayout(colorRow);
        top->addWidget(buttons);
        showColor();
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(colorButton_, &QPushButton::clicked, this, [this] {
            const QColor c = QColorDialog::getColor(color_, this, QStringLiteral("颜色"), QColorDialog::DontUseNativeDialog);
            if (c.isValid()) setColor(c);
        });
    }
    QFont selectedFont() const { return fonts_->currentFont(); }
    void setFont(const QFont& f) { fonts_->setCurrentFont(f); }
    QColor color() const { return color_; }
    void setColor(const QColor& c) {
        color_ = c;
        showColor();
    }

private:
    void showColor() { swatch_->setStyleSheet(QStringLiteral("background:%1;border:1px solid gray").arg(color_.name())); }
    QFontDialog* fonts_;
    QPushButton* colorButton_;
    QLabel* swatch_;
    QColor color_;
};

}  // namespace

ReportEdit::ReportEdit(QWidget* parent) : QTextEdit(parent), pmnuPane(new QMenu(this)) {
    setAcceptRichText(true);
    setTabChangesFocus(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // Inactive selections keep the active colours: the selection stays visible without focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);

    pmnuPane->setObjectName(QStringLiteral("pmnuPane"));
    const auto add = [this](const char* name, const QString& text, auto slot) {
        QAction* a = pmnuPane->addAction(text);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("pmnuUndo", QStringLiteral("撤销"), &QTextEdit::undo)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    // The pop-up only shows these keys; keyPressEvent takes them in the pane.
    add("pmnuRedo", QStringLiteral("重做"), &QTextEdit::redo)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    pmnuPane->addSeparator();
    add("pmnuCopy", QStringLiteral("复制"), &QTextEdit::copy);
    add("pmnuPaste", QStringLiteral("粘帖"), &QTextEdit::paste);
    add("pmnuCut", QStringLiteral("剪切"), &QTextEdit::cut);
    add("pmnuDelete", QStringLiteral("删除"), [this] { textCursor().removeSelectedText(); });
    add("pmnuSelectAll", QStringLiteral("全选"), &QTextEdit::selectAll);
    pmnuPane->addSeparator();
    add("pmnuSelFont", QStringLiteral("设置选中文本"), &ReportEdit::SetSelFontClick);
    add("pmnuImport", QStringLiteral("导入命稿"), &ReportEdit::ImportClick);
    add("pmnuSaveAs", QStringLiteral("另存为"), &ReportEdit::SaveAsClick);
    add("pmnuPrint", QStringLiteral("打印"), &ReportEdit::PrintClick);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        const bool sel = textCursor().hasSelection();
        for (const char* n : {"pmnuCopy", "pmnuCut", "pmnuDelete", "pmnuSelFont"})
            pmnuPane->findChild<QAction*>(QLatin1String(n))->setEnabled(sel);
        pmnuPane->findChild<QAction*>(QStringLiteral("pmnuUndo"))->setEnabled(document()->isUndoAvailable());
        pmnuPane->findChild<QAction*>(QStringLiteral("pmnuRedo"))->setEnabled(document()->isRedoAvailable());
        pmnuPane->findChild<QAction*>(QStringLiteral("pmnuPaste"))->setEnabled(canPaste());
        pmnuPane->popup(viewport()->mapToGlobal(p));
    });
}

bool ReportEdit::isModified() const { return document()->isModified(); }
void ReportEdit::setModified(bool m) { document()->setModified(m); }

void ReportEdit::settleLoaded() {
    document()->clearUndoRedoStacks();
    // The document keeps the undo position of its last unmodified state and updates it only
    // when the flag changes; set it both ways so that undoing back to here reads unmodified.
    setModified(true);
    setModified(false);
}

namespace {
bool isRedoKey(const QKeyEvent* e) {
    const auto combo = e->keyCombination();
    return combo == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
           combo == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}
}  // namespace

bool ReportEdit::event(QEvent* e) {
    // Both redo keys belong to the pane, whatever the platform's own redo key is.
    if (e->type() == QEvent::ShortcutOverride && isRedoKey(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QTextEdit::event(e);
}

void ReportEdit::keyPressEvent(QKeyEvent* e) {
    if (isRedoKey(e)) {
        if (!isReadOnly()) redo();
        e->accept();
        return;
    }
    QTextEdit::keyPressEvent(e);
}

void ReportEdit::setPaneFont(const QString& family, int pointSize) {
    paneFont_ = QFont(family, pointSize > 0 ? pointSize : 12);
    setFont(paneFont_);
    document()->setDefaultFont(paneFont_);
}

void ReportEdit::setBackground(const QColor& c) {
    QPalette pal = palette();
    pal.setColor(QPalette::Base, c);
    setPalette(pal);
}

QColor ReportEdit::background() const { return palette().color(QPalette::Base); }

void ReportEdit::clearWithDefaults() {
    clear();
    QTextCharFormat f;
    f.setFontFamilies({paneFont_.family()});
    f.setFontPointSize(paneFont_.pointSizeF());
    f.setForeground(Qt::black);
    f.setFontWeight(QFont::Normal);
    f.setFontItalic(false);
    f.setFontUnderline(false);
    setCurrentCharFormat(f);
    settleLoaded();
}

void ReportEdit::showPlaceholder(const QString& line) {
    clearWithDefaults();
    insertPlainText(line);
    settleLoaded();
}

void ReportEdit::showReport(const std::string& text, const std::vector<StyleSpan>& spans, int leftIndent) {
    // The engine's styled document, the same one `cases add` writes, so a saved pane matches it.
    rtf::CharFormat base;
    base.font = u8(paneFont_.family());
    base.halfPoints = std::max(2, static_cast<int>(std::lround(paneFont_.pointSizeF() * 2)));
    // A first-line indent wider than the shown pane has room for beside the chart block's
    // lines would wrap its columns: at most what leaves the widest of the opening lines whole,
    // and never less than a quarter of the pane (a narrow pane wraps the block anyway).
    if (leftIndent > 0 && viewport()->isVisible()) {
        const QFontMetrics fm(paneFont_);
        int widest = 0;
        std::size_t pos = 0;
        for (int line = 0; line < 24 && pos < text.size(); ++line) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            widest = std::max(widest, fm.horizontalAdvance(qs(text.substr(pos, end - pos))));
            pos = end + 1;
        }
        const int pane = viewport()->width();
        const int room = pane - widest - 2 * static_cast<int>(document()->documentMargin()) - 8;
        leftIndent = std::min(leftIndent, std::max(room, pane / 4));
    }
    loadRtfDocument(styledReport(text, spans, base, leftIndent * kTwipsPerPixel));
    ensureCursorVisible();
}

void ReportEdit::alignHalfWidth() {
    struct Run {
        int start, length;
        qreal spacing;
    };
    std::vector<Run> runs;
    const bool wasModified = isModified();
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QFontMetricsF fm(frag.charFormat().font());
            const qreal half = fm.horizontalAdvance(QChar(0x4E2D)) / 2;  // 中
            const QString t = frag.text();
            for (int i = 0; i < t.size(); ++i) {
                const QChar ch = t.at(i);
                if (ch.unicode() < 0x20 || ch.unicode() >= 0x80) continue;
                const qreal spacing = half - fm.horizontalAdvance(ch);
                const int pos = frag.position() + i;
                if (!runs.empty() && runs.back().start + runs.back().length == pos && qFuzzyCompare(runs.back().spacing, spacing))
                    ++runs.back().length;
                else
                    runs.push_back({pos, 1, spacing});
            }
        }
    }
    QTextCursor c(document());
    c.beginEditBlock();
    for (const Run& r : runs) {
        c.setPosition(r.start);
        c.setPosition(r.start + r.length, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        f.setFontLetterSpacing(r.spacing);
        c.mergeCharFormat(f);
    }
    c.endEditBlock();
    setModified(wasModified);
}

rtf::Document ReportEdit::toRtfDocument() const {
    rtf::Document doc;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        rtf::Paragraph p;
        p.firstLineIndent = static_cast<int>(b.blockFormat().textIndent()) * kTwipsPerPixel;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            const QTextCharFormat cf = frag.charFormat();
            rtf::CharFormat f;
            const QFont font = cf.font();
            f.font = u8(font.family());
            f.halfPoints = static_cast<int>(std::lround(font.pointSizeF() * 2));
            if (f.halfPoints <= 0) f.halfPoints = paneFont_.pointSize() * 2;
            f.bold = font.bold();
            f.italic = font.italic();
            f.underline = font.underline();
            f.color = cf.hasProperty(QTextFormat::ForegroundBrush) ? rgbValue(cf.foreground().color()) : 0;
            QString t = frag.text();
            t.replace(QChar::LineSeparator, QLatin1Char('\n'));
            rtf::appendText(p, u8(t), f);
        }
        doc.paragraphs.push_back(std::move(p));
    }
    return doc;
}

void ReportEdit::loadRtfDocument(const rtf::Document& doc) {
    clearWithDefaults();
    QTextCursor c(document());
    c.beginEditBlock();
    bool first = true;
    for (const rtf::Paragraph& p : doc.paragraphs) {
        QTextBlockFormat bf;
        bf.setTextIndent(p.firstLineIndent / kTwipsPerPixel);
        if (first) c.setBlockFormat(bf);
        else c.insertBlock(bf);
        first = false;
        for (const rtf::Run& r : p.runs) {
            QTextCharFormat f;
            f.setFontFamilies({qs(r.format.font)});
            f.setFontPointSize(std::max(1, r.format.halfPoints) / 2.0);
            f.setFontWeight(r.format.bold ? QFont::Bold : QFont::Normal);
            f.setFontItalic(r.format.italic);
            f.setFontUnderline(r.format.underline);
            f.setForeground(rgbColor(r.format.color));
            QString t = qs(r.text);
            t.replace(QLatin1Char('\n'), QChar::LineSeparator);
            c.insertText(t, f);
        }
    }
    c.endEditBlock();
    alignHalfWidth();
    settleLoaded();
    c.setPosition(0);
    setTextCursor(c);
}

bool ReportEdit::saveRtf(const QString& path, QString* error) const {
    std::string err;
    if (!text::writeFileAtomically(u8(path), rtf::writeRtf(toRtfDocument()), &err)) {
        if (error) *error = qs(err);
        return false;
    }
    return true;
}

bool ReportEdit::saveText(const QString& path, QString* error) const {
    QString t = toPlainText();
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    std::string gbk, bad, err;
    if (!text::utf8ToGbk(u8(t), gbk, &bad)) {
        if (error) *error = QStringLiteral("字符“%1”无法以文本格式保存").arg(qs(bad));
        return false;
    }
    if (!text::writeFileAtomically(u8(path), gbk, &err)) {
        if (error) *error = qs(err);
        return false;
    }
    return true;
}

bool ReportEdit::loadFile(const QString& path, QString* error) {
    std::string bytes, why;
    // A link, a FIFO or an oversized file is refused before anything is read.
    if (!text::readRegularFile(u8(path), text::kMaxReportBytes, bytes, &why)) {
        if (error) *error = qs(why);
        return false;
    }
    return loadBytes(bytes, error);
}

bool ReportEdit::loadBytes(const std::string& bytes, QString* error) {
    if (bytes.rfind("{\\rtf", 0) == 0) {
        rtf::Document doc;
        std::string err;
        if (!rtf::readRtf(bytes, doc, &err)) {
            if (error) *error = qs(err);
            return false;
        }
        loadRtfDocument(doc);
        return true;
    }
    const std::string utf8 = text::decodeFileText(bytes);
    clearWithDefaults();
    insertPlainText(qs(utf8).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    alignHalfWidth();
    settleLoaded();
    moveCursor(QTextCursor::Start);
    return true;
}

void ReportEdit::SetSelFontClick() {
    QTextCursor c = textCursor();
    if (!c.hasSelection()) return;
    const QTextCharFormat cur = c.charFormat();
    const QColor color = cur.hasProperty(QTextFormat::ForegroundBrush) ? cur.foreground().color() : QColor(Qt::black);
    SelectionFontDialog dlg(cur.font().resolve(document()->defaultFont()), color, this);
    if (dlg.exec() != QDialog::Accepted) return;
    const QFont font = dlg.selectedFont();
    QTextCharFormat f;
    f.setFontFamilies({font.family()});
    f.setFontPointSize(font.pointSizeF());
    f.setFontWeight(font.weight());
    f.setFontItalic(font.italic());
    f.setFontUnderline(font.underline());
    f.setFontStrikeOut(font.strikeOut());
    f.setForeground(dlg.color());
    c.mergeCharFormat(f);
}

void ReportEdit::ImportClick() {
    QFileDialog dlg(this, QStringLiteral("导入命稿"));
    dlg.setObjectName(QStringLiteral("OpenDialog"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilters({QStringLiteral("All.rtf (*.rtf)"), QStringLiteral("All.txt (*.txt)")});
    dlg.selectNameFilter(QStringLiteral("All.rtf (*.rtf)"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    if (!ReportImport(*this).importFile(dlg.selectedFiles().constFirst())) return;
    // The pane no longer holds the open case's stored report; undo still stops at the file.
    setModified(true);
}

void ReportEdit::SaveAsClick() {
    const QString rtfFilter = QStringLiteral("Rtf格式 (*.rtf)");
    const QString txtFilter = QStringLiteral("Txt格式 (*.txt)");
    QFileDialog dlg(this, QStringLiteral("另存为"));
    dlg.setObjectName(QStringLiteral("SaveDialog"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters({rtfFilter, txtFilter});
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    const bool asText = dlg.selectedNameFilter() == txtFilter;
    const QString ext = asText ? QStringLiteral(".txt") : QStringLiteral(".rtf");
    QString path = dlg.selectedFiles().constFirst();
    // The dialog confirmed only the name as typed; the extension is added here.
    if (!path.endsWith(ext, Qt::CaseInsensitive)) {
        path += ext;
        if (QFileInfo::exists(path) &&
            !askYesNo(this, QStringLiteral("文件“%1”已存在，要覆盖吗？").arg(path), QStringLiteral("注意"),
                      QMessageBox::Warning))
            return;
    }
    QString error;
    if (!(asText ? saveText(path, &error) : saveRtf(path, &error))) {
        message(this, QStringLiteral("未能保存“%1”：%2").arg(path, error), QStringLiteral("错误"), QMessageBox::Critical);
        return;
    }
    message(this, QStringLiteral("已保存！"), appTitle());
}

std::unique_ptr<QTextDocument> ReportEdit::printCopy(const QPrinter& printer) const {
    std::unique_ptr<QTextDocument> copy;
    if (printer.printRange() == QPrinter::Selection && textCursor().hasSelection()) {
        copy = std::make_unique<QTextDocument>();
        copy->setDefaultFont(document()->defaultFont());
        QTextCursor(copy.get()).insertFragment(textCursor().selection());
    } else {
        copy.reset(document()->clone());
    }
    prepareForPaper(*copy, qreal(printer.logicalDpiX()) / logicalDpiX());
    return copy;
}

QMimeData* ReportEdit::createMimeDataFromSelection() const {
    QTextDocument copy;
    copy.setDefaultFont(document()->defaultFont());
    QTextCursor(&copy).insertFragment(textCursor().selection());
    dropLetterSpacing(copy);
    auto* mime = new QMimeData;
    mime->setHtml(copy.toHtml());
    mime->setText(copy.toPlainText());
    return mime;
}

void ReportEdit::PrintClick() {
    if (message(this, QStringLiteral("准备开始打印吗?"), QStringLiteral("打印"), QMessageBox::Information,
                QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(printTitle_);
    QPrintDialog dlg(&printer, this);
    dlg.setObjectName(QStringLiteral("PrintDialog"));
    dlg.setMinMax(1, 100);
    dlg.setOption(QAbstractPrintDialog::PrintSelection, true);
    dlg.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dlg.exec() != QDialog::Accepted) return;
    if (printer.isValid()) printWithHeader(*printCopy(printer), printer, printTitle_);
    const QString file = printer.outputFileName();
    if (!printer.isValid() || printer.printerState() == QPrinter::Error || (!file.isEmpty() && !QFileInfo::exists(file))) {
        message(this, QStringLiteral("打印错误，请检查打印设备！"), QStringLiteral("打印错误"), QMessageBox::Critical);
    }
}

// ---- the pane's look ----

void ReportEdit::readSettings(const text::IniFile& ini) {
    setPaneFont(qs(ini.readString("minggao", "fname", kDefaultPaneFont)),
                ini.readInt("minggao", "fsize", kDefaultPaneSize));
    setBackground(colorFromNumber(ini.readInt("minggao", "bcolor", kDefaultBackground)));
}

bool ReportEdit::writeSettings(text::IniEditor& e) const {
    return e.writeString("minggao", "fname", u8(paneFont_.family())) &&
           e.writeInt("minggao", "fsize", paneFont_.pointSize()) &&
           e.writeInt("minggao", "bcolor", numberFromColor(background()));
}

void ReportEdit::useDefaultLook() {
    setPaneFont(QString::fromUtf8(kDefaultPaneFont), kDefaultPaneSize);
    setBackground(Qt::white);
    message(window(), QStringLiteral("设置完成"), appTitle());
}

void ReportEdit::chooseFont() {
    QFontDialog dlg(paneFont_, window());
    dlg.setObjectName(QStringLiteral("FontDialog"));
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    dlg.setWindowTitle(QStringLiteral("字体设置"));
    if (dlg.exec() != QDialog::Accepted) return;
    const QFont f = dlg.selectedFont();
    setPaneFont(f.family(), f.pointSize());
    message(window(), QStringLiteral("设置完成"), appTitle());
}

void ReportEdit::chooseBackground() {
    QColorDialog dlg(background(), window());
    dlg.setObjectName(QStringLiteral("ColorDialog"));
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    dlg.setWindowTitle(QStringLiteral("背景色设置"));
    if (dlg.exec() != QDialog::Accepted) return;
    setBackground(dlg.selectedColor());
    message(window(), QStringLiteral("设置完成"), appTitle());
}

}  // namespace hj::gui
