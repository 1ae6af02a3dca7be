#!/usr/bin/env bash
# The calendar commands: output format, ranges and refusals (exit code 1, message on stderr).
set -u
cli=$1
source "$(dirname "$0")/lib.sh"

check lunar-range "$(printf '2024-02-09\t2023\t12\t30\t0\n2024-02-10\t2024\t1\t1\t0')" "$("$cli" lunar 2024-02-09 2024-02-10)"
check lunar-leap "$(printf '2023-03-22\t2023\t2\t1\t1')" "$("$cli" lunar 2023-03-22)"
check lunar-count 73049 "$("$cli" lunar 1901-01-01 2100-12-31 | wc -l)"
check solar-leap 2033-12-22 "$("$cli" solar 2033-11-01 --leap)"
check solar-plain 2024-02-10 "$("$cli" solar 2024-01-01)"
check terms "$(printf '2000-02-04 20:40\t立春\n2000-02-19 16:33\t雨水')" "$("$cli" terms 2000 | sed -n '3,4p')"
check terms-count 48 "$("$cli" terms 2023 2024 | wc -l)"
check era "[当代] 中国  公历纪元1949年" "$("$cli" era 1949)"
check bc-year "$(printf -- '-0001-01-01')" "$("$cli" lunar -0001-01-01 | cut -f1)"

refuses no-such-lunar solar 2024-01-30
check no-such-lunar-msg "hengjian-cli: 不存在这个农历日期，无法转换到公历！" "$("$cli" solar 2024-01-30 2>&1)"
refuses gap lunar 1582-10-10
refuses feb29 lunar 2023-02-29
refuses malformed lunar 2024/01/01
refuses reversed lunar 2024-01-02 2024-01-01
refuses year-range terms 10000
refuses year-text era abc
refuses month13 solar 2024-13-01
refuses no-era era -3000
[ "$fails" = 0 ] && echo "calendar commands: all checks passed"
exit "$fails"
