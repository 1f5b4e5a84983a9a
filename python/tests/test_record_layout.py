# SPDX-License-Identifier: MIT
"""The package's copies of bmpresize.h (the ctypes records and option values
of _native.py, the enums and note bits of _errors.py) against the header as
a C compiler lays it out: tests/python/record_layout.c, built with the
tests, prints every record's fields (offset and size) and every constant's
value. The program is found at BMPRESIZE_RECORD_LAYOUT or in build/tests/;
without it the test is skipped, unless BMPRESIZE_RECORD_LAYOUT names it.

Every record and constant of the header is the package's, the same, or is
one of the few NOT_COPIED for the reason given there: one the header gains
fails until it is either. The package may be ahead of the header it is
checked with: a field that lies in the header's reserved room, or a cause
the header does not have yet, is taken."""
import ctypes
import os
import pathlib
import re
import subprocess

import pytest

from bmpresize import _errors, _native
from conftest import REPOSITORY

HEADER = REPOSITORY / "include" / "bmpresize.h"
NAMED = os.environ.get("BMPRESIZE_RECORD_LAYOUT")
PROGRAM = pathlib.Path(NAMED or REPOSITORY / "build" / "tests" / "record_layout")

RECORDS = {"bmpresize_shortfall": _native.Shortfall, "bmpresize_result": _native.Result,
           "bmpresize_options": _native.Options, "bmpresize_source": _native.Source,
           "bmpresize_info": _native.Info}
FLAGS = ("FIT", "NO_ENLARGE", "GREY", "KEEP_RESOLUTION", "COVER", "LINEAR")
# Each kind of constant: which of the header's names (after BMPRESIZE_) it
# takes, and the package's values by those names. The result codes share no
# prefix: they take what no other kind does, a constant new to the header too.
CONSTANTS = {
    "causes": (lambda name: name.startswith("CAUSE_"),
               {"CAUSE_" + n: m.value for n, m in _errors.Cause.__members__.items()}),
    "notes": (lambda name: name.startswith("NOTE_"),
              {n: v for n, v in vars(_errors).items() if n.startswith("NOTE_")}),
    "flags": (lambda name: name in FLAGS, {n: getattr(_native, n) for n in FLAGS}),
    "geometry": (lambda name: name.startswith("GEOMETRY_"),
                 {n: v for n, v in vars(_native).items() if n.startswith("GEOMETRY_")}),
    "filters": (lambda name: name.startswith("FILTER_"),
                {n: v for n, v in vars(_native).items() if n.startswith("FILTER_")}),
    "codes": (lambda name: True, {n: m.value for n, m in _errors.Code.__members__.items()}),
}
# What the package has no use for, and why.
NOT_COPIED = {
    "bmpresize_destination": "resize_file passes paths and resize_bytes a buffer: no write function",
    "BMPRESIZE_PATH_": "the package gives the library's sentence for a path that cannot be opened",
    "BMPRESIZE_PARTIAL_": "Error.partial_left tells whether anything was left, not what",
    "BMPRESIZE_DEFAULT_MEMORY_LIMIT": "the package passes 0 for the default",
}


def kind_of(constant):
    """The kind of a BMPRESIZE_ constant, or None for one not copied."""
    if any(constant.startswith(name) for name in NOT_COPIED):
        return None
    return next(kind for kind, (takes, _) in CONSTANTS.items() if takes(constant[len("BMPRESIZE_"):]))


def header():
    """Every record of the header with its field names in order, and every
    constant: the enums' with their values, the macros' with None."""
    text = re.sub(r"/\*.*?\*/", "", HEADER.read_text(), flags=re.S)
    fields = {name: re.findall(r"(\w+)\s*(?:\[\w+\])?\s*;", body)
              for name, body in re.findall(r"typedef struct (\w+) \{(.*?)\}", text, flags=re.S)}
    constants = {n: int(v) for n, v in re.findall(r"\b(BMPRESIZE_\w+)\s*=\s*(-?\d+)", text)}
    # A macro whose value is a number (not the header's guard, nor an attribute).
    constants.update({n: None for n in re.findall(r"#define (BMPRESIZE_\w+)\s+\(.*\d", text)})
    return fields, constants


@pytest.fixture(scope="module")
def compiled():
    """What record_layout prints: the pointer size, the records' sizes, the
    fields' (offset, size) and the constants' values."""
    if not PROGRAM.is_file():
        if NAMED:
            pytest.fail(f"BMPRESIZE_RECORD_LAYOUT={NAMED} is not a file")
        pytest.skip(f"no record_layout at {PROGRAM} (build the tests, or set BMPRESIZE_RECORD_LAYOUT)")
    out = {"pointer": 0, "record": {}, "field": {}, "constant": {}}
    for line in subprocess.run([str(PROGRAM)], capture_output=True, text=True, check=True).stdout.splitlines():
        kind, *words = line.split()
        if kind == "pointer":
            out["pointer"] = int(words[0])
        elif kind == "record":
            out["record"][words[0]] = int(words[1])
        elif kind == "field":
            out["field"].setdefault(words[0], {})[words[1]] = (int(words[2]), int(words[3]))
        else:
            out["constant"][words[0]] = int(words[1])
    if out["pointer"] != ctypes.sizeof(ctypes.c_void_p):
        pytest.skip(f"record_layout was built for {8 * out['pointer']}-bit pointers, this Python has "
                    f"{8 * ctypes.sizeof(ctypes.c_void_p)}")
    return out


def test_the_program_prints_the_whole_header(compiled):
    fields, constants = header()
    assert list(compiled["field"]) == list(fields), "record_layout.c does not list the header's records"
    for name, names in fields.items():
        listed = list(compiled["field"].get(name, {}))
        assert listed == names, f"record_layout.c does not list the fields of {name} as the header has them"
    assert sorted(compiled["constant"]) == sorted(constants), "record_layout.c does not list the header's constants"
    for name, value in constants.items():
        assert value is None or compiled["constant"][name] == value, name


def test_the_package_has_every_record(compiled):
    records = [name for name in compiled["record"] if name not in RECORDS and name not in NOT_COPIED]
    assert not records, f"the package has no copy of {records}: add one to _native.py, or to NOT_COPIED with why"


@pytest.mark.parametrize("name", RECORDS)
def test_record_as_the_compiler_lays_it_out(compiled, name):
    record = RECORDS[name]
    assert ctypes.sizeof(record) == compiled["record"][name], f"{record.__name__} is not the size of {name}"
    c_fields = compiled["field"][name]
    python_fields = {field: (getattr(record, field).offset, getattr(record, field).size)
                     for field, *_ in record._fields_}
    for field, place in c_fields.items():
        if field != "reserved":
            assert python_fields.get(field) == place, f"{record.__name__}.{field}: (offset, size) against {name}'s"
    # What the package has beyond the header lies in the header's reserved room.
    room_start, room_size = c_fields.get("reserved", (0, 0))
    for field, (offset, size) in python_fields.items():
        if field not in c_fields or field == "reserved":
            assert room_start <= offset and offset + size <= room_start + room_size, (
                f"{record.__name__}.{field} at {offset} ({size} bytes) lies outside {name}'s reserved room")


@pytest.mark.parametrize("kind", CONSTANTS)
def test_constants_have_the_header_values(compiled, kind):
    _, python = CONSTANTS[kind]
    theirs = {n[len("BMPRESIZE_"):]: v for n, v in compiled["constant"].items() if kind_of(n) == kind}
    assert theirs, f"the header has no {kind}"
    for name, value in theirs.items():
        assert python.get(name) == value, f"BMPRESIZE_{name} is {value} in the header"
    # A member the header lacks may be one the package knows ahead of it, but
    # not a value the header gives another name.
    for name, value in python.items():
        assert name in theirs or value not in theirs.values(), f"{kind}: {name} = {value} is another name's value"
