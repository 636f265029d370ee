#!/usr/bin/env python3
"""Draws the demo disc's splash picture: an 8-bit BMP with its own 256-colour
palette, a sky-to-sea gradient with a sun.

usage: make_demo_picture.py OUTPUT.bmp
"""
import math
import struct
import sys

WIDTH, HEIGHT = 200, 280


def palette():
    """Indices 0-127 sky (deep blue to orange), 128-239 sea, 240-255 sun."""
    colours = []
    for i in range(128):
        t = i / 127
        colours.append((int(30 + 225 * t), int(40 + 120 * t), int(120 - 60 * t)))
    for i in range(112):
        t = i / 111
        colours.append((int(10 + 30 * t), int(60 + 80 * t), int(110 + 100 * t)))
    for i in range(16):
        colours.append((255, 230 - 4 * i, 120 - 6 * i))
    return colours


def pixel(x, y):
    """Palette index of (x, y), y counted from the top."""
    horizon = HEIGHT * 0.55
    sun = math.hypot(x - WIDTH * 0.5, y - horizon + 10)
    if sun < 34 and y < horizon:
        return 240 + min(15, int(sun / 34 * 16))
    if y < horizon:
        return int(y / horizon * 127)
    wave = math.sin(x / 9 + y / 3) * 6
    return 128 + max(0, min(111, int((y - horizon) / (HEIGHT - horizon) * 100 + wave)))


def main():
    stride = (WIDTH + 3) // 4 * 4
    rows = b"".join(bytes(pixel(x, y) for x in range(WIDTH)) + b"\0" * (stride - WIDTH)
                    for y in reversed(range(HEIGHT)))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette())
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    with open(sys.argv[1], "wb") as f:
        f.write(header + info + table + rows)


if __name__ == "__main__":
    main()
