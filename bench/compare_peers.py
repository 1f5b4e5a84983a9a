# SPDX-License-Identifier: MIT
"""Runs one resize per tool per case as a whole process, several times, and
prints a table: median wall time, peak RSS, and the ratio to bmpresize on one
thread; then the batch case (many small files, files per second) and the
ratios the goals are stated in."""
import argparse
import glob
import os
import shutil
import statistics
import subprocess
import sys
import time


# Every tool runs twice where it can use several cores: on one thread, and at
# its defaults (every core: OpenMP, the vips thread pool, the OpenCV pool).
ENV = dict(os.environ)
ONE_THREAD = {"MAGICK_THREAD_LIMIT": "1", "OMP_NUM_THREADS": "1", "VIPS_CONCURRENCY": "1",
              "OPENBLAS_NUM_THREADS": "1", "BENCH_ONE_THREAD": "1"}

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

# Pillow resizes a palette picture by nearest neighbour whatever is asked;
# a bilinear resize of one takes convert("RGB") first.
PILLOW_RGB = PILLOW.replace("im = Image.open(src)", "im = Image.open(src).convert('RGB')")

# The Python package, over the library the tool is built on.
PACKAGE = """
import sys
import bmpresize
bmpresize.resize_file(sys.argv[1], sys.argv[2], int(sys.argv[3]))
"""

OPENCV = """
import sys
import cv2
import os
if os.environ.get("BENCH_ONE_THREAD"):
    cv2.setNumThreads(1)
src, dst, pct = sys.argv[1], sys.argv[2], int(sys.argv[3])
im = cv2.imread(src, cv2.IMREAD_UNCHANGED)
h, w = im.shape[:2]
cv2.imwrite(dst, cv2.resize(im, (max(1, w * pct // 100), max(1, h * pct // 100)), interpolation=cv2.INTER_LINEAR))
"""


# The quality filters: ours beside the peers' kernels of the same family.
# name: (ours, Pillow, OpenCV, libvips kernel or None, ImageMagick filter or None)
QUALITY = {
    "lanczos3": ("lanczos3", "LANCZOS", "INTER_LANCZOS4", "lanczos3", "Lanczos"),
    "cubic": ("cubic", "BICUBIC", "INTER_CUBIC", None, None),
}
QUALITY_CASES = [("8000x6000 24-bit", 25), ("8000x6000 24-bit", 200)]

PILLOW_FILTER = PILLOW.replace("Image.BILINEAR", "getattr(Image, sys.argv[4])")
OPENCV_FILTER = OPENCV.replace("cv2.INTER_LINEAR", "getattr(cv2, sys.argv[4])")


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


def measure(cmd, runs, scratch, env=None, before=None):
    """Median wall time and peak RSS. GNU time starts the command, so its peak
    RSS is its own, not inherited from this (larger) Python process. before,
    when given, runs untimed ahead of each run."""
    times, rss = [], []
    report = os.path.join(scratch, "rss.txt")
    for _ in range(runs):
        if before:
            before()
        start = time.perf_counter()
        proc = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + cmd, env=env or ENV,
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
    ap.add_argument("--cases", choices=("all", "small", "quality"), default="all")
    ap.add_argument("--batch", type=int, default=1000, help="files in the batch case (0: none)")
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
        "65536x256 24-bit": (65536, 256, 24),
        "32768x256 24-bit": (32768, 256, 24),
    }
    cases = [("8000x6000 24-bit", p) for p in (25, 50, 100, 200)]
    cases += [("4000x3000 32-bit", 50), ("4000x3000 8-bit", 50), ("640x480 24-bit", 50)]
    # Memory at the widest rows the goal covers: ours alone.
    cases += [("65536x256 24-bit", 50), ("32768x256 24-bit", 200)]
    if a.cases == "small":
        cases = [c for c in cases if c[0].startswith("640")]
    if a.cases == "quality":
        cases = []  # the quality filters alone

    files = {}
    wanted = cases + (QUALITY_CASES if a.cases in ("all", "quality") else [])
    for name, (w, h, depth) in sources.items():
        if not any(c[0] == name for c in wanted):
            continue
        path = os.path.join(a.dir, name.replace(" ", "-") + ".bmp")
        if not os.path.exists(path):
            # In a process of its own: a child's peak RSS starts from its
            # parent's, so this one must stay small.
            subprocess.run([sys.executable, __file__, "--make", path, str(w), str(h), str(depth)], check=True)
        files[name] = path

    one = dict(ENV, **ONE_THREAD)
    convert = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"

    def peers(src, dst, pct, depth):
        """(name, command, environment, single-threaded) for each tool."""
        magick = [convert, src, "-filter", "Triangle", "-resize", f"{pct}%", "BMP3:" + dst]
        vips = ["vips", "resize", src, dst, str(pct / 100), "--kernel", "linear"]
        opencv = [sys.executable, "-c", OPENCV, src, dst, str(pct)]
        pillow = [sys.executable, "-c", PILLOW, src, dst, str(pct)]
        rows = [
            ("bmpresize 1 thread", [tool, "-t", "1", src, dst, str(pct)], one, True, "bmpresize"),
            ("bmpresize every core", [tool, src, dst, str(pct)], ENV, False, "bmpresize"),
            ("Python", [sys.executable, "-c", PACKAGE, src, dst, str(pct)], ENV, False, "Python"),
            ("ImageMagick 1 thread", magick, one, True, "ImageMagick"),
            ("ImageMagick defaults", magick, ENV, False, "ImageMagick"),
            ("libvips 1 thread", vips, one, True, "libvips"),
            ("libvips defaults", vips, ENV, False, "libvips"),
            ("Pillow", pillow, ENV, True, "Pillow"),
            ("OpenCV 1 thread", opencv, one, True, "OpenCV"),
            ("OpenCV defaults", opencv, ENV, False, "OpenCV"),
            ("cp", ["cp", src, dst], ENV, True, "cp"),
        ]
        if depth == 8:
            rows.insert(8, ("Pillow convert(RGB)", [sys.executable, "-c", PILLOW_RGB, src, dst, str(pct)], ENV, True,
                            "Pillow"))
        return [r[:4] for r in rows if r[4] in chosen]

    cores = os.cpu_count() or 1
    print(f"{a.runs} runs a case; median wall time, peak RSS of the process, and each / bmpresize on 1 thread "
          f"({cores} cores)")
    if cases:
        print("\n| case | tool | median s | peak RSS MiB | time / ours (1 thread) |")
        print("|---|---|---|---|---|")
    goals = []
    for name, pct in cases:
        src = files[name]
        depth = sources[name][2]
        times = {}
        for tool_name, cmd, env, single in peers(src, os.path.join(a.dir, "out.bmp"), pct, depth):
            if name.startswith(("65536", "32768")) and not tool_name.startswith("bmpresize"):
                continue  # the memory cases: ours alone
            t, rss, err = measure(cmd, a.runs, a.dir, env)
            if t is None:
                print(f"| {name} {pct} % | {tool_name} | failed: {' '.join(err)[:70]} | | |")
                continue
            times[tool_name] = (t, single)
            ours = times.get("bmpresize 1 thread", (None,))[0]
            ratio = f"{t / ours:.2f}" if ours else ""
            print(f"| {name} {pct} % | {tool_name} | {t:.3f} | {rss:.1f} | {ratio} |", flush=True)
        goals.append((f"{name} {pct} %", times))
        try:
            os.remove(os.path.join(a.dir, "out.bmp"))
        except OSError:
            pass

    if a.cases in ("all", "quality"):
        goals += quality(a, tool, files, convert, one, chosen)

    if a.cases == "all" and a.batch > 0:
        batch(a, tool, cores, convert, one)

    print("\nGoals: ours on 1 thread / the fastest single-threaded peer; ours on every core / the fastest peer at "
          "its defaults; ours on every core / ours on 1 thread; ours / cp")
    for case, times in goals:
        ours1 = times.get("bmpresize 1 thread", (None,))[0]
        ours = times.get("bmpresize every core", (None,))[0]
        peers1 = [(t, n) for n, (t, single) in times.items()
                  if single and not n.startswith(("bmpresize", "cp", "I/O floor"))]
        peers_default = [(t, n) for n, (t, single) in times.items()
                         if not n.startswith(("bmpresize", "cp", "Python", "I/O floor")) and
                         (not single or n.startswith("Pillow"))]
        floor = [t for n, (t, _) in times.items() if n.startswith("I/O floor")]
        words = []
        if ours1 and peers1:
            t, n = min(peers1)
            words.append(f"1 thread / {n}: {ours1 / t:.2f}")
        if ours and peers_default:
            t, n = min(peers_default)
            words.append(f"every core / {n}: {ours / t:.2f}")
        if ours and ours1:
            words.append(f"every core / 1 thread: {ours / ours1:.2f}")
        if "cp" in times and ours1:
            words.append(f"/ cp: {ours1 / times['cp'][0]:.2f} (1 thread), {ours / times['cp'][0]:.2f} (every core)")
        if floor and ours1:
            words.append(f"/ I/O floor: {ours1 / floor[0]:.2f} (1 thread), {ours / floor[0]:.2f} (every core)")
        print(f"- {case}: " + "; ".join(words))


def filter_known(tool, scratch, name):
    """Whether the tool takes --filter name: asked on a 2 x 2 file. An
    unknown filter is a usage error (exit status 2) that names --filter."""
    small = os.path.join(scratch, "2x2-24-bit.bmp")
    if not os.path.exists(small):
        with open(small, "wb") as f:
            f.write(b"BM" + (70).to_bytes(4, "little") + bytes(4) + (54).to_bytes(4, "little"))
            f.write((40).to_bytes(4, "little") + (2).to_bytes(4, "little") * 2 + (1).to_bytes(2, "little"))
            f.write((24).to_bytes(2, "little") + bytes(4) + (16).to_bytes(4, "little") + bytes(16))
            f.write(bytes(range(16)))
    proc = subprocess.run([tool, "--filter", name, small, os.path.join(scratch, "2x2-out.bmp"), "50"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if proc.returncode == 0:
        return True, ""
    return False, proc.stderr.decode(errors="replace").strip().splitlines()[:1]


def io_floor(src, dst, pct):
    """The least any resize of src to pct % costs through files: the source
    read from the page cache (cat) and a file of the result's size written
    in the blocks the tool writes (256 KiB), as one row of quality()."""
    with open(src, "rb") as f:
        head = f.read(26)
    width, height = int.from_bytes(head[18:22], "little"), int.from_bytes(head[22:26], "little", signed=True)
    width, height = max(1, width * pct // 100), max(1, abs(height) * pct // 100)
    size = 54 + (3 * width + 3) // 4 * 4 * height
    blocks = -(-size // (256 << 10))
    script = 'cat "$1" > /dev/null && dd if=/dev/zero of="$2" bs=256K count="$3" status=none'
    return [("I/O floor: cat source, dd result", ["sh", "-c", script, "sh", src, dst, str(blocks)], ENV, True,
             "bmpresize")]


def quality(a, tool, files, convert, one, chosen):
    """The quality filters at 25 and 200 %: ours on one thread and every
    core beside each peer's kernel of the same family, with peak RSS. Ours
    is left out, with the tool's words, while it lacks the filter."""
    print("\nQuality filters: median wall time and peak RSS; each / ours on 1 thread\n")
    print("| case | filter | tool | median s | peak RSS MiB | time / ours (1 thread) |")
    print("|---|---|---|---|---|---|")
    goals = []
    for name, pct in QUALITY_CASES:
        src = files[name]
        dst = os.path.join(a.dir, "out.bmp")
        floor = io_floor(src, dst, pct)
        for family, (ours, pillow, opencv, vips, magick) in QUALITY.items():
            known, why = filter_known(tool, a.dir, ours)
            rows, floor = floor, []  # the floor once a case, beside the first family
            if known:
                rows += [("bmpresize 1 thread", [tool, "-t", "1", "--filter", ours, src, dst, str(pct)], one, True,
                          "bmpresize"),
                         ("bmpresize every core", [tool, "--filter", ours, src, dst, str(pct)], ENV, False,
                          "bmpresize")]
            else:
                print(f"| {name} {pct} % | {family} | bmpresize | left out: {' '.join(why)[:70]} | | |")
            rows.append((f"Pillow {pillow}", [sys.executable, "-c", PILLOW_FILTER, src, dst, str(pct), pillow], ENV,
                         True, "Pillow"))
            opencv_cmd = [sys.executable, "-c", OPENCV_FILTER, src, dst, str(pct), opencv]
            rows += [(f"OpenCV {opencv} 1 thread", opencv_cmd, one, True, "OpenCV"),
                     (f"OpenCV {opencv} defaults", opencv_cmd, ENV, False, "OpenCV")]
            if vips:
                vips_cmd = ["vips", "resize", src, dst, str(pct / 100), "--kernel", vips]
                rows += [(f"libvips {vips} 1 thread", vips_cmd, one, True, "libvips"),
                         (f"libvips {vips} defaults", vips_cmd, ENV, False, "libvips")]
            if magick:
                magick_cmd = [convert, src, "-filter", magick, "-resize", f"{pct}%", "BMP3:" + dst]
                rows += [(f"ImageMagick {magick} 1 thread", magick_cmd, one, True, "ImageMagick"),
                         (f"ImageMagick {magick} defaults", magick_cmd, ENV, False, "ImageMagick")]
            times = {}
            for label, cmd, env, single, peer in rows:
                if peer not in chosen:
                    continue
                t, rss, err = measure(cmd, a.runs, a.dir, env)
                if t is None:
                    print(f"| {name} {pct} % | {family} | {label} | failed: {' '.join(err)[:70]} | | |")
                    continue
                times[label] = (t, single)
                ours1 = times.get("bmpresize 1 thread", (None,))[0]
                ratio = f"{t / ours1:.2f}" if ours1 else ""
                print(f"| {name} {pct} % | {family} | {label} | {t:.3f} | {rss:.1f} | {ratio} |", flush=True)
            goals.append((f"{name} {pct} % {family}", times))
            try:
                os.remove(dst)
            except OSError:
                pass
    return goals


def batch(a, tool, cores, convert, one):
    """Many small files into another folder: files per second."""
    folder = os.path.join(a.dir, "batch")
    out = os.path.join(a.dir, "batch-out")
    os.makedirs(folder, exist_ok=True)
    small = os.path.join(a.dir, "640x480-24-bit.bmp")
    if not os.path.exists(small):
        subprocess.run([sys.executable, __file__, "--make", small, "640", "480", "24"], check=True)
    names = [os.path.join(folder, f"{i:05d}.bmp") for i in range(a.batch)]
    for n in names:
        if not os.path.exists(n):
            shutil.copyfile(small, n)

    def fresh():
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)

    loop = f'for f in "$@"; do "{tool}" -t 1 "$f" "{out}/${{f##*/}}" 50 || exit 1; done'
    mogrify = convert.replace("convert", "mogrify")
    rows = [
        ("bmpresize -j cores", [tool, "-j", str(cores)] + names + ["-o", out, "-p", "50"], ENV),
        ("bmpresize shell loop", ["sh", "-c", loop, "sh"] + names, one),
        ("mogrify defaults", [mogrify, "-path", out, "-resize", "50%"] + names, ENV),
        ("vipsthumbnail defaults", ["vipsthumbnail", "--size", "320x240", "-o", out + "/%s.bmp"] + names, ENV),
    ]
    print(f"\nBatch: {a.batch} files of 640 x 480 24-bit at 50 % into another folder; median of {a.runs} runs\n")
    print("| tool | median s | files/s | peak RSS MiB | files/s / ours |")
    print("|---|---|---|---|---|")
    ours = None
    for label, cmd, env in rows:
        program = cmd[0] if cmd[0] != "sh" else tool
        if shutil.which(program) is None and not os.path.exists(program):
            print(f"| {label} | left out: {program} not found | | | |")
            continue
        t, rss, err = measure(cmd, a.runs, a.dir, env, before=fresh)
        if t is None:
            print(f"| {label} | failed: {' '.join(err)[:70]} | | | |")
            continue
        rate = a.batch / t
        ours = ours or rate
        print(f"| {label} | {t:.3f} | {rate:.0f} | {rss:.1f} | {rate / ours:.2f} |", flush=True)
    shutil.rmtree(out, ignore_errors=True)


if __name__ == "__main__":
    main()
