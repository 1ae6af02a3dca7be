#include "gui/ReportPaper.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
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

bool printWithHeader(QTextDocument& copy, QPrinter& printer, const QString& title) {
    printer.setDocName(title);
    // A PDF has no margins of its own: text would touch the paper's edge.
    if (printer.pageLayout().margins(QPageLayout::Millimeter).left() < 10)
        printer.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
    QPainter p;
    if (!p.begin(&printer)) return false;
    // Laid out in the printer's own pixels, as the indents already are.
    copy.documentLayout()->setPaintDevice(&printer);
    const QRectF paper(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    QFont headerFont = copy.defaultFont();
    headerFont.setPointSizeF(9);
    const QFontMetricsF fm(headerFont, &printer);
    const qreal header = fm.height() * 2;
    copy.setPageSize(QSizeF(paper.width(), paper.height() - header));
    const int pages = copy.pageCount();
    const qreal body = paper.height() - header;
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage()) return false;
        p.save();
        p.setFont(headerFont);
        const QRectF line(0, 0, paper.width(), fm.height() * 1.4);
        p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, title);
        p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("第%1页 共%2页").arg(i + 1).arg(pages));
        p.drawLine(QPointF(0, line.bottom()), QPointF(paper.width(), line.bottom()));
        p.restore();
        p.save();
        p.translate(0, header - i * body);
        copy.drawContents(&p, QRectF(0, i * body, paper.width(), body));
        p.restore();
    }
    return p.end();
}

}  // namespace hj::gui
