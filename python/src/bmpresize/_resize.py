# SPDX-License-Identifier: MIT
"""resize_file and resize_bytes over the C library, which resizes with the
interpreter lock let go."""
import ctypes
import os
import sys
import warnings

from . import _buffer, _errors, _inflight, _native, _options


def _describe(library, result, source_name, destination_name):
    """The sentence the tool prints for result, naming the source and the
    destination as given (bytes, or None for the library's own words)."""
    length = library.bmpresize_describe(ctypes.byref(result), source_name, destination_name, None, 0)
    text = ctypes.create_string_buffer(length + 1)
    library.bmpresize_describe(ctypes.byref(result), source_name, destination_name, text, length + 1)
    return os.fsdecode(text.value)


def _raise_failure(library, result, source_name, destination_name):
    if result.code != _errors.Code.OK:
        raise _errors.error_for(result, _describe(library, result, source_name, destination_name))


def _answer(library, result, source_name, destination_name):
    """Raises the Error of a failed result; warns of a source cut short or
    without a colour table."""
    _raise_failure(library, result, source_name, destination_name)
    if result.shortfall.cut_short or result.notes:
        reason = _describe(library, result, source_name, destination_name)
        # Past _answer and the public function: the warning points at the caller.
        warnings.warn(_errors.warning_for(result, reason), stacklevel=3)


def _path(value, what):
    """A path argument as the bytes the file functions take."""
    try:
        path = os.fsencode(value)
    except TypeError:
        raise TypeError(f"{what} must be a path (str, bytes or os.PathLike), not {type(value).__name__}") from None
    if b"\0" in path:
        raise ValueError(f"{what} holds a null byte")
    return path


def resize_file(source, destination, percent=None, **options):
    """Resizes the BMP picture at the path source by percent (50 halves each
    side, 200 doubles it), or to a size given in its place, into the file at
    destination, a 24-bit BMP (32-bit when the source has 32 bits). The
    destination is replaced whole or not at all.

    Sizes, in pixels, in place of percent: width=W or height=H (the other
    side kept to the source's aspect, rounded to nearest with halves up, at
    least 1; both give the exact size), size=(W, H) the exact size,
    fit=(W, H) the largest size of the source's aspect within W x H;
    cover=(W, H) exactly W x H, the largest centred part of the source of
    that aspect resized (filled and cropped); geometry="800x600>" an
    ImageMagick geometry (800x600, 800x, x600, with !, ^, > or <; 50%,
    50x25%, 250000@), with the sizes ImageMagick gives;
    enlarge=False never makes the picture larger than the source (a larger
    size keeps the source's, a fit box is capped at it). The resolution
    written: dpi=N or dpi=(X, Y) in dots per inch (default 96), or
    keep_resolution=True for the source's (96 where it has none).

    Options: strict=True makes a source cut short an Error (else its missing
    rows are white, with a CutShortWarning); sync=True makes the new file
    reach the disk before it replaces the old one; cancel=Cancel() stops the
    resize when set from another thread; threads=N caps the threads one
    resize may use (default 0: every core; 1 keeps it on the calling thread);
    memory_limit=N caps the bytes the library may take for the resize
    (default 0: 256 MiB), beyond which it is a TooLargeError (cause
    MEMORY_LIMIT) before anything is written; region=(x, y, width, height)
    resizes only that rectangle of the source, from its top-left corner
    (percent applies to its width and height), and one not inside the
    picture is a TooLargeError (cause REGION) before anything is written.
    filter="area" makes each pixel the exact average of the source pixels it
    covers (default "point": the bilinear sampler), for thumbnails without
    moire; "linear", "cubic", "mitchell", "lanczos2" and "lanczos3" convolve
    with that kernel, widened when shrinking.
    depth=N writes N bits per pixel: 1, 4 or 8 (the standard colour table,
    each pixel its nearest entry), 16 (5-6-5), 24 or 32 (alpha 255 from a
    source without alpha); grey=True writes 2, 16 or 256 greys at 1, 4 or 8
    bits (8 without depth), each pixel the grey nearest to its luminance as
    Pillow's convert("L") works it out. Another depth, or grey above 8 bits,
    is a ValueError.

    A resize still running on another thread when the interpreter exits is
    cancelled (DestinationError, cause CANCELLED), and the exit waits a few
    seconds for it to give its destination up: no temporary file is left.

    Ctrl-C (KeyboardInterrupt, or what a signal handler raises) during a
    resize on the main thread stops it: the destination is left as it was,
    and the exception is raised once the resize has stopped.

    Raises SourceError, TooLargeError or DestinationError (all Error), whose
    text is the tool's reason; a value out of range ValueError, one of the
    wrong type TypeError."""
    source_path = _path(source, "source")
    destination_path = _path(destination, "destination")
    record = _options.make("resize_file", percent, options)
    library = _native.library()
    result = _native.Result()
    # A Ctrl-C that comes too late to stop the resize says so.
    note = f"bmpresize: {os.fsdecode(destination_path)} was written before the interrupt could stop the resize"
    if sys.platform == "win32":
        paths, function = (os.fsdecode(source), os.fsdecode(destination)), library.bmpresize_file_w
    else:
        paths, function = (source_path, destination_path), library.bmpresize_file
    _inflight.call(record, function, *paths, record, result, finished_note=note)
    _answer(library, result, source_path, destination_path)


def _readable(data):
    """data as something ctypes passes as a pointer, and its length: bytes as
    they are, a writable buffer in place, any other buffer copied."""
    if isinstance(data, bytes):
        return data, len(data)
    try:
        view = memoryview(data)
    except TypeError:
        raise TypeError(f"data must be bytes or a buffer, not {type(data).__name__}") from None
    if view.readonly or not view.c_contiguous:
        return view.tobytes(), view.nbytes
    return (ctypes.c_char * view.nbytes).from_buffer(view.cast("B")), view.nbytes


def _refuse(library, result, code, cause, value=0, limit=0, reason=None):
    """Raises the Error of a failure found on this side of the library, with
    the library's sentence for its cause unless reason is given."""
    result.code, result.cause, result.value, result.limit = code, cause, value, limit
    raise _errors.error_for(result, reason or _describe(library, result, None, None))


def _result_buffer(library, result, size):
    """A buffer of size bytes for the resized picture, or the library's
    TooLargeError when there is no memory for it."""
    try:
        return _buffer.Buffer(size)
    except MemoryError:
        _refuse(library, result, _errors.Code.TOO_LARGE, _errors.Cause.NO_MEMORY)


def resize_bytes(data, percent=None, *, max_bytes=None, **options):
    """Resizes the BMP picture in data (bytes or any buffer) by percent, or
    to a size given in its place, and answers the resized picture's bytes,
    which are the bytes resize_file writes. Takes the options and sizes of
    resize_file (sync has nothing to do here).
    Errors name the source "source" and the destination "destination".

    The size of the result is known from data's headers before any memory is
    taken for it: max_bytes=N refuses a larger one (TooLargeError, cause
    BUFFER_TOO_SMALL, value the bytes it needs, limit N) before it is
    allocated. The bytes answered are the one buffer the library wrote into
    (on CPython; other interpreters copy it once)."""
    source, size = _readable(data)
    most = None if max_bytes is None else _options.max_bytes(max_bytes)
    record = _options.make("resize_bytes", percent, options)
    library = _native.library()
    result = _native.Result()
    needed = ctypes.c_size_t(0)
    library.bmpresize_memory_size(source, size, record, ctypes.byref(needed), result)
    _raise_failure(library, result, None, None)
    if most is not None and needed.value > most:
        reason = f"source: the resized picture would take {needed.value} bytes, more than max_bytes={most} allows"
        _refuse(library, result, _errors.Code.TOO_LARGE, _errors.Cause.BUFFER_TOO_SMALL, needed.value, most, reason)
    with _result_buffer(library, result, needed.value) as out:
        _inflight.call(record, library.bmpresize_memory, source, size, out.address, out.size, record, result)
        _answer(library, result, None, None)
        return out.take(result.size)
