#!/usr/bin/env python3
"""Draws the launcher's file icon, a compact disc, and writes it as an .ico.

Five images, in this order: 32x32 and 16x16 in 16 colours, 32x16, 16x16 and
32x32 in 2 colours. Each is a BITMAPINFOHEADER (height doubled for the AND
mask), its colour table, the XOR bits and the AND mask, rows bottom-up and
padded to 4 bytes.

usage: make_icon.py OUTPUT.ico
"""
import math
import struct
import sys

# The 16-colour VGA palette as (red, green, blue).
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
MONO = [(0, 0, 0), (255, 255, 255)]

TRANSPARENT = None
DARK_GREY, SILVER, YELLOW, FUCHSIA, AQUA, WHITE = 8, 7, 11, 13, 14, 15
SHEEN = [AQUA, WHITE, SILVER, YELLOW, FUCHSIA, SILVER, AQUA, WHITE]


def disc_pixel(x, y, w, h, colours):
    """Colour index of pixel (x, y) of a disc filling a w x h image, or None."""
    dx = (x + 0.5 - w / 2) / (w / 2)
    dy = (y + 0.5 - h / 2) / (h / 2)
    r = math.hypot(dx, dy)
    edge = 1.6 / min(w, h)
    if r > 1.0 or r < 0.2:
        return TRANSPARENT
    if colours == 2:
        return 0 if r > 1.0 - edge or r < 0.2 + edge else 1
    if r > 1.0 - edge:
        return DARK_GREY
    if r < 0.38:
        return SILVER if r > 0.2 + edge else DARK_GREY
    sector = int((math.atan2(dy, dx) + math.pi) / (2 * math.pi) * len(SHEEN)) % len(SHEEN)
    return SHEEN[sector]


def pack_rows(rows, bits):
    """Pack rows of indices (top-down) at `bits` per pixel, bottom-up, 4-byte padded."""
    out = bytearray()
    for row in reversed(rows):
        acc, n, line = 0, 0, bytearray()
        for v in row:
            acc = (acc << bits) | v
            n += bits
            if n == 8:
                line.append(acc)
                acc, n = 0, 0
        if n:
            line.append(acc << (8 - n))
        line.extend(b"\0" * (-len(line) % 4))
        out += line
    return bytes(out)


def icon_image(w, h, palette):
    bits = 4 if len(palette) == 16 else 1
    pixels = [[disc_pixel(x, y, w, h, len(palette)) for x in range(w)] for y in range(h)]
    xor = pack_rows([[0 if p is None else p for p in row] for row in pixels], bits)
    mask = pack_rows([[1 if p is None else 0 for p in row] for row in pixels], 1)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + table + xor + mask, bits


def main():
    if len(sys.argv) != 2 or sys.argv[1] in ("-h", "--help"):
        print(__doc__.strip())
        sys.exit(0 if len(sys.argv) == 2 else 2)
    specs = [(32, 32, VGA16), (16, 16, VGA16), (32, 16, MONO), (16, 16, MONO), (32, 32, MONO)]
    images = [(w, h, len(pal)) + icon_image(w, h, pal) for w, h, pal in specs]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, colours, data, bits in images:
        out += struct.pack("<BBBBHHII", w, h, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    for *_, data, _ in images:
        out += data
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
