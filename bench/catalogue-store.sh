#!/usr/bin/env bash
# The catalogue of stored scans on a million-file tree: an add against the
# records dump of the same tree, the catalogue's growth per file, the add's
# peak memory per file, and, with ten scans of the tree in one catalogue
# (about ten million files), --find's first 100 results and its count of
# every match.
#   bench/catalogue-store.sh [TREE] [PATTERN]   (TALLYFOLD_CLI=path times another build)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
CLI=${TALLYFOLD_CLI:-$CLI}
[ -n "${TALLYFOLD_CLI:-}" ] || build_cli
DEST=${1:-/tmp/tallyfold-bench-1m}
PATTERN=${2:-photo}
ensure_tree "$DEST" 1000000

OUT=$(mktemp -d "${TMPDIR:-/tmp}/catalogue-store.XXXXXX")
trap 'rm -rf "$OUT" "$BENCH_HOME"' EXIT
one="$OUT/one.sqlite"
json="$OUT/add.json"
echo "load before: $(cat /proc/loadavg)"
hyperfine --warmup 1 --runs ${RUNS:-3} --export-json "$json" \
  --prepare "rm -f '$one' '$one-wal' '$one-shm'" \
  "'$CLI' -q --records '$DEST' > /dev/null" \
  "'$CLI' -q --catalogue '$one' --add '$DEST' > /dev/null"

files=$("$CLI" --catalogue "$one" --scans | awk -F'\t' 'NR==1 {print $5}')
rm -f "$one"*
empty="$OUT/empty.sqlite"
"$CLI" --catalogue "$empty" --scans > /dev/null 2>&1 || true
"$CLI" -q --catalogue "$one" --scans > /dev/null 2>&1 || true
before=$(stat -c %s "$one" 2>/dev/null || echo 0)
peak=$(peak_kib "$CLI" -q --catalogue "$one" --add "$DEST")
after=$(stat -c %s "$one")

many="$OUT/ten.sqlite"
cp "$one" "$many"
for i in 2 3 4 5 6 7 8 9 10; do
  "$CLI" -q --catalogue "$many" --add --label "copy $i" "$DEST" > /dev/null
done
total=$("$CLI" --catalogue "$many" --scans | awk -F'\t' '{n += $5} END {print n}')
matches=$("$CLI" --catalogue "$many" --find "$PATTERN" --count)
findjson="$OUT/find.json"
echo "load before find: $(cat /proc/loadavg)"
hyperfine --warmup 3 --runs ${FIND_RUNS:-20} --export-json "$findjson" \
  "'$CLI' --catalogue '$many' --find '$PATTERN' --limit 100 > /dev/null" \
  "'$CLI' --catalogue '$many' --find '$PATTERN' --count > /dev/null"
median_of() {
  python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][int(sys.argv[2])]["median"])' "$1" "$2"
}

echo
echo "load after:              $(cat /proc/loadavg)"
echo "files per scan:          $files"
echo "add / records dump:      $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)")  (target 2.5)"
echo "bytes per file:          $(python3 -c "print(f'{($after - $before) / $files:.1f}')")  (target 120)"
echo "add peak memory:         $peak KiB"
echo "peak bytes per file:     $(python3 -c "print(f'{$peak * 1024 / $files:.1f}')")  (target 200)"
echo "ten scans, files:        $total"
echo "matches of '$PATTERN':     $matches"
echo "first 100 (median):      $(python3 -c "print(f'{$(median_of "$findjson" 0) * 1000:.1f}')") ms  (target 50)"
echo "count all (median):      $(python3 -c "print(f'{$(median_of "$findjson" 1) * 1000:.1f}')") ms  (target 500)"
