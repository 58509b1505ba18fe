#!/usr/bin/env bash
# The Catalogue window on a catalogue of ten scans of the million-file tree
# (about ten million files): the time from the command to the window shown
# with its scan list (target: 0.5 s), the whole start-up with the window
# against the start-up of the main window alone, and the longest time the
# window thread is kept from a 5 ms timer while searches are typed key by
# key (target: 50 ms), with when each search's first rows and its end came.
# The catalogue is built once (ten adds with the CLI) and kept in
# $CATALOGUE (default /tmp/tallyfold-bench-catalogue-10.sqlite).
#   BUILD=build bench/catalogue-window.sh [TREE]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
use_window_build
DEST=${1:-/tmp/tallyfold-bench-1m}
ensure_tree "$DEST" 1000000
CATALOGUE=${CATALOGUE:-/tmp/tallyfold-bench-catalogue-10.sqlite}
SCANS=${SCANS:-10}
export QT_QPA_PLATFORM=offscreen
OUT=$(mktemp -d)
trap 'rm -rf "$OUT" "$BENCH_HOME"' EXIT

have=0
[ -f "$CATALOGUE" ] && have=$("$CLI" --catalogue "$CATALOGUE" --scans | wc -l)
while [ "$have" -lt "$SCANS" ]; do
  echo "adding scan $((have + 1)) of $SCANS to $CATALOGUE ..." >&2
  "$CLI" -q --catalogue "$CATALOGUE" --add --label "bench $((have + 1))" "$DEST" >/dev/null
  have=$((have + 1))
done
echo "catalogue: $CATALOGUE, $have scans, $(du -h "$CATALOGUE" | cut -f1)"
# The window opens the catalogue of its application folder.
mkdir -p "$TALLYFOLD_HOME"
ln -sf "$CATALOGUE" "$TALLYFOLD_HOME/catalogue.sqlite"
[ -f "$CATALOGUE-wal" ] && ln -sf "$CATALOGUE-wal" "$TALLYFOLD_HOME/catalogue.sqlite-wal"

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== open and search in the window"
# PATTERNS: the searches, one a line.
mapfile -t patterns < <(printf '%s\n' "${PATTERNS:-track 1234
*.jpg
delta 23??*
ngstr
a}")
"$PROBE" catalogue "${patterns[@]}" | tee "$OUT/probe.txt"

echo "== start-up: main window alone, and with the Catalogue window shown"
hyperfine --warmup 1 --runs "${RUNS:-5}" --export-json "$OUT/startup.json" \
  "'$PROBE' startup" "'$PROBE' catalogue-open" >/dev/null
main=$(mean_of "$OUT/startup.json" 0)
with=$(mean_of "$OUT/startup.json" 1)
echo "main window start-up s:      $main"
echo "with the Catalogue window s: $with"
echo "Catalogue window adds s:     $(python3 -c "print(f'{$with - $main:.3f}')")  (target <= 0.5)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
