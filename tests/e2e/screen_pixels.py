"""What a window on a private X server shows, read back as pixels.

grab() reads a rectangle of the screen through ImageMagick's `import`;
start_page_card() finds the bundled start page's card in it, and
looks_like_globe() tells the program's icon from an empty or broken one.
"""

import re
import subprocess

# The bundled pages' look (skin/pages.css).
PAGE_BACKGROUND = (0xE1, 0xF1, 0xFF)
CARD_BORDER = (0x6E, 0x9B, 0xD2)
HEADING = (0x2A, 0x5A, 0x96)


class Image:
    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


def grab(env, x, y, w, h):
    """The screen's pixels in the rectangle, as 8-bit RGB."""
    out = subprocess.run(["import", "-display", env["DISPLAY"], "-window", "root",
                          "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", "-depth", "8", "ppm:-"],
                         env=env, capture_output=True, timeout=20, check=True).stdout
    # P6 <width> <height> 255, one whitespace, then the samples.
    head = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", out)
    if not head:
        raise ValueError("not an 8-bit PPM: %r" % out[:20])
    width, height = int(head[1]), int(head[2])
    return Image(width, height, out[head.end():head.end() + width * height * 3])


def near(c, want, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(c, want))


def whitish(c):
    return min(c) >= 0xF0


def start_page_card(img):
    """The start page's card as (left, top, right, bottom) in img, or None.

    The card is a white box with a 1-pixel border in CARD_BORDER on the page's
    light blue, with its heading in HEADING. A blank page, the engine's error
    page or the window without a page show nothing of the kind (the line under
    the tab strip has the border's colour too, but no white below it).
    """
    for y in range(img.height - 160):
        x = 0
        while x < img.width:
            if not near(img.pixel(x, y), CARD_BORDER):
                x += 1
                continue
            start = x
            while x < img.width and near(img.pixel(x, y), CARD_BORDER):
                x += 1
            if x - start >= 200:
                card = card_below(img, start, x - 1, y)
                if card:
                    return card
    return None


def card_below(img, left, right, top):
    """The card whose top border runs from left to right on row top, if it is one."""
    mid = (left + right) // 2
    if not all(whitish(img.pixel(mid, top + d)) for d in (2, 10, 40)):
        return None
    # The sides, a little outside the top's straight run (the corners are rounded).
    def side(xs):
        for sx in xs:
            if 0 <= sx < img.width and all(near(img.pixel(sx, top + d), CARD_BORDER)
                                           for d in range(12, 150)):
                return sx
        return None
    lx = side(range(left, left - 10, -1))
    rx = side(range(right, right + 10))
    if lx is None or rx is None:
        return None
    # Outside, beyond its shadow, the page's own light blue.
    if lx < 16 or not near(img.pixel(lx - 16, top + 60), PAGE_BACKGROUND, 6):
        return None
    bottom = top + 150
    while bottom < img.height and near(img.pixel(lx, bottom), CARD_BORDER):
        bottom += 1
    heading = sum(1 for yy in range(top, min(bottom, top + 80)) for xx in range(lx, rx)
                  if near(img.pixel(xx, yy), HEADING, 24))
    if heading < 40:
        return None
    return lx, top, rx, bottom


def looks_like_globe(img):
    """True when most of the picture is the icon's blue globe."""
    blue = sum(1 for y in range(img.height) for x in range(img.width)
               if img.pixel(x, y)[2] >= 120 and img.pixel(x, y)[2] - img.pixel(x, y)[0] >= 60)
    return blue * 3 >= img.width * img.height
