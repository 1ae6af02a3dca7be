#pragma once
// The report pane's text leaving the screen: on paper, in a PDF and on the clipboard. The pane
// draws ASCII half as wide as a Chinese character with letter spacing, and its first-line
// indents are screen pixels; neither belongs in what leaves it.
#include <QTextDocument>

class QPrinter;

namespace hj::gui {

// Clears the letter spacing of every character of `doc` (the text is unchanged).
void dropLetterSpacing(QTextDocument& doc);

// Makes a copy of the pane's text fit for printing: no letter spacing, so a PDF's text reads as
// the pane's, and block indents and margins multiplied by `pixelScale` (printer pixels per
// screen pixel), so that they keep their size on paper.
void prepareForPaper(QTextDocument& copy, qreal pixelScale);

// Prints `copy` (from ReportEdit::printCopy) on `printer`, page by page, each page under a
// running header: `title` (the case name) on the left, "第N页 共M页" on the right. The title
// is also the document's name, which a PDF keeps as its title. False when the printer could
// not be opened.
bool printWithHeader(QTextDocument& copy, QPrinter& printer, const QString& title);

}  // namespace hj::gui
