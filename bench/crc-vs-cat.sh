#!/usr/bin/env bash
# Times the detailed list with the CRC-32 column over sixteen 100 MB files of
# random bytes against `cat` reading the same files, then times each way of
# reading the files for their CRC on one thread (bench/crc-read-options.cpp).
#   bench/crc-vs-cat.sh [DIR]     (OPTIONS=0 leaves the second part out)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
build_cli
DIR=${1:-/tmp/tallyfold-bench-crc}
ensure_random_files "$DIR"
OUT=$(mktemp -d)
json="$OUT/times.json"
echo "load before: $(cat /proc/loadavg)"
hyperfine --warmup 1 --runs ${RUNS:-5} --export-json "$json" \
  "cat '$DIR'/* > /dev/null" \
  "'$CLI' -q --set Fields.CRC32=1 '$DIR' -o '$OUT/crc.rtf'"
echo
echo "CRC report / cat:  $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)")  (target 1.1)"
if [ "${OPTIONS:-1}" != 0 ]; then
  echo
  g++ -O2 -std=c++20 "$BENCH_ROOT/bench/crc-read-options.cpp" -o "$OUT/crc-read-options" -ldeflate
  "$OUT/crc-read-options" "$DIR"/*
fi
echo "load after:  $(cat /proc/loadavg)"
rm -rf "$OUT"
