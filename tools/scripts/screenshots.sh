#!/usr/bin/env bash
# Takes the screenshots of the program's main states for the README
# (docs/screenshot-*.png), driving it under Xvfb with the simulated card,
# of the practice dish's window (docs/screenshot-dish.png) and of the Phone
# window of the phone page (docs/screenshot-phone-window.png; the page itself,
# docs/screenshot-phone.png, comes from AZM_SHOTS=1 tools/scripts/browser_tests.sh).
#   tools/scripts/screenshots.sh [all|dish|phone]
source "$(dirname "$0")/common.sh"
what=${1:-all}
source tools/scripts/wine_env.sh
tools/scripts/build.sh "win$AZM_WIN_BITS" >/dev/null
wine_session "$root/build/wine-shots" keep
wine regsvr32 /s $AZM_WIN/simcard.dll

work=$root/build/shots
rm -rf "$work" && mkdir -p "$work"
cp $AZM_WIN/Azimora.exe $AZM_WIN/ReadMe.txt "$work/"
ctl() { wine $AZM_WIN/azmctl.exe "$@" >/dev/null; }
geometry=""
shot() {  # shot NAME: the window as it is now
    sleep 1.2
    read -r x y w h <<<"$geometry"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "docs/screenshot-$1.png"
    echo "docs/screenshot-$1.png"
}
run() {  # run SCENARIO: a fresh program with the card following SCENARIO
    printf '%b' "$1" > "$work/scenario.txt"
    SIMCARD_SCENARIO="$(winepath -w "$work/scenario.txt")" wine "$work/Azimora.exe" &
    program=$!
    geometry=$(wine $AZM_WIN/azmctl.exe wait | tr -d '\r')
}
finish() { ctl close; wait "$program" || true; }

if [[ $what == all || $what == phone ]]; then
# The Phone window, as a person sees it who asked for the page on port 8474.
AZIMORA_PHONE=8474 run 'window\naim 13.0e\n'
ctl select 53 && ctl key 13
geometry=$(wine $AZM_WIN/azmctl.exe phonewait | tr -d '\r')
shot phone-window
finish
[[ $what == phone ]] && exit 0
fi

if [[ $what == all ]]; then
run 'signal 0 lock 67 11.4\n'
ctl select 53
shot setup-list
ctl text m
shot setup-keypad
ctl key 13
shot measuring

finish

run 'signal 0 lock 67 11.4\n'
ctl text m && ctl key 13
ctl dblclick 200 60
shot measuring-big
finish

run 'signal 0 nolock\n'
ctl text m && ctl key 13
ctl click 73 174   # the faster pace
shot no-signal
finish
fi

# The practice dish: tuned to HotBird a few degrees off, then steered onto
# it with the arrow keys until the card locks.
run 'window\npoint 205.6 21.3 16\n'
dish=$(wine $AZM_WIN/azmctl.exe dishwait | tr -d '\r')
ctl select 53 && ctl key 13
sleep 4
ctl dishkey 39 34  # right, 3.4 degrees
ctl dishkey 38 15  # up, 1.5 degrees
sleep 4
geometry=$dish
shot dish
finish
