#!/usr/bin/env bash
# Times the start-up of tallyfold-cli with a settings file of many keys against
# one with no settings file at all: loading the store must stay linear.
#   bench/settings-load.sh [KEYS]   (default 200000; TALLYFOLD_CLI=path times another build)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need hyperfine hyperfine
CLI=${TALLYFOLD_CLI:-$CLI}
[ -n "${TALLYFOLD_CLI:-}" ] || build_cli
KEYS=${1:-200000}

EMPTY="$BENCH_HOME/empty-folder"
BIG="$BENCH_HOME/big-config"
NONE="$BENCH_HOME/no-config"
mkdir -p "$EMPTY" "$BIG/tallyfold" "$NONE"
# Distinct keys in two sections, the report's own keys among them, and every
# tenth key written twice in another letter case (an update, not a new key).
python3 - "$BIG/tallyfold/Corvane - Tallyfold.ini" "$KEYS" <<'PY'
import sys
path, keys = sys.argv[1], int(sys.argv[2])
with open(path, "w") as out:
    out.write("[Settings]\nColSize=40\nShowSizeIn=KB\n")
    half = keys // 2
    for i in range(half):
        out.write(f"Key{i}={i}\n")
    out.write("[Bulk]\n")
    for i in range(half, keys):
        out.write(f"Entry{i} = value {i}\n")
    for i in range(half, keys, 10):
        out.write(f"ENTRY{i}=again {i}\n")
PY
echo "settings file: $(wc -l < "$BIG/tallyfold/Corvane - Tallyfold.ini") lines"

json="$BENCH_HOME/times.json"
hyperfine --warmup 1 --runs ${RUNS:-5} --export-json "$json" \
  "XDG_CONFIG_HOME='$NONE' '$CLI' --records '$EMPTY' > /dev/null" \
  "XDG_CONFIG_HOME='$BIG' '$CLI' --records '$EMPTY' > /dev/null"

without=$(mean_of "$json" 0)
with=$(mean_of "$json" 1)
echo
echo "start-up, no settings file:      $(python3 -c "print(f'{$without * 1000:.1f} ms')")"
echo "start-up, $KEYS-key settings:  $(python3 -c "print(f'{$with * 1000:.1f} ms')")"
echo "loading the keys:                $(python3 -c "print(f'{($with - $without) * 1000:.1f} ms')")"
