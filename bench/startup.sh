#!/usr/bin/env bash
# Start-up of the desktop program to a shown main window, with a store of 300 cases: the median
# wall time of RUNS starts of `hengjian --quit-when-shown` (which ends once its window is shown).
# Run it on a release build, on a display of its own (Xvfb) or with QT_QPA_PLATFORM=offscreen:
#   bench/startup.sh build-bench/bin [RUNS]
set -eu
bin=$(cd "$1" && pwd)
runs=${2:-15}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
# 300 cases in ten classes, each with its report, made by the command line as a user's would be.
for i in $(seq 0 299); do
  "$bin/hengjian-cli" --data-dir "$data" cases add --name "某$((i % 7))" --date "$((1940 + i % 80))-0$((1 + i % 9))-1$((i % 9))" \
    --time "0$((i % 10)):30" --class "类别$((i % 10))" --note "备注:$i" >/dev/null
done
"$bin/hengjian" --data-dir "$data" --quit-when-shown >/dev/null 2>&1  # warm the file cache once
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$bin/hengjian" --data-dir "$data" --quit-when-shown >/dev/null 2>&1
  times+=($(( ($(date +%s%N) - start) / 1000000 )))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "start-up to a shown window, 300 cases, $runs runs: median ${sorted[$((runs / 2))]} ms (min ${sorted[0]}, max ${sorted[$((runs - 1))]})"
