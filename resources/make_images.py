#!/usr/bin/env python3
"""Draws the module's images from their pixel tables into a build directory.

    make_images.py OUTDIR [--preview]

Writes trax_icon_black.png and trax_icon_red.png (tool icons), cross.cur,
cross_square.cur and cross_ring.cur (cursors) and about.bmp (the About box's
wordmark). --preview also writes about_preview.png, the wordmark scaled up
eight times, for looking at it.

Standard library only, and deterministic: the same bytes on every run.
"""

import math
import os
import struct
import sys
import zlib

SIZE = 32

# ---------------------------------------------------------------- tool icons

# The Y glyph: for each row, the runs of opaque columns (inclusive).
ICON_ROWS = {
    6: [(5, 5), (26, 26)],
    7: [(5, 6), (25, 26)],
    8: [(6, 8), (23, 25)],
    9: [(7, 9), (22, 24)],
    10: [(9, 10), (21, 22)],
    11: [(10, 12), (19, 21)],
    12: [(11, 13), (18, 20)],
    13: [(13, 18)],
    14: [(14, 17)],
}
ICON_ROWS.update({row: [(15, 16)] for row in range(15, 28)})


def icon_pixels(colour):
    """32 x 32 RGBA rows: the glyph opaque in colour, the rest clear white."""
    rows = []
    for y in range(SIZE):
        row = bytearray()
        for x in range(SIZE):
            inside = any(a <= x <= b for a, b in ICON_ROWS.get(y, []))
            row += bytes(colour) + b"\xff" if inside else b"\xff\xff\xff\x00"
        rows.append(bytes(row))
    return rows


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_file(width, height, rgba_rows):
    """One IHDR, one IDAT and one IEND: 8-bit RGBA, no interlace, filter 0."""
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    raw = b"".join(b"\x00" + row for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


# ------------------------------------------------------------------- cursors

# For each cursor: rows given as (first row, last row, black runs, white runs).
CURSORS = {
    "cross.cur": [
        (3, 5, [(7, 7)], []),
        (6, 6, [(6, 8)], []),
        (7, 7, [(3, 11)], []),
        (8, 8, [(6, 8)], []),
        (9, 11, [(7, 7)], []),
    ],
    "cross_square.cur": [
        (2, 4, [(7, 7)], []),
        (5, 5, [(5, 9)], []),
        (6, 6, [(5, 5), (9, 9)], [(6, 8)]),
        (7, 7, [(2, 5), (9, 12)], [(6, 8)]),
        (8, 8, [(5, 5), (9, 9)], [(6, 8)]),
        (9, 9, [(5, 9)], []),
        (10, 12, [(7, 7)], []),
    ],
    "cross_ring.cur": [
        (2, 2, [(7, 7)], []),
        (3, 3, [(3, 3), (7, 7), (11, 11)], []),
        (4, 4, [(4, 4), (7, 7), (10, 10)], []),
        (5, 5, [(6, 8)], []),
        (6, 6, [(5, 5), (9, 9)], [(6, 8)]),
        (7, 7, [(2, 5), (9, 12)], [(6, 8)]),
        (8, 8, [(5, 5), (9, 9)], [(6, 8)]),
        (9, 9, [(6, 8)], []),
        (10, 10, [(4, 4), (7, 7), (10, 10)], []),
        (11, 11, [(3, 3), (7, 7), (11, 11)], []),
        (12, 12, [(7, 7)], []),
    ],
}
HOT_SPOT = (7, 7)


def cursor_file(rows):
    """A .cur file with one 32 x 32 monochrome image.

    Each pixel is an AND bit and an XOR bit: transparent 1/0, black 0/0,
    white 0/1. Both masks are stored bottom-up, 4 bytes a row.
    """
    black = [[False] * SIZE for _ in range(SIZE)]
    white = [[False] * SIZE for _ in range(SIZE)]
    for first, last, black_runs, white_runs in rows:
        for y in range(first, last + 1):
            for a, b in black_runs:
                for x in range(a, b + 1):
                    black[y][x] = True
            for a, b in white_runs:
                for x in range(a, b + 1):
                    white[y][x] = True

    def mask(bit_of):
        out = bytearray()
        for y in reversed(range(SIZE)):
            bits = 0
            for x in range(SIZE):
                bits = bits << 1 | bit_of(x, y)
            out += struct.pack(">I", bits)
        return bytes(out)

    xor_mask = mask(lambda x, y: 1 if white[y][x] else 0)
    and_mask = mask(lambda x, y: 0 if black[y][x] or white[y][x] else 1)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 1, 0, len(xor_mask) + len(and_mask), 0, 0, 2, 0)
    palette = b"\x00\x00\x00\x00\xff\xff\xff\x00"
    image = info + palette + xor_mask + and_mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    return directory + entry + image


# ------------------------------------------------------------ About wordmark

BMP_WIDTH = 90
BMP_HEIGHT = 39
PIXELS_PER_METRE = 2834

# Glyphs in upright font units: y grows downwards, the baseline at 0, the cap
# height 20 and the x-height 14 above it. Each glyph is (advance, test) where
# test(u, v) tells whether the upright point lies in the letter.


def ellipse(u, v, cx, cy, rx, ry):
    return ((u - cx) / rx) ** 2 + ((v - cy) / ry) ** 2 <= 1.0


def segment_distance(u, v, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(u - ax - t * dx, v - ay - t * dy)


def glyph_t(u, v):
    bar = 0 <= u <= 17 and -20 <= v <= -16
    stem = 6.5 <= u <= 11 and -20 <= v <= 0
    return bar or stem


def glyph_r(u, v):
    stem = 0 <= u <= 4.5 and -14 <= v <= 0
    # The shoulder: the top right quarter of a ring leaving the stem.
    ring = ellipse(u, v, 9.5, -8.5, 7.5, 5.8) and not ellipse(u, v, 9.5, -8.5, 5.0, 2.6)
    shoulder = ring and 2 <= u <= 11.5 and v <= -8.5
    return stem or shoulder


def glyph_a(u, v):
    bowl = ellipse(u, v, 6.5, -7, 6.5, 7.2) and not ellipse(u, v, 6.8, -7, 2.6, 3.6)
    stem = 9.5 <= u <= 14 and -14 <= v <= 0
    return bowl or stem


def glyph_x(u, v):
    return (segment_distance(u, v, 1.5, -13.5, 12.5, -0.5) <= 2.2 or
            segment_distance(u, v, 12.5, -13.5, 1.5, -0.5) <= 2.2)


WORD = [(17.0, glyph_t), (12.0, glyph_r), (14.5, glyph_a), (14.0, glyph_x)]
LETTER_GAP = 1.5
SLANT = 0.22          # italic shear: x shift per unit of height
BASELINE = 27.5       # in pixel rows from the top
SHADOW = (1.5, 1.5)   # drop shadow offset in pixels
SAMPLES = 4           # supersampling per axis


def word_coverage(shift_x, shift_y):
    """Fraction of each pixel that the sheared word covers, by rows."""
    width = sum(advance for advance, _ in WORD) + LETTER_GAP * (len(WORD) - 1)
    left = (BMP_WIDTH - width - SLANT * 20) / 2 + shift_x
    coverage = []
    for y in range(BMP_HEIGHT):
        row = []
        for x in range(BMP_WIDTH):
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    px = x + (sx + 0.5) / SAMPLES - left
                    v = y + (sy + 0.5) / SAMPLES - BASELINE - shift_y
                    u = px + SLANT * v  # unshear: higher rows lean right
                    origin = 0.0
                    for advance, test in WORD:
                        if origin - 1 <= u <= origin + advance + 1 and test(u - origin, v):
                            hits += 1
                            break
                        origin += advance + LETTER_GAP
            row.append(hits / (SAMPLES * SAMPLES))
        coverage.append(row)
    return coverage


def value_noise(x, y, cell, seed):
    """Smooth noise in [0, 1) from a hashed lattice, bilinear between cells."""
    def lattice(i, j):
        h = (i * 374761393 + j * 668265263 + seed * 144665) & 0xFFFFFFFF
        h = (h ^ (h >> 13)) * 1274126177 & 0xFFFFFFFF
        return ((h ^ (h >> 16)) & 0xFFFF) / 65536.0

    fx, fy = x / cell, y / cell
    i, j = math.floor(fx), math.floor(fy)
    tx, ty = fx - i, fy - j
    tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
    top = lattice(i, j) * (1 - tx) + lattice(i + 1, j) * tx
    bottom = lattice(i, j + 1) * (1 - tx) + lattice(i + 1, j + 1) * tx
    return top * (1 - ty) + bottom * ty


def wordmark_pixels():
    """RGB rows, top to bottom."""
    text = word_coverage(0.0, 0.0)
    shadow = word_coverage(*SHADOW)
    rule_top, rule_bottom = 31, 32
    rule_left, rule_right = 8, BMP_WIDTH - 9
    rows = []
    for y in range(BMP_HEIGHT):
        row = []
        for x in range(BMP_WIDTH):
            mottle = (0.6 * value_noise(x, y, 6.0, 1) + 0.4 * value_noise(x, y, 2.5, 2)) - 0.5
            colour = [48 + 30 * mottle, 92 + 40 * mottle, 172 + 44 * mottle]
            layers = [((96, 96, 104), shadow[y][x]), ((255, 255, 255), text[y][x])]
            if rule_top <= y <= rule_bottom and rule_left <= x <= rule_right:
                layers.append(((255, 255, 255), 1.0))
            for paint, alpha in layers:
                colour = [c * (1 - alpha) + p * alpha for c, p in zip(colour, paint)]
            row.append(tuple(max(0, min(255, int(round(c)))) for c in colour))
        rows.append(row)
    return rows


def bmp_file(rows):
    """24-bit bottom-up DIB with its file header; the DIB is 10650 bytes."""
    stride = (BMP_WIDTH * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        pixels += line + b"\x00" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, BMP_WIDTH, BMP_HEIGHT, 1, 24, 0, len(pixels),
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)
    dib = info + bytes(pixels) + b"\x00\x00"
    header = struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, 14 + len(info))
    return header + dib


def preview_png(rows, scale):
    scaled = []
    for row in rows:
        line = b"".join(bytes(pixel) + b"\xff" for pixel in row for _ in range(scale))
        scaled += [line] * scale
    return png_file(len(rows[0]) * scale, len(rows) * scale, scaled)


# ---------------------------------------------------------------------- main

def write(directory, name, data):
    with open(os.path.join(directory, name), "wb") as out:
        out.write(data)


def main(argv):
    if len(argv) not in (2, 3) or (len(argv) == 3 and argv[2] != "--preview"):
        sys.stderr.write(__doc__)
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    write(out, "trax_icon_black.png", png_file(SIZE, SIZE, icon_pixels((0, 0, 0))))
    write(out, "trax_icon_red.png", png_file(SIZE, SIZE, icon_pixels((221, 0, 0))))
    for name, rows in CURSORS.items():
        write(out, name, cursor_file(rows))
    wordmark = wordmark_pixels()
    write(out, "about.bmp", bmp_file(wordmark))
    if len(argv) == 3:
        write(out, "about_preview.png", preview_png(wordmark, 8))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
