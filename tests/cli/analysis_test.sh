#!/usr/bin/env bash
# chart --analysis: the text block after the report, the JSON member, refusals, and the report
# section behind the setting fenxi.
set -u
cli=$1
source "$(dirname "$0")/lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp" "$_hj_err"' EXIT

base=(--data-dir "$tmp" chart --date 2000-01-01 --time 12:00 --no-yearly)  # 己卯 丙子 戊午 戊午, luck 乙亥 甲戌 …
plain=$("$cli" "${base[@]}")
block=$("$cli" "${base[@]}" --analysis --luck 2 --year 2024)
# The report comes first, unchanged; the block follows it.
check report-first "$plain" "${block:0:${#plain}}"
tail=$(printf '%s' "${block:${#plain}}" | tr -d '\r')
check block-luck "大运：甲戌（第2步）  流年：2024年甲辰" "$(printf '%s\n' "$tail" | sed -n 4p)"
check block-elements "五行：木1 火3 土3 金0 水1  缺：金" "$(printf '%s\n' "$tail" | sed -n 5p)"
check block-luck-year-clash 1 "$(printf '%s\n' "$tail" | grep -c '^  六冲 戌辰 运岁$')"

# The flowing month: named after the year, its relations labelled 流月.
month=$("$cli" "${base[@]}" --analysis --year 2024 --month 12 | tr -d '\r')
check month-line 1 "$(printf '%s\n' "$month" | grep -c '^流年：2024年甲辰  流月：丁丑（十二月）$')"
check month-relation 1 "$(printf '%s\n' "$month" | grep -c '^  六合 子丑 月·流月 土$')"
check json-month '"monthPillar": "丙寅",' "$("$cli" "${base[@]}" --analysis --year 2024 --month 1 --json | grep -o '"monthPillar": .*')"

json=$("$cli" "${base[@]}" --analysis --luck 2 --json)
for key in '"analysis": {' '"missing": \[' '"tenGods": {' '"luckPillar": "甲戌"' '"kind": "五合"' '"element": "土"'; do
  printf '%s' "$json" | grep -q "$key" || { echo "FAIL json: no $key"; fails=$((fails + 1)); }
done
check json-no-analysis 0 "$("$cli" "${base[@]}" --json | grep -c '"analysis"')"
check json-no-year 0 "$(printf '%s' "$json" | grep -c '"yearPillar"\|"monthPillar"')"

refuses luck-needs-analysis "${base[@]}" --luck 2
refuses luck-range "${base[@]}" --analysis --luck 9
refuses year-range "${base[@]}" --analysis --year 2101
refuses month-needs-year "${base[@]}" --analysis --month 3
refuses month-range "${base[@]}" --analysis --year 2024 --month 13
refuses month-zero "${base[@]}" --analysis --year 2024 --month 0
refuses no-hour --data-dir "$tmp" chart --date 2000-01-01 --unknown-hour --analysis

# The report section: off by default, and then the report is byte for byte the same.
check fenxi-off "$(printf '%s' "$plain" | md5sum)" "$("$cli" "${base[@]}" --set fenxi=0 | md5sum)"
check fenxi-on 1 "$("$cli" "${base[@]}" --set fenxi=1 | grep -c '^※八字分析：')"
# On, the section stands under the chart block, before the birth verses, and JSON carries it.
on=$("$cli" "${base[@]}" --set fenxi=1 | tr -d '\r')
check fenxi-under-chart 1 "$(printf '%s\n' "$on" | awk '/^※八字分析：/{a=NR} /^※推年月日时：/{v=NR} /^☆命主福元：/{c=NR} END{print (c < a && a < v) ? 1 : 0}')"
json=$("$cli" "${base[@]}" --set fenxi=1 --json)
for key in '"analysis": {' '"missing": \[' '"tenGods": {' '"relations": \[' '"chars": "子午"'; do
  printf '%s' "$json" | grep -q "$key" || { echo "FAIL fenxi json: no $key"; fails=$((fails + 1)); }
done
check fenxi-json-no-luck 0 "$(printf '%s' "$json" | grep -c '"luckPillar"')"
check fenxi-json-unknown-hour 0 "$("$cli" "${base[@]}" --set fenxi=1 --unknown-hour --json | grep -c '"analysis"')"

# The judgement: a block after the analysis, a member of the analysis object, and a report
# section after the analysis section.
check judge-block 1 "$(printf '%s\n' "$tail" | grep -c '^※命局判断：$')"
check judge-day 1 "$(printf '%s\n' "$tail" | grep -c '^日主：戊土  ')"
check judge-note 1 "$(printf '%s\n' "$tail" | grep -c '^以上按传统子平法推断')"
json=$("$cli" "${base[@]}" --analysis --luck 2 --json)
for key in '"judgement": {' '"verdict": "' '"factor": "得令"' '"kind": "正格"' '"method": "' '"yong": "'; do
  printf '%s' "$json" | grep -q "$key" || { echo "FAIL judgement json: no $key"; fails=$((fails + 1)); }
done
# the chosen luck pillar's ten years, the eight luck pillars, and the factors adding up to the score
if command -v python3 >/dev/null; then
  check judge-json-shape "8 10 1 2018" "$(printf '%s' "$json" | python3 -c '
import json,sys
j=json.load(sys.stdin)["analysis"]["judgement"]
s=j["strength"]
ok=abs(sum(f["weight"] for f in s["factors"])-s["score"])<0.005
print(len(j["luck"]),len(j["years"]),int(ok),j["years"][0]["year"])')"
fi
check judge-tiaohou-never '"method": "扶抑"' "$("$cli" "${base[@]}" --analysis --tiaohou 0 --json | grep -o '"method": "扶抑"' | head -1)"
refuses tiaohou-range "${base[@]}" --analysis --tiaohou 3
check judge-report-on 1 "$(printf '%s\n' "$on" | awk '/^※八字分析：/{a=NR} /^※命局判断：/{j=NR} /^※推年月日时：/{v=NR} END{print (a < j && j < v) ? 1 : 0}')"
check judge-report-off 0 "$("$cli" "${base[@]}" --set fenxi=0 | grep -c '命局判断')"

[ "$fails" = 0 ] && echo "all analysis command checks passed"
exit $((fails > 0))
