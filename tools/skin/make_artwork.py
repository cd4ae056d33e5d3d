#!/usr/bin/env python3
"""Draws the installer skin's images (PNG and ICO) into installer/skin/.

Flat look around the accent colour 0x5873C1. Pure standard library, so the result is the same
byte for byte on every machine: shapes are signed-distance fields, anti-aliased by coverage.
Run:  python3 tools/skin/make_artwork.py [output-folder]
"""
import math
import os
import struct
import sys
import zlib

ACCENT = (0x58, 0x73, 0xC1)
ACCENT_HOT = (0x6B, 0x85, 0xD0)
ACCENT_DOWN = (0x49, 0x62, 0xAB)
ACCENT_PALE = (0xEE, 0xF1, 0xFA)
ACCENT_TINT = (0xDD, 0xE4, 0xF5)
DISABLED = (0xC4, 0xC9, 0xD4)
BORDER = (0xD1, 0xD1, 0xD1)
GREY = (0x99, 0x99, 0x99)
WHITE = (0xFF, 0xFF, 0xFF)
RED = (0xE7, 0x4B, 0x3F)


class Canvas:
    """Straight-alpha RGBA pixels with 'source over' compositing."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.px = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, rgb, alpha):
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        dst = self.px[y * self.width + x]
        a_src = min(alpha, 1.0)
        a_dst = dst[3] / 255.0
        a_out = a_src + a_dst * (1 - a_src)
        if a_out <= 0:
            return
        for i in range(3):
            dst[i] = (rgb[i] * a_src + dst[i] * a_dst * (1 - a_src)) / a_out
        dst[3] = a_out * 255.0

    def shade(self, box, distance, colour, opacity=1.0):
        """Fills where distance(x, y) < 0; colour is an RGB tuple or a function of (x, y)."""
        x0, y0, x1, y1 = (int(math.floor(v)) for v in box)
        for y in range(max(0, y0 - 1), min(self.height, y1 + 2)):
            for x in range(max(0, x0 - 1), min(self.width, x1 + 2)):
                cx, cy = x + 0.5, y + 0.5
                coverage = 0.5 - distance(cx, cy)
                if coverage > 0:
                    rgb = colour(cx, cy) if callable(colour) else colour
                    self.blend(x, y, rgb, min(coverage, 1.0) * opacity)

    def paste(self, other, ox, oy):
        for y in range(other.height):
            for x in range(other.width):
                r, g, b, a = other.px[y * other.width + x]
                self.blend(ox + x, oy + y, (r, g, b), a / 255.0)

    def rows(self):
        for y in range(self.height):
            row = self.px[y * self.width:(y + 1) * self.width]
            yield bytes(int(round(max(0, min(255, c)))) for p in row for c in p)


# Signed distances (negative inside).
def rounded_rect(x0, y0, x1, y1, r):
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def d(x, y):
        qx, qy = abs(x - cx) - hw + r, abs(y - cy) - hh + r
        outside = math.hypot(max(qx, 0), max(qy, 0))
        return outside + min(max(qx, qy), 0) - r
    return d


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def segment(ax, ay, bx, by, width):
    def d(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
        return math.hypot(px - vx * t, py - vy * t) - width / 2
    return d


def arc(cx, cy, r, width, start, end):
    """Stroke of a circle between two angles (degrees, clockwise from 3 o'clock)."""
    a0, a1 = math.radians(start), math.radians(end)
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (a0, a1)]

    def d(x, y):
        ang = math.atan2(y - cy, x - cx)
        rel = (ang - a0) % (2 * math.pi)
        if rel <= (a1 - a0) % (2 * math.pi):
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - width / 2
    return d


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(shape, hole):
    return lambda x, y: max(shape(x, y), -hole(x, y))


def bounds_of(*points):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return (min(xs), min(ys), max(xs), max(ys))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# Reusable glyphs -----------------------------------------------------------------------------
def padlock(c, cx, cy, size, colour):
    """A padlock centred on (cx, cy), size = body width."""
    w, h = size, size * 0.78
    top = cy - h * 0.15
    c.shade((cx - w, cy - size, cx + w, cy + size),
            rounded_rect(cx - w / 2, top, cx + w / 2, top + h, size * 0.12), colour)
    c.shade((cx - w, cy - size * 1.2, cx + w, top + 1),
            arc(cx, top, w * 0.3, size * 0.13, 180, 360), colour)
    c.shade((cx - w, top, cx + w, top + h),
            union(circle(cx, top + h * 0.42, size * 0.09),
                  segment(cx, top + h * 0.42, cx, top + h * 0.68, size * 0.08)),
            ACCENT, 1.0)


def check_mark(c, cx, cy, size, colour, stroke):
    a, b, e = (cx - size * 0.45, cy), (cx - size * 0.1, cy + size * 0.35), (cx + size * 0.5, cy - size * 0.35)
    c.shade(bounds_of(a, b, e), union(segment(*a, *b, stroke), segment(*b, *e, stroke)), colour)


def cross(c, cx, cy, size, colour, stroke):
    h = size / 2
    c.shade((cx - h - stroke, cy - h - stroke, cx + h + stroke, cy + h + stroke),
            union(segment(cx - h, cy - h, cx + h, cy + h, stroke),
                  segment(cx - h, cy + h, cx + h, cy - h, stroke)), colour)


def emblem(c, cx, cy, r):
    """The product's mark: an accent disc with a soft halo and a white padlock."""
    c.shade((cx - r * 1.5, cy - r * 1.5, cx + r * 1.5, cy + r * 1.5), circle(cx, cy, r * 1.35), ACCENT_TINT, 0.6)
    c.shade((cx - r, cy - r, cx + r, cy + r), circle(cx, cy, r),
            lambda x, y: mix(ACCENT_HOT, ACCENT_DOWN, (y - (cy - r)) / (2 * r)))
    padlock(c, cx, cy, r * 0.8, WHITE)


# Page backgrounds -----------------------------------------------------------------------------
def page_base(header_height):
    c = Canvas(600, 400, (255, 255, 255, 255))
    c.shade((0, 0, 600, header_height), lambda x, y: -1.0,
            lambda x, y: mix(ACCENT_PALE, WHITE, y / header_height))
    # Faint geometric accents in the corners keep the flat page from looking empty.
    c.shade((480, -60, 660, 120), circle(590, 10, 80), ACCENT_TINT, 0.45)
    c.shade((-80, 300, 120, 480), circle(10, 400, 90), ACCENT_TINT, 0.35)
    c.shade((0, 0, 600, 400), subtract(rounded_rect(0, 0, 600, 400, 5), rounded_rect(1, 1, 599, 399, 4)),
            BORDER, 1.0)
    return c


def page_home():
    c = page_base(200)
    emblem(c, 300, 92, 42)
    return c


def small_logo(c):
    c.shade((16, 15, 46, 45), circle(31, 29, 12), ACCENT)
    padlock(c, 31, 29, 10, WHITE)


def page_install():
    c = page_base(150)
    small_logo(c)
    for y in (108.5, 144.5, 180.5):
        c.shade((58, y - 8, 76, y + 8), circle(67, y, 7.5), ACCENT_TINT)
        check_mark(c, 67, y, 8, ACCENT, 1.8)
    # Right-hand illustration: the product's mark with two small satellites, as files being locked.
    emblem(c, 470, 132, 48)
    c.shade((380, 60, 410, 90), circle(395, 75, 9), ACCENT_TINT)
    c.shade((535, 180, 560, 205), circle(547, 192, 7), ACCENT_TINT)
    return c


def page_finished():
    c = page_base(180)
    small_logo(c)
    c.shade((240, 40, 360, 160), circle(300, 96, 54), ACCENT_TINT, 0.6)
    c.shade((255, 50, 345, 140), circle(300, 96, 42),
            lambda x, y: mix(ACCENT_HOT, ACCENT_DOWN, (y - 54) / 84))
    check_mark(c, 302, 98, 44, WHITE, 7)
    return c


# Buttons --------------------------------------------------------------------------------------
def filled_rows(width, row_height, colours, radius=5):
    c = Canvas(width, row_height * len(colours))
    for i, colour in enumerate(colours):
        top = i * row_height
        c.shade((0, top, width, top + row_height),
                rounded_rect(0, top, width, top + row_height, radius), colour)
    return c


def outlined_rows(width, row_height, looks, radius=5):
    """looks: (fill, border) per row."""
    c = Canvas(width, row_height * len(looks))
    for i, (fill, border) in enumerate(looks):
        top = i * row_height
        outer = rounded_rect(0, top, width, top + row_height, radius)
        inner = rounded_rect(1, top + 1, width - 1, top + row_height - 1, radius - 1)
        c.shade((0, top, width, top + row_height), outer, border)
        c.shade((0, top, width, top + row_height), inner, fill)
    return c


def glyph_rows(size, count, draw):
    c = Canvas(size, size * count)
    for i in range(count):
        draw(c, i, i * size)
    return c


def btn_close():
    colours = [GREY, ACCENT, ACCENT_DOWN, DISABLED]
    return glyph_rows(14, 4, lambda c, i, top: cross(c, 7, top + 7, 9, colours[i], 1.6))


def btn_dlgclose():
    looks = [(WHITE, 0.85), (WHITE, 1.0), (ACCENT_PALE, 1.0), (WHITE, 0.4)]

    def draw(c, i, top):
        rgb, opacity = looks[i]
        c.shade((0, top, 14, top + 14), union(segment(2.5, top + 2.5, 11.5, top + 11.5, 1.6),
                                              segment(2.5, top + 11.5, 11.5, top + 2.5, 1.6)), rgb, opacity)
    return glyph_rows(14, 4, draw)


def tick_boxes(size):
    """Eight rows: unticked/ticked for normal, hot, pushed, disabled (normal pair at rows 1 and 2)."""
    order = [("box", BORDER), ("box", BORDER), ("tick", ACCENT), ("box", ACCENT),
             ("tick", ACCENT_HOT), ("box", ACCENT_DOWN), ("tick", ACCENT_DOWN), ("tick", DISABLED)]
    c = Canvas(size, size * len(order))
    for i, (kind, colour) in enumerate(order):
        top = i * size
        box = rounded_rect(0.5, top + 0.5, size - 0.5, top + size - 0.5, 2.5)
        if kind == "box":
            c.shade((0, top, size, top + size), box, colour)
            c.shade((0, top, size, top + size), rounded_rect(1.5, top + 1.5, size - 1.5, top + size - 1.5, 1.8), WHITE)
        else:
            c.shade((0, top, size, top + size), box, colour)
            check_mark(c, size / 2, top + size / 2, size * 0.55, WHITE, 1.6)
    return c


def progress_back():
    c = Canvas(520, 10)
    c.shade((0, 0, 520, 10), rounded_rect(0, 0, 520, 10, 5), (0xE6, 0xE9, 0xF2))
    return c


def progress_fore():
    c = Canvas(520, 10)
    c.shade((0, 0, 520, 10), rounded_rect(0, 0, 520, 10, 5), lambda x, y: mix(ACCENT_HOT, ACCENT, x / 520))
    return c


def dialog_icon(kind):
    c = Canvas(48, 48)
    c.shade((0, 0, 48, 48), circle(24, 24, 23), lambda x, y: mix(ACCENT_HOT, ACCENT_DOWN, y / 48))
    if kind == "question":
        c.shade((10, 8, 38, 32), arc(24, 18.5, 7, 4.2, 180, 45), WHITE)
        c.shade((18, 20, 30, 32), segment(28.9, 23.4, 24, 27, 4.2), WHITE)
        c.shade((18, 24, 30, 32), segment(24, 27, 24, 29.5, 4.2), WHITE)
        c.shade((18, 32, 30, 42), circle(24, 36, 2.6), WHITE)
    else:
        c.shade((18, 8, 30, 18), circle(24, 13.5, 2.8), WHITE)
        c.shade((18, 18, 30, 40), segment(24, 21, 24, 36, 4.4), WHITE)
    return c


def logo(size):
    c = Canvas(size, size)
    r = size / 2 - 0.5
    c.shade((0, 0, size, size), circle(size / 2, size / 2, r),
            lambda x, y: mix(ACCENT_HOT, ACCENT_DOWN, y / size))
    padlock(c, size / 2, size / 2, size * 0.42, WHITE)
    return c


# Encoders -------------------------------------------------------------------------------------
def png_bytes(c):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + row for row in c.rows())
    header = struct.pack(">IIBBBBB", c.width, c.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico_bytes(canvases):
    """Classic ICO of 32-bit DIB images (bottom-up BGRA plus an AND mask), readable everywhere."""
    images = []
    for c in canvases:
        rows = list(c.rows())
        xor = b"".join(bytes(row[i + j] for i in range(0, len(row), 4) for j in (2, 1, 0, 3))
                       for row in reversed(rows))
        mask_stride = ((c.width + 31) // 32) * 4
        mask = b""
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x in range(c.width):
                if row[x * 4 + 3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        header = struct.pack("<IiiHHIIiiII", 40, c.width, c.height * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((c.width, c.height, header + xor + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "installer", "skin")
    setup_colours = [ACCENT, ACCENT_HOT, ACCENT_DOWN, DISABLED]
    outline_looks = [(WHITE, BORDER), (ACCENT_PALE, ACCENT), ((0xE2, 0xE8, 0xF6), ACCENT_DOWN), ((0xF2, 0xF2, 0xF2), (0xE0, 0xE0, 0xE0))]
    dlg_yes_looks = [(WHITE, ACCENT), (ACCENT_PALE, ACCENT), ((0xE2, 0xE8, 0xF6), ACCENT_DOWN), ((0xF2, 0xF2, 0xF2), DISABLED)]
    home = page_home()
    images = {
        "page_home.png": home,
        "page_home_chs.png": home,
        "page_install.png": page_install(),
        "page_finished.png": page_finished(),
        "btn_setup.png": filled_rows(160, 40, setup_colours),
        "btn_startrun.png": filled_rows(160, 40, setup_colours),
        "btn_alter.png": outlined_rows(74, 32, outline_looks),
        "btn_Browser.png": outlined_rows(74, 32, outline_looks),
        "btn_close.png": btn_close(),
        "btn_dlgclose.png": btn_dlgclose(),
        "btn_dlgyes.png": outlined_rows(96, 32, dlg_yes_looks),
        "btn_dlgno.png": filled_rows(96, 32, setup_colours),
        "common_choose.png": tick_boxes(14),
        "checkbox.png": tick_boxes(15),
        "pro_bk.png": progress_back(),
        "pro_loading.png": progress_fore(),
        "png_question.png": dialog_icon("question"),
        "png_message.png": dialog_icon("message"),
    }
    os.makedirs(out, exist_ok=True)
    for name, canvas in sorted(images.items()):
        with open(os.path.join(out, name), "wb") as f:
            f.write(png_bytes(canvas))
    with open(os.path.join(out, "logo.ico"), "wb") as f:
        f.write(ico_bytes([logo(16), logo(32), logo(48)]))
    print("wrote %d images to %s" % (len(images) + 1, os.path.normpath(out)))


if __name__ == "__main__":
    main()
