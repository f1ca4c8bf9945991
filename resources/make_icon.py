#!/usr/bin/env python3
"""Draws the setup's icon: a magnetic stripe card, 32 x 32 pixels, 16 colours.

Writes setup.ico beside this script. The result is checked in; run again after a change.
"""
import os
import struct

# The standard 16-colour palette, as (blue, green, red, 0).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]  # given as (red, green, blue)
BLACK, DARK_BLUE, GREY, LIGHT_GREY, BLUE, YELLOW, WHITE = 0, 4, 8, 7, 12, 11, 15

SIZE = 32
TRANSPARENT = None


def draw():
    px = [[TRANSPARENT] * SIZE for _ in range(SIZE)]
    # Card body with a dark outline and cut corners, tilted nowhere: kept legible at 16 px too.
    top, bottom, left, right = 6, 26, 1, 30
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            corner = (y in (top, bottom)) and (x in (left, right))
            if corner:
                continue
            edge = y in (top, bottom) or x in (left, right)
            px[y][x] = GREY if edge else WHITE
    # Magnetic stripe.
    for y in range(9, 13):
        for x in range(left + 1, right):
            px[y][x] = BLACK
    # Chip and printed lines.
    for y in range(15, 19):
        for x in range(4, 9):
            px[y][x] = YELLOW if (x + y) % 3 else LIGHT_GREY
    for y, length in ((16, 16), (19, 12), (22, 20)):
        for x in range(11, 11 + length):
            px[y][x] = BLUE if y != 22 else DARK_BLUE
    # Drop shadow to the lower right.
    for x in range(left + 2, right + 2):
        if px[bottom + 1][x] is TRANSPARENT:
            px[bottom + 1][x] = GREY
    for y in range(top + 2, bottom + 2):
        if px[y][right + 1] is TRANSPARENT:
            px[y][right + 1] = GREY
    return px


def encode(px):
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        row = px[y]
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            xor.append((hi << 4) | lo)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "setup.ico")
    with open(out, "wb") as f:
        f.write(encode(draw()))
