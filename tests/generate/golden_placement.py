#!/usr/bin/env python3
"""Independent reference for the golden placement files in data/.

It re-derives, from the written rules and without any of the program's code,
what a generation run writes: it reads a real universe file and a sample
template BMP, places every star with the program's random generator started
at seed 0, and writes the universe back the way the game's format wants it.
Each case of CASES becomes data/<name>.xy; generate_test.cpp compares the
program's output with those bytes. The script also draws the 1-bit test
template data/frame.bmp.

Written in a deliberately different style from the C++ code:
  - the template is read straight from the BMP bytes (8- or 24-bit);
  - the weighted test is done on integers: u * weight truncates to 0 exactly
    when seed * weight < 2**32, since u = seed / 2**32;
  - idx rounds a Fraction with Python's round(), which ties to even;
  - the pixel-to-universe product px * scale is formed exactly with
    fractions.Fraction and then rounded to a 64-bit significand (nearest,
    ties to even) before it is truncated, which is what the 80-bit x87
    multiplication does;
  - the distance test scans every star;
  - the save mirrors Y back and runs the exchange sort literally.

Python 3 standard library only. Run from anywhere:
    python3 tests/generate/golden_placement.py
"""

import os
import struct
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
REAL_XY = os.path.join(ROOT, "tests", "data", "real-xy")
TEMPLATES = os.path.join(ROOT, "resources", "templates")
DATA = os.path.join(HERE, "data")

# name, universe file, template, size index, MinDistance, Sensitivity,
# free space on, threshold, attempt limit
CASES = [
    ("small3-spiral-medium", "small-128planets-3players.xy", "spiral.bmp", 2, 12, 50, True, 200, 250),
    ("tiny2-letters-tiny", "tiny-32planets-2players.xy", "letters.bmp", 0, 20, 10, False, 235, 25),
    ("large2-clusters-huge", "large-640planets-2players.xy", "clusters.bmp", 4, 3, 2, False, 235, 250),
    ("small1-frame-tiny", "small-128planets-1player.xy", "frame.bmp", 0, 3, 26, True, 239, 250),
]


def write_frame_bmp(path):
    """data/frame.bmp: a 1-bit template whose light pixels reach every edge of
    the sampled area, so jittered positions fall outside the universe.

    Colour 0 is yellow with blue 0x10 (darkness 239, exactly the threshold of
    its case), colour 1 pure blue (blue 0xFF, darkness 0): only the colour
    table's blue counts. The bottom 20 rows are light and must never be
    sampled."""
    width, height = 200, 220

    def light(x, y):
        return (y >= 200 or x < 2 or x >= 198 or y < 2 or y >= 198
                or (x // 10 + y // 10) % 5 == 0)

    stride = (width + 31) // 32 * 4
    pixels = bytearray()
    for y in reversed(range(height)):  # bottom-up
        line = bytearray(stride)
        for x in range(width):
            if light(x, y):
                line[x >> 3] |= 0x80 >> (x & 7)
        pixels += line
    palette = bytes((0x10, 0xC0, 0xC0, 0)) + bytes((0xFF, 0x00, 0x00, 0))
    offset = 14 + 40 + len(palette)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(pixels), 2835, 2835, 2, 2))
        f.write(palette + bytes(pixels))


class Generator:
    def __init__(self, seed=0):
        self.seed = seed

    def step(self):
        self.seed = (self.seed * 134775813 + 1) % 2**32
        return self.seed

    def below(self, n):
        return (self.step() * n) >> 32


class Failure(Exception):
    pass


def blue_rows(path):
    """Blue channel, rows from the top, of an uncompressed 1-, 8- or 24-bit BMP."""
    data = open(path, "rb").read()
    assert data[:2] == b"BM"
    offset = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    assert compression == 0 and bits in (1, 8, 24)
    top_down = height < 0
    height = abs(height)
    stride = (width * bits + 31) // 32 * 4
    palette = 14 + header_size
    rows = []
    for r in range(height):
        stored = r if top_down else height - 1 - r
        line = data[offset + stored * stride: offset + (stored + 1) * stride]
        if bits == 1:
            rows.append([data[palette + 4 * ((line[x >> 3] >> (7 - (x & 7))) & 1)] for x in range(width)])
        elif bits == 8:
            rows.append([data[palette + 4 * line[x]] for x in range(width)])
        else:
            rows.append([line[3 * x] for x in range(width)])
    return width, height, rows


class Universe:
    def __init__(self, path):
        self.image = bytearray(open(path, "rb").read())
        size = len(self.image)
        self.start = 20 + (struct.unpack_from("<H", self.image, 18)[0] & 0x3FF)
        last = struct.unpack_from("<H", self.image, size - 4)[0] & 0x3FF
        self.count = (size - 6 + last - self.start) // 4
        self.stars = []  # [x, y, name]
        x = 1000
        for i in range(self.count):
            word = struct.unpack_from("<I", self.image, self.start + 4 * i)[0]
            x += word & 0x3FF
            self.stars.append([x, (word >> 10) & 0xFFF, word >> 22])
        self.min_y = min(s[1] for s in self.stars)
        self.max_y = max(s[1] for s in self.stars)
        for s in self.stars:
            s[1] = self.max_y - s[1] + self.min_y
        self.min_x, self.max_x = 1000, x + 1
        self.distance = 5

    def set_size(self, index):
        self.min_x = self.min_y = 1000
        self.max_x = self.max_y = 1000 + 400 * (index + 1) - 2

    def set_star(self, index, x, y, rng):
        x += rng.below(7) - 3
        y += rng.below(7) - 3
        if not (self.min_x <= x <= self.max_x and self.min_y <= y <= self.max_y):
            raise Failure("bounds")
        d = self.distance
        for k, (kx, ky, _) in enumerate(self.stars):
            if k != index and x - d < kx < x + d and y - d < ky < y + d:
                raise Failure("clash")
        self.stars[index][0] = x
        self.stars[index][1] = y

    def packed(self):
        recs = [[x, self.max_y - y + self.min_y, name] for x, y, name in self.stars]
        n = len(recs)
        for i in range(n - 1):
            for j in range(i + 1, n):
                if recs[j][0] < recs[i][0] or (recs[j][0] == recs[i][0] and recs[j][1] < recs[i][1]):
                    recs[i], recs[j] = recs[j], recs[i]
        image = bytearray(self.image)
        previous = 1000
        for i, (x, y, name) in enumerate(recs):
            delta = x - previous
            assert 0 <= delta <= 1023, "cannot pack"
            previous = x
            struct.pack_into("<I", image, self.start + 4 * i, delta | (y & 0xFFF) << 10 | (name & 0x3FF) << 22)
        return bytes(image)


def extended_trunc(px, scale):
    """trunc of px * scale rounded to a 64-bit significand."""
    exact = Fraction(px) * Fraction(scale)
    if exact == 0:
        return 0
    e = 0
    while exact / Fraction(2) ** e >= 2**64:
        e += 1
    while exact / Fraction(2) ** e < 2**63:
        e -= 1
    rounded = round(exact / Fraction(2) ** e) * Fraction(2) ** e
    return int(rounded)  # positive: int() truncates


def run(case):
    name, xy, template, size, distance, sens, free, threshold, limit = case
    uni = Universe(os.path.join(REAL_XY, xy))
    uni.distance = distance
    uni.set_size(size)
    folder = DATA if os.path.exists(os.path.join(DATA, template)) else TEMPLATES
    width, height, rows = blue_rows(os.path.join(folder, template))
    w, h = width, height - 20
    scale_x = (uni.max_x - uni.min_x) / w
    scale_y = (uni.max_y - uni.min_y) / h
    weights = [i * i for i in range(50)]
    rng = Generator(0)
    stats = {"candidates": 0, "tries": 0, "bounds": 0, "clash": 0, "free": 0, "weighted": 0, "clamped": 0,
             "ties": 0, "double differs": 0}
    j = draws = attempts = 0
    while j < uni.count:
        draws += 1
        if draws > 50000:
            raise SystemExit(f"{name}: draw limit")
        stats["candidates"] += 1
        px = rng.below(w)
        py = rng.below(h)
        dark = 255 - rows[py][px]
        if free and dark > threshold:
            stats["free"] += 1
            continue
        idx = round(Fraction(dark, sens))
        # Ties that rounding half up would have decided otherwise, with
        # another weight (0.5 and 1.5 give weights that always accept).
        if Fraction(dark, sens).denominator == 2 and dark // sens % 2 == 0 and 2 <= dark // sens < 49:
            stats["ties"] += 1
        if idx > 49:
            stats["clamped"] += 1
            idx = 49
        if (rng.step() * weights[idx]) >> 32 != 0:
            stats["weighted"] += 1
            continue
        attempts += 1
        if attempts > limit:
            raise SystemExit(f"{name}: attempt limit")
        stats["tries"] += 1
        x = uni.min_x + extended_trunc(px, scale_x)
        y = uni.min_y + extended_trunc(py, scale_y)
        # How often a product formed in plain doubles would have truncated
        # to another integer (the case must catch such a mistake).
        if int(px * scale_x) != x - uni.min_x or int(py * scale_y) != y - uni.min_y:
            stats["double differs"] += 1
        try:
            uni.set_star(j, x, y, rng)
        except Failure as f:
            stats[str(f)] += 1
            continue
        j += 1
        draws = attempts = 0
    out = os.path.join(HERE, "data", name + ".xy")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    with open(out, "wb") as f:
        f.write(uni.packed())
    print(name, stats, "final seed", rng.seed)


def main():
    write_frame_bmp(os.path.join(DATA, "frame.bmp"))
    for case in CASES:
        run(case)


if __name__ == "__main__":
    main()
