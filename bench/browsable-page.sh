#!/usr/bin/env bash
# The browsable page of a million-file tree: its bytes per file, the time to
# write it against the time of the details report of the same tree, and in
# headless Chromium the time until the tree and the root listing show, the
# time of a search over all names and the page's memory.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
need /usr/bin/chromedriver chromium-driver
build_cli
DEST=${1:-/tmp/tallyfold-bench-1m}
ensure_tree "$DEST" 1000000
OUT=$(mktemp -d)
json="$OUT/times.json"
echo "load before: $(cat /proc/loadavg)"

hyperfine --warmup 1 --runs ${RUNS:-3} --export-json "$json" \
  "'$CLI' -q -r details '$DEST' -o '$OUT/details.rtf'" \
  "'$CLI' -q --page '$DEST' -o '$OUT/page.html'"

files=$("$CLI" -q --records "$DEST" | wc -l)
page_bytes=$(stat -c %s "$OUT/page.html")
peak_page=$(peak_kib "$CLI" -q --page "$DEST" -o "$OUT/page.html")
browser=$(/usr/bin/python3 "$(dirname "$0")/browsable-page-browser.py" "$OUT/page.html" \
  "2557" "résumé" "*.mp3" "zzzz")
echo "load after:  $(cat /proc/loadavg)"
echo
echo "files:                          $files"
echo "page bytes per file:            $((page_bytes / files))  (target <= 60; $page_bytes bytes)"
echo "writing / details report:       $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)")  (target <= 1.00)"
echo "writer peak bytes per file:     $((peak_page * 1024 / files))"
echo "$browser" | sed -e 's/^shown_seconds /tree and root listing shown:    /; s/$//' \
  -e 's/^search_ms /search over all names, ms:     /' \
  -e 's/^js_heap_mb /JS heap, MB:                    /' \
  -e 's/^renderer_peak_mb /renderer peak memory, MB:       /'
echo "(targets: shown within 3 s, search within 300 ms, memory under 1024 MB)"
rm -rf "$OUT"
