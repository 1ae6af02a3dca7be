#!/bin/bash
# The committed tables of resources/data are what their tools write from this machine's ICU,
# glibc and tz release: a table edited by hand, or a tool changed without `make tables`, shows
# here. The zone and Traditional tables are compared only when the ICU and tz versions their
# header names are the ones at hand (else the test says so and is skipped).
#   tables_fresh_test.sh TOOLS_DIR DATA_DIR ZONEINFO_DIR
set -u
tools=$1 data=$2 zoneinfo=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
differs() {
  if ! cmp -s "$tmp/$1" "$data/$1"; then
    echo "FAIL: $1 is not what its tool writes now (run make tables and look at the diff)"
    fail=1
  fi
}
"$tools/hj_gen_gbk_table" "$tmp/gbk.bin" || { echo "FAIL: gen_gbk_table"; exit 1; }
differs gbk.bin
"$tools/hj_gen_icu_tables" "$tmp" "$zoneinfo" "$data/world_places.tsv" || { echo "FAIL: gen_icu_tables"; exit 1; }
"$tools/hj_gen_zone_names" "$tmp/zone_names.tsv" 2>/dev/null || { echo "FAIL: gen_zone_names"; exit 1; }
have=$(sed -n 2p "$tmp/zone_ids.tsv") want=$(sed -n 2p "$data/zone_ids.tsv")
if [ "$have" != "$want" ]; then
  echo "the zone and Traditional tables were written from '${want#\# }', this machine has '${have#\# }': not compared"
  [ $fail = 0 ] && exit 77
  exit 1
fi
for f in zone_ids.tsv tzif.bin zone_places.tsv hant_rules.tsv zone_names.tsv; do differs "$f"; done
[ $fail = 0 ] && echo "6 tables as their tools write them"
exit $fail
