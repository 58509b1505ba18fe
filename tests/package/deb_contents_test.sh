#!/usr/bin/env bash
# Builds the Debian package from this build folder with cpack and checks what
# it installs and which packages it depends on.
#   deb_contents_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"
  exit 1
}
deb=$(ls "$work"/*.deb)
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/files"
status=0
for wanted in /usr/bin/tallyfold /usr/bin/tallyfold-cli /usr/bin/tallyfold-reader \
  /usr/share/applications/tallyfold.desktop \
  /usr/share/icons/hicolor/scalable/apps/tallyfold.svg \
  /usr/share/metainfo/io.github.tallyfold.Tallyfold.metainfo.xml \
  /usr/share/mime/packages/tallyfold.xml \
  /usr/share/doc/tallyfold/index.html; do
  grep -qx -- "$wanted" "$work/files" || { echo "missing from the package: $wanted"; status=1; }
done
grep -q '^/usr/share/man/man1/tallyfold-cli\.1' "$work/files" || {
  echo "missing from the package: the man page of tallyfold-cli"
  status=1
}
# Nothing outside /usr, and every installed file is in the package.
if grep -v '^/usr' "$work/files" | grep -v '^/$' | grep -q .; then
  echo "files outside /usr:"
  grep -v '^/usr' "$work/files"
  status=1
fi
depends=$(dpkg-deb -f "$deb" Depends)
for library in libssl3 libtag1v5 libseccomp2 libdeflate0 libicu libqt6widgets6; do
  case "$depends" in
    *"$library"*) ;;
    *) echo "Depends lacks $library: $depends"; status=1 ;;
  esac
done
[ "$(dpkg-deb -f "$deb" Package)" = tallyfold ] || { echo "wrong package name"; status=1; }
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || {
  echo "wrong architecture"
  status=1
}
exit $status
