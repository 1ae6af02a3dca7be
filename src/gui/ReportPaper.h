#pragma once
// The report pane's text leaving the screen: on paper, in a PDF and on the clipboard. The pane
// draws ASCII half as wide as a Chinese character with letter spacing, and its first-line
// indents are screen pixels; neither belongs in what leaves it.
#include <QTextDocument>

namespace hj::gui {

// Clears the letter spacing of every character of `doc` (the text is unchanged).
void dropLetterSpacing(QTextDocument& doc);

// Makes a copy of the pane's text fit for printing: no letter spacing, so a PDF's text reads as
// the pane's, and block indents and margins multiplied by `pixelScale` (printer pixels per
// screen pixel), so that they keep their size on paper.
void prepareForPaper(QTextDocument& copy, qreal pixelScale);

}  // namespace hj::gui
