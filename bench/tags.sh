#!/usr/bin/env bash
# Times the detailed list of the 1M-file tree with the six tag columns against
# the same list without them (target: below 1.1). Only files named as audio
# (.mp3, .flac, .ogg, .opus, .m4a, .wma ...) are opened for their tags.
#   bench/tags.sh [TREE]   (CLI_OVERRIDE=path overrides the program)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
CLI=${CLI_OVERRIDE:-$CLI}
need hyperfine hyperfine
build_cli
TREE=${1:-/tmp/tallyfold-bench-1m}
ensure_tree "$TREE" 1000000
OUT=$(mktemp -d)
json="$OUT/times.json"
TAGS="--set Fields.Title=1 --set Fields.Artist=1 --set Fields.Album=1 --set Fields.Year=1 --set Fields.Genre=1 --set Fields.Comment=1"
hyperfine --warmup 1 --runs ${RUNS:-3} --export-json "$json" \
  "'$CLI' -q '$TREE' -o '$OUT/plain.rtf'" \
  "'$CLI' -q $TAGS '$TREE' -o '$OUT/tags.rtf'"
echo
echo "audio-named files: $(find "$TREE" -type f \( -iname '*.mp3' -o -iname '*.flac' -o -iname '*.ogg' -o -iname '*.opus' -o -iname '*.m4a' -o -iname '*.wma' \) | wc -l)"
echo "cores: $(nproc); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "tag columns / without:  $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)")  (target below 1.1)"
rm -rf "$OUT"
