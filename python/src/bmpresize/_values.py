# SPDX-License-Identifier: MIT
"""The checks every keyword's value goes through. A value of the wrong kind
raises TypeError, one of the right kind out of range ValueError; both name
the keyword and the value."""
import collections.abc
import operator


def shown(value):
    """value as an error message shows it: its repr, cut short when long."""
    text = repr(value)
    return text if len(text) <= 60 else text[:57] + "..."


def whole(name, value):
    """value as an int: an int or anything with __index__, but not a bool
    (True is no count of anything)."""
    if isinstance(value, bool):
        raise TypeError(f"{name} must be a whole number, not {value!r}")
    try:
        return operator.index(value)
    except TypeError:
        raise TypeError(f"{name} must be a whole number, not {shown(value)}") from None


def ranged(name, low, high):
    """The check of a whole number from low to high."""

    def check(value):
        number = whole(name, value)
        if not low <= number <= high:
            raise ValueError(f"{name} must lie from {low} to {high}, not {number}")
        return number

    return check


def flag(name, value):
    """True or False; None (as for every keyword) is the default, False."""
    if value is None or isinstance(value, bool):
        return bool(value)
    raise TypeError(f"{name} must be True or False, not {shown(value)}")


def items(name, value, count, what):
    """The count items of a sequence (a tuple, a list, an array; not a set,
    whose order is nobody's, a mapping or text), as a tuple."""
    sequence = (
        hasattr(value, "__len__")
        and hasattr(value, "__getitem__")
        and not isinstance(value, (str, bytes, bytearray, collections.abc.Mapping))
    )
    if not sequence:
        raise TypeError(f"{name} must be {what}, not {shown(value)}")
    if len(value) != count:
        raise ValueError(f"{name} must be {what}, not {len(value)} items: {shown(value)}")
    return tuple(value[i] for i in range(count))
