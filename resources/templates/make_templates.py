#!/usr/bin/env python3
"""Writes the sample templates of Zorvane and their settings files.

Each template is 200 x 220 pixels: the top 200 rows are the picture, the
bottom 20 rows, which the placement never samples, stay black. Pictures are
grey levels with soft edges, so the Sensitivity decides how far stars spread
into the dim parts. Most are written as 8-bit BMPs with a grey colour table,
spiral.bmp as a 24-bit BMP, so both kinds are shipped.

Run it from anywhere; it writes next to itself:
    python3 resources/templates/make_templates.py
Python 3 standard library only. The output is committed too.
"""

import math
import os
import struct

WIDTH, HEIGHT = 200, 220
ROWS = 200  # sampled rows; the 20 below stay black
HERE = os.path.dirname(os.path.abspath(__file__))


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def smooth_edge(distance, soft):
    """1 inside (distance <= 0), 0 beyond soft, a smoothstep between."""
    t = clamp01(distance / soft)
    return 1.0 - t * t * (3.0 - 2.0 * t)


def gauss(d2, sigma):
    return math.exp(-d2 / (2.0 * sigma * sigma))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = clamp01(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy)


# ---- pictures: brightness 0..1 at the centre of pixel (x, y) ---------------

CX, CY = 100.0, 100.0


def spiral(x, y):
    dx, dy = x - CX, y - CY
    r = math.hypot(dx, dy)
    core = gauss(r * r, 11.0)
    if r < 1.0:
        return 1.0
    theta = math.atan2(dy, dx)
    best = math.pi
    for arm in range(2):
        # A logarithmic arm: angle grows with log(r).
        target = 2.0 * math.log(r / 8.0) + arm * math.pi
        diff = (theta - target) % (2.0 * math.pi)
        best = min(best, diff, 2.0 * math.pi - diff)
    width = 0.50 + 0.15 * (r / 95.0)
    arms = math.exp(-(best / width) ** 2) * smooth_edge(r - 80.0, 15.0)
    haze = 0.18 * smooth_edge(r - 60.0, 35.0)
    return clamp01(max(core, arms, haze))


def ring(x, y):
    r = math.hypot(x - CX, y - CY)
    band = gauss((r - 68.0) ** 2, 9.0)
    centre = 0.55 * gauss(r * r, 6.0)
    return clamp01(max(band, centre))


CLUSTERS = [  # x, y, sigma, peak
    (45, 48, 13.0, 1.0),
    (150, 40, 9.0, 1.0),
    (105, 105, 17.0, 1.0),
    (40, 150, 10.0, 0.9),
    (160, 145, 14.0, 1.0),
    (95, 170, 7.0, 0.85),
    (172, 88, 6.0, 0.8),
]


def clusters(x, y):
    v = 0.0
    for cx, cy, sigma, peak in CLUSTERS:
        v = max(v, peak * min(1.0, 1.6 * gauss((x - cx) ** 2 + (y - cy) ** 2, sigma)))
    return clamp01(v)


def cross(x, y):
    dx, dy = abs(x - CX), abs(y - CY)
    reach = 88.0
    bar_h = smooth_edge(dy - 12.0, 10.0) * smooth_edge(dx - reach, 8.0)
    bar_v = smooth_edge(dx - 12.0, 10.0) * smooth_edge(dy - reach, 8.0)
    hub = smooth_edge(math.hypot(dx, dy) - 24.0, 10.0)
    return clamp01(max(bar_h, bar_v, hub))


def disc(x, y):
    r = math.hypot(x - CX, y - CY)
    return smooth_edge(r - 86.0, 10.0)


# "ZV" as thick strokes: segments in picture coordinates.
LETTER_STROKES = [
    # Z
    (14, 40, 88, 40),
    (88, 40, 14, 160),
    (14, 160, 88, 160),
    # V
    (110, 40, 148, 160),
    (148, 160, 186, 40),
]


def letters(x, y):
    d = min(segment_distance(x, y, *s) for s in LETTER_STROKES)
    return smooth_edge(d - 8.0, 9.0)


# ---- writing BMP files by hand -----------------------------------------------


def grey_levels(picture):
    """Rows top to bottom of grey levels 0..255, bottom 20 rows black."""
    rows = []
    for y in range(HEIGHT):
        if y >= ROWS:
            rows.append([0] * WIDTH)
            continue
        rows.append([int(round(255.0 * picture(x + 0.5, y + 0.5))) for x in range(WIDTH)])
    return rows


def bmp_bytes(rows, bits):
    """A BITMAPINFOHEADER BMP, bottom-up, 8-bit grey palette or 24-bit."""
    height, width = len(rows), len(rows[0])
    if bits == 8:
        palette = b"".join(bytes((g, g, g, 0)) for g in range(256))
        row_bytes = width
    else:
        palette = b""
        row_bytes = 3 * width
    stride = (row_bytes + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # BMP rows are stored bottom-up
        if bits == 8:
            line = bytes(row)
        else:
            line = b"".join(bytes((g, g, g)) for g in row)  # blue, green, red
        pixels += line + b"\0" * (stride - row_bytes)
    offset = 14 + 40 + len(palette)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info_header = struct.pack(
        "<IiiHHIIiiII",
        40, width, height, 1, bits, 0, len(pixels), 3780, 3780,
        256 if bits == 8 else 0, 0)
    return file_header + info_header + palette + bytes(pixels)


# name, picture, bits, Sensitivity, FreeSpaceMode, MinStarsDist, comment
TEMPLATES = [
    ("spiral", spiral, 24, 25, 200, 3,
     "Two-armed spiral galaxy with a bright core and a faint halo. Sensitivity 25 with free space at 200 "
     "keeps the gaps between the arms nearly empty; raise the Sensitivity for a fuller disc."),
    ("ring", ring, 8, 20, 170, 3,
     "A bright ring around a small dim core, dark elsewhere. Sensitivity 20 with free space at 170 gives "
     "a clean ring; turn free space off to scatter a few stars into the void."),
    ("clusters", clusters, 8, 30, 0, 3,
     "Seven star clusters of different size and brightness. Free space off with Sensitivity 30 leaves a "
     "few lonely stars between the clusters; switch free space on at about 180 to isolate them."),
    ("cross", cross, 8, 25, 235, 3,
     "A cross of two bars meeting in a bright hub. Sensitivity 25 with free space at 235 keeps the "
     "corners almost empty; good for four-player games with one arm each."),
    ("disc", disc, 8, 40, 128, 4,
     "An even disc with a soft rim: stars spread evenly inside a circle. Sensitivity 40 with free space at "
     "128 cuts a clean edge; minimum distance 4 spaces the stars regularly."),
    ("letters", letters, 8, 15, 100, 3,
     "The letters ZV in thick strokes. Sensitivity 15 with free space at 100 keeps the stars on the "
     "strokes; best in Large and Huge universes, where the letters are legible."),
]


def main():
    for name, picture, bits, sensitivity, free_space, min_dist, comment in TEMPLATES:
        with open(os.path.join(HERE, name + ".bmp"), "wb") as f:
            f.write(bmp_bytes(grey_levels(picture), bits))
        settings = (
            "[CONFIG]\r\n"
            f"Sensitivity={sensitivity}\r\n"
            f"FreeSpaceMode={free_space}\r\n"
            f"MinStarsDist={min_dist}\r\n"
            f"Comments={comment}\r\n")
        with open(os.path.join(HERE, name + ".zv"), "wb") as f:
            f.write(settings.encode("ascii"))


if __name__ == "__main__":
    main()
