#include "gui/ReportPaper.h"

#include <QTextBlock>
#include <QTextCursor>

namespace hj::gui {

void dropLetterSpacing(QTextDocument& doc) {
    QTextCursor c(&doc);
    c.beginEditBlock();
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            QTextCharFormat f = frag.charFormat();
            if (!f.hasProperty(QTextFormat::FontLetterSpacing) && !f.hasProperty(QTextFormat::FontLetterSpacingType))
                continue;
            f.clearProperty(QTextFormat::FontLetterSpacing);
            f.clearProperty(QTextFormat::FontLetterSpacingType);
            c.setPosition(frag.position());
            c.setPosition(frag.position() + frag.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(f);
        }
    }
    c.endEditBlock();
}

void prepareForPaper(QTextDocument& doc, qreal pixelScale) {
    dropLetterSpacing(doc);
    QTextCursor c(&doc);
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        if (f.textIndent() == 0 && f.leftMargin() == 0 && f.rightMargin() == 0) continue;
        f.setTextIndent(f.textIndent() * pixelScale);
        f.setLeftMargin(f.leftMargin() * pixelScale);
        f.setRightMargin(f.rightMargin() * pixelScale);
        c.setPosition(b.position());
        c.setBlockFormat(f);
    }
}

}  // namespace hj::gui
