"""The main view's bitmaps at 100, 150 and 200 per cent: the title bars, the
corner decoration, the faces of the Save and Delete buttons in both editions
and the cells of the small icon buttons. Each is drawn at its own scale (not
enlarged from the smaller one), four times supersampled."""
import math
import os

BACKGROUND = (245, 250, 254)
MAGENTA = (255, 0, 255)
SAMPLES = 4
FONTS = {
    'ja': '/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf',
    'en': '/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf',
}
# The scales (per cent) and the suffix of their files.
ZOOMS = ((100, ''), (150, '_150'), (200, '_200'))


def scaled(logical, percent):
    """Pixels of `logical` at `percent`, rounded half up as the program does."""
    return (logical * percent + 50) // 100


class Canvas:
    """A picture of logical width x height at `percent`: s is one logical
    pixel in canvas pixels."""

    def __init__(self, width, height, percent, colour):
        from PIL import Image
        self.width, self.height = scaled(width, percent), scaled(height, percent)
        self.s = SAMPLES * percent / 100
        self.image = Image.new('RGB', (self.width * SAMPLES, self.height * SAMPLES), colour)

    def shrink(self, image=None):
        from PIL import Image
        return (image or self.image).resize((self.width, self.height), Image.LANCZOS)


def save_bmp(image, path, write_bmp24):
    pixels = image.load()
    write_bmp24(path, [[pixels[x, y][:3] for x in range(image.width)] for y in range(image.height)])


def title_bar(top, bottom, edge, percent):
    """455 x 28 logical: a rounded bar with a soft light along its top."""
    from PIL import Image, ImageDraw
    c = Canvas(455, 28, percent, BACKGROUND)
    s = c.s
    draw = ImageDraw.Draw(c.image)
    for y in range(int(2 * s), int(26 * s)):
        t = (y - 2 * s) / (24 * s)
        draw.line((2 * s, y, 453 * s, y), fill=tuple(int(a + (b - a) * t) for a, b in zip(top, bottom)))
    mask = Image.new('L', c.image.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle((2 * s, 2 * s, 453 * s - 1, 26 * s - 1), radius=8 * s, fill=255)
    framed = Image.new('RGB', c.image.size, BACKGROUND)
    ImageDraw.Draw(framed).rounded_rectangle((1 * s, 1 * s, 454 * s - 1, 27 * s - 1), radius=9 * s, fill=edge)
    framed.paste(c.image, (0, 0), mask)
    # A thin highlight line under the top edge.
    ImageDraw.Draw(framed).line((12 * s, 3 * s, 443 * s, 3 * s), fill=tuple(min(255, v + 40) for v in top),
                                width=max(1, int(s)))
    return c.shrink(framed)


def corner_decoration(percent):
    """38 x 34 logical: three small prints drifting out of the bottom-left
    corner."""
    from PIL import ImageDraw
    c = Canvas(38, 34, percent, BACKGROUND)
    s = c.s
    draw = ImageDraw.Draw(c.image)
    for (x, y, w, colour) in ((4, 18, 14, (88, 123, 194)), (15, 10, 11, (120, 170, 220)), (24, 4, 8, (170, 205, 235))):
        draw.rounded_rectangle((x * s, y * s, (x + w) * s, (y + w * 0.8) * s), radius=2 * s, fill=(255, 255, 255),
                               outline=colour, width=max(1, int(s)))
        draw.rectangle(((x + 2) * s, (y + 2) * s, (x + w - 2) * s, (y + w * 0.8 - 2) * s), fill=colour)
    return c.shrink()


def face(draw, box, word, font_path, pressed, s, icon=None):
    """One button face: a rounded blue button with an optional icon and a
    word; pressed faces are darker and shifted down by one logical pixel."""
    from PIL import ImageFont
    x0, y0, x1, y1 = box
    shift = s if pressed else 0
    top, bottom = ((70, 120, 200), (40, 85, 170)) if not pressed else ((40, 85, 170), (30, 65, 140))
    draw.rounded_rectangle((x0 + s, y0 + s, x1 - s, y1 - s), radius=5 * s, fill=bottom, outline=(30, 60, 130),
                           width=max(1, int(s)))
    draw.rounded_rectangle((x0 + 2 * s, y0 + 2 * s, x1 - 2 * s, (y0 + y1) / 2), radius=4 * s, fill=top)
    height = (y1 - y0) / s
    font = ImageFont.truetype(font_path, int(int(height * 0.55) * s))
    text_w = draw.textlength(word, font=font)
    icon_w = height * s * 0.75 if icon else 0
    left = x0 + ((x1 - x0) - (text_w + icon_w)) / 2
    if icon:
        icon(draw, left, y0 + (y1 - y0) / 2 + shift, height * s * 0.5)
    draw.text((left + icon_w, y0 + (y1 - y0) / 2 + shift), word, font=font, fill=(255, 255, 255), anchor='lm')


def diskette(draw, left, centre_y, size):
    top = centre_y - size / 2
    draw.rectangle((left, top, left + size, top + size), fill=(255, 255, 255))
    draw.rectangle((left + size * 0.22, top, left + size * 0.78, top + size * 0.35), fill=(60, 100, 180))
    draw.rectangle((left + size * 0.2, top + size * 0.55, left + size * 0.8, top + size * 0.95), fill=(210, 225, 245))


def button_faces(width, height, words, font_path, percent, icon=None):
    """A 2 x 2 grid of faces of width x height logical: columns = words
    (None leaves the column blank), upper row normal, lower row pressed.
    Each face is scaled on its own, so the sheet is exactly two faces wide
    and high."""
    from PIL import ImageDraw
    fw, fh = scaled(width, percent), scaled(height, percent)
    c = Canvas(width * 2, height * 2, percent, BACKGROUND)
    c.width, c.height = fw * 2, fh * 2
    from PIL import Image
    c.image = Image.new('RGB', (c.width * SAMPLES, c.height * SAMPLES), BACKGROUND)
    draw = ImageDraw.Draw(c.image)
    for column, word in enumerate(words):
        if word is None:
            continue
        for row in range(2):
            box = (column * fw * SAMPLES, row * fh * SAMPLES, (column + 1) * fw * SAMPLES, (row + 1) * fh * SAMPLES)
            face(draw, box, word, font_path, row == 1, c.s, icon)
    return c.shrink()


def icon_cells(percent):
    """7 x 2 cells of 17 x 17 logical on magenta: house, gear, question
    mark, bar, cross (two cells unused), upper row normal, lower pressed."""
    from PIL import Image, ImageDraw, ImageFont
    side = scaled(17, percent)
    s = SAMPLES * side / 17
    cell = side * SAMPLES
    result = Image.new('RGB', (7 * side, 2 * side), MAGENTA)
    for row in range(2):
        colour = (88, 123, 194) if row == 0 else (40, 70, 140)
        for column in range(5):
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
                font = ImageFont.truetype(FONTS['en'], int(12 * s))
                d.text((c, c + 0.5 * s), '?', font=font, fill=0, anchor='mm')
            elif column == 3:  # bar
                d.rectangle((3 * s, 11 * s, 14 * s, 14 * s), fill=255)
            else:  # cross
                d.line((4 * s, 4 * s, 13 * s, 13 * s), fill=255, width=int(3 * s))
                d.line((13 * s, 4 * s, 4 * s, 13 * s), fill=255, width=int(3 * s))
            small = mask.resize((side, side), Image.LANCZOS)
            pixels = result.load()
            for y in range(side):
                for x in range(side):
                    a = small.getpixel((x, y)) / 255
                    if a < 0.3:
                        continue
                    pixels[column * side + x, row * side + y] = tuple(
                        int(round(b + (f - b) * a)) for f, b in zip(colour, BACKGROUND))
    return result


def write_view_art(folder, write_bmp24):
    def save(image, name, suffix):
        save_bmp(image, os.path.join(folder, '%s%s.bmp' % (name, suffix)), write_bmp24)

    for percent, suffix in ZOOMS:
        save(title_bar((110, 160, 225), (50, 100, 190), (40, 80, 160), percent), 'title_active', suffix)
        save(title_bar((215, 218, 222), (170, 174, 180), (150, 154, 160), percent), 'title_inactive', suffix)
        save(corner_decoration(percent), 'corner', suffix)
        for edition, save_word, delete_word, delete_all_word in (('ja', '保存', '削除', '全て削除'),
                                                                 ('en', 'Save', 'Delete', 'Delete All')):
            save(button_faces(160, 24, (save_word, None), FONTS[edition], percent, diskette), 'save_' + edition, suffix)
            save(button_faces(70, 18, (delete_word, delete_all_word), FONTS[edition], percent),
                 'remove_' + edition, suffix)
        save(icon_cells(percent), 'icons', suffix)
