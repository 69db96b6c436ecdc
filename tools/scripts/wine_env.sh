# Sourced by the scripts that run the program: a Wine prefix made by the
# scripts themselves, created once and reused, and the Windows build it runs.
# Two builds of the same sources: build/win (32-bit, what ships) under 32-bit
# Wine, and build/win64 (64-bit) under 64-bit Wine, for machines that cannot
# start 32-bit programs or where 32-bit Wine could not be installed. Sourcing
# selects the 32-bit build where it can run, else the 64-bit one;
# use_windows_build changes that.
#   AZM_WIN        the selected build's folder (build/win or build/win64)
#   AZM_WIN_BITS   32 or 64
#   AZM_WINE_BASE  the prefix as wineboot made it (kept between runs)
#   prepare_prefix DIR  a private copy of it for one run (DIR, or DIR64 for
#                  the 64-bit build), made fresh if asked
source "$root/tools/scripts/packages.sh"
export WINEDEBUG=${WINEDEBUG:--all}
azm_path_without_wrappers=$PATH

# azm_write_wrapper FILE PROGRAM: a script that runs PROGRAM. Every checkout
# of this machine shares the wrappers, and another run may be starting one
# right now: a wrapper is only ever replaced whole (an emptied one would run
# as a script that does nothing and succeeds).
azm_write_wrapper() {
    local text
    text=$(printf '#!/bin/sh\nexec %s "$@"' "$2")
    [[ -x $1 && $(<"$1") == "$text" ]] && return
    printf '%s\n' "$text" >"$1.$$" && chmod +x "$1.$$" && mv -f "$1.$$" "$1"
}

# use_windows_build 32|64: selects a build and the Wine that runs it.
# /usr/bin/wine and every helper script (regsvr32, winepath, wineboot, all
# through wine-stable) start the 32-bit loader whenever it is installed, so
# for the 64-bit build small wrappers first in PATH, and WINELOADER and
# WINESERVER, lead every path to wine64 and wineserver64.
use_windows_build() {
    AZM_WIN_BITS=$1
    if [[ $AZM_WIN_BITS == 32 ]]; then
        AZM_WIN=build/win
        export WINEARCH=win32
        AZM_WINE_BASE=$AZM_CACHE/wine-base
        AZM_PREFIX_SUFFIX=
        export PATH=$azm_path_without_wrappers
        unset WINELOADER WINESERVER
    else
        AZM_WIN=build/win64
        export WINEARCH=win64
        AZM_WINE_BASE=$AZM_CACHE/wine-base-win64
        AZM_PREFIX_SUFFIX=64
        local wrappers=$AZM_CACHE/wine64-bin name
        mkdir -p "$wrappers"
        for name in wine wine64 wine-stable wine64-stable; do
            azm_write_wrapper "$wrappers/$name" /usr/lib/wine/wine64
        done
        for name in wineserver wineserver-stable; do
            azm_write_wrapper "$wrappers/$name" /usr/lib/wine/wineserver64
        done
        export PATH=$wrappers:$azm_path_without_wrappers
        export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    fi
}

# say_windows_build: which build a script is about to show, and why.
say_windows_build() {
    if [[ $AZM_WIN_BITS == 32 ]]; then
        echo "Running the 32-bit build ($AZM_WIN), the one that ships."
    else
        local why
        why=$(no_32bit_build_reason) || why="as asked"
        echo "Running the 64-bit build ($AZM_WIN) under 64-bit Wine: ${why%.}."
    fi
}

# The build this machine shows: 32-bit where it starts 32-bit programs and
# 32-bit Wine is installed (tools/scripts/packages.sh says why not).
runs_32bit_programs || true
if no_32bit_build_reason >/dev/null; then use_windows_build 64; else use_windows_build 32; fi

# Bumped whenever the set-up below changes, so that older prefixes are redone.
AZM_PREFIX_VERSION=2

# make_base_prefix: the base prefix, made once. Runs side by side (the
# Windows tests' parts, the browser tests) may all find it missing on a
# first run: one makes it while the others wait, rather than each deleting
# what another is making.
make_base_prefix() {
    mkdir -p "$AZM_CACHE"
    (
        flock -w 900 9 || { echo "the Wine prefix in $AZM_WINE_BASE was not made within 900 s" >&2; exit 1; }
        make_base_prefix_alone
    ) 9>"$AZM_WINE_BASE.lock"
}

make_base_prefix_alone() {
    [[ -f "$AZM_WINE_BASE/system.reg" && "$(cat "$AZM_WINE_BASE/.azimora-version" 2>/dev/null)" == "$AZM_PREFIX_VERSION" ]] && return 0
    echo "Creating the Wine prefix (once) in $AZM_WINE_BASE ..."
    rm -rf "$AZM_WINE_BASE"
    WINEPREFIX=$AZM_WINE_BASE WINEDLLOVERRIDES="mscoree=;mshtml=" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX=$AZM_WINE_BASE wineserver -w
    # A crash must end the process, not wait for a debugger nobody sees.
    WINEPREFIX=$AZM_WINE_BASE wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 1 /f >/dev/null 2>&1
    WINEPREFIX=$AZM_WINE_BASE wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f >/dev/null 2>&1
    WINEPREFIX=$AZM_WINE_BASE wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Text files open in Notepad, as on Windows (this Wine maps only .ini).
    WINEPREFIX=$AZM_WINE_BASE wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
    WINEPREFIX=$AZM_WINE_BASE wineserver -w
    [[ -f "$AZM_WINE_BASE/system.reg" ]] || { echo "wineboot did not create the prefix" >&2; return 1; }
    echo "$AZM_PREFIX_VERSION" > "$AZM_WINE_BASE/.azimora-version"
}

# prepare_prefix DIR fresh|keep: DIR for the 32-bit build, DIR64 for the 64-bit one
prepare_prefix() {
    local dir=$1$AZM_PREFIX_SUFFIX mode=$2
    make_base_prefix
    if [[ $mode == fresh || ! -f "$dir/system.reg" ]]; then
        WINEPREFIX=$dir wineserver -k 2>/dev/null || true
        rm -rf "$dir"
        mkdir -p "$(dirname "$dir")"
        cp -a "$AZM_WINE_BASE" "$dir"
    fi
    # A prefix's Documents, Desktop and the like lead to $HOME: each run keeps
    # its own instead, so that the record of measurements (Documents\Azimora)
    # stays in the prefix and runs never share one.
    local folder
    for folder in "$dir"/drive_c/users/*/*; do
        if [[ -L $folder ]]; then rm -f "$folder" && mkdir -p "$folder"; fi
    done
    export WINEPREFIX=$dir
}

# Without a window manager (a private Xvfb), windows that Wine leaves to the
# manager make every program wait about two seconds when it closes them;
# Wine then manages them itself. Not for a real desktop, whose manager
# should keep handling the focus.
unmanaged_windows() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# start_xvfb: starts a private X server and exports DISPLAY; stop_xvfb ends
# it. The server takes the first display that is free on this machine,
# passing over those whose lock file it sees and those whose socket another
# server holds: a private root, whose /tmp is its own, sees the host's
# displays by their sockets all the same. Fails, saying why, when the
# server does not come up.
start_xvfb() {
    local chosen log
    chosen=$(mktemp "${TMPDIR:-/tmp}/azimora-xvfb.XXXXXX")
    log=$chosen.log
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$chosen" >"$log" 2>&1 &
    AZM_XVFB_PID=$!
    # The number is written once the server listens.
    for _ in $(seq 100); do
        [[ -s $chosen ]] && break
        kill -0 "$AZM_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    export DISPLAY=":$(tr -dc 0-9 <"$chosen")"
    rm -f "$chosen"
    if [[ $DISPLAY != ":" ]] && xdpyinfo >/dev/null 2>&1; then
        rm -f "$log"
        return 0
    fi
    echo "Xvfb did not start (display $DISPLAY):" >&2
    tail -5 "$log" >&2
    rm -f "$log"
    kill "$AZM_XVFB_PID" 2>/dev/null
    AZM_XVFB_PID=
    return 1
}

# wine_session DIR fresh|keep: a prefix of its own in DIR, a private X server
# and Wine managing its own windows, all ended when the script exits.
wine_session() {
    prepare_prefix "$1" "$2"
    start_xvfb || exit 1
    trap stop_xvfb EXIT
    unmanaged_windows
}

stop_xvfb() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [[ -n "${AZM_XVFB_PID:-}" ]]; then
        kill "$AZM_XVFB_PID" 2>/dev/null || true
        wait "$AZM_XVFB_PID" 2>/dev/null || true
    fi
    AZM_XVFB_PID=
}
