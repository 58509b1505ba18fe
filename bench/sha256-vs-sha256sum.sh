#!/usr/bin/env bash
# Times the detailed list with the SHA-256 column over sixteen 100 MB files of
# random bytes against `sha256sum` over the same files (target: below 0.7).
# The program hashes the next files of a folder on helper threads while a row
# is written, so every core works; sha256sum reads one file after the other.
#   bench/sha256-vs-sha256sum.sh [DIR]   (CLI=path overrides the program)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
CLI=${CLI_OVERRIDE:-$CLI}
need hyperfine hyperfine
build_cli
DIR=${1:-/tmp/tallyfold-bench-crc}
ensure_random_files "$DIR"
OUT=$(mktemp -d)
json="$OUT/times.json"
hyperfine --warmup 1 --runs ${RUNS:-5} --export-json "$json" \
  "sha256sum '$DIR'/* > /dev/null" \
  "'$CLI' -q --set Fields.SHA256=1 '$DIR' -o '$OUT/sha.rtf'"
# Both give the same digests.
"$CLI" -q --set Fields.SHA256=1 --set Fields.Size=0 --set Fields.Date=0 "$DIR" |
  awk 'NF == 2 && length($2) == 64 {print $2}' | sort > "$OUT/ours"
sha256sum "$DIR"/* | awk '{print $1}' | sort > "$OUT/theirs"
cmp -s "$OUT/ours" "$OUT/theirs" && echo "digests agree with sha256sum" || echo "DIGESTS DIFFER"
echo
echo "cores: $(nproc); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "SHA-256 report / sha256sum:  $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)")  (target below 0.7)"
/usr/bin/time -v "$CLI" -q --set Fields.SHA256=1 "$DIR" -o "$OUT/sha.rtf" 2>&1 |
  awk -F': ' '/Maximum resident set size|Percent of CPU/ {print "  " $1 ": " $2}'
rm -rf "$OUT"
