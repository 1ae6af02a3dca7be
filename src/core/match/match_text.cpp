// The comparison as the window, the file and the command line show it.
#include <string>

#include "core/chart/derived.h"
#include "core/match/match.h"
#include "core/text/utf8.h"
#include "core/traditional/conversion.h"

namespace hj::match {
namespace {

constexpr std::string_view kGap = "　";

// Appends text piece by piece, each converted as asked, counting characters for the marking.
class Writer {
public:
    explicit Writer(bool traditional) : traditional_(traditional) {}

    void put(std::string_view s) { append(traditional_ ? traditional::toTraditional(s) : std::string(s)); }
    // A name passes as typed.
    void putAsTyped(std::string_view s) { append(std::string(s)); }
    void putVerdict(Verdict v) {
        const std::int32_t start = chars_;
        put(verdictName(v));
        if (v == Verdict::Neutral) return;
        StyleSpan span;
        span.start = start;
        span.length = chars_ - start;
        span.setColor = true;
        span.color = v == Verdict::Good ? kGoodColor : kBadColor;
        out_.spans.push_back(span);
    }
    void bold(std::string_view s) { boldPiece(s, true); }
    void boldAsTyped(std::string_view s) { boldPiece(s, false); }
    MatchText take() { return std::move(out_); }

private:
    void boldPiece(std::string_view s, bool convert) {
        const std::int32_t start = chars_;
        if (convert)
            put(s);
        else
            putAsTyped(s);
        StyleSpan span;
        span.start = start;
        span.length = chars_ - start;
        span.bold = true;
        out_.spans.push_back(span);
    }
    void append(const std::string& s) {
        for (std::size_t pos = 0; pos < s.size();) {
            text::nextUtf8Char(s, pos);
            ++chars_;
        }
        out_.text += s;
    }
    bool traditional_;
    MatchText out_;
    std::int32_t chars_ = 0;
};

void header(Writer& w, const MatchParty& p) {
    w.put(p.label + "：");
    w.putAsTyped(p.name);
    std::string rest = std::string(kGap) + (p.male ? "乾造" : "坤造") + std::string(kGap);
    for (int i = 0; i < 4; ++i) rest += (i ? " " : "") + pillarName(p.pillars[i]);
    // 纳音 on a line of its own, so that a narrow pane never breaks the word.
    rest += "\n" + std::string(kGap) + "纳音";
    for (int i = 0; i < 4; ++i) rest += " " + p.nayinNames[i];
    w.put(rest + "\n" + std::string(kGap) + "出生 ");
    w.putAsTyped(p.place);
    std::string times;
    for (const std::string& t : p.times) times += (times.empty() ? std::string(kGap) : "；") + t;
    w.put(times + "\n");
}

}  // namespace

MatchText matchText(const MatchResult& r, bool traditional) {
    Writer w(traditional);
    // The title names both, as typed; an unnamed side is called by its label.
    w.bold("合婚对照：");
    for (int i = 0; i < 2; ++i) {
        const MatchParty& p = r.parties[i];
        if (i) w.bold("、");
        if (p.name.empty())
            w.bold(p.label);
        else
            w.boldAsTyped(p.name);
    }
    w.put("\n");
    header(w, r.parties[0]);
    header(w, r.parties[1]);
    for (const MatchItem& item : r.items) {
        std::string line = item.aspect + "：" + item.kind + std::string(kGap);
        if (!item.chars.empty()) line += item.chars + std::string(kGap);
        w.put(line);
        w.putVerdict(item.verdict);
        if (!item.also.empty()) {
            std::string also;
            for (const std::string& k : item.also) also += (also.empty() ? "" : "、") + k;
            w.put("（兼" + also + "，以" + item.kind + "为主）");
        }
        w.put("\n");
        if (!item.note.empty()) w.put(std::string(kGap) + item.note + "\n");
    }
    if (r.others.empty()) {
        w.put("其他柱间：无\n");
    } else {
        w.put("其他柱间（只列不断）：\n");
        for (const PillarPairRelation& o : r.others) {
            std::string kinds = o.kind;
            for (const std::string& k : o.also) kinds += "、" + k;
            w.put(std::string(kGap) + r.parties[0].label + std::string(pillarLabel(o.pillarA)) + "·" +
                  r.parties[1].label + std::string(pillarLabel(o.pillarB)) + std::string(kGap) + kinds +
                  std::string(kGap) + o.chars + "\n");
        }
    }
    w.put("合计：");
    w.putVerdict(Verdict::Good);
    w.put(" " + std::to_string(r.count(Verdict::Good)) + " 项，");
    w.putVerdict(Verdict::Bad);
    w.put(" " + std::to_string(r.count(Verdict::Bad)) + " 项。\n");
    w.put("以上依传统合婚之说列出，仅供参考。\n");
    return w.take();
}

}  // namespace hj::match
