# SPDX-License-Identifier: MIT
"""The size and resolution keywords: the size and resolution written, the
bytes of the percent where a size equals it, and the tool's bytes for its
size options."""
import struct

import pytest

import bmpresize
from conftest import bmp, run_tool

# 40 x 30 pixels at 1234 x 5678 pixels per metre.
PICTURE = bmp(40, 30)[:38] + struct.pack("<ii", 1234, 5678) + bmp(40, 30)[46:]


def header(data):
    """Width, height, and pixels per metre across and down."""
    width, height = struct.unpack_from("<ii", data, 18)
    return (width, height) + struct.unpack_from("<ii", data, 38)


# keywords, what the header then says, the tool's flags for the same
ROWS = [
    ({"width": 20}, (20, 15, 3780, 3780), ["--width", "20"]),
    ({"height": 15}, (20, 15, 3780, 3780), ["--height", "15"]),
    ({"width": 7}, (7, 5, 3780, 3780), ["--width", "7"]),  # 5.25
    ({"width": 6}, (6, 5, 3780, 3780), ["--width", "6"]),  # 4.5, halves up
    ({"width": 3, "height": 50}, (3, 50, 3780, 3780), ["--width", "3", "--height", "50"]),
    ({"size": (3, 50)}, (3, 50, 3780, 3780), ["--size", "3x50"]),
    ({"size": [1, 1]}, (1, 1, 3780, 3780), ["--size", "1x1"]),
    ({"fit": (100, 15)}, (20, 15, 3780, 3780), ["--fit", "100x15"]),
    ({"fit": (100, 100)}, (100, 75, 3780, 3780), ["--fit", "100x100"]),
    ({"fit": (100, 100), "enlarge": False}, (40, 30, 3780, 3780), ["--fit", "100x100", "--no-enlarge"]),
    ({"width": 80, "enlarge": False}, (40, 30, 3780, 3780), ["--width", "80", "--no-enlarge"]),
    ({"width": 20, "enlarge": True}, (20, 15, 3780, 3780), ["--width", "20"]),
    ({"width": 80, "enlarge": None}, (80, 60, 3780, 3780), ["--width", "80"]),
    ({"width": 20, "dpi": 300}, (20, 15, 11811, 11811), ["--width", "20", "--dpi", "300"]),
    ({"width": 20, "dpi": (72, 300)}, (20, 15, 2835, 11811), ["--width", "20", "--dpi", "72,300"]),
    ({"width": 20, "keep_resolution": True}, (20, 15, 1234, 5678), ["--width", "20", "--keep-resolution"]),
    ({"width": 20, "keep_resolution": False, "dpi": None}, (20, 15, 3780, 3780), ["--width", "20"]),
    ({"geometry": "20x"}, (20, 15, 3780, 3780), ["--resize", "20x"]),
    ({"geometry": "100x15"}, (20, 15, 3780, 3780), ["--resize", "100x15"]),
    ({"geometry": "50x10%"}, (20, 3, 3780, 3780), ["--resize", "50x10%"]),
    ({"geometry": "300@", "dpi": 300}, (20, 15, 11811, 11811), ["--resize", "300@", "--dpi", "300"]),
    ({"geometry": "30x10^"}, (30, 23, 3780, 3780), ["--resize", "30x10^"]),
    ({"cover": (10, 20)}, (10, 20, 3780, 3780), ["--cover", "10x20"]),
]


@pytest.mark.parametrize("keywords,written,flags", ROWS, ids=[str(row[0]) for row in ROWS])
def test_size_and_resolution(keywords, written, flags, tmp_path):
    data = bmpresize.resize_bytes(PICTURE, **keywords)
    assert header(data) == written
    source, destination = tmp_path / "in.bmp", tmp_path / "out.bmp"
    source.write_bytes(PICTURE)
    bmpresize.resize_file(source, destination, **keywords)
    assert destination.read_bytes() == data
    assert run_tool(source, tmp_path / "tool.bmp", None, flags) == (data, None)


def test_size_equal_to_a_percent_gives_its_bytes():
    half = bmpresize.resize_bytes(PICTURE, 50)
    for keywords in ({"width": 20}, {"height": 15}, {"size": (20, 15)}, {"fit": (20, 20)}):
        assert bmpresize.resize_bytes(PICTURE, **keywords) == half, keywords
    assert bmpresize.resize_bytes(PICTURE, 50, dpi=96) == half


@pytest.mark.parametrize("keywords,error,words", [
    ({"geometry": "800"}, ValueError, "give 800x for a width or 800% for a percent"),
    ({"geometry": 800}, TypeError, "geometry must be a str"),
    ({"geometry": "20x", "width": 20}, ValueError, "both give the size"),
    ({"cover": (20,)}, ValueError, "pair"),
])
def test_geometry_and_cover_refused(keywords, error, words):
    with pytest.raises(error, match=words):
        bmpresize.resize_bytes(PICTURE, **keywords)
