#!/usr/bin/env bash
# Times the detailed list with the CRC-32 column over sixteen 100 MB files of
# random bytes against `cat` reading the same files.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
build_cli
DIR=${1:-/tmp/tallyfold-bench-crc}
ensure_random_files "$DIR"
OUT=$(mktemp -d)
json="$OUT/times.json"
hyperfine --warmup 1 --runs ${RUNS:-5} --export-json "$json" \
  "cat '$DIR'/* > /dev/null" \
  "'$CLI' -q --set Fields.CRC32=1 '$DIR' -o '$OUT/crc.rtf'"
echo
echo "CRC report / cat:  $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)")  (target 1.3)"
rm -rf "$OUT"
