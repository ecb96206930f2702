#!/usr/bin/env python3
"""Loads a printer-sim fleet on 127.0.0.1: connects to every printer at once, asks each for its
model name ROUNDS times over the same connection, and prints how many answered, how long the
answers took, and the printer-sim process's peak memory and CPU time so far.

    tools/bench/sim_load.py FIRST_PORT COUNT [ROUNDS] [SIM_PID]

Exit status 0 when every printer answered every time, 1 otherwise.
"""
import os
import resource
import selectors
import socket
import sys
import time

ASK_MODEL = b"\x1dIC"
TIME_LIMIT_S = 120


def sim_figures(pid):
    status = open(f"/proc/{pid}/status").read().splitlines()
    fields = dict(line.split(":", 1) for line in status if ":" in line)
    stat = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    cpu = (int(stat[11]) + int(stat[12])) / os.sysconf("SC_CLK_TCK")
    return (f"printer-sim: peak RSS {fields['VmHWM'].strip()}, RSS {fields['VmRSS'].strip()}, "
            f"threads {fields['Threads'].strip()}, CPU {cpu:.2f} s")


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    first, count = int(sys.argv[1]), int(sys.argv[2])
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    pid = int(sys.argv[4]) if len(sys.argv) > 4 else None
    _, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))

    selector = selectors.DefaultSelector()
    # Per port: the reply so far, rounds left, when the question went out.
    state = {}
    latencies = []
    start = time.monotonic()
    for port in range(first, first + count):
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.setblocking(False)
        s.connect_ex(("127.0.0.1", port))
        state[s] = [b"", rounds, None]
        selector.register(s, selectors.EVENT_WRITE)
    connected_s = None
    done = 0
    while done < count and time.monotonic() - start < TIME_LIMIT_S:
        for key, events in selector.select(timeout=1):
            s = key.fileobj
            entry = state[s]
            if events & selectors.EVENT_WRITE:
                if s.getsockopt(socket.SOL_SOCKET, socket.SO_ERROR) != 0:
                    selector.unregister(s)
                    s.close()
                    done += 1
                    continue
                s.send(ASK_MODEL)
                entry[2] = time.monotonic()
                selector.modify(s, selectors.EVENT_READ)
                continue
            data = s.recv(256)
            if not data:
                selector.unregister(s)
                s.close()
                done += 1
                continue
            entry[0] += data
            if entry[0].endswith(b"\0"):
                latencies.append(time.monotonic() - entry[2])
                entry[0] = b""
                entry[1] -= 1
                if entry[1] == 0:
                    # Gone at once: a printer of a fleet short of open files serves the next client.
                    selector.unregister(s)
                    s.close()
                    done += 1
                else:
                    s.send(ASK_MODEL)
                    entry[2] = time.monotonic()
    elapsed = time.monotonic() - start
    answered = sum(1 for e in state.values() if e[1] == 0)
    latencies.sort()
    print(f"{answered} of {count} printers answered {rounds} times in {elapsed:.2f} s", end="")
    if latencies:
        print(f"; answer time median {latencies[len(latencies) // 2] * 1000:.1f} ms, "
              f"max {latencies[-1] * 1000:.1f} ms")
    else:
        print()
    if pid:
        print(sim_figures(pid))
    for s in state:
        s.close()
    return 0 if answered == count else 1


if __name__ == "__main__":
    sys.exit(main())
