# SPDX-License-Identifier: MIT
"""Keyword options, made into the C library's options record. Each option is
one row of OPTIONS: its record field (or a tuple of fields, one for each
item of its value) and how its value is checked."""
import ctypes
from . import _native, _size_options, _values

INT32_MIN, INT32_MAX = -(2**31), 2**31 - 1
INT64_MAX = 2**63 - 1


class Cancel:
    """A flag that stops the resizes it is given to (cancel=flag) once set,
    from another thread: they raise DestinationError with cause CANCELLED and
    write nothing. A flag may serve several resizes; once set it stays set.
    The interpreter's exit sets the flags of the resizes still running."""

    def __init__(self):
        self._flag = _native.CancelFlag(0)

    def set(self):
        self._flag.value = 1

    def is_set(self):
        return self._flag.value != 0


def _flag(name):
    def check(value):
        return 1 if _values.flag(name, value) else 0

    return check


def _cancel(value):
    if not isinstance(value, Cancel):
        raise TypeError(f"cancel must be a bmpresize.Cancel, not {_values.shown(value)}")
    return ctypes.pointer(value._flag)


def _region(value):
    """(x, y, width, height) from the picture's top-left corner: x and y from
    0, width and height from 1; None for the whole picture."""
    x, y, width, height = _values.items("region", value, 4, "(x, y, width, height)")
    lows = (("region x", x, 0), ("region y", y, 0), ("region width", width, 1), ("region height", height, 1))
    return tuple(_values.ranged(name, low, INT32_MAX)(item) for name, item, low in lows)


# The values of BMPRESIZE_FILTER_POINT ... BMPRESIZE_FILTER_LANCZOS3 by their
# names in lower case.
FILTERS = {name[len("FILTER_"):].lower(): value for name, value in vars(_native).items() if name.startswith("FILTER_")}
_FILTER_NAMES = ", ".join(repr(name) for name in FILTERS)


def _filter(value):
    if not isinstance(value, str):
        raise TypeError(f"filter must be one of {_FILTER_NAMES}, not {_values.shown(value)}")
    if value not in FILTERS:
        raise ValueError(f"filter must be one of {_FILTER_NAMES}, not {value!r}")
    return FILTERS[value]


# The depths written; 0, the default, writes what the source suggests.
DEPTHS = (1, 4, 8, 16, 24, 32)
GREY_DEPTHS = (1, 4, 8)


def _depth(value):
    depth = _values.whole("depth", value)
    if depth != 0 and depth not in DEPTHS:
        raise ValueError(f"depth must be 1, 4, 8, 16, 24 or 32, not {depth}")
    return depth


def _grey(value):
    return _native.GREY if _values.flag("grey", value) else 0


def _linear(value):
    return _native.LINEAR if _values.flag("linear", value) else 0


percent = _values.ranged("percent", INT32_MIN, INT32_MAX)
max_bytes = _values.ranged("max_bytes", 0, INT64_MAX)

# keyword: (field of the options record, the check that makes its value)
OPTIONS = {
    "strict": ("strict", _flag("strict")),
    "sync": ("sync", _flag("sync")),
    "threads": ("threads", _values.ranged("threads", 0, INT32_MAX)),
    "cancel": ("cancel", _cancel),
    "memory_limit": ("memory_limit", _values.ranged("memory_limit", 0, INT64_MAX)),
    "region": (("region_x", "region_y", "region_width", "region_height"), _region),
    "filter": ("filter", _filter),
    "depth": ("depth", _depth),
    "grey": ("flags", _grey),
    "linear": ("flags", _linear),
}


def _grey_depth(fields):
    """Refuses grey=True beside a depth that has no grey levels."""
    depth = fields.get("depth", 0)
    if fields.get("flags", 0) & _native.GREY and depth not in (0,) + GREY_DEPTHS:
        raise ValueError(f"grey=True writes 1, 4 or 8 bits, not depth={depth}")


def _linear_filter(fields):
    """Refuses linear=True beside the point sampler, which blends bytes."""
    if fields.get("flags", 0) & _native.LINEAR and fields.get("filter", 0) == 0:
        raise ValueError('linear=True averages light with filter="area" or a convolution filter, not "point"')


_SIZES = "width=, height=, size=, fit=, cover=, geometry="


def _percent_or_size(function, percent_value, sized):
    """The percent field: percent_value, or 100 where a size takes its place."""
    if sized and percent_value is not None:
        raise ValueError(f"give either percent or a size ({_SIZES}), not both")
    if not sized and percent_value is None:
        raise TypeError(f"{function}() needs a percent or a size ({_SIZES})")
    return 100 if sized else percent(percent_value)


def make(function, percent_value, keywords):
    """The options record for a call of function (named in errors, as Python
    names it for an unknown keyword) with these keywords."""
    keywords = dict(keywords)
    fields, sized = _size_options.fields(keywords)
    for keyword, value in keywords.items():
        if keyword not in OPTIONS:
            raise TypeError(f"{function}() got an unexpected keyword argument '{keyword}'")
        if value is None:
            continue  # every keyword's default
        field, check = OPTIONS[keyword]
        if isinstance(field, tuple):
            fields.update(zip(field, check(value)))
        elif field == "flags":
            # Flags from several keywords share one field.
            fields[field] = fields.get(field, 0) | check(value)
        else:
            fields[field] = check(value)
    _grey_depth(fields)
    _linear_filter(fields)
    fields["percent"] = _percent_or_size(function, percent_value, sized)
    options = _native.Options()
    _native.library().bmpresize_options_init(ctypes.byref(options))
    for field, value in fields.items():
        setattr(options, field, value)
    return options
