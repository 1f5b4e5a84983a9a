# SPDX-License-Identifier: MIT
"""Keyword options, made into the C library's options record. Each option is
one row of OPTIONS: its record field (or a tuple of fields, one for each
item of its value) and how its value is checked."""
import ctypes
import operator

from . import _native, _size_options

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


def _whole(name, low, high):
    def check(value):
        number = operator.index(value)
        if not low <= number <= high:
            raise ValueError(f"{name} must lie from {low} to {high}, not {number}")
        return number

    return check


def _flag(value):
    return 1 if value else 0


def _cancel(value):
    if value is None:
        return None
    if not isinstance(value, Cancel):
        raise TypeError(f"cancel must be a bmpresize.Cancel, not {type(value).__name__}")
    return ctypes.pointer(value._flag)


def _region(value):
    """(x, y, width, height) from the picture's top-left corner: x and y from
    0, width and height from 1; None for the whole picture."""
    if value is None:
        return (0, 0, 0, 0)
    if isinstance(value, (str, bytes)) or not hasattr(value, "__len__") or len(value) != 4:
        raise TypeError(f"region must be (x, y, width, height), not {value!r}")
    x, y, width, height = value
    lows = (("region x", x, 0), ("region y", y, 0), ("region width", width, 1), ("region height", height, 1))
    return tuple(_whole(name, low, INT32_MAX)(item) for name, item, low in lows)


# The values of BMPRESIZE_FILTER_POINT ... BMPRESIZE_FILTER_LANCZOS3 by their
# names in lower case.
FILTERS = {"point": 0, "area": 1, "linear": 2, "cubic": 3, "mitchell": 4, "lanczos2": 5, "lanczos3": 6}
_FILTER_NAMES = ", ".join(repr(name) for name in FILTERS)


def _filter(value):
    if not isinstance(value, str):
        raise TypeError(f"filter must be one of {_FILTER_NAMES}, not {type(value).__name__}")
    if value not in FILTERS:
        raise ValueError(f"filter must be one of {_FILTER_NAMES}, not {value!r}")
    return FILTERS[value]


def _grey(value):
    return _native.GREY if value else 0


percent = _whole("percent", INT32_MIN, INT32_MAX)
max_bytes = _whole("max_bytes", 0, INT64_MAX)

# keyword: (field of the options record, the check that makes its value)
OPTIONS = {
    "strict": ("strict", _flag),
    "sync": ("sync", _flag),
    "threads": ("threads", _whole("threads", 0, INT32_MAX)),
    "cancel": ("cancel", _cancel),
    "memory_limit": ("memory_limit", _whole("memory_limit", 0, INT64_MAX)),
    "region": (("region_x", "region_y", "region_width", "region_height"), _region),
    "filter": ("filter", _filter),
    # 1, 4, 8, 16, 24 or 32; the library refuses any other (cause OPTION)
    "depth": ("depth", _whole("depth", -(2**15), 2**15 - 1)),
    "grey": ("flags", _grey),
}


def _percent_or_size(function, percent_value, sized):
    """The percent field: percent_value, or 100 where a size takes its place."""
    if sized and percent_value is not None:
        raise ValueError("give either percent or a size (width=, height=, size=, fit=), not both")
    if not sized and percent_value is None:
        raise TypeError(f"{function}() needs a percent or a size (width=, height=, size=, fit=)")
    return 100 if sized else percent(percent_value)


def make(function, percent_value, keywords):
    """The options record for a call of function (named in errors, as Python
    names it for an unknown keyword) with these keywords."""
    keywords = dict(keywords)
    fields, sized = _size_options.fields(keywords)
    for keyword, value in keywords.items():
        if keyword not in OPTIONS:
            raise TypeError(f"{function}() got an unexpected keyword argument '{keyword}'")
        field, check = OPTIONS[keyword]
        if isinstance(field, tuple):
            fields.update(zip(field, check(value)))
        elif field == "flags":
            # Flags from several keywords share one field.
            fields[field] = fields.get(field, 0) | check(value)
        else:
            fields[field] = check(value)
    fields["percent"] = _percent_or_size(function, percent_value, sized)
    options = _native.Options()
    _native.library().bmpresize_options_init(ctypes.byref(options))
    for field, value in fields.items():
        setattr(options, field, value)
    return options
