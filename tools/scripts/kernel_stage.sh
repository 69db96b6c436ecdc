#!/usr/bin/env bash
# The real-kernel stage of ./test: azimora-dvb on Debian's own kernel and
# its DVB core, with vidtv, in QEMU (see kernel_guest.sh). From this host,
# through QEMU's forwarded port (so from outside the guest's loopback, with
# the shared secret): --status, list and typed starts, lock and no lock,
# low and high band, C band, switch letters, refused values, vidtv's network
# through QueryNetwork and through --status --tune run in the guest, what the
# link margin rests on (QueryModcod; --status --tune with and without --modcod)
# (build/host/kernel_tests, tests/kernel/); then Azimora under Wine measuring
# a vidtv transponder through dvbcard.dll with the bar on screen
# (wintests.exe, DvbKernelTest); then the helper's end. QEMU runs the guest
# with KVM where /dev/kvm is usable, else with TCG. Each step has a time
# limit; QEMU that cannot start fails the stage, saying why. Ends with one
# line, "kernel stage: ok ..." (naming the accelerator) or "kernel stage:
# FAILED ...", after the figures of each start ("figure: ...").
#   tools/scripts/kernel_stage.sh     (./test runs it; it builds what it needs)
source "$(dirname "$0")/common.sh"
source tools/scripts/kernel_guest.sh
set +e
began=$(date +%s)
work=$root/build/kernel-stage
rm -rf "$work"
mkdir -p "$work"

finish() {
    stop_guest
    echo "kernel stage: $* ($(($(date +%s) - began)) s)"
    [[ $1 == ok* ]] && exit 0
    exit 1
}

tools/scripts/ensure_deps.sh build windows kernel || finish "FAILED: the packages it needs are missing"
prepare_kernel || finish "FAILED: Debian's kernel with vidtv could not be prepared (see above)"
ninja -C build/host azimora-dvb kernel_tests >/dev/null || finish "FAILED: azimora-dvb or kernel_tests did not build"
echo "Kernel $(basename "$KERNEL_DIR") ($(cat "$KERNEL_DIR/version")), vidtv: $vidtv_parameters"

start_guest "$work" || finish "FAILED: QEMU could not start the guest (see above)"
echo "figure: guest ready $GUEST_READY_MS ms after QEMU started, with $GUEST_ACCEL"
export AZM_GUEST_HELPER=127.0.0.1:$GUEST_HELPER_PORT AZM_GUEST_CONTROL=127.0.0.1:$GUEST_CONTROL_PORT
AZM_GUEST_SECRET=$(guest_secret)
export AZM_GUEST_SECRET

# gtest_passed LOG COUNT: the log shows COUNT tests passed and none skipped or failed.
gtest_passed() {
    grep -q "^\[  PASSED  \] $2 test" "$1" && ! grep -qE '^\[  (SKIPPED|FAILED)  \]' "$1"
}

within 300 build/host/kernel_tests --gtest_filter='GuestFrontend.*' >"$work/frontend.log" 2>&1
grep '^figure:' "$work/frontend.log"
gtest_passed "$work/frontend.log" 7 || {
    grep -aE '^\[  FAILED  \]|Failure|Expected|Which is|^  ' "$work/frontend.log" | head -40
    finish "FAILED: azimora-dvb in the guest, log: $work/frontend.log"
}

# Azimora under Wine, through dvbcard.dll and the forwarded port.
(
    source tools/scripts/wine_env.sh
    tools/scripts/build.sh "win$AZM_WIN_BITS" >/dev/null || exit 1
    wine_session "$root/build/wine-kernel" fresh
    AZM_TEST_LIMIT=120 within 600 wine "$AZM_WIN/wintests.exe" --gtest_filter='DvbKernelTest.*'
) >"$work/wine.log" 2>&1
gtest_passed "$work/wine.log" 1 || {
    grep -aE '^\[  (FAILED|SKIPPED|HUNG)|Failure|Expected|Which is|^  ' "$work/wine.log" | head -40
    finish "FAILED: Azimora under Wine through the guest, log: $work/wine.log"
}
echo "figure: Azimora under Wine measured 11720H27500 and 12245V27500 through the guest, the bar on screen"

within 120 build/host/kernel_tests --gtest_filter='GuestEnd.*' >"$work/end.log" 2>&1
gtest_passed "$work/end.log" 1 || {
    grep -aE '^\[  FAILED  \]|Failure|Expected|Which is|^  ' "$work/end.log" | head -40
    finish "FAILED: the end of azimora-dvb in the guest, log: $work/end.log"
}
guest_command log >"$work/frontend-log.txt" 2>/dev/null
finish "ok: 9 checks on $(basename "$KERNEL_DIR") in QEMU with $GUEST_ACCEL and Azimora's run through it"
