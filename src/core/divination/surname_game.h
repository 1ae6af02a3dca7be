#pragma once
// 巧猜姓氏: seven tables of 64 surnames; the answers "有"/"没有" are the seven bits of the
// surname's position in a fixed list of 127.
#include <array>
#include <string>
#include <string_view>

namespace hj {

inline constexpr int kSurnameCount = 127;

// Surname number p (1..127) as UTF-8; empty outside the range.
std::string_view surnameAt(int p);

class SurnameGame {
public:
    SurnameGame() { restart(); }

    // 重来: back to the first table (bit 6).
    void restart();
    // One answer for the table on screen (true: the surname is in it). Ignored once over.
    void answer(bool yes);

    bool over() const { return tablesLeft_ == 0; }
    int answerSum() const { return answerSum_; }
    int weight() const { return weight_; }
    int tablesLeft() const { return tablesLeft_; }

    // The 64 surname numbers of the table on screen, in grid order (row by row, 8 a row).
    std::array<int, 64> tablePositions() const;
    // "倒数 第7 张表" while playing.
    std::string tableCaption() const;
    // When over: "你姓:萧", or empty when no table held the surname.
    std::string resultText() const;

private:
    void step(int a);
    int answerSum_ = 0, weight_ = 128, tablesLeft_ = 8;
};

inline constexpr std::string_view kMsgSurnameUnknown = "你的姓不在本字库中!";

}  // namespace hj
