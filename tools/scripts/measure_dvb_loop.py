#!/usr/bin/env python3
"""Figures for azimora-dvb's serving loop on the simulated frontend (run by
tools/scripts/measure_dvb.sh --loop): what a stalled peer costs, how often a
loop of connect, Initialize and close opens and lets go of the frontend, how
many wrong secrets one peer gets answered, and, on a frontend whose every
call takes 0.5 s, how long a start takes, how long another peer waits for
its answer while ten tuning sets are queued, and how long SIGTERM takes then."""
import os
import re
import signal
import socket
import subprocess
import sys
import time

helper_program, work = sys.argv[1], sys.argv[2]
secret = "dish-PC-0123"


def serve(simulation, *more, environment=None):
    path = os.path.join(work, "simulation.txt")
    with open(path, "w") as file:
        file.write(simulation)
    log = os.path.join(work, "frontend.log")
    if os.path.exists(log):
        os.remove(log)
    output = open(os.path.join(work, "helper.out"), "w+")
    process = subprocess.Popen([helper_program, "--simulate", path, "--listen", "127.0.0.1:0", "--log", log, *more],
                               stdout=output, stderr=subprocess.STDOUT, env={**os.environ, **(environment or {})})
    for _ in range(200):
        output.seek(0)
        found = re.search(r"serving .* on 127\.0\.0\.1:(\d+)", output.read())
        if found:
            return process, int(found.group(1)), log
        time.sleep(0.05)
    process.kill()
    sys.exit("azimora-dvb did not start")


def stop(process):
    began = time.monotonic()
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(30)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
    return time.monotonic() - began


def connect(port, source="127.0.0.1"):
    peer = socket.socket()
    peer.bind((source, 0))
    peer.connect(("127.0.0.1", port))
    peer.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    return peer


def reply(peer, timeout=30):
    peer.settimeout(timeout)
    line = b""
    try:
        while not line.endswith(b"\n"):
            byte = peer.recv(1)
            if not byte:
                return "(closed)"
            line += byte
    except socket.timeout:
        return "(no reply)"
    return line.decode().rstrip("\n")


def ask(peer, line, timeout=30):
    peer.sendall((line + "\n").encode())
    return reply(peer, timeout)


def processor_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def count(log, start):
    with open(log) as file:
        return sum(1 for line in file if line.startswith(start))


def tuning_set(frequency, diseqc=0):
    return ("SetLnbSelection 0\nSetLnbFrequency 9750\nSetPolarity 0\nSetSymbolRate 27500\n"
            "SetTransponderFrequency %d\nSetDiseqc %d\n" % (frequency, diseqc))


# A peer that stops reading with a held request queued.
process, port, log = serve("0 lock 10\n")
peer = socket.socket()
peer.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 2048)
peer.connect(("127.0.0.1", port))
peer.sendall(b"Initialize\nQuerySignalStatus\nQuerySignalStatus\n")
peer.setblocking(False)
refused = 0
began = time.monotonic()
while refused < 100 and time.monotonic() - began < 10:
    try:
        peer.send(b"x\n" * 1000)
        refused = 0
    except BlockingIOError:
        refused += 1
        time.sleep(0.005)
before = processor_seconds(process.pid)
time.sleep(3)
print("stalled peer: helper's processor share %.0f %% over 3 s" % ((processor_seconds(process.pid) - before) / 3 * 100))
peer.close()
stop(process)

# Connect, Initialize, close, as fast as the helper answers.
process, port, log = serve("0 lock 10\n")
rounds = 0
began = time.monotonic()
while time.monotonic() - began < 2:
    peer = connect(port)
    ask(peer, "Initialize")
    peer.close()
    rounds += 1
took = time.monotonic() - began
print("open and close loop: %.0f rounds/s, %.1f 'voltage off'/s" % (rounds / took, count(log, "voltage off") / took))
stop(process)

# Wrong secrets from one peer.
process, port, log = serve("0 lock 10\n", environment={"AZIMORA_DVB_SECRET": secret})
answered = 0
began = time.monotonic()
while time.monotonic() - began < 2:
    peer = connect(port)
    if ask(peer, "secret dish-PC-guess", 5) == "fail wrong secret":
        answered += 1
    peer.close()
print("wrong secrets: %d answered to one peer guessing for 2 s" % answered)
stop(process)

# A frontend whose every call takes 0.5 s.
slow = "slow all 500\n0 lock 10\n"
process, port, log = serve(slow)
peer = connect(port)
ask(peer, "Initialize")
began = time.monotonic()
answers = [ask(peer, line) for line in tuning_set(11000, 5).splitlines()]
print("slow frontend: a start with its switch command answered '%s' after %.1f s" %
      (answers[-1], time.monotonic() - began))
peer.close()
stop(process)

process, port, log = serve(slow)
peer = connect(port)
ask(peer, "Initialize")
peer.sendall("".join(tuning_set(10800 + 80 * i, 5) for i in range(10)).encode())
time.sleep(0.7)
began = time.monotonic()
other = connect(port, "127.0.0.2")
answer = reply(other)
print("slow frontend, ten tuning sets queued: another peer answered '%s' after %.1f s" %
      (answer, time.monotonic() - began))
other.close()
powered = count(log, "voltage 1")
took = stop(process)
print("slow frontend, ten tuning sets queued: SIGTERM took %.1f s, the LNB powered %d more times after it" %
      (took, count(log, "voltage 1") - powered))
peer.close()
