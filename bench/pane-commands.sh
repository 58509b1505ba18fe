#!/usr/bin/env bash
# The listing pane's commands on a million-line listing, in the window program
# under the offscreen platform: a typed character, Find Next, Replace All of
# about 125,000 matches (one undo step) and the print of 10,000 lines to PDF.
#   BUILD=build-print bench/pane-commands.sh [TREE]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
use_window_build
DEST=${1:-/tmp/tallyfold-bench-1m}
ensure_tree "$DEST" 1000000
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
mkdir -p "$TALLYFOLD_HOME"
"$CLI" -q -o "$OUT/listing.rtf" "$DEST" || true
export QT_QPA_PLATFORM=offscreen
TALLYFOLD_PROBE_REPORT="$OUT/listing.rtf" TALLYFOLD_PROBE_PDF="$OUT/print.pdf" \
  /usr/bin/time -v "$PROBE" edit 2>"$OUT/time.txt"
echo "pages printed:            $(pdfinfo "$OUT/print.pdf" | awk '/^Pages:/ {print $2}')"
echo "peak memory KiB:          $(awk -F': ' '/Maximum resident set size/ {print $2}' "$OUT/time.txt")"
