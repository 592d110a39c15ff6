#!/usr/bin/env bash
# Renders the application icon resources/icons/mistlefold.svg to the PNG sizes the program and the
# desktop use: resources/icons/mistlefold-{32,48,128,256}.png (RGBA, transparent background).
# Needs rsvg-convert (Debian package librsvg2-bin); installs it when run as root.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
icons=$here/resources/icons

if ! command -v rsvg-convert >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then echo "make-icons: please install librsvg2-bin" >&2; exit 1; fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends librsvg2-bin
fi

for size in 32 48 128 256; do
  rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
    -o "$icons/mistlefold-$size.png" "$icons/mistlefold.svg"
  echo "make-icons: wrote $icons/mistlefold-$size.png"
done
