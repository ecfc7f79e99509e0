#!/usr/bin/python3
"""Draws the compiled-in pictures: navigation tiles, the application icon and
the style sheet's indicator pictures; also the application icon in the icon
theme's sizes and as SVG for the installed desktop entry (dist/icons). Shapes
are inside-tests sampled on a sub-pixel grid, written as PNG (and one ICO)
with zlib and struct only.

Run from anywhere: /usr/bin/python3 resources/tools/draw_pictures.py
"""
import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

BLUE = (0x55, 0xaa, 0xff)
BLUE_DEEP = (0x3a, 0x8c, 0xe6)
PALE = (0xc8, 0xde, 0xf9)
WHITE = (0xff, 0xff, 0xff)
GREY_EDGE = (0x9a, 0xa4, 0xb0)
GREY_FILL = (0xdc, 0xdf, 0xe4)
GREY_MARK = (0x8a, 0x92, 0x9c)
LIGHT_ARROW = (0xdc, 0xdc, 0xdc)
DARK_ARROW = (0x44, 0x44, 0x44)


# ---- shapes: functions (x, y) -> bool in picture coordinates ----

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in, start=None, end=None):
    """Annulus; with start/end (degrees, 0 = right, counter-clockwise, y up)
    only the arc between them."""
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        if d > r_out * r_out or d < r_in * r_in:
            return False
        if start is None:
            return True
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        s, e = start % 360, end % 360
        return s <= a <= e if s <= e else (a >= s or a <= e)
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        nx = min(max(x, x0 + r), x1 - r)
        ny = min(max(y, y0 + r), y1 - r)
        return (x - nx) ** 2 + (y - ny) ** 2 <= r * r
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            if (ay > y) != (by > y):
                if x < ax + (y - ay) * (bx - ax) / (by - ay):
                    hit = not hit
        return hit
    return inside


def stroke(ax, ay, bx, by, half):
    """A line segment of width 2*half with round caps."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, *holes):
    return lambda x, y: shape(x, y) and not any(h(x, y) for h in holes)


def gear(cx, cy, r_body, r_teeth, teeth, hole, tooth_half):
    """A wheel with parallel-sided teeth."""
    pitch = 2 * math.pi / teeth

    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if d < hole:
            return False
        if d <= r_body:
            return True
        if d > r_teeth:
            return False
        a = math.atan2(y - cy, x - cx)
        offset = a - pitch * round(a / pitch)
        return abs(d * math.sin(offset)) <= tooth_half and abs(offset) < pitch / 2
    return inside


# ---- canvas ----

class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]  # premultiplied

    def fill(self, shape, colour, alpha=1.0, box=None, samples=4):
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        step = 1.0 / samples
        offsets = [(i + 0.5) * step for i in range(samples)]
        total = samples * samples
        r, g, b = (c / 255.0 for c in colour)
        for py in range(max(0, y0), min(self.h, y1)):
            for px in range(max(0, x0), min(self.w, x1)):
                hits = 0
                for oy in offsets:
                    for ox in offsets:
                        if shape(px + ox, py + oy):
                            hits += 1
                if not hits:
                    continue
                a = alpha * hits / total
                p = self.px[py * self.w + px]
                keep = 1.0 - a
                p[0] = r * a + p[0] * keep
                p[1] = g * a + p[1] * keep
                p[2] = b * a + p[2] * keep
                p[3] = a + p[3] * keep

    def rgba_rows(self):
        rows = []
        for y in range(self.h):
            row = bytearray()
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                if a > 0:
                    row += bytes((round(r / a * 255), round(g / a * 255), round(b / a * 255), round(a * 255)))
                else:
                    row += b'\0\0\0\0'
            rows.append(bytes(row))
        return rows


def write_png(canvas, path):
    raw = b''.join(b'\0' + row for row in canvas.rgba_rows())

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

    header = struct.pack('>IIBBBBB', canvas.w, canvas.h, 8, 6, 0, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def write_ico(canvas, path):
    """One 32-bit BMP image: bottom-up BGRA rows, then the 1-bit AND mask."""
    w, h = canvas.w, canvas.h
    rows = canvas.rgba_rows()
    xor = b''.join(bytes(v for i in range(w) for v in (row[4 * i + 2], row[4 * i + 1], row[4 * i], row[4 * i + 3]))
                   for row in reversed(rows))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytes(mask_stride * h)  # alpha channel decides; mask all opaque
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, 1))
        f.write(struct.pack('<BBBBHHII', w, h, 0, 0, 1, 32, len(image), 6 + 16))
        f.write(image)


# ---- navigation tiles, 256 x 256 ----

def tile(symbol):
    c = Canvas(256, 256)
    c.fill(rounded(8, 8, 248, 248, 44), BLUE_DEEP, box=(8, 8, 248, 248), samples=3)
    c.fill(rounded(8, 8, 248, 240, 44), BLUE, box=(8, 8, 248, 240), samples=3)
    c.fill(symbol, WHITE, box=(40, 40, 216, 216), samples=3)
    return c


NAVIGATION = {
    # search: magnifier
    'main_main': union(ring(112, 112, 58, 40), stroke(154, 154, 196, 196, 15)),
    # keyword mining: gear
    'main_config': gear(128, 128, 60, 82, 8, 26, 13),
    # wide ranking: rising bars on a base line
    'main_data': union(rounded(58, 136, 92, 196, 6), rounded(111, 100, 145, 196, 6),
                       rounded(164, 62, 198, 196, 6)),
    # help: question mark
    'main_help': union(ring(128, 100, 50, 28, -90, 180), rounded(117, 124, 139, 160, 6),
                       circle(128, 190, 15)),
    # exit: power symbol
    'main_exit': union(ring(128, 136, 68, 48, 125, 55 + 360), rounded(117, 48, 139, 132, 11)),
    # about: an "i" in a ring
    'main_about': union(ring(128, 128, 80, 62), circle(128, 88, 13), rounded(117, 112, 139, 176, 5)),
    # company: a building with windows
    'main_company': minus(union(rect(68, 52, 188, 204), rect(52, 196, 204, 212)),
                          *[rect(86 + 30 * i, 72 + 30 * j, 106 + 30 * i, 90 + 30 * j)
                            for i in range(3) for j in range(3)],
                          rect(114, 164, 142, 197)),
    # person: head and shoulders
    'main_person': union(circle(128, 92, 40), minus(ellipse(128, 206, 80, 70), rect(0, 206, 256, 256))),
}


# The application icon on a 32-unit grid, one list drawn both as pixels and as
# SVG so that every size of the icon is the same picture.
ICON_GRID = 32.0
ICON_PARTS = [
    ('rounded', (1, 1, 31, 31, 6), BLUE_DEEP),
    ('rounded', (1, 1, 31, 30, 6), BLUE),
    ('ring', (15, 15, 10, 6.5), WHITE),
    ('stroke', (18, 18, 25.5, 25.5, 2.0), WHITE),
]
# Sizes of the desktop's icon theme; 32 px is also the compiled-in ICO.
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def application_icon(size=32):
    k = size / ICON_GRID
    make = {'rounded': rounded, 'ring': ring, 'stroke': stroke}
    c = Canvas(size, size)
    white = []
    for kind, numbers, colour in ICON_PARTS:
        shape = make[kind](*(v * k for v in numbers))
        if colour == WHITE:
            white.append(shape)
        else:
            c.fill(shape, colour, samples=6)
    # one fill for the white parts, so their overlap is not blended twice
    c.fill(union(*white), WHITE, samples=6)
    return c


def hex_colour(colour):
    return '#%02x%02x%02x' % colour


def application_icon_svg():
    elements = []
    for kind, numbers, colour in ICON_PARTS:
        if kind == 'rounded':
            x0, y0, x1, y1, r = numbers
            elements.append('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>'
                            % (x0, y0, x1 - x0, y1 - y0, r, hex_colour(colour)))
        elif kind == 'ring':
            cx, cy, r_out, r_in = numbers
            elements.append('<circle cx="%g" cy="%g" r="%g" fill="none" stroke="%s" stroke-width="%g"/>'
                            % (cx, cy, (r_out + r_in) / 2, hex_colour(colour), r_out - r_in))
        else:
            ax, ay, bx, by, half = numbers
            elements.append('<line x1="%g" y1="%g" x2="%g" y2="%g" stroke="%s" stroke-width="%g" '
                            'stroke-linecap="round"/>' % (ax, ay, bx, by, hex_colour(colour), 2 * half))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%g" height="%g" viewBox="0 0 %g %g">\n'
            % ((ICON_GRID,) * 4) + ''.join('  %s\n' % e for e in elements) + '</svg>\n')


# ---- style sheet pictures under qss/blue ----

def radio(checked, disabled):
    """A ring, hollow when not chosen and with a solid dot when chosen; white
    for the dark blue buttons the radio buttons are drawn as."""
    c = Canvas(15, 15)
    colour = GREY_EDGE if disabled else WHITE
    c.fill(ring(7.5, 7.5, 7.2, 5.6), colour, samples=8)
    if checked:
        c.fill(circle(7.5, 7.5, 3.8), colour, samples=8)
    return c


def checkbox(state, disabled):
    c = Canvas(13, 13)
    edge, face, mark = (GREY_EDGE, GREY_FILL, GREY_MARK) if disabled else (BLUE, WHITE, BLUE)
    if state == 'checked':
        c.fill(rounded(0, 0, 13, 13, 2.5), edge, samples=8)
        tick = union(stroke(3.2, 6.6, 5.5, 9.0, 0.95), stroke(5.5, 9.0, 9.9, 3.8, 0.95))
        c.fill(tick, WHITE, samples=8)
    else:
        c.fill(rounded(0, 0, 13, 13, 2.5), edge, samples=8)
        c.fill(rounded(1.2, 1.2, 11.8, 11.8, 1.6), face, samples=8)
        if state == 'parcial':
            c.fill(rounded(3.5, 5.3, 9.5, 7.7, 0.6), mark, samples=8)
    return c


def arrow(size, direction, colour):
    c = Canvas(size, size)
    s = float(size)
    lo, hi, mid = s * 0.2, s * 0.8, s * 0.5
    near, far = s * 0.32, s * 0.68
    shapes = {
        'up': [(lo, far), (hi, far), (mid, near)],
        'down': [(lo, near), (hi, near), (mid, far)],
        'left': [(far, lo), (far, hi), (near, mid)],
        'right': [(near, lo), (near, hi), (far, mid)],
    }
    c.fill(polygon(shapes[direction]), colour, samples=8)
    return c


def style_pictures():
    pictures = {
        'radiobutton_uncheck': radio(False, False),
        'radiobutton_check': radio(True, False),
        'radiobutton_unchecked': radio(False, False),
        'radiobutton_checked': radio(True, False),
        'radiobutton_unchecked_disable': radio(False, True),
        'radiobutton_checked_disable': radio(True, True),
    }
    for state in ('unchecked', 'checked', 'parcial'):
        pictures['checkbox_' + state] = checkbox(state, False)
        pictures['checkbox_%s_disable' % state] = checkbox(state, True)
    for direction in ('top', 'bottom', 'left', 'right'):
        turn = {'top': 'up', 'bottom': 'down'}.get(direction, direction)
        pictures['add_' + direction] = arrow(10, turn, LIGHT_ARROW)
    pictures['branch_open'] = arrow(10, 'down', DARK_ARROW)
    pictures['branch_close'] = arrow(10, 'right', DARK_ARROW)
    pictures['calendar_prevmonth'] = arrow(16, 'left', LIGHT_ARROW)
    pictures['calendar_nextmonth'] = arrow(16, 'right', LIGHT_ARROW)
    return pictures


def main():
    images = os.path.join(ROOT, 'images')
    blue = os.path.join(ROOT, 'qss', 'blue')
    os.makedirs(images, exist_ok=True)
    os.makedirs(blue, exist_ok=True)
    write_ico(application_icon(), os.path.join(images, 'quillane.ico'))
    icons = os.path.join(os.path.dirname(ROOT), 'dist', 'icons')
    os.makedirs(icons, exist_ok=True)
    for size in ICON_SIZES:
        write_png(application_icon(size), os.path.join(icons, 'quillane-%d.png' % size))
    with open(os.path.join(icons, 'quillane.svg'), 'w') as f:
        f.write(application_icon_svg())
    for name, picture in sorted(style_pictures().items()):
        write_png(picture, os.path.join(blue, name + '.png'))
    for name, symbol in NAVIGATION.items():
        write_png(tile(symbol), os.path.join(images, name + '.png'))


if __name__ == '__main__':
    main()
