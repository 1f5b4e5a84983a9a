# SPDX-License-Identifier: MIT
"""What a resize answers, as Python exceptions and warnings."""
import enum


class Code(enum.IntEnum):
    """The result codes of the C library."""

    OK = 999
    SOURCE_NOT_BMP = 0
    SOURCE_UNREADABLE = -1
    DESTINATION_FAILED = -2
    TOO_LARGE = -3


class Cause(enum.IntEnum):
    """Why a resize did not finish: one cause a result."""

    NONE = 0
    OPEN_FAILED = 1
    NOT_BMP = 2
    EMPTY = 3
    SHORT_HEADER = 4
    COMPRESSION = 5
    DEPTH = 6
    WIDTH = 7
    HEIGHT = 8
    TOO_MANY_PIXELS = 9
    COMPRESSION_DEPTH = 10
    TOP_DOWN_COMPRESSED = 11
    COMPRESSION_FOR_HEADER = 12
    DEPTH_FOR_HEADER = 13
    READ_FAILED = 14
    CUT_SHORT = 15
    NO_MEMORY_TO_READ = 16
    SIDE_TOO_LARGE = 17
    FILE_TOO_LARGE = 18
    ROW_TOO_WIDE = 19
    NO_MEMORY = 20
    NO_DESTINATION = 21
    CREATE_FAILED = 22
    NOT_WRITABLE = 23
    SAME_AS_SOURCE = 24
    WRITE_FAILED = 25
    BUFFER_TOO_SMALL = 26
    CANCELLED = 27
    MEMORY_LIMIT = 28
    INTERNAL = 29
    REGION = 30
    OPTION = 31


def _known(kind, number):
    """The enum member for number, or number itself when this version does
    not know it (a later library may add causes)."""
    try:
        return kind(number)
    except ValueError:
        return number


class Error(Exception):
    """A resize that failed: nothing was written, and the destination is as
    it was (unless partial_left says otherwise).

    str(error) is the reason, the sentence the bmpresize tool prints (without
    the hints the tool adds about its own options), such as "in.bmp: is not a
    BMP file (it starts like a PNG image)". code is a Code,
    cause a Cause (or an int this version does not know); value and limit
    are the numbers behind the cause; errno is the system's error number when
    a system call failed, else None.
    """

    def __init__(self, reason, code, cause, value=0, limit=0, errno=None, partial_left=False):
        super().__init__(reason)
        self.reason = reason
        self.code = _known(Code, code)
        self.cause = _known(Cause, cause)
        self.value = value
        self.limit = limit
        self.errno = errno
        self.partial_left = partial_left

    def __reduce__(self):
        # Whole across processes (multiprocessing pickles what a worker raises).
        fields = (self.reason, self.code, self.cause, self.value, self.limit, self.errno, self.partial_left)
        return type(self), fields


class SourceError(Error):
    """The source cannot be opened, is not a BMP picture, or cannot be read
    (code SOURCE_NOT_BMP or SOURCE_UNREADABLE)."""


class TooLargeError(Error):
    """The resized picture cannot be made: too large, or no memory for it
    (code TOO_LARGE)."""


class DestinationError(Error):
    """The destination cannot be written, or the resize was cancelled
    (code DESTINATION_FAILED)."""


_ERRORS = {
    Code.SOURCE_NOT_BMP: SourceError,
    Code.SOURCE_UNREADABLE: SourceError,
    Code.TOO_LARGE: TooLargeError,
    Code.DESTINATION_FAILED: DestinationError,
}


class CutShortWarning(UserWarning):
    """The source's data ended before its picture did; the resize went on
    with the rows it had (the others white, or repeating the last pixel of a
    16-bit source). Pass strict=True to make this an Error instead.

    str(warning) is the tool's warning; rows_read of rows came from the
    source, the top ones when top_down, else the bottom ones."""

    def __init__(self, reason, rows_read, rows, top_down):
        super().__init__(reason)
        self.reason = reason
        self.rows_read = rows_read
        self.rows = rows
        self.top_down = top_down

    def __reduce__(self):
        # Whole across processes, as Error is: a worker that turns warnings
        # into errors raises it, and multiprocessing pickles it.
        return type(self), (self.reason, self.rows_read, self.rows, self.top_down)


class NoColourTableWarning(UserWarning):
    """The source has 1 to 8 bits per pixel and its pixel data starts where
    its colour table would: the table has no entry, and every pixel of the
    resized picture is white. str(warning) is the tool's warning."""


# The bits of the result's notes.
NOTE_NO_COLOUR_TABLE = 1
NOTE_NEED_AT_LEAST = 2  # a MEMORY_LIMIT error's value is the least the resize needs


def error_for(result, reason):
    """The exception for a failed result and its sentence."""
    kind = _ERRORS.get(result.code, Error)
    return kind(
        reason,
        result.code,
        result.cause,
        value=result.value,
        limit=result.limit,
        errno=result.error or None,
        partial_left=bool(result.partial_left),
    )


def warning_for(result, reason):
    if result.notes & NOTE_NO_COLOUR_TABLE:
        return NoColourTableWarning(reason)
    shortfall = result.shortfall
    return CutShortWarning(reason, shortfall.rows_read, shortfall.rows, bool(shortfall.top_down))
