#!/usr/bin/env bash
# Checks a built Debian package: its file list against packaging/package-files.txt, its fields,
# both programs started with --version from an extracted copy, the desktop entry and the
# AppStream metadata through their validators, and Debian's own checker (no error, no warning).
#   packaging/check-package.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-build}"
app_id=org.vireosant.Vireosant

shopt -s nullglob
debs=("$build"/vireosant_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "check-package: expected one vireosant_*.deb in $build, found ${#debs[@]}" >&2; exit 1; }
deb="${debs[0]}"
echo "check-package: $deb"

# every file and link of the package, as installed
actual="$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e '/\/$/d' | sort)"
expected="$(grep -v '^#' "$here/package-files.txt" | sed '/^$/d' | sort)"
if [ "$actual" != "$expected" ]; then
  echo "check-package: the package's files differ from packaging/package-files.txt:" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi

depends="$(dpkg-deb -f "$deb" Depends)"
recommends="$(dpkg-deb -f "$deb" Recommends)"
for lib in libqt6widgets6 libqt6bluetooth6 libqt6svg6 libqt6multimedia6 libc6; do
  grep -q "$lib" <<<"$depends" || { echo "check-package: Depends lacks $lib: $depends" >&2; exit 1; }
done
grep -q gstreamer1.0-plugins-good <<<"$recommends" || { echo "check-package: Recommends lacks GStreamer: $recommends" >&2; exit 1; }

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
# no display is needed for these
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/vireosant" --version
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/vireosant-inspect" --version
for page in vireosant vireosant-inspect; do
  # the manual pages format without warnings
  out="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
  [ -z "$out" ] || { echo "check-package: $page.1: $out" >&2; exit 1; }
done
desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"
# lintian tells root that it prefers another user; that line is no finding
lintian --fail-on error,warning "$deb" 2> >(grep -v 'running with root privileges' >&2)
echo "check-package: ok"
