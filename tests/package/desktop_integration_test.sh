#!/usr/bin/env bash
# Installs the build into a scratch root and checks what the desktop reads of
# it: the desktop entry and the AppStream metainfo validate, the metainfo's
# launchable names the installed desktop entry and its newest release is the
# program's version, and the shared MIME package gives *.dif files the job
# type that the desktop entry opens.
#   desktop_integration_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >"$root/install.log" 2>&1 || {
  cat "$root/install.log"
  exit 1
}
share="$root/usr/share"
status=0
fail() { echo "$*"; status=1; }

desktop="$share/applications/tallyfold.desktop"
metainfo="$share/metainfo/io.github.tallyfold.Tallyfold.metainfo.xml"
mime="$share/mime/packages/tallyfold.xml"
for file in "$desktop" "$metainfo" "$mime"; do
  [ -f "$file" ] || fail "not installed: ${file#"$root"}"
done
[ $status = 0 ] || exit 1

desktop-file-validate "$desktop" || fail "desktop-file-validate found faults"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate found faults"

launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ -f "$share/applications/$launchable" ] || fail "the metainfo launches '$launchable', not installed"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the metainfo's newest release is $newest, the program is $version"

# The MIME package builds a database in which *.dif is the job type that the
# desktop entry names.
update-mime-database "$share/mime" || fail "update-mime-database refused the package"
grep -q ':application/x-tallyfold-job:\*\.dif$' "$share/mime/globs2" ||
  fail "*.dif is not application/x-tallyfold-job in the built MIME database"
grep -qx 'MimeType=application/x-tallyfold-job;' "$desktop" ||
  fail "the desktop entry does not open job files"
exit $status
