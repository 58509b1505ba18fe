#!/usr/bin/env bash
# The browsable page's number columns on a folder of many sounds (hard links
# of a few short WAV files of different lengths and rates): the time to write
# the page with the duration, bitrate and sample rate columns against the CSV
# listing of the same columns, and in headless Chromium the time to sort the
# folder by duration (a number column read from its text) against the time
# to sort it by size.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
need sox sox
need /usr/bin/chromedriver chromium-driver
build_cli
FILES=${FILES:-100000}
DEST=${1:-$BENCH_ROOT/build/bench-sounds-$FILES}
if [ ! -d "$DEST" ]; then
  mkdir -p "$DEST.partial/sounds"
  for i in $(seq 1 9); do
    sox -n -r $((8000 * i)) -c 1 -b 16 "$DEST.partial/sound-$i.wav" synth "0.$i" sine 440
  done
  python3 -c 'import os, sys
d, n = sys.argv[1], int(sys.argv[2])
for i in range(n): os.link("%s/sound-%d.wav" % (d, i % 9 + 1), "%s/sounds/s%d.wav" % (d, i))' "$DEST.partial" "$FILES"
  mv "$DEST.partial" "$DEST"
fi
OUT=$(mktemp -d)
COLUMNS=(--set Fields.Duration=1 --set Fields.Bitrate=1 --set Fields.AudioFormat=1)
json="$OUT/times.json"
echo "load before: $(cat /proc/loadavg)"
hyperfine --warmup 1 --runs ${RUNS:-3} --export-json "$json" \
  "'$CLI' -q ${COLUMNS[*]} '$DEST/sounds' -o '$OUT/listing.csv'" \
  "'$CLI' -q ${COLUMNS[*]} --page '$DEST/sounds' -o '$OUT/page.html'"
sorts=$(/usr/bin/python3 - "$OUT/page.html" <<'EOF'
import sys
import urllib.parse

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

SORT = """const [title, done] = arguments;
const cell = [...document.querySelectorAll('#heading .cell')].find((c) => c.firstChild.textContent === title);
const start = performance.now();
cell.click();
requestAnimationFrame(() => setTimeout(() => done(performance.now() - start), 0));"""

options = webdriver.ChromeOptions()
for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1280,900"]:
    options.add_argument(argument)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    driver.get("file://" + urllib.parse.quote(sys.argv[1]))
    for title in ["Size", "Duration", "Size", "Duration", "Sample rate"]:
        print("%s %.0f" % (title, driver.execute_async_script(SORT, title)))
finally:
    driver.quit()
EOF
)
echo "load after:  $(cat /proc/loadavg)"
echo
echo "files:                          $FILES"
echo "page bytes per file:            $(($(stat -c %s "$OUT/page.html") / FILES))"
echo "page / CSV listing, writing:    $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)")"
echo "sorts, ms (each ascending, in this order):"
echo "$sorts" | sed 's/^/  /'
rm -rf "$OUT"
