#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time:
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# The seed corpora in fuzz/corpus/<target>/ stay untouched; new inputs go to
# build-fuzz/corpus/<target>/, crashes to build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/setup-deps.sh
cmake -S . -B build-fuzz -DHJ_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" _fuzz.cpp)"); done
fi
status=0
for t in "${targets[@]}"; do
  work=build-fuzz/corpus/$t
  findings=build-fuzz/findings/$t
  mkdir -p "$work" "$findings"
  log=build-fuzz/$t.log
  set +e
  ASAN_OPTIONS=detect_leaks=1 build-fuzz/fuzz/${t}_fuzz "$work" "fuzz/corpus/$t" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1
  rc=$?
  set -e
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  cov=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -o 'cov: [0-9]*' | grep -o '[0-9]*' || echo 0)
  ft=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -o 'ft: [0-9]*' | grep -o '[0-9]*' || echo 0)
  printf '%-20s rc=%d execs=%s cov=%s ft=%s corpus=%s\n' "$t" "$rc" "$execs" "$cov" "$ft" "$(ls "$work" | wc -l)"
  [ "$rc" = 0 ] || status=1
done
exit $status
