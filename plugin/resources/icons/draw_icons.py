#!/usr/bin/env python3
"""Draws the map-mark icon pictures (24 x 24 RGBA PNG) that the plug-in carries as resources.

Run from this folder to regenerate the PNG files; the build embeds the files, not this script.
"""
import math
import struct
import zlib

SIZE = 24


def png_bytes(pixels):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def draw(inside, colour, outline=(40, 40, 40, 255)):
    """inside(x, y) -> distance-like value: < 0 inside, 0..1 the outline band."""
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            d = inside(x + 0.5, y + 0.5)
            if d < 0:
                row.append(colour)
            elif d < 1.2:
                row.append(outline)
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def box(x0, y0, x1, y1):
    return lambda x, y: max(x0 - x, x - x1, y0 - y, y - y1)


def diamond(cx, cy, r):
    return lambda x, y: abs(x - cx) + abs(y - cy) - r


def triangle(x, y):
    # Apex at (12, 4), base along y = 20.
    return max(y - 20, abs(x - 12) - (y - 4) * 0.5)


def pin(x, y):
    head = math.hypot(x - 12, y - 9) - 6
    tail = max(abs(x - 12) - (21 - y) * 0.4, y - 21, 9 - y)
    return min(head, tail)


def star(x, y):
    a = math.atan2(y - 12, x - 12)
    r = math.hypot(x - 12, y - 12)
    edge = 6 + 4 * math.cos(5 * a)
    return r - edge


def cross(x, y):
    return min(max(abs(x - 12) - 2.5, abs(y - 12) - 9), max(abs(y - 12) - 2.5, abs(x - 12) - 9))


def house(x, y):
    body = box(6, 12, 18, 20)(x, y)
    roof = max(y - 12, abs(x - 12) - (y - 4))
    return min(body, roof)


ICONS = {
    1: draw(pin, (220, 40, 40, 255)),
    2: draw(lambda x, y: min(box(6, 4, 8, 21)(x, y), box(8, 4, 18, 11)(x, y)), (40, 90, 220, 255)),
    3: draw(triangle, (40, 170, 70, 255)),
    4: draw(circle(12, 12, 7), (245, 140, 20, 255)),
    5: draw(box(6, 6, 18, 18), (140, 60, 190, 255)),
    6: draw(diamond(12, 12, 8), (20, 180, 200, 255)),
    7: draw(star, (240, 210, 30, 255)),
    8: draw(cross, (130, 130, 130, 255)),
    9: draw(house, (150, 90, 40, 255)),
}
DEFAULT = draw(circle(12, 12, 6), (255, 255, 255, 255))

if __name__ == "__main__":
    for number, pixels in ICONS.items():
        with open("icon%04d.png" % number, "wb") as f:
            f.write(png_bytes(pixels))
    with open("icon_default.png", "wb") as f:
        f.write(png_bytes(DEFAULT))
