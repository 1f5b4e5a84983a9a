# SPDX-License-Identifier: MIT
"""The keywords of the resized picture's size and resolution, which set
several fields of the options record at once: width=, height=, size=(w, h),
fit=(w, h), cover=(w, h), geometry="800x600>", enlarge=, dpi= (N or (x, y))
and keep_resolution=."""
import ctypes

from . import _native, _values

INT32_MAX = 2**31 - 1
# The most dots per inch whose pixels per metre hold in 32 bits.
MOST_DPI = 54546084

KEYWORDS = ("width", "height", "size", "fit", "cover", "geometry", "enlarge", "dpi", "keep_resolution")
SIZES = ("width", "height", "size", "fit", "cover", "geometry")
GEOMETRY_FIELDS = ("geometry", "geometry_width", "geometry_height", "geometry_area")


def _side(name, value, most=INT32_MAX):
    return _values.ranged(name, 1, most)(value)


def _pair(name, value, most=INT32_MAX):
    """Two whole numbers, as a tuple or list (width, height) gives them."""
    first, second = _values.items(name, value, 2, "a pair of whole numbers")
    return _side(f"{name}[0]", first, most), _side(f"{name}[1]", second, most)


def _dpi(value):
    if isinstance(value, (int, str, bytes)) or not hasattr(value, "__len__"):
        x = y = _side("dpi", value, MOST_DPI)
    else:
        x, y = _pair("dpi", value, MOST_DPI)
    library = _native.library()
    return library.bmpresize_ppm_from_dpi(x), library.bmpresize_ppm_from_dpi(y)


def _geometry(value):
    """The geometry fields of an ImageMagick geometry, read by the library."""
    if not isinstance(value, str):
        raise TypeError(f"geometry must be a str such as '800x600>', not {type(value).__name__}")
    record = _native.Options()
    why = ctypes.create_string_buffer(256)
    if _native.library().bmpresize_parse_geometry(value.encode(), ctypes.byref(record), why, len(why)) != 0:
        raise ValueError(f"geometry: {why.value.decode()}")
    return {name: getattr(record, name) for name in GEOMETRY_FIELDS}


def _one_size(given):
    """Refuses two keywords that both give the size, but width= and height=,
    which together give the exact size."""
    if len(given) > 1 and set(given) != {"width", "height"}:
        raise ValueError(f"{' and '.join(given)} both give the size: give one")


def fields(keywords):
    """The record fields of these keywords, taken out of keywords; and whether
    a size was asked for in place of the percent."""
    asked = {name: keywords.pop(name) for name in KEYWORDS if name in keywords}
    given = [name for name in SIZES if asked.get(name) is not None]
    _one_size(given)
    values = {"flags": 0}
    if asked.get("width") is not None:
        values["width"] = _side("width", asked["width"])
    if asked.get("height") is not None:
        values["height"] = _side("height", asked["height"])
    for name in ("size", "fit", "cover"):
        if asked.get(name) is not None:
            values["width"], values["height"] = _pair(name, asked[name])
    if asked.get("fit") is not None:
        values["flags"] |= _native.FIT
    if asked.get("cover") is not None:
        values["flags"] |= _native.COVER
    if asked.get("geometry") is not None:
        values.update(_geometry(asked["geometry"]))
    # None, as for every keyword, is the default: enlarged as asked.
    if asked.get("enlarge") is not None and not _values.flag("enlarge", asked["enlarge"]):
        values["flags"] |= _native.NO_ENLARGE
    keep = _values.flag("keep_resolution", asked.get("keep_resolution"))
    if asked.get("dpi") is not None:
        if keep:
            raise ValueError("dpi and keep_resolution both give the resolution: give one")
        values["x_ppm"], values["y_ppm"] = _dpi(asked["dpi"])
    if keep:
        values["flags"] |= _native.KEEP_RESOLUTION
    return values, bool(given)
