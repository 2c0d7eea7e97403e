#!/usr/bin/env python3
"""CPU of the whole program with the mouse on its receiver, the window hidden.

`tirk --emulate` under Xvfb; every virtual device but the mouse's receiver is
unplugged with tirk-vdev (the mouse's cable last, so the mouse moves to its
receiver and keeps its tile), the window is hidden with its close button, and
the program is measured over N seconds from /proc (user + system time of the
process, % of one core; wake-ups per second). The receiver's status poll and
link watch run meanwhile (their exchanges are counted). Target: under 0.3 %
of one core.

Usage: bench/mouse_cpu.py [seconds]   (default 60; needs a build in build/;
runs Xvfb itself). A bench, not a test: not run in CI.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import idle  # noqa: E402  bench/idle.py: start, hide, cpu_seconds, switches, wakeups, vdev

TARGET = 0.3
STATUS, ONLINE = "0x1A", "0xAA"




def receiver_polls(env):
    """Status reads and link queries the receiver has answered so far."""
    return sum(idle.frame_count(env, "mouse-receiver", c) for c in (STATUS, ONLINE))


def plugged(env):
    names = []
    for line in idle.vdev(env, "list").split("\n")[1:]:
        words = line.split()
        if len(words) >= 2 and words[1] == "plugged":
            names.append(words[0])
    return names


def main():
    seconds = idle.seconds_under_xvfb()
    work = tempfile.mkdtemp(prefix="tirk-mscpu-")
    try:
        env = dict(os.environ, XDG_RUNTIME_DIR=work, LANG="en_US.UTF-8",
                   XDG_DATA_HOME=os.path.join(work, "data"),
                   XDG_CONFIG_HOME=os.path.join(work, "config"))
        proc, window = idle.start(["--emulate"], env, output=os.path.join(work, "output.txt"))
        try:
            venv = dict(env, TIRK_HID_ROOT=os.path.join(work, "tirk-vbus"))
            time.sleep(2)  # the first synchronisation
            others = [name for name in plugged(venv) if name not in ("mouse", "mouse-receiver")]
            for name in others + ["mouse"]:
                idle.vdev(venv, "unplug", name)
            idle.hide(window, env)
            time.sleep(3)
            polls0 = receiver_polls(venv)
            cpu0, sw0, t0 = idle.cpu_seconds(proc.pid), idle.switches(proc.pid), time.time()
            time.sleep(seconds)
            cpu1, sw1, t1 = idle.cpu_seconds(proc.pid), idle.switches(proc.pid), time.time()
            polls = receiver_polls(venv)
        finally:
            proc.terminate()
            proc.wait()
        share = 100.0 * (cpu1 - cpu0) / (t1 - t0)
        print(f"{seconds} s, mouse on its receiver, window hidden: CPU {share:6.3f} % of one core "
              f"(target < {TARGET} %: {'met' if share < TARGET else 'NOT met'}), "
              f"{idle.wakeups(sw0, sw1) / (t1 - t0):6.1f} wake-ups/s, "
              f"{(polls - polls0) / (t1 - t0):5.2f} receiver exchanges/s", flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
