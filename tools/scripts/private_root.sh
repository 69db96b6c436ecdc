# Sourced after common.sh and packages.sh: where the 32-bit build (build/win)
# runs, and the private root of Debian's main suite that runs it where this
# machine starts 32-bit programs but cannot install wine32:i386 (a mirror in
# the middle of a sync can keep the security suite's i386 index unfetchable
# for days, while the main suite stays whole across architectures).
#   windows32_place          "here", "private-root REASON" or "none REASON":
#                            where the 32-bit build runs, and why not here
#   windows32_where PLACE    that place as the summary says it
#   main_suite_lines CODENAME FILE...
#                            the apt lines of Debian's main suite and its
#                            updates that these apt source files name
#   make_private_root LOG    makes the root once (as root), with mmdebstrap
#   private_root_ready       whether it is made, of what it is made of now
#   in_private_root LIMIT COMMAND...
#                            runs COMMAND inside it, at this checkout's path,
#                            for LIMIT seconds at most
# The root takes about 1.8 GB under the cache; AZM_PRIVATE_ROOT=no leaves it
# out (the 32-bit build then does not run, and the summary says why).

private_root=$AZM_CACHE/private-root
# Only Wine's recommendations bring the i386 X extension libraries; without
# them the test program sees a screen 0 pixels wide. libdvbv5-0 serves the
# host-built azimora-dvb that the card tests start; unzip the release step.
private_root_packages=(wine wine32 wine64 xvfb xauth x11-utils procps libdvbv5-0 unzip
                       libxrandr2:i386 libxinerama1:i386 libxrender1:i386 libxi6:i386
                       libxcursor1:i386 libxcomposite1:i386 libxfixes3:i386)
# Bumped whenever the making below changes, so that older roots are made again.
private_root_version=1
private_root_lock=$AZM_CACHE/private-root.lock
# This machine's Debian release and apt sources, read when the root is made.
private_root_codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
private_root_sources=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources)

# windows32_where PLACE: where the 32-bit build ran, for the summary.
windows32_where() {
    if [[ $1 == here ]]; then
        echo "on this machine"
    else
        local why=${1#* }
        echo "in a private root of Debian's main suite: ${why%.}"
    fi
}

# windows32_place: see the top of this file. The reason names the command
# that would run it where this user cannot.
windows32_place() {
    local why
    why=$(no_32bit_build_reason) || { echo here; return; }
    if ! runs_32bit_programs >/dev/null; then
        echo "none $why"
    elif [[ ${AZM_PRIVATE_ROOT:-} == no ]]; then
        echo "none $why; not run in a private root of Debian's main suite: AZM_PRIVATE_ROOT=no"
    elif [[ $(id -u) -ne 0 ]]; then
        echo "none $why; as root, ./test runs it in a private root of Debian's main suite (about 1.8 GB under $AZM_CACHE): sudo ./test"
    else
        echo "private-root $why"
    fi
}

# main_suite_lines CODENAME FILE...: one "deb URI SUITE main" line for the
# suite CODENAME and one for CODENAME-updates, each from the first entry of
# the files (one-line or deb822 form) that names it; never the security
# suite, whose index is the one a sync leaves behind.
main_suite_lines() {
    local codename=$1
    shift
    awk -v codename="$codename" '
        function take(types, uris, suites,    t, u, s, nt, nu, ns, kind, uri, suite) {
            nt = split(types, kind); nu = split(uris, uri); ns = split(suites, suite)
            for (t = 1; t <= nt; t++) {
                if (kind[t] != "deb") continue
                for (s = 1; s <= ns; s++)
                    for (u = 1; u <= nu; u++)
                        if ((suite[s] == codename || suite[s] == codename "-updates") && !(suite[s] in found))
                            found[suite[s]] = uri[u]
            }
        }
        function paragraph_ends() {
            if (enabled != "no") take(field["types"], field["uris"], field["suites"])
            delete field; enabled = ""; name = ""
        }
        FNR == 1 && NR > 1 && deb822 { paragraph_ends() }
        FNR == 1 { deb822 = FILENAME ~ /\.sources$/ }
        deb822 {
            if ($0 ~ /^#/) next
            if ($0 ~ /^[ \t]*$/) { paragraph_ends(); next }
            if ($0 ~ /^[ \t]/) { if (name != "") field[name] = field[name] " " $0; next }
            name = tolower(substr($0, 1, index($0, ":") - 1))
            field[name] = substr($0, index($0, ":") + 1)
            if (name == "enabled") { enabled = field[name]; gsub(/[ \t]/, "", enabled); enabled = tolower(enabled) }
            next
        }
        {
            sub(/#.*/, "")
            if (NF < 3) next
            at = 2
            if ($2 ~ /^\[/) { while (at <= NF && $at !~ /\]$/) at++; at++ }
            if (at + 1 <= NF) take($1, $at, $(at + 1))
        }
        END {
            if (deb822) paragraph_ends()
            if (codename in found) print "deb " found[codename] " " codename " main"
            if ((codename "-updates") in found) print "deb " found[codename "-updates"] " " codename "-updates main"
        }' "$@"
}

# private_root_stamp: what the root was made of; another stamp makes it again.
private_root_stamp() {
    echo "$private_root_version ${private_root_packages[*]}"
}

private_root_ready() {
    [[ $(cat "$private_root/.azimora-root" 2>/dev/null) == "$(private_root_stamp)" ]]
}

# mounted_below DIR [MOUNTINFO]: whether anything is mounted at or below DIR.
# The kernel names mount points by their resolved paths, with a blank, tab,
# line end and backslash written as \040, \011, \012 and \134: DIR is
# resolved (a cache reached through a symbolic link) and the names decoded
# (a path with a blank) before they are compared.
mounted_below() {
    local dir
    dir=$(realpath -m -- "$1") || return 1
    # Through the environment: awk -v would read escapes in the path itself.
    AZM_MOUNT_DIR=$dir awk '
        function decoded(path,    out, at) {
            out = ""
            while ((at = match(path, /\\[0-7][0-7][0-7]/)) > 0) {
                out = out substr(path, 1, at - 1) sprintf("%c", \
                    substr(path, at + 1, 1) * 64 + substr(path, at + 2, 1) * 8 + substr(path, at + 3, 1))
                path = substr(path, at + 4)
            }
            return out path
        }
        BEGIN { dir = ENVIRON["AZM_MOUNT_DIR"] }
        { point = decoded($5) }
        point == dir || index(point, dir "/") == 1 { found = 1 }
        END { exit !found }' "${2:-/proc/self/mountinfo}"
}

# make_private_root LOG: makes the root unless one of the same stamp is
# there, mmdebstrap's output in LOG; on failure says why in one line. The
# suites' address is the one this machine's apt uses, read now.
make_private_root() {
    local log=$1 codename lines=() sources=() lock file
    private_root_ready && return 0
    mkdir -p "$AZM_CACHE"
    exec {lock}>"$private_root_lock"
    flock -w 1800 "$lock" || { echo "another run did not finish making the private root within 30 min"; return 1; }
    if private_root_ready; then
        exec {lock}>&-
        return 0
    fi
    codename=$private_root_codename
    for file in "${private_root_sources[@]}"; do
        [[ -f $file ]] && sources+=("$file")
    done
    [[ ${#sources[@]} -eq 0 ]] || mapfile -t lines < <(main_suite_lines "$codename" "${sources[@]}")
    if [[ ${#lines[@]} -eq 0 ]]; then
        echo "no apt source of this machine names Debian's ${codename:-unknown} suite"
        exec {lock}>&-
        return 1
    fi
    local target
    for target in "$private_root" "$private_root.new"; do
        if mounted_below "$target"; then
            echo "$target still has file systems mounted in it: not removed"
            exec {lock}>&-
            return 1
        fi
    done
    echo "Making a private root of Debian's main suite (about 1.8 GB) in $private_root from:"
    printf '  %s\n' "${lines[@]}"
    rm -rf --one-file-system "$private_root.new"
    if ! within 1800 mmdebstrap --variant=apt --architectures=amd64,i386 \
        --include="$(IFS=,; echo "${private_root_packages[*]}")" "$codename" "$private_root.new" "${lines[@]}" \
        >"$log" 2>&1; then
        echo "mmdebstrap failed: $(grep -aE '^(E|W):|error' "$log" | tail -1)"
        rm -rf --one-file-system "$private_root.new"
        exec {lock}>&-
        return 1
    fi
    # mmdebstrap writes none, and Wine's lookup of "localhost" needs it.
    printf '127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost ip6-loopback\n' >"$private_root.new/etc/hosts"
    private_root_stamp >"$private_root.new/.azimora-root"
    rm -rf --one-file-system "$private_root"
    mv "$private_root.new" "$private_root"
    echo "Private root made: $(du -sh "$private_root" | cut -f1)"
    exec {lock}>&-
}

# in_private_root LIMIT COMMAND...: runs COMMAND in the root, in this
# checkout (mounted at its own path), with /proc, /dev (and /dev/shm), /sys
# and a fresh /tmp; ended after LIMIT seconds (exit code 124). All of it
# lives in a mount namespace and every process in a PID namespace of this
# run: when the command ends, or is ended, the kernel ends whatever it left
# running and takes the mounts away. The project's AZM_ variables go in
# (the cache is the root's own).
in_private_root() {
    local limit=$1 lock variables=() name status
    shift
    for name in $(compgen -e); do
        [[ $name == AZM_* && $name != AZM_CACHE ]] && variables+=("$name=${!name}")
    done
    exec {lock}>"$private_root_lock"
    flock -s -w 1800 "$lock" || { echo "the private root is being made again by another run" >&2; return 1; }
    within "$limit" unshare --mount --pid --fork --kill-child --mount-proc="$private_root/proc" bash -c '
        set -e
        target=$1 checkout=$2
        shift 2
        mount --rbind /dev "$target/dev"
        mount --rbind /sys "$target/sys"
        mount -t tmpfs -o mode=1777 tmpfs "$target/tmp"
        mkdir -p "$target$checkout"
        mount --bind "$checkout" "$target$checkout"
        exec chroot "$target" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"' \
        -- "$private_root" "$root" ${variables[@]+"${variables[@]}"} /bin/bash -c 'cd "$1" && shift && exec "$@"' -- "$root" "$@"
    status=$?
    exec {lock}>&-
    return $status
}
