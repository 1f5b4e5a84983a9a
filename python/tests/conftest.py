# SPDX-License-Identifier: MIT
"""What the tests share: the corpus, the bmpresize tool they are compared
with, and pictures made on the spot. The corpus lies beside the clone
(../shared/corpus) or at BMPRESIZE_CORPUS_DIR, the tool in build/ or at
BMPRESIZE_TOOL; tests that need what is absent are skipped."""
import os
import pathlib
import random
import struct
import subprocess

import pytest

import bmpresize

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
CORPUS = pathlib.Path(os.environ.get("BMPRESIZE_CORPUS_DIR", REPOSITORY.parent / "shared" / "corpus"))
TOOL = pathlib.Path(os.environ.get("BMPRESIZE_TOOL", REPOSITORY / "build" / "bmpresize"))


def corpus_files():
    """Every BMP file of the corpus, by its path inside it."""
    return sorted(str(p.relative_to(CORPUS)) for p in CORPUS.glob("*/**/*.bmp")) if CORPUS.is_dir() else []


def bmp(width, height, seed=0):
    """A 24-bit bottom-up BMP file of noise."""
    stride = (width * 3 + 3) // 4 * 4
    pixels = random.Random(seed).randbytes(stride * height)
    header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
    return header + struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0) + pixels


def tool_hint(error):
    """What the tool adds to the library's reason for an Error: a hint about
    its own options, which the library's words never name."""
    return " (--strict)" if error.cause == bmpresize.Cause.CUT_SHORT else ""


def run_tool(source, destination, percent, flags=()):
    """What the tool does: its destination's bytes (None when it failed) and
    the sentence it printed (None when it printed none). A percent of None
    is left out, for flags that give a size."""
    if not TOOL.is_file():
        pytest.skip(f"no bmpresize tool at {TOOL} (set BMPRESIZE_TOOL)")
    percents = [] if percent is None else [str(percent)]
    done = subprocess.run([str(TOOL), *flags, str(source), str(destination), *percents], capture_output=True)
    said = os.fsdecode(done.stderr).strip()
    assert said == "" or said.startswith("bmpresize: "), said
    written = pathlib.Path(destination).read_bytes() if done.returncode == 0 else None
    return written, said[len("bmpresize: ") :] or None
