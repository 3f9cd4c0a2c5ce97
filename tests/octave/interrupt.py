#!/usr/bin/env python3
"""interrupt.py DIR: Ctrl-C at an interactive Octave prompt interrupts a long
call of each command in DIR (for givsmooth, the search for sigma of two
series, on two threads).  Octave runs on a pseudo-terminal, as for a user,
and Ctrl-C is typed there.  Each call is sized from a short timed call on this
machine to run for about SECONDS, within a quarter of the memory available
and at most NMAX steps; Ctrl-C goes a quarter of the way in.  The test checks
that the call was still running when Ctrl-C arrived (no prompt before it),
that the prompt is back within LIMIT seconds and within half the time the
call had left, that the call's output was never made and its memory freed,
and that the next call works.  Where the machine cannot hold a call of
at least SHORTEST seconds, it says so and returns 77 (skipped): it never
passes without an interrupt landing mid-call."""
import os
import pty
import re
import select
import sys
import time

SECONDS = 1.0       # how long each call would run
NMAX = 2**26        # steps: the replays' table alone is then 3 GiB
SHORTEST = 0.15     # a call shorter than this cannot be interrupted for sure
LIMIT = 0.25        # seconds from Ctrl-C to the prompt (about 0.02 measured)
PROMPT = b"@@> "
SKIP = 77


def read_until(fd, marker, timeout):
    buf, end = b"", time.time() + timeout
    while marker not in buf:
        ready, _, _ = select.select([fd], [], [], max(0.0, end - time.time()))
        if not ready:
            raise TimeoutError(buf.decode(errors="replace"))
        buf += os.read(fd, 65536)
    return buf.decode(errors="replace")


def read_for(fd, seconds):
    """What Octave writes in the next seconds."""
    buf, end = b"", time.time() + seconds
    while True:
        left = end - time.time()
        if left <= 0:
            return buf
        ready, _, _ = select.select([fd], [], [], left)
        if ready:
            buf += os.read(fd, 65536)


def meminfo(key):
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1]) * 1024
    return 0


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    folder = sys.argv[1]
    pid, fd = pty.fork()
    if pid == 0:
        os.environ["OCTAVE_HISTFILE"] = "/dev/null"
        os.execvp("octave-cli", ["octave-cli", "--norc", "--quiet", "--no-window-system",
                                 "--interactive", "--no-line-editing"])

    def say(line, timeout=300):
        os.write(fd, line.encode() + b"\n")
        return read_until(fd, PROMPT, timeout)

    def timed(setup, call, n0):
        """Seconds a step of call takes, from a run at n = n0."""
        out = say(f"n = {n0}; {setup} tic; {call} t = toc; clear out R Q x; printf ('@t %.6g\\n', t / n)")
        return float(re.search(r"@t ([0-9][0-9.eE+-]*)", out).group(1))

    read_until(fd, b">", 60)
    os.write(fd, f"PS1 (['@' '@> ']); more off; addpath ('{folder}');\n".encode())
    read_until(fd, PROMPT, 60)

    # each call: (name, setup, call, bytes a step of n)
    calls = [("givfact", "", "[out, R] = givfact (n, 0.1);", 104)]
    for cmd in ("givfwd", "givinv"):
        calls.append((cmd, "Q = repmat ([0.6 0.8], n - 2, 3); x = ones (2*n - 2, 1);",
                      f"out = {cmd} (Q, x);", 48 + 16 + 16))
    # the search for sigma of two series at once, each on a thread of its own
    calls.append(("givsmooth", "x = cumsum (randn (n, 2));", "out = givsmooth (x);", 2 * (8 + 8 + 48)))
    memory = meminfo("MemAvailable") / 4
    plans = []
    for name, setup, call, per in calls:
        step = timed(setup, call, 10**6)
        n = int(min(SECONDS / step, memory / per, NMAX))
        if n * step < SHORTEST:
            print(f"skipped: a {name} call this machine can hold ({n:.3g} steps in a quarter of "
                  f"{4 * memory / 2**30:.1f} GiB) runs {n * step:.2f} s, less than {SHORTEST} s")
            os.write(fd, b"exit\n")
            os.waitpid(pid, 0)
            return SKIP
        plans.append((name, setup, call, n, n * step))

    failed = 0
    for name, setup, call, n, expected in plans:
        say(f"n = {n}; {setup}")
        before = rss_kb(pid)
        after = expected / 4
        os.write(fd, call.encode() + b"\n")
        early = read_for(fd, after)
        t0 = time.time()
        os.write(fd, b"\x03")
        tail = read_until(fd, PROMPT, 60)
        latency = time.time() - t0
        running = PROMPT not in early
        clean = "error" not in (early.decode(errors="replace") + tail)
        gone = "ans = 0" in say("exist ('out')")
        grown = (rss_kb(pid) - before) / 1024
        ok = running and clean and gone and latency < min(LIMIT, (expected - after) / 2) and grown < 64
        failed += not ok
        print(f"{name} at n = {n:.3g} (about {expected:.2f} s), Ctrl-C after {after:.2f} s: "
              f"{'still running' if running else 'ENDED FIRST'}, prompt back {1e3 * latency:.0f} ms later, "
              f"output {'never made' if gone else 'MADE'}, {'no error' if clean else 'AN ERROR'}, "
              f"memory {grown:+.0f} MB: {'ok' if ok else 'FAILED'}")
        say("clear Q x out R")

    out = say("[Qbar, R] = givfact (100, 0.1); z = givinv (Qbar, givfwd (Qbar, ones (198, 1))); "
              "printf ('next call: %d\\n', norm (z - 1) < 1e-12)")
    next_ok = "next call: 1" in out
    failed += not next_ok
    print(f"the next call works: {'ok' if next_ok else 'FAILED'}")
    os.write(fd, b"exit\n")
    os.waitpid(pid, 0)
    print(f"{len(plans) + 1 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
