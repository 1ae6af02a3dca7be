#include "core/report/report_rtf.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace hj {

rtf::Document styledReport(std::string_view report, const std::vector<StyleSpan>& spans, const rtf::CharFormat& base,
                           int indentTwips) {
    const std::string text = paneText(report);
    // Character index -> byte offset: spans count characters.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    const std::size_t chars = starts.size();
    starts.push_back(text.size());

    std::vector<rtf::CharFormat> formats(chars, base);
    for (const StyleSpan& s : spans) {
        if (s.start < 0 || s.length <= 0) continue;
        const std::size_t from = std::min(chars, static_cast<std::size_t>(s.start));
        const std::size_t to = std::min(chars, from + static_cast<std::size_t>(s.length));
        for (std::size_t i = from; i < to; ++i) {
            rtf::CharFormat& f = formats[i];
            if (s.setColor) f.color = s.color;
            if (s.bold) f.bold = true;
            if (s.sizeDelta != 0) f.halfPoints = std::max(2, base.halfPoints + 2 * s.sizeDelta);
        }
    }

    rtf::Document doc;
    rtf::Paragraph para;
    para.firstLineIndent = indentTwips;
    for (std::size_t i = 0; i < chars;) {
        if (text[starts[i]] == '\n') {
            doc.paragraphs.push_back(std::move(para));
            para = rtf::Paragraph{};
            para.firstLineIndent = indentTwips;
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < chars && text[starts[j]] != '\n' && formats[j] == formats[i]) ++j;
        rtf::appendText(para, std::string_view(text).substr(starts[i], starts[j] - starts[i]), formats[i]);
        i = j;
    }
    doc.paragraphs.push_back(std::move(para));
    return doc;
}

rtf::Document reportDocument(const Report& report, const rtf::CharFormat& font, int leftpos) {
    return styledReport(report.text, report.spans, font, leftpos * 15);
}

}  // namespace hj
