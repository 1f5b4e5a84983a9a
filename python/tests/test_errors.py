# SPDX-License-Identifier: MIT
"""Failures raise the Error a Python caller can sort them by, with the tool's
sentence; wrong arguments raise what Python raises for them."""
import array
import errno
import os
import pickle
import struct
import subprocess
import sys

import pytest

import bmpresize
from bmpresize import Cause, Code
from conftest import TOOL, bmp, run_tool

PICTURE = bmp(40, 30)
CUT = PICTURE[:54 + 120 * 4 + 7]  # 4 whole rows of 30, and a bit
SET = bmpresize.Cancel()
SET.set()

# what, source bytes (None: no file), destination in a missing folder, percent, keywords, tool flags (None: the
# tool has no such case), error, code, cause, errno
ROWS = [
    ("not a BMP", b"\x89PNG\r\n\x1a\n" + bytes(60), False, 50, {}, [], bmpresize.SourceError, Code.SOURCE_NOT_BMP,
     Cause.NOT_BMP, None),
    ("missing source", None, False, 50, {}, [], bmpresize.SourceError, Code.SOURCE_NOT_BMP, Cause.OPEN_FAILED,
     errno.ENOENT),
    ("cut short, strict", CUT, False, 50, {"strict": True}, ["--strict"], bmpresize.SourceError,
     Code.SOURCE_UNREADABLE, Cause.CUT_SHORT, None),
    ("missing folder", PICTURE, True, 50, {}, [], bmpresize.DestinationError, Code.DESTINATION_FAILED,
     Cause.CREATE_FAILED, errno.ENOENT),
    ("file beyond 4 GiB", PICTURE, False, 2**31 - 1, {}, [], bmpresize.TooLargeError, Code.TOO_LARGE,
     Cause.FILE_TOO_LARGE, None),
    ("cancelled", PICTURE, False, 50, {"cancel": SET}, None, bmpresize.DestinationError, Code.DESTINATION_FAILED,
     Cause.CANCELLED, None),
]


@pytest.mark.parametrize("what,data,no_folder,percent,options,flags,error,code,cause,number", ROWS,
                         ids=[r[0] for r in ROWS])
def test_failure_is_told(tmp_path, what, data, no_folder, percent, options, flags, error, code, cause, number):
    source = tmp_path / "in.bmp"
    if data is not None:
        source.write_bytes(data)
    destination = tmp_path / "missing" / "out.bmp" if no_folder else tmp_path / "out.bmp"
    with pytest.raises(error) as raised:
        bmpresize.resize_file(source, destination, percent, **options)
    e = pickle.loads(pickle.dumps(raised.value))  # as a worker process hands it over
    assert (type(e), str(e), e.code, e.cause, e.errno, e.partial_left) == (error, str(raised.value), code, cause,
                                                                            number, False)
    assert not destination.exists() and list(tmp_path.iterdir()) == ([source] if data is not None else [])
    if flags is not None and TOOL.is_file():
        assert run_tool(source, destination, percent, flags) == (None, str(e))


def test_cut_short_warns_and_writes():
    with pytest.warns(bmpresize.CutShortWarning) as caught:
        written = bmpresize.resize_bytes(CUT, 50)
    warning = caught[0].message
    assert (warning.rows_read, warning.rows, warning.top_down) == (4, 30, False)
    assert len(written) == 54 + 20 * 15 * 3


SPREAD = bytearray(2 * len(PICTURE))
SPREAD[::2] = PICTURE


@pytest.mark.parametrize("data", [bytearray(PICTURE), memoryview(PICTURE), memoryview(bytearray(PICTURE)),
                                  array.array("B", PICTURE), memoryview(SPREAD)[::2]],
                         ids=["bytearray", "view", "writable view", "array", "strided view"])
def test_any_buffer_is_a_source(data):
    assert bmpresize.resize_bytes(data, 50) == bmpresize.resize_bytes(PICTURE, 50)
    assert bytes(data) == PICTURE


@pytest.mark.parametrize("call,error", [
    (lambda: bmpresize.resize_bytes(PICTURE, 50.0), TypeError),
    (lambda: bmpresize.resize_bytes(PICTURE, 2**31), ValueError),
    (lambda: bmpresize.resize_bytes(PICTURE, 50, threads=-1), ValueError),
    (lambda: bmpresize.resize_bytes(PICTURE, 50, cancel=True), TypeError),
    (lambda: bmpresize.resize_bytes(PICTURE, 50, colour=1), TypeError),
    (lambda: bmpresize.resize_bytes("in.bmp", 50), TypeError),
    (lambda: bmpresize.resize_file("in.bmp\0x", "out.bmp", 50), ValueError),
], ids=["float percent", "percent beyond 32 bits", "negative threads", "cancel not a flag", "unknown option",
        "a path given as data", "null byte in a path"])
def test_wrong_argument(call, error):
    with pytest.raises(error):
        call()


@pytest.mark.skipif(sys.platform == "win32", reason="address space limits are POSIX")
def test_no_memory_for_the_result_is_too_large():
    # 30000 x 20000 pixels claimed, a 1.8 GB result, in 1 GB of address space.
    claim = PICTURE[:18] + struct.pack("<ii", 30000, 20000) + PICTURE[26:]
    script = ("import resource, sys, bmpresize; resource.setrlimit(resource.RLIMIT_AS, (2**30, 2**30))\n"
              "try: bmpresize.resize_bytes(sys.stdin.buffer.read(), 100)\n"
              "except bmpresize.TooLargeError as e: print(e.cause.name, e)")
    done = subprocess.run([sys.executable, "-c", script], input=claim, capture_output=True, check=True)
    assert done.stdout.decode().strip() == "NO_MEMORY source: there is not enough memory for the resized picture"


@pytest.mark.skipif(sys.platform == "win32", reason="Windows names no descriptor by path")
@pytest.mark.parametrize("spelling", ["/dev/fd/{}", "/proc/self/fd/{}"])
def test_descriptor_path_is_written_where_it_stands(tmp_path, spelling):
    source = tmp_path / "in.bmp"
    source.write_bytes(bmp(9, 7))
    bmpresize.resize_file(source, tmp_path / "expected.bmp", 50)
    target = tmp_path / "log.bin"
    target.write_bytes(b"HELD")
    fd = os.open(target, os.O_WRONLY | os.O_APPEND)
    try:
        for _ in range(2):
            bmpresize.resize_file(source, spelling.format(fd), 50)
    finally:
        os.close(fd)
    assert target.read_bytes() == b"HELD" + 2 * (tmp_path / "expected.bmp").read_bytes()
    with pytest.raises(bmpresize.DestinationError, match="Bad file descriptor"):
        bmpresize.resize_file(source, spelling.format(fd), 50)
