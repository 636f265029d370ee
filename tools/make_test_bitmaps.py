#!/usr/bin/env python3
"""Writes the BMP files that the helper tests compile in as bitmap resources.

    make_test_bitmaps.py OUTDIR

Served ones: 1, 4 and 8 bits per pixel with a full colour table of distinct
colours, and 24 bits without a table; each row pattern differs from its
neighbours so that a shifted or flipped picture shows. Out-of-contract ones:
a 108-byte header, 16 bits with bit-field masks, an 8-bit picture with only
16 table entries, a 24-bit picture with a table, bits or a table cut short,
a zero width and a zero height.

The tests decode these files themselves, so nothing here needs to match a
formula on their side.
"""
import os
import struct
import sys


def info_header(width, height, bits, compression=0, clr_used=0, size=40):
    header = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression, 0,
                         2835, 2835, clr_used, 0)
    return header + bytes(size - 40)


def table(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def packed_rows(width, height, bits, index):
    """Rows in file order (the first row stored first) of palette indices."""
    data = b""
    for y in range(abs(height)):
        row = 0
        for x in range(width):
            row = (row << bits) | index(x, y)
        pad = stride(width, bits) * 8 - width * bits
        data += (row << pad).to_bytes(stride(width, bits), "big")
    return data


def rgb_rows(width, height, colour):
    data = b""
    for y in range(height):
        row = b"".join(struct.pack("<BBB", *reversed(colour(x, y))) for x in range(width))
        data += row + bytes(stride(width, 24) - len(row))
    return data


def write(outdir, name, header, colours=(), bits=b"", keep=None):
    """A BMP file of the header, the table and the bits; `keep` cuts it to
    that many bytes after the file header."""
    dib = header + table(colours) + bits
    if keep is not None:
        dib = dib[:keep]
    offset = 14 + len(header) + 4 * len(colours)
    with open(os.path.join(outdir, name), "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, offset) + dib)


# Distinct colours, none of them black or white.
COLOURS_2 = [(0x20, 0x80, 0xC0), (0xF0, 0x40, 0x10)]
COLOURS_16 = [(16 * i + 5, 250 - 13 * i, (97 * i + 31) % 256) for i in range(16)]
COLOURS_256 = [(i, 255 - i, (i * 37 + 11) % 256) for i in range(256)]


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)

    # In contract.
    write(outdir, "pal1.bmp", info_header(13, 5, 1), COLOURS_2,
          packed_rows(13, 5, 1, lambda x, y: (x * x + y) % 3 % 2))
    write(outdir, "pal4.bmp", info_header(7, 6, 4, clr_used=16), COLOURS_16,
          packed_rows(7, 6, 4, lambda x, y: (x * 5 + y * 3 + x * y) % 16))
    # Stored top-down: a negative height.
    write(outdir, "pal8.bmp", info_header(19, -14, 8), COLOURS_256,
          packed_rows(19, 14, 8, lambda x, y: (x * 13 + y * 19 + y * y) % 256))
    write(outdir, "rgb24.bmp", info_header(5, 3, 24), (),
          rgb_rows(5, 3, lambda x, y: (x * 50 + 3, y * 80 + 7, (x + 2 * y) * 20 + 1)))

    # Out of contract.
    index8 = lambda x, y: (x + 2 * y) % 256
    write(outdir, "v4header.bmp", info_header(4, 4, 8, size=108), COLOURS_256,
          packed_rows(4, 4, 8, index8))
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    write(outdir, "bitfields.bmp", info_header(4, 4, 16, compression=3) + masks, (),
          bytes(range(32)))
    write(outdir, "shorttable.bmp", info_header(4, 4, 8, clr_used=16), COLOURS_16,
          packed_rows(4, 4, 8, lambda x, y: (x + y) % 16))
    write(outdir, "table24.bmp", info_header(4, 4, 24, clr_used=16), COLOURS_16,
          rgb_rows(4, 4, lambda x, y: (x, y, x + y)))
    full = 40 + 4 * 256 + 4 * 8
    write(outdir, "shortbits.bmp", info_header(8, 4, 8), COLOURS_256,
          packed_rows(8, 4, 8, index8), keep=full - 1)
    write(outdir, "shorttable8.bmp", info_header(8, 4, 8), COLOURS_256[:100], keep=40 + 400)
    write(outdir, "zerowidth.bmp", info_header(0, 4, 8), COLOURS_256, bytes(16))
    write(outdir, "zeroheight.bmp", info_header(4, 0, 8), COLOURS_256, bytes(16))


if __name__ == "__main__":
    main()
