#!/usr/bin/env python3
"""Draws the console's own icon and button glyphs and writes them into res/.

Run by hand when the images change; the build uses the committed files.
  MAINICON: one 32 x 32 image, 32 bits per pixel.
  Glyphs: 32 x 16 bitmaps holding two 16 x 16 images (normal, disabled); the bottom-left
  pixel's colour is the transparent colour.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "..", "res")
MAGENTA = (255, 0, 255)


def bmp_rows_bottom_up(pixels, width, height, bpp):
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b, a = pixels[y][x]
            row += bytes((b, g, r, a)) if bpp == 32 else bytes((b, g, r))
        while len(row) % 4:
            row.append(0)
        rows.append(bytes(row))
    return b"".join(rows)


def write_icon(path, pixels):
    size = 32
    xor = bmp_rows_bottom_up(pixels, size, size, 32)
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = 0
        for x in range(size):
            if pixels[y][x][3] == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + bytes(mask)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16))
        f.write(image)


def write_bmp(path, pixels, width, height):
    data = bmp_rows_bottom_up(pixels, width, height, 24)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(info) + len(data), 0, 0, 14 + len(info)))
        f.write(info + data)


def icon_pixels():
    """A database cylinder in steel blue with a green link mark."""
    px = [[(0, 0, 0, 0) for _ in range(32)] for _ in range(32)]
    cx, rx, ry = 15.5, 11.0, 4.0
    top, bottom = 6.0, 24.0
    for y in range(32):
        for x in range(32):
            dx = (x + 0.5 - cx) / rx
            inside_body = abs(dx) <= 1 and top <= y + 0.5 <= bottom
            in_top = dx * dx + ((y + 0.5 - top) / ry) ** 2 <= 1
            in_bottom = dx * dx + ((y + 0.5 - bottom) / ry) ** 2 <= 1
            if in_top:
                px[y][x] = (150, 190, 230, 255)
            elif inside_body or in_bottom:
                shade = int(70 + 60 * (1 - abs(dx)))
                px[y][x] = (30, shade, 160 + shade // 3, 255)
            # two bands mark the stacked records
            for band in (12.0, 18.0):
                if abs(dx) <= 1 and abs(dx * dx + ((y + 0.5 - band) / ry) ** 2 - 1) < 0.25 and y + 0.5 > band:
                    px[y][x] = (20, 50, 110, 255)
    for y in range(32):
        for x in range(32):
            d = math.hypot(x + 0.5 - 24, y + 0.5 - 24)
            if d <= 7.5:
                px[y][x] = (20, 150, 60, 255) if d <= 6.5 else (255, 255, 255, 255)
    # a white tick in the green disc
    for t in range(40):
        f = t / 39
        for (x0, y0, x1, y1) in ((20.5, 24, 23, 27), (23, 27, 28, 21)):
            x, y = x0 + (x1 - x0) * f, y0 + (y1 - y0) * f
            for ox in (0, 1):
                px[int(y)][int(x) + ox] = (255, 255, 255, 255)
    return px


def glyph_pixels(draw):
    px = [[MAGENTA + (255,) for _ in range(32)] for _ in range(16)]
    for half, grey in ((0, False), (16, True)):
        for (x, y, colour) in draw():
            if grey:
                lum = int(0.3 * colour[0] + 0.59 * colour[1] + 0.11 * colour[2])
                colour = (128 + lum // 4,) * 3
            px[y][half + x] = colour + (255,)
    return px


def close_glyph():
    """A red power symbol."""
    points = []
    red = (200, 30, 30)
    for y in range(16):
        for x in range(16):
            d = math.hypot(x + 0.5 - 8, y + 0.5 - 8.5)
            angle = math.degrees(math.atan2(x + 0.5 - 8, -(y + 0.5 - 8.5)))
            if 4.8 <= d <= 6.6 and abs(angle) > 35:
                points.append((x, y, red))
            if 7 <= x <= 8 and 1 <= y <= 8:
                points.append((x, y, red))
    return points


def update_glyph():
    """A green circular arrow."""
    points = []
    green = (30, 140, 50)
    for y in range(16):
        for x in range(16):
            d = math.hypot(x + 0.5 - 8, y + 0.5 - 8)
            angle = math.degrees(math.atan2(y + 0.5 - 8, x + 0.5 - 8))
            if 4.5 <= d <= 6.5 and not (-80 < angle < -20):
                points.append((x, y, green))
    for (x, y) in ((11, 1), (12, 1), (13, 1), (12, 2), (13, 2), (13, 3), (13, 4), (11, 2), (12, 3)):
        points.append((x, y, green))
    return points


def main():
    write_icon(os.path.join(RES, "Teshmar.ico"), icon_pixels())
    write_bmp(os.path.join(RES, "btnSysSetting.bmp"), glyph_pixels(close_glyph), 32, 16)
    write_bmp(os.path.join(RES, "RzBitBtn1.bmp"), glyph_pixels(update_glyph), 32, 16)


if __name__ == "__main__":
    main()
