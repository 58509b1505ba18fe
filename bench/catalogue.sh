#!/usr/bin/env bash
# The machine-readable listings and their comparison on a million-file tree:
# the CSV and JSON listings against the detailed RTF report of the same tree
# (target: no slower, ratio <= 1.00), their peak memory per file (target:
# under 250 bytes), and the comparison of two JSON listings against the
# records dump of the tree (target: ratio under 1.5).
#   bench/catalogue.sh [TREE]    (TALLYFOLD_CLI=path times another build)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
CLI=${TALLYFOLD_CLI:-$CLI}
[ -n "${TALLYFOLD_CLI:-}" ] || build_cli
DEST=${1:-/tmp/tallyfold-bench-1m}
ensure_tree "$DEST" 1000000

OUT=$(mktemp -d)
trap 'rm -rf "$OUT" "$BENCH_HOME"' EXIT
runs=${RUNS:-3}
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

hyperfine --warmup 1 --runs "$runs" --export-json "$OUT/listings.json" \
  "'$CLI' -q -o '$OUT/x.rtf' '$DEST'" \
  "'$CLI' -q -o '$OUT/x.csv' '$DEST'" \
  "'$CLI' -q -o '$OUT/x.json' '$DEST'"

# Two listings of the tree, the second a copy with some files changed in it.
cp "$OUT/x.json" "$OUT/old.json"
python3 - "$OUT/x.json" "$OUT/new.json" <<'PY'
import sys
with open(sys.argv[1], 'rb') as src, open(sys.argv[2], 'wb') as dst:
    for n, line in enumerate(src):
        if n % 1000 == 7:
            line = line.replace(b'"size":', b'"size":1', 1)
        dst.write(line)
PY
hyperfine --warmup 1 --runs "$runs" -i --export-json "$OUT/compare.json" \
  "'$CLI' -q --records '$DEST' > /dev/null" \
  "'$CLI' --compare '$OUT/old.json' '$OUT/new.json' > /dev/null"

files=$(python3 -c "import json,sys; print(sum(1 for l in open(sys.argv[1], 'rb') if l.startswith(b'{\"folder\"')))" "$OUT/x.json")
per_file() { python3 -c "print(f'{$1 * 1024 / $files:.1f}')"; }
rtf_peak=$(peak_kib "$CLI" -q -o "$OUT/y.rtf" "$DEST")
csv_peak=$(peak_kib "$CLI" -q -o "$OUT/y.csv" "$DEST")
json_peak=$(peak_kib "$CLI" -q -o "$OUT/y.json" "$DEST")
# The comparison finds differences: its exit status is 1.
compare_peak=$(peak_kib "$CLI" --compare "$OUT/old.json" "$OUT/new.json" || true)
changed=$("$CLI" --compare "$OUT/old.json" "$OUT/new.json" | tail -1 || true)

echo
echo "files:                   $files"
echo "CSV listing / RTF report:  $(ratio "$(mean_of "$OUT/listings.json" 1)" "$(mean_of "$OUT/listings.json" 0)")  (target <= 1.00)"
echo "JSON listing / RTF report: $(ratio "$(mean_of "$OUT/listings.json" 2)" "$(mean_of "$OUT/listings.json" 0)")  (target <= 1.00)"
echo "peak bytes per file:     RTF $(per_file "$rtf_peak"), CSV $(per_file "$csv_peak"), JSON $(per_file "$json_peak")  (target < 250)"
echo "compare / records dump:  $(ratio "$(mean_of "$OUT/compare.json" 1)" "$(mean_of "$OUT/compare.json" 0)")  (target < 1.5)"
echo "compare peak per file:   $(per_file "$compare_peak") bytes ($changed)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
