#!/usr/bin/env bash
# Feeds arbitrary bytes to the clipboard decoding under AddressSanitizer for a bounded time
# (seconds, default 60). Uses libFuzzer when clang has it, a deterministic mutation loop if not.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
compiler=g++
if command -v clang++ >/dev/null; then
  compiler=clang++
fi
cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build build-fuzz

# Seeds: one small picture of each type, made by another tool than the one under test.
seeds="$(mktemp -d)"
corpus="$(mktemp -d)"
trap 'rm -rf "$seeds" "$corpus" "$corpus.log"' EXIT
for type in png bmp tiff ppm jpg gif webp; do
  convert -size 7x5 gradient:red-blue "$seeds/seed.$type"
done
# The compressed and layered forms of the readers' own parsers.
convert -size 7x5 gradient:red-blue -interlace JPEG "$seeds/progressive.jpg"
convert -size 7x5 gradient:red-blue -compress lzw "$seeds/lzw.tiff"
convert -size 7x5 gradient:red-blue -define webp:lossless=true "$seeds/lossless.webp"
# A picture past 1 GiB of pixels, or a side past the bound, is refused before decoding: an
# allocation of more than 1100 MB is a fault, as is an input that takes over 10 s. Inputs that
# fail are kept in build-fuzz/.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export QT_QPA_PLATFORM=offscreen
# The readers' complaints about broken input are expected by the thousand.
export QT_LOGGING_RULES='*.warning=false'
if grep -q '^SVX_HAVE_LIBFUZZER:INTERNAL=1' build-fuzz/CMakeCache.txt; then
  build-fuzz/clipboarddecode_fuzz -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=1100 \
    -rss_limit_mb=4096 -artifact_prefix=build-fuzz/ "$corpus" "$seeds" 2>"$corpus.log" || { tail -n 60 "$corpus.log"; exit 1; }
  grep -E '^Done|DONE' "$corpus.log"
else
  build-fuzz/clipboarddecode_fuzz -max_total_time="$seconds" "$seeds"
fi
