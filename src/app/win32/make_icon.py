#!/usr/bin/python3
"""Writes the program's icon (resource 128): a white "R" on a blue rounded square, 32x32 and
16x16, 32-bit. Usage: make_icon.py OUT.ico"""
import struct
import sys

GLYPH = [  # 8x8 bitmap of "R"
    "111110", "100001", "100001", "111110", "100100", "100010", "100001", "100001"]


def image(size):
    pixels = []
    for y in range(size - 1, -1, -1):  # bottom-up rows
        for x in range(size):
            edge = min(x, y, size - 1 - x, size - 1 - y)
            inside = edge >= 1 or (edge == 0 and 2 < x < size - 3 and 2 < y < size - 3)
            gx, gy = (x - size // 4) * 8 // (size // 2), (size - 1 - y - size // 6) * 8 // (size * 2 // 3)
            ink = 0 <= gy < 8 and 0 <= gx < 6 and GLYPH[gy][gx] == "1"
            if not inside:
                pixels.append((0, 0, 0, 0))
            elif ink:
                pixels.append((255, 255, 255, 255))
            else:
                pixels.append((170, 90, 30, 255))  # BGRA
    xor = b"".join(struct.pack("BBBB", *p) for p in pixels)
    mask_row = ((size + 31) // 32) * 4
    andmask = b"\0" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(andmask),
                         0, 0, 0, 0)
    return header + xor + andmask


def main():
    images = [image(32), image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main()
