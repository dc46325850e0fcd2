#!/usr/bin/env bash
# Orvo's entry point. Every command sets up what it needs (packages, configure, build)
# before doing its job, so each works on a fresh Debian 12 machine.
#
#   ./run.sh demo            the main job (see README)
#   ./run.sh test            build and run the whole test suite
#   ./run.sh test-asan       the test suite under AddressSanitizer + UBSan
#   ./run.sh test-tsan       the threaded tests under ThreadSanitizer
#   ./run.sh fuzz [SECONDS]  the libFuzzer targets, each for SECONDS (default 60)
#   ./run.sh bench           the benchmarks
#   ./run.sh build           configure and build only
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

setup() { "$ROOT/scripts/setup.sh"; }

# configure_and_build DIR [cmake options...]
configure_and_build() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$JOBS"
}

run_ctest() {
    local dir="$1"
    shift
    ctest --test-dir "$dir" --output-on-failure -j "$JOBS" "$@"
}

command="${1:-}"
shift || true
case "$command" in
build)
    setup
    configure_and_build "$ROOT/build"
    ;;
test)
    setup
    configure_and_build "$ROOT/build" -DORVO_WERROR=ON
    run_ctest "$ROOT/build"
    ;;
test-asan)
    setup
    configure_and_build "$ROOT/build-asan" -DORVO_SANITIZE=address -DORVO_BUILD_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_ctest "$ROOT/build-asan"
    ;;
test-tsan)
    setup
    CC=clang CXX=clang++ configure_and_build "$ROOT/build-tsan" -DORVO_SANITIZE=thread \
        -DORVO_BUILD_BENCH=OFF
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_ctest "$ROOT/build-tsan" -L threaded
    ;;
fuzz)
    seconds="${1:-60}"
    setup
    CC=clang CXX=clang++ configure_and_build "$ROOT/build-fuzz" -DORVO_FUZZ=ON
    "$ROOT/tests/fuzz/run-fuzzers.sh" "$ROOT/build-fuzz" "$seconds"
    ;;
bench)
    setup
    configure_and_build "$ROOT/build" -DCMAKE_BUILD_TYPE=Release
    for bench in "$ROOT"/build/bench/orvo-bench-*; do
        [[ -x "$bench" ]] && "$bench"
    done
    ;;
demo)
    setup
    configure_and_build "$ROOT/build"
    "$ROOT/scripts/demo.sh" "$ROOT/build"
    ;;
-h | --help | help | "")
    sed -n '2,12p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    [[ -n "$command" ]] || exit 2
    ;;
*)
    echo "run.sh: unknown command '$command' (try ./run.sh --help)" >&2
    exit 2
    ;;
esac
