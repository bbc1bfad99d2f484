#!/usr/bin/env bash
# Static analysis of the project's own code: clang-tidy with the checks in
# .clang-tidy, then cppcheck. Every finding fails the run.
#
#   scripts/lint.sh            all sources, one job at a time, nice (a shared machine)
#   scripts/lint.sh --ci       all sources, every core
#   scripts/lint.sh FILE...    only these sources (paths from the checkout's root)
#
#   PEDESTAL_LINT_BUILD=dir    build folder for compile_commands.json (default build-lint)
# The build folder is configured here (clang, Qt window and fuzz targets on, so
# that every source has a compile command); only Qt's generated headers are built.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ci=0
files=()
for arg in "$@"; do
    case "$arg" in
        --ci) ci=1 ;;
        -h | --help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        -*) echo "lint.sh: unknown option $arg" >&2; exit 2 ;;
        *) files+=("$(realpath "$arg")") ;;
    esac
done

"$PEDESTAL_ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" clang clang-tidy cppcheck libclang-rt-14-dev

build=${PEDESTAL_LINT_BUILD:-$PEDESTAL_ROOT/build-lint}
pedestal_configure "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DPEDESTAL_GUI=ON -DPEDESTAL_BENCH=ON -DPEDESTAL_FUZZ=ON \
    -DPEDESTAL_SANITIZE=OFF >/dev/null
cmake "$build" >/dev/null # picks up new or removed sources
# Qt's moc output and resources are generated headers some sources include.
mapfile -t generated < <(ninja -C "$build" -t targets all | sed -n 's/^\([^:]*_autogen\): .*/\1/p' |
    grep -v '/' || true)
if [ ${#generated[@]} -gt 0 ]; then
    ninja -C "$build" "${generated[@]}" >/dev/null
fi

if [ "$ci" = 1 ]; then
    jobs=$(nproc)
    run=()
else
    jobs=1
    run=(nice -n 10)
fi

# The project's sources with a compile command: nothing generated into a build
# folder, nothing from outside the checkout.
commands="$build/lint_commands/compile_commands.json"
mkdir -p "$(dirname "$commands")"
python3 - "$build/compile_commands.json" "$commands" "$PEDESTAL_ROOT" "${files[@]}" <<'EOF'
import json, os, sys
source, target, root, wanted = sys.argv[1], sys.argv[2], sys.argv[3], set(sys.argv[4:])
entries, seen = [], set()
for entry in json.load(open(source)):
    path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
    rel = os.path.relpath(path, root)
    if rel.startswith("..") or rel.split(os.sep)[0].startswith("build") or path in seen:
        continue
    if wanted and path not in wanted:
        continue
    seen.add(path)
    entry["file"] = path
    entries.append(entry)
json.dump(entries, open(target, "w"), indent=1)
print("\n".join(sorted(e["file"] for e in entries)), file=open(target + ".files", "w"))
EOF
mapfile -t sources <"$commands.files"
if [ ${#sources[@]} -eq 0 ]; then
    echo "lint.sh: no sources to check" >&2
    exit 2
fi
echo "== clang-tidy: ${#sources[@]} files, $jobs job(s)"

dirs='(app|bench|configcontrol|dialog|fuzz|platform|shm|tests|textfunctions|tools)'
tidy_log="$build/clang-tidy.log"
: >"$tidy_log"
tidy_status=0
# tidy CHECKS FILE...: clang-tidy over the files, $jobs at a time; CHECKS is
# added to those of .clang-tidy.
tidy() {
    local checks=$1
    shift
    [ $# -gt 0 ] || return 0
    printf '%s\n' "$@" |
        "${run[@]}" xargs -P "$jobs" -n 1 clang-tidy -p "$(dirname "$commands")" --quiet \
            --warnings-as-errors='*' --header-filter="^$PEDESTAL_ROOT/$dirs/" \
            --checks="$checks" >>"$tidy_log" 2>&1 || tidy_status=1
}
tests=()
others=()
for f in "${sources[@]}"; do
    case "${f#"$PEDESTAL_ROOT"/}" in
        */tests/* | tests/*) tests+=("$f") ;;
        *) others+=("$f") ;;
    esac
done
tidy "" "${others[@]+"${others[@]}"}"
# Tests: no analyzer (most of the time, and GoogleTest/Qt Test macros confuse
# it) and no performance checks (a test's speed is not a product property).
tidy "-clang-analyzer-*,-performance-*" "${tests[@]+"${tests[@]}"}"
# A finding counts when it lies in the project's own files; the analyzer can
# end a path inside a library header (Qt's, the C library's), which is not ours.
finding='^/[^:]*:[0-9]+:[0-9]+: (warning|error): '
ours="^$PEDESTAL_ROOT/$dirs/"
{ grep -E "$finding" "$tidy_log" || true; } | sort -u >"$tidy_log.findings"
{ grep -E "$ours" "$tidy_log.findings" || true; } >"$tidy_log.ours"
cat "$tidy_log.ours"
tidy_findings=$(wc -l <"$tidy_log.ours")
outside=$(($(wc -l <"$tidy_log.findings") - tidy_findings))
if [ "$outside" -gt 0 ]; then
    echo "($outside finding(s) inside library headers not counted)"
fi
if [ "$tidy_status" -ne 0 ] && [ ! -s "$tidy_log.findings" ]; then
    echo "clang-tidy failed without a finding:" >&2
    tail -n 20 "$tidy_log" >&2
    tidy_findings=$((tidy_findings + 1))
fi

echo "== cppcheck"
# Findings tuned out, each with its reason.
cppcheck_suppress=(
    # Purely stylistic: the house style is plain loops and C-style signatures.
    --suppress=useStlAlgorithm --suppress=constVariable --suppress=constParameter
    --suppress=constParameterCallback --suppress=constParameterPointer
    --suppress=constVariablePointer --suppress=constVariableReference --suppress=variableScope
    # Thread-safety portability notes: the program runs on one thread, and the
    # strtok calls are the libc baseline of the tokeniser's benchmark.
    --suppress=strtokCalled --suppress=getpwuidCalled --suppress=getgrgidCalled
    # All-zero bytes are 0.0 in IEEE 754, which the block layout asserts.
    --suppress=memsetClassFloat
    # Members read through map iterators are not seen as used.
    --suppress=unusedStructMember
    # posix.cfg forbids fd -1 for mmap, which MAP_ANONYMOUS requires.
    "--suppress=invalidFunctionArg:$PEDESTAL_ROOT/platform/platform_posix.cpp"
    "--suppress=invalidFunctionArg:$PEDESTAL_ROOT/platform/fault_guard_posix.cpp"
    # The zero pages take the place of the guarded view; they are not owned
    # apart from it, and go when the view is unmapped.
    "--suppress=memleak:$PEDESTAL_ROOT/platform/fault_guard_posix.cpp"
    # Qt's moc output checks for <QObject>, which cppcheck does not open.
    "--suppress=preprocessorErrorDirective:$build/*"
    # The table is filled in the constructor's body through a range-for.
    "--suppress=uninitMemberVar:$PEDESTAL_ROOT/textfunctions/tests/tokenise_test.cpp"
    # The entry written before the test is at most maxWords, inside the
    # table the contract asks for; fuzz_tokenise checks that bound.
    "--suppress=arrayIndexThenCheck:$PEDESTAL_ROOT/textfunctions/tokenise.cpp"
    # cppcheck 2.10 stops on chrono literals in this file's arguments
    # ("5ms": internal error); clang-tidy still reads it.
    "--suppress=cppcheckError:$PEDESTAL_ROOT/input/tests/Devices_test.cpp"
)
mkdir -p "$build/cppcheck"
cppcheck_log="$build/cppcheck.log"
cppcheck_status=0
"${run[@]}" cppcheck --project="$commands" -j "$jobs" --std=c++20 --quiet \
    --enable=warning,style,performance,portability --inline-suppr \
    --library=posix --library=qt --library=googletest \
    --suppress=missingIncludeSystem --suppress=unmatchedSuppression "${cppcheck_suppress[@]}" \
    --cppcheck-build-dir="$build/cppcheck" --error-exitcode=1 \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' \
    -i"$build" 2>"$cppcheck_log" || cppcheck_status=1
cat "$cppcheck_log"
cppcheck_findings=$({ grep -E ': (error|warning|style|performance|portability|information): ' \
    "$cppcheck_log" || true; } | wc -l)

echo
echo "== lint: clang-tidy $tidy_findings finding(s), cppcheck $cppcheck_findings finding(s)"
[ "$tidy_findings" -eq 0 ] && [ "$cppcheck_status" -eq 0 ] && [ "$cppcheck_findings" -eq 0 ]
