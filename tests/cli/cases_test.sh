#!/usr/bin/env bash
# The cases commands: add, list, show, search, remove, and the round trip export → clear → import.
set -u
cli=$1
fails=0
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
run() { "$cli" --data-dir "$home/app" "$@"; }
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: expected [$2] got [$3]"
    fails=$((fails + 1))
  fi
}
refuses() {  # refuses NAME ARGS... : exit code 1 and a message on stderr
  local name=$1
  shift
  local err rc
  run "$@" >/dev/null 2>"$home/err"
  rc=$?
  err=$(cat "$home/err")
  [ "$rc" = 1 ] || { echo "FAIL $name: exit code $rc"; fails=$((fails + 1)); }
  [ -n "$err" ] || { echo "FAIL $name: no message"; fails=$((fails + 1)); }
}

check add-0 0 "$(run cases add --name 王五 --date 1980-03-04 --time 10:15 --class 朋友 --note 第一个)"
check add-1 1 "$(run cases add --name 小王 --date 1990-06-07 --time 00:05 --female --class 客户)"
check add-2 2 "$(run cases add --name 王 --date 0000-12-01 --time 23:59 --lunar --class 朋友甲)"
check add-3 3 "$(run cases add --name 李四 --date 2001-01-01 --time 12:00 --class 朋友)"
check size-after-4 $((20 + 4 * 1184)) "$(stat -c %s "$home/app/dat/bazi0.dat")"

check list "$(printf '0\t王五\t朋友\t1980-03-04 10:15\t公\t男\n1\t小王\t客户\t1990-06-07 00:05\t公\t女\n2\t王\t朋友甲\t0000-12-01 23:59\t农\t男\n3\t李四\t朋友\t2001-01-01 12:00\t公\t男')" "$(run cases list | cut -f1-6)"
# The last column is each case's identity: 16 hex digits, all different; show prints it too.
check list-identities "4 4" "$(run cases list | cut -f7 | grep -cE '^[0-9a-f]{16}$') $(run cases list | cut -f7 | sort -u | wc -l)"
id2=$(run cases list | awk -F'\t' '$1 == 2 { print $7 }')
check show-identity "identity	$id2" "$(run cases show 2 | grep '^identity')"
check show-by-identity "name	王" "$(run cases show "$id2" | grep '^name')"
check show-note "note	第一个" "$(run cases show 0 | grep '^note')"
check report-is-the-chart "$("$cli" --data-dir "$home/app" chart --name 王五 --date 1980-03-04 --time 10:15 | tr -d '\r')" \
  "$(run cases show 0 --report)"

check search-contains "$(printf '0\n1\n2')" "$(run cases search --name 王)"
check search-exact 2 "$(run cases search --name 王 --name-exact)"
check search-class-exact "$(printf '0\n3')" "$(run cases search --class 朋友 --class-exact)"
check search-female 1 "$(run cases search --sex 女)"
check search-years "$(printf '0\n2')" "$(run cases search --years -10 1985)"
check search-province-none "" "$(run cases search --province 1)"

run cases remove 1 || { echo "FAIL remove"; fails=$((fails + 1)); }
[ -e "$home/app/bazi_f/1.rtf" ] && { echo "FAIL remove left the report"; fails=$((fails + 1)); }
refuses remove-again cases remove 1
refuses show-removed cases show 1
check show-removed-message "hengjian-cli: 没有第1号命例" "$(cat "$home/err")"
refuses show-beyond cases show 99
check show-beyond-message "hengjian-cli: 没有第99号命例" "$(cat "$home/err")"
check search-after-remove "$(printf '0\n2')" "$(run cases search --name 王)"

before=$(run cases list)
run cases export "$home/out" || { echo "FAIL export"; fails=$((fails + 1)); }
check exported-reports 3 "$(ls "$home/out/bazi_f" | wc -l)"
run cases clear || { echo "FAIL clear"; fails=$((fails + 1)); }
check cleared "" "$(run cases list)"
check cleared-reports 0 "$(ls "$home/app/bazi_f" | wc -l)"
run cases import "$home/out/bazi0.dat" || { echo "FAIL import"; fails=$((fails + 1)); }
check round-trip "$before" "$(run cases list)"
check round-trip-report "$(cat "$home/out/bazi_f/3.rtf")" "$(cat "$home/app/bazi_f/3.rtf")"
# After the import, appending goes on after the imported slots.
check add-after-import 4 "$(run cases add --name 新 --date 2000-01-01 --time 01:00 --class 新类)"

# A case named by index and identity: refused once the slot holds another case, which survives.
mkdir -p "$home/ids"
ids() { "$cli" --data-dir "$home/ids" "$@"; }
ids cases add --name 甲 --date 2000-01-01 --time 01:00 --class 类 >/dev/null
old=$(ids cases list | cut -f7)
ids cases clear
ids cases add --name 乙 --date 2001-01-01 --time 01:00 --class 类 >/dev/null
ids cases remove 0 --id "$old" >/dev/null 2>"$home/err"
check stale-remove-refused "1 这个命例已被另一个窗口或程序修改或删除，请刷新后再试。" "$? $(cut -d: -f2- "$home/err" | sed 's/^ *//')"
check stale-remove-kept 乙 "$(ids cases list | cut -f2)"
ids cases remove "$(ids cases list | cut -f7)" || { echo "FAIL remove by identity"; fails=$((fails + 1)); }
check removed-by-identity "" "$(ids cases list)"

# A damaged history is refused, and the store keeps its cases.
mkdir -p "$home/bad"
head -c 1000 "$home/out/bazi0.dat" >"$home/bad/bazi0.dat"
refuses import-truncated cases import "$home/bad/bazi0.dat"
check kept-after-bad-import 4 "$(run cases list | wc -l)"
refuses import-missing cases import "$home/nothing/bazi0.dat"

refuses add-long-name cases add --name 一二三四五六 --date 2000-01-01 --time 01:00 --class x
refuses add-empty-class cases add --name 甲 --date 2000-01-01 --time 01:00 --class "  "
refuses add-bad-time cases add --name 甲 --date 2000-01-01 --time 24:00 --class x
refuses search-bad-sex cases search --sex x
refuses show-bad-index cases show abc

# A store whose header is nonsense: reading refuses with a message, clearing repairs it.
printf 'garbage' >"$home/app/dat/bazi0.dat"
refuses list-garbage cases list
run cases clear || { echo "FAIL clear garbage"; fails=$((fails + 1)); }
check list-after-repair "" "$(run cases list)"

# Four adds and a list at once on a new data folder: four cases, each with its own report.
for n in 1 2 3 4; do
  "$cli" --data-dir "$home/many" cases add --name "同$n" --date 199$n-05-01 --time 10:00 --class 并发 >/dev/null 2>&1 &
done
"$cli" --data-dir "$home/many" cases list >/dev/null 2>&1 &
wait
check concurrent-adds 4 "$("$cli" --data-dir "$home/many" cases list | wc -l)"
while IFS=$'\t' read -r slot name _; do
  "$cli" --data-dir "$home/many" cases show "$slot" --report | grep -q "$name" ||
    { echo "FAIL case $slot ($name) shows another report"; fails=$((fails + 1)); }
done < <("$cli" --data-dir "$home/many" cases list)

# Hostile export folders: a report that is a link, a FIFO as record file 0. Refused at once.
run cases add --name 留 --date 2000-01-01 --time 01:00 --class 留 >/dev/null
run cases export "$home/x1" >/dev/null
echo secret >"$home/private.txt"
rm -f "$home/x1/bazi_f/0.rtf"
ln -s "$home/private.txt" "$home/x1/bazi_f/0.rtf"
before=$(run cases list)
if [ -n "${HJ_CLI_EMULATED:-}" ]; then
  # wine shows the system's symbolic links to a Windows program as the files they name
  echo "SKIP import of a linked report: under $HJ_CLI_EMULATED a link is a plain file"
  rm "$home/x1/bazi_f/0.rtf"
else
  timeout 20 "$cli" --data-dir "$home/app" cases import "$home/x1/bazi0.dat" >/dev/null 2>&1
  check import-link-refused 1 $?
fi
mkdir -p "$home/x2"
mkfifo "$home/x2/bazi0.dat"
timeout 20 "$cli" --data-dir "$home/app" cases import "$home/x2/bazi0.dat" >/dev/null 2>&1
check import-fifo-refused 1 $?
check kept-after-hostile-imports "$before" "$(run cases list)"
grep -rq secret "$home/app/bazi_f" && { echo "FAIL the linked file was copied"; fails=$((fails + 1)); }

# Every cases command that cannot do its work exits 1 and says why in Chinese, never by a bare
# code; a case stored before its number could be written is told on stderr with its number.
: >"$home/plainfile"
while IFS='|' read -r name dir out args want; do
  # shellcheck disable=SC2086
  case $out in
    full) "$cli" --data-dir "$dir" $args >/dev/full 2>"$home/err" ;;
    closed) "$cli" --data-dir "$dir" $args >&- 2>"$home/err" ;;
    *) "$cli" --data-dir "$dir" $args >/dev/null 2>"$home/err" ;;
  esac
  check "$name-rc" 1 $?
  grep -q -- "$want" "$home/err" || { echo "FAIL $name: [$(cat "$home/err")]"; fails=$((fails + 1)); }
  grep -q "错误代码" "$home/err" && { echo "FAIL $name: a bare code [$(cat "$home/err")]"; fails=$((fails + 1)); }
done <<ROWS
list-no-folder|$home/plainfile/x|-|cases list|无法创建文件夹 $home/plainfile/x
search-no-folder|$home/plainfile/x|-|cases search --name 王|无法创建文件夹 $home/plainfile/x
add-no-folder|$home/plainfile/x|-|cases add --name 甲 --date 2000-01-01 --time 01:00 --class 甲|无法创建文件夹
add-full|$home/app|full|cases add --name 满 --date 2000-01-01 --time 01:00 --class 满|命例已保存为第.*号（标识 [0-9a-f]*），但无法写出结果：磁盘已满
add-closed|$home/app|closed|cases add --name 关 --date 2000-01-01 --time 01:00 --class 关|命例已保存为第.*号（标识 [0-9a-f]*），但无法写出结果：文件未打开或已关闭
list-closed|$home/app|closed|cases list|无法写出结果：文件未打开或已关闭
ROWS
for who in 满 关; do
  slot=$(run cases search --name "$who" --name-exact)
  [ -n "$slot" ] || { echo "FAIL $who was not stored"; fails=$((fails + 1)); }
done
run cases add --name 满 --date 2000-01-01 --time 01:00 --class 满 >/dev/full 2>"$home/err"
check add-full-names-the-slot "$(run cases search --name 满 --name-exact | tail -1)" "$(sed -n 's/.*命例已保存为第\([0-9]*\)号.*/\1/p' "$home/err")"
slot=$(run cases search --name 满 --name-exact | tail -1)
check add-full-names-the-identity "$(run cases list | awk -F'\t' -v s="$slot" '$1 == s { print $7 }')" \
  "$(sed -n 's/.*（标识 \([0-9a-f]*\)）.*/\1/p' "$home/err")"

# A read-only data folder is reported as read-only, and nothing changes.
# (root writes anywhere: it gets a read-only mount of its own instead)
before=$(run cases list)
rc=
if [ -n "${HJ_CLI_EMULATED:-}" ]; then
  # wine's server, which makes the files, runs outside the read-only mount
  echo "SKIP read-only data folder: the program runs under $HJ_CLI_EMULATED"
elif [ "$(id -u)" != 0 ]; then
  chmod -R a-w "$home/app/dat" "$home/app/bazi_f"
  run cases remove 0 >/dev/null 2>"$home/err"
  rc=$?
  chmod -R u+w "$home/app/dat" "$home/app/bazi_f"
elif unshare -m true 2>/dev/null; then
  unshare -m sh -c 'mount --bind -o ro "$1" "$1" && exec "$2" --data-dir "$1" cases remove 0' sh "$home/app" "$cli" \
    >/dev/null 2>"$home/err"
  rc=$?
else
  echo "SKIP read-only data folder: run as root without a mount namespace"
fi
if [ -n "$rc" ]; then
  check read-only-rc 1 "$rc"
  grep -q "数据文件夹 $home/app/dat 是只读的" "$home/err" || { echo "FAIL read-only: [$(cat "$home/err")]"; fails=$((fails + 1)); }
  check read-only-kept "$before" "$(run cases list)"
fi

# bazi_f as a link to another folder: a removal refuses before it starts, naming the link,
# and nothing in the folder it points to is deleted; the store works again once mended.
mv "$home/app/bazi_f" "$home/elsewhere" && ln -s "$home/elsewhere" "$home/app/bazi_f"
reports=$(ls "$home/elsewhere")
run cases remove 0 >/dev/null 2>"$home/err"
check link-remove-rc 1 $?
grep -q "$home/app/bazi_f 是一个符号链接" "$home/err" || { echo "FAIL link: [$(cat "$home/err")]"; fails=$((fails + 1)); }
check link-reports-kept "$reports" "$(ls "$home/elsewhere")"
rm "$home/app/bazi_f" && mv "$home/elsewhere" "$home/app/bazi_f"
check link-mended "$before" "$(run cases list)"

# An export whose report copy fails exits 1 and leaves nothing an import would take.
mkfifo "$home/app/bazi_f/99.rtf"
timeout 20 "$cli" --data-dir "$home/app" cases export "$home/failed" >/dev/null 2>"$home/err"
check failed-export-rc 1 $?
[ -e "$home/failed/bazi0.dat" ] && { echo "FAIL a failed export left bazi0.dat"; fails=$((fails + 1)); }
refuses import-failed-export cases import "$home/failed/bazi0.dat"
rm "$home/app/bazi_f/99.rtf"

# clear keeps a backup and says which; backups lists it; restore brings the cases back.
count=$(run cases list | wc -l)
said=$(run cases clear)
name=${said##* }
check clear-names-backup "原有的历史记录已备份为 $name" "$said"
check backups-line "$name	$count" "$(run cases backups | grep "^$name	" | cut -f1,2)"
[ "$(run cases backups | grep "^$name	" | cut -f3)" -gt $((20 + count * 1184)) ] ||
  { echo "FAIL backups: size [$(run cases backups)]"; fails=$((fails + 1)); }
check cleared-before-restore "" "$(run cases list)"
run cases restore "$name" >/dev/null || { echo "FAIL restore"; fails=$((fails + 1)); }
check restored "$before" "$(run cases list)"
refuses restore-unknown cases restore 19991231-235959
refuses restore-outside cases restore ../../dat

# Another store's folders are no export target: the folder holding its dat/, dat/ itself, a
# folder inside it, its report folder (through a link too). Its cases and reports stay whole.
"$cli" --data-dir "$home/other" cases add --name 赵六 --date 1970-01-01 --time 01:00 --class 朋友 >/dev/null
otherBefore=$(cd "$home/other" && find . -type f ! -name '*.changes' | sort | xargs md5sum)
ln -s "$home/other/dat" "$home/linkToDat"
for target in "$home/other" "$home/other/" "$home/other/dat" "$home/other/dat/sub" "$home/other/bazi_f" \
  "$home/linkToDat" "$home/other/dat/backups/x"; do
  refuses "export-into-data-folder $target" cases export "$target"
  grep -q 数据文件夹 "$home/err" || { echo "FAIL export into $target: [$(cat "$home/err")]"; fails=$((fails + 1)); }
done
check other-store-untouched "$otherBefore" "$(cd "$home/other" && find . -type f ! -name '*.changes' | sort | xargs md5sum)"
[ -e "$home/other/dat/sub" ] && { echo "FAIL a refused export made a folder"; fails=$((fails + 1)); }
# A folder beside the store's folders is fine, and so is an earlier export replaced.
run cases export "$home/other/exports" >/dev/null || { echo "FAIL export beside a store"; fails=$((fails + 1)); }
run cases export "$home/other/exports" >/dev/null || { echo "FAIL export again"; fails=$((fails + 1)); }

# A record file cut short: what can be read is listed, and the rest is not passed over.
for n in 1 2 3; do "$cli" --data-dir "$home/cut" cases add --name 截$n --date 2000-01-01 --time 12:00 --class 甲 >/dev/null; done
truncate -s $((20 + 2 * 1184 + 100)) "$home/cut/dat/bazi0.dat"
listed=$("$cli" --data-dir "$home/cut" cases list 2>"$home/err")
check cut-list-rc-rows "1 2" "$? $(printf '%s\n' "$listed" | wc -l)"
grep -q "记录文件不完整" "$home/err" || { echo "FAIL cut list: [$(cat "$home/err")]"; fails=$((fails + 1)); }
# A linked dat/ is named as a link.
mkdir -p "$home/linked" "$home/real"
"$cli" --data-dir "$home/real" cases add --name 链 --date 2000-01-01 --time 12:00 --class 甲 >/dev/null
ln -s "$home/real/dat" "$home/linked/dat"
"$cli" --data-dir "$home/linked" cases add --name 链二 --date 2000-01-01 --time 12:00 --class 甲 >/dev/null 2>"$home/err"
grep -q "符号链接" "$home/err" || { echo "FAIL linked dat: [$(cat "$home/err")]"; fails=$((fails + 1)); }
# An import of a history without its report folder says that its cases come without reports.
mkdir -p "$home/noreports"
cp "$home/real/dat/bazi0.dat" "$home/noreports/"
"$cli" --data-dir "$home/real" cases import "$home/noreports/bazi0.dat" >/dev/null 2>"$home/err"
check import-without-reports-rc 0 $?
grep -q "没有命稿文件夹" "$home/err" || { echo "FAIL import without reports: [$(cat "$home/err")]"; fails=$((fails + 1)); }

[ "$fails" = 0 ] && echo "cases: all checks passed"
exit $((fails > 0))
