#!/usr/bin/env python3
"""Draws the Designer palette bitmaps and the package icon of package/resources.

Each palette bitmap is a 24x24 device-independent bitmap, 4 bits per pixel (the 16 standard
colours), uncompressed, named after its class in capitals. The bottom-left pixel holds the
colour that the plugin makes transparent. The package icon is a 32x32 PNG.

Run it from anywhere; it rewrites the files in package/resources:

    python3 scripts/palette_bitmaps.py
"""

import pathlib
import struct
import zlib

# The 16 standard colours, in index order.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 gray
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia: the transparent background
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, MAROON, OLIVE, NAVY, TEAL, SILVER, GRAY, RED, LIME = 0, 1, 3, 4, 6, 7, 8, 9, 10
YELLOW, BACKGROUND, AQUA, WHITE = 11, 13, 14, 15

# 3x5 glyphs, '#' set.
GLYPHS = {
    "f": [".##", "#..", "###", "#..", "#.."],
    "(": [".#", "#.", "#.", "#.", ".#"],
    ")": ["#.", ".#", ".#", ".#", "#."],
    "x": ["...", "#.#", ".#.", "#.#", "..."],
}


class Canvas:
    """A square of palette indexes; (0, 0) is the top-left pixel."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[BACKGROUND] * size for _ in range(size)]

    def fill(self, left, top, right, bottom, colour):
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.pixels[y][x] = colour

    def frame(self, left, top, right, bottom, colour):
        self.fill(left, top, right, top, colour)
        self.fill(left, bottom, right, bottom, colour)
        self.fill(left, top, left, bottom, colour)
        self.fill(right, top, right, bottom, colour)

    def box(self, left, top, right, bottom, inside, border=BLACK):
        self.fill(left, top, right, bottom, inside)
        self.frame(left, top, right, bottom, border)

    def text(self, left, top, letters, colour):
        for letter in letters:
            rows = GLYPHS[letter]
            for dy, row in enumerate(rows):
                for dx, cell in enumerate(row):
                    if cell == "#":
                        self.pixels[top + dy][left + dx] = colour
            left += len(rows[0]) + 1

    def runs(self, left, y, pieces):
        """A line of coloured runs, (length, colour) each, a pixel apart."""
        for length, colour in pieces:
            self.fill(left, y, left + length - 1, y, colour)
            left += length + 1


def calculator(c, left, top):
    """A pocket calculator showing f(x), 20x22 pixels from (left, top)."""
    c.box(left, top, left + 19, top + 21, SILVER)
    c.box(left + 2, top + 2, left + 17, top + 9, LIME)
    for offset, letter in ((4, "f"), (8, "("), (10, "x"), (13, ")")):
        c.text(left + offset, top + 4, letter, BLACK)
    for row in range(3):
        for column in range(4):
            x, y = left + 2 + column * 4, top + 11 + row * 3
            colour = RED if column == 3 else WHITE
            c.box(x, y, x + 3, y + 2, colour, GRAY)


def page(c, left, top, right, bottom):
    """An editor page: coloured equation lines, a separator and a maroon status line."""
    c.box(left, top, right, bottom, WHITE)
    width = right - left - 3
    lines = [
        [(1, NAVY), (1, BLACK), (1, RED), (1, BLACK), (2, NAVY)],
        [(2, NAVY), (1, BLACK), (2, RED), (1, BLACK), (1, NAVY), (1, BLACK)],
        [(6, OLIVE)],
        [(1, NAVY), (1, BLACK), (3, NAVY), (1, BLACK), (1, RED)],
        [(3, NAVY), (1, BLACK), (1, RED), (1, BLACK), (2, NAVY)],
    ]
    for i, pieces in enumerate(lines):
        y = top + 2 + i * 2
        if y > bottom - 6:
            break
        clipped, used = [], 0
        for length, colour in pieces:
            length = min(length, width - used)
            if length <= 0:
                break
            clipped.append((length, colour))
            used += length + 1
        c.runs(left + 2, y, clipped)
    c.fill(left + 1, bottom - 4, right - 1, bottom - 4, GRAY)
    c.fill(left + 1, bottom - 3, right - 1, bottom - 1, SILVER)
    c.fill(left + 2, bottom - 2, right - 3, bottom - 2, MAROON)


def cylinder(c, left, top, right, bottom):
    """A database drum: a teal body under an aqua lid."""
    c.fill(left + 1, top + 1, right - 1, bottom - 1, TEAL)
    c.fill(left + 1, top + 1, right - 1, top + 2, AQUA)
    c.fill(left + 2, top, right - 2, top, BLACK)
    c.fill(left + 2, bottom, right - 2, bottom, BLACK)
    c.fill(left, top + 1, left, bottom - 1, BLACK)
    c.fill(right, top + 1, right, bottom - 1, BLACK)
    c.fill(left + 1, top + 3, right - 1, top + 3, BLACK)
    c.fill(left + 1, (top + bottom) // 2 + 1, right - 1, (top + bottom) // 2 + 1, AQUA)


def evaluator():
    c = Canvas(24)
    calculator(c, 2, 1)
    return c


def equation_memo():
    c = Canvas(24)
    page(c, 1, 2, 22, 21)
    return c


def data_aware_equation_memo():
    c = Canvas(24)
    page(c, 0, 1, 16, 18)
    cylinder(c, 12, 12, 22, 22)
    return c


def package_icon():
    c = Canvas(32)
    c.box(0, 0, 31, 31, TEAL, NAVY)
    page(c, 3, 3, 21, 22)
    calculator(c, 11, 9)
    c.pixels[31][0] = BACKGROUND
    return c


def bmp(c):
    """A 4-bit uncompressed BMP, rows bottom-up, each padded to four bytes."""
    row_bytes = ((c.size * 4 + 31) // 32) * 4
    rows = []
    for row in reversed(c.pixels):
        packed = bytearray(row_bytes)
        for x, index in enumerate(row):
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
        rows.append(bytes(packed))
    pixels = b"".join(rows)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, c.size, c.size, 1, 4, 0, len(pixels), 2835, 2835,
                       16, 0)
    return header + info + colours + pixels


def png(c):
    """An RGBA PNG; the background colour is transparent."""
    raw = bytearray()
    for row in c.pixels:
        raw.append(0)
        for index in row:
            r, g, b = PALETTE[index]
            raw += bytes((r, g, b, 0 if index == BACKGROUND else 255))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", c.size, c.size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    out = pathlib.Path(__file__).resolve().parent.parent / "package" / "resources"
    out.mkdir(parents=True, exist_ok=True)
    bitmaps = {
        "TZOZEZOEVALUATORWIDGET.bmp": evaluator(),
        "TOVEQUATIONMEMO.bmp": equation_memo(),
        "TOVDBEQUATIONMEMO.bmp": data_aware_equation_memo(),
    }
    for name, canvas in bitmaps.items():
        (out / name).write_bytes(bmp(canvas))
    (out / "zeRuzeD5.png").write_bytes(png(package_icon()))


if __name__ == "__main__":
    main()
