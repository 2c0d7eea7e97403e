#!/usr/bin/env python3
"""Idle cost and plug latency of the running program.

1. CPU and wake-ups: `tirk --emulate` (every virtual device plugged) with its
   window hidden, measured over N seconds from /proc (user + system time of
   the whole process; voluntary + involuntary context switches of all its
   threads, i.e. how often its threads were put on a CPU), beside `tirk` on an
   empty HID root (no device). Target: under 0.3 % of one core.
2. Plug to tile: `tirk-vdev unplug/plug headset` against the running program,
   the time from the plug command to the program's log line for the arrival
   (the tile is shown in the same handler), median of 20. Target: < 200 ms.

Usage: bench/idle.py [seconds]   (needs a build in build/; runs Xvfb itself)
"""
import glob
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "bin")
TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def switches(pid):
    """Context switches per thread id (a thread that ends meanwhile is lost)."""
    counts = {}
    for status in glob.glob(f"/proc/{pid}/task/*/status"):
        tid = status.split("/")[4]
        try:
            counts[tid] = sum(int(line.split()[1]) for line in open(status)
                              if line.startswith(("voluntary_ctxt", "nonvoluntary_ctxt")))
        except OSError:
            pass  # the thread ended meanwhile
    return counts


def wakeups(before, after):
    return sum(count - before.get(tid, 0) for tid, count in after.items())


def vdev(env, *words):
    """Runs tirk-vdev with `words`; its output, or exits naming the command."""
    result = subprocess.run([os.path.join(BIN, "tirk-vdev"), *words], env=env,
                            capture_output=True, text=True)
    if result.returncode != 0:
        raise SystemExit(f"tirk-vdev {' '.join(words)}: {result.stderr.strip()}")
    return result.stdout


def frame_count(env, device, command):
    """How many frames of `command` ("0x1A") the virtual `device` received."""
    for line in vdev(env, "counts", device).split("\n"):
        if line.startswith(command + " "):
            return int(line.split()[1])
    return 0


def start(args, env, log=None, output=None):
    """Starts tirk and waits for its window; `output`: a file for its stdout
    and stderr, whose end is shown when the window does not come."""
    env = dict(env, TIRK_LOG=log) if log else env
    sink = open(output, "w") if output else subprocess.DEVNULL
    proc = subprocess.Popen([os.path.join(BIN, "tirk")] + args, env=env,
                            stdout=sink, stderr=sink)
    deadline = time.time() + 20
    while time.time() < deadline and proc.poll() is None:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vorpaline TIRK$"],
                               capture_output=True, text=True, env=env).stdout.split()
        if found:
            return proc, found[0]
        time.sleep(0.05)
    proc.kill()
    proc.wait()
    said = "".join(open(output, errors="replace").readlines()[-10:]) if output else ""
    raise SystemExit(f"the window did not appear (exit status {proc.returncode})\n{said}")


def hide(window, env):
    """Clicks the window's close button (top right), which hides it."""
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                              capture_output=True, text=True, env=env).stdout
    g = dict(line.split("=") for line in geometry.split())
    x, y = int(g["X"]) + int(g["WIDTH"]) - 20, int(g["Y"]) + 24
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=env)
    time.sleep(1)


def idle_cost(args, env, seconds, work, name):
    proc, window = start(args, env)  # no debug log: it would cost CPU of its own
    time.sleep(2)
    hide(window, env)
    visible = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vorpaline TIRK$"],
                             capture_output=True, text=True, env=env).stdout.strip()
    cpu0, sw0, t0 = cpu_seconds(proc.pid), switches(proc.pid), time.time()
    time.sleep(seconds)
    cpu1, sw1, t1 = cpu_seconds(proc.pid), switches(proc.pid), time.time()
    proc.terminate()
    proc.wait()
    share = 100.0 * (cpu1 - cpu0) / (t1 - t0)
    print(f"{name:>28}: CPU {share:.3f} % of one core, {wakeups(sw0, sw1) / (t1 - t0):.1f} wake-ups/s"
          f"{'' if not visible else '  (window still visible!)'}")
    return share


def plug_latency(env, work, runs=20):
    log = os.path.join(work, "plug.log")
    proc, window = start(["--emulate"], env, log)
    time.sleep(2)
    vdev = [os.path.join(BIN, "tirk-vdev")]
    root = None
    for line in open(log, errors="replace"):
        if line.startswith("virtual devices at "):
            root = line.split(" at ", 1)[1].strip()
    venv = dict(env, TIRK_HID_ROOT=root)
    times = []
    for _ in range(runs):
        subprocess.run(vdev + ["unplug", "headset"], env=venv, capture_output=True)
        time.sleep(0.4)
        before = open(log, errors="replace").read().count("添加一个鼠标垫设备")
        t0 = time.monotonic()
        subprocess.run(vdev + ["plug", "headset"], env=venv, capture_output=True)
        while open(log, errors="replace").read().count("添加一个鼠标垫设备") == before:
            if time.monotonic() - t0 > 5:
                break
            time.sleep(0.001)
        times.append((time.monotonic() - t0) * 1000)
        time.sleep(0.3)
    proc.terminate()
    proc.wait()
    print(f"{'plug to tile':>28}: median {statistics.median(times):.1f} ms, "
          f"max {max(times):.1f} ms over {runs} plugs")


def seconds_under_xvfb():
    """The seconds per measurement (first argument, 60 by default); without a
    display the script starts again under Xvfb with a private D-Bus session."""
    seconds = int(sys.argv[1]) if len(sys.argv) > 1 else 60
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1600x1000x24",
                               "dbus-run-session", "--", sys.executable] + sys.argv)
    return seconds


def main():
    seconds = seconds_under_xvfb()
    work = tempfile.mkdtemp(prefix="tirk-idle-")
    try:
        env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "data"),
                   XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_RUNTIME_DIR=work)
        empty = os.path.join(work, "empty-root")
        os.makedirs(os.path.join(empty, "sys", "class", "hidraw"))
        idle_cost([], dict(env, TIRK_HID_ROOT=empty), seconds, work, "no device, hidden")
        idle_cost(["--emulate"], env, seconds, work, "all virtual devices, hidden")
        plug_latency(env, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
