#!/usr/bin/env python3
"""Draws the program's icon: a key cap with a lightning bolt on its face.

Writes res/velmora.ico, one 32 x 32 image with 16 colours (4 bits per pixel,
the standard VGA palette) and a transparency mask.  With --png PATH it also
writes an enlarged preview.  Standard library only.

    python3 scripts/make_icon.py [--out res/velmora.ico] [--png preview.png]
"""
import argparse
import os
import struct
import zlib

SIZE = 32

# The 16 standard colours, (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, NAVY, SILVER, GRAY, YELLOW, WHITE = 0, 1, 4, 7, 8, 11, 15
TRANSPARENT = None

# The bolt, corners in pixel coordinates of the 32 x 32 grid.
BOLT = [(19.5, 5.5), (10.5, 17.0), (15.5, 17.0), (12.0, 25.5),
        (22.0, 12.5), (17.0, 12.5), (21.5, 5.5)]


def inside_rounded(x, y, left, top, right, bottom, radius):
    """Whether pixel (x, y) lies in the rectangle with rounded corners."""
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 + 0.5


def inside_polygon(px, py, points):
    result = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def draw():
    img = [[TRANSPARENT] * SIZE for _ in range(SIZE)]
    # Body of the cap, its outline, the front side (darker) and the face.
    for y in range(SIZE):
        for x in range(SIZE):
            if inside_rounded(x, y, 1, 2, 30, 30, 4):
                img[y][x] = BLACK
            if inside_rounded(x, y, 2, 3, 29, 29, 3):
                img[y][x] = GRAY
            if inside_rounded(x, y, 4, 4, 27, 24, 3):
                img[y][x] = SILVER
            if inside_rounded(x, y, 5, 5, 26, 23, 3):
                img[y][x] = WHITE
    # Light edge on the upper left of the face, shadow on its lower right.
    for y in range(SIZE):
        for x in range(SIZE):
            if img[y][x] == WHITE and (x == 26 or y == 23):
                img[y][x] = SILVER
    # The bolt with a dark rim.
    fill = [[inside_polygon(x + 0.5, y + 0.5, BOLT) for x in range(SIZE)] for y in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            if fill[y][x]:
                img[y][x] = YELLOW
            elif img[y][x] in (WHITE, SILVER) and any(
                    0 <= y + dy < SIZE and 0 <= x + dx < SIZE and fill[y + dy][x + dx]
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                img[y][x] = MAROON
    # A glint on the front side.
    for x in range(8, 24):
        if img[27][x] == GRAY:
            img[27][x] = SILVER
    return img


def ico_bytes(img):
    # Device-independent bitmap: header, palette, colour rows, mask rows;
    # rows bottom-up; the height counts both the colour image and the mask.
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):
        row = img[y]
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else BLACK
            lo = row[x + 1] if row[x + 1] is not None else BLACK
            colour.append((hi << 4) | lo)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += bits.to_bytes(SIZE // 8, 'big')   # rows of 32 bits are already 4-byte aligned
    dib = header + palette + bytes(colour) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(dib), 6 + 16)
    return directory + entry + dib


def png_bytes(img, scale):
    width = SIZE * scale
    raw = bytearray()
    for y in range(SIZE):
        line = bytearray()
        for x in range(SIZE):
            c = img[y][x]
            # Transparency shown as a checker board.
            px = PALETTE[c] if c is not None else ((220, 220, 220) if (x + y) % 2 else (250, 250, 250))
            line += bytes(px) * scale
        for _ in range(scale):
            raw += b'\x00' + line

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, width, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('--out', default=os.path.join(here, '..', 'res', 'velmora.ico'))
    parser.add_argument('--png', help='also write an enlarged preview here')
    parser.add_argument('--scale', type=int, default=8)
    args = parser.parse_args()
    img = draw()
    with open(args.out, 'wb') as f:
        f.write(ico_bytes(img))
    if args.png:
        with open(args.png, 'wb') as f:
            f.write(png_bytes(img, args.scale))


if __name__ == '__main__':
    main()
