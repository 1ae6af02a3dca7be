// Every text the program ships, in Traditional characters, as a reader of Traditional Chinese
// read it line by line and approved it (fixtures/traditional_texts.txt). The conversion must
// give exactly that: a change to the phrase list or to a text that alters one converted line
// shows here with its source, to be read again before the fixture is updated.
//
// To write the fixture anew after such a reading: HJ_WRITE_FIXTURES=1 core_chart_tests
// --gtest_filter=TraditionalTexts.*
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/resources.h"
#include "core/report/report.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/threelives/three_lives.h"
#include "core/traditional/conversion.h"

namespace {

struct Source {
    std::string name;
    std::string text;  // UTF-8, "\n" line ends
};

std::string withoutCarriageReturns(std::string s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '\r') out += c;
    return out;
}

// The shipped texts, in a fixed order: the numbered texts, the three-lives resource, the help
// texts, the commentary sentences, and the program's own notes in the report.
std::vector<Source> shippedTexts() {
    std::vector<Source> out;
    for (const char* name : {"texts/numbered.tsv", "texts/moreduan.txt", "texts/help_usage.txt", "texts/help_history.txt"})
        out.push_back({name, withoutCarriageReturns(std::string(hj::embeddedResource(name)))});
    std::string bytes;
    hj::text::readWholeFile(HJ_SOURCE_DIR "/resources/dat/bzpingyu.dat", bytes);
    out.push_back({"dat/bzpingyu.dat", withoutCarriageReturns(hj::text::gbkToUtf8(bytes))});
    std::string notes;
    for (std::string_view note : {hj::kThreeLivesNote, hj::kLifeSpanNote, hj::kChildPassesNote})
        notes += std::string(note) + "\n";
    out.push_back({"report notes", notes});
    return out;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(TraditionalTexts, EveryShippedTextAsReviewed) {
    if (!hj::traditional::available()) GTEST_SKIP() << "no conversion data on this build";
    const std::vector<Source> sources = shippedTexts();
    std::vector<std::string> source, converted;  // line by line, a "## name" line before each text
    for (const Source& s : sources) {
        ASSERT_FALSE(s.text.empty()) << s.name;
        source.push_back("## " + s.name);
        converted.push_back("## " + s.name);
        for (const std::string& line : linesOf(s.text)) {
            source.push_back(line);
            converted.push_back(hj::traditional::toTraditional(line));
        }
    }
    const std::string path = HJ_SOURCE_DIR "/tests/core/fixtures/traditional_texts.txt";
    if (std::getenv("HJ_WRITE_FIXTURES")) {
        std::string all;
        for (const std::string& line : converted) all += line + "\n";
        std::string error;
        ASSERT_TRUE(hj::text::writeFileAtomically(path, all, &error)) << error;
    }
    std::string bytes;
    ASSERT_TRUE(hj::text::readWholeFile(path, bytes)) << path;
    const std::vector<std::string> reviewed = linesOf(bytes);
    ASSERT_EQ(reviewed.size(), converted.size()) << "a text gained or lost lines: read the new lines and update " << path;
    int shown = 0;
    for (std::size_t i = 0; i < converted.size() && shown < 20; ++i)
        if (converted[i] != reviewed[i]) {
            ++shown;
            ADD_FAILURE() << "line " << i + 1 << "\n  source:   " << source[i] << "\n  now:      " << converted[i]
                          << "\n  reviewed: " << reviewed[i];
        }
    // The reviewed words themselves: each fix of the phrase list as the reader asked for it.
    const struct {
        const char* simplified;
        const char* traditional;
    } words[] = {{"心细如发", "心細如髮"},   {"端阳午日红绳系", "端陽午日紅繩繫"}, {"拜寄神明为干亲", "拜寄神明為乾親"},
                 {"施茶舍饭", "施茶捨飯"},   {"聚散无定准", "聚散無定準"},     {"喜远游", "喜遠遊"},
                 {"志在四方游", "志在四方遊"}, {"或作游幕", "或作遊幕"},       {"春耕秋获", "春耕秋穫"},
                 {"楼台", "樓臺"},           {"损墙台", "損牆臺"},             {"吊客主丧服，忌探病吊丧", "弔客主喪服，忌探病弔喪"},
                 {"天吊关", "天吊關"},       {"金木相克，主初配多刑克", "金木相剋，主初配多刑剋"},
                 {"克己持身，以柔克刚", "克己持身，以柔克剛"}, {"可托大事，托化炉边", "可託大事，託化爐邊"},
                 {"※前世托化：【托化】", "※前世託化：【託化】"}, {"二十八宿：斗。", "二十八宿：斗。"},
                 {"七娘星斗下", "七娘星斗下"}, {"多争斗", "多爭鬥"},
                 {"作事多反复", "作事多反覆"}, {"轮回，功德回向", "輪迴，功德迴向"}, {"跌仆刀伤", "跌仆刀傷"}};
    for (const auto& w : words) EXPECT_EQ(hj::traditional::toTraditional(w.simplified), w.traditional) << w.simplified;
}
