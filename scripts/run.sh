#!/usr/bin/env bash
# Installs, builds and starts Snapvault on the current desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Snapvault is built (build/snapvault), but there is no graphical display to show it on." >&2
  echo "Run it from a desktop session, or set DISPLAY to an X server (e.g. DISPLAY=:0)." >&2
  exit 1
fi
exec build/snapvault "$@"
