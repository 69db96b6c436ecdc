#!/usr/bin/env bash
# The scripts' installation of Debian packages (tools/scripts/packages.sh,
# through ensure_deps.sh and ./package) against the stubs in stubs/ first on
# PATH: apt-get, dpkg, dpkg-query, id, sleep and mmdebstrap answer from a
# state folder of each case, so that nothing of the real system is read or
# changed. Where the 32-bit build runs, the summary's words for it, and the
# making of the private root (tools/scripts/private_root.sh) are checked
# there too. Prints a FAIL line for each check that fails and "N passed"
# (cases whose every check passed); fails when any check does.
#   tests/scripts/setup_test.sh
source "$(dirname "$0")/../../tools/scripts/common.sh"
set +e
stubs=$root/tests/scripts/stubs
work=$(mktemp -d "${TMPDIR:-/tmp}/azimora-setup-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
case_name=
case_ok=yes

# The amd64 packages ./test needs, installed on a machine ready but for what
# a case takes away.
source tools/scripts/packages.sh
everything=("${packages_build[@]}" "${packages_windows[@]/$wine32_package/}" "${packages_browser[@]}")
# What apt said for wine32:i386 while the security suite's i386 index was
# mid-sync (shortened: it listed twenty libraries that follow from the one
# that cannot be had).
wine32_unmet=' libcurl4:i386 : Depends: libbrotli1:i386 (>= 0.6.0) but it is not going to be installed
                 Depends: libssh2-1:i386 (>= 1.7.0) but it is not going to be installed
 libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not installable
 libxml2:i386 : Depends: liblzma5:i386 (>= 5.1.1alpha+20120614) but it is not going to be installed
                Depends: zlib1g:i386 (>= 1:1.2.3.3) but it is not going to be installed'
wine32_reason='libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not installable; Unable to correct problems, you have held broken packages.'

# begin NAME: a new case with a machine that has everything but 32-bit Wine,
# runs 32-bit programs and has only amd64 in dpkg.
begin() {
    finish
    case_name=$1
    case_ok=yes
    state=$work/$passed-$failed-${1// /-}
    export AZM_STUB_STATE=$state/apt AZM_CACHE=$state/cache AZM_RUNS_32BIT=yes
    mkdir -p "$AZM_STUB_STATE/broken" "$AZM_CACHE"
    printf '%s\n' "${everything[@]}" | grep . >"$AZM_STUB_STATE/installed"
    : >"$AZM_STUB_STATE/arches"
    : >"$AZM_STUB_STATE/calls"
}

# finish: counts the case that ran last.
finish() {
    [[ -n $case_name ]] || return 0
    if [[ $case_ok == yes ]]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
    case_name=
}

# check WHAT COMMAND...: one check of the case; a failure names it.
check() {
    local what=$1 said
    shift
    if ! said=$("$@" 2>&1); then
        echo "FAIL: $case_name: $what"
        [[ -z $said ]] || echo "$said"
        case_ok=no
    fi
}

# uninstall PACKAGE...: takes them off the stub machine.
uninstall() {
    local package
    for package in "$@"; do
        grep -vxF "$package" "$AZM_STUB_STATE/installed" >"$AZM_STUB_STATE/installed.new"
        mv "$AZM_STUB_STATE/installed.new" "$AZM_STUB_STATE/installed"
    done
}

# run COMMAND...: a project script on the stub machine; its output in $out,
# its exit code in $code.
run() {
    out=$(PATH=$stubs:$PATH "$@" 2>&1)
    code=$?
}

# selection: which Windows build the scripts choose after that, and what they
# say of it, on the stub machine.
selection() {
    PATH=$stubs:$PATH bash -c 'source tools/scripts/common.sh
        source tools/scripts/wine_env.sh >/dev/null
        echo "$AZM_WIN_BITS"
        say_windows_build
        no_32bit_build_reason' 2>&1
}

has() { grep -qF -- "$2" <<<"$1"; }
has_line() { grep -qxF -- "$2" <<<"$1" || { echo "  got:  $1" && false; }; }
lacks() { ! grep -qF -- "$2" <<<"$1"; }
is_installed_here() { grep -qxF "$1" "$AZM_STUB_STATE/installed"; }
calls() { cat "$AZM_STUB_STATE/calls"; }
count() { grep -c -- "$2" <<<"$1"; }
equals() { [[ $1 == "$2" ]] || { echo "  got:  $1" && echo "  want: $2" && false; }; }
installs_never_remove() { ! grep '^apt-get .* install ' "$AZM_STUB_STATE/calls" | grep -qv -- '--no-remove'; }

begin "mirror mid-sync: every update fails on one index, the install goes on with the lists"
uninstall xvfb imagemagick
echo "amd64" >"$AZM_STUB_STATE/unfetchable"
AZM_RUNS_32BIT=no run tools/scripts/ensure_deps.sh windows
check "succeeds (exit $code)" test "$code" -eq 0
check "names the index it could not fetch" has "$out" \
    "http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-amd64/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
check "says it goes on" has "$out" "Going on with the package lists this machine has."
check "tries the update 3 times" test "$(count "$(calls)" '^apt-get .* update')" -eq 3
check "pauses between the tries" test "$(count "$(calls)" '^sleep ')" -eq 2
check "installs what was missing" is_installed_here xvfb
check "installs what was missing" is_installed_here imagemagick

begin "mirror mid-sync once: the second update succeeds and nothing is said of it"
uninstall xvfb
echo "amd64 1" >"$AZM_STUB_STATE/unfetchable"
AZM_RUNS_32BIT=no run tools/scripts/ensure_deps.sh windows
check "succeeds (exit $code)" test "$code" -eq 0
check "updates twice" test "$(count "$(calls)" '^apt-get .* update')" -eq 2
check "says nothing of an index" lacks "$out" "could not fetch"
check "installs what was missing" is_installed_here xvfb

begin "32-bit Wine cannot be installed: not fatal, the reason kept, i386 taken back out"
echo "i386" >"$AZM_STUB_STATE/unfetchable"
echo "$wine32_unmet" >"$AZM_STUB_STATE/broken/wine32:i386"
run tools/scripts/ensure_deps.sh windows
check "succeeds (exit $code)" test "$code" -eq 0
check "adds i386 before installing" has "$(calls)" "dpkg --add-architecture i386"
check "names the i386 index it could not fetch" has "$out" "binary-i386/Packages.xz  File has unexpected size"
check "says apt's reason" has "$out" "32-bit Wine could not be installed on this machine: $wine32_reason"
check "keeps the reason" equals "$(cat "$AZM_CACHE/wine32-not-installed")" "$wine32_reason"
check "takes i386 back out" has "$(calls)" "dpkg --remove-architecture i386"
check "leaves no foreign architecture" test ! -s "$AZM_STUB_STATE/arches"
check "keeps wine64" is_installed_here wine64
check "never lets apt remove a package" installs_never_remove
chosen=$(selection)
check "selects the 64-bit build" equals "$(head -1 <<<"$chosen")" 64
check "./run says why" has_line "$chosen" \
    "Running the 64-bit build (build/win64) under 64-bit Wine: 32-bit Wine could not be installed on this machine: $wine32_reason"
check "the summary's reason" equals "$(tail -1 <<<"$chosen")" "32-bit Wine could not be installed on this machine: $wine32_reason"

# The same machine, a later run: not tried again yet, the reason still said.
: >"$AZM_STUB_STATE/calls"
run tools/scripts/ensure_deps.sh windows
check "a later run succeeds (exit $code)" test "$code" -eq 0
check "a later run leaves apt and dpkg alone" equals "$(calls)" ""
check "a later run says why" has "$out" "($wine32_reason): not tried again yet"
check "a later run still selects the 64-bit build" equals "$(selection | head -1)" 64

# An hour later, the mirror synced: installed, and the 32-bit build is back.
touch -d '2 hours ago' "$AZM_CACHE/wine32-not-installed"
rm "$AZM_STUB_STATE/unfetchable" "$AZM_STUB_STATE/broken/wine32:i386"
run tools/scripts/ensure_deps.sh windows
check "the retry succeeds (exit $code)" test "$code" -eq 0
check "the retry installs 32-bit Wine" is_installed_here wine32:i386
check "the retry forgets the reason" test ! -e "$AZM_CACHE/wine32-not-installed"
check "keeps i386 for the installed 32-bit Wine" equals "$(cat "$AZM_STUB_STATE/arches")" i386
chosen=$(selection)
check "then selects the 32-bit build" equals "$(head -1 <<<"$chosen")" 32
check "then shows the 32-bit build" has_line "$chosen" "Running the 32-bit build (build/win), the one that ships."

begin "32-bit Wine cannot be installed beside other i386 packages: i386 stays"
echo "i386" >"$AZM_STUB_STATE/arches"
echo "libc6:i386" >>"$AZM_STUB_STATE/installed"
echo "$wine32_unmet" >"$AZM_STUB_STATE/broken/wine32:i386"
run tools/scripts/ensure_deps.sh windows
check "succeeds (exit $code)" test "$code" -eq 0
check "keeps the reason" test -s "$AZM_CACHE/wine32-not-installed"
check "leaves i386 in dpkg" equals "$(cat "$AZM_STUB_STATE/arches")" i386
check "says why" has "$out" "The architecture i386 stays in dpkg: packages of it are installed."

begin "32-bit Wine installed: nothing asked of apt, the 32-bit build as before"
echo "i386" >"$AZM_STUB_STATE/arches"
echo "wine32:i386" >>"$AZM_STUB_STATE/installed"
echo "an old reason" >"$AZM_CACHE/wine32-not-installed"
run tools/scripts/ensure_deps.sh windows
check "succeeds (exit $code)" test "$code" -eq 0
check "asks nothing of apt or dpkg" equals "$(calls)" ""
check "forgets an old reason" test ! -e "$AZM_CACHE/wine32-not-installed"
check "selects the 32-bit build" equals "$(selection | head -1)" 32

begin "a needed package cannot be installed: fails naming it and apt's reason"
uninstall libdvbv5-dev dvb-tools xvfb
echo ' libdvbv5-dev : Depends: libdvbv5-0 (= 1.22.1-5+b1) but 1.22.1-5 is to be installed' \
    >"$AZM_STUB_STATE/broken/libdvbv5-dev"
run tools/scripts/ensure_deps.sh build windows
check "fails (exit $code)" test "$code" -ne 0
check "names the package and apt's reason" has "$out" \
    "libdvbv5-dev cannot be installed: libdvbv5-dev : Depends: libdvbv5-0 (= 1.22.1-5+b1) but 1.22.1-5 is to be installed; Unable to correct problems, you have held broken packages."
check "names no package that could be installed" lacks "$out" "dvb-tools cannot be installed"
check "does not go on to 32-bit Wine" lacks "$(calls)" "--add-architecture"

begin "a package the lists do not have: fails naming it"
uninstall chromium
echo chromium >"$AZM_STUB_STATE/unknown"
run tools/scripts/ensure_deps.sh browser
check "fails (exit $code)" test "$code" -ne 0
check "names it and apt's words" has "$out" "chromium cannot be installed: Unable to locate package chromium"

begin "not root: names what to install, with i386, and fails"
touch "$AZM_STUB_STATE/user"
uninstall xvfb
run tools/scripts/ensure_deps.sh windows
check "fails (exit $code)" test "$code" -ne 0
check "names the command" has "$out" \
    "dpkg --add-architecture i386 && apt-get update && apt-get install -y --no-install-recommends xvfb wine32:i386"
check "asks nothing of apt or dpkg" equals "$(calls)" ""

begin "not root, only 32-bit Wine missing: says how to install it and runs the 64-bit build"
touch "$AZM_STUB_STATE/user"
run tools/scripts/ensure_deps.sh windows
check "succeeds (exit $code)" test "$code" -eq 0
check "names the command" has "$out" "apt-get install -y --no-install-recommends wine32:i386"
chosen=$(selection)
check "selects the 64-bit build" equals "$(head -1 <<<"$chosen")" 64
check "says why" equals "$(tail -1 <<<"$chosen")" "32-bit Wine (wine32:i386) is not installed on this machine"

begin "a machine that runs 64-bit programs only: no 32-bit Wine asked for"
uninstall wine64
AZM_RUNS_32BIT=no run tools/scripts/ensure_deps.sh windows
check "succeeds (exit $code)" test "$code" -eq 0
check "installs wine64" is_installed_here wine64
check "asks for no 32-bit Wine" lacks "$(calls)" "wine32"
check "adds no i386" lacks "$(calls)" "--add-architecture"
check "says why the 32-bit build is not run" equals "$(AZM_RUNS_32BIT=no selection | tail -1)" \
    "32-bit programs cannot run on this machine"

begin "./package asks for no Wine"
: >"$AZM_STUB_STATE/installed"
printf '%s\n' cmake ninja-build g++-mingw-w64-i686 zip >"$AZM_STUB_STATE/unknown"
run ./package
check "fails on the stub's empty lists (exit $code)" test "$code" -ne 0
check "asks for zip" has "$(calls)" " zip"
check "asks for no Wine" lacks "$(calls)" "wine"
check "adds no i386" lacks "$(calls)" "--add-architecture"

# ---- Where the 32-bit build runs (tools/scripts/private_root.sh) ----

# place: where the scripts run the 32-bit build on the stub machine, then
# what the summary says of that place.
place() {
    PATH=$stubs:$PATH bash -c 'source tools/scripts/common.sh
        source tools/scripts/packages.sh
        source tools/scripts/private_root.sh
        chosen=$(windows32_place)
        echo "$chosen"
        [[ $chosen == none* ]] || windows32_where "$chosen"' 2>&1
}

begin "32-bit Wine cannot be installed, as root: the 32-bit build runs in a private root, and the summary says so"
echo "$wine32_reason" >"$AZM_CACHE/wine32-not-installed"
where=$(place)
check "chooses the private root" equals "$(head -1 <<<"$where")" \
    "private-root 32-bit Wine could not be installed on this machine: $wine32_reason"
check "the summary names the place and the reason" equals "Windows tests, 32-bit build (build/win), $(tail -1 <<<"$where")" \
    "Windows tests, 32-bit build (build/win), in a private root of Debian's main suite: 32-bit Wine could not be installed on this machine: ${wine32_reason%.}"
where=$(AZM_PRIVATE_ROOT=no place)
check "AZM_PRIVATE_ROOT=no leaves it out, saying so" equals "$where" \
    "none 32-bit Wine could not be installed on this machine: $wine32_reason; not run in a private root of Debian's main suite: AZM_PRIVATE_ROOT=no"
touch "$AZM_STUB_STATE/user"
check "another user is told the command" has "$(place)" \
    "as root, ./test runs it in a private root of Debian's main suite (about 1.8 GB under $AZM_CACHE): sudo ./test"

begin "32-bit Wine installed, or 64-bit programs only: no private root"
echo "wine32:i386" >>"$AZM_STUB_STATE/installed"
where=$(place)
check "the 32-bit build runs here" equals "$(head -1 <<<"$where")" here
check "the summary says so" equals "$(tail -1 <<<"$where")" "on this machine"
where=$(AZM_RUNS_32BIT=no place)
check "64-bit programs only: not at all, saying why" equals "$where" "none 32-bit programs cannot run on this machine"

# The suites' address from apt source files of this machine's kinds.
suites() {
    bash -c 'source tools/scripts/common.sh
        source tools/scripts/packages.sh
        source tools/scripts/private_root.sh
        main_suite_lines "$@"' suites "$@"
}

begin "the private root's suites: main and updates from the machine's apt sources, never security"
sources=$AZM_STUB_STATE/sources
mkdir -p "$sources"
cat >"$sources/debian.sources" <<'TEXT'
Types: deb
# http://snapshot.debian.org/archive/debian/20250520T000000Z
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
TEXT
debian_lines="deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main"
check "deb822, as Debian 12 writes it" equals "$(suites bookworm "$sources/debian.sources")" "$debian_lines"
cat >"$sources/sources.list" <<'TEXT'
# deb http://old.example/debian bookworm main
deb-src http://src.example/debian bookworm main
deb [arch=amd64,i386 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://mirror.example/debian/ bookworm main contrib
deb http://security.debian.org/debian-security bookworm-security main
deb [ trusted=yes ] http://mirror.example/debian/ bookworm-updates main
TEXT
check "one-line form, its options and comments passed over" equals "$(suites bookworm "$sources/sources.list")" \
    "deb http://mirror.example/debian/ bookworm main
deb http://mirror.example/debian/ bookworm-updates main"
cat >"$sources/off.sources" <<'TEXT'
Types: deb
URIs: http://off.example/debian
Suites: bookworm bookworm-updates
Components: main
Enabled: no

Types: deb-src deb
URIs: http://keyed.example/debian
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD9K7UgrF6nP+Aa1dvN
 -----END PGP PUBLIC KEY BLOCK-----
TEXT
check "deb822 entries switched off, and keys written in, passed over" equals \
    "$(suites bookworm "$sources/off.sources" "$sources/debian.sources")" \
    "deb http://keyed.example/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main"
check "another release's suites are not taken" equals "$(suites trixie "$sources/debian.sources")" ""

# make_root: the private root made on the stub machine, from its sources.
make_root() {
    PATH=$stubs:$PATH bash -c 'source tools/scripts/common.sh
        source tools/scripts/packages.sh
        source tools/scripts/private_root.sh
        private_root_codename=bookworm
        private_root_sources=("$AZM_STUB_STATE/sources/debian.sources")
        make_private_root "$AZM_STUB_STATE/mmdebstrap.log"' 2>&1
}

begin "the private root is made once with mmdebstrap, from the machine's own mirror"
mkdir -p "$AZM_STUB_STATE/sources"
cp "$sources/debian.sources" "$AZM_STUB_STATE/sources/"
out=$(make_root)
code=$?
check "succeeds (exit $code)" test "$code" -eq 0
check "runs mmdebstrap on both architectures with Wine and what the tests need" has "$(calls)" \
    "mmdebstrap --variant=apt --architectures=amd64,i386 --include=wine,wine32,wine64,xvfb,xauth,x11-utils,procps,libdvbv5-0,unzip,libxrandr2:i386,libxinerama1:i386,libxrender1:i386,libxi6:i386,libxcursor1:i386,libxcomposite1:i386,libxfixes3:i386 bookworm $AZM_CACHE/private-root.new $debian_lines"
check "names no security suite" lacks "$(calls)" "security"
check "gives the root localhost" has "$(cat "$AZM_CACHE/private-root/etc/hosts")" "127.0.0.1	localhost"
check "leaves no half-made root" test ! -e "$AZM_CACHE/private-root.new"
: >"$AZM_STUB_STATE/calls"
out=$(make_root)
check "a later run keeps it (exit $?)" equals "$(calls)" ""
echo "0 older" >"$AZM_CACHE/private-root/.azimora-root"
out=$(make_root)
check "one made of other packages is made again" has "$(calls)" "mmdebstrap "

begin "the private root cannot be made: says apt's words, leaves nothing"
mkdir -p "$AZM_STUB_STATE/sources"
cp "$sources/debian.sources" "$AZM_STUB_STATE/sources/"
echo "E: Failed to fetch http://deb.debian.org/debian/dists/bookworm/main/binary-i386/Packages.xz  Hash Sum mismatch" \
    >"$AZM_STUB_STATE/mmdebstrap-fails"
out=$(make_root)
code=$?
check "fails (exit $code)" test "$code" -ne 0
check "says apt's words" equals "$(tail -1 <<<"$out")" \
    "mmdebstrap failed: E: Failed to fetch http://deb.debian.org/debian/dists/bookworm/main/binary-i386/Packages.xz  Hash Sum mismatch"
check "leaves no root" test ! -e "$AZM_CACHE/private-root" -a ! -e "$AZM_CACHE/private-root.new"
rm "$AZM_STUB_STATE/sources/debian.sources"
out=$(make_root)
check "without a source of the suite, says so" equals "$(tail -1 <<<"$out")" \
    "no apt source of this machine names Debian's bookworm suite"

# mounted DIR MOUNTINFO: private_root.sh's word on whether DIR has a mount in it.
mounted() {
    bash -c 'source tools/scripts/common.sh
        source tools/scripts/packages.sh
        source tools/scripts/private_root.sh
        mounted_below "$1" "$2"' mounted "$@"
}
not_mounted() { ! mounted "$@"; }

begin "a mount left in the private root is seen through a symbolic link and in a path with a blank"
real="$AZM_STUB_STATE/the cache"
mkdir -p "$real/private-root"
ln -s "$real" "$AZM_STUB_STATE/linked"
# As the kernel writes it: the resolved path, a blank as \040.
printf '36 25 0:30 / %s rw,relatime shared:5 - proc proc rw\n' "${real// /\\040}/private-root/proc" \
    >"$AZM_STUB_STATE/mountinfo"
check "through the link" mounted "$AZM_STUB_STATE/linked/private-root" "$AZM_STUB_STATE/mountinfo"
check "by its own path" mounted "$real/private-root" "$AZM_STUB_STATE/mountinfo"
check "at the mount point itself" mounted "$real/private-root/proc/" "$AZM_STUB_STATE/mountinfo"
check "not in a neighbour whose name begins the same" not_mounted "$real/private-root.new" "$AZM_STUB_STATE/mountinfo"
check "not elsewhere" not_mounted "$AZM_STUB_STATE/linked" "$AZM_STUB_STATE/mountinfo.none"

finish
echo "$passed passed"
[[ $failed -eq 0 ]]
