# The one start-up of every script of the project, sourced first:
#   source "$(dirname "$0")/tools/scripts/common.sh"   (or its path from the script)
# Strict mode, the project's root as the current directory ($root), and the
# helpers every script shares. Scripts that gather failures instead of
# stopping at the first say `set +e` after it.
set -euo pipefail
called_from=$PWD  # for file names given on the command line
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
script=$(basename "$0")
# What is kept between runs, shared by every checkout: Wine prefixes, the
# guest kernel and its modules.
AZM_CACHE=${AZM_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/azimora}

# die MESSAGE...: says what went wrong, in the script's own name, and fails.
die() {
    echo "$script: $*" >&2
    exit 1
}

# within SECONDS COMMAND...: runs the command, ending it (exit code 124) if it
# has not finished in time, so that no script ever waits for ever.
within() {
    local seconds=$1
    shift
    timeout --kill-after=10 "$seconds" "$@"
}

# runs_32bit_programs: whether this machine's kernel starts 32-bit x86
# programs (some run 64-bit programs only, and every 32-bit program then
# fails with "Exec format error"). Asked once by starting a 93-byte i386
# program that exits with 42; the answer is kept in AZM_RUNS_32BIT for the
# scripts this one starts, and said when first found.
runs_32bit_programs() {
    if [[ -z "${AZM_RUNS_32BIT:-}" ]]; then
        local probe
        probe=$(mktemp "${TMPDIR:-/tmp}/azimora-i386.XXXXXX")
        # ELF header, one loadable segment, then: xor ebx,ebx; mov bl,42;
        # xor eax,eax; inc eax; int 0x80 (exit 42).
        {
            printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'
            printf '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00'
            printf '\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
            printf '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
            printf '\x31\xdb\xb3\x2a\x31\xc0\x40\xcd\x80'
        } >"$probe"
        chmod +x "$probe"
        local code=0
        "$probe" 2>/dev/null || code=$?
        rm -f "$probe"
        if [[ $code -eq 42 ]]; then
            AZM_RUNS_32BIT=yes
            echo "This machine runs 32-bit programs: the 32-bit build (build/win) and the 64-bit build (build/win64) can both be run."
        else
            AZM_RUNS_32BIT=no
            echo "32-bit programs cannot run on this machine (a 32-bit test program ended with code $code): the 64-bit build (build/win64) is run under 64-bit Wine."
        fi
        export AZM_RUNS_32BIT
    fi
    [[ $AZM_RUNS_32BIT == yes ]]
}

# free_port: a port of 127.0.0.1 that nothing listens on now, from a wide
# range, so that runs side by side (other checkouts' too) do not meet.
free_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 30000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || {
            echo "$port"
            return 0
        }
    done
    return 1
}
