# SPDX-License-Identifier: MIT
"""region=(x, y, width, height) resizes that rectangle of the source alone:
the bytes of the same resize of a picture cut to it, in memory and from a
file, as the tool's --region; one not inside the picture is refused."""
import struct

import pytest

import bmpresize
from bmpresize import Cause, Code
from conftest import TOOL, bmp, run_tool

WIDTH, HEIGHT = 40, 30
PICTURE = bmp(WIDTH, HEIGHT, seed=7)


def cut(data, width, height, x, y, w, h):
    """The 24-bit bottom-up picture in data cut to the w x h rectangle at (x, y) from its top-left corner."""
    stride, new_stride = (width * 3 + 3) // 4 * 4, (w * 3 + 3) // 4 * 4
    rows = []
    for row in range(h):  # the file's rows go up from the picture's bottom
        start = 54 + (height - 1 - (y + h - 1 - row)) * stride + 3 * x
        rows.append(data[start:start + 3 * w] + bytes(new_stride - 3 * w))
    pixels = b"".join(rows)
    header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
    return header + struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 3780, 3780, 0, 0) + pixels


@pytest.mark.parametrize("region", [(0, 0, WIDTH, HEIGHT), (0, 0, 1, 1), (WIDTH - 1, HEIGHT - 1, 1, 1),
                                    (3, 4, 10, 7), (0, 29, 40, 1), (39, 0, 1, 30)],
                         ids=["whole", "top-left pixel", "bottom-right pixel", "inside", "bottom row", "last column"])
@pytest.mark.parametrize("percent", [50, 100, 230])
def test_region_is_the_resize_of_the_picture_cut_to_it(tmp_path, region, percent):
    expected = bmpresize.resize_bytes(cut(PICTURE, WIDTH, HEIGHT, *region), percent)
    assert bmpresize.resize_bytes(PICTURE, percent, region=region, threads=3) == expected
    source, destination = tmp_path / "in.bmp", tmp_path / "out.bmp"
    source.write_bytes(PICTURE)
    bmpresize.resize_file(source, destination, percent, region=region)
    assert destination.read_bytes() == expected
    if TOOL.is_file():
        flags = ["--region", ",".join(map(str, region))]
        assert run_tool(source, tmp_path / "tool.bmp", percent, flags) == (expected, None)


@pytest.mark.parametrize("region", [(38, 0, 3, 1), (0, 29, 1, 2), (40, 30, 1, 1), (2**31 - 1, 0, 1, 1)],
                         ids=["past the right", "past the bottom", "beyond the corner", "a corner past 2^31"])
def test_region_outside_the_picture_is_refused(region):
    with pytest.raises(bmpresize.TooLargeError) as raised:
        bmpresize.resize_bytes(PICTURE, 50, region=region)
    e = raised.value
    assert (e.code, e.cause, e.value, e.limit) == (Code.TOO_LARGE, Cause.REGION, WIDTH, HEIGHT)
    assert str(e) == f"source: the region asked for is not inside the picture, {WIDTH} x {HEIGHT} pixels"


@pytest.mark.parametrize("region,error,said", [
    ((0, 0, 1), ValueError, "not 3 items"), ("0,0,1,1", TypeError, "not '0,0,1,1'"), (5, TypeError, "not 5"),
    ((0, 0, 1.0, 1), TypeError, "region width must be a whole number, not 1.0"),
    ({3, 2, 1, 0}, TypeError, "region must be (x, y, width, height), not {"),
    ({0: 0, 1: 0, 2: 1, 3: 1}, TypeError, "not {0: 0"),
    ((0, 0, True, 1), TypeError, "region width must be a whole number, not True"),
    ((-1, 0, 1, 1), ValueError, "region x must lie from 0 to 2147483647, not -1"),
    ((0, 0, 0, 1), ValueError, "region width must lie from 1"), ((0, 0, 1, 0), ValueError, "region height must lie"),
    ((0, 0, 2**31, 1), ValueError, "not 2147483648"),
], ids=["three items", "a string", "a number", "a float", "a set", "a dict", "a bool", "negative x", "no width",
        "no height", "width past 2^31"])
def test_wrong_region(region, error, said):
    with pytest.raises(error) as raised:
        bmpresize.resize_bytes(PICTURE, 50, region=region)
    assert said in str(raised.value)


@pytest.mark.parametrize("region,same", [([3, 4, 10, 7], (3, 4, 10, 7)), (range(3, 7), (3, 4, 5, 6))],
                         ids=["list", "range"])
def test_region_is_any_sequence_of_four(region, same):
    assert bmpresize.resize_bytes(PICTURE, 50, region=region) == bmpresize.resize_bytes(PICTURE, 50, region=same)


def test_region_none_is_the_whole_picture():
    assert bmpresize.resize_bytes(PICTURE, 50, region=None) == bmpresize.resize_bytes(PICTURE, 50)
