#!/usr/bin/env bash
# Installs what Snapvault needs to build, run and test on Debian 12 and Debian 13. Where the
# releases name a package differently, an unversioned name that both offer is used.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libjpeg62-turbo-dev libmng-dev zlib1g-dev
  # the toolkit's TIFF and WebP readers, for pictures offered in those types
  qt6-image-formats-plugins
  libsndfile1-dev libpulse-dev sound-theme-freedesktop libx11-dev
  fonts-dejavu-core
  libxcb1-dev libxcb-xfixes0-dev libxxhash-dev
  # tests and benchmarks
  libgtest-dev libbenchmark-dev
  xvfb xauth x11-utils trayer xclip xdotool imagemagick libjpeg-turbo-progs
  # a private sound server with a null sink for the sound tests
  pulseaudio pulseaudio-utils
  # clang's sanitizer and fuzzer runtimes, of the release's default clang
  clang libclang-rt-dev
  # Wayland clipboard watching, and its tests under a headless compositor
  libwayland-dev libwayland-bin sway xwayland wl-clipboard grim foot
  libxcb1-dev
  # a private session bus shared by compositors and tests
  dbus-daemon x11-xserver-utils
  # the shape check: its script, and function extents
  python3 universal-ctags
  # installation and package checks
  desktop-file-utils appstream lintian file debootstrap piuparts
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${packages[@]}" >/dev/null
# The compositors of GNOME and KDE and Xfce's window manager and panel for the end-to-end tests,
# and a GTK window to give the focus to; without their recommendations (whole desktops).
$sudo apt-get install -y -qq --no-install-recommends mutter kwin-wayland zenity \
  xfce4-panel xfwm4 xfconf >/dev/null
