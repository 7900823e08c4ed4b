#!/usr/bin/env python3
"""Draws Quorvel's application icon (a blue page with two arrows) as a 16 and 32 pixel .ico."""
import struct
import sys


def pixel(x, y, n):
    s = n / 32.0
    fx, fy = x / s, y / s
    if not (5 <= fx < 27 and 2 <= fy < 30):
        return (0, 0, 0, 0)
    if fx < 6.5 or fx >= 25.5 or fy < 3.5 or fy >= 28.5:
        return (40, 70, 140, 255)
    # two arrows: right-pointing on top, left-pointing below
    if 9 <= fy < 11 and 9 <= fx < 21 or 7 <= fy < 13 and 19 <= fx < 23 - abs(fy - 10):
        return (220, 90, 30, 255)
    if 19 <= fy < 21 and 11 <= fx < 23 or 17 <= fy < 23 and 9 + abs(fy - 20) <= fx < 13:
        return (30, 140, 70, 255)
    return (235, 242, 255, 255)


def image(n):
    rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            rows.append(struct.pack("<BBBB", b, g, r, a))
    xor = b"".join(rows)
    and_mask = b"\x00" * (((n + 31) // 32) * 4 * n)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


sizes = [32, 16]
images = [image(n) for n in sizes]
out = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for n, data in zip(sizes, images):
    out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
out += b"".join(images)
with open(sys.argv[1], "wb") as f:
    f.write(out)
