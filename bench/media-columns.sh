#!/usr/bin/env bash
# The media columns' cost, in two runs:
#  1. 10,000 JPEGs with EXIF (one made with ImageMagick and exiv2, copied with
#     its date taken varied): a details report with Dimensions, Taken and
#     Camera against `exiv2 -g Exif.Photo.DateTimeOriginal` over the same
#     files in one process (target: at most 0.6).
#  2. The 1M-file tree (few media files): the details report with every media
#     column against the same report without them (target: at most 1.1), and
#     the peak memory per listed file with them (target: below 250 bytes).
#   bench/media-columns.sh [TREE] [JPEG_FOLDER]   (CLI_OVERRIDE=path overrides the program)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
CLI=${CLI_OVERRIDE:-$CLI}
need hyperfine hyperfine
need convert imagemagick
need exiv2 exiv2
build_cli
TREE=${1:-/tmp/tallyfold-bench-1m}
PHOTOS=${2:-/tmp/tallyfold-bench-jpegs}
ensure_tree "$TREE" 1000000
OUT=$(mktemp -d)
trap 'rm -rf "$OUT" "$BENCH_HOME"' EXIT

# make_photos DIR: 10,000 JPEGs of 640 x 480 with EXIF, made once.
make_photos() {
  local dir=$1
  [ -d "$dir" ] && return 0
  mkdir -p "$dir.partial"
  convert -size 640x480 plasma:fractal -seed 7 -quality 85 "$dir.partial/base.jpg"
  exiv2 -M'set Exif.Photo.DateTimeOriginal 2024:03:05 14:07:09' \
        -M'set Exif.Image.Make Canon' -M'set Exif.Image.Model Canon EOS R5' \
        -M'set Exif.Image.Orientation 1' "$dir.partial/base.jpg"
  python3 - "$dir.partial" <<'PY'
import os, sys
folder = sys.argv[1]
base = open(os.path.join(folder, "base.jpg"), "rb").read()
stamp = b"2024:03:05 14:07:09"
at = base.index(stamp)
for i in range(10000):
    varied = b"2024:03:%02d %02d:%02d:%02d" % (1 + i % 28, i // 3600 % 24, i // 60 % 60, i % 60)
    with open(os.path.join(folder, "photo-%05d.jpg" % i), "wb") as out:
        out.write(base[:at] + varied + base[at + len(stamp):])
PY
  rm "$dir.partial/base.jpg"
  mv "$dir.partial" "$dir"
}
make_photos "$PHOTOS"

PHOTO_COLUMNS="--set Fields.Dimensions=1 --set Fields.Taken=1 --set Fields.Camera=1"
ALL_MEDIA="--set Fields.Duration=1 --set Fields.Bitrate=1 --set Fields.AudioFormat=1 $PHOTO_COLUMNS --set Fields.Codec=1"

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); cores: $(nproc)"
photos_json="$OUT/photos.json"
hyperfine --warmup 1 --runs ${RUNS:-5} --export-json "$photos_json" \
  "'$CLI' -q $PHOTO_COLUMNS '$PHOTOS' -o '$OUT/photos.rtf'" \
  "cd '$PHOTOS' && exiv2 -g Exif.Photo.DateTimeOriginal *.jpg > '$OUT/exiv2.txt'"
echo "load average after photos: $(cut -d' ' -f1-3 /proc/loadavg)"

tree_json="$OUT/tree.json"
hyperfine --warmup 1 --runs ${TREE_RUNS:-3} --export-json "$tree_json" \
  "'$CLI' -q '$TREE' -o '$OUT/plain.rtf'" \
  "'$CLI' -q $ALL_MEDIA '$TREE' -o '$OUT/media.rtf'"
echo "load average after tree: $(cut -d' ' -f1-3 /proc/loadavg)"
# shellcheck disable=SC2086
peak=$(peak_kib "$CLI" -q $ALL_MEDIA "$TREE" -o "$OUT/media.rtf")
files=$(find "$TREE" -type f | wc -l)

echo
echo "photos: $(find "$PHOTOS" -name '*.jpg' | wc -l); media-named files in the tree: $(find "$TREE" -type f \( -iname '*.jpg' -o -iname '*.png' -o -iname '*.mp3' -o -iname '*.flac' -o -iname '*.mp4' -o -iname '*.mkv' \) | wc -l)"
echo "photo columns / exiv2:          $(ratio "$(mean_of "$photos_json" 0)" "$(mean_of "$photos_json" 1)")  (target at most 0.6)"
echo "every media column / without:   $(ratio "$(mean_of "$tree_json" 1)" "$(mean_of "$tree_json" 0)")  (target at most 1.1)"
echo "peak memory with them: $peak KiB for $files files = $(python3 -c "print(f'{$peak*1024/$files:.0f}')") bytes per file  (target below 250)"
