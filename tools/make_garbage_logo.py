#!/usr/bin/env python3
"""Draws the catching game's splash logo, 250 x 100 pixels, as a 24-bit BMP.

Usage: tools/make_garbage_logo.py [OUTPUT]   (default: demo/readme/logo.bmp)
Plain Python, no libraries: a pale frame, a white panel, the name in blocky letters of many
colours, the maker underneath, and two pieces of garbage falling toward a bin.
"""
import struct
import sys

WIDTH, HEIGHT = 250, 100
FRAME = (255, 224, 144)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY = (128, 128, 128)
LIGHT_GREY = (204, 204, 204)
PINK = (255, 128, 255)
BLUE = (0, 128, 255)

# 5 x 7 letters, "#" lit.
GLYPHS = {
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "C": [" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "F": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "#   #", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    " ": ["     "] * 7,
}
TITLE_COLOURS = [(128, 77, 255), (255, 77, 128), (77, 255, 128), (77, 128, 255),
                 (255, 128, 77), (128, 255, 77), (77, 128, 77)]


def blank():
    return [[FRAME for _ in range(WIDTH)] for _ in range(HEIGHT)]


def rect(img, x, y, w, h, colour):
    for yy in range(max(0, y), min(HEIGHT, y + h)):
        for xx in range(max(0, x), min(WIDTH, x + w)):
            img[yy][xx] = colour


def text(img, x, y, word, scale, colours):
    for i, letter in enumerate(word):
        colour = colours[i % len(colours)]
        for row, bits in enumerate(GLYPHS[letter]):
            for col, bit in enumerate(bits):
                if bit == "#":
                    rect(img, x + col * scale, y + row * scale, scale, scale, colour)
        x += 6 * scale


def bin_on_wheels(img, x, y):
    rect(img, x, y, 30, 3, BLACK)  # rim
    rect(img, x + 2, y + 3, 26, 22, LIGHT_GREY)
    for slat in range(x + 6, x + 26, 6):
        rect(img, slat, y + 5, 2, 18, BLACK)
    rect(img, x + 2, y + 25, 26, 2, BLACK)
    for cx, cy, r in ((x + 6, y + 30, 4), (x + 26, y + 31, 3)):
        for yy in range(cy - r, cy + r + 1):
            for xx in range(cx - r, cx + r + 1):
                if (xx - cx) ** 2 + (yy - cy) ** 2 <= r * r:
                    img[yy][xx] = BLACK


def draw():
    img = blank()
    rect(img, 8, 8, WIDTH - 16, HEIGHT - 16, WHITE)
    text(img, 16, 18, "SCRAPFALL", 3, TITLE_COLOURS)
    text(img, 16, 66, "VELMORA", 2, [GREY])
    rect(img, 196, 14, 12, 12, PINK)
    rect(img, 198, 16, 8, 8, WHITE)
    rect(img, 214, 30, 12, 12, BLUE)
    rect(img, 216, 32, 8, 8, WHITE)
    bin_on_wheels(img, 196, 52)
    return img


def save_bmp(path, img):
    row_bytes = (WIDTH * 3 + 3) & ~3
    size = 54 + row_bytes * HEIGHT
    header = struct.pack("<2sIHHI", b"BM", size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, row_bytes * HEIGHT,
                       2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info)
        for row in reversed(img):  # bottom row first
            data = bytearray()
            for r, g, b in row:
                data += bytes((b, g, r))
            data += b"\0" * (row_bytes - len(data))
            f.write(data)


if __name__ == "__main__":
    save_bmp(sys.argv[1] if len(sys.argv) > 1 else "demo/readme/logo.bmp", draw())
