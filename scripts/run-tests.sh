#!/usr/bin/env bash
# The whole test suite: the plain build under ctest, the same suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, then the subtitle reader's fuzz target on its seed corpus.
set -uo pipefail

fuzz_only=0
if [ "${1:-}" = "--fuzz-only" ]; then fuzz_only=1; shift; fi
build=$1 asan_build=$2 fuzz_build=$3 fuzz_seconds=$4 jobs=$5
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

failed=()
ctest_flags=(--output-on-failure -j"$jobs" --timeout 300)

run_fuzzer() {
  echo "== fuzzing the subtitle reader for ${fuzz_seconds} s"
  cmake -S . -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUVARA_FUZZ_ONLY=ON \
        -DCMAKE_CXX_COMPILER=clang++ >/dev/null || return 1
  cmake --build "$fuzz_build" -j"$jobs" || return 1
  local work
  work=$(mktemp -d)
  cp -r tests/fuzz/corpus/. "$work/"
  "$fuzz_build/bin/fuzz-subtitle-reader" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
      -artifact_prefix="$fuzz_build/" "$work" 2>&1 | tail -n 15
  local rc=${PIPESTATUS[0]}
  rm -rf "$work"
  return "$rc"
}

if [ "$fuzz_only" -eq 0 ]; then
  echo "== formatting"
  bash scripts/check-format.sh || failed+=("formatting")

  echo "== test suite (plain build)"
  (cd "$build" && ctest "${ctest_flags[@]}") || failed+=("plain suite")

  echo "== test suite (AddressSanitizer + UndefinedBehaviorSanitizer)"
  if cmake -S . -B "$asan_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDUVARA_SANITIZE=ON >/dev/null &&
     cmake --build "$asan_build" -j"$jobs"; then
    (cd "$asan_build" &&
     ASAN_OPTIONS=abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
       LSAN_OPTIONS=suppressions="$root/tests/support/lsan.supp":print_suppressions=0 \
       ctest "${ctest_flags[@]}") || failed+=("sanitizer suite")
  else
    failed+=("sanitizer build")
  fi
fi

run_fuzzer || failed+=("fuzzing")

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All test stages passed."
