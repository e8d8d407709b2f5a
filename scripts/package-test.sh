#!/usr/bin/env bash
# Builds the Debian package and checks it: the desktop entry and the AppStream file validate,
# the package holds the programs, icons, man pages, the guide and completion, and depends on
# what they need. Where it runs as root, the package is installed, tarnwick-cli run and the
# window started on a virtual screen, and the package removed again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build package screenshot

desktop-file-validate packaging/org.tarnwick.Tarnwick.desktop
appstreamcli validate --no-net packaging/org.tarnwick.Tarnwick.metainfo.xml

cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF >/dev/null
cmake --build build/package -j "${TARNWICK_JOBS:-$(nproc)}"
(cd build/package && rm -f ./*.deb && cpack -G DEB >/dev/null)
deb=$(ls build/package/tarnwick_*.deb)

contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
for file in usr/bin/tarnwick usr/bin/tarnwick-cli \
  usr/share/applications/org.tarnwick.Tarnwick.desktop \
  usr/share/metainfo/org.tarnwick.Tarnwick.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/tarnwick.svg \
  usr/share/man/man1/tarnwick.1 usr/share/man/man1/tarnwick-cli.1 usr/share/tarnwick/guide.html \
  usr/share/bash-completion/completions/tarnwick-cli; do
  [[ -s "$contents/$file" ]] || { echo "package-test: $file is missing" >&2; exit 1; }
done
for size in 16 24 32 48 64 128 256; do
  icon=$contents/usr/share/icons/hicolor/${size}x${size}/apps/tarnwick.png
  [[ $(file -b "$icon") == "PNG image data, $size x $size,"* ]] ||
    { echo "package-test: no ${size}px icon" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libsqlite3-0 libgmime-3.0 libssl3 libxml2 qt6-qpa-plugins; do
  [[ "$depends" == *"$needed"* ]] || { echo "package-test: Depends lacks $needed: $depends" >&2; exit 1; }
done
echo "package-test: $deb holds what it should; Depends: $depends"

[[ $(id -u) -eq 0 ]] || exit 0
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
tarnwick-cli --help >/dev/null
# The window comes up and stays up on a fresh settings file.
TARNWICK_REGISTRY=$contents/registry.db xvfb-run -a bash -c '
  tarnwick & program=$!
  sleep 3
  kill -0 $program && kill $program' ||
  { echo "package-test: the installed window did not start" >&2; exit 1; }
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tarnwick >/dev/null
echo "package-test: installed, ran and removed"
