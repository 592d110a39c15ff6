#!/usr/bin/env bash
# Installs every Debian package Mistlefold needs to build, test and run.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
  # compiler and build
  g++ cmake ninja-build
  # windows, dialogs, settings, images, clipboard
  qt6-base-dev
  # the document engine and its SDK
  libreoffice-writer-nogui libreoffice-draw-nogui libreoffice-dev
  # the tests of the real windows and dialogs on a private X display of their own (Xvfb, and
  # xprop to read the titles the window manager gets; the launch benchmark watches with xev)
  xvfb x11-utils
  # the tests read what the exported PDFs show
  poppler-utils
  # the Debian package: cpack finds the packages of the libraries the program links with
  # dpkg-shlibdeps, its programs with file; the package check (scripts/check-package.sh) installs
  # it into a fresh Debian 12 made by debootstrap, has lintian look at it, and clicks the installed
  # program with xdotool
  dpkg-dev file debootstrap lintian xdotool
)
# the fonts the page is set in, listed once for this script and the Debian package
while read -r font _; do
  [[ -z "$font" || "$font" == \#* ]] || packages+=("$font")
done <"$(dirname "$0")/page-fonts"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

# Installing needs root: root installs at once; another user goes through sudo when sudo can ask
# for a password here (or needs none), and is otherwise told in one sentence what to do.
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup: missing packages ${missing[*]}; run this script as root, or install sudo and run it again." >&2
    exit 1
  fi
  if ! sudo -n true 2>/dev/null && ! [ -t 0 ]; then
    echo "setup: missing packages ${missing[*]}; sudo needs a password and there is no terminal to ask for it, so run this script as root or from a terminal." >&2
    exit 1
  fi
  sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
