# Sourced by the scripts that run the program: a 32-bit Wine prefix made by
# the scripts themselves, created once and reused.
#   AZM_WINE_BASE  the prefix as wineboot made it (kept between runs)
#   prepare_prefix DIR  a private copy of it for one run, made fresh if asked
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
AZM_CACHE=${AZM_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/azimora}
AZM_WINE_BASE=$AZM_CACHE/wine-base

# Bumped whenever the set-up below changes, so that older prefixes are redone.
AZM_PREFIX_VERSION=2

make_base_prefix() {
    [[ -f "$AZM_WINE_BASE/system.reg" && "$(cat "$AZM_WINE_BASE/.azimora-version" 2>/dev/null)" == "$AZM_PREFIX_VERSION" ]] && return 0
    echo "Creating the Wine prefix (once) in $AZM_WINE_BASE ..."
    rm -rf "$AZM_WINE_BASE"
    mkdir -p "$AZM_CACHE"
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

# prepare_prefix DIR fresh|keep
prepare_prefix() {
    local dir=$1 mode=$2
    make_base_prefix
    if [[ $mode == fresh || ! -f "$dir/system.reg" ]]; then
        WINEPREFIX=$dir wineserver -k 2>/dev/null || true
        rm -rf "$dir"
        mkdir -p "$(dirname "$dir")"
        cp -a "$AZM_WINE_BASE" "$dir"
    fi
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
# it. Fails, saying why, when the server does not come up.
start_xvfb() {
    local n=90
    while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
    local log=${TMPDIR:-/tmp}/azimora-xvfb-$n.log
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$log" 2>&1 &
    AZM_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        kill -0 "$AZM_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb did not start on display :$n:" >&2
    tail -5 "$log" >&2
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
