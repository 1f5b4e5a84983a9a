# SPDX-License-Identifier: MIT
"""Over the whole corpus, the package writes the bytes the tool writes, and
fails or warns with the tool's sentence."""
import struct
import warnings

import pytest

import bmpresize
from conftest import CORPUS, bmp, corpus_files, run_tool, tool_hint

# percent, the tool's flags, the package's keywords
ROWS = [(50, [], {}), (200, [], {}), (37, ["--strict"], {"strict": True}), (10, ["--filter", "area"], {"filter": "area"}),
        (41, ["--filter", "lanczos3", "--linear"], {"filter": "lanczos3", "linear": True})]


def package(call):
    """What a call does: its bytes (None when it raised) and its sentence,
    with the hint the tool would add to it."""
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        try:
            written = call()
        except bmpresize.Error as e:
            return None, str(e) + tool_hint(e)
    kinds = (bmpresize.CutShortWarning, bmpresize.NoColourTableWarning)
    assert all(w.category in kinds for w in caught) and len(caught) <= 1
    return written, str(caught[0].message) if caught else None


@pytest.mark.parametrize("name", corpus_files() or [pytest.param("", marks=pytest.mark.skip(f"no corpus at {CORPUS}"))])
def test_corpus_file_as_the_tool(name, tmp_path):
    source = CORPUS / name
    data = source.read_bytes()
    for percent, flags, options in ROWS:
        expected, said = run_tool(source, tmp_path / "tool.bmp", percent, flags)
        ours = tmp_path / f"ours-{percent}.bmp"

        def from_file():
            bmpresize.resize_file(source, ours, percent, **options)
            return ours.read_bytes()

        assert package(from_file) == (expected, said), (percent, flags)
        assert ours.exists() == (expected is not None)
        # From memory the source is called "source".
        said_of_bytes = said and said.replace(f"{source}: ", "source: ", 1)
        assert package(lambda: bmpresize.resize_bytes(data, percent, **options)) == (expected, said_of_bytes)


# the tool's flags, the package's keywords, the bits per pixel written; the
# last rows give every keyword at once, a size in place of the percent
DEPTHS = [
    (["--depth", "1"], {"depth": 1}, 1),
    (["--depth", "4"], {"depth": 4}, 4),
    (["--depth", "8"], {"depth": 8}, 8),
    (["--depth", "16"], {"depth": 16}, 16),
    (["--depth", "32"], {"depth": 32}, 32),
    (["--grey"], {"grey": True}, 8),
    (["--grey", "--depth", "4"], {"grey": True, "depth": 4}, 4),
    ([], {"grey": False, "depth": 0}, 24),
    (
        ["--width", "30", "--height", "9", "--region", "3,2,20,15", "--filter", "area", "--depth", "4", "--grey"]
        + ["--dpi", "300,150"],
        dict(width=30, height=9, region=(3, 2, 20, 15), filter="area", depth=4, grey=True, dpi=(300, 150)),
        4,
    ),
    (
        ["--fit", "25x25", "--no-enlarge", "--region", "0,0,41,5", "--keep-resolution", "--depth", "16"],
        {"fit": (25, 25), "enlarge": False, "region": (0, 0, 41, 5), "keep_resolution": True, "depth": 16},
        16,
    ),
    (
        ["--size", "50x40", "--no-enlarge", "--filter", "area", "--depth", "32", "--dpi", "72"],
        {"size": (50, 40), "enlarge": False, "filter": "area", "depth": 32, "dpi": 72},
        32,
    ),
    (
        ["--no-enlarge", "--region", "10,10,8,8", "--depth", "8", "--keep-resolution", "--filter", "point"],
        {"enlarge": False, "region": (10, 10, 8, 8), "depth": 8, "keep_resolution": True, "filter": "point"},
        8,
    ),
]


@pytest.mark.parametrize("flags,options,bits", DEPTHS, ids=[" ".join(f) or "default" for f, _, _ in DEPTHS])
def test_depth_and_grey_as_the_tool(flags, options, bits, tmp_path):
    source = tmp_path / "in.bmp"
    # A resolution of its own, which keep_resolution copies.
    source.write_bytes(bmp(41, 23, seed=5)[:38] + struct.pack("<ii", 2835, 5000) + bmp(41, 23, seed=5)[46:])
    percent = None if {"width", "height", "size", "fit"} & options.keys() else 70
    written = bmpresize.resize_bytes(source.read_bytes(), percent, **options)
    assert written[28] == bits
    bmpresize.resize_file(source, tmp_path / "out.bmp", percent, **options)
    assert (tmp_path / "out.bmp").read_bytes() == written
    assert run_tool(source, tmp_path / "tool.bmp", percent, flags) == (written, None)
