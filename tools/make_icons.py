#!/usr/bin/env python3
"""Writes the program's icon and cursor: 32 x 32 pixels, 16 colours each.

    make_icons.py OUTPUT_DIR   ->  OUTPUT_DIR/icon1.ico,
                                   OUTPUT_DIR/cursor1_group.bin, OUTPUT_DIR/cursor1_image.bin

The icon is a small spectrum plot (green trace over a grey grid on black); the
cursor is a cross-hair with its hot spot at (5, 15) beside a small peak.
The cursor is written as its two raw resources (the group directory and the
image with its hot spot) because windres, given a .cur file, records a bit
count of 1 in the group whatever the image has.
The files are committed in resources/; run this again after changing it.
"""
import struct
import sys
from pathlib import Path

SIZE = 32
# The 16 standard VGA colours, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREEN, LIGHT_GREY, GREY, GREEN, WHITE = 0, 2, 7, 8, 10, 15
CURSOR_HOT_SPOT = (5, 15)


def spectrum_height(x):
    """A made-up spectrum: a noise floor with three peaks, in pixels."""
    peaks = [(7, 20.0, 1.6), (16, 12.0, 1.2), (24, 16.0, 1.4)]
    floor = 3 + (x * 7 % 5) * 0.4
    level = floor
    for centre, height, width in peaks:
        level = max(level, height / (1.0 + ((x - centre) / width) ** 2))
    return int(round(level))


def icon_pixels():
    pixels = [[BLACK] * SIZE for _ in range(SIZE)]
    mask = [[0] * SIZE for _ in range(SIZE)]  # 0: opaque
    for y in range(SIZE):
        for x in range(SIZE):
            if x in (0, SIZE - 1) or y in (0, SIZE - 1):
                pixels[y][x] = LIGHT_GREY
            elif x % 8 == 0 or y % 8 == 0:
                pixels[y][x] = GREY
    previous = None
    for x in range(1, SIZE - 1):
        top = SIZE - 2 - spectrum_height(x)
        span = range(min(top, previous), max(top, previous) + 1) if previous else [top]
        for y in span:
            pixels[y][x] = GREEN
        for y in range(top + 1, SIZE - 1):
            if pixels[y][x] == BLACK:
                pixels[y][x] = DARK_GREEN
        previous = top
    return pixels, mask


def cursor_pixels():
    pixels = [[BLACK] * SIZE for _ in range(SIZE)]
    mask = [[1] * SIZE for _ in range(SIZE)]  # 1: transparent
    hx, hy = CURSOR_HOT_SPOT

    def put(x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels[y][x] = colour
            mask[y][x] = 0

    # A white cross-hair with a black outline, open at the hot spot.
    for d in range(2, 6):
        for x, y in ((hx - d, hy), (hx + d, hy), (hx, hy - d), (hx, hy + d)):
            put(x, y, WHITE)
    for d in range(2, 7):
        for x, y in ((hx - d, hy - 1), (hx - d, hy + 1), (hx + d, hy - 1), (hx + d, hy + 1),
                     (hx - 1, hy - d), (hx + 1, hy - d), (hx - 1, hy + d), (hx + 1, hy + d)):
            if mask[y][x]:
                put(x, y, BLACK)
    put(hx, hy, WHITE)
    # A small green peak to the right of the cross-hair.
    for x in range(13, 30):
        height = int(round(12.0 / (1.0 + ((x - 21) / 2.0) ** 2)))
        for y in range(hy + 2 - height, hy + 3):
            put(x, y, GREEN)
    return pixels, mask


def dib(pixels, mask):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and the AND mask,
    both bottom-up, as an icon or cursor image stores them."""
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         SIZE * SIZE // 2 + SIZE * SIZE // 8, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour = bytearray()
    for row in reversed(pixels):
        for x in range(0, SIZE, 2):
            colour.append((row[x] << 4) | row[x + 1])
    bits = bytearray()
    for row in reversed(mask):
        for x in range(0, SIZE, 8):
            byte = 0
            for bit in range(8):
                byte |= row[x + bit] << (7 - bit)
            bits.append(byte)
    return header + palette + bytes(colour) + bytes(bits)


def icon_file(image):
    """An .ico file holding one image."""
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def cursor_resources(image, image_id=1):
    """The RT_GROUP_CURSOR directory and the RT_CURSOR image (hot spot first)."""
    data = struct.pack("<HH", *CURSOR_HOT_SPOT) + image
    group = struct.pack("<HHH", 0, 2, 1) + struct.pack(
        "<HHHHIH", SIZE, 2 * SIZE, 1, 4, len(data), image_id)
    return group, data


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    out.mkdir(parents=True, exist_ok=True)
    (out / "icon1.ico").write_bytes(icon_file(dib(*icon_pixels())))
    group, image = cursor_resources(dib(*cursor_pixels()))
    (out / "cursor1_group.bin").write_bytes(group)
    (out / "cursor1_image.bin").write_bytes(image)


if __name__ == "__main__":
    main()
