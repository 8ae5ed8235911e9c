#!/usr/bin/env python3
"""Draws the program's icon, grab cursor, start-up logo and (view_art.py)
the main view's bitmaps, each at 100, 150 and 200 per cent or in the sizes
the system asks for (no image files are taken from anywhere else; the words
are set in fonts from Debian's packages). Usage: make_art.py OUTPUT_FOLDER"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from view_art import ZOOMS, scaled, write_view_art  # noqa: E402


def clamp(v):
    return max(0, min(255, int(round(v))))


def render(size, shade, samples=4):
    """Supersamples shade(x, y) -> (r, g, b, a) over a size x size grid of
    unit cells in a 0..1 coordinate space; returns rows top to bottom."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    r, g, b, a = shade(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            a = acc[3] / n
            if a > 0:
                row.append((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], a))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def rounded_box(x, y, x0, y0, x1, y1, radius):
    cx = min(max(x, x0 + radius), x1 - radius)
    cy = min(max(y, y0 + radius), y1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and x0 <= x <= x1 and y0 <= y <= y1


def icon_shade(x, y):
    # A sky tile with a tilted snapshot drifting across it.
    if not rounded_box(x, y, 0.03, 0.03, 0.97, 0.97, 0.18):
        return (0, 0, 0, 0)
    sky = (70 + 60 * y, 140 + 50 * y, 230, 1.0)
    angle = math.radians(-12)
    u = (x - 0.55) * math.cos(angle) - (y - 0.52) * math.sin(angle)
    v = (x - 0.55) * math.sin(angle) + (y - 0.52) * math.cos(angle)
    if abs(u) <= 0.34 and abs(v) <= 0.27:
        if abs(u) > 0.29 or abs(v) > 0.22:
            return (250, 250, 250, 1.0)  # white border of the print
        if (u + 0.12) ** 2 + (v + 0.08) ** 2 <= 0.07 ** 2:
            return (255, 196, 64, 1.0)  # sun
        if v > 0.06 - 0.25 * math.sin((u + 0.29) * 5.0) * 0.4:
            return (70, 170, 90, 1.0)  # hill
        return (150, 205, 245, 1.0)  # sky of the photo
    # The drift trail below the print.
    if 0.10 < x < 0.45 and abs(y - (0.86 - 0.25 * (x - 0.1))) < 0.022:
        return (255, 255, 255, 0.8)
    return sky


def cursor_shade(x, y):
    # Four arrows around a ring: grab and move.
    def arrow_dist(px, py):
        best = 1e9
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            # Distance to the shaft from the centre to the tip, plus a head.
            t = max(0.0, min(0.42, px * dx + py * dy))
            sx, sy = dx * t, dy * t
            d = math.hypot(px - sx, py - sy) - 0.045
            along = px * dx + py * dy
            side = abs(px * dy - py * dx)
            if 0.28 <= along <= 0.45:
                d = min(d, side - (0.45 - along) * 0.75)
            best = min(best, d)
        ring = abs(math.hypot(px, py) - 0.12) - 0.035
        return min(best, ring)
    d = arrow_dist(x - 0.5, y - 0.5)
    if d <= 0:
        return (0, 0, 0, 1.0)
    if d <= 0.04:
        return (255, 255, 255, 1.0)
    return (0, 0, 0, 0)


def dib_image(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((clamp(b), clamp(g), clamp(r), clamp(a * 255)))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for i, (_, _, _, a) in enumerate(row):
            if a < 0.5:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def write_icon_file(path, kind, images, hotspots=None):
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for index, rows in enumerate(images):
        size = len(rows)
        blob = dib_image(rows)
        if kind == 1:
            out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        else:
            out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, *hotspots[index], len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    with open(path, 'wb') as f:
        f.write(out + b''.join(blobs))


def render_rect(width, height, shade, samples=2):
    """Like render, for a width x height picture in pixel coordinates; the
    shade gives opaque (r, g, b)."""
    rows = []
    n = samples * samples
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    r, g, b = shade(px + (sx + 0.5) / samples, py + (sy + 0.5) / samples)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
            row.append(tuple(clamp(c / n) for c in acc))
        rows.append(row)
    return rows


def write_bmp24(path, rows):
    """A bottom-up 24-bit bitmap file."""
    height, width = len(rows), len(rows[0])
    stride = ((width * 3 + 3) // 4) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(header) + len(pixels), 0, 0, 14 + len(header)))
        f.write(header + pixels)


def rounded_box_distance(x, y, left, top, right, bottom, radius):
    """Signed distance from a rounded rectangle (negative inside)."""
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return math.hypot(x - cx, y - cy) - radius


def logo_shade(x, y):
    """380 x 50: a rounded bar going from deep blue to teal over the view's
    background, three photos drifting across it on a wave."""
    background = (245, 250, 254)
    d = rounded_box_distance(x, y, 2, 3, 378, 47, 12)
    if d > 0:
        return background
    t = x / 380
    bar = (40 + 20 * t, 90 + 80 * t, 190 - 10 * t)
    # A soft light along the top of the bar.
    glow = max(0.0, 1 - (y - 3) / 22) * 0.25
    colour = tuple(c + (255 - c) * glow for c in bar)
    # The drift path: a thin wave of light across the bar.
    wave_y = 25 + 9 * math.sin(x / 38)
    if abs(y - wave_y) < 1.2:
        colour = tuple(c + (255 - c) * 0.45 for c in colour)
    # Three photos on the path, each a white frame around a sky-and-hill
    # picture, turned a little.
    for i, (px, angle) in enumerate(((70, -0.18), (185, 0.12), (300, -0.08))):
        py = 25 + 9 * math.sin(px / 38)
        ca, sa = math.cos(angle), math.sin(angle)
        u = (x - px) * ca + (y - py) * sa
        v = -(x - px) * sa + (y - py) * ca
        if abs(u) <= 17 and abs(v) <= 13:
            if abs(u) > 14.5 or abs(v) > 10.5:
                return (250, 250, 250)
            hill = 4 * math.sin(u / 5 + i) + 3
            if v > hill:
                return (70 + 20 * i, 150, 80)
            sky = (v + 10.5) / 21
            return (120 + 80 * sky, 180 + 50 * sky, 250)
    return colour


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write_view_art(folder, write_bmp24)
    for percent, suffix in ZOOMS:
        zoom = percent / 100
        write_bmp24(os.path.join(folder, 'logo%s.bmp' % suffix),
                    render_rect(scaled(380, percent), scaled(50, percent), lambda x, y: logo_shade(x / zoom, y / zoom)))
    # The sizes the system asks for at 100 to 200 per cent: the window's
    # small and large icons, and the cursor's.
    write_icon_file(os.path.join(folder, 'k3driftlet.ico'), 1,
                    [render(size, icon_shade) for size in (64, 48, 40, 32, 24, 20, 16)])
    cursors = [render(size, cursor_shade) for size in (32, 48, 64)]
    write_icon_file(os.path.join(folder, 'grab.cur'), 2, cursors, hotspots=[(16, 16), (24, 24), (32, 32)])


if __name__ == '__main__':
    main()
