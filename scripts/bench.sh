#!/usr/bin/env bash
# Builds the benchmarks in Release mode in their own folder, runs every Google
# Benchmark program of bench/ five times over with JSON output, runs
# scripts/bench-window.sh for the running window when it exists, and prints one
# table: each routine against its baseline from the same run, as a ratio of
# medians (pairing rules in scripts/bench_table.py), with the machine noted.
#
#   PEDESTAL_BENCH_BUILD=dir   build folder (default build-bench)
#   BENCH_REPETITIONS=n        repetitions per benchmark (default 5)
#   BENCH_WINDOW_SECONDS=n     measuring time of the running window (default 20)
#   BENCH_FILTER=regex         only the benchmarks matching (--benchmark_filter)
# Results: BUILD/bench-results/NAME.json and window.txt.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$PEDESTAL_ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

build=${PEDESTAL_BENCH_BUILD:-$PEDESTAL_ROOT/build-bench}
pedestal_configure "$build" -DCMAKE_BUILD_TYPE=Release -DPEDESTAL_BENCH=ON -DPEDESTAL_GUI=ON \
    -DPEDESTAL_FUZZ=OFF -DPEDESTAL_SANITIZE=OFF >/dev/null
# Only what bench/ declares, and what those programs need.
cmake --build "$build" --target bench/all

# The benchmark programs are the targets that bench/*.cmake declares with
# pedestal_benchmark(); bench/ also holds helpers such as EmptyDialog.
mapfile -t programs < <(sed -n 's/.*pedestal_benchmark(\([A-Za-z0-9_]*\).*/\1/p' \
    "$PEDESTAL_ROOT"/bench/*.cmake | sort -u)

results="$build/bench-results"
rm -rf "$results"
mkdir -p "$results"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ran=0
for program in "${programs[@]}"; do
    bin="$build/bench/$program"
    [ -x "$bin" ] || continue
    echo "== $program"
    "$bin" --benchmark_repetitions="${BENCH_REPETITIONS:-5}" \
        --benchmark_report_aggregates_only=true \
        --benchmark_filter="${BENCH_FILTER:-.}" \
        --benchmark_out="$results/$program.json" --benchmark_out_format=json
    ran=$((ran + 1))
done
if [ "$ran" -eq 0 ]; then
    echo "bench.sh: no benchmark program was built" >&2
    exit 1
fi

if [ -f "$PEDESTAL_ROOT/scripts/bench-window.sh" ]; then
    echo "== bench-window.sh (the running window against an empty dialog)"
    PEDESTAL_BUILD="$build" SECONDS_TO_RUN="${BENCH_WINDOW_SECONDS:-20}" \
        bash "$PEDESTAL_ROOT/scripts/bench-window.sh" | tee "$results/window.txt"
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo
echo "== Benchmark ratios (routine / baseline, same run)"
python3 "$PEDESTAL_ROOT/scripts/bench_table.py" "$results"
echo "Machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
    "$(nproc) cores, load average $load_before at start, $load_after at end," \
    "$(uname -sr)"
