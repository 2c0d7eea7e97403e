#!/usr/bin/env python3
"""Generates the default profiles resources/DefaultData/{mouse,keyboard,MousePad,HD}.Json.

The files are written in the program's own on-disk form (the styled JSON of
jsoncpp's StyledWriter followed by one newline), so a profile saved by the
program and a default profile differ only where values differ. The profile
tests check that every default file is exactly its own re-styled text.

Run from anywhere: python3 scripts/make_default_profiles.py
"""

import colorsys
import os

RIGHT_MARGIN = 74
OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "DefaultData")


# ---- styled writer (jsoncpp StyledWriter, byte for byte) ----

def quoted(text):
    out = ['"']
    for ch in text:
        code = ord(ch)
        if ch == '"':
            out.append('\\"')
        elif ch == '\\':
            out.append('\\\\')
        elif ch == '\b':
            out.append('\\b')
        elif ch == '\f':
            out.append('\\f')
        elif ch == '\n':
            out.append('\\n')
        elif ch == '\r':
            out.append('\\r')
        elif ch == '\t':
            out.append('\\t')
        elif code < 0x20 or code > 0x7E:
            if code > 0xFFFF:
                code -= 0x10000
                out.append('\\u%04x\\u%04x' % (0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF)))
            else:
                out.append('\\u%04x' % code)
        else:
            out.append(ch)
    out.append('"')
    return ''.join(out)


def scalar(value):
    if value is None:
        return 'null'
    if value is True:
        return 'true'
    if value is False:
        return 'false'
    if isinstance(value, int):
        return str(value)
    if isinstance(value, str):
        return quoted(value)
    raise TypeError('unsupported value %r' % (value,))


class StyledWriter:
    def __init__(self):
        self.doc = []
        self.indent = ''

    def text(self):
        return ''.join(self.doc)

    def last_char(self):
        for part in reversed(self.doc):
            if part:
                return part[-1]
        return ''

    def write_indent(self):
        last = self.last_char()
        if last == '':
            return
        if last == ' ':
            return
        if last != '\n':
            self.doc.append('\n')
        self.doc.append(self.indent)

    def write_with_indent(self, value):
        self.write_indent()
        self.doc.append(value)

    def write_value(self, value):
        if isinstance(value, dict):
            if not value:
                self.doc.append('{}')
                return
            self.write_with_indent('{')
            self.indent += '   '
            names = sorted(value, key=lambda n: n.encode('utf-8'))
            for i, name in enumerate(names):
                self.write_with_indent(quoted(name))
                self.doc.append(' : ')
                self.write_value(value[name])
                if i + 1 < len(names):
                    self.doc.append(',')
            self.indent = self.indent[:-3]
            self.write_with_indent('}')
        elif isinstance(value, list):
            self.write_array(value)
        else:
            self.doc.append(scalar(value))

    def is_multiline(self, array):
        if len(array) * 3 >= RIGHT_MARGIN:
            return True, []
        if any(isinstance(c, (list, dict)) and len(c) > 0 for c in array):
            return True, []
        children = []
        for child in array:
            sub = StyledWriter()
            sub.write_value(child)
            children.append(sub.text())
        length = 4 + (len(array) - 1) * 2 + sum(len(c) for c in children)
        return length >= RIGHT_MARGIN, children

    def write_array(self, array):
        if not array:
            self.doc.append('[]')
            return
        multiline, children = self.is_multiline(array)
        if not multiline:
            self.doc.append('[ ' + ', '.join(children) + ' ]')
            return
        self.write_with_indent('[')
        self.indent += '   '
        for i, child in enumerate(array):
            if children:
                self.write_with_indent(children[i])
            else:
                self.write_indent()
                self.write_value(child)
            if i + 1 < len(array):
                self.doc.append(',')
        self.indent = self.indent[:-3]
        self.write_with_indent(']')


def styled(value):
    writer = StyledWriter()
    writer.write_value(value)
    return writer.text() + '\n' + '\n'  # the writer's own newline, then the file's


# ---- shared values ----

def code(kind, p1, p2):
    return kind * 65536 + p1 * 256 + p2


def light_info(mode, light=4, speed=2, fx=0, multi=1, rgb=(255, 0, 0)):
    return {
        "SelectItem": mode, "Light": light, "Speed": speed, "Fx": fx, "MultiColor": multi,
        "Red": rgb[0], "Green": rgb[1], "Blue": rgb[2],
        "ZZCCLedMode": 0, "CustomGroup": 0, "OldLedmode": mode,
    }


def no_per_key_effects(count):
    # A null element means "no per-key effect on this LED": the mode runs alone.
    return [None] * count


def write(name, device):
    path = os.path.join(OUT_DIR, name + ".Json")
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write(styled({"Device": [device]}))
    print('wrote', os.path.normpath(path))


# ---- mouse ----

# The mouse's standard functions 0..10, in the order the firmware's key table
# is searched for them: left, right, middle, forward, back, DPI up, DPI down,
# DPI cycle, game mode, DPI shift, fire key.
MOUSE_KEYS = [
    code(0x10, 0x01, 0x00), code(0x10, 0x02, 0x00), code(0x10, 0x04, 0x00),
    code(0x10, 0x10, 0x00), code(0x10, 0x08, 0x00),
    code(0x13, 0x01, 0x00), code(0x13, 0x02, 0x00), code(0x13, 0x03, 0x00),
    code(0xA0, 0x1B, 0x00), code(0x16, 0x90, 0x01), code(0x14, 0x78, 0x02),
]

DPI_STAGES = [(400, (255, 0, 0)), (800, (0, 255, 0)), (1600, (0, 0, 255)),
              (3200, (255, 255, 0)), (6400, (255, 0, 255))]


def mouse():
    return {
        "KeyList": [{"Assignment": c, "DefaultAssignment": c} for c in MOUSE_KEYS],
        "DPIStages": {
            "StageActive": 2,
            "StageDPIs": [{
                "StageActive": 1, "StageXY": 0, "StageDPIX": dpi, "StageDPIY": dpi,
                "StageColorR": r, "StageColorG": g, "StageColorB": b,
            } for dpi, (r, g, b) in DPI_STAGES],
        },
        # Windows' own defaults: 500 ms double click, speed 10 of 20, enhanced
        # precision on, three lines per notch.
        "SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10, "PointerPrecision": 1,
                         "ScorllPage": 0, "WheelScorlllinse": 3},
        "ReportStages": {"StageActive": 3},  # 125, 250, 500, 1000, 2000 Hz: 1000 Hz
        "CorrectInfo": [
            {"CorrectName": "Off", "CorrectPixThresh": 0, "CorrectMinSq": 0, "CorrectSelect": 1},
            {"CorrectName": "Light", "CorrectPixThresh": 4, "CorrectMinSq": 8, "CorrectSelect": 0},
            {"CorrectName": "Strong", "CorrectPixThresh": 8, "CorrectMinSq": 16, "CorrectSelect": 0},
        ],
        "LightInfo": light_info(mode=0),
        "LightList": no_per_key_effects(15),
    }


# ---- keyboard ----

# Factory code of each of the 170 on-screen key positions; positions 18, 19,
# 20, 104 and 126..169 carry the placeholder 20 00 00.
KEY_POSITIONS = (
    [(0x20, 0, u) for u in (0x29, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42)] +
    [(0x20, 0, 0x43), (0x20, 0, 0x44), (0x20, 0, 0x45), (0x20, 0, 0x46), (0x20, 0, 0x47),
     (0x20, 0, 0x48), (0xA0, 0x1B, 0), (0xA0, 0x11, 0), (0x20, 0, 0), (0x20, 0, 0)] +
    [(0x20, 0, 0), (0x20, 0, 0x35)] +
    [(0x20, 0, u) for u in (0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25)] +
    [(0x20, 0, u) for u in (0x26, 0x27, 0x2D, 0x2E, 0x2A, 0x49, 0x4A, 0x4B, 0x53, 0x54)] +
    [(0x20, 0, u) for u in (0x55, 0x56, 0x2B, 0x14, 0x1A, 0x08, 0x15, 0x17, 0x1C, 0x18)] +
    [(0x20, 0, u) for u in (0x0C, 0x12, 0x13, 0x2F, 0x30, 0x31, 0x4C, 0x4D, 0x4E, 0x5F)] +
    [(0x20, 0, u) for u in (0x60, 0x61, 0x32, 0x39, 0x04, 0x16, 0x07, 0x09, 0x0A, 0x0B)] +
    [(0x20, 0, u) for u in (0x0D, 0x0E, 0x0F, 0x33, 0x34, 0x28, 0x5C, 0x5D, 0x5E, 0x8A)] +
    [(0x20, 0, 0x8B), (0x20, 0, 0x90), (0x20, 0, 0x91), (0x20, 0, 0x88), (0x20, 0x02, 0),
     (0x20, 0, 0x1D), (0x20, 0, 0x1B), (0x20, 0, 0x06), (0x20, 0, 0x19), (0x20, 0, 0x05)] +
    [(0x20, 0, 0x11), (0x20, 0, 0x10), (0x20, 0, 0x36), (0x20, 0, 0x37), (0x20, 0, 0x38),
     (0x20, 0x20, 0), (0x20, 0, 0x52), (0x20, 0, 0x59), (0x20, 0, 0x5A), (0x20, 0, 0x5B)] +
    [(0x20, 0, 0x87), (0x20, 0, 0x89), (0x20, 0, 0x64), (0x20, 0, 0x85), (0x20, 0, 0),
     (0x20, 0x01, 0), (0x20, 0x08, 0), (0x20, 0x04, 0), (0x20, 0, 0x2C), (0x20, 0x40, 0)] +
    [(0xA0, 0x01, 0), (0x20, 0, 0x65), (0x20, 0x10, 0), (0x20, 0, 0x50), (0x20, 0, 0x51),
     (0x20, 0, 0x4F), (0x20, 0, 0x62), (0x20, 0, 0x63), (0x20, 0, 0x58), (0x20, 0, 0x57)] +
    [(0xD0, 0xA2, n) for n in range(1, 6)] + [(0x20, 0x80, 0)] +
    [(0x20, 0, 0)] * 44
)
assert len(KEY_POSITIONS) == 170

KEYBOARD_LEDS = 170


def position_of(usage):
    return KEY_POSITIONS.index((0x20, 0, usage))


def rgba(r, g, b, a=255):
    return {"Red": r, "Green": g, "Blue": b, "Alpha": a}


def hue_color(fraction):
    r, g, b = colorsys.hsv_to_rgb(fraction % 1.0, 1.0, 1.0)
    return rgba(round(r * 255), round(g * 255), round(b * 255))


def custom_groups():
    white = [rgba(255, 255, 255) for _ in range(KEYBOARD_LEDS)]
    rainbow = [hue_color(i / 126) for i in range(KEYBOARD_LEDS)]
    # Gaming keys: WASD, the arrows, Space, Shift, Ctrl stand out in red on a dim blue.
    gaming_usages = (0x1A, 0x04, 0x16, 0x07, 0x52, 0x51, 0x50, 0x4F, 0x2C)
    highlight = {position_of(u) for u in gaming_usages} | {84, 105}
    gaming = [rgba(255, 0, 0) if i in highlight else rgba(0, 40, 120) for i in range(KEYBOARD_LEDS)]
    warm = [rgba(255, 140 - (i % 14) * 8, 0) for i in range(KEYBOARD_LEDS)]
    return [white, rainbow, gaming, warm]


def keyboard():
    keys = [code(*c) for c in KEY_POSITIONS]
    return {
        "KeyList": [{"Assignment": c, "DefaultAssignment": c} for c in keys],
        "LightInfo": light_info(mode=1),
        "LightList": no_per_key_effects(KEYBOARD_LEDS),
        "AudioLightInfo": {"AudioMode": 0, "BkColorR": 0, "BkColorG": 0, "BkColorB": 255,
                           "FgColorR": 255, "FgColorG": 0, "FgColorB": 0,
                           "7ColorFlags": 1, "ColorTypeFlags": 1},
        "CustomLightMode": {"CustomLightModeGroupIndex": 0, "LightColorInfo": custom_groups()},
        # Fastest repeat, 500 ms delay, full rollover, 1000 Hz (index 3 of
        # 125, 250, 500, 1000), Windows key not locked.
        "SystemStages": {"Repeat": 31, "RepeatDelay": 1, "Key6Flag": 0, "PollingRate": 3,
                         "WFlag": 0, "WinFlag": 0},
    }


# ---- mouse pad ----

def mouse_pad():
    return {"LightInfo": light_info(mode=0), "LightList": no_per_key_effects(15)}


# ---- headset ----

# The sound page's twelve presets (rows 1..12; row 0 is never read and holds
# a flat curve). Row 5 is flat, the shipped choice.
EQ_PRESETS = [
    [0] * 10,
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5],
    [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0],
    [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    [7, 14, -13, -6, -1, 8, 13, 7, 2, 6],
    [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13],
    [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0],
    [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]


def bands(levels):
    return [{"value": v} for v in levels]


def headset():
    return {
        "LightInfo": light_info(mode=0),
        "LightList": no_per_key_effects(13),
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 1, "EqType": 5, "CustomEqSeletIndex": 0,
                            "MicInSelect": 1, "MicInValue": 80,
                            "MicMoniterSelect": 0, "MicMoniterValue": 50},
        "EQHzValueInfo": [bands(row) for row in EQ_PRESETS],
        # One starting curve the user can overwrite or delete.
        "CustomEQHzValueInfo": [bands([3, 2, 1, 0, 0, 0, 1, 2, 3, 3])],
        "CustomEQNameInfo": [{"Name": "Custom1"}],
    }


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    write("mouse", mouse())
    write("keyboard", keyboard())
    write("MousePad", mouse_pad())
    write("HD", headset())


if __name__ == '__main__':
    main()
