#!/usr/bin/env bash
# The perpetual-calendar page and the reverse search: output, year numbering and refusals.
set -u
cli=$1
source "$(dirname "$0")/lib.sh"

page=$("$cli" month 2024-02 --day 10 --time 23:00)
check title "2024年2月" "$(sed -n 1p <<<"$page")"
check header "$(printf '星期一\t星期二\t星期三\t星期四\t星期五\t星期六\t星期日')" "$(sed -n 2p <<<"$page")"
# 1 February 2024 is a Thursday; 立春 on the 4th; the lunar new year on the 10th.
check first-week "$(printf '\t\t\t2月 十二月廿二\t2 十二月廿三\t3 十二月廿四\t4 立春 十二月廿五')" "$(sed -n 3p <<<"$page")"
check new-year "$(printf '5 十二月廿六\t6 十二月廿七\t7 十二月廿八\t8 十二月廿九\t9 十二月三十\t10 正月初一\t11 正月初二')" "$(sed -n 4p <<<"$page")"
check last-week "$(printf '26 正月十七\t27 正月十八\t28 正月十九\t29 正月二十\t\t\t')" "$(sed -n 7p <<<"$page")"
check terms "$(printf '立春:4日16时27分\n雨水:19日12时13分')" "$(sed -n 9,10p <<<"$page")"
check era "[当代] 中国  公历纪元2024年  【龙年】" "$(sed -n 12p <<<"$page")"
# From 23:00 the day is the next one: 乙巳, hour 丙子.
check pillars "$(printf '甲辰年\n丙寅月\n乙巳日\n丙子时')" "$(sed -n 13,16p <<<"$page")"
check before-lichun "癸卯年 乙丑月" "$("$cli" month 2024-02 --day 4 --time 16:26 | sed -n 13,14p | tr '\n' ' ' | sed 's/ $//')"

# October 1582: 1-4, then 15-31, 21 cells in three weeks.
gap=$("$cli" month 1582-10 --day 15)
check gap-days "1 2 3 4 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31" \
  "$(sed -n 3,5p <<<"$gap" | tr '\t' '\n' | sed 's/ .*//; s/10月/1/' | tr '\n' ' ' | sed 's/ $//')"
check gap-rows "" "$(sed -n 6p <<<"$gap")"
# Astronomical year 0 is shown as -1.
check year-zero "-1年12月" "$("$cli" month 0000-12 | sed -n 1p)"
check leap "闰四月初一" "$("$cli" month 2020-05 | tr '\t' '\n' | grep '^23 ' | cut -d' ' -f2)"

refuses gap-day month 1582-10 --day 10
check gap-day-msg "hengjian-cli: 不存在这个日期，请重新输入！" "$("$cli" month 1582-10 --day 10 2>&1)"
refuses no-feb-30 month 2024-02 --day 30
refuses year-range month 10000-01
refuses malformed month 2024/02

check found "$(printf '符合命例\n1984年2月5日0时\n1984-02-05 00:00\t男')" "$("$cli" reverse --pillars "甲子 丙寅 己巳 甲子")"
check found-female "1984-02-05 00:00	女" "$("$cli" reverse --pillars "甲子丙寅己巳甲子" --female | tail -1)"
check year-minus-one "$(printf '符合命例\n-1年6月15日8时\n0000-06-15 08:00\t男')" \
  "$("$cli" reverse --pillars "庚申 壬午 丁巳 甲辰" --from -1)"
# No 甲子 day falls in the 丙寅 month of 1984 or 2044, and 2104 is past the range.
check not-found "没有符合的八字，改变起始年反推，或许可以找到。" "$("$cli" reverse --pillars "甲子 丙寅 甲子 甲子" --from 1950)"
check first-past-2100 "2104年3月2日0时" "$("$cli" reverse --pillars "甲子 丙寅 甲子 甲子" --from 2099 | sed -n 2p)"

refuses parity reverse --pillars "乙子 丙寅 甲子 甲子"
check parity-msg "hengjian-cli: 不存在这个年柱！" "$("$cli" reverse --pillars "乙子 丙寅 甲子 甲子" 2>&1)"
check month-stem-msg "hengjian-cli: 不存在这个月柱！" "$("$cli" reverse --pillars "甲子 戊寅 甲子 甲子" 2>&1)"
check hour-stem-msg "hengjian-cli: 不存在这个时柱！" "$("$cli" reverse --pillars "甲子 丙寅 甲子 丙子" 2>&1)"
refuses year-zero reverse --pillars "甲子 丙寅 甲子 甲子" --from 0
refuses year-late reverse --pillars "甲子 丙寅 甲子 甲子" --from 2101
refuses year-early reverse --pillars "甲子 丙寅 甲子 甲子" --from -851
refuses three-pillars reverse --pillars "甲子 丙寅 甲子"
refuses not-ganzhi reverse --pillars "甲子 丙寅 甲子 甲猫"

[ "$fails" = 0 ] && echo "all month/reverse checks passed"
exit $((fails > 0))
