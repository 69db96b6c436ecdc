#!/usr/bin/env bash
# ./test interrupted: a copy of ./test runs in a checkout of stub stages,
# each run as ./test runs the real one (in the background or not, under
# its time limit's process group or not) but only waiting, with children as
# the real ones have them (an X server beside each Windows part, a server
# that leaves its process group as Wine's does, a browser under its own time
# limit, QEMU beside the kernel stage). Once its stages run it is sent INT
# in its process group, as a terminal's Ctrl-C is, and in a second case TERM
# to the script alone, as `kill` sends it: each time it must end within
# 40 s with 130 or 143 and leave no process of its run behind. Prints a
# FAIL line for each check that fails and "N passed" (cases whose every
# check passed); fails when any check does.
#   tests/scripts/interrupt_test.sh
source "$(dirname "$0")/../../tools/scripts/common.sh"
set +e
work=$(mktemp -d "${TMPDIR:-/tmp}/azimora-interrupt-test.XXXXXX")
# Every process of the stub runs carries this in its environment.
export AZM_STUB_RUN=$work
passed=0
failed=0

# left_behind: the processes of the stub runs still there.
left_behind() {
    local files
    files=$(env -u AZM_STUB_RUN grep -lzxF "AZM_STUB_RUN=$work" /proc/[0-9]*/environ 2>/dev/null)
    files=${files//\/proc\//}
    echo "${files//\/environ/}"
}
cleanup() {
    local pids
    pids=$(left_behind)
    [[ -n $pids ]] && kill -KILL $pids 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# stub PATH LINES...: an executable script of these lines.
stub() {
    local path=$1
    shift
    mkdir -p "$(dirname "$path")"
    printf '#!/usr/bin/env bash\n' >"$path"
    printf '%s\n' "$@" >>"$path"
    chmod +x "$path"
}

# checkout DIR: ./test and its common start-up as they are, every stage a stub.
checkout() {
    local c=$1 waiting='exec sleep 600'
    mkdir -p "$c/tools/scripts" "$c/tests/scripts" "$c/build/host"
    cp test "$c/test"
    cp tools/scripts/common.sh "$c/tools/scripts/"
    printf '%s\n' 'no_32bit_build_reason() { echo "no 32-bit build here"; }' >"$c/tools/scripts/packages.sh"
    printf '%s\n' 'windows32_place() { echo "none no 32-bit build here"; }' \
        'windows32_where() { echo "nowhere"; }' >"$c/tools/scripts/private_root.sh"
    printf '%s\n' 'kernel_abi() { echo stub; }' 'prepare_kernel() { KERNEL_DIR=$AZM_CACHE/kernel; }' \
        >"$c/tools/scripts/kernel_guest.sh"
    stub "$c/tools/scripts/ensure_deps.sh" 'exit 0'
    stub "$c/tools/scripts/build.sh" 'exit 0'
    stub "$c/tools/scripts/waiting" "$waiting"
    stub "$c/tests/scripts/setup_test.sh" 'echo "1 passed"'
    stub "$c/tests/scripts/interrupt_test.sh" 'echo "1 passed"'
    printf '%s\n' 'print("ok    documents: stub")' >"$c/tests/scripts/doc_links_test.py"
    # A Windows part: its X server beside it (ended by its own exit, as
    # wine_session does), Wine's server outside its group, the tests.
    stub "$c/tools/scripts/windows_tests.sh" 'touch "$AZM_STUB_RUN/marks/windows-$1-$3"' \
        'tools/scripts/waiting & xserver=$!' 'trap "kill \$xserver" EXIT' 'setsid tools/scripts/waiting &' \
        'tools/scripts/waiting'
    # The browser tests: not under a time limit themselves, their node under one.
    stub "$c/tools/scripts/browser_tests.sh" 'touch "$AZM_STUB_RUN/marks/browser"' 'tools/scripts/waiting &' \
        'timeout 900 tools/scripts/waiting'
    stub "$c/tools/scripts/kernel_stage.sh" 'tools/scripts/waiting &' 'tools/scripts/waiting'
    stub "$c/build/host/native_tests" 'touch "$AZM_STUB_RUN/marks/native"' 'tools/scripts/waiting'
}

# interrupted NAME SIGNAL TARGET CODE: a stub run sent SIGNAL ("group": to
# its process group, "script": to the script alone) once its stages run.
interrupted() {
    local name=$1 signal=$2 target=$3 code=$4 c=$work/$1 run ok=yes began mark said
    checkout "$c"
    mkdir -p "$work/marks"
    rm -f "$work/marks"/*
    # A process group of its own, as a terminal starts a command, and INT
    # heeded (bash starts a command in the background with INT ignored).
    AZM_CACHE=$c/cache setsid python3 -c 'import os, signal, sys
signal.signal(signal.SIGINT, signal.SIG_DFL)
os.execv(sys.argv[1], sys.argv[1:])' "$c/test" </dev/null >"$work/$name.log" 2>&1 &
    run=$!
    for mark in windows-64-1 windows-64-2 browser native; do
        for _ in $(seq 300); do
            [[ -e $work/marks/$mark ]] && break
            sleep 0.1
        done
        [[ -e $work/marks/$mark ]] || { echo "FAIL: $name: the stage $mark never began"; ok=no; }
    done
    sleep 0.5
    began=$(date +%s)
    if [[ $target == group ]]; then kill -"$signal" -- "-$run"; else kill -"$signal" "$run"; fi
    for _ in $(seq 400); do
        kill -0 "$run" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$run" 2>/dev/null; then
        echo "FAIL: $name: ./test still runs $(($(date +%s) - began)) s after $signal"
        ok=no
        kill -KILL "$run"
    fi
    wait "$run"
    said=$?
    [[ $said -eq $code ]] || { echo "FAIL: $name: ./test ended with $said, not $code"; ok=no; }
    sleep 0.3
    local left
    left=$(left_behind)
    if [[ -n $left ]]; then
        echo "FAIL: $name: processes of the run left behind:"
        ps -o pid=,pgid=,args= -p "$(tr '\n' ',' <<<"$left" | sed 's/,$//')"
        ok=no
    fi
    grep -q "==== $signal: ending every process of this run ====" "$work/$name.log" ||
        { echo "FAIL: $name: ./test did not say it was ending its run"; ok=no; }
    if [[ $ok == yes ]]; then passed=$((passed + 1)); else failed=$((failed + 1)); sed 's/^/    /' "$work/$name.log"; fi
}

interrupted ctrl-c INT group 130
interrupted kill TERM script 143
echo "$passed passed"
[[ $failed -eq 0 ]]
