# Shared checks of the command-line tests (sourced; the scripts set `cli` first).
fails=0
_hj_err=$(mktemp)
trap 'rm -f "$_hj_err"' EXIT

check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: expected [$2] got [$3]"
    fails=$((fails + 1))
  fi
}

refuses() {  # refuses NAME ARGS... : exit code 1, nothing on stdout, a message on stderr
  local name=$1
  shift
  local out err rc
  out=$("$cli" "$@" 2>"$_hj_err")
  rc=$?
  err=$(cat "$_hj_err")
  [ "$rc" = 1 ] || { echo "FAIL $name: exit code $rc"; fails=$((fails + 1)); }
  [ -z "$out" ] || { echo "FAIL $name: printed [$out]"; fails=$((fails + 1)); }
  [ -n "$err" ] || { echo "FAIL $name: no message"; fails=$((fails + 1)); }
}
