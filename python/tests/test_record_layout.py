# SPDX-License-Identifier: MIT
"""The package's copies of bmpresize.h (the ctypes records of _native.py, the
enums and note bits of _errors.py) against the header as a C compiler lays
it out: tests/python/record_layout.c, built with the tests, prints every
field's offset and size and every constant's value. The program is found at
BMPRESIZE_RECORD_LAYOUT or in build/tests/; without it the test is skipped,
unless BMPRESIZE_RECORD_LAYOUT names it.

The package may be ahead of the header it is checked with: a field that lies
in the header's reserved room, or a cause the header does not have yet, is
taken. Whatever the header has must be in the package, the same."""
import ctypes
import os
import pathlib
import re
import subprocess

import pytest

from bmpresize import _errors, _native, _options
from conftest import REPOSITORY

HEADER = REPOSITORY / "include" / "bmpresize.h"
NAMED = os.environ.get("BMPRESIZE_RECORD_LAYOUT")
PROGRAM = pathlib.Path(NAMED or REPOSITORY / "build" / "tests" / "record_layout")

RECORDS = {"bmpresize_shortfall": _native.Shortfall, "bmpresize_result": _native.Result,
           "bmpresize_options": _native.Options, "bmpresize_source": _native.Source,
           "bmpresize_info": _native.Info}
# Where the package keeps each kind of constant: the header's prefix after
# BMPRESIZE_, and the package's values by the name that follows it.
CONSTANTS = {
    "codes": ("", {n: m.value for n, m in _errors.Code.__members__.items()}),
    "causes": ("CAUSE_", {n: m.value for n, m in _errors.Cause.__members__.items()}),
    "notes": ("NOTE_", {n[len("NOTE_"):]: v for n, v in vars(_errors).items() if n.startswith("NOTE_")}),
    "filters": ("FILTER_", {n.upper(): v for n, v in _options.FILTERS.items()}),
}
# The option flags are not copied: the package sets them from keywords of its
# own.
KNOWN_PREFIXES = ("CAUSE_", "NOTE_", "PATH_", "PARTIAL_", "FILTER_", "FIT", "NO_ENLARGE", "GREY", "KEEP_RESOLUTION")


def kind_of(constant):
    """codes, causes or notes for a BMPRESIZE_ constant; None for one the
    package does not copy (the path kinds, what a failure left)."""
    rest = constant[len("BMPRESIZE_"):]
    prefix = next((p for p in KNOWN_PREFIXES if rest.startswith(p)), "")
    return next((kind for kind, (p, _) in CONSTANTS.items() if p == prefix), None)


def header():
    """The header's field names of the copied records, in order, and its
    constants with their values, read from its text."""
    text = re.sub(r"/\*.*?\*/", "", HEADER.read_text(), flags=re.S)
    fields = {}
    for name in RECORDS:
        body = re.search(r"typedef struct %s \{(.*?)\} %s;" % (name, name), text, flags=re.S)
        assert body, f"{HEADER} has no record {name}"
        fields[name] = re.findall(r"(\w+)\s*(?:\[\w+\])?\s*;", body.group(1))
    constants = {n: int(v) for n, v in re.findall(r"\b(BMPRESIZE_\w+)\s*=\s*(-?\d+)", text) if kind_of(n)}
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
    for name, names in fields.items():
        listed = list(compiled["field"].get(name, {}))
        assert listed == names, f"record_layout.c does not list the fields of {name} as the header has them"
    assert compiled["constant"] == constants, "record_layout.c does not list the header's constants as it has them"


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
    prefix, python = CONSTANTS[kind]
    theirs = {n[len("BMPRESIZE_") + len(prefix):]: v for n, v in compiled["constant"].items() if kind_of(n) == kind}
    assert theirs, f"the header has no {kind}"
    for name, value in theirs.items():
        assert python.get(name) == value, f"BMPRESIZE_{prefix}{name} is {value} in the header"
    # A member the header lacks may be one the package knows ahead of it, but
    # not a value the header gives another name.
    for name, value in python.items():
        assert name in theirs or value not in theirs.values(), f"{kind}: {name} = {value} is another name's value"
