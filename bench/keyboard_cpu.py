#!/usr/bin/env python3
"""CPU of the whole program with the keyboard's lighting in three states.

`tirk --emulate` (every virtual device plugged; the virtual bus runs in the
same process, so its cost is included) under Xvfb, measured over N seconds
from /proc (user + system time of the process, % of one core; context
switches of all its threads per second) in a fresh program per scenario:

1. the keyboard in a static mode (6, "static"), the window hidden;
2. the window shown on the keyboard page, the keyboard in an animated mode
   (1, "wave": every key changes colour on every step);
3. the keyboard in mode 30 (external colour, live frames streamed to the
   keyboard), the window hidden.

Targets: under 0.3 %, under 5 %, under 5 % of one core.

The mode is set on the virtual keyboard, as its own buttons would set it:
`tirk-vdev record keyboard 1 MODE` writes the lighting mode code of its
active profile, `tirk-vdev report keyboard 0x0401` tells the program, which
reads the settings again and takes them into the profile. The window is
hidden with its close button and the keyboard page shown by a click on its
tile (xdotool), as bench/idle.py and scripts/screenshot-pages.sh do.

Usage: bench/keyboard_cpu.py [seconds]   (default 60; needs a build in build/;
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

STATIC_MODE, ANIMATED_MODE, EXTERNAL_MODE = 6, 1, 30
READ_SETTINGS, LIVE_FRAME = "0x05", "0x12"
# The keyboard's tile in the device list and a point inside its icon, as
# fractions of the window (the layout scales with the window).
TILE = (0.1375, 0.3427)
TILE_ICON = (0.063, 0.340)



def count(env, command):
    """How many frames of `command` the virtual keyboard received."""
    return idle.frame_count(env, "keyboard", command)


def set_mode(env, mode):
    """Sets the keyboard's mode on the keyboard and waits until the program
    has read the settings again."""
    record = idle.vdev(env, "record", "keyboard", "1", str(mode)).split()
    assert int(record[0], 16) == mode, record
    reads = count(env, READ_SETTINGS)
    idle.vdev(env, "report", "keyboard", "0x0401")
    deadline = time.time() + 5
    while count(env, READ_SETTINGS) < reads + 2:
        if time.time() > deadline:
            raise SystemExit(f"the program did not read the settings after mode {mode}")
        time.sleep(0.05)
    time.sleep(0.5)  # the profile takes the reading on the UI thread


def geometry(window, env):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                         capture_output=True, text=True, env=env).stdout
    g = dict(line.split("=") for line in out.split())
    return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])


def at(window, env, point):
    x, y, width, height = geometry(window, env)
    return x + int(width * point[0]), y + int(height * point[1])


def show_keyboard_page(window, env):
    """Clicks the keyboard's tile; checks that its icon turned red (chosen)."""
    x, y = at(window, env, TILE)
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=env)
    subprocess.run(["xdotool", "mousemove", "0", "0"], env=env)  # no hover effects
    time.sleep(1)
    x, y = at(window, env, TILE_ICON)
    pixel = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "txt:-"],
                           capture_output=True, text=True, env=env).stdout
    rgb = pixel.rsplit("srgb(", 1)[-1].split(")")[0].split(",")
    chosen = len(rgb) == 3 and int(rgb[0]) > 180 and int(rgb[1]) < 100
    if not chosen:
        print(f"  (the keyboard's tile does not look chosen: {pixel.strip()})")


def visible(env):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vorpaline TIRK$"],
                          capture_output=True, text=True, env=env).stdout.strip() != ""


def scenario(env, seconds, name, mode, shown, target):
    folder = os.path.join(env["XDG_RUNTIME_DIR"], name.split(".")[0])  # a first start each time
    os.makedirs(folder, exist_ok=True)
    env = dict(env, XDG_DATA_HOME=os.path.join(folder, "data"),
               XDG_CONFIG_HOME=os.path.join(folder, "config"))
    proc, window = idle.start(["--emulate"], env, output=os.path.join(folder, "output.txt"))
    try:
        venv = dict(env, TIRK_HID_ROOT=os.path.join(env["XDG_RUNTIME_DIR"], "tirk-vbus"))
        time.sleep(2)  # the first synchronisation
        set_mode(venv, mode)
        if shown:
            show_keyboard_page(window, env)
        else:
            idle.hide(window, env)
        time.sleep(2)
        frames0 = count(venv, LIVE_FRAME)
        cpu0, sw0, t0 = idle.cpu_seconds(proc.pid), idle.switches(proc.pid), time.time()
        time.sleep(seconds)
        cpu1, sw1, t1 = idle.cpu_seconds(proc.pid), idle.switches(proc.pid), time.time()
        chunks = (count(venv, LIVE_FRAME) - frames0) / (t1 - t0)
        state = visible(env)
    finally:
        proc.terminate()
        proc.wait()
    share = 100.0 * (cpu1 - cpu0) / (t1 - t0)
    note = "" if state == shown else ("  (window hidden!)" if shown else "  (window still visible!)")
    print(f"{name:>40}: CPU {share:6.3f} % of one core (target < {target} %: "
          f"{'met' if share < target else 'NOT met'}), {idle.wakeups(sw0, sw1) / (t1 - t0):7.1f} "
          f"wake-ups/s, {chunks:5.0f} live frame exchanges/s{note}", flush=True)
    return share


def main():
    seconds = idle.seconds_under_xvfb()
    work = tempfile.mkdtemp(prefix="tirk-kbcpu-")
    try:
        env = dict(os.environ, XDG_RUNTIME_DIR=work, LANG="en_US.UTF-8")
        print(f"{seconds} s per scenario")
        scenario(env, seconds, "1. static mode (6), hidden", STATIC_MODE, False, 0.3)
        scenario(env, seconds, "2. keyboard page shown, wave (1)", ANIMATED_MODE, True, 5)
        scenario(env, seconds, "3. mode 30 streaming, hidden", EXTERNAL_MODE, False, 5)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
