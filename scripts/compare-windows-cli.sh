#!/usr/bin/env bash
# Runs one set of hengjian-cli commands with the Linux build and with the Windows build (under
# wine) and compares what they print, byte for byte: standard output, standard error and the exit
# status. Each side works in a data folder of its own, made fresh.
#   scripts/compare-windows-cli.sh LINUX_CLI WINDOWS_CLI.exe
# Prints one line per command and a summary; exit status 1 when any command differed.
set -uo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/linux" "$work/windows"
export WINEDEBUG=-all SOURCE_DATE_EPOCH=1700000000
export WINEPREFIX=${WINEPREFIX:-$(dirname "$(dirname "$windows")")/wine}

# One command a line (words split by the shell, quotes kept); "<<TEXT" at the end feeds TEXT
# (with \n as line ends) to standard input.
commands=(
  'lunar 2024-02-09 2024-02-11'
  'lunar 1900-01-01 1900-03-01'
  'solar 2023-02-01 --leap'
  'terms 2024 2025'
  'era 1368'
  'era -0100'
  'ical 2025 2026'
  'pillars "1990-05-17 08:30"'
  'pillars --batch - <<1990-05-17 08:30\n2000-01-01 00:00\nnot a date\n1984-02-04 23:30'
  'chart --name 张三 --date 1990-05-17 --time 08:30 --lon 116.4 --lat 39.9 --place 北京'
  'chart --name 张三 --date 1990-05-17 --time 08:30 --json'
  'chart --name 李四 --date 1990-04-23 --time 08:30 --lunar --female --set idate=1 --no-yearly'
  'chart --date 1988-07-01 --time 09:30 --province 1 --city 0'
  'chart --date 1941-06-01 --time 12:00 --tz Europe/London --lon 0 --lat 51.5'
  'chart --date 2000-07-15 --time 10:00 --world-place 纽约 --json'
  'chart --date 2021-11-07 --time 01:30 --tz America/New_York --lon -74 --lat 40.7 --fold 2'
  'chart --date 2021-03-14 --time 02:30 --tz America/New_York --lon -74 --lat 40.7'
  'chart --date 1990-05-17 --time 08:30 --analysis'
  'chart --date 1990-05-17 --time 08:30 --boundaries'
  'chart --date 1990-05-17 --unknown-hour'
  'chart --name 张三 --date 1990-05-17 --time 08:30 --gbk'
  '--traditional chart --name 张三 --date 1990-05-17 --time 08:30 --place 北京 --lon 116.4 --lat 39.9'
  '--traditional month 2024-02'
  'places --world 澳大利亚'
  'places --world new_york'
  'places --world-add 我的城 --tz Asia/Kolkata --lon 77.2 --lat 28.6'
  'places --world-add 我的城 --tz Asia/Kolkata --lon 77.3 --lat 28.6'
  'places --world 我的城'
  'month 2024-02'
  'reverse --pillars "庚午 辛巳 壬午 甲辰" --from 1950'
  'name 张三'
  'name 欧阳修 --compound'
  'strokes 明'
  'strokes 張'
  'element 金'
  'cases add --name 张三 --date 1990-05-17 --time 08:30 --class 朋友 --note 同学'
  'cases add --name 王五 --date 1975-11-03 --time 23:10 --female'
  'cases list'
  'cases search --class 朋友 --years 1980 1999'
  'cases show 0 --report'
  'cases backups'
  'match --a-name 张三 --a-date 1990-05-17 --a-time 08:30 --b-name 李四 --b-date 1991-06-01 --b-time 10:00 --b-female'
  'match --a-case 0 --b-date 1992-02-10 --b-time 23:15 --b-female --b-world-place 纽约 --json'
  'chart --date 2024-07-01 --time 12:00 --tz America/Mexico_City --json'
  'chart --date 2024-07-01 --time 12:00 --tz Africa/Cairo'
  'chart --date 2024-07-01 --time 12:00 --tz Asia/Almaty --json'
  'chart --date 2024-07-01 --time 12:00 --tz America/Nuuk'
  'chart --date 2024-07-01 --time 12:00 --tz America/Ciudad_Juarez --json'
  'chart --date 2024-11-03 --time 01:30 --world-place 纽约 --fold 2 --boundaries'
  'chart --date 1988-09-11 --time 01:30 --fold 2'
  '--version'
  'chart --date 2024-13-01 --time 08:30'
  'nosuchcommand'
)

same=0
differ=0
for c in "${commands[@]}"; do
  input=""
  line=$c
  if [[ $c == *'<<'* ]]; then
    line=${c%%<<*}
    input=$(printf '%b' "${c#*<<}")
  fi
  eval "args=($line)"
  for side in linux windows; do
    if [ $side = linux ]; then run=("$linux"); else run=(wine "$windows"); fi
    if [ -n "$input" ]; then printf '%s\n' "$input" >"$work/in"; else : >"$work/in"; fi
    "${run[@]}" --data-dir "$work/$side/data" "${args[@]}" <"$work/in" >"$work/$side/out" 2>"$work/$side/err"
    echo $? >"$work/$side/status"
    # Messages that name the data folder name each side's own; a case's identity (the last
    # field of "cases list") is drawn at random when the case is stored.
    sed -i -e "s|$work/$side/|DATA/|g" "$work/$side/err" "$work/$side/out"
    [ "${args[0]} ${args[1]:-}" = "cases list" ] && sed -i -E 's/\t[0-9a-f]{16}$/\tID/' "$work/$side/out"
    # Where the zone data was read differs by design (the system's files, the program's own
    # copy on Windows); the release must not.
    sed -i -E -e 's/("source": )"[^"]*"/\1"SOURCE"/' -e 's/^(zone data: tz [^（]*)（.*）$/\1（SOURCE）/' "$work/$side/out"
  done
  if cmp -s "$work/linux/out" "$work/windows/out" && cmp -s "$work/linux/err" "$work/windows/err" &&
     cmp -s "$work/linux/status" "$work/windows/status"; then
    same=$((same + 1))
    printf 'same     %6d bytes  %s\n' "$(stat -c %s "$work/linux/out")" "$line"
  else
    differ=$((differ + 1))
    printf 'DIFFERS  %s\n' "$line"
    diff <(cat "$work/linux/out" "$work/linux/err" "$work/linux/status") \
         <(cat "$work/windows/out" "$work/windows/err" "$work/windows/status") | head -8
  fi
done
echo "$same of $((same + differ)) commands gave the same bytes"
[ $differ -eq 0 ]
