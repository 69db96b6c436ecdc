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
