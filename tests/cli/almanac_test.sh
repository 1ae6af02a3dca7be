#!/usr/bin/env bash
# The almanac command: one block a day, the JSON objects' keys in their order, refusals.
set -u
cli=$1
source "$(dirname "$0")/lib.sh"

check text-blocks 3 "$("$cli" almanac 2024-02-09 2024-02-11 | grep -c '^干支：')"
check text-first "2024-02-10 星期六  农历正月初一" "$("$cli" almanac 2024-02-10 | head -1)"
check json-keys "date pillars nayin jianchu tianshen huangdao xiu xiuLuck chong chongDesc sha pengzu taishen directions jishen xiongsha yi ji hours hou shujiu fu moon seasonal nineStar" \
    "$("$cli" almanac 2024-02-10 --json | sed -n 's/^  "\([A-Za-z]*\)".*/\1/p' | tr '\n' ' ' | sed 's/ $//')"
check json-days 2 "$("$cli" almanac 2024-02-10 2024-02-11 --json | grep -c '"date"')"
check json-hours 12 "$("$cli" almanac 2024-02-10 --json | grep -c '"ganzhi"')"
check json-null-fu '  "fu": null,' "$("$cli" almanac 2024-02-10 --json | grep '^  "fu"')"
check json-moon '   "time": "2024-02-10 06:59"' "$("$cli" almanac 2024-02-10 --json | grep '"time"')"

# The export's season starts: off by default (the file as before), with --seasons the first
# days of 三伏 2023 (7-11, 7-21, 8-10) and of the nines from 冬至 2023-12-22.
plain=$(SOURCE_DATE_EPOCH=0 "$cli" ical 2023)
check ical-default "" "$(printf '%s' "$plain" | grep 'CATEGORIES:黄历')"
seasons=$(SOURCE_DATE_EPOCH=0 "$cli" ical 2023 --seasons | tr -d '\r')
check ical-fu "20230711 初伏 20230721 中伏 20230810 末伏 20231222 一九" \
    "$(printf '%s\n' "$seasons" | grep -E '^(DTSTART;VALUE=DATE:|SUMMARY:)' | grep -B1 -E 'SUMMARY:(初伏|中伏|末伏|一九)$' | grep -v '^--$' | sed 's/.*://' | tr '\n' ' ' | sed 's/ $//')"
check ical-count 12 "$(printf '%s\n' "$seasons" | grep -c 'CATEGORIES:黄历')"
check ical-rest "$(printf '%s' "$plain" | grep -c BEGIN:VEVENT)" "$(( $(printf '%s\n' "$seasons" | grep -c BEGIN:VEVENT) - 12 ))"

refuses reversed almanac 2024-02-11 2024-02-10
refuses feb29 almanac 2023-02-29
refuses too-long almanac 2000-01-01 2024-01-01
refuses malformed almanac 2024/02/10
refuses year-range almanac 9999-12-31
[ "$fails" = 0 ] && echo "almanac command: all checks passed"
exit "$fails"
