// The Traditional conversion runs from the committed rule table (resources/data/hant_rules.tsv)
// on every system. Where ICU is at hand the table is held against the conversion it was written
// from: every shipped text, line by line, both ways (a check of tools/gen_icu_tables.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/text/gbk.h"
#include "core/traditional/conversion.h"
#include "icu_reference.h"

namespace hj::traditional {
namespace {

namespace fs = std::filesystem;

// Each kind of rule the table holds: a character, a phrase, a character after a numeral (the
// numeral as already converted: 两 is 兩 by then), before one of a set, before a given text.
TEST(TraditionalEngines, TableAppliesEachKindOfRule) {
    ASSERT_TRUE(available());
    struct Case {
        const char* what;
        const char* simplified;
        const char* traditional;
    };
    const Case cases[] = {
        {"characters", "农历", "農曆"},       {"a phrase", "复制", "複製"},
        {"a phrase", "五谷", "五穀"},         {"after a numeral", "三只", "三隻"},
        {"after a converted numeral", "两只", "兩只"}, {"no context", "只有", "只有"},
        {"before a set", "丰姿", "丰姿"},     {"not before it", "丰富", "豐富"},
        {"before a text", "一出戏", "一齣戲"}, {"plain text", "abc 123", "abc 123"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toTraditional(c.simplified), c.traditional) << c.what;
        if (test::icu::available()) {
            EXPECT_EQ(test::icu::transliterate(true, c.simplified), detail::generalConversion(c.simplified, true)) << c.what;
        }
    }
    EXPECT_EQ(toSimplified("張三豐"), "张三丰");
    EXPECT_EQ(toSimplified("複製"), "复制");
}

TEST(TraditionalEngines, EveryShippedTextAsIcuConvertsIt) {
    if (!test::icu::available()) GTEST_SKIP() << "no ICU on this machine: the table is compared where it is";
    const fs::path root = fs::path(HJ_SOURCE_DIR) / "resources";
    int lines = 0, files = 0;
    for (const char* folder : {"texts", "dat"}) {
        for (const fs::directory_entry& e : fs::directory_iterator(root / folder)) {
            const std::string name = e.path().filename().string();
            if (name == "README.md" || name == "hzlen.dat") continue;
            std::ifstream in(e.path(), std::ios::binary);
            std::string bytes(std::istreambuf_iterator<char>(in), {});
            const std::string text = folder == std::string("dat") ? text::decodeFileText(bytes) : bytes;
            ++files;
            std::size_t at = 0;
            int mismatches = 0;
            while (at < text.size()) {
                const std::size_t nl = std::min(text.find('\n', at), text.size());
                const std::string line = text.substr(at, nl - at);
                at = nl + 1;
                ++lines;
                const std::string icu = test::icu::transliterate(true, line), table = detail::generalConversion(line, true);
                if (icu != table && ++mismatches <= 3) ADD_FAILURE() << name << ": " << line << "\nICU:   " << icu << "\ntable: " << table;
                const std::string back = test::icu::transliterate(false, icu), tableBack = detail::generalConversion(icu, false);
                if (back != tableBack && ++mismatches <= 3) ADD_FAILURE() << name << " back: " << icu;
            }
        }
    }
    EXPECT_GE(files, 7);
    EXPECT_GT(lines, 1000);
}

}  // namespace
}  // namespace hj::traditional
