#!/usr/bin/env bash
# Installs, builds and runs every test: the logic, encoder and widget tests (also under
# AddressSanitizer and UndefinedBehaviorSanitizer) and the end-to-end tests under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs="$(nproc)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure --timeout 600 -LE fuzz)
# The staged installation and the Debian package, installed and removed again.
scripts/package-test.sh build

# The same logic and widget tests once more with the sanitizers, and the settings reader fed
# damaged files for a bounded time.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSVX_SANITIZE=ON \
  -DSVX_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs" --target codec_tests unit_tests ui_tests settings_fuzz
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure --timeout 600 -L 'unit|ui|fuzz')
