#!/usr/bin/env python3
"""Generates the default recoil tables and the recoil page's gun pictures.

Writes resources/DefaultData/ShootData_0..3.Shoot (one table per gun, 30
shots of six macro events, in the program's styled JSON form) and draws
resources/skin/recoil/gun_0..3.png from the same patterns with ImageMagick
(`convert`, Debian's imagemagick package). Both are committed; run this
again only to change them (docs/recoil.md):

    python3 scripts/make_recoil_defaults.py

A shot b is the events 6b … 6b+5: left button down (10 ms) and up, the
horizontal pull (5 ms), the vertical pull followed by the shot's delay, and
both pulls again at distance 0. One shot therefore takes 15 ms + its delay;
the delays below make that the gun's fire interval.

The tables compensate recoil: the vertical pull moves the pointer down
("up" in the file) against the climb, the horizontal pull against the
drift. The pictures show the pattern without compensation, which is the
pattern the table undoes: the muzzle climbs and drifts while the numbers of
the table grow.
"""

import importlib.util
import math
import os
import subprocess

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
DATA_DIR = os.path.join(ROOT, "resources", "DefaultData")
IMAGE_DIR = os.path.join(ROOT, "resources", "skin", "recoil")

SHOTS = 30
SHOT_OVERHEAD_MS = 15  # the click (10 ms) and the pause between the pulls (5 ms)


def load_styled_writer():
    spec = importlib.util.spec_from_file_location(
        "make_default_profiles", os.path.join(ROOT, "scripts", "make_default_profiles.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module.styled


# ---- the four patterns: per shot (horizontal, vertical) pull in counts ----
# Horizontal: positive pulls left (the gun drifts right), negative pulls right.
# Vertical: always down, against the climb.

def assault_rifle(b):
    """600 rounds a minute: a steep climb over the first ten shots, then a
    flat part that swings left, right and left again."""
    if b < 10:
        return (1 if b > 5 else 0), round(4 + 6 * math.sin(b / 9.0 * math.pi / 2)), 100
    vertical = 3 if b < 14 else 2
    horizontal = -4 if b < 18 else (4 if b < 25 else -3)
    return horizontal, vertical, 100


def submachine_gun(b):
    """667 rounds a minute: a light climb with a zigzag to both sides."""
    vertical = 4 if b < 12 else 2
    horizontal = (2, 2, -2, -2)[b % 4]
    return horizontal, vertical, 90


def machine_gun(b):
    """545 rounds a minute: a heavy climb that keeps going, straight at
    first, then drifting further and further to the right."""
    vertical = round(5 + 4 * (1 - math.exp(-b / 6.0)))
    horizontal = 0 if b < 6 else (2 if b < 16 else 4)
    return horizontal, vertical, 110


def marksman_rifle(b):
    """460 rounds a minute: one hard kick per shot, with a little to the
    left on every third shot."""
    vertical = 10 if b else 8
    horizontal = -2 if b % 3 == 2 else 0
    return horizontal, vertical, 130


GUNS = [assault_rifle, submachine_gun, machine_gun, marksman_rifle]


def shot_events(horizontal, vertical, interval):
    left = "down" if horizontal > 0 else "up"
    up = "up"  # vertical "up" moves the pointer down
    delay = interval - SHOT_OVERHEAD_MS
    return [
        {"Action": "down", "Button": 1, "Delay": 10, "Type": 1},
        {"Action": "up", "Button": 1, "Delay": 0, "Type": 1},
        {"Action": left, "Button": abs(horizontal), "Delay": 5, "Type": 4},
        {"Action": up, "Button": vertical, "Delay": delay, "Type": 5},
        {"Action": left, "Button": 0, "Delay": 0, "Type": 4},
        {"Action": up, "Button": 0, "Delay": 0, "Type": 5},
    ]


def table(gun):
    events = []
    for b in range(SHOTS):
        events += shot_events(*gun(b))
    return {"Events": events}


# ---- pictures: 400 x 400 px, shown at 200 x 200 (twice the size for high DPI) ----

SIZE = 400
BACKGROUND = "#1B1E25"
BORDER = "#2A2E38"
GRID = "#22252D"
PATH = "#5A3036"
RING = "#8A909C"
FIRST = (0xE8, 0xE8, 0xEC)
LAST = (0xE8, 0x34, 0x3E)


def climb(gun):
    """The points where the shots land without compensation, from (0, 0)."""
    x, y, points = 0.0, 0.0, []
    for b in range(SHOTS):
        points.append((x, y))
        horizontal, vertical, _ = gun(b)
        x += horizontal  # a pull to the left answers a drift to the right
        y -= vertical
    return points


def blend(t):
    return "#%02X%02X%02X" % tuple(round(a + (b - a) * t) for a, b in zip(FIRST, LAST))


def draw(gun, path):
    points = climb(gun)
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    # Each picture fits its pattern; drifts are drawn at twice the scale of
    # the climb, which would otherwise hide them.
    start_y = SIZE - 64
    scale = min((start_y - 48) / -min(ys), (SIZE - 96) / (2 * max(1, max(xs) - min(xs))))
    centre_x = SIZE / 2 - scale * (min(xs) + max(xs))
    spots = [(centre_x + 2 * scale * x, start_y + scale * y) for x, y in points]
    commands = ["-fill", BACKGROUND, "-stroke", BORDER, "-strokewidth", "2",
                "-draw", "roundrectangle 1,1 %d,%d 12,12" % (SIZE - 2, SIZE - 2),
                "-stroke", GRID, "-strokewidth", "2"]
    for at in range(40, SIZE, 40):
        commands += ["-draw", "line %d,12 %d,%d" % (at, at, SIZE - 12),
                     "-draw", "line 12,%d %d,%d" % (at, SIZE - 12, at)]
    commands += ["-fill", "none", "-stroke", PATH, "-strokewidth", "4"]
    for (x1, y1), (x2, y2) in zip(spots, spots[1:]):
        commands += ["-draw", "line %.1f,%.1f %.1f,%.1f" % (x1, y1, x2, y2)]
    sx, sy = spots[0]
    commands += ["-stroke", RING, "-strokewidth", "3",
                 "-draw", "circle %.1f,%.1f %.1f,%.1f" % (sx, sy, sx + 16, sy),
                 "-draw", "line %.1f,%.1f %.1f,%.1f" % (sx - 26, sy, sx - 10, sy),
                 "-draw", "line %.1f,%.1f %.1f,%.1f" % (sx + 10, sy, sx + 26, sy),
                 "-draw", "line %.1f,%.1f %.1f,%.1f" % (sx, sy + 10, sx, sy + 26),
                 "-stroke", "none"]
    for b, (x, y) in enumerate(spots):
        commands += ["-fill", blend(b / (SHOTS - 1)),
                     "-draw", "circle %.1f,%.1f %.1f,%.1f" % (x, y, x + 5, y)]
    subprocess.run(["convert", "-size", "%dx%d" % (SIZE, SIZE), "xc:none"] + commands +
                   ["PNG32:" + path], check=True)


def main():
    styled = load_styled_writer()
    os.makedirs(DATA_DIR, exist_ok=True)
    os.makedirs(IMAGE_DIR, exist_ok=True)
    for index, gun in enumerate(GUNS):
        with open(os.path.join(DATA_DIR, "ShootData_%d.Shoot" % index), "w",
                  encoding="utf-8", newline="\n") as out:
            out.write(styled(table(gun)))
        draw(gun, os.path.join(IMAGE_DIR, "gun_%d.png" % index))


if __name__ == "__main__":
    main()
