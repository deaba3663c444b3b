#!/usr/bin/env python3
"""Draws the bundled sample GROB: a 131 by 64 picture (the HP48's screen size) with a
frame, a ring, a filled disc and a diagonal band, saved as a binary download file
"HPHP48-R" followed by the GROB object. Run it from this folder to remake sample.grob."""

WIDTH, HEIGHT = 131, 64


def ink(x, y):
    if x in (0, WIDTH - 1) or y in (0, HEIGHT - 1):
        return True
    ring = (x - 40) ** 2 + (y - 32) ** 2
    if 20 ** 2 <= ring <= 24 ** 2 or ring <= 8 ** 2:
        return True
    return 80 <= x <= 124 and abs((x - 80) - (y - 10)) <= 3


def nibbles_of(value, width):
    return [(value >> (4 * i)) & 0xF for i in range(width)]


row_nibbles = (WIDTH + 7) // 8 * 2
data = []
for y in range(HEIGHT):
    row = [0] * row_nibbles
    for x in range(WIDTH):
        if ink(x, y):
            row[x // 4] |= 1 << (x % 4)  # the leftmost pixel is the lowest bit
    data += row

nibbles = (nibbles_of(0x02B1E, 5) + nibbles_of(15 + len(data), 5) + nibbles_of(HEIGHT, 5)
           + nibbles_of(WIDTH, 5) + data)
body = bytes(nibbles[i] | nibbles[i + 1] << 4 for i in range(0, len(nibbles), 2))
with open("sample.grob", "wb") as f:
    f.write(b"HPHP48-R" + body)
