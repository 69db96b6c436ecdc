#!/usr/bin/env bash
# Azimora under Wine measuring a real DVB-S/S2 card of this Linux machine
# (or of another one, through dvbv5-daemon): builds the program, dvbcard.dll
# and azimora-dvb, starts azimora-dvb, registers dvbcard.dll in the run
# prefix in place of the simulated card, starts Azimora and stops
# azimora-dvb when Azimora ends. Called by ./run --dvb.
#   run_dvb.sh                    adapter 0, frontend 0
#   run_dvb.sh ADAPTER:FRONTEND   another frontend of this machine
#   run_dvb.sh HOST:PORT          the frontend of the dvbv5-daemon at HOST:PORT
#   AZM_DVB_SIMULATE=FILE         a simulated frontend instead (see docs/linux-cards.md)
#   AZM_DVB_PORT=PORT             where azimora-dvb listens (default 47474)
# What reached the frontend is logged to build/run/frontend.log. Without a
# display it runs under a private Xvfb, measures the keypad's entry, saves a
# screenshot to build/screenshot.png and closes the program.
source "$(dirname "$0")/common.sh"
set +e
source tools/scripts/phone.sh
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
    *) die "usage: ./run --dvb [ADAPTER:FRONTEND | HOST:PORT]" ;;
esac
if [[ -n "${AZM_DVB_SIMULATE:-}" ]]; then
    simulation=$AZM_DVB_SIMULATE
    # A relative name is taken from where ./run was started.
    [[ $simulation == /* ]] || simulation=${AZM_DVB_FROM:-$called_from}/$simulation
    frontend+=(--simulate "$simulation")
fi

# Installed first: what is installed decides which build runs (wine_env.sh).
tools/scripts/ensure_deps.sh build windows curl || exit 1
source tools/scripts/wine_env.sh
tools/scripts/build.sh "win$AZM_WIN_BITS" || die "build failed"
[[ -f build/host/build.ninja ]] || tools/scripts/build.sh host || die "build failed"
ninja -C build/host azimora-dvb azimora-dvb-sim >/dev/null || die "the build of azimora-dvb failed"

say_windows_build
mkdir -p build/run
cp $AZM_WIN/Azimora.exe $AZM_WIN/ReadMe.txt build/run/
build/host/azimora-dvb "${frontend[@]}" --listen "127.0.0.1:$port" --log build/run/frontend.log \
    >build/run/azimora-dvb.out 2>&1 &
helper=$!
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
export AZIMORA_DVB=127.0.0.1:$port

window_wait_ms=20000
register_card() {
    within 60 wine regsvr32 /s $AZM_WIN/dvbcard.dll || die "cannot register dvbcard.dll"
}
stop_helper() {
    kill -TERM "$helper" 2>/dev/null && wait "$helper" 2>/dev/null
}

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
    trap stop_helper EXIT
    prepare_prefix "$root/build/wine-run" keep
    # Wine's desktop process takes the display of the first program started.
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    register_card
    echo "Starting Azimora with the card behind azimora-dvb (close it with Esc)..."
    wine build/run/Azimora.exe &
    program=$!
    within $((window_wait_ms / 1000 + 30)) wine $AZM_WIN/azmctl.exe wait $window_wait_ms >/dev/null && announce_phone
    wait "$program"
    code=$?
    wineserver -w
    echo "Azimora ended with exit code $code"
    exit $code
fi

echo "No display: running under Xvfb, measuring the keypad's entry and taking a screenshot."
wine_session "$root/build/wine-run" keep
trap 'stop_helper; stop_xvfb' EXIT
register_card
wine build/run/Azimora.exe &
program=$!
geometry=$(within $((window_wait_ms / 1000 + 30)) wine $AZM_WIN/azmctl.exe wait $window_wait_ms | tr -d '\r') ||
    die "Azimora's window did not appear within $((window_wait_ms / 1000)) s"
announce_phone
read -r x y w h <<<"$geometry"
wine $AZM_WIN/azmctl.exe text m >/dev/null
wine $AZM_WIN/azmctl.exe key 13 >/dev/null
sleep 3
import -window root -crop "${w}x${h}+${x}+${y}" +repage build/screenshot.png
echo "Screenshot of the window: $root/build/screenshot.png"
wine $AZM_WIN/azmctl.exe close
within 15 tail --pid="$program" -f /dev/null || die "Azimora did not end within 15 s"
wait "$program"
code=$?
echo "Azimora ended with exit code $code"
exit $code
