#!/usr/bin/env python3
"""Draws the tool's icon (a sensor head: housing, lens, status lamps and a dot grid) into torv.png,
and the same drawing at the desktop's icon sizes into icons/NxN/torvloader.png for installation.

Standard library only. The drawing is laid out on a 64 x 64 grid and scaled to each size; each pixel
is the average of 4 x 4 samples, so edges come out smooth. Run it from this folder after changing the
drawing; the PNGs are committed.
"""
import os
import struct
import zlib

DESIGN_SIZE = 64
INSTALLED_SIZES = (16, 24, 32, 48, 64, 128, 256)
SAMPLES = 4

HOUSING = (47, 93, 138, 255)
HOUSING_EDGE = (28, 56, 86, 255)
PANEL = (34, 40, 48, 255)
LENS_RING = (190, 198, 206, 255)
LENS = (18, 22, 30, 255)
LENS_GLASS = (46, 110, 160, 255)
HIGHLIGHT = (235, 245, 255, 255)
LAMP_OK = (70, 200, 90, 255)
LAMP_NG = (235, 160, 40, 255)
DOT = (120, 220, 255, 255)
CLEAR = (0, 0, 0, 0)


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and left <= x <= right and top <= y <= bottom


def in_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


# Dots of a small character grid, row by row: a "T".
GRID = ["11111", "00100", "00100", "00100"]


def in_grid(x, y):
    for row, bits in enumerate(GRID):
        for column, bit in enumerate(bits):
            if bit == "1" and in_circle(x, y, 36.5 + column * 4.5, 39.5 + row * 4.5, 1.6):
                return True
    return False


def colour_at(x, y):
    if not in_rounded_rect(x, y, 3, 6, 61, 58, 9):
        return CLEAR
    if not in_rounded_rect(x, y, 5, 8, 59, 56, 7.5):
        return HOUSING_EDGE
    if in_circle(x, y, 21, 32, 14):
        if in_circle(x, y, 16.5, 27.5, 3):
            return HIGHLIGHT
        if in_circle(x, y, 21, 32, 8):
            return LENS_GLASS
        if in_circle(x, y, 21, 32, 11):
            return LENS
        return LENS_RING
    if in_circle(x, y, 40, 20, 3):
        return LAMP_OK
    if in_circle(x, y, 50, 20, 3):
        return LAMP_NG
    if in_rounded_rect(x, y, 32, 35, 57, 54, 3):
        return DOT if in_grid(x, y) else PANEL
    return HOUSING


def pixel(px, py, scale):
    total = [0, 0, 0, 0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            r, g, b, a = colour_at((px + (sx + 0.5) / SAMPLES) * scale, (py + (sy + 0.5) / SAMPLES) * scale)
            total = [total[0] + r * a, total[1] + g * a, total[2] + b * a, total[3] + a]
    alpha = total[3]
    if alpha == 0:
        return bytes(CLEAR)
    return bytes([round(total[0] / alpha), round(total[1] / alpha), round(total[2] / alpha),
                  round(alpha / SAMPLES ** 2)])


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def icon_png(size):
    scale = DESIGN_SIZE / size
    rows = b"".join(b"\0" + b"".join(pixel(x, y, scale) for x in range(size)) for y in range(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def main():
    with open("torv.png", "wb") as out:
        out.write(icon_png(DESIGN_SIZE))
    for size in INSTALLED_SIZES:
        folder = os.path.join("icons", f"{size}x{size}")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "torvloader.png"), "wb") as out:
            out.write(icon_png(size))


if __name__ == "__main__":
    main()
