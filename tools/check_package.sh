#!/usr/bin/env bash
# Build the Debian package from a finished build and check it as a user would get it:
# its files, its menu entry and metainfo, and the program's version from an extracted copy.
#   bash tools/check_package.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
app=example.cellward.station

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
(cd "$build" && cpack -G DEB -B package >/dev/null)
deb="$build/package/cellward_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no package at $deb" >&2; exit 1; }

fail() { echo "package check: $*" >&2; exit 1; }
listing=$(dpkg-deb -c "$deb")
for f in usr/bin/klv-station usr/bin/klv-sim usr/bin/klv-lab usr/share/applications/$app.desktop \
         usr/share/icons/hicolor/scalable/apps/$app.svg usr/share/metainfo/$app.metainfo.xml \
         usr/lib/systemd/user/cellward-station.service usr/share/doc/cellward/klv-station-autostart.desktop; do
  grep -q " \./$f\$" <<<"$listing" || fail "$f is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libc6 libpq5 libcpp-httplib; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$app.desktop"
desktop-file-validate "$root/usr/share/doc/cellward/klv-station-autostart.desktop"
# No network: the homepage's .example domain never resolves.
appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml"
said=$("$root/usr/bin/klv-station" --version)
[ "$said" = "klv-station $version" ] || fail "klv-station --version said '$said', not $version"
said=$("$root/usr/bin/klv-lab" --version)
[ "$said" = "klv-lab $version" ] || fail "klv-lab --version said '$said', not $version"

echo "package ok: $deb ($(du -k "$deb" | cut -f1) KiB), Depends: $depends"
