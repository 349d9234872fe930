#!/usr/bin/env python3
"""Draws the installer's welcome and finish page picture: a plain 24-bit BMP of 164 x 314 (what
NSIS's Modern UI wants) with a light vertical gradient and the icon, an RGBA PNG as rsvg-convert
writes it, centred near the top. The standard library is enough for both formats, so the build
needs no image program beyond rsvg-convert.

    wizard_bitmap.py ICON.png OUT.bmp
"""
import struct
import sys
import zlib

WIDTH, HEIGHT, ICON_TOP = 164, 314, 60
TOP, BOTTOM = (0xDF, 0xE9, 0xF3), (0xFF, 0xFF, 0xFF)


def read_rgba_png(path):
    """Returns (width, height, rows of RGBA bytes) of an 8-bit RGBA, non-interlaced PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"wizard_bitmap.py: {path} is not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        sys.exit(f"wizard_bitmap.py: {path} is not an 8-bit RGBA PNG without interlacing")
    raw, stride, rows, previous = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    for y in range(height):
        start = y * (stride + 1)
        kind, row = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = row[i - 4] if i >= 4 else 0
            up = previous[i]
            up_left = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                row[i] = (row[i] + left) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + up) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else up_left
                row[i] = (row[i] + predictor) & 0xFF
        rows.append(row)
        previous = row
    return width, height, rows


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: wizard_bitmap.py ICON.png OUT.bmp")
    icon_width, icon_height, icon = read_rgba_png(sys.argv[1])
    left = (WIDTH - icon_width) // 2
    pixels = bytearray()
    for y in reversed(range(HEIGHT)):  # a BMP stores the bottom row first
        shade = [t + (b - t) * y // (HEIGHT - 1) for t, b in zip(TOP, BOTTOM)]
        for x in range(WIDTH):
            colour = shade
            iy, ix = y - ICON_TOP, x - left
            if 0 <= iy < icon_height and 0 <= ix < icon_width:
                r, g, b, a = icon[iy][ix * 4:ix * 4 + 4]
                colour = [(c * a + s * (255 - a) + 127) // 255
                          for c, s in zip((r, g, b), shade)]
            pixels += bytes((colour[2], colour[1], colour[0]))
        pixels += b"\0" * (-WIDTH * 3 % 4)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(sys.argv[2], "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main()
