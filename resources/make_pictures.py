#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws Quillmora's pictures and writes them into this folder.

Run from the repository root:

    /usr/bin/python3 resources/make_pictures.py

Icons are drawn pixel by pixel in the classic 16-colour palette (no
anti-aliasing, no dithering) and written as BMP-based ICO files with a 4-bit
colour bitmap and a 1-bit transparency mask, so that every size sits in the
file as its own image.  The title banner is drawn smoothly and saved as a
256-colour GIF; the application icon for the desktop's icon theme is drawn
smoothly too and saved as PNGs under icons/hicolor/, at each size that the
install puts there.  Output is the same on every run.
"""

import math
import os
import struct

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))

# The classic 16-colour palette, in index order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x00, 0x00, 0x80), (0x00, 0x80, 0x00), (0x00, 0x80, 0x80),
    (0x80, 0x00, 0x00), (0x80, 0x00, 0x80), (0x80, 0x80, 0x00), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0x00, 0x00, 0xFF), (0x00, 0xFF, 0x00), (0x00, 0xFF, 0xFF),
    (0xFF, 0x00, 0x00), (0xFF, 0x00, 0xFF), (0xFF, 0xFF, 0x00), (0xFF, 0xFF, 0xFF),
]
(BLACK, NAVY, GREEN, TEAL, MAROON, PURPLE, OLIVE, SILVER,
 GREY, BLUE, LIME, CYAN, RED, MAGENTA, YELLOW, WHITE) = range(16)


# ---------------------------------------------------------------------------
# Pixel canvas

class Canvas:
    """A grid of palette indices; None marks a transparent pixel."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        self.px = [[background] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def paint(self, mask, c):
        for x, y in mask:
            self.set(x, y, c)

    def bevel(self, mask, fill, light=None, dark=None, outline=BLACK):
        """Paints a shape with an outline, a lit top-left and a shaded
        bottom-right, like a raised button."""
        def border(p):
            x, y = p
            return any(q not in mask for q in
                       ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))
        edge = {p for p in mask if border(p)}
        if outline is None:
            lit = lambda x, y: (x - 1, y) not in mask or (x, y - 1) not in mask
            shaded = lambda x, y: (x + 1, y) not in mask or (x, y + 1) not in mask
        else:
            lit = lambda x, y: (x - 1, y) in edge or (x, y - 1) in edge
            shaded = lambda x, y: (x + 1, y) in edge or (x, y + 1) in edge
        for x, y in mask:
            if outline is not None and (x, y) in edge:
                c = outline
            elif light is not None and lit(x, y):
                c = light
            elif dark is not None and shaded(x, y):
                c = dark
            else:
                c = fill
            self.set(x, y, c)

    def pattern(self, x0, y0, rows, colours):
        """Stamps a small character map; characters missing from colours
        are left alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.set(x0 + dx, y0 + dy, colours[ch])

    def rgba(self):
        im = Image.new('RGBA', (self.w, self.h))
        im.putdata([(0, 0, 0, 0) if c is None else PALETTE[c] + (255,)
                    for row in self.px for c in row])
        return im


def shape(w, h, draw):
    """Runs draw(ImageDraw) on a blank bitmap and returns the set pixels."""
    im = Image.new('1', (w, h), 0)
    draw(ImageDraw.Draw(im))
    return {(x, y) for y in range(h) for x in range(w) if im.getpixel((x, y))}


def rect(x0, y0, x1, y1):
    return {(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)}


def polygon(w, h, pts):
    return shape(w, h, lambda d: d.polygon(pts, fill=1, outline=1))


def disc(cx, cy, r):
    """Pixels whose centres lie within r of (cx, cy); gives round, symmetric
    circles at small sizes."""
    return {(x, y) for y in range(int(cy - r) - 1, int(cy + r) + 2)
            for x in range(int(cx - r) - 1, int(cx + r) + 2)
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r}


# ---------------------------------------------------------------------------
# File writers

def nearest(rgb):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, PALETTE[i])))


def indices(image):
    """Maps an RGBA picture onto the 16-colour palette without dithering.
    Returns rows of palette indices, None where the picture is transparent."""
    im = image.convert('RGBA')
    w, h = im.size
    data = list(im.getdata())
    return [[None if data[y * w + x][3] < 128 else nearest(data[y * w + x][:3])
             for x in range(w)] for y in range(h)]


def palette_bytes():
    return b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)


def pack4(row):
    """One 4-bit row, padded to a multiple of four bytes."""
    out = bytearray()
    for i in range(0, len(row), 2):
        hi = row[i] or 0
        lo = (row[i + 1] or 0) if i + 1 < len(row) else 0
        out.append(hi << 4 | lo)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def pack1(bits):
    out = bytearray()
    for i in range(0, len(bits), 8):
        byte = 0
        for j, b in enumerate(bits[i:i + 8]):
            byte |= b << (7 - j)
        out.append(byte)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def ico_image(rows):
    h, w = len(rows), len(rows[0])
    # Transparent pixels are black in the colour bitmap and set in the mask.
    xor = b''.join(pack4(r) for r in reversed(rows))
    mask = b''.join(pack1([1 if c is None else 0 for c in r]) for r in reversed(rows))
    header = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    return header + palette_bytes() + xor + mask


def write_ico(name, images):
    images = [indices(im) for im in images]
    blobs = [ico_image(rows) for rows in images]
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for rows, blob in zip(images, blobs):
        h, w = len(rows), len(rows[0])
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    out += b''.join(blobs)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(out)


def write_bmp(name, image):
    rows = indices(image)
    h, w = len(rows), len(rows[0])
    bits = b''.join(pack4(r) for r in reversed(rows))
    offset = 14 + 40 + 64
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(bits), 3780, 3780, 16, 0)
    head = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(head + info + palette_bytes() + bits)


def write_gif(name, image):
    """Saves as a single-frame GIF with a full 256-entry colour table."""
    im = image.convert('RGB').quantize(colors=256, method=Image.Quantize.MEDIANCUT,
                                       dither=Image.Dither.NONE)
    pal = im.getpalette()[:768]
    pal += [0] * (768 - len(pal))
    im.putpalette(pal)
    im.save(os.path.join(HERE, name), 'GIF', optimize=False)


# ---------------------------------------------------------------------------
# Icons

def stopwatch(c, cx, cy, r):
    """A stopwatch face centred on (cx, cy) with radius r."""
    case = disc(cx, cy, r)
    c.bevel(case, SILVER, WHITE, GREY)
    face = disc(cx, cy, r - 2.5)
    c.bevel(face, WHITE, None, SILVER, outline=GREY)
    ix, iy = int(cx), int(cy)
    # hour ticks
    t = int(r - 4.5)
    for dx, dy in ((0, -t), (0, t), (-t, 0), (t, 0)):
        c.paint(rect(ix + dx, iy + dy, ix + dx + 1, iy + dy + 1) & face, BLACK)
    return face


def app_icon():
    c = Canvas(32, 32)
    # crown and side button of the stopwatch
    c.bevel(rect(12, 0, 19, 2), SILVER, WHITE, GREY)
    c.bevel(rect(14, 2, 17, 4), GREY, SILVER, None)
    c.bevel(polygon(32, 32, [(22, 5), (24, 3), (27, 6), (25, 8)]), SILVER, WHITE, GREY)
    face = stopwatch(c, 15.5, 14.5, 11.6)
    # hands: minute hand straight up, second hand towards two o'clock
    c.paint(rect(15, 7, 16, 14), NAVY)
    c.paint(shape(32, 32, lambda d: d.line([(16, 14), (21, 10)], fill=1, width=2)) & face, RED)
    c.paint(rect(15, 14, 16, 15), BLACK)

    # dumbbell lying in front of the watch
    c.bevel(rect(8, 24, 23, 27), SILVER, WHITE, GREY)
    for x0, x1, y0, y1 in ((4, 8, 18, 31), (23, 27, 18, 31), (1, 4, 21, 28), (27, 30, 21, 28)):
        c.bevel(rect(x0, y0, x1, y1), BLUE, None, NAVY)
    return c.rgba()


def arrow_icon(size):
    c = Canvas(size, size)
    if size == 32:
        pts = [(2, 10), (15, 10), (15, 2), (29, 15), (29, 16), (15, 29), (15, 21), (2, 21)]
    else:
        pts = [(1, 5), (7, 5), (7, 1), (14, 7), (14, 8), (7, 14), (7, 10), (1, 10)]
    c.bevel(polygon(size, size, pts), LIME, WHITE if size == 32 else None, GREEN)
    return c.rgba()


def new_icon(size):
    c = Canvas(size, size)
    if size == 32:
        x0, y0, x1, y1, fold = 4, 1, 23, 29, 7
    else:
        x0, y0, x1, y1, fold = 2, 0, 12, 14, 4
    sheet = polygon(size, size, [(x0, y0), (x1 - fold, y0), (x1, y0 + fold),
                                 (x1, y1), (x0, y1)])
    c.bevel(sheet, WHITE, None, SILVER)
    corner = polygon(size, size, [(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)])
    c.bevel(corner, SILVER, WHITE, None)
    # ruled lines
    step = 3 if size == 32 else 2
    for y in range(y0 + fold + step, y1 - 1, step):
        for x in range(x0 + 3 if size == 32 else x0 + 2, x1 - 2):
            if c.get(x, y) in (WHITE, SILVER):
                c.set(x, y, SILVER if size == 16 else GREY)
    # green plus in the lower right
    if size == 32:
        plus = rect(21, 15, 26, 31) | rect(16, 20, 31, 25)
        c.bevel(plus, LIME, WHITE, GREEN)
    else:
        # too small for an outline inside the bars: ring them in black instead
        plus = rect(11, 7, 13, 15) | rect(8, 10, 15, 12)
        c.paint({(x + dx, y + dy) for x, y in plus for dx in (-1, 0, 1) for dy in (-1, 0, 1)}, BLACK)
        c.bevel(plus, LIME, None, GREEN, outline=None)
    return c.rgba()


def floppy_icon(size):
    c = Canvas(size, size)
    if size == 32:
        body = polygon(32, 32, [(2, 2), (27, 2), (29, 4), (29, 29), (2, 29)])
        c.bevel(body, NAVY, BLUE, BLACK)
        c.bevel(rect(8, 2, 23, 11), SILVER, WHITE, GREY)
        c.paint(rect(18, 4, 21, 9), NAVY)
        c.bevel(rect(6, 15, 25, 29), WHITE, None, SILVER)
        for y in (19, 22, 25):
            c.paint(rect(9, y, 22, y), BLUE)
    else:
        body = polygon(16, 16, [(1, 1), (13, 1), (14, 2), (14, 14), (1, 14)])
        c.bevel(body, NAVY, BLUE, BLACK)
        c.bevel(rect(4, 1, 11, 5), SILVER, WHITE, GREY)
        c.paint(rect(9, 2, 10, 4), NAVY)
        c.bevel(rect(3, 8, 12, 14), WHITE, None, SILVER)
        for y in (10, 12):
            c.paint(rect(5, y, 10, y), BLUE)
    return c.rgba()


def eraser_icon(size):
    c = Canvas(size, size)
    # a block of eraser lying at 45 degrees: blue paper sleeve on the upper
    # right, white rubber on the lower left
    if size == 32:
        rubber = [(2, 20), (11, 11), (19, 19), (10, 28)]
        sleeve = [(11, 11), (20, 2), (28, 10), (19, 19)]
    else:
        rubber = [(1, 10), (5, 6), (9, 10), (5, 14)]
        sleeve = [(5, 6), (10, 1), (14, 5), (9, 10)]
    r = polygon(size, size, rubber)
    sl = polygon(size, size, sleeve) - r
    c.bevel(r, WHITE, None, SILVER)
    c.bevel(sl, BLUE, CYAN, NAVY)
    # a rubbed-out trail beneath
    if size == 32:
        for x0, x1, y in ((14, 29, 28), (20, 29, 30)):
            c.paint(rect(x0, y, x1, y), GREY)
    else:
        c.paint(rect(9, 14, 15, 14), GREY)
    return c.rgba()


def delete_icon(size):
    c = Canvas(size, size)
    if size == 32:
        a, b, k = 3, 28, 5
    else:
        a, b, k = 1, 14, 2
    n = size - 1
    bar1 = polygon(size, size, [(a, a + k), (a + k, a), (b, b - k), (b - k, b)])
    bar2 = polygon(size, size, [(n - a, a + k), (n - a - k, a), (n - b, b - k), (n - b + k, b)])
    c.bevel(bar1 | bar2, RED, None, MAROON)
    return c.rgba()


QUESTION_32 = [
    "...######...",
    ".##########.",
    "####....####",
    "###......###",
    "###......###",
    ".........###",
    "........####",
    ".......####.",
    "......####..",
    ".....####...",
    "....####....",
    "....####....",
    "....####....",
    "............",
    "............",
    "....####....",
    "....####....",
    "....####....",
    "....####....",
]

QUESTION_16 = [
    ".####.",
    "##..##",
    "....##",
    "...##.",
    "..##..",
    "..##..",
    "......",
    "..##..",
    "..##..",
]


def help_icon(size):
    c = Canvas(size, size)
    mid = (size - 1) / 2
    c.bevel(disc(mid, mid, mid + 0.3), BLUE, CYAN, NAVY)
    if size == 32:
        c.pattern(11, 7, QUESTION_32, {'#': NAVY})
        c.pattern(10, 6, QUESTION_32, {'#': WHITE})
    else:
        c.pattern(5, 3, QUESTION_16, {'#': WHITE})
    return c.rgba()


def power_icon(size):
    c = Canvas(size, size)
    mid = (size - 1) / 2
    c.bevel(disc(mid, mid, mid + 0.3), RED, WHITE if size == 32 else None, MAROON)
    if size == 32:
        outer, inner, cy, bar = 10.2, 7, mid + 1.5, rect(14, 4, 17, 16)
    else:
        outer, inner, cy, bar = 5.2, 3.4, mid + 1, rect(7, 2, 8, 7)
    ring = disc(mid, cy, outer) - disc(mid, cy, inner)
    # open the ring at the top, leaving room around the bar
    gap = {(x, y) for x, y in ring
           if y < cy and abs(x - mid) < (y - cy) * -math.tan(math.radians(32)) + 1}
    c.paint(ring - gap, WHITE)
    c.paint(bar, WHITE)
    return c.rgba()


def print_icon(size):
    """A printer with a sheet going in at the top and a printed one coming out."""
    c = Canvas(size, size)
    if size == 32:
        sheet_in, body, slot, lamp = rect(8, 1, 23, 12), rect(1, 10, 30, 23), rect(6, 19, 25, 20), rect(25, 13, 27, 14)
        sheet_out, lines = rect(7, 19, 24, 30), (23, 26)
    else:
        sheet_in, body, slot, lamp = rect(4, 0, 11, 6), rect(0, 5, 15, 12), rect(3, 10, 12, 10), rect(12, 7, 13, 7)
        sheet_out, lines = rect(3, 10, 12, 15), (13,)
    c.bevel(sheet_in, WHITE, None, SILVER, outline=GREY)
    c.bevel(body, SILVER, WHITE, GREY)
    c.paint(slot, BLACK)
    c.paint(lamp, LIME)
    c.bevel(sheet_out, WHITE, None, SILVER, outline=GREY)
    x0, x1 = min(x for x, _ in sheet_out) + 2, max(x for x, _ in sheet_out) - 2
    for y in lines:
        c.paint(rect(x0, y, x1, y), BLACK)
    return c.rgba()


def home_icon(size):
    """A house: red roof with a chimney, white walls, a door and a window."""
    c = Canvas(size, size)
    if size == 32:
        roof = polygon(32, 32, [(0, 15), (15, 1), (16, 1), (31, 15)])
        chimney, walls = rect(22, 3, 25, 10), rect(4, 14, 27, 30)
        door, window = rect(8, 19, 14, 30), rect(18, 18, 24, 24)
    else:
        roof = polygon(16, 16, [(0, 8), (7, 0), (8, 0), (15, 8)])
        chimney, walls = rect(11, 1, 12, 5), rect(2, 7, 13, 15)
        door, window = rect(4, 10, 6, 15), rect(9, 9, 11, 11)
    c.bevel(chimney, MAROON, None, BLACK)
    c.bevel(walls, WHITE, None, SILVER)
    c.bevel(roof, RED, None, MAROON)
    c.bevel(door, MAROON, None, BLACK)
    c.bevel(window, CYAN, WHITE if size == 32 else None, TEAL, outline=NAVY)
    return c.rgba()


def side_pane_icon(size):
    """A window whose left-hand part is a pane of entries, beside the page."""
    c = Canvas(size, size)
    if size == 32:
        frame, title, pane, page = rect(1, 3, 30, 28), rect(2, 4, 29, 7), rect(2, 8, 11, 27), rect(13, 8, 29, 27)
        entries, text, step = (4, 9), (15, 27), 3
    else:
        frame, title, pane, page = rect(0, 1, 15, 14), rect(1, 2, 14, 3), rect(1, 4, 5, 13), rect(7, 4, 14, 13)
        entries, text, step = (2, 4), (8, 13), 2
    c.paint(frame, BLACK)
    c.paint(title, NAVY)
    c.paint(pane, SILVER)
    c.paint(page, WHITE)
    top = min(y for _, y in pane) + 2
    for y in range(top, max(y for _, y in pane) - 1, step):
        c.paint(rect(entries[0], y, entries[1], y), NAVY)
        c.paint(rect(text[0], y, text[1] - (3 if (y // step) % 2 else 0), y), GREY)
    return c.rgba()


def leave_bitmap():
    """16x16 button picture: an open doorway with an arrow stepping out."""
    c = Canvas(16, 16, SILVER)
    # door frame with daylight showing through
    # (the extra row below the picture keeps the threshold free of a frame line)
    c.bevel(rect(5, 0, 15, 15) | rect(5, 16, 15, 16), WHITE, None, None, outline=MAROON)
    # the door leaf, opened inwards on its right-hand hinge
    leaf = polygon(16, 16, [(10, 3), (14, 1), (14, 15), (10, 13)])
    c.bevel(leaf, OLIVE, None, None, outline=BLACK)
    c.set(11, 8, YELLOW)
    # arrow heading out to the left
    arrow = polygon(16, 16, [(0, 7), (5, 2), (5, 5), (10, 5), (10, 10), (5, 10), (5, 13), (0, 8)])
    c.bevel(arrow, LIME, None, GREEN)
    return c.rgba()


# ---------------------------------------------------------------------------
# Desktop icons

def app_icon_smooth(size):
    """The application icon's stopwatch and dumbbell, drawn smoothly at any
    size for the desktop's icon theme.  The shapes follow the 32x32 pixel
    icon's layout (coordinates below are in its pixels); the colours are the
    title banner's."""
    S = 8                                   # drawn eight times larger, then reduced
    k = size * S / 32
    big = Image.new('RGBA', (size * S, size * S), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)

    def p(x, y):
        return (x * k, y * k)

    def box(x0, y0, x1, y1):
        return [x0 * k, y0 * k, x1 * k, y1 * k]

    # strokes stay about one screen pixel wide at small sizes and grow slowly beyond
    line = max(1.0, size / 48) * S
    ink = (0x20, 0x30, 0x50, 0xFF)
    metal = (0xC4, 0xCC, 0xD8, 0xFF)
    metal_dark = (0x98, 0xA4, 0xB4, 0xFF)
    metal_light = (0xEC, 0xF0, 0xF6, 0xFF)

    # crown, stem and side button
    d.rectangle(box(14, 2, 18, 5.5), fill=metal_dark, outline=ink, width=round(line))
    d.rounded_rectangle(box(11.5, 0.2, 20.5, 3.2), radius=k, fill=metal, outline=ink,
                        width=round(line))
    d.polygon([p(22.3, 5.7), p(24.5, 3.5), p(27.7, 6.7), p(25.5, 8.9)],
              fill=metal, outline=ink, width=round(line))

    # the case, lit from the upper left, and the face
    cx, cy, r = 16, 15, 12
    d.ellipse(box(cx - r, cy - r, cx + r, cy + r), fill=ink)
    rim = r * k - line
    d.ellipse([cx * k - rim, cy * k - rim, cx * k + rim, cy * k + rim], fill=metal_dark)
    lit = rim - line
    off = line * 0.8
    d.ellipse([cx * k - rim, cy * k - rim, cx * k + lit - off, cy * k + lit - off],
              fill=metal_light)
    d.ellipse([cx * k - lit + off * 0.4, cy * k - lit + off * 0.4,
               cx * k + lit - off * 0.4, cy * k + lit - off * 0.4], fill=metal)
    fr = r - 2.5
    d.ellipse(box(cx - fr, cy - fr, cx + fr, cy + fr), fill=(0xFF, 0xFF, 0xFF, 0xFF),
              outline=(0x80, 0x8C, 0x9C, 0xFF), width=round(line))

    # ticks: the four quarters on small icons, all twelve hours on larger ones
    for h in range(0, 12, 1 if size >= 48 else 3):
        a = math.radians(h * 30)
        r1 = fr - 1.0
        r0 = r1 - (2.0 if h % 3 == 0 else 1.2)
        w = (1.6 if h % 3 == 0 else 0.8) if size >= 48 else 2.0
        d.line([p(cx + r0 * math.sin(a), cy - r0 * math.cos(a)),
                p(cx + r1 * math.sin(a), cy - r1 * math.cos(a))],
               fill=ink, width=round(w * k))

    # minute hand straight up, second hand towards two o'clock, and the hub;
    # the smallest icon gets hands two screen pixels wide so that they still show
    bold = 2 if size < 32 else 1
    d.line([p(cx, cy), p(cx, cy - 7.8)], fill=(0x10, 0x28, 0x70, 0xFF), width=round(2 * bold * k))
    a = math.radians(55)
    d.line([p(cx, cy), p(cx + 7.5 * math.sin(a), cy - 7.5 * math.cos(a))],
           fill=(0xE0, 0x20, 0x20, 0xFF), width=round(1.6 * bold * k))
    d.ellipse(box(cx - 1.3, cy - 1.3, cx + 1.3, cy + 1.3), fill=ink)

    # the dumbbell lying in front of the watch
    d.rounded_rectangle(box(8, 24, 24, 28), radius=0.6 * k, fill=(0xC8, 0xD0, 0xD8, 0xFF),
                        outline=ink, width=round(line))
    d.line([p(8.5, 25.2), p(23.5, 25.2)], fill=metal_light, width=max(1, round(0.7 * k)))
    plate, plate_edge = (0x2E, 0x6C, 0xD8, 0xFF), (0x14, 0x2C, 0x70, 0xFF)
    shine = (0x8C, 0xB8, 0xF4, 0xFF)
    for x0, y0, x1, y1 in ((0.8, 21, 5, 29), (27, 21, 31.2, 29), (4, 18, 9, 31.8), (23, 18, 28, 31.8)):
        d.rounded_rectangle(box(x0, y0, x1, y1), radius=1.2 * k, fill=plate,
                            outline=plate_edge, width=round(line))
        if size >= 32:
            d.line([p(x0 + 1.4, y0 + 1.6), p(x0 + 1.4, y1 - 1.6)], fill=shine,
                   width=max(1, round(0.7 * k)))
    return big.resize((size, size), Image.LANCZOS)


DESKTOP_ICON_SIZES = (16, 32, 48, 64, 128, 256)


def write_desktop_icons():
    """PNGs for the hicolor icon theme, laid out as they are installed."""
    for size in DESKTOP_ICON_SIZES:
        folder = os.path.join(HERE, 'icons', 'hicolor', '%dx%d' % (size, size), 'apps')
        os.makedirs(folder, exist_ok=True)
        app_icon_smooth(size).save(os.path.join(folder, 'quillmora.png'), 'PNG', optimize=True)


# ---------------------------------------------------------------------------
# Title banner

FONT_LATIN = '/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf'
FONT_JAPANESE = '/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf'
FONT_LATIN_REGULAR = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'


def title_picture(subtitle='トレーニング支援', subtitle_font=(FONT_JAPANESE, 14)):
    """The banner with the program's name over a subtitle in the language of the windows."""
    W, H, S = 211, 66, 4          # drawn four times larger, then reduced
    big = Image.new('RGB', (W * S, H * S))
    d = ImageDraw.Draw(big)
    top, bottom = (0xFF, 0xFF, 0xFF), (0xD6, 0xE6, 0xF6)
    for y in range(H * S):
        t = y / (H * S - 1)
        d.line([(0, y), (W * S, y)],
               fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))

    # motif: a stopwatch with a dumbbell in front of it
    def box(x0, y0, x1, y1):
        return [x0 * S, y0 * S, x1 * S, y1 * S]
    ink = (0x20, 0x30, 0x50)
    metal = (0xC4, 0xCC, 0xD8)
    d.rounded_rectangle(box(21, 2, 31, 7), radius=S, fill=metal, outline=ink, width=S)
    d.rectangle(box(24, 6, 28, 11), fill=(0x98, 0xA4, 0xB4), outline=ink, width=S)
    d.polygon([(x * S, y * S) for x, y in ((35, 12), (39, 8), (43, 12), (39, 16))],
              fill=metal, outline=ink, width=S)
    d.ellipse(box(8, 9, 44, 45), fill=metal, outline=ink, width=S)
    d.ellipse(box(12, 13, 40, 41), fill=(0xFF, 0xFF, 0xFF), outline=(0x80, 0x8C, 0x9C), width=S)
    cx, cy = 26 * S, 27 * S
    for k in range(12):
        a = math.radians(k * 30)
        r0, r1 = (10.5 if k % 3 else 8.5) * S, 12.5 * S
        d.line([(cx + r0 * math.sin(a), cy - r0 * math.cos(a)),
                (cx + r1 * math.sin(a), cy - r1 * math.cos(a))], fill=ink, width=S)
    d.line([(cx, cy), (cx, cy - 10 * S)], fill=(0x10, 0x28, 0x70), width=2 * S)
    a = math.radians(60)
    d.line([(cx, cy), (cx + 11 * S * math.sin(a), cy - 11 * S * math.cos(a))],
           fill=(0xE0, 0x20, 0x20), width=2 * S)
    d.ellipse([cx - 2 * S, cy - 2 * S, cx + 2 * S, cy + 2 * S], fill=ink)

    plate, plate_edge = (0x2E, 0x6C, 0xD8), (0x14, 0x2C, 0x70)
    d.rounded_rectangle(box(12, 48, 40, 53), radius=S, fill=(0xC8, 0xD0, 0xD8), outline=ink, width=S)
    for x0, y0, x1, y1 in ((6, 40, 13, 61), (39, 40, 46, 61), (2, 44, 7, 57), (45, 44, 50, 57)):
        d.rounded_rectangle(box(x0, y0, x1, y1), radius=2 * S, fill=plate, outline=plate_edge, width=S)
        d.line([(x0 + 2) * S, (y0 + 2) * S, (x0 + 2) * S, (y1 - 2) * S],
               fill=(0x8C, 0xB8, 0xF4), width=S)

    im = big.resize((W, H), Image.LANCZOS)

    # the name, sized to fill the space beside the motif
    d = ImageDraw.Draw(im)
    left, right = 58, W - 6
    size = 40
    while True:
        font = ImageFont.truetype(FONT_LATIN, size)
        x0, y0, x1, y1 = d.textbbox((0, 0), 'Quillmora', font=font)
        if x1 - x0 <= right - left:
            break
        size -= 1
    tx = left + (right - left - (x1 - x0)) // 2 - x0
    ty = 7 - y0
    d.text((tx + 1, ty + 1), 'Quillmora', font=font, fill=(0xA8, 0xBC, 0xD8))
    d.text((tx, ty), 'Quillmora', font=font, fill=(0x1A, 0x46, 0x8E))

    name_bottom = ty + y1
    d.line([(left + 4, name_bottom + 5), (right - 4, name_bottom + 5)], fill=(0x9C, 0xB8, 0xDC))

    sub = ImageFont.truetype(*subtitle_font)
    text = subtitle
    x0, y0, x1, y1 = d.textbbox((0, 0), text, font=sub)
    d.text((left + (right - left - (x1 - x0)) // 2 - x0, name_bottom + 10 - y0), text,
           font=sub, fill=(0x34, 0x50, 0x70))

    # a thin frame so the banner sits neatly on a grey window
    d.rectangle([0, 0, W - 1, H - 1], outline=(0xA4, 0xB8, 0xD0))
    return im


# ---------------------------------------------------------------------------

def main():
    write_ico('app.ico', [app_icon()])
    for name, draw in (('next.ico', arrow_icon), ('new.ico', new_icon),
                       ('hozon.ico', floppy_icon), ('clear.ico', eraser_icon),
                       ('del.ico', delete_icon), ('help.ico', help_icon),
                       ('end.ico', power_icon), ('print.ico', print_icon),
                       ('home.ico', home_icon), ('pane.ico', side_pane_icon)):
        write_ico(name, [draw(32), draw(16)])
    write_bmp('cut.bmp', leave_bitmap())
    write_gif('title.gif', title_picture())
    write_gif('title_en.gif', title_picture('Training companion', (FONT_LATIN_REGULAR, 12)))
    write_desktop_icons()


if __name__ == '__main__':
    main()
