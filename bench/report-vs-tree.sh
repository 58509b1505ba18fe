#!/usr/bin/env bash
# Times the tree and detailed-list reports of a million-file tree against
# Debian's `tree -s`, and reads the peak memory per listed file.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
need tree tree
build_cli
DEST=${1:-/tmp/tallyfold-bench-1m}
ensure_tree "$DEST" 1000000
OUT=$(mktemp -d)
json="$OUT/times.json"

hyperfine --warmup 1 --runs ${RUNS:-3} --export-json "$json" \
  "tree -s --noreport '$DEST' > '$OUT/tree.txt'" \
  "'$CLI' -q -r tree-size '$DEST' -o '$OUT/tree-size.rtf'" \
  "'$CLI' -q -r details '$DEST' -o '$OUT/details.rtf'"

tree_time=$(mean_of "$json" 0)
listed=$("$CLI" -q --records "$DEST" | wc -l)
peak_tree=$(peak_kib "$CLI" -q -r tree-size "$DEST" -o "$OUT/tree-size.rtf")
peak_details=$(peak_kib "$CLI" -q -r details "$DEST" -o "$OUT/details.rtf")
echo
echo "listed files:                 $listed"
echo "tree-size / tree -s:          $(ratio "$(mean_of "$json" 1)" "$tree_time")  (target 0.5)"
echo "details   / tree -s:          $(ratio "$(mean_of "$json" 2)" "$tree_time")  (target 0.6)"
echo "peak bytes per listed file:   tree-size $((peak_tree * 1024 / listed)), details $((peak_details * 1024 / listed))  (target < 250)"
rm -rf "$OUT"
