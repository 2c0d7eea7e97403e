#!/usr/bin/env python3
"""Where the start-up time goes: runs `tirk --emulate` with the debug log on
stderr and stamps every line with the milliseconds since the process started,
plus the moment the window is mapped (seen by xdotool). Frame dumps are left
out. Usage: bench/startup_trace.py   (needs a build in build/; runs Xvfb itself)
"""
import os
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def main():
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1600x1000x24",
                               "dbus-run-session", "--", sys.executable] + sys.argv)
    work = tempfile.mkdtemp(prefix="tirk-trace-", dir="/dev/shm")
    env = dict(os.environ, TIRK_DEBUG="1", XDG_RUNTIME_DIR=work,
               XDG_DATA_HOME=os.path.join(work, "data"), XDG_CONFIG_HOME=os.path.join(work, "config"))
    lines = []
    start = time.monotonic()
    proc = subprocess.Popen([os.path.join(ROOT, "build", "bin", "tirk"), "--emulate"], env=env,
                            stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)

    def read():
        for line in proc.stderr:
            lines.append(((time.monotonic() - start) * 1000, line.rstrip()))

    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    while time.monotonic() - start < 20:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vorpaline TIRK$"],
                               capture_output=True, text=True).stdout.strip()
        if found:
            lines.append(((time.monotonic() - start) * 1000, "== window mapped (xdotool)"))
            break
        time.sleep(0.002)
    time.sleep(0.5)
    proc.terminate()
    proc.wait()
    for ms, text in sorted(lines):
        if text.startswith(("命令", "返回")) or text[:2].strip() and all(
                c in "0123456789ABCDEF " for c in text[:8]):
            continue
        print(f"{ms:8.1f} ms  {text}")


if __name__ == "__main__":
    main()
