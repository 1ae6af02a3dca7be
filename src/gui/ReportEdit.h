#pragma once
// The report pane (命稿): a rich-text edit that shows the engine's reports with their marking,
// and its pop-up commands: undo, redo, clipboard, selection font, import, save as, print.
// Whatever the program puts into the pane (a chart, a stored case, a file) is the start of the
// user's editing: it cannot be undone, and the modified flag counts only the user's edits.
#include <QTextEdit>

#include "core/report/report.h"
#include "core/rtf/rtf.h"

#include <memory>

class QMenu;
class QPrinter;

namespace hj::text {
class IniEditor;
class IniFile;
}  // namespace hj::text

namespace hj::gui {

class ReportEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit ReportEdit(QWidget* parent = nullptr);

    // A report of the engine: clear, default attributes, first-line indent, text, marking, caret
    // at start.
    void showReport(const std::string& paneText, const std::vector<StyleSpan>& spans, int leftIndent);
    // Empties the pane and sets the default attributes: pane font size, black, no style.
    void clearWithDefaults();
    // The single placeholder line shown while a chart is computed.
    void showPlaceholder(const QString& line);

    // The pane's font (name and size from [minggao]) and background colour.
    void setPaneFont(const QString& family, int pointSize);
    QFont paneFont() const { return paneFont_; }
    void setBackground(const QColor& c);
    QColor background() const;
    // The font and colour last saved: [minggao] fname, fsize and bcolor.
    void readSettings(const text::IniFile& ini);
    bool writeSettings(text::IniEditor& e) const;

    // The pane as the styled-text model of the RTF writer, and back.
    rtf::Document toRtfDocument() const;
    // Loads as the program's own text: half-width letters aligned, nothing to undo, cursor at the start.
    void loadRtfDocument(const rtf::Document& doc);

    // Saving and loading files; false with a message in `error`. Text is GBK on disk.
    bool saveRtf(const QString& path, QString* error) const;
    bool saveText(const QString& path, QString* error) const;
    // RTF when the file starts as RTF, else text (GBK, or UTF-8 when it reads as UTF-8).
    bool loadFile(const QString& path, QString* error);
    // The same for a file's bytes already read.
    bool loadBytes(const std::string& bytes, QString* error);

    // Reports count a Chinese character as two ASCII columns. Fonts rarely draw ASCII exactly
    // half as wide, so each ASCII character gets the letter spacing that makes it so, and the
    // chart's columns line up in any font. Editing the text is unaffected.
    void alignHalfWidth();

    bool isModified() const;
    void setModified(bool m);
    // Makes the present text the start of editing: no undo past it, not modified.
    void settleLoaded();

    QMenu* popupMenu() const { return pmnuPane; }

    // What "打印" prints on `printer`: the pane (or its selection, when the dialog asked for
    // it) with the ASCII spacing dropped and indents in the printer's pixels.
    std::unique_ptr<QTextDocument> printCopy(const QPrinter& printer) const;
    // The name a printout carries in its running header and as its title (the case's name).
    void setPrintTitle(const QString& title) { printTitle_ = title; }
    const QString& printTitle() const { return printTitle_; }

public slots:
    // 命稿设置: 默认 (宋体 12 on white), 字体设置 and 背景色设置; each says 设置完成.
    void useDefaultLook();
    void chooseFont();
    void chooseBackground();
    void SetSelFontClick();
    void ImportClick();
    void SaveAsClick();
    void PrintClick();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // Copies carry the text and its look, without the spacing that lines ASCII up here.
    QMimeData* createMimeDataFromSelection() const override;

private:
    QMenu* pmnuPane;
    QFont paneFont_;
    QString printTitle_;
};

}  // namespace hj::gui
