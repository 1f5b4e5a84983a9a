#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Makes the README's picture row of the filters: paints a zone plate
(1024 x 1024, 24-bit, grey rings whose frequency rises from the centre to
half a cycle a pixel at the edges), resizes it to 25 % with the tool's
--filter point, area, cubic and lanczos3, and writes each result as a grey
PNG, docs/filter-NAME-25.png. A filter the tool does not know yet is left
out with the tool's own words. Standard library only; the output is
deterministic.

    examples/filter_pictures.py [--tool build/bmpresize] [--out docs]
"""
import argparse
import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib

SIDE = 1024
PERCENT = 25
FILTERS = ("point", "area", "cubic", "lanczos3")


def zone_plate(side):
    """Rows from the top, one grey byte a pixel: cos(pi r^2 / side)."""
    centre = (side - 1) / 2
    rows = []
    for y in range(side):
        dy2 = (y - centre) ** 2
        rows.append(bytes(round(127.5 + 127.5 * math.cos(math.pi * ((x - centre) ** 2 + dy2) / side))
                          for x in range(side)))
    return rows


def write_bmp(path, rows):
    """A 24-bit bottom-up BMP of grey rows."""
    width, height = len(rows[0]), len(rows)
    stride = (3 * width + 3) // 4 * 4
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + stride * height, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, stride * height, 3780, 3780, 0, 0))
        pad = bytes(stride - 3 * width)
        for row in reversed(rows):
            f.write(bytes(v for v in row for _ in range(3)) + pad)


def read_bmp_grey(path):
    """The green channel of a 24-bit bottom-up BMP (the tool's output), rows
    from the top."""
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (3 * width + 3) // 4 * 4
    rows = [data[offset + r * stride + 1: offset + r * stride + 3 * width: 3] for r in range(height)]
    return rows[::-1]


def write_png(path, rows):
    """An 8-bit grey PNG."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\0" + bytes(row) for row in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 0, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--tool", default=os.path.join(here, "..", "build", "bmpresize"))
    ap.add_argument("--out", default=os.path.join(here, "..", "docs"))
    a = ap.parse_args()
    made = 0
    with tempfile.TemporaryDirectory() as scratch:
        source = os.path.join(scratch, "zone-plate.bmp")
        write_bmp(source, zone_plate(SIDE))
        for name in FILTERS:
            resized = os.path.join(scratch, name + ".bmp")
            proc = subprocess.run([a.tool, "--filter", name, source, resized, str(PERCENT)],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            if proc.returncode != 0:
                words = proc.stderr.decode(errors="replace").strip().splitlines()
                print(f"{name}: left out: {words[0] if words else 'exit status %d' % proc.returncode}")
                continue
            png = os.path.join(a.out, f"filter-{name}-{PERCENT}.png")
            write_png(png, read_bmp_grey(resized))
            print(f"{name}: {os.path.relpath(png)}")
            made += 1
    return 0 if made else 1


if __name__ == "__main__":
    sys.exit(main())
