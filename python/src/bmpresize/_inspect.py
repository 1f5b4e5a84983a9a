# SPDX-License-Identifier: MIT
"""inspect: what the library's reader finds in a BMP source, writing nothing;
the record the tool's --json prints."""
import ctypes
import dataclasses
import os
import typing

from . import _inflight, _native, _options, _resize


@dataclasses.dataclass(frozen=True)
class Info:
    """What a BMP source holds, as bmpresize --json tells it.

    The header's fields are 0 where the reader did not get that far (a file
    that cannot be opened, is no BMP file, or whose headers are cut short);
    a file refused after its headers still tells them. masks is (red, green,
    blue, alpha), the masks 16- and 32-bit pixels are read with (the file's
    bit fields as it holds them, zeros too, else 5-5-5 at 16 bits and bytes
    blue, green, red, alpha at 32), or None at other depths. compression
    and data_offset are the file's unsigned numbers, as it holds them. needed_size is the pixel data's bytes,
    rows x stride, or -1 for run-length encoded data; file_size is -1 where
    the length cannot be told. has_alpha tells whether the header declares an
    alpha mask (32-bit bit fields with a nonzero one). warnings are what a resize of it would warn
    of, error why a resize would be refused, or None."""

    path: typing.Optional[str]
    width: int
    height: int
    depth: int
    compression: int
    header_size: int
    top_down: bool
    colours: int
    masks: typing.Optional[typing.Tuple[int, int, int, int]]
    has_alpha: bool
    data_offset: int
    file_size: int
    needed_size: int
    x_ppm: int
    y_ppm: int
    warnings: typing.List[str]
    error: typing.Optional[str]


# What inspect heeds of the options: the others are a resize's.
INSPECT_KEYWORDS = ("strict", "memory_limit", "cancel")


def _without(sentence, lead):
    return sentence[len(lead):] if sentence.startswith(lead) else sentence


def _record(function, options):
    for keyword in options:
        # The keywords of what a resize writes have no place here.
        if keyword not in INSPECT_KEYWORDS:
            raise TypeError(f"{function}() got an unexpected keyword argument '{keyword}'")
    return _options.make(function, 100, options)


def _path(source):
    """source as the bytes of a path; a picture's bytes, given as inspect()
    took them before inspect_bytes() came, are refused in words that say so."""
    if isinstance(source, (str, bytes, os.PathLike)):
        try:
            return _resize._path(source, "source")
        except ValueError:
            if isinstance(source, bytes):
                raise ValueError("inspect() takes a path, and source holds a null byte: for a picture's bytes, "
                                 "call inspect_bytes(data)") from None
            raise
    raise TypeError(f"inspect() takes a path (str, bytes or os.PathLike), not {type(source).__name__}: "
                    "for a picture's bytes, call inspect_bytes(data)")


def inspect(source, **options):
    """Reads the BMP picture at the path source (str, bytes or os.PathLike,
    as resize_file takes it) as a resize at 100 % would, and answers an Info.
    A source that a resize would refuse does not raise: its Info has the
    reason in error (and warnings empty), as --json gives it. Options:
    strict=True makes a source cut short an error; memory_limit=N caps the
    bytes the library may take; cancel=Cancel() stops it from another
    thread. A resize's other keywords raise TypeError. For a picture held in
    memory, call inspect_bytes(data)."""
    path = _path(source)
    record = _record("inspect", options)
    described = _native.Source(path=path)
    return _described(described, record, os.fsdecode(path))


def inspect_bytes(data, **options):
    """inspect() of the BMP picture in data (bytes or any buffer, as
    resize_bytes takes it); its Info's path is None."""
    keep, size = _resize._readable(data)
    record = _record("inspect_bytes", options)
    described = _native.Source(data=ctypes.cast(keep, ctypes.c_void_p), size=size)
    info = _described(described, record, None)
    del keep
    return info


def _described(described, record, path):
    library = _native.library()
    info = _native.Info()
    result = _native.Result()
    _inflight.call(record, library.bmpresize_inspect, ctypes.byref(described), record, ctypes.byref(info), result)
    sentence = _resize._describe(library, result, b"source", b"source")
    error = _without(sentence, "source: ") if result.code != 999 else None
    warnings = [_without(sentence, "source: warning: ")] if result.code == 999 and sentence else []
    masks = tuple(info.masks)
    return Info(
        path=path,
        width=info.width,
        height=info.height,
        depth=info.depth,
        compression=info.compression,
        header_size=info.header_size,
        top_down=bool(info.top_down),
        colours=info.colours,
        masks=masks if info.has_masks else None,
        has_alpha=bool(info.has_alpha),
        data_offset=info.data_offset,
        file_size=info.file_size,
        needed_size=info.needed_size,
        x_ppm=info.x_ppm,
        y_ppm=info.y_ppm,
        warnings=warnings,
        error=error,
    )
