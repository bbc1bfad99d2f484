#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UBSan) in their own
# folder and runs them. Every target first replays its reproducers in
# fuzz/regressions/TARGET, then fuzzes from its seeds in fuzz/corpus/TARGET;
# what it learns is kept in fuzz/corpus-work/TARGET (not committed).
#
#   scripts/fuzz.sh                 every target, FUZZ_SECONDS each (default 60)
#   scripts/fuzz.sh --ci            every target, 30 s each (FUZZ_CI_SECONDS)
#   scripts/fuzz.sh TARGET [SECONDS]  one target, as long as you like (default 600)
#   scripts/fuzz.sh --list          the targets this configuration builds
#
#   PEDESTAL_FUZZ_BUILD=dir         build folder (default build-fuzz)
#   FUZZ_NICE=n                     niceness of the fuzzing runs (default 10)
# Findings: crash/timeout files in BUILD/artifacts, logs in BUILD/logs.
set -euo pipefail
source "$(dirname "$0")/common.sh"

usage() { sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; }

mode=all
seconds=${FUZZ_SECONDS:-60}
only=""
case "${1:-}" in
    "") ;;
    --ci) mode=ci; seconds=${FUZZ_CI_SECONDS:-30} ;;
    --list) mode=list ;;
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *)
        mode=one
        only=$1
        seconds=${2:-600}
        ;;
esac
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "fuzz.sh: SECONDS must be a positive whole number, not '$seconds'" >&2
    exit 2
fi

"$PEDESTAL_ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" clang libclang-rt-14-dev

build=${PEDESTAL_FUZZ_BUILD:-$PEDESTAL_ROOT/build-fuzz}
pedestal_configure "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEDESTAL_FUZZ=ON -DPEDESTAL_GUI=ON \
    -DPEDESTAL_BENCH=OFF -DPEDESTAL_SANITIZE=OFF >/dev/null
cmake --build "$build" --target fuzzers

mapfile -t targets < <(grep -v '^$' "$build/fuzzers.txt")
if [ "$mode" = list ]; then
    printf '%s\n' "${targets[@]}"
    exit 0
fi
if [ "$mode" = one ]; then
    if ! printf '%s\n' "${targets[@]}" | grep -qx "$only"; then
        echo "fuzz.sh: no target '$only'; this build has: ${targets[*]}" >&2
        exit 2
    fi
    targets=("$only")
fi

mkdir -p "$build/artifacts" "$build/logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PEDESTAL_ROOT/fuzz/lsan.supp:print_suppressions=0}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

failed=()
summary=()
for t in "${targets[@]}"; do
    bin="$build/fuzz/$t"
    seeds="$PEDESTAL_ROOT/fuzz/corpus/$t"
    work="$PEDESTAL_ROOT/fuzz/corpus-work/$t"
    log="$build/logs/$t.log"
    mkdir -p "$work" "$seeds"

    # Known reproducers first: each must now run clean.
    regressions=("$PEDESTAL_ROOT/fuzz/regressions/$t"/*)
    if [ -e "${regressions[0]}" ]; then
        echo "== $t: replaying ${#regressions[@]} reproducer(s)"
        if ! "$bin" "${regressions[@]}" >"$log.regressions" 2>&1; then
            echo "   FAILED, see $log.regressions" >&2
            tail -n 30 "$log.regressions" >&2
            failed+=("$t(regression)")
        fi
    fi

    options=()
    [ -f "$PEDESTAL_ROOT/fuzz/$t.dict" ] && options+=("-dict=$PEDESTAL_ROOT/fuzz/$t.dict")
    echo "== $t: fuzzing for ${seconds} s"
    status=0
    nice -n "${FUZZ_NICE:-10}" "$bin" "$work" "$seeds" "${options[@]}" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" >"$log" 2>&1 || status=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    corpus=$(find "$work" -type f | wc -l)
    if [ "$status" -ne 0 ]; then
        failed+=("$t")
        echo "   FAILED (exit $status), log $log" >&2
        grep -E 'ERROR:|runtime error|invariant broken|Test unit written' "$log" | head -n 10 >&2 || true
    fi
    summary+=("$(printf '%-22s %6ss %12s execs  cov %-6s corpus %-5s %s' "$t" "$seconds" \
        "${execs:-?}" "${cov:-?}" "$corpus" "$([ "$status" -eq 0 ] && echo ok || echo FAILED)")")
done

echo
echo "== Fuzzing summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
    echo "Failed: ${failed[*]} (reproducers in $build/artifacts)" >&2
    exit 1
fi
