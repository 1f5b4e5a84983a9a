#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks the sizes --resize GEOMETRY gives against ImageMagick's own: random
source sizes and geometries of every form, each resized by
`convert -size WxH xc:white -resize GEOMETRY info:` and asked of the library
(bmpresize_memory_size on a 1-bit picture's headers, which tell the resized
size without any pixel). Run by hand, not in CI:

    BMPRESIZE_LIBRARY=build/src/libbmpresize.so python3 bench/geometry_check.py [--cases N] [--seed S]

Prints each disagreement and a count. Cases where ImageMagick fails (a side
that rounds to 0, which the library makes 1) are counted apart; cases whose
result passes 16 million pixels or 16000 pixels a side (ImageMagick's default
policy) are drawn again."""
import argparse
import ctypes
import os
import random
import struct
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "python", "src"))
from bmpresize import _native  # noqa: E402

MOST_PIXELS = 16_000_000
MOST_SIDE = 16_000


def headers(width, height):
    """The file and info headers and colour table of a 1-bit picture."""
    stride = (width + 31) // 32 * 4
    table = b"\0\0\0\0\xff\xff\xff\0"
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, stride * height, 3780, 3780, 2, 0)
    offset = 14 + len(info) + len(table)
    return struct.pack("<2sIHHI", b"BM", offset + stride * height, 0, 0, offset) + info + table


def ours(width, height, geometry):
    library = _native.library()
    options = _native.Options()
    library.bmpresize_options_init(ctypes.byref(options))
    why = ctypes.create_string_buffer(256)
    if library.bmpresize_parse_geometry(geometry.encode(), ctypes.byref(options), why, 256) != 0:
        return "refused: " + why.value.decode()
    data = headers(width, height)
    result = _native.Result()
    size = ctypes.c_size_t(0)
    library.bmpresize_memory_size(data, len(data), ctypes.byref(options), ctypes.byref(size), result)
    return (result.width, result.height) if result.code == 999 else f"failed: cause {result.cause}"  # BMPRESIZE_OK


def theirs(width, height, geometry):
    run = subprocess.run(["convert", "-size", f"{width}x{height}", "xc:white", "-filter", "point", "-resize",
                          geometry, "-format", "%w %h", "info:"], capture_output=True, text=True)
    if run.returncode != 0 or run.stderr:
        return "failed: " + run.stderr.strip()
    w, h = run.stdout.split()
    return int(w), int(h)


def side(rng):
    # Small sides often: they round most.
    return rng.choice([rng.randint(1, 40), rng.randint(1, 600), rng.randint(1, 3000)])


def geometry(rng):
    w, h = side(rng), side(rng)
    form = rng.choice(["box", "width", "height", "exact", "shrink", "enlarge", "fill", "fill-one", "percent",
                       "percents", "area", "area-shrink", "area-enlarge", "exact-shrink", "fill-enlarge"])
    return {
        "box": f"{w}x{h}", "width": f"{w}x", "height": f"x{h}", "exact": f"{w}x{h}!",
        "shrink": f"{w}x{h}>", "enlarge": f"{w}x{h}<", "fill": f"{w}x{h}^",
        "fill-one": rng.choice([f"{w}x^", f"x{h}^"]), "percent": f"{rng.randint(1, 400)}%",
        "percents": f"{rng.randint(1, 400)}x{rng.randint(1, 400)}%", "area": f"{rng.randint(1, 4_000_000)}@",
        "area-shrink": f"{rng.randint(1, 4_000_000)}@>", "area-enlarge": f"{rng.randint(1, 4_000_000)}@<",
        "exact-shrink": f"{w}x{h}!>", "fill-enlarge": f"{w}x{h}^<",
    }[form]


def cases(count, seed):
    rng = random.Random(seed)
    made = []
    while len(made) < count:
        width, height, text = side(rng), side(rng), geometry(rng)
        size = ours(width, height, text)
        if isinstance(size, tuple) and (size[0] * size[1] > MOST_PIXELS or max(size) > MOST_SIDE):
            continue
        made.append((width, height, text, size))
    return made


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cases", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=35)
    args = parser.parse_args()
    made = cases(args.cases, args.seed)
    with ThreadPoolExecutor(max_workers=2) as pool:
        answers = list(pool.map(lambda case: theirs(*case[:3]), made))
    same = apart = 0
    for (width, height, text, size), answer in zip(made, answers):
        if answer == size:
            same += 1
        elif isinstance(answer, str) and answer.startswith("failed"):
            apart += 1
            print(f"{width}x{height} {text}: ImageMagick fails, we give {size}")
        else:
            print(f"{width}x{height} {text}: ImageMagick {answer}, we {size}")
    print(f"{same} of {len(made)} the same; {apart} where ImageMagick fails; "
          f"{len(made) - same - apart} different")
    return 0 if same + apart == len(made) else 1


if __name__ == "__main__":
    sys.exit(main())
