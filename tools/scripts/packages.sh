# Sourced after common.sh: the one way the scripts install Debian packages,
# and what they know afterwards of the 32-bit Wine.
#   ensure_packages PACKAGE...   as root installs what is missing; otherwise
#                                names it and fails. wine32:i386 among them is
#                                wanted only where 32-bit programs run, and its
#                                failure is not fatal: the 64-bit build runs
#                                instead and apt's reason is kept
#   refresh_package_lists        apt-get update that survives a mirror mid-sync
#   no_32bit_build_reason        prints why the 32-bit build (build/win) cannot
#                                run here; fails when it can
# The groups of packages each script asks for:
#   packages_build    the host build, both cross compilers, libdvbv5
#   packages_windows  Wine, Xvfb and the screenshot tools
#   packages_browser  Chromium, node and curl for the phone page
#   packages_kernel   QEMU and what builds vidtv for the real-kernel stage
#   packages_zip      what ./package needs: the 32-bit cross build and zip
#   packages_private_root  what makes the private root of Debian's main suite
#                     that runs the 32-bit build where 32-bit Wine cannot be
#                     installed (private_root.sh)

# Unversioned names throughout (libclang-rt-dev follows clang), so that the
# next Debian release finds them too.
packages_build=(cmake ninja-build g++ clang libclang-rt-dev googletest libgtest-dev clang-format
                g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libdvbv5-dev dvb-tools)
# wine64 runs the 64-bit build everywhere; wine32:i386 the 32-bit one where
# this machine starts 32-bit programs.
wine32_package=wine32:i386
packages_windows=(wine wine64 "$wine32_package" xvfb x11-utils imagemagick)
# Debian's Chromium, driven by playwright-core from npm (browser_deps.sh);
# node and npm from Debian where the machine has none of its own; curl for
# ./run --phone.
# PyEphem's sun for the pointing's reference test (run with /usr/bin/python3);
# pdftotext (poppler-utils) reads back the report Chromium prints to PDF.
packages_browser=(chromium curl python3-ephem poppler-utils)
command -v npm >/dev/null || packages_browser+=(nodejs npm)
packages_kernel=(qemu-system-x86 busybox-static make gcc binutils xz-utils)
packages_zip=(cmake ninja-build g++-mingw-w64-i686 zip)
packages_private_root=(mmdebstrap)

# apt's reason for the last failed install of 32-bit Wine; its age says when
# to try again: mirrors finish a sync within hours, and each try costs an
# update of every list.
wine32_failure_file=$AZM_CACHE/wine32-not-installed
wine32_retry_minutes=60
apt_update_attempts=3
apt_update_pause_s=10
# Another install or update running on this machine is waited for, not failed.
apt_options=(-o DPkg::Lock::Timeout=600)

# is_installed PACKAGE: dpkg has it installed (not merely known or half-removed).
is_installed() {
    [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) == "install ok installed" ]]
}

# has_i386_packages: whether dpkg holds any package of i386 that is not
# merely known (one left with its configuration files counts: dpkg keeps the
# architecture while one does).
has_i386_packages() {
    dpkg-query -W -f='${Status}\n' '*:i386' 2>/dev/null | grep -qv ' not-installed$'
}

# apt_reason LOG: apt's own words for why it would not install, on one line:
# the unmet dependencies it lists, each with its package, then its errors.
# Where some dependency cannot be had at all, only those: the ones "not going
# to be installed" merely follow from them (the i386 index missing, apt
# lists twenty libraries that follow from one).
apt_reason() {
    local unmet causes
    unmet=$(sed -n '/^The following packages have unmet dependencies:/,/^[^ ]/p' "$1" | awk '
        /^ [^ ]/ { at = index($0, " : "); package = substr($0, 2, at - 2); print package " : " substr($0, at + 3); next }
        /^  +[^ ]/ { sub(/^ +/, ""); print package " : " $0 }')
    causes=$(grep -v 'but it is not going to be installed$' <<<"$unmet" || true)
    {
        if [[ -n $causes ]]; then echo "$causes"; else echo "$unmet"; fi
        sed -n 's/^E: //p' "$1"
    } | sed -E '/^$/d; s/ +/ /g' | paste -sd';' | sed 's/;/; /g'
}

# refresh_package_lists: apt-get update, tried a few times with a pause, since
# a mirror in the middle of a sync serves for a while an index that does not
# match its Release file. Where an index still cannot be fetched it says which
# and goes on: apt keeps the lists it has, and what is to be installed may
# well be in them (the install says so when not).
refresh_package_lists() {
    local log attempt
    log=$(mktemp "${TMPDIR:-/tmp}/azimora-apt.XXXXXX")
    for attempt in $(seq "$apt_update_attempts"); do
        if within 900 apt-get "${apt_options[@]}" -q update >"$log" 2>&1; then
            rm -f "$log"
            return 0
        fi
        ((attempt < apt_update_attempts)) && sleep "$apt_update_pause_s"
    done
    if grep -q '^[EW]: Failed to fetch ' "$log"; then
        echo "apt-get update could not fetch these indexes ($apt_update_attempts tries, ${apt_update_pause_s} s apart):"
        grep '^[EW]: Failed to fetch ' "$log" | sed 's/^[EW]: Failed to fetch /  /'
    else
        echo "apt-get update failed ($apt_update_attempts tries, ${apt_update_pause_s} s apart): $(apt_reason "$log")"
    fi
    echo "Going on with the package lists this machine has."
    rm -f "$log"
}

# run_apt_install LOG PACKAGE...: apt-get install, its output in LOG, never
# removing anything installed (apt would otherwise trade packages for others).
run_apt_install() {
    local log=$1
    shift
    DEBIAN_FRONTEND=noninteractive within 1800 apt-get "${apt_options[@]}" install -y -q \
        --no-install-recommends --no-remove "$@" >"$log" 2>&1
}

# install_or_explain PACKAGE...: installs them all; when apt refuses, names
# each package that cannot be installed with apt's reason (each tried alone,
# as a simulation) and fails.
install_or_explain() {
    local log alone package named=no status=0
    log=$(mktemp "${TMPDIR:-/tmp}/azimora-apt.XXXXXX")
    alone=$(mktemp "${TMPDIR:-/tmp}/azimora-apt.XXXXXX")
    if ! run_apt_install "$log" "$@"; then
        status=1
        for package in "$@"; do
            (($# > 1)) || break
            within 300 apt-get "${apt_options[@]}" -s -q install --no-install-recommends --no-remove "$package" \
                >"$alone" 2>&1 && continue
            echo "$package cannot be installed: $(apt_reason "$alone")" >&2
            named=yes
        done
        [[ $named == yes ]] || echo "$* cannot be installed: $(apt_reason "$log")" >&2
    fi
    rm -f "$log" "$alone"
    return $status
}

# without_i386: takes the architecture i386 back out of dpkg where nothing of
# it is installed, so that one i386 index that cannot be fetched does not
# fail every later apt-get update.
without_i386() {
    if has_i386_packages; then
        echo "The architecture i386 stays in dpkg: packages of it are installed."
    elif dpkg --remove-architecture i386; then
        echo "The architecture i386 is taken back out of dpkg: nothing of it is installed."
    fi
}

# install_32bit_wine: adds i386 to dpkg only now that wine32:i386 is going to
# be installed, with wine and wine64 named too so that apt cannot trade them
# for it. When apt refuses, keeps its reason and gives i386 back.
install_32bit_wine() {
    local log reason
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    echo "Installing the 32-bit Wine ($wine32_package) for the 32-bit build..."
    refresh_package_lists
    log=$(mktemp "${TMPDIR:-/tmp}/azimora-apt.XXXXXX")
    if run_apt_install "$log" wine wine64 "$wine32_package"; then
        rm -f "$log" "$wine32_failure_file"
        return 0
    fi
    reason=$(apt_reason "$log")
    rm -f "$log"
    printf '%s\n' "${reason:-apt-get install failed}" >"$wine32_failure_file"
    echo "32-bit Wine could not be installed on this machine: $(head -1 "$wine32_failure_file")"
    without_i386
    echo "./run shows the 64-bit build (build/win64) instead; ./test, as root, runs the 32-bit build in a private root of Debian's main suite (tools/scripts/private_root.sh)."
}

# wine32_failed_recently: whether the last try to install 32-bit Wine failed
# less than wine32_retry_minutes ago (then it is not tried again yet).
wine32_failed_recently() {
    [[ -s $wine32_failure_file && -n $(find "$wine32_failure_file" -mmin "-$wine32_retry_minutes" 2>/dev/null) ]]
}

# ensure_packages PACKAGE...: see the top of this file. Several scripts of
# this machine may install at once: one does, the others wait for it.
ensure_packages() {
    local missing=() package try_wine32=no
    for package in "$@"; do
        if [[ $package == "$wine32_package" ]]; then
            if ! runs_32bit_programs >/dev/null; then
                continue
            elif is_installed "$package"; then
                rm -f "$wine32_failure_file"
            elif wine32_failed_recently; then
                echo "32-bit Wine could not be installed within the last $wine32_retry_minutes min" \
                     "($(head -1 "$wine32_failure_file")): not tried again yet."
            else
                try_wine32=yes
            fi
        elif ! is_installed "$package"; then
            missing+=("$package")
        fi
    done
    if [[ $(id -u) -ne 0 ]]; then
        name_missing_packages "$try_wine32" ${missing[@]+"${missing[@]}"}
        return
    fi
    [[ ${#missing[@]} -eq 0 && $try_wine32 == no ]] && return 0
    mkdir -p "$AZM_CACHE"
    local lock status=0
    exec {lock}>"$AZM_CACHE/apt.lock"
    flock -w 1800 "$lock" || { echo "another installation on this machine did not end within 30 min" >&2; return 1; }
    if [[ ${#missing[@]} -ne 0 ]]; then
        echo "Installing: ${missing[*]}"
        refresh_package_lists
        install_or_explain "${missing[@]}" || status=1
    fi
    [[ $status -eq 0 && $try_wine32 == yes ]] && install_32bit_wine
    exec {lock}>&-
    return $status
}

# name_missing_packages TRY_WINE32 PACKAGE...: for a user who cannot install,
# the command that would, as root. Fails when anything but the 32-bit Wine is
# missing; without that alone the 64-bit build runs.
name_missing_packages() {
    local try_wine32=$1
    shift
    local all=("$@") add_i386=
    [[ $try_wine32 == yes ]] && all+=("$wine32_package") && add_i386="dpkg --add-architecture i386 && "
    [[ ${#all[@]} -eq 0 ]] && return 0
    if [[ $# -eq 0 ]]; then
        echo "32-bit Wine is not installed: the 64-bit build (build/win64) runs instead. To run the 32-bit build, as root:" >&2
    else
        echo "Missing Debian packages: ${all[*]}" >&2
        echo "Install them as root:" >&2
    fi
    echo "  ${add_i386}apt-get update && apt-get install -y --no-install-recommends ${all[*]}" >&2
    [[ $# -eq 0 ]]
}

# no_32bit_build_reason: why the 32-bit build cannot run on this machine, on
# one line; fails when it can run (32-bit programs start and 32-bit Wine is
# installed).
no_32bit_build_reason() {
    if ! runs_32bit_programs >/dev/null; then
        echo "32-bit programs cannot run on this machine"
    elif is_installed "$wine32_package"; then
        return 1
    elif [[ -s $wine32_failure_file ]]; then
        echo "32-bit Wine could not be installed on this machine: $(head -1 "$wine32_failure_file")"
    else
        echo "32-bit Wine ($wine32_package) is not installed on this machine"
    fi
}
