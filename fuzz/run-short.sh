#!/usr/bin/env bash
# A short fuzz run of every target, for the test suite:
#   fuzz/run-short.sh [SECONDS [TARGET...]]   (SECONDS per target, default 20; TARGET: folder
#                                             names, default all; BUILD_DIR picks the build)
# Builds the targets with libFuzzer and the address and undefined-behaviour checkers in a
# build folder of its own and fails on any crash, failed check or sanitizer report. Set
# FUZZ_RUNS to stop each target after that many executions instead (for long runs, with
# SECONDS as the limit in time). The runs start from a fixed random seed, so that a short run
# in the suite gives the same verdict on every machine (a slower machine tries a prefix of the
# same inputs); set FUZZ_SEED to another number, or to 0 for a fresh one, to explore. Set
# FUZZ_LOGS to a folder to keep each target's libFuzzer log there as NAME.log.
#
# One folder per target, fuzz/NAME/:
#   CMakeLists.txt  orvel_add_fuzzer(fuzz_NAME ...), and optionally
#                   orvel_add_fuzz_seeds(fuzz_NAME ...) for a program that writes seeds
#   seeds/          optional starting inputs kept in the tree
#   options         optional libFuzzer flags, one per line (for example -max_len=8192)
# A new folder is picked up by the build and by this script without further changes.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
shift || true
build="${BUILD_DIR:-$here/build-fuzz}"

case "$seconds" in
  '' | *[!0-9]*) echo "usage: $0 [SECONDS [TARGET...]]" >&2; exit 2 ;;
esac
command -v clang++ >/dev/null || { echo "clang++ is needed for libFuzzer" >&2; exit 1; }

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in "$here"/fuzz/*/; do
    [ -f "$dir/CMakeLists.txt" ] && targets+=("$(basename "$dir")")
  done
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORVEL_FUZZ=ON -DORVEL_BUILD_TESTS=OFF -DORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j 2 --target orvel_fuzzers

work="$(mktemp -d "${TMPDIR:-/tmp}/orvel-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Undefined behaviour is only reported by default; here it has to stop the run.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export ASAN_OPTIONS="abort_on_error=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
# Qt's hash tables are seeded at random per process unless told otherwise.
export QT_HASH_SEED="${QT_HASH_SEED:-0}"

failed=0
for name in "${targets[@]}"; do
  program="$build/bin/fuzz_$name"
  [ -x "$program" ] || { echo "fuzz_$name: not built (fuzz/$name/CMakeLists.txt?)" >&2; failed=1; continue; }
  mkdir -p "$work/$name/corpus" "$work/$name/written" "$work/$name/artifacts"
  # New inputs go to the first folder; the seeds are only read.
  corpora=("$work/$name/corpus")
  if [ -x "$build/bin/fuzz_${name}_seeds" ]; then
    "$build/bin/fuzz_${name}_seeds" "$work/$name/written"
    corpora+=("$work/$name/written")
  fi
  [ -d "$here/fuzz/$name/seeds" ] && corpora+=("$here/fuzz/$name/seeds")
  flags=()
  if [ -f "$here/fuzz/$name/options" ]; then
    while read -r flag; do [ -n "$flag" ] && flags+=("$flag"); done <"$here/fuzz/$name/options"
  fi
  [ -n "${FUZZ_RUNS:-}" ] && flags+=("-runs=$FUZZ_RUNS")
  flags+=("-seed=${FUZZ_SEED:-1}")

  status=0
  start=$(date +%s)
  "$program" "${flags[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$work/$name/artifacts/" "${corpora[@]}" >"$work/$name/log" 2>&1 || status=$?
  took=$(( $(date +%s) - start ))
  if [ -n "${FUZZ_LOGS:-}" ]; then
    mkdir -p "$FUZZ_LOGS"
    cp "$work/$name/log" "$FUZZ_LOGS/$name.log"
  fi

  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name/log" | tail -n 1)"
  peak="$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/$name/log" | tail -n 1)"
  echo "fuzz_$name: ${runs:-unknown} executions in ${took} s, peak ${peak:-?} MB"
  if [ "$status" -ne 0 ] ||
     grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$work/$name/log"; then
    failed=1
    tail -n 60 "$work/$name/log" >&2
    for artifact in "$work/$name"/artifacts/*; do
      [ -e "$artifact" ] || continue
      keep="$build/$name-$(basename "$artifact")"
      cp "$artifact" "$keep"
      echo "failing input kept as $keep" >&2
    done
  fi
done
exit "$failed"
