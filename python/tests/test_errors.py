# SPDX-License-Identifier: MIT
"""Failures raise the Error a Python caller can sort them by, with the tool's
sentence; wrong arguments raise what Python raises for them."""
import array
import ctypes
import errno
import os
import pickle
import struct
import subprocess
import sys
import warnings
from concurrent.futures import ProcessPoolExecutor

import pytest

import bmpresize
from bmpresize import Cause, Code
from conftest import TOOL, bmp, run_tool, tool_hint

PICTURE = bmp(40, 30)
CUT = PICTURE[:54 + 120 * 4 + 7]  # 4 whole rows of 30, and a bit
SET = bmpresize.Cancel()
SET.set()
# 54 bytes that claim 8192 x 1024 pixels: at 400 %, 402 MB to answer.
CLAIM = PICTURE[:18] + struct.pack("<ii", 8192, 1024) + PICTURE[26:54]
CLAIM_AT_400 = 54 + 32768 * 3 * 4096


def library_tells(cause):
    """Whether the library has a sentence of its own for cause: one from
    before it was added calls the failure "the resize failed"."""
    from bmpresize import _native, _resize
    result = _native.Result(code=Code.TOO_LARGE, cause=cause)
    return "the resize failed" not in _resize._describe(_native.library(), result, None, None)


# A library without a memory limit ignores the option.
UNTIL_MEMORY_LIMIT = pytest.mark.xfail(not library_tells(Cause.MEMORY_LIMIT), strict=True,
                                       reason="the library has no memory limit yet")

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
    ("memory limit", PICTURE, False, 50, {"memory_limit": 1}, None, bmpresize.TooLargeError, Code.TOO_LARGE,
     Cause.MEMORY_LIMIT, None),
]
MARKS = {"memory limit": UNTIL_MEMORY_LIMIT}


@pytest.mark.parametrize("what,data,no_folder,percent,options,flags,error,code,cause,number",
                         [pytest.param(*r, id=r[0], marks=MARKS.get(r[0], ())) for r in ROWS])
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
    assert "(--" not in str(e), "the library's words name none of the tool's options"
    assert not destination.exists() and list(tmp_path.iterdir()) == ([source] if data is not None else [])
    if flags is not None and TOOL.is_file():
        assert run_tool(source, destination, percent, flags) == (None, str(e) + tool_hint(e))


def test_cut_short_warns_and_writes():
    with pytest.warns(bmpresize.CutShortWarning) as caught:
        written = bmpresize.resize_bytes(CUT, 50)
    warning = caught[0].message
    assert (warning.rows_read, warning.rows, warning.top_down) == (4, 30, False)
    assert len(written) == 54 + 20 * 15 * 3
    copy = pickle.loads(pickle.dumps(warning))
    assert (type(copy), str(copy), copy.rows_read, copy.rows, copy.top_down) == (
        bmpresize.CutShortWarning, str(warning), 4, 30, False)


def test_no_colour_table_warns_and_writes_white():
    # 8 bits, 4 x 2 pixels, pixel data at 54: no room for a colour table.
    header = b"BM" + struct.pack("<IHHI", 54 + 8, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 4, 2, 1, 8, 0, 8, 0, 0, 0, 0)
    with pytest.warns(bmpresize.NoColourTableWarning) as caught:
        written = bmpresize.resize_bytes(header + info + bytes(8), 100)
    assert str(caught[0].message) == "source: warning: has no colour table: every pixel is white"
    assert written[54:] == b"\xff" * 12 + b"\xff" * 12
    assert pickle.loads(pickle.dumps(caught[0].message)).args == caught[0].message.args


def resize_warnings_as_errors(data):
    warnings.simplefilter("error")
    return bmpresize.resize_bytes(data, 50)


def test_cut_short_as_an_error_leaves_a_worker_pool_whole():
    with ProcessPoolExecutor(1) as pool:
        with pytest.raises(bmpresize.CutShortWarning) as raised:
            pool.submit(resize_warnings_as_errors, CUT).result()
        assert (raised.value.rows_read, raised.value.rows) == (4, 30)
        assert pool.submit(resize_warnings_as_errors, PICTURE).result() == bmpresize.resize_bytes(PICTURE, 50)


@pytest.mark.parametrize("data,percent,options,cause,value,limit,said", [
    (CLAIM, 400, {"max_bytes": 10**6}, Cause.BUFFER_TOO_SMALL, CLAIM_AT_400, 10**6,
     f"source: the resized picture would take {CLAIM_AT_400} bytes, more than max_bytes=1000000 allows"),
    (PICTURE, 50, {"max_bytes": 954 - 1}, Cause.BUFFER_TOO_SMALL, 954, 953, None),
    pytest.param(PICTURE, 50, {"memory_limit": 1}, Cause.MEMORY_LIMIT, None, 1, None, marks=UNTIL_MEMORY_LIMIT),
], ids=["max_bytes, a claim", "max_bytes, one byte less", "memory limit"])
def test_bytes_refused(data, percent, options, cause, value, limit, said):
    with pytest.raises(bmpresize.TooLargeError) as raised:
        bmpresize.resize_bytes(data, percent, **options)
    e = raised.value
    assert (e.code, e.cause, e.limit) == (Code.TOO_LARGE, cause, limit)
    assert value is None or e.value == value
    assert said is None or str(e) == said
    assert len(bmpresize.resize_bytes(PICTURE, 50, max_bytes=954)) == 954


SPREAD = bytearray(2 * len(PICTURE))
SPREAD[::2] = PICTURE


@pytest.mark.parametrize("data", [bytearray(PICTURE), memoryview(PICTURE), memoryview(bytearray(PICTURE)),
                                  array.array("B", PICTURE), memoryview(SPREAD)[::2]],
                         ids=["bytearray", "view", "writable view", "array", "strided view"])
def test_any_buffer_is_a_source(data):
    assert bmpresize.resize_bytes(data, 50) == bmpresize.resize_bytes(PICTURE, 50)
    assert bytes(data) == PICTURE


def in_bytes(*args, **keywords):
    return lambda: bmpresize.resize_bytes(PICTURE, *args, **keywords)


# what, the call, the error, words its message must hold: the keyword and the value
WRONG = [
    ("float percent", in_bytes(50.0), TypeError, "percent must be a whole number, not 50.0"),
    ("percent as a bool", in_bytes(True), TypeError, "percent must be a whole number, not True"),
    ("percent beyond 32 bits", in_bytes(2**31), ValueError,
     "percent must lie from -2147483648 to 2147483647, not 2147483648"),
    ("negative threads", in_bytes(50, threads=-1), ValueError, "threads must lie from 0 to 2147483647, not -1"),
    ("cancel not a flag", in_bytes(50, cancel=True), TypeError, "cancel must be a bmpresize.Cancel, not True"),
    ("unknown option", in_bytes(50, colour=1), TypeError, "unexpected keyword argument 'colour'"),
    ("a path given as data", lambda: bmpresize.resize_bytes("in.bmp", 50), TypeError, "data must be bytes"),
    ("null byte in a path", lambda: bmpresize.resize_file("in.bmp\0x", "out.bmp", 50), ValueError,
     "source holds a null byte"),
    ("a number as a path", lambda: bmpresize.resize_file(3, "out.bmp", 50), TypeError,
     "source must be a path (str, bytes or os.PathLike), not int"),
    ("negative max_bytes", in_bytes(50, max_bytes=-1), ValueError, "max_bytes must lie from 0"),
    ("max_bytes not a number", in_bytes(50, max_bytes="954"), TypeError, "max_bytes must be a whole number, not '954'"),
    ("max_bytes of a file", lambda: bmpresize.resize_file("in.bmp", "out.bmp", 50, max_bytes=954), TypeError,
     "unexpected keyword argument 'max_bytes'"),
    ("negative memory limit", in_bytes(50, memory_limit=-1), ValueError, "memory_limit must lie from 0"),
    ("float memory limit", in_bytes(50, memory_limit=1e9), TypeError,
     "memory_limit must be a whole number, not 1000000000.0"),
    ("unknown filter", in_bytes(50, filter="box"), ValueError, "filter must be one of 'point', 'area', 'linear', 'cubic', 'mitchell', 'lanczos2', 'lanczos3', not 'box'"),
    ("filter not a name", in_bytes(50, filter=1), TypeError, "filter must be one of 'point', 'area', 'linear', 'cubic', 'mitchell', 'lanczos2', 'lanczos3', not 1"),
    ("depth 2", in_bytes(50, depth=2), ValueError, "depth must be 1, 4, 8, 16, 24 or 32, not 2"),
    ("depth beyond 16 bits", in_bytes(50, depth=2**15), ValueError, "depth must be 1, 4, 8, 16, 24 or 32, not 32768"),
    ("depth not a number", in_bytes(50, depth="8"), TypeError, "depth must be a whole number, not '8'"),
    ("grey at 16 bits", in_bytes(50, grey=True, depth=16), ValueError, "grey=True writes 1, 4 or 8 bits, not depth=16"),
    ("grey at 32 bits", in_bytes(50, depth=32, grey=True), ValueError, "grey=True writes 1, 4 or 8 bits, not depth=32"),
    ("grey as text", in_bytes(50, grey="yes"), TypeError, "grey must be True or False, not 'yes'"),
    ("linear with point", in_bytes(50, linear=True), ValueError,
     'linear=True averages light with filter="area" or a convolution filter, not "point"'),
    ("strict as text", in_bytes(50, strict="no"), TypeError, "strict must be True or False, not 'no'"),
    ("sync as a number", lambda: bmpresize.resize_file("in.bmp", "out.bmp", 50, sync=1), TypeError,
     "sync must be True or False, not 1"),
    ("enlarge as text", in_bytes(width=20, enlarge="no"), TypeError, "enlarge must be True or False, not 'no'"),
    ("keep_resolution as a number", in_bytes(50, keep_resolution=0), TypeError,
     "keep_resolution must be True or False, not 0"),
    ("neither percent nor size", lambda: bmpresize.resize_bytes(PICTURE), TypeError, "needs a percent or a size"),
    ("no percent for a file", lambda: bmpresize.resize_file("in.bmp", "out.bmp"), TypeError, "needs a percent"),
    ("percent and width", in_bytes(50, width=20), ValueError, "give either percent or a size"),
    ("width 0", in_bytes(width=0), ValueError, "width must lie from 1 to 2147483647, not 0"),
    ("height beyond 32 bits", in_bytes(height=2**31), ValueError,
     "height must lie from 1 to 2147483647, not 2147483648"),
    ("float width", in_bytes(width=20.0), TypeError, "width must be a whole number, not 20.0"),
    ("width as a bool", in_bytes(width=True), TypeError, "width must be a whole number, not True"),
    ("size of one side", in_bytes(size=(20,)), ValueError, "size must be a pair of whole numbers, not 1 items: (20,)"),
    ("size not a pair", in_bytes(size=20), TypeError, "size must be a pair of whole numbers, not 20"),
    ("size as a set", in_bytes(size={20, 30}), TypeError, "size must be a pair of whole numbers, not {"),
    ("size as a dict", in_bytes(size={0: 20, 1: 30}), TypeError, "size must be a pair of whole numbers, not {0: 20"),
    ("fit as text", in_bytes(fit="20x20"), TypeError, "fit must be a pair of whole numbers, not '20x20'"),
    ("negative fit", in_bytes(fit=(20, -1)), ValueError, "fit[1] must lie from 1 to 2147483647, not -1"),
    ("size and width", in_bytes(size=(20, 20), width=20), ValueError, "width and size both give the size"),
    ("fit and height", in_bytes(fit=(20, 20), height=20), ValueError, "height and fit both give the size"),
    ("dpi 0", in_bytes(50, dpi=0), ValueError, "dpi must lie from 1 to 54546084, not 0"),
    ("dpi beyond 32 bits", in_bytes(50, dpi=54546085), ValueError, "not 54546085"),
    ("dpi of three", in_bytes(50, dpi=(72, 72, 72)), ValueError, "dpi must be a pair of whole numbers, not 3 items"),
    ("dpi as text", in_bytes(50, dpi="96"), TypeError, "dpi must be a whole number, not '96'"),
    ("dpi as a set", in_bytes(50, dpi={72, 96}), TypeError, "dpi must be a pair of whole numbers, not {"),
    ("dpi and keep_resolution", in_bytes(50, dpi=96, keep_resolution=True), ValueError,
     "dpi and keep_resolution both give the resolution"),
]


@pytest.mark.parametrize("call,error,said", [pytest.param(*r[1:], id=r[0]) for r in WRONG])
def test_wrong_argument(call, error, said):
    with pytest.raises(error) as raised:
        call()
    assert said in str(raised.value)


@pytest.mark.parametrize("keywords", [{"depth": 0}, {"grey": True, "depth": 4}, {"grey": False, "depth": 16},
                                      {"strict": None, "enlarge": None, "depth": None, "filter": None}],
                         ids=["depth 0, the default", "grey at 4 bits", "grey off at 16 bits", "None, the default"])
def test_taken_argument(keywords):
    bmpresize.resize_bytes(PICTURE, 50, **keywords)


def test_depths_refused_are_the_librarys():
    """The package refuses a depth, or grey at a depth, before the call: the
    ones the library refuses, no more and no fewer."""
    from bmpresize import _native, _options
    library = _native.library()
    for depth in range(-1, 34):
        for grey in (False, True):
            options = _options.make("resize_bytes", 50, {})
            options.depth, options.flags = depth, _native.GREY if grey else 0
            needed, result = ctypes.c_size_t(0), _native.Result()
            library.bmpresize_memory_size(PICTURE, len(PICTURE), options, ctypes.byref(needed), result)
            try:
                _options.make("resize_bytes", 50, {"depth": depth, "grey": grey})
                package = Code.OK
            except ValueError:
                package = Code.TOO_LARGE
            assert (depth, grey, package) == (depth, grey, result.code)


@pytest.mark.skipif(sys.platform == "win32", reason="address space limits are POSIX")
def test_no_memory_for_the_result_is_too_large():
    # 30000 x 20000 pixels claimed, a 1.8 GB result, in 1 GB of address space.
    claim = PICTURE[:18] + struct.pack("<ii", 30000, 20000) + PICTURE[26:]
    script = ("import resource, sys, bmpresize; resource.setrlimit(resource.RLIMIT_AS, (2**30, 2**30))\n"
              "try: bmpresize.resize_bytes(sys.stdin.buffer.read(), 100)\n"
              "except bmpresize.TooLargeError as e: print(e.cause.name, e)")
    done = subprocess.run([sys.executable, "-c", script], input=claim, capture_output=True, check=True)
    assert done.stdout.decode().strip() == "NO_MEMORY source: there is not enough memory for the resized picture"


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="ru_maxrss counts KiB on Linux")
def test_bytes_are_held_once():
    script = ("import resource, sys, warnings, bmpresize; warnings.simplefilter('ignore')\n"
              "out = bmpresize.resize_bytes(sys.stdin.buffer.read(), 400, threads=1)\n"
              "print(type(out).__name__, len(out), resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024)")
    done = subprocess.run([sys.executable, "-c", script], input=CLAIM, capture_output=True, check=True)
    kind, size, peak = done.stdout.decode().split()
    assert (kind, int(size)) == ("bytes", CLAIM_AT_400)
    assert int(peak) < 1.5 * CLAIM_AT_400, f"{int(peak) / CLAIM_AT_400:.2f} times the result at the peak"


@pytest.mark.parametrize("kind", ["_InPlace", "_Copied"])
@pytest.mark.parametrize("written", [10, 4], ids=["all", "fewer"])
def test_result_buffer_answers_the_bytes_written(kind, written):
    from bmpresize import _buffer
    if kind == "_InPlace" and not _buffer.CPYTHON:
        pytest.skip("bytes filled in place need CPython")
    with getattr(_buffer, kind)(10) as out:
        ctypes.memmove(out.address, b"0123456789", 10)
        taken = out.take(written)
    assert type(taken) is bytes and taken == b"0123456789"[:written]
    assert sys.getrefcount(taken) == 2  # taken, and getrefcount's argument


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
