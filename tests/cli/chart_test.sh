#!/usr/bin/env bash
# The chart commands: pillars (single and batch), chart as text, GBK and JSON, and refusals.
set -u
cli=$1
source "$(dirname "$0")/lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp" "$_hj_err"' EXIT

check pillars "己卯 丙子 戊午 戊午" "$("$cli" pillars "2000-01-01 12:00")"
check late-rat "己卯 丙子 己未 甲子" "$("$cli" pillars "2000-01-01 23:30")"
check late-rat-zishi "己卯 丙子 戊午 甲子" "$("$cli" pillars --zishi "2000-01-01 23:30")"
check local-time "己卯 丙子 丁巳 辛亥" "$("$cli" pillars --idate 2 --lon 100 "2000-01-01 00:10")"
check lichun-before "癸卯 乙丑" "$("$cli" pillars "2024-02-04 16:26" | cut -d' ' -f1,2)"
check lichun-after "甲辰 丙寅" "$("$cli" pillars "2024-02-04T16:28" | cut -d' ' -f1,2)"

# Batch: one line out per line in; a bad line leaves an empty line, a message and exit code 1.
printf '2000-01-01 12:00\n1582-10-10 12:00\r\n2024-02-04 16:28\n' > "$tmp/batch.txt"
out=$("$cli" pillars --batch "$tmp/batch.txt" 2>"$tmp/err")
rc=$?
check batch-rc 1 "$rc"
check batch-out "$(printf '己卯 丙子 戊午 戊午\n\n甲辰 丙寅 戊戌 庚申')" "$out"
check batch-err "hengjian-cli: line 2: 不存在1582-10-5到1582-10-14这10天时间。" "$(cat "$tmp/err")"
check batch-stdin "己卯 丙子 戊午 戊午" "$(echo '2000-01-01 12:00' | "$cli" pillars --batch -)"

# A data folder with settings and a footer.
mkdir -p "$tmp/data/dat"
printf '[set]\r\nendinfo=1\r\n' > "$tmp/data/dat/bzinit.ini"
printf 'footer line\r\n' > "$tmp/data/dat/EndInfo.txt"
printf '[\xb1\xb1\xbe\xa9\xca\xd0]\r\n\xb1\xb1\xbe\xa9\xca\xd0=116:24*39:54\r\n' > "$tmp/data/dat/dili.ini"  # [北京市] 北京市=…

report=$("$cli" --data-dir "$tmp/data" chart --date 2000-01-01 --time 12:00)
check report-head "命主姓名:某人  出生地:未知。" "$(printf '%s' "$report" | head -1 | tr -d '\r')"
check report-crlf 0 "$(printf '%s\n' "$report" | grep -vc $'\r$')"
check report-footer "☆以上批语仅供参考，须知人生命运妙在阴阳五行的无穷变化☆footer line" "$(printf '%s' "$report" | tail -1 | tr -d '\r')"
check report-set "出生公历：2000年1月1日11时46分(地方时)，星期六。" \
  "$("$cli" --data-dir "$tmp/data" chart --date 2000-01-01 --time 12:00 --province 1 --city 0 --set idate=2 | sed -n 3p | tr -d '\r')"
check report-place "命主姓名:某人  出生地:北京市-北京市,经度:116度24分,纬度:39度54分。" \
  "$("$cli" --data-dir "$tmp/data" chart --date 2000-01-01 --time 12:00 --province 1 --city 0 --set idate=2 | head -1 | tr -d '\r')"
check report-gbk "$("$cli" --data-dir "$tmp/data" chart --date 2000-01-01 --time 12:00 | iconv -f UTF-8 -t GBK | md5sum)" \
  "$("$cli" --data-dir "$tmp/data" chart --date 2000-01-01 --time 12:00 --gbk | md5sum)"
check no-yearly 0 "$("$cli" --data-dir "$tmp/data" chart --date 2000-01-01 --time 12:00 --no-yearly | grep -c 流年神煞和九星)"
check lunar-leap "2020-05-23 12:00" \
  "$("$cli" chart --date 2020-04-01 --time 12:00 --lunar --leap --json | grep '"birthClock"' | cut -d'"' -f4)"

json=$("$cli" chart --date 2000-01-01 --time 12:00 --json)
for key in '"ok": true' '"pillars": \[' '"pillarIndices": \[' '"direction": -1' '"startAge": 9' \
           '"conception": "丁卯"' '"lifePalace": "乙亥"' '"report": "命主姓名' '"stars": {'; do
  printf '%s' "$json" | grep -q "$key" || { echo "FAIL json: no $key"; fails=$((fails + 1)); }
done

# JSON writes Chinese as UTF-8, never as \u escapes, in the object and in a failure.
check json-utf8 0 "$(printf '%s' "$json" | grep -c '\\u[0-9a-fA-F]\{4\}')"
check json-utf8-report 1 "$(printf '%s' "$json" | grep -c '"report": "命主姓名:某人  出生地:未知。')"
check json-utf8-error 0 "$("$cli" chart --date 1582-10-10 --time 12:00 --json | grep -c '\\u[0-9a-fA-F]\{4\}')"
check json-utf8-traditional 0 "$("$cli" --traditional chart --date 2000-01-01 --time 12:00 --json | grep -c '\\u[0-9a-fA-F]\{4\}')"
# The maker line names the maker, with no placeholder address.
check maker-line 1 "$(printf '%s' "$report" | grep -c '^※软件开发商:墨衡周易软件\(([^)]*)\)\?※')"
check no-placeholder 0 "$(printf '%s' "$report" | grep -c 'example')"

# Refusals: exit code 1 with a message; JSON failures say ok false.
"$cli" chart --date 2101-01-01 --time 12:00 >/dev/null 2>&1
check range-rc 1 $?
check range-json '"ok": false' "$("$cli" chart --date 1582-10-10 --time 12:00 --json | grep -o '"ok": false')"
"$cli" chart --date 2000-01-01 --time 24:00 >/dev/null 2>&1
check bad-time 1 $?
"$cli" chart --date 2000-01-01 --time 12:00 --set idate=9 >/dev/null 2>&1
check bad-set 1 $?
"$cli" --data-dir "$tmp/data" chart --date 2000-01-01 --time 12:00 --province 1 --city 5 >/dev/null 2>&1
check bad-city 1 $?
check unknown-place "命主姓名:某人  出生地:未知。" \
  "$("$cli" --data-dir "$tmp/data" chart --date 2000-01-01 --time 12:00 --province 34 | head -1 | tr -d '\r')"

# A new data folder is seeded with the default places, so a listed place works at once.
check new-folder "命主姓名:某人  出生地:北京市-北京市。" \
  "$("$cli" --data-dir "$tmp/new/x" chart --date 2000-01-01 --time 12:00 --province 1 --city 0 | head -1 | tr -d '\r')"
check new-folder-seeded yes "$([ -s "$tmp/new/x/dat/dili.ini" ] && [ -d "$tmp/new/x/bazi_f" ] && echo yes)"

# Boundaries near the birth, the unknown hour, and the conventions the chart was cast with.
check boundary-line "边界：节 立春 北京时间2024-02-04 16:27交，北京时间2024-02-04 16:27起换柱，出生后5分钟；另一侧四柱：甲辰 丙寅 戊戌 庚申" \
  "$("$cli" chart --date 2024-02-04 --time 16:22 --boundaries | head -1 | tr -d '\r')"
check boundary-off "命主姓名:某人  出生地:未知。" "$("$cli" chart --date 2024-02-04 --time 16:22 | head -1 | tr -d '\r')"
json_field() {  # json_field EXPR: the expression over the parsed object `d`, from stdin
  python3 -c 'import json, sys; d = json.load(sys.stdin); print('"$1"')'
}
check boundary-hour "时辰 2024-02-04 09:00 2 丁巳" \
  "$("$cli" chart --date 2024-02-04 --time 08:58 --json | json_field '" ".join(str(d["boundaries"][0][k]) for k in ("kind", "at", "minutes")) + " " + d["boundaries"][0]["pillars"][3]')"
check boundary-window "[]" "$("$cli" chart --date 2024-02-04 --time 08:58 --set bianjie=1 --json | json_field 'd["boundaries"]')"
check unknown-hour-rows 12 "$("$cli" chart --date 2024-02-04 --unknown-hour | grep -c $'^[子丑寅卯辰巳午未申酉戌亥]\t')"
check unknown-hour-sides "癸卯 乙丑 甲辰 丙寅" \
  "$("$cli" chart --date 2024-02-04 --unknown-hour --json | json_field '" ".join(d["hours"][8]["pillars"][:2] + d["hours"][9]["pillars"][:2])')"
# An unknown hour gives what the day fixes, never a chart of 12:00: on 2024-02-04 立春 moves
# the year and month pillars within the day (null), the day pillar holds.
check unknown-hour-known "2024-02-04 None None 戊戌 12 False" \
  "$("$cli" chart --date 2024-02-04 --unknown-hour --json |
     json_field '" ".join(str(x) for x in [d["date"]] + d["pillars"] + [len(d["hours"]), any(k in d for k in ("report", "luck", "lifePalace", "pillarsDetail", "birthClock", "boundaries"))])')"
check unknown-hour-quiet-day "己未 丙子 癸酉" \
  "$("$cli" chart --date 1980-01-01 --unknown-hour --json | json_field '" ".join(d["pillars"])')"
check conventions "zishi idate dst mgong pai" \
  "$("$cli" chart --date 2000-01-01 --time 12:00 --json | json_field '" ".join(c["key"] for c in d["conventions"])')"

tmp_err=$(mktemp)
# Years out of range are told in astronomical years, as --date takes them.
for y in -0850 2101; do
  "$cli" chart --date "$y-01-01" --time 12:00 >/dev/null 2>"$tmp_err"
  grep -q "天文纪年" "$tmp_err" || { echo "FAIL year $y: [$(cat "$tmp_err")]"; fails=$((fails + 1)); }
done
check year-range-edges "0 0" "$("$cli" chart --date -0849-01-01 --time 12:00 >/dev/null; echo -n "$? "; "$cli" chart --date 2100-12-31 --time 12:00 >/dev/null; echo $?)"
rm -f "$tmp_err"

[ "$fails" = 0 ] && echo "all chart command checks passed"
exit $((fails > 0))
