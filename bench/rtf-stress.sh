#!/usr/bin/env bash
# Feeds the rich-text reader, the plain-text conversion and the HTML export
# documents of 5, 10 and 20 MB made of deeply nested groups and of millions of
# tiny groups, and times them: each time should grow with the size (about x4
# from 5 to 20 MB), and the reader's peak memory should not.
#
#   bench/rtf-stress.sh            (RUNS=3; BUILD=build folder, default
#                                   build-fuzzreplay, configured when missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
BUILD=${BUILD:-$BENCH_ROOT/build-fuzzreplay}
STRESS="$BUILD/fuzz/tallyfold-rtf-stress"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$BENCH_ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLYFOLD_GUI=OFF >/dev/null
fi
cmake --build "$BUILD" --target tallyfold-rtf-stress >/dev/null

OUT=$(mktemp -d)
trap 'rm -rf "$OUT" "$BENCH_HOME"' EXIT
export TMPDIR="$OUT"

# The documents: SHAPE-MB.rtf.
python3 - "$OUT" <<'PY'
import sys
out = sys.argv[1]
MB = 1 << 20
def write(name, data):
    with open(f"{out}/{name}.rtf", "wb") as f:
        f.write(data)
for mb in (5, 10, 20):
    n = mb * MB
    write(f"nested-braces-{mb}", b"{" * (n // 2) + b"}" * (n // 2))
    k = n // 6  # "{\b x" opens, "}" closes later
    write(f"nested-bold-{mb}", b"{\\b x" * k + b"}" * k)
    write(f"tiny-groups-{mb}", b"{\\b x}" * (n // 6))
    write(f"tiny-group-lines-{mb}", b"\\par {\\b x}\r\n" * (n // 13))
write("million-tiny-groups", b"{\\i y}" * 1000000)
PY

shapes=(nested-braces nested-bold tiny-groups tiny-group-lines)
printf '%-20s %-5s %9s %9s %9s %8s %12s\n' shape mode "5 MB s" "10 MB s" "20 MB s" "20/5" "peak KiB 5/20"
for shape in "${shapes[@]}"; do
  for mode in rtf text html; do
    json="$OUT/$shape-$mode.json"
    hyperfine -N --warmup 1 --runs "${RUNS:-3}" --export-json "$json" \
      "$STRESS $mode $OUT/$shape-5.rtf" "$STRESS $mode $OUT/$shape-10.rtf" \
      "$STRESS $mode $OUT/$shape-20.rtf" >/dev/null
    t5=$(mean_of "$json" 0) t10=$(mean_of "$json" 1) t20=$(mean_of "$json" 2)
    p5=$(peak_kib "$STRESS" "$mode" "$OUT/$shape-5.rtf")
    p20=$(peak_kib "$STRESS" "$mode" "$OUT/$shape-20.rtf")
    printf '%-20s %-5s %9.3f %9.3f %9.3f %8s %12s\n' "$shape" "$mode" "$t5" "$t10" "$t20" \
      "$(ratio "$t20" "$t5")" "$p5/$p20"
  done
done
for mode in rtf text html; do
  /usr/bin/time -f "million-tiny-groups  $mode  %e s, peak %M KiB" \
    "$STRESS" "$mode" "$OUT/million-tiny-groups.rtf" >/dev/null
done
