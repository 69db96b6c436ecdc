#!/bin/busybox sh
# The test guest's first process: the kernel's DVB core with vidtv, a
# network card behind QEMU's user-mode network, and a command port (7000)
# through which the host runs azimora-dvb here (guest_control.sh). Lines
# starting with "@@" on the console are for the host.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp

fail() {
    echo "@@ failed: $*"
    poweroff -f
}

# dvb-core before the drivers that use it; the bridge last, with the
# transponders it carries.
for module in mc dvb-core dvb-vidtv-tuner dvb-vidtv-demod; do
    insmod "/modules/$module.ko" || fail "insmod $module"
done
insmod /modules/dvb-vidtv-bridge.ko $(cat /etc/vidtv.conf) || fail "insmod dvb-vidtv-bridge"
insmod /modules/e1000.ko || fail "insmod e1000"
ip link set lo up
ip link set eth0 up || fail "no network card"
ip addr add 10.0.2.15/24 dev eth0
ip route add default via 10.0.2.2
for _ in $(seq 50); do
    [ -e /dev/dvb/adapter0/frontend0 ] && break
    usleep 100000
done
[ -e /dev/dvb/adapter0/frontend0 ] || fail "vidtv made no /dev/dvb/adapter0/frontend0"
echo "@@ ready $(cat /proc/uptime)"
nc -ll -p 7000 -e /bin/guest_control.sh
fail "the command port closed"
