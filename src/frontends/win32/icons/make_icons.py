#!/usr/bin/env python3
"""Draws the window's two 32x32 16-colour icons and writes them as .ico files beside this script.

Run it again after changing a picture; the .ico files are committed so the build needs no Python.
"""
import math
import os
import struct

SIZE = 32
# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, NAVY, TEAL, SILVER, GREY, YELLOW, BLUE, CYAN, WHITE = 0, 3, 4, 6, 7, 8, 11, 12, 14, 15


def blank():
    return [[None] * SIZE for _ in range(SIZE)]


def fill_shape(pixels, inside, colour):
    """Paints every pixel inside the shape, and its edge (an inside pixel next to an outside one)
    black."""
    for y in range(SIZE):
        for x in range(SIZE):
            if not inside(x, y):
                continue
            edge = any(not (0 <= x + dx < SIZE and 0 <= y + dy < SIZE) or not inside(x + dx, y + dy)
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            pixels[y][x] = BLACK if edge else colour


def folder():
    pixels = blank()
    fill_shape(pixels, lambda x, y: 2 <= x <= 13 and 4 <= y <= 8, OLIVE)
    fill_shape(pixels, lambda x, y: 2 <= x <= 27 and 7 <= y <= 27, OLIVE)
    fill_shape(pixels, lambda x, y: 6 <= x <= 24 and 9 <= y <= 15, WHITE)

    def front(x, y):
        if not 13 <= y <= 27:
            return False
        shift = (y - 13) * 4 // 14
        return 7 - shift <= x <= 30 - shift

    fill_shape(pixels, front, YELLOW)
    return pixels


def database():
    pixels = blank()
    centre, radius, depth, top, bottom = 15.5, 12.0, 3.5, 8, 24

    def rim(x):
        offset = (x - centre) / radius
        return depth * math.sqrt(max(0.0, 1.0 - offset * offset)) if abs(offset) <= 1 else None

    def body(x, y):
        r = rim(x + 0.5)
        return r is not None and top - r <= y + 0.5 <= bottom + r

    def lid(x, y):
        r = rim(x + 0.5)
        return r is not None and abs(y + 0.5 - top) <= r

    fill_shape(pixels, body, BLUE)
    fill_shape(pixels, lid, CYAN)
    for y in range(SIZE):
        for x in range(SIZE):
            if pixels[y][x] == BLUE and x <= 8:
                pixels[y][x] = TEAL  # the lit side of the drum
            if pixels[y][x] in (BLUE, TEAL):
                r = rim(x + 0.5)
                if r is not None and any(abs(y + 0.5 - ring - r) < 0.5 for ring in (13, 18)):
                    pixels[y][x] = NAVY
    return pixels


def ico(pixels):
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bitmaps run bottom-up
        indices = [BLACK if p is None else p for p in row]
        xor_rows.append(bytes((indices[i] << 4) | indices[i + 1] for i in range(0, SIZE, 2)))
        mask = 0
        for p in row:
            mask = (mask << 1) | (1 if p is None else 0)
        and_rows.append(mask.to_bytes(SIZE // 8, "big"))
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for name, draw in (("folder.ico", folder), ("database.ico", database)):
        with open(os.path.join(here, name), "wb") as out:
            out.write(ico(draw()))
