#!/usr/bin/env python3
"""Draws the program's pictures: vantrel.ico and about_cat.bmp.

Standard library only, so any Python 3 can regenerate them. The outputs are
committed; the build never runs this script. Run it from anywhere:

    python3 src/resources/make_pictures.py

Both pictures are deterministic: the same script writes the same bytes.
"""

import math
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16-colour VGA palette in the order Windows uses for 4-bit bitmaps.
VGA = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
NAVY = 4
RED = 9


# ---------------------------------------------------------------- the icon --

def e_glyph(size):
    """Pixels (y-down rows of booleans) of a lower-case e filling a square.

    A thick ring, a horizontal bar through the middle, and the ring cut open
    at the lower right below the bar. 4x4 supersampling, kept where at least
    half of a pixel is covered, so the edges stay crisp in 16 colours.
    """
    cx, cy = size / 2.0, size / 2.0 + size / 64.0
    outer = size * 0.40
    inner = size * 0.21
    bar_top = cy - size * 0.085
    bar_bottom = cy + size * 0.045
    gap_from, gap_to = math.radians(4), math.radians(38)  # y-down angles
    sub = 4
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = 0
            for sy in range(sub):
                for sx in range(sub):
                    px = x + (sx + 0.5) / sub
                    py = y + (sy + 0.5) / sub
                    dx, dy = px - cx, py - cy
                    r = math.hypot(dx, dy)
                    ring = inner <= r <= outer
                    if ring and dy > 0:
                        a = math.atan2(dy, dx)
                        if gap_from <= a <= gap_to:
                            ring = False
                    bar = (bar_top <= py <= bar_bottom) and abs(dx) <= outer - 0.3 and r <= outer
                    if ring or bar:
                        hits += 1
            row.append(hits * 2 >= sub * sub)
        rows.append(row)
    return rows


# At 16 pixels a computed ring loses its opening; this one is drawn by hand.
E16 = [
    "................",
    "................",
    ".....######.....",
    "....########....",
    "...###....###...",
    "..###......###..",
    "..###......###..",
    "..############..",
    "..############..",
    "..###...........",
    "..###...........",
    "..###.......#...",
    "...###....###...",
    "....########....",
    ".....######.....",
    "................",
]


def icon_image(size, glyph_rows):
    """One ICO image: BITMAPINFOHEADER, palette, 4-bit XOR rows, AND mask."""
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    header = struct.pack(
        "<IiiHHIIiiII",
        40, size, size * 2, 1, 4, 0,
        (xor_stride + and_stride) * size, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in VGA)
    xor = bytearray()
    for y in reversed(range(size)):  # bottom-up
        row = bytearray(xor_stride)
        for x in range(size):
            idx = RED if glyph_rows[y][x] else NAVY
            if x % 2 == 0:
                row[x // 2] |= idx << 4
            else:
                row[x // 2] |= idx
        xor += row
    mask = bytes(and_stride * size)  # all zero: every pixel opaque
    return header + palette + bytes(xor) + mask


def write_icon(path):
    images = [
        (32, icon_image(32, e_glyph(32))),
        (16, icon_image(16, [[c == "#" for c in line] for line in E16])),
    ]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)
    return images


# ----------------------------------------------------------- the cat sketch --

W, H = 225, 188


class Canvas:
    """Ink coverage 0..1 per pixel; strokes are round-capped thick lines."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.ink = [[0.0] * w for _ in range(h)]

    def _put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h and c > self.ink[y][x]:
            self.ink[y][x] = min(1.0, c)

    def segment(self, x0, y0, x1, y1, width):
        half = width / 2.0
        pad = half + 1.5
        lo_x, hi_x = int(math.floor(min(x0, x1) - pad)), int(math.ceil(max(x0, x1) + pad))
        lo_y, hi_y = int(math.floor(min(y0, y1) - pad)), int(math.ceil(max(y0, y1) + pad))
        dx, dy = x1 - x0, y1 - y0
        len2 = dx * dx + dy * dy
        for y in range(lo_y, hi_y + 1):
            for x in range(lo_x, hi_x + 1):
                px, py = x + 0.5, y + 0.5
                t = 0.0 if len2 == 0 else max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / len2))
                d = math.hypot(px - (x0 + t * dx), py - (y0 + t * dy))
                self._put(x, y, half + 0.5 - d)

    def fill_ellipse(self, cx, cy, rx, ry):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                px, py = x + 0.5, y + 0.5
                # Distance to the edge, roughly in pixels, for a soft rim.
                k = math.hypot((px - cx) / rx, (py - cy) / ry)
                self._put(x, y, (1.0 - k) * min(rx, ry) + 0.5)


class Pen:
    """A shaky hand: points drift sideways and the width breathes a little."""

    def __init__(self, seed):
        self.rnd = random.Random(seed)

    def stroke(self, canvas, points, width=2.0, shake=0.6):
        dense = []
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            n = max(1, int(math.hypot(bx - ax, by - ay) / 1.5))
            for i in range(n):
                t = i / n
                dense.append((ax + (bx - ax) * t, ay + (by - ay) * t))
        dense.append(points[-1])
        p1, p2, p3 = (self.rnd.uniform(0, 2 * math.pi) for _ in range(3))
        f1, f2 = self.rnd.uniform(0.08, 0.14), self.rnd.uniform(0.25, 0.4)
        moved = []
        for i, (x, y) in enumerate(dense):
            j = dense[min(i + 1, len(dense) - 1)]
            k = dense[max(i - 1, 0)]
            tx, ty = j[0] - k[0], j[1] - k[1]
            tl = math.hypot(tx, ty) or 1.0
            nx, ny = -ty / tl, tx / tl
            off = shake * (0.7 * math.sin(f1 * i + p1) + 0.3 * math.sin(f2 * i + p2))
            moved.append((x + nx * off, y + ny * off))
        for i, ((ax, ay), (bx, by)) in enumerate(zip(moved, moved[1:])):
            w = width + 0.35 * math.sin(0.05 * i + p3)
            canvas.segment(ax, ay, bx, by, w)


def arc(cx, cy, rx, ry, deg_from, deg_to, steps=40, bulge=None):
    """Points of an elliptic arc, y down (90 degrees is straight down)."""
    pts = []
    for i in range(steps + 1):
        t = math.radians(deg_from + (deg_to - deg_from) * i / steps)
        sx = rx * (bulge(t) if bulge else 1.0)
        pts.append((cx + sx * math.cos(t), cy + ry * math.sin(t)))
    return pts


def quad(p0, p1, p2, steps=16):
    """A quadratic curve from p0 to p2 pulled towards p1."""
    pts = []
    for i in range(steps + 1):
        t = i / steps
        a, b, c = (1 - t) ** 2, 2 * (1 - t) * t, t * t
        pts.append((a * p0[0] + b * p1[0] + c * p2[0], a * p0[1] + b * p1[1] + c * p2[1]))
    return pts


def draw_cat():
    cv = Canvas(W, H)
    pen = Pen(seed=1957)
    cx, cy, rx, ry = 112.0, 110.0, 80.0, 64.0

    # Head: the lower part of an ellipse with fuller cheeks, open at the top
    # where the ears and the crown take over.
    def cheeks(t):
        return 1.0 + 0.07 * max(0.0, math.sin(t)) ** 0.5

    head = arc(cx, cy, rx, ry, -35, 215, steps=90, bulge=cheeks)
    pen.stroke(cv, head, width=2.3)
    left_base, right_base = head[-1], head[0]

    # Ears and the crown between them.
    pen.stroke(cv, [left_base, (40, 16), (88, 48)], width=2.2)
    pen.stroke(cv, quad((88, 48), (112, 40), (136, 48)), width=2.1)
    pen.stroke(cv, [(136, 48), (184, 16), right_base], width=2.2)
    pen.stroke(cv, [(50, 58), (47, 30), (72, 46)], width=1.4, shake=0.4)
    pen.stroke(cv, [(152, 46), (177, 30), (174, 58)], width=1.4, shake=0.4)

    # Eyes: almond outlines with slit pupils.
    for ex in (82, 142):
        pen.stroke(cv, quad((ex - 15, 101), (ex, 86), (ex + 15, 101)), width=2.0)
        pen.stroke(cv, quad((ex - 15, 101), (ex, 114), (ex + 15, 101)), width=2.0)
        cv.fill_ellipse(ex, 101, 3.2, 8.0)

    # Nose and mouth.
    pen.stroke(cv, [(104, 122), (120, 122), (112, 131), (104, 122)], width=2.0, shake=0.3)
    pen.stroke(cv, [(112, 131), (112, 137)], width=1.9, shake=0.2)
    pen.stroke(cv, quad((112, 137), (104, 147), (94, 139)), width=1.9)
    pen.stroke(cv, quad((112, 137), (120, 147), (130, 139)), width=1.9)

    # Whiskers, three a side, fanning out past the cheeks.
    for (x0, y0), (x1, y1) in [((74, 128), (8, 114)), ((72, 135), (6, 137)), ((74, 142), (12, 160))]:
        pen.stroke(cv, quad((x0, y0), ((x0 + x1) / 2, (y0 + y1) / 2 - 3), (x1, y1)), width=1.7)
        mx0, mx1 = 2 * cx - x0, 2 * cx - x1
        pen.stroke(cv, quad((mx0, y0), ((mx0 + mx1) / 2, (y0 + y1) / 2 - 3), (mx1, y1)), width=1.7)
    return cv


def write_bmp8(path, canvas):
    """A grey sketch in 8 bits per pixel with a grey-ramp palette: the same
    picture as 24 bits at a third of the bytes in the exe."""
    stride = (canvas.w + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(canvas.h)):  # bottom-up
        row = bytearray()
        for x in range(canvas.w):
            row.append(int(round(255 * (1.0 - canvas.ink[y][x]))))
        row += bytes(stride - len(row))
        pixels += row
    palette = b"".join(bytes((v, v, v, 0)) for v in range(256))
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + palette + bytes(pixels))


def ascii_preview(rows):
    return "\n".join("".join("#" if v else "." for v in row) for row in rows)


if __name__ == "__main__":
    import sys
    write_icon(os.path.join(HERE, "vantrel.ico"))
    write_bmp8(os.path.join(HERE, "about_cat.bmp"), draw_cat())
    if "--preview" in sys.argv:
        print(ascii_preview(e_glyph(32)))
        print()
        print("\n".join(E16))
