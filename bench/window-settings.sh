#!/usr/bin/env bash
# Times the window program's start to a shown window, and its close, with a
# settings file of a million keys against one with no settings file, and
# counts how often the file was read and replaced (strace). The store is
# read once at start and written only when a value changed.
#   bench/window-settings.sh [KEYS]   (default 1000000)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
use_window_build
KEYS=${1:-1000000}
export QT_QPA_PLATFORM=offscreen
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
mkdir -p "$OUT/none" "$OUT/big/tallyfold" "$OUT/home"
/usr/bin/python3 - "$OUT/big/tallyfold/Corvane - Tallyfold.ini" "$KEYS" <<'PY'
import sys
path, keys = sys.argv[1], int(sys.argv[2])
with open(path, "w") as out:
    out.write("[Settings]\nColSize=40\nShowSizeIn=KB\n[Bulk]\n")
    for i in range(keys):
        out.write(f"Key{i}=value {i}\n")
PY
run() {  # CONFIG
  TALLYFOLD_HOME="$OUT/home" XDG_CONFIG_HOME="$1" "$PROBE" startup >/dev/null 2>&1
}
# The first start writes the window's place; the timed ones find it there.
run "$OUT/big"
run "$OUT/none"
time_of() {
  local start end
  start=$(date +%s.%N)
  run "$1"
  end=$(date +%s.%N)
  /usr/bin/python3 -c "print(f'{($end - $start) * 1000:.0f} ms')"
}
echo "start and close, no settings file:   $(time_of "$OUT/none")"
echo "start and close, $KEYS keys:     $(time_of "$OUT/big")"
if command -v strace >/dev/null; then
  TALLYFOLD_HOME="$OUT/home" XDG_CONFIG_HOME="$OUT/big" strace -f -qq -e trace=openat,rename \
    -o "$OUT/trace" "$PROBE" startup >/dev/null 2>&1 || true
  echo "settings file opened:  $(grep -c 'Tallyfold.ini", O_RDONLY' "$OUT/trace" || true)"
  echo "settings file replaced: $(grep -c 'rename(.*Tallyfold.ini' "$OUT/trace" || true)"
fi
