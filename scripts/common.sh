# Shared by scripts/run and scripts/test: the packages the build needs, and the
# configure-and-build step.

TALLYFOLD_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TALLYFOLD_PACKAGES=(g++ cmake ninja-build pkg-config libicu-dev libdeflate-dev libgtest-dev
  qt6-base-dev fonts-dejavu-core xvfb xauth rapidjson-dev poppler-utils
  libssl-dev libtag1-dev dpkg-dev libseccomp-dev fonts-noto-cjk
  desktop-file-utils appstream shared-mime-info chromium chromium-driver python3-selenium
  libexiv2-dev libmediainfo-dev imagemagick exiv2 sox lame flac ffmpeg
  liburing-dev libfuse3-dev fuse3 libsqlite3-dev)

# Installs what is missing when root; otherwise names the one command to run.
ensure_packages() {
  local missing=() p
  for p in "${TALLYFOLD_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
  local dir=$1
  shift
  cmake -S "$TALLYFOLD_ROOT" -B "$TALLYFOLD_ROOT/$dir" -G Ninja "$@" >/dev/null
  cmake --build "$TALLYFOLD_ROOT/$dir" --parallel "$(nproc)"
}
