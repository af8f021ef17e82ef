#!/usr/bin/env python3
"""Draws the program's built-in icons (32-bit with alpha) and writes them as .ico files: 32 x 32, and
40, 48 and 64 pixels for the window's DPI at 125, 150 and 200 % (the shapes are drawn at each size,
not stretched).

Run from anywhere: python3 resources/make_icons.py. Writes resources/icons/*.ico. The pictures are
simple geometric shapes drawn here, supersampled for smooth edges; no outside artwork is used.
"""
import math
import os
import struct

SIZE = 32
SS = 4  # samples per pixel along each axis
DPI_SIZES = (SIZE, 40, 48, 64)  # 96, 120, 144 and 192 DPI


class Picture:
    def __init__(self, size=SIZE):
        self.size = size
        self.px = [[(0, 0, 0, 0.0)] * size for _ in range(size)]

    def paint(self, inside, colour):
        """Blends `colour` (r, g, b, a) wherever inside(x, y) holds, x and y in pixel units of a
        32 x 32 picture."""
        r, g, b, a = colour
        k = SIZE / self.size
        if k != 1:
            shape = inside
            inside = lambda x, y: shape(x * k, y * k)
        for y in range(self.size):
            for x in range(self.size):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                if not hits:
                    continue
                cover = a * hits / (SS * SS)
                pr, pg, pb, pa = self.px[y][x]
                out_a = cover + pa * (1 - cover)
                if out_a <= 0:
                    continue
                mix = lambda c, pc: (c * cover + pc * pa * (1 - cover)) / out_a
                self.px[y][x] = (mix(r, pr), mix(g, pg), mix(b, pb), out_a)

    def ico_bytes(self):
        n = self.size
        xor = bytearray()
        for y in reversed(range(n)):  # bottom-up rows
            for x in range(n):
                r, g, b, a = self.px[y][x]
                xor += bytes((round(b), round(g), round(r), round(a * 255)))
        mask_row = ((n + 31) // 32) * 4
        andmask = bytearray()
        for y in reversed(range(n)):
            row = bytearray(mask_row)
            for x in range(n):
                if self.px[y][x][3] < 0.5:
                    row[x // 8] |= 0x80 >> (x % 8)
            andmask += row
        header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
        return bytes(header + xor + andmask)


def write_ico(path, pictures):
    images = [p.ico_bytes() for p in pictures]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for p, data in zip(pictures, images):
        dim = p.size if p.size < 256 else 0
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


# ---- shapes (all in pixel units of a 32 x 32 picture) ----
def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def segment(x0, y0, x1, y1, w):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
    return inside


def both(*shapes):
    return lambda x, y: all(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


OUTLINE = (60, 50, 30, 1.0)
FOLDER_BACK = (222, 160, 40, 1.0)
FOLDER_FRONT = (250, 200, 80, 1.0)


def folder(p, dx=0.0, dy=0.0, scale=1.0):
    s = lambda v: v * scale
    p.paint(rounded(dx + s(2), dy + s(6), dx + s(14), dy + s(12), s(1.5)), FOLDER_BACK)
    p.paint(rounded(dx + s(2), dy + s(9), dx + s(30), dy + s(27), s(2)), OUTLINE)
    p.paint(rounded(dx + s(3), dy + s(10), dx + s(29), dy + s(26), s(1.5)), FOLDER_BACK)
    p.paint(polygon([(dx + s(5), dy + s(14)), (dx + s(31), dy + s(14)), (dx + s(29), dy + s(27)),
                     (dx + s(2), dy + s(27))]), OUTLINE)
    p.paint(polygon([(dx + s(6), dy + s(15)), (dx + s(29.7), dy + s(15)), (dx + s(28.2), dy + s(26)),
                     (dx + s(3.2), dy + s(26))]), FOLDER_FRONT)


def quill(p, colour=(40, 90, 170, 1.0)):
    vane = polygon([(29, 2), (22, 4), (14, 12), (9, 20), (8, 24), (12, 23), (19, 17), (26, 9)])
    p.paint(vane, colour)
    p.paint(segment(27, 4, 7, 28, 1.4), (20, 40, 80, 1.0))


def icon_change(size=SIZE):
    p = Picture(size)
    folder(p)
    quill(p)
    return p


def icon_folder(size=SIZE):
    p = Picture(size)
    folder(p)
    return p


def icon_options(size=SIZE):
    p = Picture(size)
    p.paint(rounded(3, 3, 29, 29, 3), (70, 90, 120, 1.0))
    p.paint(rounded(4, 4, 28, 28, 2.5), (245, 247, 250, 1.0))
    for i, (y, on) in enumerate(((9, True), (16, False), (23, True))):
        p.paint(rounded(7, y - 3, 13, y + 3, 1), (70, 90, 120, 1.0))
        p.paint(rounded(8, y - 2, 12, y + 2, 0.8), (255, 255, 255, 1.0))
        if on:
            p.paint(segment(8.6, y, 10, y + 1.6, 1.5), (30, 140, 60, 1.0))
            p.paint(segment(10, y + 1.6, 12.6, y - 2.2, 1.5), (30, 140, 60, 1.0))
        p.paint(rect(16, y - 1, 25, y + 1), (110, 120, 140, 1.0))
    return p


def icon_language(size=SIZE):
    p = Picture(size)
    p.paint(circle(16, 16, 13.5), (20, 70, 140, 1.0))
    p.paint(circle(16, 16, 12.5), (80, 160, 230, 1.0))
    land = (60, 160, 80, 1.0)
    p.paint(both(circle(16, 16, 12.5), polygon([(6, 9), (12, 6), (15, 9), (13, 14), (9, 16), (6, 14)])), land)
    p.paint(both(circle(16, 16, 12.5), polygon([(17, 15), (24, 13), (27, 18), (23, 25), (18, 22)])), land)
    grid = (230, 240, 255, 0.8)
    p.paint(both(circle(16, 16, 12.5), ring(16, 16, 12, 12.6)), grid)
    p.paint(both(circle(16, 16, 12.5), lambda x, y: abs(y - 16) < 0.4 or abs(x - 16) < 0.4), grid)
    p.paint(both(circle(16, 16, 12.5), lambda x, y: abs(((x - 16) / 6.0) ** 2 + ((y - 16) / 12.5) ** 2 - 1) < 0.07),
            grid)
    return p


def icon_tools(size=SIZE):
    p = Picture(size)
    steel, dark = (170, 178, 190, 1.0), (70, 78, 90, 1.0)
    handle = segment(8, 24, 20, 12, 6.5)
    p.paint(handle, dark)
    p.paint(segment(8, 24, 20, 12, 4.5), steel)
    head = circle(22, 10, 8)
    jaw = polygon([(22, 10), (30, 0), (34, 6)])
    p.paint(minus(head, jaw), dark)
    p.paint(minus(circle(22, 10, 6.8), polygon([(22, 10), (29, -1), (35, 5)])), steel)
    p.paint(circle(7, 25, 2.6), dark)
    p.paint(circle(7, 25, 1.5), (245, 245, 245, 1.0))
    return p


def icon_about(size=SIZE):
    p = Picture(size)
    p.paint(circle(16, 16, 13.5), (20, 70, 140, 1.0))
    p.paint(circle(16, 16, 12.5), (60, 130, 210, 1.0))
    white = (255, 255, 255, 1.0)
    p.paint(circle(16, 9.5, 2.2), white)
    p.paint(rounded(14, 13.5, 18, 24, 1), white)
    p.paint(rect(12.5, 22, 19.5, 24), white)
    p.paint(rect(12.5, 13.5, 16, 15.5), white)
    return p


def icon_program(size=SIZE):
    p = Picture(size)
    folder(p)
    quill(p, (200, 40, 50, 1.0))
    return p


def shrink(big, size):
    """Box-filters a picture down (for the 16 x 16 image of the program icon)."""
    f = big.size // size
    small = Picture(size)
    for y in range(size):
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(f):
                for sx in range(f):
                    r, g, b, a = big.px[y * f + sy][x * f + sx]
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (f * f)
            small.px[y][x] = ((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], a) if acc[3] else (0, 0, 0, 0.0))
    return small


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'icons')
    os.makedirs(out, exist_ok=True)
    for name, draw in (('change', icon_change), ('options', icon_options), ('lang', icon_language),
                       ('tools', icon_tools), ('about', icon_about), ('folder', icon_folder)):
        write_ico(os.path.join(out, name + '.ico'), [draw(size) for size in DPI_SIZES])
    program = icon_program()
    write_ico(os.path.join(out, 'quillmark.ico'), [program, shrink(program, 16)])


if __name__ == '__main__':
    main()
