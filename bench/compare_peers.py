# SPDX-License-Identifier: MIT
"""Runs one resize per tool per case as a whole process, several times, and
prints a table: median wall time, peak RSS, and the ratio to bmpresize."""
import argparse
import os
import statistics
import subprocess
import sys
import time


# Single-threaded peers: the library under test never starts threads.
ENV = dict(os.environ, MAGICK_THREAD_LIMIT="1", OMP_NUM_THREADS="1", VIPS_CONCURRENCY="1",
           OPENBLAS_NUM_THREADS="1")

MAGICK_POLICY = """<policymap>
  <policy domain="resource" name="memory" value="8GiB"/>
  <policy domain="resource" name="map" value="16GiB"/>
  <policy domain="resource" name="width" value="64KP"/>
  <policy domain="resource" name="height" value="64KP"/>
  <policy domain="resource" name="area" value="4GP"/>
  <policy domain="resource" name="disk" value="32GiB"/>
</policymap>
"""

PILLOW = """
import sys
from PIL import Image
src, dst, pct = sys.argv[1], sys.argv[2], int(sys.argv[3])
im = Image.open(src)
w, h = max(1, im.width * pct // 100), max(1, im.height * pct // 100)
im.resize((w, h), Image.BILINEAR).save(dst)
"""

# The Python package, over the library the tool is built on.
PACKAGE = """
import sys
import bmpresize
bmpresize.resize_file(sys.argv[1], sys.argv[2], int(sys.argv[3]))
"""

OPENCV = """
import sys
import cv2
cv2.setNumThreads(1)
src, dst, pct = sys.argv[1], sys.argv[2], int(sys.argv[3])
im = cv2.imread(src, cv2.IMREAD_UNCHANGED)
h, w = im.shape[:2]
cv2.imwrite(dst, cv2.resize(im, (max(1, w * pct // 100), max(1, h * pct // 100)), interpolation=cv2.INTER_LINEAR))
"""


def write_bmp(path, pixels, depth):
    """pixels: height x width x channels uint8 (BGR or BGRA), top row first."""
    import numpy as np
    height, width = pixels.shape[:2]
    if depth == 8:
        # A grey palette and an index per pixel.
        data = pixels[:, :, 0]
        palette = np.repeat(np.arange(256, dtype=np.uint8), 4).reshape(256, 4)
        palette[:, 3] = 0
        table = palette.tobytes()
    else:
        data = pixels.reshape(height, width * (depth // 8))
        table = b""
    stride = (width * depth // 8 + 3) // 4 * 4
    rows = np.zeros((height, stride), dtype=np.uint8)
    rows[:, : data.shape[1]] = data
    off = 54 + len(table)
    size = off + stride * height
    header = b"BM" + size.to_bytes(4, "little") + bytes(4) + off.to_bytes(4, "little")
    info = (40).to_bytes(4, "little") + width.to_bytes(4, "little") + height.to_bytes(4, "little")
    info += (1).to_bytes(2, "little") + depth.to_bytes(2, "little") + bytes(4)
    info += (stride * height).to_bytes(4, "little") + (3780).to_bytes(4, "little") * 2 + bytes(8)
    with open(path, "wb") as f:
        f.write(header + info + table)
        f.write(rows[::-1].tobytes())  # bottom row first


def photo_like(width, height, channels, seed=1):
    """Smooth gradients with grain, the kind of content resizers meet."""
    import numpy as np
    rng = np.random.default_rng(seed)
    y = np.linspace(0, 1, height, dtype=np.float32)[:, None]
    x = np.linspace(0, 1, width, dtype=np.float32)[None, :]
    planes = []
    for c in range(channels):
        base = 127 + 100 * np.sin(6 * x + 3 * c) * np.cos(4 * y + c)
        planes.append(base)
    img = np.stack(planes, axis=2)
    img += rng.integers(-12, 13, size=(height, width, 1), dtype=np.int16)
    return np.clip(img, 0, 255).astype(np.uint8)


def measure(cmd, runs, scratch):
    """Median wall time and peak RSS. GNU time starts the command, so its peak
    RSS is its own, not inherited from this (larger) Python process."""
    times, rss = [], []
    report = os.path.join(scratch, "rss.txt")
    for _ in range(runs):
        start = time.perf_counter()
        proc = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + cmd, env=ENV,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        elapsed = time.perf_counter() - start
        if proc.returncode != 0:
            err = proc.stderr.decode(errors="replace").strip().splitlines()
            return None, None, err[-1:] or ["failed"]
        times.append(elapsed)
        with open(report) as f:
            rss.append(int(f.read().split()[-1]) / 1024)
    return statistics.median(times), max(rss), None


def main():
    if len(sys.argv) == 6 and sys.argv[1] == "--make":
        path, w, h, depth = sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
        write_bmp(path, photo_like(w, h, 4 if depth == 32 else 3), depth)
        return
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True)
    ap.add_argument("--dir", required=True)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--cases", choices=("all", "small"), default="all")
    ap.add_argument("--library", help="libbmpresize for the Python package (python/src), which runs when given")
    ap.add_argument("--peers", default="bmpresize,Python,ImageMagick,libvips,Pillow,OpenCV,cp",
                    help="comma-separated tools to time; bmpresize always runs first")
    a = ap.parse_args()
    chosen = set(a.peers.split(",")) | {"bmpresize"}
    if a.library:
        ENV["BMPRESIZE_LIBRARY"] = os.path.abspath(a.library)
        ENV["PYTHONPATH"] = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python", "src")
    else:
        chosen.discard("Python")
    os.makedirs(a.dir, exist_ok=True)
    tool = os.path.abspath(a.tool)
    # Debian's ImageMagick policy stops at 128 megapixels and 1 GiB of disk;
    # libvips saves BMP through ImageMagick too. Lift the limits for both.
    with open(os.path.join(a.dir, "policy.xml"), "w") as f:
        f.write(MAGICK_POLICY)
    ENV["MAGICK_CONFIGURE_PATH"] = os.path.abspath(a.dir)

    sources = {
        "8000x6000 24-bit": (8000, 6000, 24),
        "4000x3000 32-bit": (4000, 3000, 32),
        "4000x3000 8-bit": (4000, 3000, 8),
        "640x480 24-bit": (640, 480, 24),
    }
    cases = [("8000x6000 24-bit", p) for p in (25, 50, 100, 200)]
    cases += [("4000x3000 32-bit", 50), ("4000x3000 8-bit", 50), ("640x480 24-bit", 50)]
    if a.cases == "small":
        cases = [c for c in cases if c[0].startswith("640")]

    files = {}
    for name, (w, h, depth) in sources.items():
        if not any(c[0] == name for c in cases):
            continue
        path = os.path.join(a.dir, name.replace(" ", "-") + ".bmp")
        if not os.path.exists(path):
            # In a process of its own: a child's peak RSS starts from its
            # parent's, so this one must stay small.
            subprocess.run([sys.executable, __file__, "--make", path, str(w), str(h), str(depth)], check=True)
        files[name] = path

    def peers(src, dst, pct):
        return [p for p in [
            ("bmpresize", [tool, src, dst, str(pct)]),
            ("Python", [sys.executable, "-c", PACKAGE, src, dst, str(pct)]),
            ("ImageMagick", ["convert", src, "-filter", "Triangle", "-resize", f"{pct}%", "BMP3:" + dst]),
            ("libvips", ["vips", "resize", src, dst, str(pct / 100), "--kernel", "linear"]),
            ("Pillow", [sys.executable, "-c", PILLOW, src, dst, str(pct)]),
            ("OpenCV", [sys.executable, "-c", OPENCV, src, dst, str(pct)]),
            ("cp", ["cp", src, dst]),
        ] if p[0] in chosen]

    print(f"{a.runs} runs a case; median wall time, peak RSS of the process, and each / bmpresize\n")
    print(f"| case | tool | median s | peak RSS MiB | time / ours |")
    print(f"|---|---|---|---|---|")
    for name, pct in cases:
        src = files[name]
        ours = None
        for tool_name, cmd in peers(src, os.path.join(a.dir, "out.bmp"), pct):
            t, rss, err = measure(cmd, a.runs, a.dir)
            if t is None:
                print(f"| {name} {pct} % | {tool_name} | failed: {' '.join(err)[:70]} | | |")
                continue
            if tool_name == "bmpresize":
                ours = t
            ratio = f"{t / ours:.2f}" if ours else ""
            print(f"| {name} {pct} % | {tool_name} | {t:.3f} | {rss:.1f} | {ratio} |", flush=True)
        try:
            os.remove(os.path.join(a.dir, "out.bmp"))
        except OSError:
            pass


if __name__ == "__main__":
    main()
