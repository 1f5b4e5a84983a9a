#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Paints examples/landscape.bmp: a small evening landscape (sky, sun, hills,
lake, trees), written as a 24-bit bottom-up BMP with the standard library only.
Run it again to regenerate the file, from any folder; the output is
deterministic. A path given as the only argument is written instead."""
import math
import os
import struct
import sys

W, H = 240, 160
HORIZON = 96


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def ridge(x, seed, base, amp):
    y = base
    for k, (f, p) in enumerate(((0.013, 0.0), (0.037, 1.7), (0.091, 4.1), (0.23, 2.3))):
        y += amp / (k + 1.4) * math.sin(x * f * (1 + seed * 0.21) + p + seed)
    return y


def sky(x, y):
    c = mix((38, 64, 140), (250, 170, 110), (y / HORIZON) ** 1.6)
    d = math.hypot(x - 168, y - 70)
    glow = math.exp(-d / 38.0)
    c = mix(c, (255, 236, 180), glow)
    if d < 11:
        c = mix((255, 250, 225), c, (d / 11) ** 4)
    cloud = math.sin(x * 0.045 + y * 0.11) + math.sin(x * 0.021 - y * 0.07 + 1.3)
    if 18 < y < 52 and cloud > 1.35:
        c = mix(c, (255, 210, 200), (cloud - 1.35) * 1.2)
    return c


def land(x, y):
    far = ridge(x, 1, 78, 14)
    near = ridge(x, 3, 104, 10)
    if y >= near:
        depth = (y - near) / (H - near + 1)
        c = mix((70, 120, 50), (30, 70, 28), depth)
        c = mix(c, (120, 150, 60), 0.15 * (1 + math.sin(x * 0.3 + y * 0.9)))
        return c
    if y >= far:
        return mix((110, 100, 150), (80, 90, 120), (y - far) / 30)
    return None


def pixel(x, y):
    c = land(x, y)
    if c is not None:
        return c
    if y > HORIZON:
        # lake: the sky mirrored, darker and rippled
        ry = 2 * HORIZON - y + int(2 * math.sin(y * 0.9 + x * 0.05))
        m = land(x, ry) or sky(x, max(0, ry))
        return mix(m, (20, 40, 80), 0.35 + 0.2 * (y - HORIZON) / (H - HORIZON))
    return sky(x, y)


def tree(img, cx, base, h):
    for y in range(base - h, base + 1):
        for x in range(cx - h // 3, cx + h // 3 + 1):
            if 0 <= x < W and 0 <= y < H:
                t = (y - (base - h)) / h
                if abs(x - cx) <= t * h / 3 and y < base - h // 6:
                    img[y][x] = mix((20, 60, 30), (40, 90, 40), (x - cx + h / 3) / (h * 0.66))
                elif abs(x - cx) <= 1 and y >= base - h // 6:
                    img[y][x] = (70, 45, 25)


def main(path):
    img = [[pixel(x, y) for x in range(W)] for y in range(H)]
    for cx, h in ((22, 26), (36, 34), (51, 22), (200, 30), (214, 24), (229, 36)):
        tree(img, cx, int(ridge(cx, 3, 104, 10)) + h // 2 + 6, h)
    stride = (W * 3 + 3) // 4 * 4
    rows = []
    for y in range(H - 1, -1, -1):
        row = bytearray()
        for r, g, b in img[y]:
            row += bytes((int(b), int(g), int(r)))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "landscape.bmp"))
