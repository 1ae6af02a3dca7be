#include "core/divination/surname_game.h"

namespace hj {
namespace {

constexpr std::string_view kSurnames =
    "白赵张包鲍谢郑周蔡曹岑熊徐晁陈程褚朱楚崔戴邓许丁董窦薛杜段樊范方严阎冯曾傅高甘葛耿龚巩章顾关郭韩郝何贺洪"
    "胡华黄尤纪杨贾江姜蒋金孔赖姚郎叶雷游李云连梁廖林刘柳卢鲁陆吕罗余马毛梅俞苗倪牛潘庞彭袁岳戚齐祁钱乔秦邱任阮邵"
    "沈施石史宋苏孙汤唐陶田王万卫韦魏温吴伍肖萧";
// Every surname of the list is a three-byte UTF-8 character.
static_assert(kSurnames.size() == 3 * kSurnameCount);

}  // namespace

std::string_view surnameAt(int p) {
    if (p < 1 || p > kSurnameCount) return {};
    return kSurnames.substr(static_cast<std::size_t>(p - 1) * 3, 3);
}

void SurnameGame::restart() {
    answerSum_ = 0;
    weight_ = 128;
    tablesLeft_ = 8;
    step(0);
}

void SurnameGame::answer(bool yes) {
    if (!over()) step(yes ? 1 : 0);
}

void SurnameGame::step(int a) {
    --tablesLeft_;
    answerSum_ += a * weight_;
    if (tablesLeft_ != 0) weight_ /= 2;
}

std::array<int, 64> SurnameGame::tablePositions() const {
    std::array<int, 64> out{};
    if (over()) return out;
    const int bit = tablesLeft_ - 1;
    std::size_t k = 0;
    for (int p = 1; p <= kSurnameCount && k < out.size(); ++p)
        if (p >> bit & 1) out[k++] = p;
    return out;
}

std::string SurnameGame::tableCaption() const { return "倒数 第" + std::to_string(tablesLeft_) + " 张表"; }

std::string SurnameGame::resultText() const {
    if (!over() || answerSum_ == 0) return {};
    return "你姓:" + std::string(surnameAt(answerSum_));
}

}  // namespace hj
