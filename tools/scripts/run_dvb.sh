#!/usr/bin/env bash
# Azimora under Wine measuring a real DVB-S/S2 card of this Linux machine
# (or of another one, through dvbv5-daemon): builds the program, dvbcard.dll
# and azimora-dvb, starts azimora-dvb, registers dvbcard.dll in the run
# prefix in place of the simulated card, starts Azimora and stops
# azimora-dvb when Azimora ends. Called by ./run --dvb.
#   run_dvb.sh                    adapter 0, frontend 0
#   run_dvb.sh ADAPTER:FRONTEND   another frontend of this machine
#   run_dvb.sh HOST:PORT          the frontend of the dvbv5-daemon at HOST:PORT
#   AZM_DVB_SIMULATE=FILE         a simulated frontend instead (see README)
#   AZM_DVB_PORT=PORT             where azimora-dvb listens (default 47474)
# What reached the frontend is logged to build/run/frontend.log.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
port=${AZM_DVB_PORT:-47474}

frontend=()
case "${1:-}" in
    "") ;;
    *:*)
        if [[ ${1%%:*} =~ ^[0-9]+$ ]]; then
            frontend=(--adapter "${1%%:*}" --frontend "${1#*:}")
        else
            frontend=(--server "$1")
        fi
        ;;
    *)
        echo "usage: ./run --dvb [ADAPTER:FRONTEND | HOST:PORT]" >&2
        exit 2
        ;;
esac
[[ -n "${AZM_DVB_SIMULATE:-}" ]] && frontend+=(--simulate "$AZM_DVB_SIMULATE")

tools/scripts/ensure_deps.sh || exit 1
tools/scripts/build.sh win || { echo "build failed" >&2; exit 1; }
[[ -f build/host/build.ninja ]] || tools/scripts/build.sh host || { echo "build failed" >&2; exit 1; }
ninja -C build/host azimora-dvb azimora-dvb-sim >/dev/null || { echo "build of azimora-dvb failed" >&2; exit 1; }

mkdir -p build/run
cp build/win/Azimora.exe build/win/ReadMe.txt build/run/
build/host/azimora-dvb "${frontend[@]}" --listen "127.0.0.1:$port" --log build/run/frontend.log \
    > build/run/azimora-dvb.out 2>&1 &
helper=$!
stop_helper() {
    kill -TERM "$helper" 2>/dev/null && wait "$helper" 2>/dev/null
}
trap stop_helper EXIT
for _ in $(seq 100); do
    grep -q '^azimora-dvb: serving' build/run/azimora-dvb.out && break
    if ! kill -0 "$helper" 2>/dev/null; then
        wait "$helper"
        code=$?
        cat build/run/azimora-dvb.out >&2
        exit "$code"
    fi
    sleep 0.1
done
cat build/run/azimora-dvb.out

source tools/scripts/wine_env.sh
prepare_prefix "$root/build/wine-run" keep
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
export AZIMORA_DVB=127.0.0.1:$port

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
    wine regsvr32 /s build/win/dvbcard.dll || { echo "cannot register dvbcard.dll" >&2; exit 1; }
    echo "Starting Azimora with the card behind azimora-dvb (close it with Esc)..."
    wine build/run/Azimora.exe
    code=$?
    wineserver -w
    echo "Azimora ended with exit code $code"
    exit $code
fi

echo "No display: running under Xvfb, measuring the keypad's entry and taking a screenshot."
start_xvfb
unmanaged_windows
wine regsvr32 /s build/win/dvbcard.dll || { echo "cannot register dvbcard.dll" >&2; stop_xvfb; exit 1; }
wine build/run/Azimora.exe &
program=$!
if geometry=$(wine build/win/azmctl.exe wait 20000 | tr -d '\r'); then
    read -r x y w h <<<"$geometry"
    wine build/win/azmctl.exe text m >/dev/null
    wine build/win/azmctl.exe key 13 >/dev/null
    sleep 3
    import -window root -crop "${w}x${h}+${x}+${y}" +repage build/screenshot.png
    echo "Screenshot of the window: $root/build/screenshot.png"
    wine build/win/azmctl.exe close
fi
wait $program
code=$?
stop_xvfb
echo "Azimora ended with exit code $code"
exit $code
