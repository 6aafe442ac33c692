#!/usr/bin/env bash
# Checks the installation made from a build folder (default build/): a staged `cmake --install`
# under a prefix other than /usr (launcher, metainfo, icons, installation folder), then the Debian
# package: lintian, installed with apt, the installed program run, removed without leftovers; then
# on a clean minimal system of the Debian release this machine runs, made with debootstrap:
# piuparts (install, remove, purge), and the package installed without its recommendations,
# started under Xvfb and ended with -terminate.
# Installing the package needs root (sudo otherwise); a snapvault package already installed is
# left alone and the package part refused.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
app=org.fennmoor.Snapvault
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "package-test: $*" >&2; exit 1; }
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version_text="$(cache SVX_VERSION_TEXT)"
version="$(cache CMAKE_PROJECT_VERSION)"

# --- staged installation under /opt/snapvault ---
DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/snapvault >/dev/null
stage="$work/stage/opt/snapvault"
desktop_file="$stage/share/applications/$app.desktop"
desktop-file-validate "$desktop_file"
appstreamcli validate --no-net "$stage/share/metainfo/$app.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$stage/share/metainfo/$app.metainfo.xml"
grep -qx 'Exec="/opt/snapvault/bin/snapvault"' "$desktop_file" || fail "launcher Exec: $(grep ^Exec "$desktop_file")"
grep -qx 'TryExec=/opt/snapvault/bin/snapvault' "$desktop_file" || fail "launcher TryExec"
grep -qx 'StartupWMClass=Snapvault' "$desktop_file" || fail "launcher StartupWMClass"
[ -d "$stage/etc/xdg/Fennmoor/Snapvault/$version_text" ] || fail "no installation folder"
[ -x "$stage/bin/snapvault" ] || fail "no program"
for data in Svx.hlp beep.wav click.wav; do
  [ -f "$stage/share/snapvault/$data" ] || fail "no $data"
done
[ -f "$stage/share/icons/hicolor/scalable/apps/$app.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
  icon="$stage/share/icons/hicolor/${size}x${size}/apps/$app.png"
  [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "icon $icon"
done
echo "package-test: staged installation ok"

# --- the Debian package ---
if dpkg-query -W -f='${db:Status-Abbrev}' snapvault 2>/dev/null | grep -q '^i'; then
  fail "a snapvault package is installed already; remove it first"
fi
(cd "$build" && cpack -G DEB >/dev/null)
deb="$build/snapvault_${version}_$(dpkg --print-architecture).deb"
if ! lintian --fail-on error "$deb" >"$work/lintian" 2>&1; then
  cat "$work/lintian" >&2
  fail "lintian reports errors"
fi
grep -v 'root privileges is not recommended' "$work/lintian" || true
for recommended in sound-theme-freedesktop xdg-utils; do
  dpkg-deb -f "$deb" Recommends | grep -qw "$recommended" || fail "does not recommend $recommended"
done
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^/\?$' >"$work/contents"

export DEBIAN_FRONTEND=noninteractive
apt="$sudo apt-get -o DPkg::Lock::Timeout=300 -y -qq"
$apt install "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt cannot install $deb"; }
installed=1
cleanup() {
  if [ "${installed:-0}" = 1 ]; then $apt remove snapvault >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
[ -x /usr/bin/snapvault ] && [ -f /usr/share/snapvault/Svx.hlp ] || fail "not installed"
[ -d "/etc/xdg/Fennmoor/Snapvault/$version_text" ] || fail "no system installation folder"
grep -qx 'Exec="/usr/bin/snapvault"' "/usr/share/applications/$app.desktop" || fail "launcher Exec"

# Ending a running instance when none runs: exit code 0, nothing left running.
mkdir -m 0700 "$work/runtime" && mkdir "$work/home"
env -i PATH="$PATH" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 \
  xvfb-run -a -s '-nolisten tcp' /usr/bin/snapvault -terminate || fail "-terminate: exit code $?"
for exe in /proc/[0-9]*/exe; do
  [ "$(readlink "$exe" 2>/dev/null)" != /usr/bin/snapvault ] || fail "still running: $exe"
done
echo "package-test: installed package ok"

$apt remove snapvault >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt cannot remove it"; }
installed=0
status="$(dpkg-query -W -f='${db:Status-Abbrev}' snapvault 2>/dev/null || true)"
case "$status" in ""|"un "*|"pn "*) ;; *) fail "package state after removal: $status" ;; esac
while read -r path; do
  [ -e "$path" ] || continue
  [ -d "$path" ] && dpkg -S "$path" >/dev/null 2>&1 && continue
  fail "left behind: $path"
done <"$work/contents"
echo "package-test: removed without leftovers"

# --- a clean minimal system ---
# The mirror this machine's apt uses and the release it runs, whose libraries the package was
# built against; the base system is made once and serves both checks.
mirror="$(apt-get indextargets --format '$(REPO_URI)' | grep -v -- '-security' | sort -u | head -n 1)"
[ -n "$mirror" ] || fail "no Debian mirror configured for apt"
release="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
[ -n "$release" ] || fail "no VERSION_CODENAME in /etc/os-release"
base="$work/base"
$sudo debootstrap --variant=minbase "$release" "$base" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -n 20 "$work/debootstrap.log" >&2; fail "debootstrap cannot make a base system"; }
$sudo tar -C "$base" -czf "$work/base.tgz" .
$sudo piuparts --basetgz="$work/base.tgz" --distribution="$release" --mirror="$mirror main" \
  "$deb" >"$work/piuparts.log" 2>&1 || { tail -n 40 "$work/piuparts.log" >&2; fail "piuparts"; }
echo "package-test: piuparts passed"

# Installed without recommendations, the program starts, greets its first run, and ends on
# -terminate with exit code 0. Only the test's own tools come with it.
$sudo cp "$deb" "$base/tmp/snapvault.deb"
$sudo cp -r /etc/apt/sources.list /etc/apt/sources.list.d "$base/etc/apt/" 2>/dev/null || true
$sudo mount -t proc proc "$base/proc"
trap '$sudo umount "$base/proc" 2>/dev/null || true; cleanup' EXIT
$sudo chroot "$base" /bin/bash -s >"$work/chroot.log" 2>&1 <<'CHROOT' || { cat "$work/chroot.log" >&2; fail "the installed program on a clean system"; }
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends /tmp/snapvault.deb >/dev/null
apt-get install -y -qq --no-install-recommends xvfb xauth xdotool >/dev/null
mkdir -m 0700 /tmp/runtime
export HOME=/tmp XDG_RUNTIME_DIR=/tmp/runtime
xvfb-run -a -s '-nolisten tcp' /bin/bash -c '
  set -euo pipefail
  snapvault & program=$!
  # The first run greets with a box; answered, the program listens for -terminate.
  box=$(timeout 120 xdotool search --sync --name "^SVX.dat not found or wrong version$" | head -n 1)
  xdotool windowfocus --sync "$box" key Return
  timeout 120 bash -c "until [ -S \"\$XDG_RUNTIME_DIR/SVXFileMap\" ]; do sleep 0.2; done"
  snapvault -terminate
  timeout 120 tail --pid="$program" -f /dev/null
  wait "$program"'
CHROOT
$sudo umount "$base/proc"
trap cleanup EXIT
echo "package-test: the package runs on a clean system without its recommendations"
