#!/usr/bin/env bash
# The name commands: the five grids, one character's strokes, the element listing, and refusals
# (exit code 1, message on stderr), against the shipped stroke dictionary.
set -u
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
root=$(mktemp -d)
trap 'rm -rf "$root" "$_hj_err"' EXIT
mkdir -p "$root/dat"
cp "$here/../../resources/dat/hzlen.dat" "$root/dat/"
run() { "$cli" --data-dir "$root" "$@"; }
refuses() {  # refuses NAME MESSAGE ARGS...
  local name=$1 msg=$2
  shift 2
  local out err rc
  out=$(run "$@" 2>"$root/err")
  rc=$?
  err=$(cat "$root/err")
  [ "$rc" = 1 ] || { echo "FAIL $name: exit code $rc"; fails=$((fails + 1)); }
  [ -z "$out" ] || { echo "FAIL $name: printed [$out]"; fails=$((fails + 1)); }
  check "$name-msg" "hengjian-cli: $msg" "$err"
}

check name-single "$(printf '姓名:张明\n张:11画 明:8画 \n\n天格12画,五行属木。\n\n地格9画,五行属水。\n\n人格19画,五行属水。\n\n总格19画,五行属水。\n\n外格2画,五行属木。')" "$(run name 张明)"
check name-compound "$(printf '外格16画,五行属土。')" "$(run name 欧阳修 --compound | tail -n 1)"
check strokes "明字:8画,五行属:金。" "$(run strokes 明)"
check element-head "属水的汉字:" "$(run element 水 | head -n 1)"
check element-width 10 "$(run element 木 | sed -n 2p | wc -w)"
# Every character of the dictionary is in exactly one listing (5 empty cells of 6768).
total=0
for e in 水 木 火 土 金; do total=$((total + $(run element $e | tail -n +2 | wc -w))); done
check element-total 6763 "$total"

refuses name-length "单姓：名1-2位，复姓：名1-2位,无效的姓名" name 张明华华
refuses name-compound-short "单姓：名1-2位，复姓：名1-2位,无效的姓名" name 张明 --compound
refuses name-latin "必须输入汉字" name ab张
refuses strokes-two "请输入一个汉字" strokes 明明
refuses element-bad "五行须是 水、木、火、土、金 之一：风" element 风
# Without a dictionary in the data folder and none beside the program.
rm "$root/dat/hzlen.dat"
out=$(run strokes 明 2>&1)
rc=$?
if [ -d "$(dirname "$cli")/dat-default" ]; then
  check fallback "明字:8画,五行属:金。" "$out"
else
  check missing-rc 1 "$rc"
  case "$out" in "hengjian-cli: 姓名文件丢失："*) ;; *) echo "FAIL missing: [$out]"; fails=$((fails + 1)) ;; esac
fi
[ "$fails" = 0 ] && echo "name commands: all checks passed"
exit "$fails"
