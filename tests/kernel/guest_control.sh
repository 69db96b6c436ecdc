#!/bin/sh
# One command from the host per connection to the guest's port 7000; its
# output goes back on the connection, ending with "@@ end".
#   status [ARG...]      azimora-dvb --status, then its exit code
#   serve SECRET [ARG...] azimora-dvb serving on 0.0.0.0:47474 with that
#                        shared secret, its log in /tmp/frontend.log
#   signal NAME          sends the signal to the serving azimora-dvb and
#                        waits (10 s at most) for its exit code
#   log | output         the frontend log, or what azimora-dvb printed
#   cpu                  the serving azimora-dvb's /proc/PID/stat
#   poweroff             ends the guest
read -r command arguments
helper=/bin/azimora-dvb

exit_code_within() {
    for _ in $(seq 100); do
        [ -s /tmp/helper.code ] && break
        usleep 100000
    done
    echo "exit $(cat /tmp/helper.code 2>/dev/null || echo none)"
}

case $command in
    status)
        $helper --status $arguments 2>&1
        echo "exit $?"
        ;;
    serve)
        set -- $arguments
        secret=$1
        shift
        rm -f /tmp/helper.code /tmp/helper.pid /tmp/helper.out
        setsid sh -c "AZIMORA_DVB_SECRET='$secret' $helper --listen 0.0.0.0:47474 --log /tmp/frontend.log $* \
            >/tmp/helper.out 2>&1 </dev/null & echo \$! >/tmp/helper.pid; wait \$!; echo \$? >/tmp/helper.code" \
            </dev/null >/dev/null 2>&1 &
        for _ in $(seq 100); do
            grep -q 'serving' /tmp/helper.out 2>/dev/null && break
            [ -s /tmp/helper.code ] && break
            usleep 50000
        done
        cat /tmp/helper.out
        [ -s /tmp/helper.code ] && echo "exit $(cat /tmp/helper.code)"
        ;;
    signal)
        kill -"$arguments" "$(cat /tmp/helper.pid)"
        exit_code_within
        ;;
    log) cat /tmp/frontend.log ;;
    output) cat /tmp/helper.out ;;
    cpu) cat "/proc/$(cat /tmp/helper.pid)/stat" ;;
    poweroff)
        echo "@@ end"
        poweroff -f
        ;;
    *) echo "unknown command: $command" ;;
esac
echo "@@ end"
