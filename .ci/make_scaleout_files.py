#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes a tree of BMP files for the scale-out run: COUNT files spread over
four folders whose base names repeat from folder to folder (so a recipe that
flattens the tree would collide), of every depth the reader takes, from a few
KB to a few hundred KB. With --big W H, writes DIR/big.bmp instead, 24 bits a pixel and
that size (a file that takes a while, to cancel a task in the middle of it).
Deterministic: the same arguments give the same bytes."""
import argparse
import os
import random
import struct

FOLDERS = ["alpha", "beta/deep", "gamma with space", "delta"]
DEPTHS = [1, 4, 8, 16, 24, 32]


def bmp_bytes(width, height, depth, rng):
    stride = (width * depth + 31) // 32 * 4
    colours = 1 << depth if depth <= 8 else 0
    table = b"".join(bytes((rng.randrange(256), rng.randrange(256), rng.randrange(256), 0)) for _ in range(colours))
    offset = 14 + 40 + len(table)
    pixels = rng.randbytes(stride * height)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, depth, 0, len(pixels), 3780, 3780, colours, 0)
    return header + info + table + pixels


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("dir")
    parser.add_argument("count", type=int, nargs="?", default=200)
    parser.add_argument("--big", type=int, nargs=2, metavar=("W", "H"))
    args = parser.parse_args()
    rng = random.Random(19)
    if args.big:
        write(os.path.join(args.dir, "big.bmp"), bmp_bytes(*args.big, 24, rng))
        return
    for i in range(args.count):
        folder = FOLDERS[i % len(FOLDERS)]
        name = "pic-%03d.bmp" % (i // len(FOLDERS))
        width, height = rng.randrange(16, 320), rng.randrange(16, 320)
        write(os.path.join(args.dir, folder, name), bmp_bytes(width, height, DEPTHS[i % len(DEPTHS)], rng))


if __name__ == "__main__":
    main()
