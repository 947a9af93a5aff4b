#!/usr/bin/env python3
"""Draws the launcher's icon, a white "W" on a rounded blue square, and writes wexal.ico.

Standard library only. Each size is drawn with 4x4 supersampling and stored as a 32-bit image
with alpha (the BMP form inside an ICO file, which every Windows version reads).
Run: python3 make_icon.py [output.ico]
"""

import math
import struct
import sys

SIZES = (32, 16)
SUPERSAMPLING = 4

BACKGROUND_TOP = (0x2E, 0x7D, 0xD7)
BACKGROUND_BOTTOM = (0x14, 0x3F, 0x8C)
LETTER = (0xFF, 0xFF, 0xFF)

# The "W" as one polyline in a unit square (x to the right, y downwards), and its stroke width.
W_POINTS = ((0.18, 0.26), (0.34, 0.76), (0.50, 0.40), (0.66, 0.76), (0.82, 0.26))
W_STROKE = 0.11
CORNER_RADIUS = 0.2


def inside_rounded_square(x, y):
    """True when (x, y) in the unit square lies inside the square with rounded corners."""
    cx = min(max(x, CORNER_RADIUS), 1 - CORNER_RADIUS)
    cy = min(max(y, CORNER_RADIUS), 1 - CORNER_RADIUS)
    return math.hypot(x - cx, y - cy) <= CORNER_RADIUS


def distance_to_segment(x, y, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def on_letter(x, y):
    segments = zip(W_POINTS, W_POINTS[1:])
    return any(distance_to_segment(x, y, a, b) <= W_STROKE / 2 for a, b in segments)


def pixel(size, column, row):
    """The colour (r, g, b, a) of one pixel, averaged over its subsamples."""
    red = green = blue = coverage = 0.0
    for sub_row in range(SUPERSAMPLING):
        for sub_column in range(SUPERSAMPLING):
            x = (column + (sub_column + 0.5) / SUPERSAMPLING) / size
            y = (row + (sub_row + 0.5) / SUPERSAMPLING) / size
            if not inside_rounded_square(x, y):
                continue
            if on_letter(x, y):
                colour = LETTER
            else:
                colour = tuple(round(top + (bottom - top) * y) for top, bottom in zip(BACKGROUND_TOP, BACKGROUND_BOTTOM))
            red, green, blue = red + colour[0], green + colour[1], blue + colour[2]
            coverage += 1
    if coverage == 0:
        return (0, 0, 0, 0)
    samples = SUPERSAMPLING * SUPERSAMPLING
    return (round(red / coverage), round(green / coverage), round(blue / coverage), round(255 * coverage / samples))


def bitmap(size):
    """One image as an ICO entry stores it: header, BGRA rows bottom-up, then the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for row in reversed(range(size)):
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a) for r, g, b, a in (pixel(size, c, row) for c in range(size))))
    # The alpha channel decides transparency; the mask is all zero, each row padded to 4 bytes.
    mask_row = bytes(((size + 31) // 32) * 4)
    return header + b"".join(rows) + mask_row * size


def icon_file():
    images = [bitmap(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else "wexal.ico"
    with open(output, "wb") as file:
        file.write(icon_file())


if __name__ == "__main__":
    main()
