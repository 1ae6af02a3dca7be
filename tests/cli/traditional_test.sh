#!/usr/bin/env bash
# --traditional: every command's output and messages in Traditional characters, names as typed,
# --gbk reports converted in GBK; without the option nothing changes.
set -u
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
root=$(mktemp -d)
trap 'rm -rf "$root" "$_hj_err"' EXIT
mkdir -p "$root/dat"
cp "$here/../../resources/dat/hzlen.dat" "$root/dat/"
run() { "$cli" --data-dir "$root" "$@"; }
chart=(chart --name 于丹 --date 1990-05-17 --time 08:30 --lon 116.4 --lat 39.9 --place 北京)

check strokes "龍字:16畫,五行屬:土。" "$(run --traditional strokes 龍)"
check strokes-plain "龍字:16画,五行属:土。" "$(run strokes 龍)"
check name-head "姓名:張三豐" "$(run --traditional name 張三豐 | head -n 1)"
# Surnames stay as typed: 范 and 余 are not 範 and 餘.
check strokes-surname "范字:11畫,五行屬:木。" "$(run --traditional strokes 范)"
check name-surname "姓名:余范" "$(run --traditional name 余范 | head -n 1)"
check report-name "命主姓名:于丹  出生地:北京。" "$(run --traditional "${chart[@]}" | head -n 1 | tr -d '\r')"
lunar() { tr -d '\r' | grep -m 1 '^出生[农農][历曆]'; }  # 1990-05-17 is a summer-time day: one line more
check report-lunar "出生農曆：一九九○年 四月 廿三日 辰時。" "$(run --traditional "${chart[@]}" | lunar)"
check report-gbk "出生農曆：一九九○年 四月 廿三日 辰時。" \
  "$(run --traditional "${chart[@]}" --gbk | iconv -f GBK -t UTF-8 | lunar)"
check report-plain "出生农历：一九九○年 四月 廿三日 辰时。" "$(run "${chart[@]}" | lunar)"
check lines "$(run "${chart[@]}" | wc -l)" "$(run --traditional "${chart[@]}" | wc -l)"
err=$(run --traditional name 张明华华 2>&1 >/dev/null)
check message "hengjian-cli: 單姓：名1-2位，復姓：名1-2位,無效的姓名" "$err"
run --traditional name 张明华华 >/dev/null 2>&1
check exit-code 1 "$?"

[ "$fails" = 0 ] && echo "traditional: all passed"
exit "$((fails > 0))"
