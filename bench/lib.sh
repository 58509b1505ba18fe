# Shared by the benchmark scripts: the big tree, an isolated settings folder,
# and reading hyperfine's results.

BENCH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CLI="$BENCH_ROOT/build/tallyfold-cli"
MAKE_TREE=${MAKE_TREE:-$BENCH_ROOT/../shared/bench/make-tree}

# The program reads the user's settings and exclusion list: point both at an
# empty folder so the figures do not depend on this machine's user.
BENCH_HOME=$(mktemp -d)
trap 'rm -rf "$BENCH_HOME"' EXIT
export XDG_CONFIG_HOME="$BENCH_HOME/config" TALLYFOLD_HOME="$BENCH_HOME/app"

need() {
  command -v "$1" >/dev/null || { echo "needs $1 (apt-get install $2)" >&2; exit 1; }
}

build_cli() {
  [ -x "$CLI" ] || (cd "$BENCH_ROOT" && scripts/run --version >/dev/null)
}

# use_window_build: WINDOW, its benchmark twin PROBE (the window with the
# probes that drive it) and CLI from $BUILD (default build/), built when
# missing.
use_window_build() {
  BUILD=${BUILD:-$BENCH_ROOT/build}
  WINDOW="$BUILD/tallyfold"
  PROBE="$BUILD/tallyfold-window-probe"
  CLI="$BUILD/tallyfold-cli"
  [ -x "$WINDOW" ] || (cd "$BENCH_ROOT" && scripts/run --version >/dev/null)
  [ -x "$PROBE" ] || cmake --build "$BUILD" --target tallyfold-window-probe >/dev/null
}

# ensure_tree DEST FILES: builds the deterministic tree once; later runs reuse it.
ensure_tree() {
  local dest=$1 files=$2
  if [ ! -d "$dest" ]; then
    echo "building $files-file tree in $dest ..." >&2
    python3 "$MAKE_TREE" "$dest.partial" "$files" && mv "$dest.partial" "$dest"
  fi
}

# ensure_random_files DIR: sixteen 100 MB files of random bytes, made once.
ensure_random_files() {
  local dir=$1
  if [ ! -d "$dir" ]; then
    mkdir -p "$dir.partial"
    for i in $(seq -w 1 16); do
      head -c 100000000 /dev/urandom > "$dir.partial/random-$i.bin"
    done
    mv "$dir.partial" "$dir"
  fi
}

# mean_of JSON INDEX: the mean time of hyperfine's INDEX-th command.
mean_of() {
  python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][int(sys.argv[2])]["mean"])' "$1" "$2"
}

ratio() { python3 -c 'import sys; print(f"{float(sys.argv[1])/float(sys.argv[2]):.2f}")' "$1" "$2"; }

# peak_kib COMMAND...: the peak resident memory of a command in KiB.
peak_kib() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ {print $2}'
}
