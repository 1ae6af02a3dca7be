// 巧猜姓氏 and 测怀孕: the game's answers and tables, the conception chart and its age limits.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/divination/conception.h"
#include "core/divination/surname_game.h"

namespace {

// Plays seven answers, bit 6 first.
hj::SurnameGame play(int bits) {
    hj::SurnameGame g;
    for (int b = 6; b >= 0; --b) g.answer((bits >> b & 1) != 0);
    return g;
}

}  // namespace

TEST(SurnameGame, Answers) {
    const struct { int bits; int sum; const char* result; } cases[] = {
        {0, 0, ""}, {127, 127, "你姓:萧"}, {64, 64, "你姓:孔"}, {1, 1, "你姓:白"}, {20, 20, "你姓:崔"},
        {50, 50, "你姓:何"}};
    for (const auto& c : cases) {
        const hj::SurnameGame g = play(c.bits);
        EXPECT_TRUE(g.over()) << c.bits;
        EXPECT_EQ(g.answerSum(), c.sum) << c.bits;
        EXPECT_EQ(g.resultText(), c.result) << c.bits;
    }
}

TEST(SurnameGame, StatesAndTables) {
    hj::SurnameGame g;
    EXPECT_EQ(g.tablesLeft(), 7);
    EXPECT_EQ(g.weight(), 64);
    EXPECT_EQ(g.answerSum(), 0);
    EXPECT_EQ(g.tableCaption(), "倒数 第7 张表");
    EXPECT_EQ(g.tablePositions().front(), 64);
    EXPECT_EQ(g.tablePositions().back(), 127);

    for (int left = 7; left >= 1; --left) {
        EXPECT_EQ(g.tablesLeft(), left);
        EXPECT_EQ(g.tableCaption(), "倒数 第" + std::to_string(left) + " 张表");
        std::set<int> seen;
        for (int p : g.tablePositions()) {
            EXPECT_TRUE(p >> (left - 1) & 1) << "table " << left << " lists " << p;
            seen.insert(p);
        }
        EXPECT_EQ(seen.size(), 64u) << "table " << left;
        g.answer(true);
    }
    EXPECT_TRUE(g.over());
    EXPECT_EQ(g.answerSum(), 127);
    g.answer(true);  // buttons are disabled by then; a stray answer changes nothing
    EXPECT_EQ(g.answerSum(), 127);
    EXPECT_EQ(g.tablesLeft(), 0);

    g.restart();
    EXPECT_EQ(g.tablesLeft(), 7);
    EXPECT_EQ(g.answerSum(), 0);
    EXPECT_FALSE(g.over());
}

TEST(SurnameGame, LastTableHoldsTheOddNumbers) {
    hj::SurnameGame g = play(0);
    g.restart();
    for (int i = 0; i < 6; ++i) g.answer(false);
    ASSERT_EQ(g.tablesLeft(), 1);
    const auto t = g.tablePositions();
    for (std::size_t k = 0; k < t.size(); ++k) EXPECT_EQ(t[k], static_cast<int>(2 * k + 1));
    EXPECT_EQ(hj::surnameAt(t[0]), "白");
    EXPECT_EQ(hj::surnameAt(0), "");
    EXPECT_EQ(hj::surnameAt(128), "");
}

TEST(Conception, Chart) {
    const struct { int age, month; bool boy; } cases[] = {
        {18, 1, false}, {18, 2, true}, {18, 12, true}, {21, 1, true}, {45, 1, false}, {45, 12, true},
        {30, 11, true}, {44, 3, false}};
    for (const auto& c : cases) {
        bool boy = !c.boy;
        std::string error;
        ASSERT_TRUE(hj::predictBoy(c.age, c.month, boy, error)) << c.age << "/" << c.month;
        EXPECT_EQ(boy, c.boy) << c.age << "/" << c.month;
    }
    for (int m = 2; m <= 12; ++m) {
        bool boy = true;
        std::string error;
        ASSERT_TRUE(hj::predictBoy(21, m, boy, error));
        EXPECT_FALSE(boy) << "21/" << m;  // age 21: a boy only in the first month
    }
    EXPECT_EQ(hj::conceptionText(true), "生男孩");
    EXPECT_EQ(hj::conceptionText(false), "生女孩");
}

TEST(Conception, Refusals) {
    for (int age : {17, 46, 0, -20}) {
        bool boy = false;
        std::string error;
        EXPECT_FALSE(hj::predictBoy(age, 1, boy, error)) << age;
        EXPECT_EQ(error, "母亲年龄在18-45岁") << age;
    }
    bool boy = false;
    std::string error;
    EXPECT_FALSE(hj::predictBoy(30, 0, boy, error));
    EXPECT_FALSE(hj::predictBoy(30, 13, boy, error));
}

TEST(Conception, AgeText) {
    const struct { const char* text; int age; } cases[] = {
        {"22", 22}, {" 18", 18}, {"+45", 45}, {"-1", -1}, {"", 0}, {"ab", 0}, {"2a", 0}, {"1 8", 0},
        {"99999999999", 0}};
    for (const auto& c : cases) EXPECT_EQ(hj::parseMotherAge(c.text), c.age) << c.text;
}
