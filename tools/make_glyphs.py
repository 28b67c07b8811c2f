#!/usr/bin/env python3
"""Draws the 27 transport button glyphs as 16-colour BMP files.

Each button has three pictures: EN (enabled, black), DI (disabled, grey with a
white relief) and CL (coloured). Olive, RGB(128, 128, 0), is the background
the control paints over with the button face. The sizes are the ones the
button row is laid out for; do not change them without changing the row.

Usage: make_glyphs.py OUTPUT_DIR   (writes *.bmp and glyphs.qrc there)
"""
import os
import struct
import sys

# The 16-colour palette (index: RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
    (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY = 0, 1, 2, 3, 4
GREY, RED, LIME, YELLOW, BLUE, WHITE = 7, 9, 10, 11, 12, 15


def triangle_right(x0, y0, h):
    """Pixels of a right-pointing triangle, left edge at x0, rows y0..y0+h-1."""
    px = set()
    half = (h - 1) / 2
    for r in range(h):
        span = int(half - abs(r - half)) + 1
        for c in range(span):
            px.add((x0 + c, y0 + r))
    return px


def mirror(px, width):
    return {(width - 1 - x, y) for x, y in px}


def bar(x0, y0, w, h):
    return {(x, y) for x in range(x0, x0 + w) for y in range(y0, y0 + h)}


def disc(cx, cy, r):
    return {(x, y) for x in range(int(cx - r - 1), int(cx + r + 2))
            for y in range(int(cy - r - 1), int(cy + r + 2))
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + 4}


def shapes():
    """Button name -> (list of (width, height) for EN, DI, CL; mask maker, fill, edge)."""
    play = lambda w: triangle_right(5, 2, 11)
    pause = lambda w: bar(2, 3, 3, 10) | bar(w - 5 if w == 12 else w - 6, 3, 3, 10)
    stop = lambda w: bar(4, 3, 9, 10)
    nxt = lambda w: triangle_right(4, 2, 11) | triangle_right(10, 2, 11) | bar(16, 2, 2, 11)
    prv = lambda w: mirror(triangle_right(3, 2, 11) | triangle_right(9, 2, 11) | bar(15, 2, 2, 11), w)
    step = lambda w: bar(4, 4, 2, 8) | triangle_right(8, 2, 11) | bar(15, 2, 2, 11)
    back = lambda w: mirror(step(w), w)
    record = lambda w: disc(6, 6, 5)
    eject = lambda w: ({(x, y) for y in range(2, 10) for x in range(9 - (y - 2), 10 + (y - 2))}
                       | bar(2, 11, 15, 3))
    return {
        "MPPLAY": ([(17, 16)] * 3, play, LIME, GREEN),
        "MPPAUSE": ([(13, 16), (12, 16), (13, 16)], pause, YELLOW, OLIVE_DARK),
        "MPSTOP": ([(17, 16)] * 3, stop, RED, MAROON),
        "MPNEXT": ([(21, 16)] * 3, nxt, BLUE, NAVY),
        "MPPREV": ([(20, 16)] * 3, prv, BLUE, NAVY),
        "MPSTEP": ([(21, 16)] * 3, step, BLUE, NAVY),
        "MPBACK": ([(21, 16)] * 3, back, BLUE, NAVY),
        "MPRECORD": ([(13, 13)] * 3, record, RED, MAROON),
        "MPEJECT": ([(19, 16)] * 3, eject, BLUE, NAVY),
    }


OLIVE_DARK = BLACK  # olive itself is the transparent colour, so yellow gets a black edge


def render(kind, w, h, mask, fill, edge):
    img = [[OLIVE] * w for _ in range(h)]
    inside = {(x, y) for x, y in mask if 0 <= x < w and 0 <= y < h}
    if kind == "EN":
        for x, y in inside:
            img[y][x] = BLACK
    elif kind == "DI":
        for x, y in inside:
            if (x + 1, y + 1) not in inside and x + 1 < w and y + 1 < h:
                img[y + 1][x + 1] = WHITE
        for x, y in inside:
            img[y][x] = GREY
    else:
        for x, y in inside:
            border = any((x + dx, y + dy) not in inside
                         for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            img[y][x] = edge if border else fill
    return img


def write_bmp(path, img):
    h, w = len(img), len(img[0])
    row_bytes = ((w + 1) // 2 + 3) & ~3
    pixels = bytearray()
    for row in reversed(img):  # BMP rows run bottom-up
        packed = bytearray()
        for x in range(0, w, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < w else 0
            packed.append((hi << 4) | lo)
        packed += b"\0" * (row_bytes - len(packed))
        pixels += packed
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "glyphs")
    os.makedirs(out, exist_ok=True)
    names = []
    for button, (sizes, maker, fill, edge) in shapes().items():
        for kind, (w, h) in zip(("EN", "DI", "CL"), sizes):
            name = f"{kind}_{button}"
            write_bmp(os.path.join(out, name + ".bmp"), render(kind, w, h, maker(w), fill, edge))
            names.append(name)
    with open(os.path.join(out, "glyphs.qrc"), "w") as f:
        f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n  <qresource prefix="/glyphs">\n')
        for name in names:
            f.write(f'    <file alias="{name}">{name}.bmp</file>\n')
        f.write("  </qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()
