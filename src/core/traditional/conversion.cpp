#include "core/traditional/conversion.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

#include "core/traditional/phrases.h"
#include "core/text/gbk.h"

namespace hj::traditional {
namespace {

// ICU transliterators are not safe to share between threads; each thread makes its own once.
icu::Transliterator* transliterator(bool toTrad) {
    struct Pair {
        std::unique_ptr<icu::Transliterator> trad, simp;
        bool tried = false;
    };
    thread_local Pair pair;
    if (!pair.tried) {
        pair.tried = true;
        UErrorCode e = U_ZERO_ERROR;
        pair.trad.reset(icu::Transliterator::createInstance("Hans-Hant", UTRANS_FORWARD, e));
        if (U_FAILURE(e)) pair.trad.reset();
        e = U_ZERO_ERROR;
        pair.simp.reset(icu::Transliterator::createInstance("Hant-Hans", UTRANS_FORWARD, e));
        if (U_FAILURE(e)) pair.simp.reset();
    }
    return toTrad ? pair.trad.get() : pair.simp.get();
}

bool hasGbkForm(std::string_view utf8) {
    std::string ignored;
    return text::utf8ToGbk(utf8, ignored);
}

std::string runIcu(icu::Transliterator* t, std::string_view utf8) {
    if (!t || utf8.empty()) return std::string(utf8);
    auto u = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    t->transliterate(u);
    std::string out;
    u.toUTF8String(out);
    return out;
}

// The general conversion of a run, keeping GBK-holdable text GBK-holdable: when the converted
// run has a character GBK lacks, the run is converted again character by character and such a
// character keeps its source form.
std::string convertRun(icu::Transliterator* t, std::string_view run) {
    std::string out = runIcu(t, run);
    if (hasGbkForm(out) || !hasGbkForm(run)) return out;
    out.clear();
    for (std::size_t i = 0; i < run.size();) {
        const std::size_t start = i;
        text::nextUtf8Char(run, i);
        const std::string_view ch = run.substr(start, i - start);
        const std::string c = runIcu(t, ch);
        out += hasGbkForm(c) ? c : std::string(ch);
    }
    return out;
}

}  // namespace

bool available() { return transliterator(true) != nullptr && transliterator(false) != nullptr; }

std::string toTraditional(std::string_view utf8, const std::vector<std::string>& keep) {
    if (!text::isValidUtf8(utf8)) return std::string(utf8);
    icu::Transliterator* t = transliterator(true);
    std::string out;
    out.reserve(utf8.size());
    std::size_t runStart = 0;
    auto flush = [&](std::size_t end) {
        out += convertRun(t, utf8.substr(runStart, end - runStart));
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const std::string_view rest = utf8.substr(i);
        std::size_t kept = 0;
        for (const std::string& k : keep)
            if (!k.empty() && k.size() > kept && rest.substr(0, k.size()) == k) kept = k.size();
        const Phrase* p = kept ? nullptr : phraseAt(rest);
        if (!kept && !p) {
            text::nextUtf8Char(utf8, i);
            continue;
        }
        flush(i);
        if (kept) out += rest.substr(0, kept);
        else out += p->traditional;
        i += kept ? kept : p->simplified.size();
        runStart = i;
    }
    flush(utf8.size());
    return out;
}

std::string toSimplified(std::string_view utf8) {
    if (!text::isValidUtf8(utf8)) return std::string(utf8);
    icu::Transliterator* t = transliterator(false);
    std::string out;
    out.reserve(utf8.size());
    std::size_t runStart = 0;
    constexpr std::string_view kQian = "乾";
    for (std::size_t i = 0; i < utf8.size();) {
        if (utf8.substr(i, kQian.size()) != kQian) {
            text::nextUtf8Char(utf8, i);
            continue;
        }
        out += convertRun(t, utf8.substr(runStart, i - runStart));
        out += kQian;
        i += kQian.size();
        runStart = i;
    }
    out += convertRun(t, utf8.substr(runStart));
    return out;
}

std::string simplifiedCharacter(std::string_view ch) { return toSimplified(ch); }

}  // namespace hj::traditional
