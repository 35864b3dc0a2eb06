#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files.

Everything is drawn from code so the icons can be tweaked and rebuilt without
an image editor.  Only the standard library is used, so any Python 3 will do.

    python3 tools/make_icons.py          # writes src/resources/icons/*.ico

The output is deterministic: running the script twice gives identical bytes,
so the committed icons only change when the drawing code changes.  A
preview (every icon at 4x on mid-grey) is written to build/icons-preview.png, outside the
sources, for a quick visual check.
"""
import math
import os
import struct
import zlib

OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                       '..', 'src', 'resources', 'icons')

SS = 4  # sub-samples per pixel axis; gives soft edges on diagonals and curves

# Palette
WHITE = (255, 255, 255)
OUTLINE = (64, 64, 64)          # thin page outlines, readable on light buttons
TEXT_LINE = (150, 150, 150)
FOLD = (214, 214, 214)
YELLOW = (252, 204, 72)
YELLOW_BACK = (232, 172, 40)
YELLOW_EDGE = (156, 104, 16)
BLUE = (44, 112, 214)
BLUE_DARK = (20, 64, 150)
BLUE_LIGHT = (150, 196, 250)
ORANGE = (242, 140, 28)
ORANGE_DARK = (170, 84, 10)
GREEN = (52, 170, 64)
GREEN_DARK = (20, 104, 34)
RED = (220, 36, 36)
RED_DARK = (130, 14, 14)
ENVELOPE = (250, 244, 220)
CREAM = (246, 222, 170)


# --------------------------------------------------------------------------
# Canvas and drawing helpers.  Coordinates are continuous: pixel (i, j)
# covers [i, i+1) x [j, j+1), so a 1-wide stroke along y = j + 0.5 fills row j
# exactly.  Shapes are described by an inside-test and rasterised by
# counting sub-samples, which keeps each helper a few lines long.
# --------------------------------------------------------------------------
class Canvas:
    def __init__(self, size, design=None):
        """A size x size image of a drawing made for a `design`-pixel grid (the size itself
        when not given): the shapes are rasterised again at the size, never stretched."""
        self.size = size
        self.k = size / float(design or size)
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def paint(self, inside, color):
        """Composite `color` over every pixel by the fraction inside the shape.
        color None erases (punches a transparent hole)."""
        n, step, k = self.size, 1.0 / SS, self.k
        offs = [(s + 0.5) * step for s in range(SS)]
        for j in range(n):
            for i in range(n):
                hits = sum(1 for dy in offs for dx in offs if inside((i + dx) / k, (j + dy) / k))
                if hits:
                    self._blend(j * n + i, hits / (SS * SS), color)

    def _blend(self, k, cover, color):
        p = self.px[k]
        if color is None:
            p[3] *= 1.0 - cover
            return
        a = cover * (color[3] / 255.0 if len(color) > 3 else 1.0)
        out_a = a + p[3] * (1.0 - a)
        for c in range(3):
            p[c] = (color[c] * a + p[c] * p[3] * (1.0 - a)) / out_a
        p[3] = out_a

    def rgba(self):
        """Quantised rows of (r, g, b, a), top row first."""
        rows = []
        for j in range(self.size):
            row = []
            for i in range(self.size):
                r, g, b, a = self.px[j * self.size + i]
                a8 = int(round(a * 255))
                row.append((int(round(r)), int(round(g)), int(round(b)), a8) if a8 else (0, 0, 0, 0))
            rows.append(row)
        return rows

    # --- shapes --------------------------------------------------------
    def rect(self, x0, y0, x1, y1, color):
        self.paint(lambda x, y: x0 <= x < x1 and y0 <= y < y1, color)

    def frame(self, x0, y0, x1, y1, color, w=1):
        """Rectangle outline whose outer edge is (x0, y0)-(x1, y1)."""
        self.paint(lambda x, y: x0 <= x < x1 and y0 <= y < y1 and not
                   (x0 + w <= x < x1 - w and y0 + w <= y < y1 - w), color)

    def disc(self, cx, cy, r, color):
        self.paint(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, color)

    def arc(self, cx, cy, r, w, a0, a1, color):
        """Stroke of width w along a circle from angle a0 to a1 (degrees,
        clockwise on screen, 0 = right).  Ends are rounded."""
        ends = [(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
                for a in (a0, a1)]

        def inside(x, y):
            ang = math.degrees(math.atan2(y - cy, x - cx))
            if abs(math.hypot(x - cx, y - cy) - r) <= w / 2 and (ang - a0) % 360 <= (a1 - a0) % 360:
                return True
            return any((x - ex) ** 2 + (y - ey) ** 2 <= w * w / 4 for ex, ey in ends)
        self.paint(inside, color)

    def ellipse_ring(self, cx, cy, rx, ry, w, color):
        def inside(x, y):
            d = math.hypot((x - cx) / rx, (y - cy) / ry)
            return abs(d - 1.0) * min(rx, ry) <= w / 2
        self.paint(inside, color)

    def line(self, pts, w, color):
        """Polyline with round joins and caps."""
        segs = list(zip(pts, pts[1:]))
        self.paint(lambda x, y: any(_seg_dist(x, y, a, b) <= w / 2 for a, b in segs), color)

    def poly(self, pts, color, outline=None, w=1.0):
        self.paint(lambda x, y: _in_poly(x, y, pts), color)
        if outline:
            self.line(pts + pts[:1], w, outline)


def _seg_dist(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def _in_poly(x, y, pts):
    inside = False
    for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


# --------------------------------------------------------------------------
# Reusable pictures.  Arguments are the pixel indices of the outline pixels,
# so outlines land on whole pixels and stay crisp.
# --------------------------------------------------------------------------
def page(c, x0, y0, x1, y1, fold=3, lines=()):
    """White page with a dog-ear at the top right and optional text rows."""
    a0, b0, a1, b1 = x0 + .5, y0 + .5, x1 + .5, y1 + .5
    c.poly([(a0, b0), (a1 - fold, b0), (a1, b0 + fold), (a1, b1), (a0, b1)], WHITE, OUTLINE)
    c.poly([(a1 - fold, b0), (a1 - fold, b0 + fold), (a1, b0 + fold)], FOLD, OUTLINE)
    for row in lines:
        c.rect(x0 + 2, row, x1 - 1 - (fold if row < y0 + fold + 1 else 0), row + 1, TEXT_LINE)


def folder(c, x0, y0, x1, y1, tab_w, tab_h):
    """Yellow folder: back panel with a tab, front panel leaning forward."""
    a0, b0, a1, b1 = x0 + .5, y0 + .5, x1 + .5, y1 + .5
    c.poly([(a0, b0), (a0 + tab_w, b0), (a0 + tab_w + tab_h, b0 + tab_h), (a1 - 1, b0 + tab_h),
            (a1 - 1, b1), (a0, b1)], YELLOW_BACK, YELLOW_EDGE)
    top = b0 + tab_h + max(2, (y1 - y0) // 5)
    c.poly([(a0, b1), (a0 + (top - b0) * .25, top), (a1, top), (a1 - (top - b0) * .25, b1)],
           YELLOW, YELLOW_EDGE)


def envelope(c, x0, y0, x1, y1):
    a0, b0, a1, b1 = x0 + .5, y0 + .5, x1 + .5, y1 + .5
    c.poly([(a0, b0), (a1, b0), (a1, b1), (a0, b1)], ENVELOPE, OUTLINE)
    c.line([(a0, b0), ((a0 + a1) / 2, (b0 + b1) / 2 + .5), (a1, b0)], 1.0, OUTLINE)


def question_mark(c, cx, cy, s, color, w):
    """Question mark centred near (cx, cy); s is its half-height."""
    r = s * .5
    c.arc(cx, cy - s * .5, r, w, 190, 85, color)
    c.line([(cx + r * .09, cy), (cx, cy + s * .25)], w, color)
    c.disc(cx, cy + s * .8, w * .62, color)


def arrow(c, pts, head, w, color):
    """Polyline with a triangular head at the last point."""
    (px, py), (tx, ty) = pts[-2], pts[-1]
    d = math.hypot(tx - px, ty - py)
    ux, uy = (tx - px) / d, (ty - py) / d
    bx, by = tx - ux * head, ty - uy * head
    c.line(pts[:-1] + [(bx + ux * .3, by + uy * .3)], w, color)
    c.poly([(tx + ux * .2, ty + uy * .2), (bx - uy * head * .75, by + ux * head * .75),
            (bx + uy * head * .75, by - ux * head * .75)], color)


def pen(c, tip, back, w, detail):
    """Pen lying from `back` (top right) down to the writing tip."""
    (tx, ty), (bx, by) = tip, back
    d = math.hypot(bx - tx, by - ty)
    ux, uy = (bx - tx) / d, (by - ty) / d    # along the pen, tip -> back
    nx, ny = -uy * w / 2, ux * w / 2         # half-width across
    nib = w * 1.4
    mx, my = tx + ux * nib, ty + uy * nib
    body = [(mx + nx, my + ny), (bx + nx, by + ny), (bx - nx, by - ny), (mx - nx, my - ny)]
    c.poly(body, BLUE, BLUE_DARK)
    c.poly([(tx, ty), (mx + nx, my + ny), (mx - nx, my - ny)], CREAM, OUTLINE)
    c.disc(tx + ux * .6, ty + uy * .6, .75 if detail else .55, OUTLINE)
    if detail:   # metal band near the nib and a highlight along the body
        k0, k1 = nib + .5, nib + 2.5
        c.poly([(tx + ux * k0 + nx, ty + uy * k0 + ny), (tx + ux * k1 + nx, ty + uy * k1 + ny),
                (tx + ux * k1 - nx, ty + uy * k1 - ny), (tx + ux * k0 - nx, ty + uy * k0 - ny)],
               (200, 200, 210), BLUE_DARK)
        c.line([(tx + ux * (k1 + 1.5) + nx * .35, ty + uy * (k1 + 1.5) + ny * .35),
                (bx - ux * 1.5 + nx * .35, by - uy * 1.5 + ny * .35)], 1.0, BLUE_LIGHT)


def info_disc(c):
    c.disc(8, 8, 7.5, BLUE_DARK)
    c.disc(8, 8, 6.6, BLUE)


# --------------------------------------------------------------------------
# The icons, one small function each.
# --------------------------------------------------------------------------
def icon_program_16(c):
    folder(c, 0, 3, 13, 14, 5, 2)
    pen(c, (6.2, 11.8), (15.3, 1.2), 3.0, False)


def icon_program_32(c):
    folder(c, 0, 6, 27, 29, 10, 3)
    pen(c, (12.0, 24.5), (30.8, 2.5), 5.6, True)


def icon_close(c):
    # Through pixel centres so the diagonals stay crisp instead of grey.
    c.line([(4.5, 4.5), (11.5, 11.5)], 1.6, WHITE)
    c.line([(11.5, 4.5), (4.5, 11.5)], 1.6, WHITE)


def icon_contact(c):
    page(c, 1, 0, 11, 14)
    arrow(c, [(3.5, 4.5), (8.5, 4.5)], 2.5, 1.2, BLUE)
    arrow(c, [(8.5, 8.5), (3.5, 8.5)], 2.5, 1.2, BLUE)
    envelope(c, 6, 9, 15, 15)


def icon_about(c):
    info_disc(c)
    question_mark(c, 8, 7.6, 5.2, WHITE, 1.9)


def icon_maximize(c):
    c.frame(3, 3, 13, 13, WHITE)


def icon_minimize(c):
    c.rect(4, 11, 12, 13, WHITE)


def icon_restore(c):
    c.frame(5, 3, 13, 11, WHITE)
    c.rect(3, 5, 11, 13, None)
    c.frame(3, 5, 11, 13, WHITE)


def icon_theme(c):
    c.poly([(1.5, 1.5), (14.5, 1.5), (1.5, 14.5)], BLUE)
    c.poly([(14.5, 1.5), (14.5, 14.5), (1.5, 14.5)], ORANGE)
    c.line([(1.5, 1.5), (14.5, 1.5), (14.5, 14.5), (1.5, 14.5), (1.5, 1.5)], 1.0, OUTLINE)


def icon_update(c):
    c.disc(7, 7, 6.5, BLUE_DARK)
    c.disc(7, 7, 5.6, BLUE)
    c.ellipse_ring(7, 7, 2.6, 5.6, 0.9, BLUE_LIGHT)
    c.rect(1.4, 6.5, 12.6, 7.5, BLUE_LIGHT)
    c.poly([(8.5, 7.5), (15.5, 11.5), (8.5, 15.5)], GREEN, GREEN_DARK)


def icon_help(c):
    page(c, 2, 0, 13, 15)
    question_mark(c, 7.6, 7.8, 5.0, YELLOW_EDGE, 3.1)
    question_mark(c, 7.6, 7.8, 5.0, YELLOW, 1.7)


def icon_home(c):
    c.rect(10.5, 1.5, 12.5, 5, (150, 60, 40))
    c.poly([(8, 0.8), (15.4, 8.2), (0.6, 8.2)], (206, 70, 48), RED_DARK)
    c.poly([(3.5, 8.2), (12.5, 8.2), (12.5, 14.5), (3.5, 14.5)], ENVELOPE, OUTLINE)
    c.rect(7, 10, 9, 15, (140, 90, 40))
    c.rect(7, 10, 9, 14, (170, 110, 50))


def icon_report(c):
    page(c, 3, 0, 12, 10, 0, (3, 5, 7))
    envelope(c, 1, 6, 14, 15)


def icon_log(c):
    info_disc(c)
    c.disc(8, 4.6, 1.25, WHITE)
    c.rect(7, 6.6, 9, 12.4, WHITE)
    c.rect(6, 6.6, 7, 7.6, WHITE)
    c.rect(6, 11.4, 10, 12.4, WHITE)


def icon_add_folder(c):
    folder(c, 0, 2, 15, 14, 5, 2)


def icon_add_files(c):
    page(c, 1, 0, 9, 11, 3, (4, 6, 8))
    page(c, 5, 4, 14, 15, 3, (8, 10, 12))


def icon_undo(c):
    # Dark pass first, then the same shapes slimmer on top: a 1px outline.
    for color, w, grow in ((GREEN_DARK, 3.4, .9), (GREEN, 1.8, 0)):
        c.arc(8.5, 9.0, 5.0, w, 270, 100, color)
        tip, h = (1.2 - grow, 4.0), 3.2 + grow
        c.poly([tip, (tip[0] + h + grow * .4, 4.0 - h), (tip[0] + h + grow * .4, 4.0 + h)], color)
        c.line([(5.0, 4.0), (8.5, 4.0)], w, color)


def icon_apply(c):
    c.poly([(4.5, 2.0), (13.5, 8.0), (4.5, 14.0)], GREEN, GREEN_DARK)


def icon_invert(c):
    c.poly([(0.5, 0.5), (6.5, 0.5), (6.5, 6.5), (0.5, 6.5)], WHITE, OUTLINE)
    c.poly([(9.5, 9.5), (15.5, 9.5), (15.5, 15.5), (9.5, 15.5)], WHITE, OUTLINE)
    c.rect(11, 11, 15, 15, ORANGE)
    arrow(c, [(8.0, 3.5), (12.5, 3.5), (12.5, 9.0)], 3.0, 1.5, ORANGE)
    arrow(c, [(8.0, 12.5), (3.5, 12.5), (3.5, 7.0)], 3.0, 1.5, ORANGE)


def icon_remove(c):
    for color, w in ((RED_DARK, 3.6), (RED, 2.2)):
        c.line([(3.5, 3.5), (12.5, 12.5)], w, color)
        c.line([(12.5, 3.5), (3.5, 12.5)], w, color)


def icon_select_all(c):
    page(c, 2, 0, 13, 15, 3, (4, 6, 8, 10, 12))
    c.line([(4.0, 8.5), (7.0, 11.5), (12.5, 4.0)], 2.2, RED)


def icon_remove_all(c):
    page(c, 1, 0, 12, 15, 3, (4, 6, 8, 10, 12))
    for color, w in ((RED_DARK, 3.2), (RED, 1.9)):
        c.line([(7.0, 7.0), (14.0, 14.0)], w, color)
        c.line([(14.0, 7.0), (7.0, 14.0)], w, color)


# id, file-name stem, drawing functions per size
ICONS = [
    (128, 'program', {16: icon_program_16, 32: icon_program_32}),
    (129, 'close', {16: icon_close}),
    (130, 'contact', {16: icon_contact}),
    (132, 'about', {16: icon_about}),
    (133, 'maximize', {16: icon_maximize}),
    (134, 'minimize', {16: icon_minimize}),
    (136, 'restore', {16: icon_restore}),
    (137, 'theme', {16: icon_theme}),
    (138, 'update', {16: icon_update}),
    (139, 'help', {16: icon_help}),
    (140, 'website', {16: icon_home}),
    (142, 'report', {16: icon_report}),
    (146, 'errorlog', {16: icon_log}),
    (155, 'add_folder', {16: icon_add_folder}),
    (161, 'add_files', {16: icon_add_files}),
    (165, 'undo', {16: icon_undo}),
    (166, 'apply', {16: icon_apply}),
    (167, 'invert', {16: icon_invert}),
    (168, 'remove', {16: icon_remove}),
    (169, 'select_all', {16: icon_select_all}),
    (170, 'remove_all', {16: icon_remove_all}),
]


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------
def dib(rows):
    """BITMAPINFOHEADER + 32-bpp BGRA bottom-up + 1-bpp AND mask."""
    n = len(rows)
    xor = b''.join(bytes(v for r, g, b, a in row for v in (b, g, r, a)) for row in reversed(rows))
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for i, px in enumerate(row):
            if px[3] == 0:             # fully transparent: screen shows through
                line[i // 8] |= 0x80 >> (i % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


def ico(images):
    """images: list of rows-of-pixels, smallest first."""
    blobs = [dib(rows) for rows in images]
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for rows, blob in zip(images, blobs):
        n = len(rows)
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b''.join(blobs)


def png(width, height, pixels):
    """pixels: flat list of (r, g, b) rows, top first."""
    def chunk(tag, data):
        return struct.pack('>I', len(data)) + tag + data + struct.pack('>I', zlib.crc32(tag + data))
    raw = b''.join(b'\0' + bytes(v for p in pixels[y * width:(y + 1) * width] for v in p)
                   for y in range(height))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def check_ico(data, sizes):
    """Re-parse an .ico we wrote; raises if anything is off."""
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    assert (reserved, kind, count) == (0, 1, len(sizes)), 'bad ICONDIR'
    for k, size in enumerate(sizes):
        w, h, colors, _, planes, bpp, length, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * k)
        assert (w, h, colors, planes, bpp) == (size % 256, size % 256, 0, 1, 32), 'bad entry'
        assert offset + length <= len(data), 'entry runs past end of file'
        hsize, bw, bh, bplanes, bbpp, comp = struct.unpack_from('<IiiHHI', data, offset)
        assert (hsize, bw, bh, bplanes, bbpp, comp) == (40, size, 2 * size, 1, 32, 0), 'bad header'
        xor_len, and_len = size * size * 4, ((size + 31) // 32) * 4 * size
        assert length == 40 + xor_len + and_len, 'bad image length'
        xor = data[offset + 40:offset + 40 + xor_len]
        mask = data[offset + 40 + xor_len:offset + length]
        stride = and_len // size
        for y in range(size):
            for x in range(size):
                alpha = xor[(y * size + x) * 4 + 3]
                bit = (mask[y * stride + x // 8] >> (7 - x % 8)) & 1
                assert bit == (alpha == 0), 'AND mask disagrees with alpha'
        assert any(xor[3::4]), 'image is empty'


def write_preview(path, images, scale=4, pad=8, cols=7, bg=(128, 128, 128)):
    cell = 16 * scale + 2 * pad
    small = [img for img in images if len(img) == 16]
    large = [img for img in images if len(img) != 16]
    rows_small = (len(small) + cols - 1) // cols
    width = cols * cell
    height = rows_small * cell + sum(len(img) * scale + 2 * pad for img in large)
    canvas = [bg] * (width * height)

    def put(img, ox, oy):
        for y, row in enumerate(img):
            for x, (r, g, b, a) in enumerate(row):
                f = a / 255.0
                p = tuple(int(round(v * f + q * (1 - f))) for v, q in zip((r, g, b), bg))
                for sy in range(scale):
                    base = (oy + y * scale + sy) * width + ox + x * scale
                    canvas[base:base + scale] = [p] * scale
    for k, img in enumerate(small):
        put(img, (k % cols) * cell + pad, (k // cols) * cell + pad)
    y = rows_small * cell
    for img in large:
        put(img, pad, y + pad)
        y += len(img) * scale + 2 * pad
    with open(path, 'wb') as f:
        f.write(png(width, height, canvas))


# The small-icon sizes of 100, 125, 150 and 200 % scaling; a size without a drawing of its own
# is the nearest smaller drawing rasterised again at that size.
SMALL_SIZES = (16, 20, 24, 32)


def painters_by_size(painters):
    chosen = {}
    for size in sorted(set(SMALL_SIZES) | set(painters)):
        design = max(d for d in painters if d <= size)
        chosen[size] = (painters[design], design)
    return chosen


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    small, large = [], []
    for icon_id, name, painters in ICONS:
        images = []
        sizes = painters_by_size(painters)
        for size in sorted(sizes):
            painter, design = sizes[size]
            c = Canvas(size, design)
            painter(c)
            images.append(c.rgba())
        data = ico(images)
        check_ico(data, sorted(sizes))
        path = os.path.join(OUT_DIR, '%d_%s.ico' % (icon_id, name))
        with open(path, 'wb') as f:
            f.write(data)
        print('wrote', os.path.relpath(path))
        small += [img for img in images if len(img) == 16]
        large += [img for img in images if len(img) == 32 and icon_id == 128]
    preview_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'build')
    os.makedirs(preview_dir, exist_ok=True)
    write_preview(os.path.join(preview_dir, 'icons-preview.png'), small + large)


if __name__ == '__main__':
    main()
