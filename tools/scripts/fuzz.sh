#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time on a copy of its seed corpus.
#   fuzz.sh [--runs N] SECONDS [TARGET ...]
# Each target runs for SECONDS, or until N executions when --runs is given
# (the long run: fuzz.sh --runs 10000000 1800). Targets default to every
# build/host/*_fuzz. Prints "fuzz ok NAME RUNS runs", "fuzz FAILED NAME" or
# "fuzz HUNG NAME"; any finding or hang fails. A target's own libFuzzer
# options, if it needs any, stand in tests/fuzz/NAME.flags.
source "$(dirname "$0")/common.sh"
set +e
runs=()
if [[ ${1:-} == --runs ]]; then
    runs=(-runs="$2")
    shift 2
fi
seconds=${1:-10}
shift || true
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    for t in build/host/*_fuzz; do [[ -x $t ]] && targets+=("$(basename "$t" _fuzz)"); done
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
total=0
for name in "${targets[@]}"; do
    corpus=$work/$name
    mkdir -p "$corpus" "$work/artifacts-$name"
    [[ -d tests/fuzz/corpus/$name ]] && cp -r tests/fuzz/corpus/"$name"/. "$corpus"/
    log=$work/$name.log
    flags=()
    [[ -f tests/fuzz/$name.flags ]] && read -r -a flags < tests/fuzz/$name.flags
    # libFuzzer bounds itself; the outer limit catches a fuzzer that does not.
    within $((seconds * 2 + 60)) build/host/${name}_fuzz -max_total_time="$seconds" "${runs[@]}" "${flags[@]}" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/artifacts-$name/" "$corpus" >"$log" 2>&1
    code=$?
    if [[ $code -eq 0 ]]; then
        count=$(grep -oE 'Done [0-9]+ runs' "$log" | grep -oE '[0-9]+' | tail -1)
        total=$((total + ${count:-0}))
        echo "fuzz ok $name ${count:-?} runs in $(grep -oE 'in [0-9]+ second' "$log" | grep -oE '[0-9]+' | tail -1) s"
        continue
    fi
    status=1
    if [[ $code -eq 124 || $code -eq 137 ]]; then
        echo "fuzz HUNG $name (no end within $((seconds * 2 + 60)) s)"
    else
        echo "fuzz FAILED $name"
    fi
    tail -40 "$log"
    mkdir -p build/fuzz-findings
    cp -r "$work/artifacts-$name" build/fuzz-findings/ 2>/dev/null
done
echo "fuzz total $total runs"
exit $status
