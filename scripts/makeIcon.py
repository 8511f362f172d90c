#!/usr/bin/env python3
"""Writes app/cube.ico: a small isometric cube (top, front and right faces) at 16 and 32 px."""
import struct
import sys

TOP, FRONT, RIGHT = (255, 255, 255), (0, 240, 0), (240, 0, 0)
EDGE = (0, 0, 0)


def face_of(x, y, n):
    """Which face of an isometric cube covers pixel (x, y) of an n x n image, or None."""
    cx, h = n / 2, n / 4
    u, v = x + 0.5 - cx, y + 0.5
    # Top rhombus: centre (cx, h), half-diagonals n/2 across and h down.
    if abs(u) / (n / 2) + abs(v - h) / h <= 1:
        return TOP
    if abs(u) <= n / 2 - 0.5 and h <= v <= n - 0.5:
        below_top_edge = v >= h + h * (1 - abs(u) / (n / 2))
        above_bottom = v <= n - h * abs(u) / (n / 2)
        if below_top_edge and above_bottom:
            return FRONT if u < 0 else RIGHT
    return None


def image(n):
    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            face = face_of(x, y, n)
            edgeish = face is not None and any(
                face_of(x + dx, y + dy, n) != face
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            colour = EDGE if edgeish else face
            row.append((0, 0, 0, 0) if face is None else colour + (255,))
        rows.append(row)
    pixels = b"".join(struct.pack("BBBB", b, g, r, a)
                      for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((n + 31) // 32) * 4
    mask = b"".join(
        bytes(int("".join("1" if row[x][3] == 0 else "0" for x in range(i, i + 8)), 2)
              for i in range(0, n, 8)).ljust(mask_row, b"\0")
        for row in reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def main(path):
    sizes = (16, 32)
    images = [image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "app/cube.ico")
