# SPDX-License-Identifier: MIT
"""Resizes BMP pictures by a percentage or to a size with the bmpresize
library: the same bytes as the bmpresize tool, on every machine.

    import bmpresize
    bmpresize.resize_file("in.bmp", "out.bmp", 50)
    thumbnail = bmpresize.resize_bytes(upload, 25, strict=True)

A failure raises bmpresize.Error (SourceError, TooLargeError or
DestinationError) with the tool's reason as its text; a source cut short
warns with CutShortWarning, one without a colour table (white) with
NoColourTableWarning. bmpresize.inspect(path) and inspect_bytes(data) tell
what a source holds, writing nothing. The library is the one a wheel
carries beside this package; without one, the file named by the
BMPRESIZE_LIBRARY environment variable; else the installed libbmpresize,
major version 1. Resizes let go of the interpreter lock: threads resize at
once; those still running when the interpreter exits are cancelled, and
leave no temporary file; Ctrl-C cancels a resize on the main thread,
leaving its destination as it was.
"""
from ._errors import (
    Cause,
    Code,
    CutShortWarning,
    DestinationError,
    Error,
    NoColourTableWarning,
    SourceError,
    TooLargeError,
)
from ._inspect import Info, inspect, inspect_bytes
from ._options import Cancel
from ._resize import resize_bytes, resize_file

__version__ = "1.0.0.1"

__all__ = [
    "Cancel",
    "Cause",
    "Code",
    "CutShortWarning",
    "DestinationError",
    "Error",
    "Info",
    "NoColourTableWarning",
    "SourceError",
    "TooLargeError",
    "inspect",
    "inspect_bytes",
    "resize_bytes",
    "resize_file",
]

# Shown as bmpresize.Error and so on, where they are to be caught and called.
for _public in __all__:
    globals()[_public].__module__ = __name__
del _public
