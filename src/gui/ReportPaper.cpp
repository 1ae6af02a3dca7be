#include "gui/ReportPaper.h"

#include <QTextBlock>
#include <QTextCursor>

#include <vector>

namespace hj::gui {

void dropLetterSpacing(QTextDocument& doc) {
    // Ranges first: changing a format merges fragments under a running iterator.
    struct Range {
        int from, to;
        QTextCharFormat format;
    };
    std::vector<Range> ranges;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            QTextCharFormat f = frag.charFormat();
            if (!f.hasProperty(QTextFormat::FontLetterSpacing) && !f.hasProperty(QTextFormat::FontLetterSpacingType))
                continue;
            f.clearProperty(QTextFormat::FontLetterSpacing);
            f.clearProperty(QTextFormat::FontLetterSpacingType);
            ranges.push_back({frag.position(), frag.position() + frag.length(), f});
        }
    }
    QTextCursor c(&doc);
    c.beginEditBlock();
    for (const Range& r : ranges) {
        c.setPosition(r.from);
        c.setPosition(r.to, QTextCursor::KeepAnchor);
        c.setCharFormat(r.format);
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
