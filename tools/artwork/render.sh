#!/usr/bin/env bash
# Renders the raster pictures of resources/pict/ from their SVG sources in resources/artwork-src/.
# The rendered files are committed; run this again after changing a source and look at the result.
#
# Needs: rsvg-convert (Debian: librsvg2-bin) and ImageMagick's convert (Debian: imagemagick) for JPEG.
# Optional: PREVIEW=/tmp/sheet.png tools/artwork/render.sh also writes a contact sheet of every
# raster picture on the dark background of the program.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
src="$root/resources/artwork-src"
out="$root/resources/pict"
background="#1f2325"   # the form behind the JPEG pictures, which have no transparency

command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing (apt-get install librsvg2-bin)" >&2; exit 1; }
if ! convert -version 2>/dev/null | grep -q ImageMagick; then
  echo "ImageMagick's convert is missing (apt-get install imagemagick)" >&2; exit 1
fi

# output file                     size (px)  source
pictures=(
  "progicon.png                   256        progicon.svg"
  "info.png                       48         info.svg"
  "offbut.png                     40         offbut.svg"
  "devicesIcon.png                48         devicesIcon.svg"
  "scenarioIcon.png               48         scenarioIcon.svg"
  "settings_1.png                 48         settings_1.svg"
  "settings.png                   48         settings.svg"
  "sesorIcon_1.png                32         sesorIcon_1.svg"
  "powerSocketOn.png              120        powerSocketOn.svg"
  "powerSocketOff.png             120        powerSocketOff.svg"
  "powerSocketNotConnected_1.png  120        powerSocketNotConnected_1.svg"
  "controller_connection_ok.jpg   200        controller_connection_ok.svg"
  "controller_connection_fail.jpg 200        controller_connection_fail.svg"
)

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

for row in "${pictures[@]}"; do
  read -r name size source <<<"$row"
  case "$name" in
    *.png)
      rsvg-convert -w "$size" -h "$size" "$src/$source" -o "$out/$name" ;;
    *.jpg)
      rsvg-convert -w "$size" -h "$size" "$src/$source" -o "$tmp/$name.png"
      convert "$tmp/$name.png" -background "$background" -flatten -strip -quality 90 "$out/$name" ;;
  esac
  echo "$name ${size}x${size}"
done

# The program icon of the package, in the sizes of the hicolor theme.
icons="$root/packaging/icons"
for size in 16 24 32 48 64 128 256; do
  mkdir -p "$icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" "$src/progicon.svg" -o "$icons/${size}x${size}/vireosant.png"
  echo "packaging/icons/${size}x${size}/vireosant.png"
done

if [ -n "${PREVIEW:-}" ]; then
  tiles=()
  for row in "${pictures[@]}"; do
    read -r name _ _ <<<"$row"
    tiles+=("$out/$name")
  done
  convert "${tiles[@]}" -background "$background" -alpha remove -bordercolor "$background" -border 10 \
    -gravity center +append "$PREVIEW"
  echo "preview: $PREVIEW"
fi
