#!/usr/bin/env bash
# A short fuzz run of the playlist reader, for the test suite:
#   fuzz/run-short.sh [SECONDS]        (default 30; BUILD_DIR picks the build folder)
# Builds fuzz_mpls with libFuzzer and the address and undefined-behaviour checkers in a
# build folder of its own, starts from the written seed playlists and fails on any crash,
# failed check or sanitizer report.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
build="${BUILD_DIR:-$here/build-fuzz}"

case "$seconds" in
  '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac
command -v clang++ >/dev/null || { echo "clang++ is needed for libFuzzer" >&2; exit 1; }

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORVEL_FUZZ=ON -DORVEL_BUILD_TESTS=OFF -DORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j 2 --target fuzz_mpls fuzz_mpls_seeds

work="$(mktemp -d "${TMPDIR:-/tmp}/orvel-fuzz-mpls.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/seeds" "$work/artifacts"
"$build/bin/fuzz_mpls_seeds" "$work/seeds"

# Undefined behaviour is only reported by default; here it has to stop the run.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export ASAN_OPTIONS="abort_on_error=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
status=0
"$build/bin/fuzz_mpls" -max_len=8192 -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds" >"$work/log" 2>&1 || status=$?

runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)"
echo "fuzz_mpls: ${runs:-unknown} executions in ${seconds} s"
if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$work/log"; then
  tail -n 60 "$work/log" >&2
  for artifact in "$work"/artifacts/*; do
    [ -e "$artifact" ] || continue
    keep="$build/$(basename "$artifact")"
    cp "$artifact" "$keep"
    echo "failing input kept as $keep" >&2
  done
  exit 1
fi
