#!/usr/bin/env bash
# The desktop program's --help and --version as a user at a terminal sees them: on Windows the
# program has no console of its own, so this checks that the words still arrive, and that the
# help names the per-user data folder of the system the program was built for.
#   help_test.sh PROGRAM PER-USER-FOLDER [EMULATOR]
set -uo pipefail
program=$1
folder=$2
emulator=${3:-}
failures=0
run() { $emulator "$program" "$@"; }

# Case: arguments, expected exit status, text the output must hold.
cases=(
  "--help|0|--data-dir <文件夹>"
  "--help|0|不可写时为 $folder"
  "-h|0|用法：hengjian [选项]"
  "--version|0|hengjian "
  "-v|0|hengjian "
  "--no-such-option|1|未知的选项：no-such-option"
)
for c in "${cases[@]}"; do
  IFS='|' read -r arg status want <<<"$c"
  out=$(run "$arg" -platform offscreen 2>&1 | tr -d '\r')
  got=$(run "$arg" -platform offscreen >/dev/null 2>&1; echo $?)
  if [ "$got" != "$status" ]; then
    echo "FAIL: $arg ended with status $got, not $status"
    failures=$((failures + 1))
  fi
  if ! grep -qF -- "$want" <<<"$out"; then
    echo "FAIL: $arg does not say \"$want\"; it said:"
    printf '%s\n' "$out" | sed 's/^/  /'
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] && echo "help_test: ${#cases[@]} cases passed"
[ "$failures" -eq 0 ]
