#!/usr/bin/env bash
# The media facts in the catalogue, in two runs:
#  1. 10,000 JPEGs with EXIF (those of bench/media-columns.sh): an --add with
#     Dimensions, Taken and Camera against the live details report with the
#     same columns (target: at most 1.3, the report read once plus the
#     writes), --from-scan of that scan against the live report (target: at
#     most 0.3, no file opened), the catalogue's bytes per photo and the
#     --from-scan's peak memory per photo.
#  2. The 1M-file tree (a quarter of its files named as media): what every
#     media column adds to an --add against what it adds to the live details
#     report, both reading the same facts through the same readers (target:
#     at most 1.0), and the add with them against the add without.
#   bench/catalogue-media.sh [TREE] [JPEG_FOLDER]   (CLI_OVERRIDE=path overrides the program)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
CLI=${CLI_OVERRIDE:-$CLI}
need hyperfine hyperfine
build_cli
TREE=${1:-/tmp/tallyfold-bench-1m}
PHOTOS=${2:-/tmp/tallyfold-bench-jpegs}
ensure_tree "$TREE" 1000000
[ -d "$PHOTOS" ] || { echo "run bench/media-columns.sh first: it makes $PHOTOS" >&2; exit 1; }
OUT=$(mktemp -d)
trap 'rm -rf "$OUT" "$BENCH_HOME"' EXIT

PHOTO_COLUMNS="--set Fields.Dimensions=1 --set Fields.Taken=1 --set Fields.Camera=1"
ALL_MEDIA="--set Fields.Duration=1 --set Fields.Bitrate=1 --set Fields.AudioFormat=1 $PHOTO_COLUMNS --set Fields.Codec=1"
cat="$OUT/photos.sqlite"
fresh="rm -f '$cat' '$cat-wal' '$cat-shm'"

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); cores: $(nproc)"
add_json="$OUT/add.json"
hyperfine --warmup 1 --runs ${RUNS:-5} --export-json "$add_json" --prepare "$fresh" \
  "'$CLI' -q $PHOTO_COLUMNS '$PHOTOS' -o '$OUT/live.txt'" \
  "'$CLI' -q --catalogue '$cat' --add $PHOTO_COLUMNS '$PHOTOS' > /dev/null"
eval "$fresh"
# shellcheck disable=SC2086
"$CLI" -q --catalogue "$cat" --add $PHOTO_COLUMNS "$PHOTOS" > /dev/null
from_json="$OUT/from.json"
hyperfine --warmup 1 --runs ${RUNS:-5} --export-json "$from_json" \
  "'$CLI' -q $PHOTO_COLUMNS '$PHOTOS' -o '$OUT/live.txt'" \
  "'$CLI' -q --catalogue '$cat' --from-scan 1 $PHOTO_COLUMNS -o '$OUT/stored.txt'"
cmp "$OUT/live.txt" "$OUT/stored.txt" || { echo "the stored report differs" >&2; exit 1; }
photos=$(find "$PHOTOS" -name '*.jpg' | wc -l)
bytes=$(stat -c %s "$cat")
# shellcheck disable=SC2086
peak=$(peak_kib "$CLI" -q --catalogue "$cat" --from-scan 1 $PHOTO_COLUMNS -o "$OUT/stored.txt")
echo "load average after photos: $(cut -d' ' -f1-3 /proc/loadavg)"

tree_json="$OUT/tree.json"
tcat="$OUT/tree.sqlite"
hyperfine --warmup 1 --runs ${TREE_RUNS:-3} --export-json "$tree_json" \
  --prepare "rm -f '$tcat' '$tcat-wal' '$tcat-shm'" \
  "'$CLI' -q --catalogue '$tcat' --add '$TREE' > /dev/null" \
  "'$CLI' -q --catalogue '$tcat' --add $ALL_MEDIA '$TREE' > /dev/null" \
  "'$CLI' -q '$TREE' -o '$OUT/plain.txt'" \
  "'$CLI' -q $ALL_MEDIA '$TREE' -o '$OUT/media.txt'"
echo "load average after tree: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "photos: $photos"
echo "add with photo columns / live report:   $(ratio "$(mean_of "$add_json" 1)" "$(mean_of "$add_json" 0)")  (target at most 1.3)"
echo "--from-scan / live report:              $(ratio "$(mean_of "$from_json" 1)" "$(mean_of "$from_json" 0)")  (target at most 0.3)"
echo "catalogue bytes per photo:              $(python3 -c "print(f'{$bytes/$photos:.0f}')")"
echo "--from-scan peak memory:                $peak KiB = $(python3 -c "print(f'{$peak*1024/$photos:.0f}')") bytes per photo"
added_by_media() {
  python3 -c 'import sys; print(float(sys.argv[2]) - float(sys.argv[1]))' \
    "$(mean_of "$tree_json" "$1")" "$(mean_of "$tree_json" "$2")"
}
echo "1M tree, media in the add / in the report: $(ratio "$(added_by_media 0 1)" "$(added_by_media 2 3)")  (target at most 1.0)"
echo "1M tree, add with every media column / without: $(ratio "$(mean_of "$tree_json" 1)" "$(mean_of "$tree_json" 0)")"
