#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time on a copy of its seed corpus.
#   fuzz.sh SECONDS [TARGET ...]   (targets default to every build/host/*_fuzz)
# Prints "fuzz ok NAME RUNS" or "fuzz FAILED NAME"; any finding fails.
set -uo pipefail
cd "$(dirname "$0")/../.."
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
    if build/host/${name}_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts-$name/" "$corpus" >"$log" 2>&1; then
        runs=$(grep -oE 'Done [0-9]+ runs' "$log" | grep -oE '[0-9]+' | tail -1)
        total=$((total + ${runs:-0}))
        echo "fuzz ok $name ${runs:-?} runs"
    else
        status=1
        echo "fuzz FAILED $name"
        tail -40 "$log"
        mkdir -p build/fuzz-findings
        cp -r "$work/artifacts-$name" build/fuzz-findings/ 2>/dev/null
    fi
done
echo "fuzz total $total runs"
exit $status
