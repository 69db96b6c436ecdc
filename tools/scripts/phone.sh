# Sourced by ./run and run_dvb.sh for ./run --phone: where a phone finds the
# card substitute's page, said in the terminal as text and as a QR code.
#   phone_options ARGS...  takes --phone [PORT] out of the arguments: sets
#                          AZIMORA_PHONE (for the card) and AZM_PHONE_PORT,
#                          and leaves the rest in phone_rest
#   announce_phone         once the page answers, prints its address and code

azm_default_phone_port=8474

phone_options() {
    phone_rest=()
    while (($#)); do
        if [[ $1 == --phone ]]; then
            AZM_PHONE_PORT=$azm_default_phone_port
            if [[ ${2:-} =~ ^[0-9]+$ ]]; then
                AZM_PHONE_PORT=$2
                shift
            fi
            export AZM_PHONE_PORT AZIMORA_PHONE=$AZM_PHONE_PORT
        else
            phone_rest+=("$1")
        fi
        shift
    done
}

# This machine's address on its default route, as the card works it out
# (Wine's sockets are the host's); 127.0.0.1 without a network.
phone_host() {
    local host
    host=$(ip -4 route get 192.0.2.1 2>/dev/null | grep -oE 'src [0-9.]+' | cut -d' ' -f2)
    [[ -z $host ]] && host=$(hostname -I 2>/dev/null | cut -d' ' -f1)
    echo "${host:-127.0.0.1}"
}

announce_phone() {
    [[ -z ${AZM_PHONE_PORT:-} ]] && return 0
    local url="http://$(phone_host):$AZM_PHONE_PORT/"
    local answered=no
    for _ in $(seq 100); do
        curl -s -o /dev/null -m 1 "http://127.0.0.1:$AZM_PHONE_PORT/" && answered=yes && break
        sleep 0.1
    done
    if [[ $answered == no ]]; then
        echo "The phone page does not answer on port $AZM_PHONE_PORT (taken by another program?): the Phone window says why. Measuring goes on without it."
        return 0
    fi
    echo "Phone page: $url  (scan the code with a phone on the same network)"
    if [[ -x build/host/azimora-qr ]] || ninja -C build/host azimora-qr >/dev/null 2>&1; then
        build/host/azimora-qr "$url"
    fi
}
