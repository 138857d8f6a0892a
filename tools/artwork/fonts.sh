#!/usr/bin/env bash
# One-off: fetches IBM Plex Mono from the npm package @ibm/plex-mono and unwraps the Thin and Medium
# WOFF files into the TrueType files the program registers at start (resources/pict/*.ttf), together
# with the package's OFL licence. The results are committed; the build never runs this.
#
# WOFF 1.0 is a per-table zlib wrapper around the original sfnt, so unwrapping it (tables kept as
# raw bytes, no timestamp or bounding-box recalculation) gives back the font data unchanged.
#
# Needs: npm, Debian's python3-fonttools (apt-get install python3-fonttools), fc-scan (fontconfig).
set -euo pipefail

VERSION="${PLEX_MONO_VERSION:-2.5.0}"
PY="${PYTHON:-/usr/bin/python3}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$root/resources/pict"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$PY" -c 'import fontTools' 2>/dev/null || { echo "python3-fonttools is missing (apt-get install python3-fonttools)" >&2; exit 1; }

(cd "$work" && npm pack --silent "@ibm/plex-mono@$VERSION" >/dev/null && tar xzf ./*.tgz)
pkg="$work/package"

mkdir -p "$out"
for style in Thin Medium; do
  "$PY" - "$pkg/fonts/complete/woff/IBMPlexMono-$style.woff" "$out/IBMPlexMono-$style.ttf" <<'PYEOF'
import sys
from fontTools.ttLib import TTFont
src, dst = sys.argv[1], sys.argv[2]
font = TTFont(src, recalcBBoxes=False, recalcTimestamp=False, lazy=True)
font.flavor = None          # plain sfnt instead of WOFF
font.save(dst, reorderTables=False)
PYEOF
done
install -m 644 "$pkg/LICENSE.txt" "$out/OFL.txt"

# The files must load as fonts and cover Cyrillic (the interface is Russian).
for style in Thin Medium; do
  f="$out/IBMPlexMono-$style.ttf"
  fc-scan --format '%{family[0]} %{style[0]} lang-ru:' "$f"
  if fc-scan --format '%{lang}\n' "$f" | tr '|' '\n' | grep -qx ru; then
    echo " yes"
  else
    echo " no" >&2
    exit 1
  fi
done
