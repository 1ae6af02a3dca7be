#!/usr/bin/env bash
# Honest exits and hostile input on the command line: a full output device, long and
# unreadable batch input, special files and GBK texts in the data folder, values out of range.
set -u
cli=$1
source "$(dirname "$0")/lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp" "$_hj_err"' EXIT
unset HENGJIAN_HOME
data="$tmp/data"
mkdir -p "$data/dat"
run() { timeout 20 "$cli" --data-dir "$data" "$@"; }

# Every command whose output cannot be written exits 1 and says why.
printf '2000-01-01 12:00\n2000-01-02 12:00\n' >"$tmp/batch.txt"
run cases add --name 甲 --date 2000-01-01 --time 01:00 --class 朋友 >/dev/null || { echo "FAIL add"; fails=$((fails + 1)); }
while IFS='|' read -r name args; do
  # shellcheck disable=SC2086
  run $args >/dev/full 2>"$_hj_err"
  check "$name-full" 1 "$?"
  grep -q "无法写出结果：磁盘已满" "$_hj_err" || { echo "FAIL $name-full: [$(cat "$_hj_err")]"; fails=$((fails + 1)); }
done <<ROWS
chart|chart --date 2000-01-01 --time 12:00
lunar|lunar 2000-01-01 2000-03-01
terms|terms 2000
pillars|pillars 2000-01-01T12:00
batch|pillars --batch $tmp/batch.txt
list|cases list
show|cases show 0
search|cases search --name 甲
ROWS

# Batch input: an over-long line is an error of that line; the others are answered in place.
{ echo 2000-01-01T12:00; head -c 100000 /dev/zero | tr '\0' 1; echo; echo 2000-01-02T12:00; } >"$tmp/long.txt"
out=$(run pillars --batch "$tmp/long.txt" 2>"$tmp/err")
check long-line-rc 1 "$?"
check long-line-out "$(printf '己卯 丙子 戊午 戊午\n\n己卯 丙子 己未 庚午')" "$out"
check long-line-err "hengjian-cli: line 2: 行太长（最多 4096 字节）" "$(cat "$tmp/err")"
refuses batch-read-error pillars --batch "$tmp"
refuses empty-data-dir --data-dir "" lunar 2000-01-01

# Coordinates out of range from the command line and from the place file.
refuses lon-nan chart --date 2000-01-01 --time 12:00 --lon nan --lat 30
refuses pillars-lon-nan pillars --idate 2 --lon nan 2000-01-01T12:00
for value in '1160:23*39:54' '-2147483648:-2147483648*39:54' '116:60*39:54' '116:24*90:0'; do
  printf '[\xb1\xb1\xbe\xa9\xca\xd0]\r\n\xb1\xb1\xbe\xa9\xca\xd0=%s\r\n' "$value" >"$data/dat/dili.ini"  # [北京市] 北京市=…
  refuses "place-$value" --data-dir "$data" chart --date 2000-01-01 --time 12:00 --province 1 --city 0
done
# West of Greenwich the minutes take the sign: -0:30 is half a degree west.
printf '[\xb1\xb1\xbe\xa9\xca\xd0]\r\n\xb1\xb1\xbe\xa9\xca\xd0=-0:30*-10:30\r\n' >"$data/dat/dili.ini"
check west-minutes "命主姓名:某人  出生地:北京市-北京市,经度:-0度30分,纬度:-10度30分。" \
  "$(run chart --date 2000-01-01 --time 12:00 --province 1 --city 0 --set idate=2 | head -1 | tr -d '\r')"
check west-local-time "出生公历：2000年1月1日3时58分(地方时)，星期六。" \
  "$(run chart --date 2000-01-01 --time 12:00 --province 1 --city 0 --set idate=2 | sed -n 3p | tr -d '\r')"

# Texts with control characters or of blanks only are refused.
refuses name-tab cases add --name $'甲\t乙' --date 2000-01-01 --time 01:00 --class x
refuses name-esc chart --name $'\e[31m甲' --date 2000-01-01 --time 12:00
refuses class-wide-space cases add --name 甲 --date 2000-01-01 --time 01:00 --class '　'
refuses note-bell cases add --name 甲 --date 2000-01-01 --time 01:00 --class x --note $'响\a'

# A GBK footer whose bytes also read as UTF-8 (同学录) stays GBK.
printf '[set]\r\nendinfo=1\r\n' >"$data/dat/bzinit.ini"
printf '\xcd\xac\xd1\xa7\xc2\xbc\r\n' >"$data/dat/EndInfo.txt"
check footer-gbk "☆以上批语仅供参考，须知人生命运妙在阴阳五行的无穷变化☆同学录" \
  "$(run chart --date 2000-01-01 --time 12:00 | tail -1 | tr -d '\r')"

# Special files in place of data files are refused at once, never waited on or followed.
rm -f "$data/dat/EndInfo.txt" && mkfifo "$data/dat/EndInfo.txt"
refuses footer-fifo --data-dir "$data" chart --date 2000-01-01 --time 12:00
rm -f "$data/dat/dili.ini" && mkfifo "$data/dat/dili.ini"
refuses dili-fifo --data-dir "$data" chart --date 2000-01-01 --time 12:00 --province 1 --city 0
rm -f "$data/dat/dili.ini" && printf '[\xb1\xb1\xbe\xa9\xca\xd0]\r\n\xb1\xb1\xbe\xa9\xca\xd0=116:24*39:54\r\n' >"$tmp/private.ini"
ln -s "$tmp/private.ini" "$data/dat/dili.ini"
refuses dili-link --data-dir "$data" chart --date 2000-01-01 --time 12:00 --province 1 --city 0
rm -f "$data/dat/bzinit.ini" && mkfifo "$data/dat/bzinit.ini"
timeout 20 "$cli" --data-dir "$data" chart --date 2000-01-01 --time 12:00 >/dev/null 2>&1
check settings-fifo-no-hang 0 "$?"

# A GBK user-defined character in a name is stored and read back as one character.
run cases add --name $'\xee\x80\x80甲' --date 2000-01-01 --time 01:00 --class 朋友 >/dev/null || { echo "FAIL add udc"; fails=$((fails + 1)); }
check udc-name $'name\t\xee\x80\x80甲' "$(run cases show 1 | grep '^name')"

[ "$fails" = 0 ] && echo "hostile: all checks passed"
exit $((fails > 0))
