#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang in build-fuzz/ and runs each for SECONDS (default 60)
# on a copy of its seed corpus (fuzz/corpus/<harness>). A crash stops with its input kept in
# build-fuzz/crashes/<harness>/; copy it to fuzz/regressions/<harness>/ so the test suite keeps it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/setup.sh
dir=build-fuzz
[ -f "$dir/build.ninja" ] || CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONODESK_FUZZ=ON
cmake --build "$dir" --target fuzz_all --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
harnesses=(live_frames graph_state text_import memory_image block_transfer collection_file
           capture_file journal cli_stats)
status=0
for h in "${harnesses[@]}"; do
  work="$dir/corpus/$h"
  crashes="$dir/crashes/$h"
  mkdir -p "$work" "$crashes"
  cp -n fuzz/corpus/"$h"/* "$work"/ 2>/dev/null || true
  echo "== $h: ${seconds} s"
  if ! "$dir/fuzz/fuzz_$h" -max_total_time="$seconds" -max_len=8192 -timeout=20 \
       -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" "$work" \
       > "$dir/$h.log" 2>&1; then
    echo "!! $h found a crash; see $dir/$h.log and $crashes/"
    tail -n 40 "$dir/$h.log"
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb" \
    "$dir/$h.log" | sed "s/^/   /" || true
done
exit $status
