#!/usr/bin/env bash
# The window program on a million-file tree, under the offscreen platform: a
# detailed-list scan started from the window, the longest time its event loop
# was kept from a 5 ms timer (walk, report and loading of the listing), how
# long after the report file was written the listing is complete in the pane,
# and the peak memory per listed file; then the time from start to a shown
# window with a default job of one location. The CLI's time for the same
# report stands beside them.
#   BUILD=build-gui bench/window-scan.sh [TREE]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
use_window_build
DEST=${1:-/tmp/tallyfold-bench-1m}
ensure_tree "$DEST" 1000000
export QT_QPA_PLATFORM=offscreen
OUT=$(mktemp -d)
mkdir -p "$TALLYFOLD_HOME"
printf 'Option1\r\nName\r\nAsc\r\ncourier new\r\n10\r\n%s,Yes,*.*,All Levels,3\r\n' "$DEST" \
  >"$OUT/job.dif"

echo "== scan in the window ($DEST)"
/usr/bin/time -v "$PROBE" scan "$OUT/job.dif" >"$OUT/probe.txt" 2>"$OUT/time.txt"
cat "$OUT/probe.txt"
peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$OUT/time.txt")
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$OUT/time.txt")
listed=$("$CLI" -q --records "$DEST" | wc -l)
echo "whole run (wall):        $wall"
echo "listed records:          $listed"
echo "peak bytes per record:   $((peak * 1024 / listed))  (target < 600)"

echo "== the CLI, same report"
hyperfine --runs ${RUNS:-2} --export-json "$OUT/cli.json" \
  "'$CLI' -q -j '$OUT/job.dif' -o '$OUT/cli.rtf'" >/dev/null
echo "CLI details report s:    $(mean_of "$OUT/cli.json" 0)"
cli_peak=$(peak_kib "$CLI" -q -j "$OUT/job.dif" -o "$OUT/cli.rtf")
echo "CLI peak bytes/record:   $((cli_peak * 1024 / listed))"

echo "== start-up to a shown window, default job of one location"
cp "$OUT/job.dif" "$TALLYFOLD_HOME/default.dif"
hyperfine --warmup 2 --runs ${RUNS_STARTUP:-10} --export-json "$OUT/start.json" \
  "'$PROBE' startup" >/dev/null
echo "start-up s:              $(mean_of "$OUT/start.json" 0)  (target < 0.5)"
rm -rf "$OUT"
