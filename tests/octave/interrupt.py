#!/usr/bin/env python3
"""interrupt.py DIR: Ctrl-C at an interactive Octave prompt interrupts a long
call of each command in DIR: the prompt is back within LIMIT seconds, the
call's outputs are freed (the resident memory returns to what it was), and
the next call works.  Octave runs on a pseudo-terminal, as for a user, and
Ctrl-C is typed there."""
import os
import pty
import select
import sys
import time

LIMIT = 0.25        # seconds from Ctrl-C to the prompt (about 0.02 measured)
N = 50_000_000      # givfact (N) takes about 10 s here; each replay about 0.3 s
PROMPT = b"@@> "


def read_until(fd, marker, timeout):
    buf, end = b"", time.time() + timeout
    while marker not in buf:
        ready, _, _ = select.select([fd], [], [], max(0.0, end - time.time()))
        if not ready:
            raise TimeoutError(buf.decode(errors="replace"))
        buf += os.read(fd, 65536)
    return buf.decode(errors="replace")


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
    failed = 0

    def say(line, timeout=120):
        os.write(fd, line.encode() + b"\n")
        return read_until(fd, PROMPT, timeout)

    def interrupt(call, after, name):
        nonlocal failed
        before = rss_kb(pid)
        os.write(fd, call.encode() + b"\n")
        time.sleep(after)
        t0 = time.time()
        os.write(fd, b"\x03")
        read_until(fd, PROMPT, 60)
        latency = time.time() - t0
        gone = "ans = 0" in say("exist ('out')")
        grown = (rss_kb(pid) - before) / 1024
        ok = gone and latency < LIMIT and grown < 64
        failed += not ok
        print(f"{name}: prompt back {1e3 * latency:.0f} ms after Ctrl-C, output "
              f"{'never made' if gone else 'made: the call ended first'}, "
              f"memory {grown:+.0f} MB: {'ok' if ok else 'FAILED'}")

    read_until(fd, b">", 60)
    os.write(fd, f"PS1 (['@' '@> ']); more off; addpath ('{folder}');\n".encode())
    read_until(fd, PROMPT, 60)
    interrupt(f"[out, R] = givfact ({N}, 0.1);", 3.0, f"givfact ({N}, 0.1), Ctrl-C after 3 s")
    say(f"Q = repmat ([0.6 0.8], {N - 2}, 3); x = ones ({2 * N - 2}, 1);")
    for cmd in ("givfwd", "givinv"):
        interrupt(f"out = {cmd} (Q, x);", 0.1, f"{cmd} at n = {N}, Ctrl-C after 0.1 s")
    out = say("clear Q x; [Qbar, R] = givfact (100, 0.1); z = givinv (Qbar, givfwd (Qbar, ones (198, 1))); "
              "printf ('next call: %d\\n', norm (z - 1) < 1e-12)")
    next_ok = "next call: 1" in out
    failed += not next_ok
    print(f"the next call works: {'ok' if next_ok else 'FAILED'}")
    os.write(fd, b"exit\n")
    os.waitpid(pid, 0)
    print(f"{4 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
