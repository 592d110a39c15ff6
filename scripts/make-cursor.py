#!/usr/bin/env python3
"""Builds the hand cursor resources/cursor/HAND-M.CUR from its drawing resources/cursor/hand.txt.

The result is a Windows cursor file with one 32 x 32 image: 32-bit BGRA pixels (straight alpha)
followed by a 1-bit AND mask, so that programs which ignore the alpha channel still see the right
shape. The hot spot is stored in the directory entry. Standard library only.

usage: make-cursor.py [DRAWING [OUTPUT]]
"""
import os
import struct
import sys

SIZE = 32
SHADOW_OFFSET = (2, 2)   # pixels right and down
SHADOW_ALPHA = 0x50


def parse(path):
    hotspot, colors, rows, in_art = None, {}, [], False
    for number, line in enumerate(open(path, encoding="ascii").read().splitlines(), 1):
        if in_art:
            if line == "end":
                in_art = False
                continue
            if len(line) != SIZE:
                raise SystemExit("%s:%d: a row must be %d characters" % (path, number, SIZE))
            rows.append(line)
        elif line.startswith("#") or not line.strip():
            continue
        elif line.startswith("hotspot "):
            x, y = (int(v) for v in line.split()[1:3])
            hotspot = (x, y)
        elif line.startswith("color "):
            _, char, rgb = line.split()
            colors[char] = tuple(int(rgb[i:i + 2], 16) for i in (0, 2, 4))
        elif line == "begin":
            in_art = True
        else:
            raise SystemExit("%s:%d: cannot read %r" % (path, number, line))
    if len(rows) != SIZE:
        raise SystemExit("%s: the drawing must have %d rows, has %d" % (path, SIZE, len(rows)))
    if hotspot is None or not all(0 <= v < SIZE for v in hotspot):
        raise SystemExit("%s: a hotspot inside the drawing is required" % path)
    if rows[hotspot[1]][hotspot[0]] == ".":
        raise SystemExit("%s: the hot spot lies on a transparent pixel" % path)
    for row in rows:
        for char in row:
            if char != "." and char not in colors:
                raise SystemExit("%s: no color for %r" % (path, char))
    return hotspot, colors, rows


def pixels(colors, rows):
    """Top-down rows of (b, g, r, a, transparent_in_mask) tuples, shadow included."""
    out = []
    dx, dy = SHADOW_OFFSET
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            char = rows[y][x]
            if char != ".":
                r, g, b = colors[char]
                row.append((b, g, r, 0xFF, False))
            elif x >= dx and y >= dy and rows[y - dy][x - dx] != ".":
                # Black shadow: with the mask bit set it leaves the screen unchanged where the
                # alpha channel is ignored, and darkens it softly where alpha is honoured.
                row.append((0, 0, 0, SHADOW_ALPHA, True))
            else:
                row.append((0, 0, 0, 0, True))
        out.append(row)
    return out


def cursor_bytes(hotspot, colors, rows):
    image = pixels(colors, rows)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(image):          # bitmaps are stored bottom-up
        for b, g, r, a, _ in row:
            xor += bytes((b, g, r, a))
        bits = 0
        for x, (_, _, _, _, transparent) in enumerate(row):
            if transparent:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)  # 32 pixels: one 4-byte row, already 32-bit aligned
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    data = header + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, hotspot[0], hotspot[1], len(data),
                        len(directory) + 16)
    return directory + entry + data


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    source = argv[0] if argv else os.path.join(root, "resources", "cursor", "hand.txt")
    target = argv[1] if len(argv) > 1 else os.path.join(root, "resources", "cursor", "HAND-M.CUR")
    hotspot, colors, rows = parse(source)
    with open(target, "wb") as f:
        f.write(cursor_bytes(hotspot, colors, rows))
    print("make-cursor: wrote %s (hot spot %d,%d)" % (target, hotspot[0], hotspot[1]))


if __name__ == "__main__":
    main(sys.argv[1:])
