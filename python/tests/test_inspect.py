# SPDX-License-Identifier: MIT
"""bmpresize.inspect: the record of built files and hostile headers, from a
path and from bytes, and the same record as the tool's --json for every
corpus file."""
import dataclasses
import json
import os
import struct
import subprocess

import pytest

import bmpresize
from conftest import CORPUS, TOOL, bmp, corpus_files


def headers(width, height, depth, offset, compression=0):
    return b"BM" + struct.pack("<IHHI", 0, 0, 0, offset) + struct.pack(
        "<IiiHHIIiiII", 40, width, height, 1, depth, compression, 0, 2835, 3780, 0, 0)


CASES = [
    # bytes, fields expected
    (bmp(3, 2), dict(width=3, height=2, depth=24, header_size=40, top_down=False, masks=None, data_offset=54,
                     needed_size=24, file_size=78, x_ppm=3780, warnings=[], error=None)),
    (headers(1, -1, 32, 54) + bytes(4), dict(top_down=True, masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000))),
    (headers(4, 4, 24, 54) + bytes(29), dict(error=None, warnings=[
        "cut short: only the bottom 2 of its 4 rows could be read; the rows above are white"])),
    (headers(2, 2, 8, 54) + bytes(8), dict(colours=0, warnings=["has no colour table: every pixel is white"])),
    (headers(5, 7, 30, 54), dict(width=5, height=7, depth=30, error="a depth of 30 bits per pixel is not supported")),
    # Masks all zero are told as masks: every pixel they read is black.
    (headers(1, 1, 32, 66, 3) + bytes(12 + 4), dict(compression=3, masks=(0, 0, 0, 0), needed_size=4)),
    # The file's unsigned fields as the numbers they are.
    (headers(1, 1, 24, 0x80000036, 0xFFFFFFFF) + bytes(4),
     dict(compression=0xFFFFFFFF, data_offset=0x80000036, error="compression 4294967295 (unknown) is not supported")),
    # Such a bfOffBits counts as negative: the data, missing here, would follow the masks.
    (headers(2, 1, 16, 0x80000042, 3) + struct.pack("<I", 0xF800), dict(data_offset=66, masks=(0xF800, 0x3E0, 0x1F, 0))),
    (b"\x89PNG\r\n\x1a\n", dict(width=0, header_size=0, error="is not a BMP file (it starts like a PNG image)")),
]


@pytest.mark.parametrize("data, expected", CASES)
def test_inspect_tells_the_record_from_bytes_and_from_a_path(tmp_path, data, expected):
    from_bytes = bmpresize.inspect_bytes(data)
    path = tmp_path / "in.bmp"
    path.write_bytes(data)
    from_path = bmpresize.inspect(path)
    for name, value in expected.items():
        assert getattr(from_bytes, name) == value, name
    assert from_bytes.path is None and from_path.path == str(path)
    assert dataclasses.replace(from_path, path=None) == from_bytes
    assert bmpresize.inspect_bytes(bytearray(data)) == from_bytes
    assert bmpresize.inspect(str(path)) == bmpresize.inspect(os.fsencode(path)) == from_path


# inspect() takes paths alone; a picture's bytes, as it took them once, are refused in words that name the way
@pytest.mark.parametrize("source,error", [(bmp(3, 2), ValueError), (bytearray(bmp(3, 2)), TypeError),
                                          (memoryview(bmp(3, 2)), TypeError), (3, TypeError)],
                         ids=["bytes", "bytearray", "view", "a number"])
def test_inspect_takes_no_picture_bytes(source, error):
    with pytest.raises(error, match=r"inspect\(\) takes a path.*call inspect_bytes\(data\)"):
        bmpresize.inspect(source)


def test_strict_makes_a_source_cut_short_an_error_not_an_exception():
    info = bmpresize.inspect_bytes(headers(4, 4, 24, 54) + bytes(29), strict=True)
    assert info.warnings == [] and info.error.startswith("is cut short: only the bottom 2 of its 4 rows")
    # A resize's keywords are refused, as --info refuses its options.
    for keywords in ({"percent": 50}, {"width": 5}, {"region": (0, 0, 1, 1)}, {"depth": 3}, {"filter": "area"}):
        with pytest.raises(TypeError, match="unexpected keyword"):
            bmpresize.inspect_bytes(b"", **keywords)


@pytest.mark.parametrize("name", corpus_files())
def test_inspect_is_what_the_tool_prints_as_json(name):
    if not TOOL.is_file():
        pytest.skip(f"no bmpresize tool at {TOOL} (set BMPRESIZE_TOOL)")
    path = str(CORPUS / name)
    done = subprocess.run([str(TOOL), "--json", path], capture_output=True, check=False)
    printed = json.loads(done.stdout)
    info = dataclasses.asdict(bmpresize.inspect(path))
    info["masks"] = list(info["masks"]) if info["masks"] else None
    assert printed == info
    assert done.returncode == (0 if info["error"] is None else 1)
