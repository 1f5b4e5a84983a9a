# SPDX-License-Identifier: MIT
"""The C library through ctypes: its records, its functions, and where it is
found (beside this file in a wheel). ctypes lets go of the interpreter lock
for every call into it, so resizes on several threads run at once."""
import ctypes
import ctypes.util
import os
import sys
import sysconfig
import threading

ENVIRONMENT_VARIABLE = "BMPRESIZE_LIBRARY"

# The file names of the library whose records this module lays out: the
# soname carries the major version, and a later major may change them.
if sys.platform == "win32":
    FILE_NAMES = ("bmpresize.dll",)
elif sys.platform == "darwin":
    FILE_NAMES = ("libbmpresize.1.dylib",)
else:
    FILE_NAMES = ("libbmpresize.so.1",)


class Shortfall(ctypes.Structure):
    _fields_ = [
        ("cut_short", ctypes.c_int),
        ("top_down", ctypes.c_int),
        ("repeats_last_pixel", ctypes.c_int),
        ("rows_read", ctypes.c_int64),
        ("rows", ctypes.c_int64),
    ]


class Result(ctypes.Structure):
    _fields_ = [
        ("code", ctypes.c_int32),
        ("cause", ctypes.c_int32),
        ("value", ctypes.c_int64),
        ("limit", ctypes.c_int64),
        ("error", ctypes.c_int),
        ("partial_left", ctypes.c_int),
        ("width", ctypes.c_int32),
        ("height", ctypes.c_int32),
        ("size", ctypes.c_int64),
        ("shortfall", Shortfall),
        ("first_bytes", ctypes.c_uint8 * 16),
        ("first_byte_count", ctypes.c_int32),
        ("notes", ctypes.c_int64),
        ("reserved", ctypes.c_int64 * 3),
    ]


# sig_atomic_t is an int on every platform the library is built for.
CancelFlag = ctypes.c_int


class Options(ctypes.Structure):
    _fields_ = [
        ("percent", ctypes.c_int32),
        ("threads", ctypes.c_int32),
        ("cancel", ctypes.POINTER(CancelFlag)),
        ("sync", ctypes.c_int),
        ("strict", ctypes.c_int),
        ("memory_limit", ctypes.c_int64),
        ("width", ctypes.c_int32),
        ("height", ctypes.c_int32),
        ("flags", ctypes.c_int32),
        ("depth", ctypes.c_int16),
        ("filter", ctypes.c_int16),
        ("region_x", ctypes.c_int32),
        ("region_y", ctypes.c_int32),
        ("region_width", ctypes.c_int32),
        ("region_height", ctypes.c_int32),
        ("x_ppm", ctypes.c_int32),
        ("y_ppm", ctypes.c_int32),
        ("geometry", ctypes.c_int32),
        ("geometry_width", ctypes.c_int32),
        ("geometry_height", ctypes.c_int32),
        ("geometry_area", ctypes.c_int64),
    ]


class Source(ctypes.Structure):
    _fields_ = [
        ("path", ctypes.c_char_p),
        ("read", ctypes.c_void_p),
        ("user", ctypes.c_void_p),
        ("data", ctypes.c_void_p),
        ("size", ctypes.c_size_t),
    ]


class Info(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int32),
        ("height", ctypes.c_int32),
        ("depth", ctypes.c_int32),
        ("compression", ctypes.c_uint32),
        ("header_size", ctypes.c_int32),
        ("top_down", ctypes.c_int32),
        ("colours", ctypes.c_int32),
        ("x_ppm", ctypes.c_int32),
        ("y_ppm", ctypes.c_int32),
        ("masks", ctypes.c_uint32 * 4),
        ("data_offset", ctypes.c_int64),
        ("file_size", ctypes.c_int64),
        ("needed_size", ctypes.c_int64),
        ("has_masks", ctypes.c_int32),
        ("has_alpha", ctypes.c_int32),
        ("reserved", ctypes.c_int64 * 3),
    ]

# The bits of Options.flags.
FIT = 1
NO_ENLARGE = 2
GREY = 4
KEEP_RESOLUTION = 8
COVER = 16
LINEAR = 32

# The bits of Options.geometry, which bmpresize_parse_geometry sets.
GEOMETRY_WIDTH = 1
GEOMETRY_HEIGHT = 2
GEOMETRY_PERCENT = 4
GEOMETRY_AREA = 8
GEOMETRY_EXACT = 16
GEOMETRY_ONLY_SHRINK = 32
GEOMETRY_ONLY_ENLARGE = 64
GEOMETRY_FILL = 128

# The values of Options.filter.
FILTER_POINT = 0
FILTER_AREA = 1
FILTER_LINEAR = 2
FILTER_CUBIC = 3
FILTER_MITCHELL = 4
FILTER_LANCZOS2 = 5
FILTER_LANCZOS3 = 6


_OPTIONS = ctypes.POINTER(Options)
_RESULT = ctypes.POINTER(Result)
_SIGNATURES = {
    "bmpresize_options_init": (None, [_OPTIONS]),
    "bmpresize_file": (ctypes.c_int, [ctypes.c_char_p, ctypes.c_char_p, _OPTIONS, _RESULT]),
    "bmpresize_memory_size": (
        ctypes.c_int,
        [ctypes.c_void_p, ctypes.c_size_t, _OPTIONS, ctypes.POINTER(ctypes.c_size_t), _RESULT],
    ),
    "bmpresize_memory": (
        ctypes.c_int,
        [ctypes.c_void_p, ctypes.c_size_t, ctypes.c_void_p, ctypes.c_size_t, _OPTIONS, _RESULT],
    ),
    "bmpresize_inspect": (
        ctypes.c_int,
        [ctypes.POINTER(Source), _OPTIONS, ctypes.POINTER(Info), _RESULT],
    ),
    "bmpresize_describe": (
        ctypes.c_size_t,
        [_RESULT, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_size_t],
    ),
    "bmpresize_ppm_from_dpi": (ctypes.c_int32, [ctypes.c_int32]),
    "bmpresize_parse_geometry": (ctypes.c_int, [ctypes.c_char_p, _OPTIONS, ctypes.c_char_p, ctypes.c_size_t]),
}
if sys.platform == "win32":
    _SIGNATURES["bmpresize_file_w"] = (ctypes.c_int, [ctypes.c_wchar_p, ctypes.c_wchar_p, _OPTIONS, _RESULT])


def _folders():
    """Where an installed library may lie that the loader does not search by
    itself: a prefix installed into without ldconfig, or a virtual
    environment's."""
    if sys.platform == "win32":
        return [os.path.join(sys.prefix, "bin")]
    multiarch = sysconfig.get_config_var("MULTIARCH")
    libs = (["lib/" + multiarch] if multiarch else []) + ["lib64", "lib"]
    return [os.path.join(prefix, lib) for prefix in dict.fromkeys([sys.prefix, "/usr/local", "/usr"]) for lib in libs]


def _search():
    """The files to try, in order: the library by name as the system's loader
    finds it, as ctypes.util.find_library finds it (which takes a while, so
    only when the loader did not), then in the usual folders."""
    yield from FILE_NAMES
    found = ctypes.util.find_library("bmpresize")
    if found and os.path.basename(found).lower() in FILE_NAMES:
        yield found
    for folder in _folders():
        for name in FILE_NAMES:
            yield os.path.join(folder, name)


def _declare(library, path):
    for name, (restype, argtypes) in _SIGNATURES.items():
        try:
            function = getattr(library, name)
        except AttributeError:
            raise OSError(f"{path} is not the bmpresize library this package was made for: it lacks {name}") from None
        function.restype = restype
        function.argtypes = argtypes
    return library


def _carried():
    """The library a wheel carries beside this file, when there is one."""
    here = os.path.dirname(os.path.abspath(__file__))
    for name in FILE_NAMES:
        path = os.path.join(here, name)
        if os.path.isfile(path):
            return path
    return None


def load():
    """Opens the library: the one carried beside this package (a wheel's);
    else the file the environment names, and no other when it does; else the
    first one found. Raises OSError saying where it looked."""
    carried = _carried()
    if carried:
        try:
            return _declare(ctypes.CDLL(carried), carried)
        except OSError as e:
            raise OSError(f"the library this package carries cannot be used: {e}") from None
    named = os.environ.get(ENVIRONMENT_VARIABLE)
    if named:
        try:
            return _declare(ctypes.CDLL(named), named)
        except OSError as e:
            raise OSError(f"{ENVIRONMENT_VARIABLE}={named} cannot be used: {e}") from None
    for path in _search():
        try:
            library = ctypes.CDLL(path)
        except OSError:
            continue
        return _declare(library, path)
    raise OSError(
        f"the bmpresize library {' or '.join(FILE_NAMES)} was found neither by the system's loader nor in "
        f"{', '.join(_folders())}: install it (the bmpresizescale package, or cmake --install), or name the file "
        f"in {ENVIRONMENT_VARIABLE}"
    )


_lock = threading.Lock()
_library = None


def library():
    """The library, opened on first use."""
    global _library
    with _lock:
        if _library is None:
            _library = load()
        return _library
