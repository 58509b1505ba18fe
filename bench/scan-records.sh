#!/usr/bin/env bash
# Times the records dump of a million-file tree against find printing the same
# three fields, and measures the dump's peak memory per record.
#   bench/scan-records.sh [TREE]    (TALLYFOLD_CLI=path times another build)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
CLI=${TALLYFOLD_CLI:-$CLI}
[ -n "${TALLYFOLD_CLI:-}" ] || build_cli
DEST=${1:-/tmp/tallyfold-bench-1m}
ensure_tree "$DEST" 1000000

OUT=$(mktemp -d)
json="$OUT/times.json"
hyperfine --warmup 1 --runs ${RUNS:-5} --export-json "$json" \
  "find '$DEST' -printf '%h/|%f|%s\n' > /dev/null" \
  "'$CLI' --records '$DEST' > /dev/null"

# Names may hold line breaks: count the records in the NUL-separated form.
records=$("$CLI" --records -0 "$DEST" | tr -cd '\0' | wc -c)
peak=$(peak_kib "$CLI" --records "$DEST")
echo
echo "records:                 $records"
echo "records dump / find:     $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)")  (target 0.5)"
echo "peak memory:             $peak KiB"
echo "bytes per record:        $(python3 -c "print(f'{$peak * 1024 / $records:.1f}')")  (target 100)"
rm -rf "$OUT"
