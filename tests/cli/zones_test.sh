#!/usr/bin/env bash
# Births abroad and summer time on the command line: the world list, the user's places, JSON
# keys, refusals, and the zone of a stored case.
set -u
cli=$1
source "$(dirname "$0")/lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp" "$_hj_err"' EXIT
mkdir -p "$tmp/dat" "$tmp/bazi_f"
run() { "$cli" --data-dir "$tmp" "$@"; }
field() { grep "\"$1\":" | head -1 | sed 's/^ *"[^"]*": //; s/,$//; s/"//g'; }

check world-zh "纽约	美国	New York	America/New_York" "$(run places --world 纽约 | cut -f1-4)"
check world-en "Sydney" "$(run places --world sydney | cut -f3)"
n=$(run places --world | wc -l)
[ "$n" -ge 400 ] || { echo "FAIL world-all: $n places"; fails=$((fails + 1)); }

# JSON: zone, standard offset and summer time at the birth (Sydney in January: UTC+10, summer).
json=$(run chart --date 2000-01-15 --time 10:00 --world-place Sydney --json)
check json-zone "Australia/Sydney" "$(echo "$json" | field zone)"
check json-offset 600 "$(echo "$json" | field zoneOffsetMinutes)"
check json-dst 60 "$(echo "$json" | field dstMinutes)"
check json-clock "2000-01-15 07:00" "$(echo "$json" | field birthClock)"
check json-local "2000-01-15 09:00" "$(echo "$json" | field birthLocal)"
json=$(run chart --date 1988-07-01 --time 09:30 --lon 116.4 --lat 39.9 --json)
check china-dst 60 "$(echo "$json" | field dstMinutes)"
# 1988-07-01 is a 丁巳 day (4201 days before the 戊午 of 2000-01-01): 辰 hour 甲辰, not 巳 hour 乙巳.
check china-pillar "甲辰" "$(echo "$json" | python3 -c 'import json,sys; print(json.load(sys.stdin)["pillars"][3])')"
json=$(run chart --date 1988-07-01 --time 09:30 --lon 116.4 --lat 39.9 --set dst=0 --json)
check china-dst-off "1988-07-01 09:30" "$(echo "$json" | field birthClock)"

# The report names the zone in Chinese: its name and standard offset abroad, the summer time at home.
check clock-abroad "出生公历：2000年7月15日10时0分(钟表时间，北美东部时间，西五区，夏令时，已减1小时)。" \
  "$(run chart --date 2000-07-15 --time 10:00 --tz America/New_York --lon -74 --lat 40.7 | grep -m1 钟表时间 | tr -d '\r')"
check clock-china "出生公历：1988年7月1日9时30分(钟表时间，中国时间，夏令时，已减1小时)。" \
  "$(run chart --date 1988-07-01 --time 09:30 --lon 116.4 --lat 39.9 | grep -m1 钟表时间 | tr -d '\r')"

# Repeated and skipped hours.
check fold-1 "2021-11-07 13:30" "$(run chart --date 2021-11-07 --time 01:30 --tz America/New_York --json | field birthClock)"
check fold-2 "2021-11-07 14:30" "$(run chart --date 2021-11-07 --time 01:30 --tz America/New_York --fold 2 --json | field birthClock)"
refuses skipped run chart --date 2021-03-14 --time 02:30 --tz America/New_York
refuses unknown-zone run chart --date 2000-01-01 --time 12:00 --tz Mars/Base
refuses no-place run chart --date 2000-01-01 --time 12:00 --world-place Atlantis
refuses both run chart --date 2000-01-01 --time 12:00 --tz Asia/Tokyo --province 1 --city 0
refuses fold-3 run chart --date 2000-01-01 --time 12:00 --tz Asia/Tokyo --fold 3

# A clock time that occurred twice at a Chinese place (1988-09-11, summer time ended at 02:00):
# --fold is honoured with or without a place, and the report says which one it took.
for place in "" "--province 0" "--lon 116.4 --lat 39.9"; do
  # shellcheck disable=SC2086
  check "china-fold-2 $place" "1988-09-11 01:30 乙丑" "$(run chart --date 1988-09-11 --time 01:30 --fold 2 $place --json |
    python3 -c 'import json,sys; d=json.load(sys.stdin); print(d["birthClock"], d["pillars"][3])')"
  # shellcheck disable=SC2086
  check "china-fold-2-line $place" "出生公历：1988年9月11日1时30分(钟表时间，中国时间，重复的钟点取第二次)。" \
    "$(run chart --date 1988-09-11 --time 01:30 --fold 2 $place | grep -m1 钟表时间 | tr -d '\r')"
done
check china-fold-1 "1988-09-11 00:30 甲子" "$(run chart --date 1988-09-11 --time 01:30 --json |
  python3 -c 'import json,sys; d=json.load(sys.stdin); print(d["birthClock"], d["pillars"][3])')"

# Births abroad read with the rules in force: the zones that changed since 2022 against the
# system's own conversion (Python's zoneinfo over the system's zone files).
if python3 -c 'import zoneinfo; zoneinfo.ZoneInfo("America/Ciudad_Juarez")' 2>/dev/null; then
  for c in "America/Mexico_City 2022-07-01" "America/Mexico_City 2024-07-01" "Africa/Cairo 2022-07-01" \
           "Africa/Cairo 2024-07-01" "Asia/Almaty 2024-01-15" "Asia/Almaty 2024-07-01" "America/Nuuk 2023-01-15" \
           "America/Nuuk 2024-07-01" "America/Nuuk 2024-12-01" "America/Ciudad_Juarez 2024-01-15" \
           "America/Ciudad_Juarez 2024-07-01" "Europe/Kyiv 2024-07-01"; do
    set -- $c
    want=$(python3 -c "
from datetime import datetime; from zoneinfo import ZoneInfo
d = datetime.fromisoformat('$2T12:00').replace(tzinfo=ZoneInfo('$1'))
print(int(d.utcoffset().total_seconds() - d.dst().total_seconds()) // 60, int(d.dst().total_seconds()) // 60)")
    json=$(run chart --date "$2" --time 12:00 --tz "$1" --json)
    check "recent $1 $2" "$want" "$(echo "$json" | field zoneOffsetMinutes) $(echo "$json" | field dstMinutes)"
  done
else
  echo "no Python zoneinfo with the zones of 2022 here: the recent changes are checked by the engine tests alone"
fi

# The tz data in use is named: the system's files, or the program's own copy without them.
data=$(run chart --date 2024-07-01 --time 12:00 --tz Africa/Cairo --json | python3 -c 'import json,sys; d=json.load(sys.stdin)["zoneData"]; print(d["version"], d["source"])')
case "$data" in
  20[0-9][0-9][a-z]\ *) ;;
  *) echo "FAIL zone-data: [$data]"; fails=$((fails + 1)) ;;
esac
check zone-data-built-in "built-in" "$(TZDIR=$tmp/no-such-folder run chart --date 2024-07-01 --time 12:00 --tz Africa/Cairo --json |
  python3 -c 'import json,sys; print(json.load(sys.stdin)["zoneData"]["source"])')"
check version-zone-data "zone data: tz" "$(TZDIR=$tmp/no-such-folder run --version | sed -n 2p | cut -c1-13)"

# The user's own places: GBK file, listed first, usable by name.
run places --world-add 硅谷 --tz America/Los_Angeles --lon -122.06 --lat 37.39
check user-file "硅谷=-122.0600*37.3900*America/Los_Angeles" "$(iconv -f gbk -t utf-8 "$tmp/dat/worldpl.ini" | tr -d '\r' | sed -n 2p)"
check user-listed "硅谷	自定义" "$(run places --world 硅谷 | cut -f1,2)"
refuses user-bad-zone run places --world-add 某地 --tz Nowhere/City --lon 1 --lat 1

# A stored case keeps its zone and fold.
index=$(run cases add --name 甲 --class 海外 --date 2021-11-07 --time 01:30 --world-place 硅谷 --fold 2)
check case-zone "zone	America/Los_Angeles	fold 2" "$(run cases show "$index" | grep '^zone')"
index=$(run cases add --name 乙 --class 国内 --date 2000-01-01 --time 12:00)
check case-no-zone "" "$(run cases show "$index" | grep '^zone')"

[ "$fails" = 0 ] || exit 1
echo "zones: all checks passed"
