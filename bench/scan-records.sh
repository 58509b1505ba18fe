#!/usr/bin/env bash
# Times the records dump of a million-file tree against find printing the same
# three fields, and measures the dump's peak memory per record; then the same
# race over the latency mirror (a FUSE mount answering each request after
# 1 ms) of a 5,000-file tree, where the walk's many requests in flight count.
#   bench/scan-records.sh [TREE]    (TALLYFOLD_CLI=path times another build;
#                                    ONLY=local or ONLY=mirror runs one part)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
CLI=${TALLYFOLD_CLI:-$CLI}
[ -n "${TALLYFOLD_CLI:-}" ] || build_cli
MIRROR_PROGRAM="$(dirname "$CLI")/tallyfold-latency-mirror"
DEST=${1:-/tmp/tallyfold-bench-1m}
SMALL=${SMALL_TREE:-/tmp/tallyfold-bench-5k}
OUT=$(mktemp -d)
echo "load before: $(cat /proc/loadavg)"

local_race() {
  ensure_tree "$DEST" 1000000
  local json="$OUT/times.json"
  hyperfine --warmup 1 --runs ${RUNS:-5} --export-json "$json" \
    "find '$DEST' -printf '%h/|%f|%s\n' > /dev/null" \
    "'$CLI' --records '$DEST' > /dev/null" \
    "TALLYFOLD_WALK=ring '$CLI' --records '$DEST' > /dev/null"
  # Names may hold line breaks: count the records in the NUL-separated form.
  local records peak
  records=$("$CLI" --records -0 "$DEST" | tr -cd '\0' | wc -c)
  peak=$(peak_kib "$CLI" --records "$DEST")
  echo
  echo "records:                 $records"
  echo "records dump / find:     $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)")  (target 0.3)"
  echo "  one call per entry:    $(ratio "$(mean_of "$json" 2)" "$(mean_of "$json" 0)")"
  echo "peak memory:             $peak KiB"
  echo "bytes per record:        $(python3 -c "print(f'{$peak * 1024 / $records:.1f}')")  (target 100)"
}

mirror_race() {
  [ -x "$MIRROR_PROGRAM" ] || cmake --build "$(dirname "$CLI")" --target tallyfold-latency-mirror >/dev/null
  [ -e /dev/fuse ] || { echo "no /dev/fuse: the mirror race is left out" >&2; return 0; }
  ensure_tree "$SMALL" 5000
  local mount="$OUT/mount" json="$OUT/mirror.json"
  mkdir -p "$mount"
  "$MIRROR_PROGRAM" "$SMALL" "$mount" 1 -o max_threads=512 &
  local mirror=$!
  for _ in $(seq 100); do
    [ "$(stat -f -c %t "$mount")" = 65735546 ] && break
    sleep 0.1
  done
  hyperfine --warmup 1 --runs ${MIRROR_RUNS:-3} --export-json "$json" \
    "find '$mount' -printf '%h/|%f|%s\n' > /dev/null" \
    "'$CLI' --records '$mount' > /dev/null" \
    "TALLYFOLD_WALK=plain '$CLI' --records '$mount' > /dev/null"
  umount "$mount"
  wait "$mirror" || true
  echo
  echo "mirror, 1 ms a request:  $(ratio "$(mean_of "$json" 1)" "$(mean_of "$json" 0)") of find  (target 0.15)"
  echo "  one call per entry:    $(ratio "$(mean_of "$json" 2)" "$(mean_of "$json" 0)")"
}

[ "${ONLY:-local}" = mirror ] || local_race
[ "${ONLY:-mirror}" = local ] || mirror_race
echo "load after:  $(cat /proc/loadavg)"
rm -rf "$OUT"
