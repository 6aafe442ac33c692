#!/usr/bin/env bash
# Installs, builds and runs every test: the logic, encoder and widget tests (also under
# AddressSanitizer and UndefinedBehaviorSanitizer, the logic and encoder tests under
# ThreadSanitizer) and the end-to-end tests under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs="$(nproc)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
# The shape of src/ as the compiler sees it (layers, include pairs, function lengths), and that
# the check catches what it is there to catch.
scripts/check-layers.py build
scripts/check-layers.py build --plantings
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

# The logic and save-thread tests once more under ThreadSanitizer. die_after_fork=0: the encoder
# tests run reference tools through QProcess while Qt's worker threads exist.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSVX_TSAN=ON \
  -DSVX_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target codec_tests unit_tests
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp:die_after_fork=0:halt_on_error=1"
(cd build-tsan && ctest --output-on-failure --timeout 600 -L unit)

# The clipboard decoding fed with arbitrary bytes under AddressSanitizer, for one minute.
scripts/fuzz-clipboard.sh 60
