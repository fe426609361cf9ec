#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless through CTest.
#   --sanitize   the same suite built in build-sanitize/ with AddressSanitizer and
#                UndefinedBehaviorSanitizer; the first finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-sanitize
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DSONODESK_BUILD_BENCH=OFF -DSONODESK_INSTALL_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="-O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
  cmake --build "$dir" --parallel "$(nproc)"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  ctest --test-dir "$dir" --output-on-failure --timeout 600 -j "$(nproc)"
  exit
fi
scripts/build.sh
ctest --test-dir build --output-on-failure --timeout 300 -j "$(nproc)"
