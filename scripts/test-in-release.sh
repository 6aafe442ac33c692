#!/usr/bin/env bash
# Runs the whole test command (scripts/test.sh) inside a clean system of another Debian release,
# for example Debian 13 from a Debian 12 machine:
#
#   scripts/test-in-release.sh trixie [FOLDER]
#
# The system is made with debootstrap from this machine's own package mirror into FOLDER (default
# /var/tmp/snapvault-RELEASE) and kept, so a later run only brings the packages up to date and
# rebuilds what changed. The working tree (tracked and untracked files, not the build folders)
# is copied to /root/snapvault inside it, so the two releases never share a build folder. /proc,
# /sys, /dev, /dev/pts and /dev/shm are bound into it for the servers the tests start. Needs root
# (sudo otherwise). The exit code is the test command's.
set -euo pipefail
cd "$(dirname "$0")/.."
release="${1:?usage: scripts/test-in-release.sh RELEASE [FOLDER]}"
root="$(realpath -m "${2:-/var/tmp/snapvault-$release}")"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
fail() { echo "test-in-release: $*" >&2; exit 1; }
[ "$root" != / ] || fail "the system cannot be made in /"

# The mirrors this machine's apt uses: the security archive by its own suite, the others with
# the release and its updates.
mapfile -t mirrors < <(apt-get indextargets --format '$(REPO_URI)' | sort -u)
mirror="$(printf '%s\n' "${mirrors[@]}" | grep -v -- '-security' | head -n 1)"
[ -n "$mirror" ] || fail "no Debian mirror configured for apt"

if [ ! -x "$root/usr/bin/apt-get" ]; then
  $sudo mkdir -p "$root"
  $sudo debootstrap --variant=minbase "$release" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -n 20 "$root.debootstrap.log" >&2; fail "debootstrap cannot make $release in $root"; }
fi
for uri in "${mirrors[@]}"; do
  case "$uri" in
    *-security*) echo "deb $uri $release-security main" ;;
    *) echo "deb $uri $release main" && echo "deb $uri $release-updates main" ;;
  esac
done | $sudo tee "$root/etc/apt/sources.list" >/dev/null
$sudo cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# Packages installed for the tests do not start their services in this system.
printf '#!/bin/sh\nexit 101\n' | $sudo tee "$root/usr/sbin/policy-rc.d" >/dev/null
$sudo chmod 0755 "$root/usr/sbin/policy-rc.d"

# Bound one by one (not recursively), and unbound in the reverse order when the run ends however
# it ends; the folder is never removed by this script, so a bind left over cannot take the
# machine's /dev with it.
mounted=()
unbind() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    $sudo umount "${mounted[i]}" || $sudo umount -l "${mounted[i]}" || true
  done
}
trap unbind EXIT
for path in /proc /sys /dev /dev/pts /dev/shm; do
  $sudo mkdir -p "$root$path"
  if ! mountpoint -q "$root$path"; then
    $sudo mount --bind "$path" "$root$path"
    mounted+=("$root$path")
  fi
done

tree="$root/root/snapvault"
$sudo mkdir -p "$tree"
$sudo find "$tree" -mindepth 1 -maxdepth 1 ! -name 'build*' -exec rm -rf {} +
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' file; do
  [ -e "$file" ] && printf '%s\0' "$file"
done | tar --null -T - -cf - | $sudo tar -xf - -C "$tree"

echo "test-in-release: running scripts/test.sh in $release ($root)"
$sudo chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" ${CI:+CI="$CI"} \
  /bin/bash -c 'cd /root/snapvault && scripts/test.sh'
