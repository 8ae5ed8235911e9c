#!/usr/bin/env python3
"""Draws the program's icon and grab cursor (no image files are taken from
anywhere else). Usage: make_art.py OUTPUT_FOLDER"""
import math
import os
import struct
import sys


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


def write_icon_file(path, kind, images, hotspot=(0, 0)):
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for rows in images:
        size = len(rows)
        blob = dib_image(rows)
        if kind == 1:
            out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        else:
            out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, hotspot[0], hotspot[1], len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    with open(path, 'wb') as f:
        f.write(out + b''.join(blobs))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write_icon_file(os.path.join(folder, 'k3driftlet.ico'), 1,
                    [render(48, icon_shade), render(32, icon_shade), render(16, icon_shade)])
    write_icon_file(os.path.join(folder, 'grab.cur'), 2, [render(32, cursor_shade)], hotspot=(16, 16))


if __name__ == '__main__':
    main()
