#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzzing build for a bounded time.
#
#   tests/fuzz/run-fuzzers.sh BUILD_DIR SECONDS
#
# Each fuzzer orvo-fuzz-NAME works on BUILD_DIR/fuzz/corpus/NAME, seeded from
# tests/fuzz/corpus/NAME (units found by earlier runs stay), with tests/fuzz/NAME.dict when
# there is one. Crashing inputs go to BUILD_DIR/fuzz/artifacts/NAME/. Prints one summary
# line per fuzzer; fails when any fuzzer found a crash, a leak or undefined behaviour.
set -euo pipefail

if (($# != 2)); then
    echo "usage: $0 BUILD_DIR SECONDS" >&2
    exit 2
fi
build_dir="$(cd "$1" && pwd)"
seconds="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

shopt -s nullglob
fuzzers=("$build_dir"/tests/fuzz/orvo-fuzz-*)
if ((${#fuzzers[@]} == 0)); then
    echo "run-fuzzers: no fuzzers in $build_dir/tests/fuzz (configure with -DORVO_FUZZ=ON)" >&2
    exit 1
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:${UBSAN_OPTIONS:-}"

failed=()
summaries=()
for fuzzer in "${fuzzers[@]}"; do
    [[ -x "$fuzzer" ]] || continue
    name="${fuzzer##*/orvo-fuzz-}"
    corpus="$build_dir/fuzz/corpus/$name"
    artifacts="$build_dir/fuzz/artifacts/$name"
    log="$build_dir/fuzz/$name.log"
    mkdir -p "$corpus" "$artifacts"
    if [[ -d "$here/corpus/$name" ]]; then
        cp "$here/corpus/$name"/* "$corpus"/
    fi
    options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -max_len=16384
             -rss_limit_mb=2048 -artifact_prefix="$artifacts/")
    if [[ -f "$here/$name.dict" ]]; then
        options+=(-dict="$here/$name.dict")
    fi

    echo "run-fuzzers: $name for ${seconds}s (log: $log)"
    started=$(date +%s)
    status=0
    "$fuzzer" "${options[@]}" "$corpus" >"$log" 2>&1 || status=$?
    elapsed=$(($(date +%s) - started))

    stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -n 1; }
    units="$(find "$corpus" -type f | wc -l)"
    if ((status == 0)); then
        summary="$name: $(stat number_of_executed_units) runs in ${elapsed}s"
        summary+=", $(stat average_exec_per_sec) exec/s, $units corpus units"
        summaries+=("$summary, peak RSS $(stat peak_rss_mb) MB")
    else
        failed+=("$name")
        summaries+=("$name: FAILED (exit $status) after ${elapsed}s; see $log and $artifacts/")
        grep -E "ERROR: |SUMMARY: |runtime error|Test unit written" "$log" | head -n 20 >&2 || true
    fi
done

echo "run-fuzzers: summary"
printf '  %s\n' "${summaries[@]}"
if ((${#failed[@]} > 0)); then
    echo "run-fuzzers: failed: ${failed[*]}" >&2
    exit 1
fi
