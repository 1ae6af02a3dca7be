#!/usr/bin/env bash
# match: two births compared as text and as JSON, typed or taken from the case store, with the
# chart command's place and zone options behind prefixes, and the refusals.
set -u
cli=$1
source "$(dirname "$0")/lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp" "$_hj_err"' EXIT

a=(--a-name 张三 --a-date 1990-05-17 --a-time 08:30)
b=(--b-name 李四 --b-date 1991-06-01 --b-time 10:00 --b-female)
text=$("$cli" --data-dir "$tmp" match "${a[@]}" "${b[@]}")
# The headers carry the pillars the chart command gives for the same births.
# The chart's own pillars, the top-level member of its JSON: "庚午 辛巳 壬午 甲辰".
chartPillars() {
  "$cli" --data-dir "$tmp" chart "$@" --json | sed -n '/^  "pillars": \[/,/^  \]/p' | grep -o '"[^"]*"' |
    grep -v pillars | tr -d '"' | paste -sd' '
}
check header-pillars "庚午 辛巳 壬午 甲辰" "$(chartPillars --date 1990-05-17 --time 08:30)"
check header-a 1 "$(printf '%s\n' "$text" | grep -c '^男：张三　乾造　庚午 辛巳 壬午 甲辰$')"
check header-a-nayin "　纳音 路旁土 白蜡金 杨柳木 佛灯火" "$(printf '%s\n' "$text" | sed -n 3p)"
check header-b 1 "$(printf '%s\n' "$text" | grep -c '^女：李四　坤造　辛未 ')"
# 午 and 未 combine (六合); both years are 路旁土 (比和).
check zodiac 1 "$(printf '%s\n' "$text" | grep -c '^生肖：六合　午未　吉$')"
check nayin 1 "$(printf '%s\n' "$text" | grep -c '^纳音：比和　男路旁土、女路旁土　吉$')"
# The title names both; each header gives the birth place and times.
check title "合婚对照：张三、李四" "$(printf '%s\n' "$text" | sed -n 1p)"
check header-a-birth "　出生 未知　1990年5月17日8时30分(钟表时间，中国时间，夏令时，已减1小时)；1990年5月17日7时30分(北京时间)" "$(printf '%s\n' "$text" | sed -n 4p)"
check summary "合计：吉 $(printf '%s\n' "$text" | grep -c '　吉$') 项，凶 $(printf '%s\n' "$text" | grep -c '　凶$') 项。" \
  "$(printf '%s\n' "$text" | grep '^合计：')"
check disclaimer 1 "$(printf '%s\n' "$text" | grep -c '仅供参考')"

json=$("$cli" --data-dir "$tmp" match "${a[@]}" "${b[@]}" --json)
flat=$(printf '%s' "$json" | tr -d '\n ')
for key in '"a":{' '"b":{' '"sex":"女"' '"nayin":["路旁土"' '"complement":{' '"others":[' \
  '{"aspect":"生肖","chars":"午未","kind":"六合","verdict":"吉"}'; do
  printf '%s' "$flat" | grep -qF "$key" || { echo "FAIL json: no $key"; fails=$((fails + 1)); }
done
check json-count "\"count\":{\"bad\":$(printf '%s\n' "$text" | grep -c '　凶$'),\"good\":$(printf '%s\n' "$text" | grep -c '　吉$')}" \
  "$(printf '%s' "$flat" | grep -o '"count":{[^}]*}')"
check json-items-as-text "$(printf '%s\n' "$text" | grep -c '^\(生肖\|纳音\|日干\|日支\|五行\)：')" \
  "$(printf '%s' "$flat" | grep -o '"aspect":' | wc -l)"

# Two men: the 纳音 item names who overcomes whom (路旁土 克 水), judged 平 with the tradition's
# word beneath it.
same=$("$cli" --data-dir "$tmp" match "${a[@]}" --b-date 1996-06-01 --b-time 10:00)
check same-sex-nayin 1 "$(printf '%s\n' "$same" | grep -c '^纳音：相克　甲方路旁土克乙方.*水　平$')"
check same-sex-note 1 "$(printf '%s\n' "$same" | grep -A1 '^纳音：相克' | grep -c '^　旧说纳音相克')"
# 巳申 (1989 and 1992): one item, 六合 first, counted once.
sishen=$("$cli" --data-dir "$tmp" match --a-date 1989-06-01 --a-time 10:00 --b-date 1992-06-01 --b-time 10:00 --b-female)
check one-pair-one-item "生肖：六合　巳申　吉（兼相刑、六破，以六合为主）" "$(printf '%s\n' "$sishen" | grep '^生肖：')"

# Two stored cases give what the same births typed give.
"$cli" --data-dir "$tmp" cases add --name 张三 --date 1990-05-17 --time 08:30 --class 朋友 >/dev/null
"$cli" --data-dir "$tmp" cases add --name 李四 --date 1991-06-01 --time 10:00 --female --class 朋友 >/dev/null
check cases "$text" "$("$cli" --data-dir "$tmp" match --a-case 0 --b-case 1)"
id=$("$cli" --data-dir "$tmp" cases list | awk -F'\t' '$1 == 1 {print $7}')
check case-identity "$text" "$("$cli" --data-dir "$tmp" match --a-case 0 --b-case "$id")"

# A birth abroad: the zone options work behind the prefix as chart has them.
abroad=$("$cli" --data-dir "$tmp" match "${a[@]}" --b-date 2000-07-15 --b-time 10:00 --b-world-place 纽约 --b-female)
nyc=$(chartPillars --date 2000-07-15 --time 10:00 --world-place 纽约)
check abroad-chart 4 "$(printf '%s\n' $nyc | wc -l)"
check abroad 1 "$(printf '%s\n' "$abroad" | grep -c "^女：某人　坤造　$nyc$")"

# 繁體: the text converted, the names as typed.
trad=$("$cli" --data-dir "$tmp" --traditional match --a-name 于范 --a-date 1990-05-17 --a-time 08:30 "${b[@]}")
check trad-name 1 "$(printf '%s\n' "$trad" | grep -c '^男：于范　乾造')"
check trad-text 1 "$(printf '%s\n' "$trad" | grep -c '^生肖：六合　午未　吉$')"
check trad-nayin 3 "$(printf '%s\n' "$trad" | grep -c '納音')"

refuses no-b "$cli" --data-dir "$tmp" match "${a[@]}"
refuses with-itself --data-dir "$tmp" match --a-case 0 --b-case 0
refuses bad-time --data-dir "$tmp" match "${a[@]}" --b-date 1991-06-01 --b-time 25:00
check bad-time-names-option 1 "$(grep -c -- '--b-time' "$_hj_err")"
refuses bad-date --data-dir "$tmp" match "${a[@]}" --b-date 1991-02-30 --b-time 10:00
refuses no-case --data-dir "$tmp" match --a-case 7 "${b[@]}"
refuses case-and-date --data-dir "$tmp" match --a-case 0 --a-date 1990-05-17 "${b[@]}"
refuses place-and-zone --data-dir "$tmp" match "${a[@]}" "${b[@]}" --b-province 1 --b-tz Asia/Tokyo

[ "$fails" = 0 ] && echo "all match command checks passed"
exit $((fails > 0))
