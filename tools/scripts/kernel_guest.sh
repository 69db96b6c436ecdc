# Sourced by the scripts that run azimora-dvb on the real kernel's DVB core:
# Debian's own kernel in QEMU (with KVM where usable, else emulated), with vidtv, the kernel's
# virtual DVB-S/S2 driver, built out of tree from Debian's linux-source
# against the matching linux-headers, since Debian builds it in no package.
# Kernel, modules and vidtv are cached in $AZM_CACHE/kernel/ABI between runs.
#   prepare_kernel          finds, downloads and builds what is missing;
#                           sets KERNEL_DIR (fails saying why)
#   make_initramfs FILE     busybox, the modules, azimora-dvb and dvb-tools
#   start_guest DIR         boots it (console in DIR/console.log), with KVM
#                           where usable, and waits until it is ready; sets
#                           GUEST_PID, GUEST_ACCEL (KVM or TCG, and why),
#                           GUEST_READY_MS,
#                           GUEST_HELPER_PORT (azimora-dvb) and
#                           GUEST_CONTROL_PORT (tests/kernel/guest_control.sh)
#   guest_command LINE...   one command through the control port
#   stop_guest              powers it off (or ends QEMU)
# The transponders vidtv carries (Ku band, kHz; it turns them into
# intermediate frequencies with a universal LNB): 11362 MHz, 12245 MHz,
# 12515 MHz, 11060 MHz (whose intermediate frequency is that of 3840 MHz in
# C band) and one 250 kHz above 11720 MHz, which a tune to 11720 MHz finds
# with a lower C/N, as vidtv lowers it with the distance (max_frequency_shift_hz
# is kept in 8 bits and compared in kHz).
vidtv_parameters="vidtv_valid_dvb_s_freqs=11362000,12245000,12515000,11060000,11720250 max_frequency_shift_hz=255"
guest_memory=512M

source "$root/tools/scripts/packages.sh"

# guest_secret: a new shared secret for azimora-dvb in the guest, which sees
# every connection from outside its loopback.
guest_secret() { head -c 24 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' | head -c 24; }

# The kernel linux-image-amd64 depends on now: the mirror keeps only that one.
kernel_abi() {
    apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: linux-image-\([0-9].*-amd64\)$/\1/p' | head -1
}

# download_package NAME=VERSION DIR: apt-get download, once more after
# refreshing the package lists (a security update replaces the kernel).
download_package() {
    (cd "$2" && apt-get "${apt_options[@]}" download "$1" >/dev/null 2>&1) && return 0
    [[ $(id -u) -eq 0 ]] && refresh_package_lists
    (cd "$2" && apt-get "${apt_options[@]}" download "$1" >/dev/null)
}

# module_depends FILE: the modules a kernel module needs, from its own modinfo.
module_depends() {
    strings -a "$1" | sed -n 's/^depends=//p' | tr ',' ' '
}

prepare_kernel() {
    local abi
    abi=$(kernel_abi)
    [[ -n $abi ]] || { echo "cannot tell which kernel linux-image-amd64 depends on (apt-cache depends)" >&2; return 1; }
    KERNEL_DIR=$AZM_CACHE/kernel/$abi
    [[ -f $KERNEL_DIR/complete ]] && return 0
    # Several checkouts share the cache: one prepares, the others wait for it.
    mkdir -p "$AZM_CACHE/kernel"
    local lock status
    exec {lock}>"$AZM_CACHE/kernel/.prepare.lock"
    flock -w 1200 "$lock" || { echo "another preparation of the kernel did not end within 20 min" >&2; return 1; }
    status=0
    [[ -f $KERNEL_DIR/complete ]] || prepare_kernel_once "$abi" || status=1
    exec {lock}>&-
    return $status
}

prepare_kernel_once() {
    local abi=$1 version series work
    version=$(apt-cache policy "linux-image-$abi" | sed -n 's/^ *Candidate: //p')
    series=$(cut -d. -f1,2 <<<"$abi")
    echo "Preparing Debian's kernel $abi ($version) with vidtv, once, in $KERNEL_DIR ..."
    "$root/tools/scripts/ensure_deps.sh" kernel "linux-headers-$abi" || return 1
    rm -rf "$KERNEL_DIR"
    work=$KERNEL_DIR.work
    rm -rf "$work"
    mkdir -p "$work/download"
    download_package "linux-image-$abi=$version" "$work/download" ||
        { echo "cannot download linux-image-$abi $version" >&2; return 1; }
    download_package "linux-source-$series=$version" "$work/download" ||
        { echo "cannot download linux-source-$series $version, the source of that kernel" >&2; return 1; }
    dpkg-deb -x "$work"/download/linux-image-*.deb "$work/image"
    dpkg-deb --fsys-tarfile "$work"/download/linux-source-*.deb |
        tar -xO "./usr/src/linux-source-$series.tar.xz" |
        tar -xJ -C "$work" "linux-source-$series/drivers/media/test-drivers/vidtv" ||
        { echo "linux-source-$series has no drivers/media/test-drivers/vidtv" >&2; return 1; }
    mkdir -p "$work/vidtv" "$work/modules"
    cp "$work/linux-source-$series/drivers/media/test-drivers/vidtv/"* "$work/vidtv/"
    make -s -C "/usr/src/linux-headers-$abi" M="$work/vidtv" CONFIG_DVB_VIDTV=m modules >"$work/vidtv.log" 2>&1 ||
        { tail -20 "$work/vidtv.log" >&2; echo "vidtv did not build against linux-headers-$abi" >&2; return 1; }
    cp "$work/vidtv/"*.ko "$work/modules/"
    # The DVB core and a network card QEMU emulates, with what they need.
    local wanted=(mc dvb-core e1000) module file
    while [[ ${#wanted[@]} -gt 0 ]]; do
        module=${wanted[0]}
        wanted=("${wanted[@]:1}")
        [[ -f $work/modules/$module.ko ]] && continue
        file=$(find "$work/image/lib/modules" -name "$module.ko" | head -1)
        [[ -n $file ]] || { echo "linux-image-$abi has no $module.ko" >&2; return 1; }
        cp "$file" "$work/modules/"
        wanted+=($(module_depends "$file"))
    done
    # The kernel unpacked once: booted directly (PVH), it spares the guest
    # unpacking it under emulation at every start, 5 to 8 s of a run.
    local packed=$work/image/boot/vmlinuz-$abi offset
    offset=$(LC_ALL=C grep -obUaP '\xfd7zXZ\x00' "$packed" | head -1 | cut -d: -f1)
    [[ -n $offset ]] && tail -c +$((offset + 1)) "$packed" | xz -dc --single-stream >"$work/vmlinux" 2>/dev/null
    if [[ "$(head -c 4 "$work/vmlinux" 2>/dev/null | od -An -c | tr -d ' ')" != 177ELF ]]; then
        rm -f "$work/vmlinux"
        cp "$packed" "$work/vmlinux"  # as it is, slower to start
    fi
    echo "$version" >"$work/version"
    rm -rf "$work/download" "$work/image" "$work/linux-source-$series" "$work/vidtv"
    mv "$work" "$KERNEL_DIR"
    touch "$KERNEL_DIR/complete"
    # Only the current kernel can be had again: older ones go.
    find "$AZM_CACHE/kernel" -mindepth 1 -maxdepth 1 -type d ! -name "$abi" -exec rm -rf {} +
}

# copy_program FILE ROOT: a program and every shared library it loads.
copy_program() {
    local file=$1 target=$2 library
    mkdir -p "$target/bin"
    cp "$file" "$target/bin/"
    for library in $(ldd "$file" | grep -oE '/[^ ]+'); do
        mkdir -p "$target$(dirname "$library")"
        cp -L "$library" "$target$library"
    done
}

make_initramfs() {
    local out=$1 tree
    tree=$(mktemp -d "${TMPDIR:-/tmp}/azimora-guest.XXXXXX")
    mkdir -p "$tree"/{bin,dev,proc,sys,tmp,etc,modules}
    cp /bin/busybox "$tree/bin/busybox"
    cp tests/kernel/guest_init.sh "$tree/init"
    cp tests/kernel/guest_control.sh "$tree/bin/guest_control.sh"
    cp "$KERNEL_DIR"/modules/*.ko "$tree/modules/"
    echo "$vidtv_parameters" >"$tree/etc/vidtv.conf"
    copy_program build/host/azimora-dvb "$tree"
    copy_program /usr/bin/dvb-fe-tool "$tree"
    (cd "$tree" && find . | busybox cpio -o -H newc 2>/dev/null) >"$out"
    rm -rf "$tree"
}

# kvm_usable: whether this process can open /dev/kvm for reading and writing,
# as QEMU must to run the guest on the processor itself.
kvm_usable() {
    [[ -c /dev/kvm ]] && (exec 3<>/dev/kvm) 2>/dev/null
}

# A guest on KVM is ready within seconds; one that is not within this long
# will not be (some KVMs run only guest kernels built for them).
kvm_ready_limit_s=30
tcg_ready_limit_s=60

# start_guest DIR: with KVM where it is usable (the guest then runs on the
# processor itself, several times faster), else with TCG, which emulates the
# processor and runs everywhere. A kernel KVM could not start is started with
# TCG at once, and that is remembered with the kernel (KERNEL_DIR/kvm-failed)
# so that later runs do not wait for KVM again. Sets GUEST_ACCEL to the one
# that started it ("KVM", or "TCG" and why not KVM) and GUEST_READY_MS to how
# long that start took.
start_guest() {
    local dir=$1 why_not_kvm kvm_failed=$KERNEL_DIR/kvm-failed
    mkdir -p "$dir"
    make_initramfs "$dir/initramfs.cpio" || return 1
    if ! kvm_usable; then
        why_not_kvm="/dev/kvm cannot be opened for reading and writing"
    elif [[ -d /sys/module/kvm_pvm && ! -d /sys/module/kvm_intel && ! -d /sys/module/kvm_amd ]]; then
        why_not_kvm="this machine's KVM (kvm_pvm) runs only guest kernels built for it"
    elif [[ -s $kvm_failed ]]; then
        why_not_kvm=$(head -1 "$kvm_failed")
        echo "Starting with TCG: $why_not_kvm on an earlier run (delete $kvm_failed to try KVM again)."
    else
        start_guest_with kvm "$dir" "$kvm_ready_limit_s" && { GUEST_ACCEL=KVM; return 0; }
        [[ -e $dir/failed ]] && return 1
        why_not_kvm="QEMU with KVM did not start this kernel within $kvm_ready_limit_s s"
        echo "$why_not_kvm" >"$kvm_failed"
        echo "$why_not_kvm: starting it with TCG" >&2
    fi
    start_guest_with tcg "$dir" "$tcg_ready_limit_s" || return 1
    GUEST_ACCEL="TCG ($why_not_kvm)"
}

# start_guest_with ACCEL DIR SECONDS: boots the guest with QEMU's accelerator
# ACCEL and waits at most SECONDS until it is ready; a port taken in the
# meantime is tried again with others. When the guest itself reports a
# failure, DIR/failed says so.
start_guest_with() {
    local accel=$1 dir=$2 limit=$3 attempt began
    rm -f "$dir/failed"
    for attempt in 1 2 3; do
        GUEST_HELPER_PORT=$(free_port)
        GUEST_CONTROL_PORT=$(free_port)
        : >"$dir/console.log"
        began=$(date +%s%N)
        qemu-system-x86_64 -accel "$accel" -smp 1 -m "$guest_memory" -nodefaults -no-user-config -display none \
            -no-reboot -kernel "$KERNEL_DIR/vmlinux" -initrd "$dir/initramfs.cpio" \
            -append "console=ttyS0 quiet panic=-1" -serial "file:$dir/console.log" \
            -nic "user,model=e1000,hostfwd=tcp:127.0.0.1:$GUEST_HELPER_PORT-:47474,hostfwd=tcp:127.0.0.1:$GUEST_CONTROL_PORT-:7000" \
            >"$dir/qemu.log" 2>&1 &
        GUEST_PID=$!
        for _ in $(seq $((limit * 10))); do
            if grep -q '^@@ ready' "$dir/console.log"; then
                GUEST_READY_MS=$((($(date +%s%N) - began) / 1000000))
                return 0
            fi
            grep -q '^@@ failed' "$dir/console.log" && break
            kill -0 "$GUEST_PID" 2>/dev/null || break
            sleep 0.1
        done
        if grep -q '^@@ failed' "$dir/console.log"; then
            echo "the guest could not start: $(grep '^@@ failed' "$dir/console.log")" >&2
            touch "$dir/failed"
            end_qemu
            return 1
        fi
        # A port taken in the meantime: QEMU says so and ends; try others.
        grep -q 'hostfwd\|host forwarding' "$dir/qemu.log" 2>/dev/null && continue
        break
    done
    echo "QEMU with $accel did not start the guest within $limit s:" >&2
    tail -n 5 "$dir/qemu.log" "$dir/console.log" >&2
    end_qemu
    return 1
}

# end_qemu: ends a QEMU whose guest never became ready (it could not be asked
# to power off) and waits for it.
end_qemu() {
    [[ -n ${GUEST_PID:-} ]] || return 0
    kill "$GUEST_PID" 2>/dev/null
    wait "$GUEST_PID" 2>/dev/null
    GUEST_PID=
}

guest_command() {
    local reply
    reply=$(
        exec 3<>"/dev/tcp/127.0.0.1/$GUEST_CONTROL_PORT" || exit 1
        echo "$*" >&3
        timeout 30 sed '/^@@ end$/q' <&3
    ) || return 1
    grep -v '^@@ end$' <<<"$reply"
}

stop_guest() {
    [[ -n ${GUEST_PID:-} ]] || return 0
    if kill -0 "$GUEST_PID" 2>/dev/null; then
        guest_command poweroff >/dev/null 2>&1 || true
        for _ in $(seq 50); do
            kill -0 "$GUEST_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$GUEST_PID" 2>/dev/null || true
    fi
    wait "$GUEST_PID" 2>/dev/null || true
    GUEST_PID=
}
