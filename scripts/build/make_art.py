#!/usr/bin/env python3
"""Draws the program's icon, grab cursor, start-up logo and the main view's
bitmaps: the title bars, the corner decoration, the faces of the Save and
Delete buttons in both editions and the cells of the small icon buttons (no
image files are taken from anywhere else; the words are set in fonts from
Debian's packages). Usage: make_art.py OUTPUT_FOLDER"""
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


BACKGROUND = (245, 250, 254)
MAGENTA = (255, 0, 255)
SCALE = 4
FONTS = {
    'ja': '/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf',
    'en': '/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf',
}


def canvas(width, height, colour):
    from PIL import Image
    return Image.new('RGB', (width * SCALE, height * SCALE), colour)


def shrink(image):
    from PIL import Image
    return image.resize((image.width // SCALE, image.height // SCALE), Image.LANCZOS)


def save_bmp(image, path):
    rows = []
    pixels = image.load()
    for y in range(image.height):
        rows.append([pixels[x, y][:3] for x in range(image.width)])
    write_bmp24(path, rows)


def title_bar(top, bottom, edge):
    """455 x 28: a rounded bar with a soft light along its top."""
    from PIL import ImageDraw
    image = canvas(455, 28, BACKGROUND)
    draw = ImageDraw.Draw(image)
    s = SCALE
    draw.rounded_rectangle((1 * s, 1 * s, 454 * s - 1, 27 * s - 1), radius=9 * s, fill=edge)
    for y in range(2 * s, 26 * s):
        t = (y - 2 * s) / (24 * s)
        colour = tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))
        draw.line((2 * s, y, 453 * s, y), fill=colour)
    mask = canvas(455, 28, (0, 0, 0)).convert('L')
    ImageDraw.Draw(mask).rounded_rectangle((2 * s, 2 * s, 453 * s - 1, 26 * s - 1), radius=8 * s, fill=255)
    framed = canvas(455, 28, BACKGROUND)
    ImageDraw.Draw(framed).rounded_rectangle((1 * s, 1 * s, 454 * s - 1, 27 * s - 1), radius=9 * s, fill=edge)
    framed.paste(image, (0, 0), mask)
    # A thin highlight line under the top edge.
    ImageDraw.Draw(framed).line((12 * s, 3 * s, 443 * s, 3 * s), fill=tuple(min(255, c + 40) for c in top), width=s)
    return shrink(framed)


def corner_decoration():
    """38 x 34: three small prints drifting out of the bottom-left corner."""
    from PIL import ImageDraw
    image = canvas(38, 34, BACKGROUND)
    draw = ImageDraw.Draw(image)
    s = SCALE
    for (x, y, w, colour) in ((4, 18, 14, (88, 123, 194)), (15, 10, 11, (120, 170, 220)), (24, 4, 8, (170, 205, 235))):
        draw.rounded_rectangle((x * s, y * s, (x + w) * s, (y + w * 0.8) * s), radius=2 * s, fill=(255, 255, 255),
                               outline=colour, width=s)
        draw.rectangle(((x + 2) * s, (y + 2) * s, (x + w - 2) * s, (y + w * 0.8 - 2) * s), fill=colour)
    return shrink(image)


def face(draw, box, word, font_path, pressed, icon=None):
    """One button face: a rounded blue button with an optional icon and a
    word; pressed faces are darker and shifted down by one pixel."""
    from PIL import ImageFont
    s = SCALE
    x0, y0, x1, y1 = box
    shift = s if pressed else 0
    top, bottom = ((70, 120, 200), (40, 85, 170)) if not pressed else ((40, 85, 170), (30, 65, 140))
    draw.rounded_rectangle((x0 + s, y0 + s, x1 - s, y1 - s), radius=5 * s, fill=bottom, outline=(30, 60, 130), width=s)
    draw.rounded_rectangle((x0 + 2 * s, y0 + 2 * s, x1 - 2 * s, (y0 + y1) // 2), radius=4 * s, fill=top)
    height = (y1 - y0) // s
    font = ImageFont.truetype(font_path, int(height * 0.55) * s)
    text_w = draw.textlength(word, font=font)
    icon_w = 0
    if icon:
        icon_w = height * s * 0.75
    total = text_w + icon_w
    left = x0 + ((x1 - x0) - total) / 2
    if icon:
        icon(draw, left, y0 + (y1 - y0) / 2 + shift, height * s * 0.5)
    draw.text((left + icon_w, y0 + (y1 - y0) / 2 + shift), word, font=font, fill=(255, 255, 255), anchor='lm')


def diskette(draw, left, centre_y, size):
    s = SCALE
    top = centre_y - size / 2
    draw.rectangle((left, top, left + size, top + size), fill=(255, 255, 255))
    draw.rectangle((left + size * 0.22, top, left + size * 0.78, top + size * 0.35), fill=(60, 100, 180))
    draw.rectangle((left + size * 0.2, top + size * 0.55, left + size * 0.8, top + size * 0.95), fill=(210, 225, 245))


def button_faces(width, height, words, font_path, icon=None):
    """A 2 x 2 grid of width x height faces: columns = words (None leaves the
    column blank), upper row normal, lower row pressed."""
    from PIL import ImageDraw
    image = canvas(width * 2, height * 2, BACKGROUND)
    draw = ImageDraw.Draw(image)
    s = SCALE
    for column, word in enumerate(words):
        if word is None:
            continue
        for row in range(2):
            box = (column * width * s, row * height * s, (column + 1) * width * s, (row + 1) * height * s)
            face(draw, box, word, font_path, row == 1, icon)
    return shrink(image)


def icon_cells():
    """119 x 34: 7 x 2 cells of 17 x 17 on magenta: house, gear, question
    mark, bar, cross (two cells unused), upper row normal, lower pressed."""
    from PIL import Image, ImageDraw, ImageFont
    s = SCALE
    cell = 17 * s
    result = Image.new('RGB', (119, 34), MAGENTA)
    for row in range(2):
        colour = (88, 123, 194) if row == 0 else (40, 70, 140)
        for column in range(7):
            mask = Image.new('L', (cell, cell), 0)
            d = ImageDraw.Draw(mask)
            c = cell / 2
            if column == 0:  # house
                d.polygon(((c, 2 * s), (15 * s, 8 * s), (2 * s, 8 * s)), fill=255)
                d.rectangle((4 * s, 8 * s, 13 * s, 15 * s), fill=255)
                d.rectangle((7 * s, 10 * s, 10 * s, 15 * s), fill=0)
            elif column == 1:  # gear
                for k in range(8):
                    a = k * math.pi / 4
                    x, y = c + math.cos(a) * 6 * s, c + math.sin(a) * 6 * s
                    d.ellipse((x - 1.7 * s, y - 1.7 * s, x + 1.7 * s, y + 1.7 * s), fill=255)
                d.ellipse((c - 5.5 * s, c - 5.5 * s, c + 5.5 * s, c + 5.5 * s), fill=255)
                d.ellipse((c - 2.2 * s, c - 2.2 * s, c + 2.2 * s, c + 2.2 * s), fill=0)
            elif column == 2:  # question mark
                d.ellipse((1 * s, 1 * s, 16 * s, 16 * s), fill=255)
                font = ImageFont.truetype(FONTS['en'], 12 * s)
                d.text((c, c + 0.5 * s), '?', font=font, fill=0, anchor='mm')
            elif column == 3:  # bar
                d.rectangle((3 * s, 11 * s, 14 * s, 14 * s), fill=255)
            elif column == 4:  # cross
                d.line((4 * s, 4 * s, 13 * s, 13 * s), fill=255, width=3 * s)
                d.line((13 * s, 4 * s, 4 * s, 13 * s), fill=255, width=3 * s)
            else:
                continue
            small = mask.resize((17, 17), Image.LANCZOS)
            pixels = result.load()
            for y in range(17):
                for x in range(17):
                    a = small.getpixel((x, y)) / 255
                    if a < 0.3:
                        continue
                    pixels[column * 17 + x, row * 17 + y] = tuple(
                        int(round(b + (f - b) * a)) for f, b in zip(colour, BACKGROUND))
    return result


def write_view_art(folder):
    save_bmp(title_bar((110, 160, 225), (50, 100, 190), (40, 80, 160)), os.path.join(folder, 'title_active.bmp'))
    save_bmp(title_bar((215, 218, 222), (170, 174, 180), (150, 154, 160)), os.path.join(folder, 'title_inactive.bmp'))
    save_bmp(corner_decoration(), os.path.join(folder, 'corner.bmp'))
    for edition, save_word, delete_word, delete_all_word in (('ja', '保存', '削除', '全て削除'),
                                                             ('en', 'Save', 'Delete', 'Delete All')):
        save_bmp(button_faces(160, 24, (save_word, None), FONTS[edition], diskette),
                 os.path.join(folder, 'save_%s.bmp' % edition))
        save_bmp(button_faces(70, 18, (delete_word, delete_all_word), FONTS[edition]),
                 os.path.join(folder, 'remove_%s.bmp' % edition))
    save_bmp(icon_cells(), os.path.join(folder, 'icons.bmp'))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write_view_art(folder)
    write_bmp24(os.path.join(folder, 'logo.bmp'), render_rect(380, 50, logo_shade))
    write_icon_file(os.path.join(folder, 'k3driftlet.ico'), 1,
                    [render(48, icon_shade), render(32, icon_shade), render(16, icon_shade)])
    write_icon_file(os.path.join(folder, 'grab.cur'), 2, [render(32, cursor_shade)], hotspot=(16, 16))


if __name__ == '__main__':
    main()
