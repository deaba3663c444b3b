#!/usr/bin/env python3
"""Draws Velmora's toolbar, list, tip, splash and program images as small PNG files.

The images are committed; run this again only to change them:
    python3 ide/res/images/make_images.py
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Colours (R, G, B, A).
T = (0, 0, 0, 0)
K = (40, 40, 40, 255)
W = (255, 255, 255, 255)
G = (128, 128, 128, 255)
L = (200, 200, 200, 255)
B = (30, 80, 200, 255)
R = (200, 30, 30, 255)
N = (20, 140, 40, 255)
Y = (240, 200, 20, 255)
O = (230, 130, 20, 255)
P = (130, 60, 170, 255)


class Image:
    """An image drawn in logical pixels; with scale 2 every shape is drawn again at twice
    the resolution (lines and discs at the finer grid), for screens of 2x density."""

    def __init__(self, w, h, fill=T, scale=1):
        self.w, self.h, self.s = w, h, scale
        self.px = [[fill] * (w * scale) for _ in range(h * scale)]

    def dev(self, x, y, c):
        if 0 <= x < self.w * self.s and 0 <= y < self.h * self.s:
            self.px[y][x] = c

    def set(self, x, y, c):
        for dy in range(self.s):
            for dx in range(self.s):
                self.dev(x * self.s + dx, y * self.s + dy, c)

    def rect(self, x0, y0, x1, y1, c, fill=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    self.set(x, y, c)
                elif fill is not None:
                    self.set(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        # A stroke one logical pixel wide, stepped on the device grid.
        s = self.s
        n = max(abs(x1 - x0), abs(y1 - y0), 1) * s
        for i in range(n + 1):
            x = round((x0 + (x1 - x0) * i / n) * s)
            y = round((y0 + (y1 - y0) * i / n) * s)
            for dy in range(s):
                for dx in range(s):
                    self.dev(x + dx, y + dy, c)

    def disc(self, cx, cy, r, c, edge=None):
        # Measured from pixel centres on the device grid, so a 2x disc is rounder.
        s = self.s
        for y in range(self.h * s):
            for x in range(self.w * s):
                d = ((x + 0.5) / s - 0.5 - cx) ** 2 + ((y + 0.5) / s - 0.5 - cy) ** 2
                if d <= r * r:
                    self.dev(x, y, c)
                if edge and r * r - 2 * r < d <= r * r:
                    self.dev(x, y, edge)

    def halo(self):
        # A faint light rim around the dark strokes, so that they stay visible on a dark
        # toolbar or menu; on a light one it blends into the background.
        def dark(p):
            return p[3] > 0 and p[0] + p[1] + p[2] < 3 * 100

        rim = (255, 255, 255, 110)
        H, W_ = self.h * self.s, self.w * self.s
        marks = []
        for y in range(H):
            for x in range(W_):
                if self.px[y][x][3] != 0:
                    continue
                if any(dark(self.px[y + dy][x + dx])
                       for dy in (-1, 0, 1) for dx in (-1, 0, 1)
                       if 0 <= y + dy < H and 0 <= x + dx < W_):
                    marks.append((x, y))
        for x, y in marks:
            self.px[y][x] = rim

    def save(self, path):
        raw = b"".join(b"\0" + b"".join(struct.pack("4B", *p) for p in row) for row in self.px)
        width, height = self.w * self.s, self.h * self.s

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        png = b"\x89PNG\r\n\x1a\n"
        png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(raw, 9))
        png += chunk(b"IEND", b"")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(png)


# A 3 by 5 pixel font for the letters that tell similar buttons apart.
FONT = {
    "A": ["010", "101", "111", "101", "101"], "B": ["110", "101", "110", "101", "110"],
    "C": ["011", "100", "100", "100", "011"], "D": ["110", "101", "101", "101", "110"],
    "E": ["111", "100", "110", "100", "111"], "G": ["011", "100", "101", "101", "011"],
    "H": ["101", "101", "111", "101", "101"], "P": ["110", "101", "110", "100", "100"],
    "S": ["011", "100", "010", "001", "110"], "T": ["111", "010", "010", "010", "010"],
    "V": ["101", "101", "101", "101", "010"], "X": ["101", "101", "010", "101", "101"],
    "?": ["110", "001", "010", "000", "010"], "!": ["010", "010", "010", "000", "010"],
    "+": ["000", "010", "111", "010", "000"], "i": ["010", "000", "010", "010", "010"],
}


def text(img, x, y, s, c):
    for ch in s:
        for dy, row in enumerate(FONT[ch]):
            for dx, bit in enumerate(row):
                if bit == "1":
                    img.set(x + dx, y + dy, c)
        x += 4


def page(img, x0=2, y0=0, x1=11, y1=13):
    img.rect(x0, y0, x1, y1, K, W)
    img.line(x1 - 3, y0, x1, y0 + 3, K)
    for y in range(y0, y0 + 3):
        for x in range(x1 - 2 + (y - y0), x1 + 1):
            img.set(x, y, T)
    img.line(x1 - 3, y0, x1 - 3, y0 + 3, K)
    img.line(x1 - 3, y0 + 3, x1, y0 + 3, K)


def folder(img, c=Y):
    img.rect(0, 3, 13, 12, K, c)
    img.rect(1, 1, 6, 3, K, c)


def disk(img, c=B):
    img.rect(1, 1, 13, 13, K, c)
    img.rect(4, 1, 10, 5, K, W)
    img.rect(4, 8, 10, 13, K, L)


def calculator(img):
    img.rect(4, 0, 13, 14, K, G)
    img.rect(6, 2, 11, 5, K, (180, 220, 180, 255))
    for y in (8, 11):
        for x in (6, 9, 12):
            img.set(x, y, W)
            img.set(x - 1, y, W)


def arrow_right(img, y, c):
    img.line(0, y, 5, y, c)
    img.line(3, y - 2, 5, y, c)
    img.line(3, y + 2, 5, y, c)


def tool(name, draw):
    # Each toolbar image at 1x and, as name@2x.png, at 2x; Qt picks the one that fits the
    # screen.
    for scale, suffix in ((1, ""), (2, "@2x")):
        img = Image(16, 15, scale=scale)
        draw(img)
        img.halo()
        img.save(os.path.join(HERE, "toolbar", name + suffix + ".png"))


def project_box(img):
    img.rect(1, 3, 14, 13, K, (240, 225, 190, 255))
    img.line(1, 6, 14, 6, K)


tool("new", lambda i: (page(i), text(i, 12, 9, "+", N)))
tool("open", lambda i: folder(i))
tool("save", lambda i: disk(i))
tool("saveall", lambda i: (i.rect(3, 0, 14, 11, K, B), disk(i)))
tool("transferfile", lambda i: (page(i, 0, 0, 8, 12), calculator(i)))
tool("print", lambda i: (i.rect(3, 0, 11, 6, K, W), i.rect(0, 5, 14, 11, K, L),
                         i.rect(3, 10, 11, 14, K, W)))
tool("cut", lambda i: (i.disc(4, 11, 2, T, K), i.disc(10, 11, 2, T, K),
                       i.line(5, 9, 10, 0, K), i.line(9, 9, 4, 0, K)))
tool("copy", lambda i: (page(i, 0, 0, 8, 10), page(i, 5, 4, 13, 14)))
tool("paste", lambda i: (i.rect(1, 2, 11, 14, K, O), i.rect(4, 0, 8, 3, K, L),
                         page(i, 6, 6, 14, 14)))
tool("compile", lambda i: (page(i), text(i, 4, 5, "C", B)))
tool("transfer", lambda i: (arrow_right(i, 7, R), calculator(i)))
tool("simulate", lambda i: (i.rect(0, 1, 15, 13, K, (220, 230, 250, 255)), calculator(i)))
tool("about", lambda i: (i.disc(7, 7, 7, B), text(i, 6, 5, "i", W)))
tool("contexthelp", lambda i: (i.line(0, 0, 0, 9, K), i.line(0, 0, 6, 6, K),
                               i.line(0, 9, 6, 6, K), text(i, 9, 6, "?", B)))
tool("newproject", lambda i: (project_box(i), text(i, 6, 8, "+", N)))
tool("openproject", lambda i: (folder(i), text(i, 5, 6, "P", K)))
tool("saveproject", lambda i: (disk(i, P),))
tool("closeproject", lambda i: (project_box(i), text(i, 6, 7, "X", R)))
tool("addcurrent", lambda i: (project_box(i), page(i, 6, 0, 13, 9)))
tool("addfiles", lambda i: (project_box(i), page(i, 3, 0, 9, 8), page(i, 8, 2, 14, 10)))
tool("visible", lambda i: (i.disc(7, 7, 6, W, K), i.disc(7, 7, 2, K)))
tool("compilethis", lambda i: (page(i), text(i, 4, 5, "?", B)))
tool("settings", lambda i: (i.disc(7, 7, 6, G, K), i.disc(7, 7, 2, W)))
tool("properties", lambda i: (page(i), i.line(4, 5, 9, 5, G), i.line(4, 8, 9, 8, G),
                              i.line(4, 11, 9, 11, G)))
tool("moveup", lambda i: (i.line(7, 1, 7, 13, N), i.line(2, 6, 7, 1, N), i.line(12, 6, 7, 1, N)))
tool("movedown", lambda i: (i.line(7, 1, 7, 13, N), i.line(2, 8, 7, 13, N),
                            i.line(12, 8, 7, 13, N)))
tool("build", lambda i: (i.rect(0, 8, 6, 14, K, O), i.rect(7, 8, 13, 14, K, O),
                         i.rect(3, 1, 10, 7, K, O)))
tool("transferproject", lambda i: (project_box(i), arrow_right(i, 10, R)))
tool("simulateproject", lambda i: (project_box(i), text(i, 6, 7, "S", B)))

# The project list's row images: blank, and the mark of a file the build compiles.
blank = Image(16, 16)
blank.save(os.path.join(HERE, "project", "blank.png"))
mark = Image(16, 16)
mark.line(3, 8, 6, 11, N)
mark.line(6, 11, 12, 4, N)
mark.line(3, 9, 6, 12, N)
mark.line(6, 12, 12, 5, N)
mark.save(os.path.join(HERE, "project", "mark.png"))

# The tip dialog's bulb.
bulb = Image(32, 40)
bulb.disc(16, 14, 11, Y, K)
bulb.rect(11, 24, 21, 32, K, L)
for y in (27, 30):
    bulb.line(11, y, 21, y, G)
bulb.rect(13, 33, 19, 36, K, G)
bulb.line(16, 8, 16, 18, W)
bulb.save(os.path.join(HERE, "tip", "bulb.png"))


def logo(size):
    img = Image(size, size)
    s = size / 32
    img.rect(int(6 * s), 0, int(26 * s), size - 1, K, (60, 70, 90, 255))
    img.rect(int(9 * s), int(3 * s), int(23 * s), int(11 * s), K, (180, 220, 180, 255))
    for row in range(4):
        for col in range(3):
            x = int((9 + col * 5) * s)
            y = int((15 + row * 4) * s)
            img.rect(x, y, x + max(1, int(3 * s)), y + max(1, int(2 * s)), K, W)
    return img


for size in (16, 32, 48, 64, 128):
    logo(size).save(os.path.join(HERE, "app", "velmora-%d.png" % size))


def document_icon(letter_colour, project):
    img = Image(48, 48)
    img.rect(8, 2, 39, 45, K, W)
    if project:
        img.rect(12, 10, 35, 36, K, (240, 225, 190, 255))
        img.line(12, 16, 35, 16, K)
    else:
        for y in range(10, 40, 4):
            img.line(12, y, 35, y, letter_colour)
    return img


document_icon(B, False).save(os.path.join(HERE, "app", "source-48.png"))
document_icon(P, True).save(os.path.join(HERE, "app", "project-48.png"))

# The splash screen: a small title strip and a large picture of a calculator.
title = Image(240, 24, W)
title.rect(0, 0, 239, 23, B, B)
title.save(os.path.join(HERE, "splash", "title.png"))
picture = logo(128)
picture.save(os.path.join(HERE, "splash", "picture.png"))
