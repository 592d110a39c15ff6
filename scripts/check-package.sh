#!/usr/bin/env bash
# Checks the Debian package the way a Debian user meets it: builds it (cpack -G DEB from a build
# without tests), has lintian look at it (no error allowed), installs it with apt-get into a fresh
# Debian 12 made by debootstrap, starts the installed program as an ordinary user on a private
# Xvfb until its main window shows and its office runs, makes an invitation with it, ends it, and
# purges the package, which must take every file it brought and nothing else.
#
#   scripts/check-package.sh [BUILD_FOLDER]     (default: build)
#
# Everything it makes stays in BUILD_FOLDER/package-check: build/ (the program's build and the
# .deb), cache/ (downloaded packages, reused by the next run) and root/ (the Debian 12, removed
# at the end). Needs root (debootstrap, chroot, mounting /proc there) and Debian's mirror; without
# them it says why and skips. MISTLEFOLD_DEBIAN_MIRROR names another mirror.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-build}/package-check" && cd "${1:-build}/package-check" && pwd -P)
mirror=${MISTLEFOLD_DEBIAN_MIRROR:-http://deb.debian.org/debian}
root=$work/root
started=$SECONDS

say() { echo "check-package: $*"; }
# fail/skip MESSAGE [LOG]: says what failed or why the check cannot be made, with the end of the
# log that tells more.
fail() {
  say "FAILED: $1" >&2
  [ -z "${2:-}" ] || { say "the end of $2:" >&2; tail -n 20 "$2" >&2; }
  exit 1
}
skip() {
  say "skipped: $1"
  [ -z "${2:-}" ] || { say "the end of $2:"; tail -n 20 "$2"; }
  exit 0
}
# The processes running inside the Debian 12 (their root folder is it).
inside() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && echo "${p#/proc/}"
  done
  return 0
}
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"; }

[ "$(id -u)" -eq 0 ] || skip "needs root to make and enter a Debian 12 (debootstrap, chroot)"
for tool in cpack lintian debootstrap Xvfb xwininfo xprop xdotool; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done

xvfb_pid=
cleanup() {
  local pids
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
  if [ -d "$root" ]; then
    mapfile -t pids < <(inside)
    [ ${#pids[@]} -eq 0 ] || kill -9 "${pids[@]}" 2>/dev/null
    if mountpoint -q "$root/proc"; then
      umount "$root/proc" || umount -l "$root/proc"
    fi
    mountpoint -q "$root/proc" || rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT

# The package, from a build without tests.
step=$SECONDS
cmake -S "$source_dir" -B "$work/build" -G Ninja -DBUILD_TESTING=OFF >/dev/null
cmake --build "$work/build"
(cd "$work/build" && rm -f mistlefold_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$work"/build/mistlefold_*.deb)
say "built $(basename "$deb"), $(stat -c %s "$deb") bytes, in $((SECONDS - step)) s"
dpkg-deb --field "$deb" Depends | sed 's/^/check-package: Depends: /'
# (lintian's status counts overridden errors too when it shows them, so its errors are read off.)
lintian_status=0
lintian --display-info --show-overrides "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v '^running with root' "$work/lintian.log" | sed 's/^/check-package: lintian: /' || true
[ "$lintian_status" -le 2 ] || fail "lintian could not look at the package"
! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"

# A fresh Debian 12 with Debian's sources, downloads kept in the cache for the next run; /proc is
# mounted there for the office and the program (which needs CAP_SYS_ADMIN, bit 21).
capabilities=$(sed -n 's/^CapEff:\s*//p' /proc/self/status)
(((16#$capabilities >> 21) & 1)) || skip "cannot mount /proc in a Debian 12 without CAP_SYS_ADMIN"
step=$SECONDS
cleanup
mkdir -p "$work/cache/debootstrap" "$work/cache/apt"
debootstrap --variant=minbase --cache-dir="$work/cache/debootstrap" bookworm "$root" "$mirror" \
  >"$work/debootstrap.log" 2>&1 || skip "debootstrap could not make a Debian 12 from $mirror" "$work/debootstrap.log"
mount -t proc proc "$root/proc" 2>/dev/null || skip "cannot mount /proc in the Debian 12"
security=${mirror%/debian}/debian-security
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
EOF
say "made a Debian 12 in $((SECONDS - step)) s"

# apt-get install ./mistlefold_...deb, as the README says.
step=$SECONDS
cp "$deb" "$root/tmp/"
find "$work/cache/apt" -name '*.deb' -exec cp -l -n {} "$root/var/cache/apt/archives/" \;
in_root sh -c "apt-get update -q && cd /tmp && apt-get install -y -q --no-install-recommends ./$(basename "$deb")" \
  >"$work/install.log" 2>&1 || fail "apt-get install failed" "$work/install.log"
find "$root/var/cache/apt/archives" -maxdepth 1 -name '*.deb' -exec cp -l -f {} "$work/cache/apt/" \;
in_root apt-get clean
say "installed with its dependencies ($(du -sh --one-file-system "$root" | cut -f1) in all) in $((SECONDS - step)) s"

# The installed program, started from the menu entry's command by an ordinary user, on an X display
# of the host's (the chroot reaches its abstract socket): its main window must show, and its office
# start.
step=$SECONDS
in_root useradd --create-home --uid 1000 --user-group guest
display_file=$work/display
Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 4>"$display_file" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || fail "Xvfb did not start within 30 s" "$work/xvfb.log"
display=:$(head -1 "$display_file")
read -ra command <<<"$(sed -n 's/^Exec=//p' "$root/usr/share/applications/mistlefold.desktop")"
chroot --userspec=1000:1000 "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/home/guest LANG=C.UTF-8 \
  DISPLAY="$display" "${command[@]}" >"$work/program.log" 2>&1 &
program=$!
shown=
for _ in $(seq 120); do
  kill -0 "$program" 2>/dev/null || fail "the program ended at start" "$work/program.log"
  DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q '"Mistlefold": ("mistlefold"' && { shown=1; break; }
  sleep 0.5
done
[ -n "$shown" ] || fail "no main window \"Mistlefold\" within 60 s" "$work/program.log"
say "main window shown $((SECONDS - step)) s after start"
office=
for _ in $(seq 120); do
  for p in $(inside); do [ "$(cat "/proc/$p/comm" 2>/dev/null)" = soffice.bin ] && office=1; done
  [ -n "$office" ] && break
  sleep 0.5
done
[ -n "$office" ] || fail "the program's office did not start within 60 s" "$work/program.log"
say "its office runs"
# "Start Creating Template", the button across the top of the main window: the office fills the
# invitation and pictures its page with what the package brought (Writer, Draw, the fonts), and
# the preview window (an ordinary window; a message box would be a dialog) shows it.
main=$(DISPLAY=$display xdotool search --onlyvisible --name '^Mistlefold$' | head -1)
width=$(DISPLAY=$display xwininfo -id "$main" | sed -n 's/^ *Width: //p')
DISPLAY=$display xdotool mousemove --window "$main" $((width / 2)) 20 click 1
preview=
for _ in $(seq 120); do
  for w in $(DISPLAY=$display xdotool search --onlyvisible --name '^Mistlefold$'); do
    [ "$w" != "$main" ] && DISPLAY=$display xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q '_TYPE_NORMAL' && preview=$w
  done
  [ -n "$preview" ] && break
  sleep 0.5
done
[ -n "$preview" ] || fail "no preview within 60 s of \"Start Creating Template\"" "$work/program.log"
say "the invitation's preview shown $((SECONDS - step)) s after start"
kill -TERM "$program"
for _ in $(seq 150); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
! kill -0 "$program" 2>/dev/null || fail "the program did not end within 30 s of SIGTERM" "$work/program.log"
wait "$program" || true
for _ in $(seq 100); do [ -z "$(inside)" ] && break; sleep 0.2; done
[ -z "$(inside)" ] || fail "processes left behind after the program ended: $(inside | xargs ps -o pid=,args= -p)"
kill "$xvfb_pid" && xvfb_pid=

# apt-get purge takes every file the package brought, and nothing else.
step=$SECONDS
listing() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./tmp -o -path ./var/cache -o -path ./var/log \
    -o -path ./var/lib/apt -o -path ./home -o -path ./root \) -prune -o -print | sed 's/^\.//' | sort)
}
in_root dpkg -L mistlefold | sort >"$work/package-files"
listing >"$work/files-installed"
in_root apt-get purge -y -q mistlefold >"$work/purge.log" 2>&1 || fail "apt-get purge failed" "$work/purge.log"
listing >"$work/files-purged"
added=$(comm -13 "$work/files-installed" "$work/files-purged")
[ -z "$added" ] || fail "purging the package made files: $added"
others=$(comm -23 "$work/files-installed" "$work/files-purged" | { grep -v '^/var/lib/dpkg/info/mistlefold\.' || true; } |
  comm -23 - "$work/package-files")
[ -z "$others" ] || fail "purging the package took files that were not its own: $others"
left=
while read -r path; do
  [ -e "$root$path" ] || [ -L "$root$path" ] || continue
  [ -d "$root$path" ] && in_root dpkg -S "$path" >/dev/null 2>&1 && continue # a folder of other packages too
  left+="$path "
done <"$work/package-files"
[ -z "$left" ] || fail "files of the package left after purging it: $left"
! ls "$root"/var/lib/dpkg/info/mistlefold.* >/dev/null 2>&1 || fail "dpkg still keeps records of the package"
say "purged: its $(grep -c . "$work/package-files") files and folders gone, no other file touched, in $((SECONDS - step)) s"
say "passed in $((SECONDS - started)) s"
