#!/usr/bin/env bash
# Checks the installed layout and the Debian package of a finished build:
# the menu entry, the AppStream metadata and the manual pages validate, lintian
# finds no error, and the package installs, publishes the demo journal with the
# installed program in a fresh HOME, and removes cleanly.
# Usage: scripts/check-package.sh [BUILD_DIR]   (installs the package: CI machines only)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

echo "-- desktop entry and AppStream metadata"
desktop-file-validate packaging/wren.desktop
appstreamcli validate --no-net "$build"/packaging/*.metainfo.xml

echo "-- manual pages"
for page in wren wren-publish; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$build/packaging/$page.1.gz" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "$page.1: $warnings" >&2
        exit 1
    fi
done

echo "-- Debian package"
rm -f "$build"/wren_*.deb
(cd "$build" && cpack -G DEB)
deb=$(realpath "$build"/wren_*_amd64.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
lintian --fail-on error --display-level '>=warning' "$deb"

echo "-- installed package"
home=$(mktemp -d)
cleanup() {
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq wren >/dev/null 2>&1 || true
    rm -rf "$home"
}
trap cleanup EXIT
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb"
/usr/bin/wren-publish --version
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb /usr/bin/wren --version
# The installed programs find their data in the user's folder, not in /usr/bin.
data="$home/.local/share/wren"
"$build/wren-demo" "$data" >/dev/null
env -u WREN_DATA_DIR -u XDG_DATA_HOME HOME="$home" TMPDIR="$home" /usr/bin/wren-publish
test -s "$data/site/index.html"
test -s "$data/site/archive.html"
echo "published $(ls "$data/site" | wc -l) files into $data/site"

$sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq wren
if [ -e /usr/bin/wren-publish ] || [ -e /usr/share/applications/wren.desktop ]; then
    echo "files left after removing the package" >&2
    exit 1
fi
echo "-- package checks passed"
