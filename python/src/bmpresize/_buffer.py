# SPDX-License-Identifier: MIT
"""The one buffer resize_bytes answers: memory the library writes the picture
into, handed to the caller as bytes. On CPython it is a bytes object made
empty (PyBytes_FromStringAndSize with no data) and filled by the library
before any Python code sees it, so a picture is never held twice. Elsewhere
it is a bytearray, copied into bytes at the end."""
import ctypes
import sys


CPYTHON = sys.implementation.name == "cpython" and hasattr(ctypes, "pythonapi")


def _python_function(name, restype, argtypes):
    function = getattr(ctypes.pythonapi, name)
    function.restype = restype
    function.argtypes = argtypes
    return function


if CPYTHON:
    _new_bytes = _python_function("PyBytes_FromStringAndSize", ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_ssize_t])
    # Shrinks a bytes object that nothing else refers to, in place where it can.
    _shrink = _python_function("_PyBytes_Resize", ctypes.c_int, [ctypes.POINTER(ctypes.c_void_p), ctypes.c_ssize_t])
    _release = _python_function("Py_DecRef", None, [ctypes.c_void_p])


class _Owned:
    """Released on leaving a with block, unless taken."""

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()


class _InPlace(_Owned):
    """A bytes object of size bytes, held by one reference of our own (a bare
    pointer, not yet a Python object) until take() hands it over."""

    def __init__(self, size):
        self.size = size
        self._object = ctypes.c_void_p(_new_bytes(None, size))  # MemoryError when it cannot be had
        self.address = ctypes.cast(self._python_object(), ctypes.c_void_p).value

    def _python_object(self):
        """The object as Python holds it: a reference beside our own."""
        return ctypes.cast(self._object, ctypes.py_object).value

    def take(self, size):
        """The first size bytes, as bytes; the buffer is the caller's then."""
        if size != self.size:
            # Only our reference exists, as the shrinking demands; on failure
            # it has released the object, cleared the pointer and raised.
            _shrink(ctypes.byref(self._object), size)
        taken = self._python_object()
        self.close()
        return taken

    def close(self):
        if self._object:
            _release(self._object)
            self._object = ctypes.c_void_p()


class _Copied(_Owned):
    """A bytearray of size bytes, copied into bytes by take()."""

    def __init__(self, size):
        self.size = size
        self._array = bytearray(size)
        self._view = (ctypes.c_char * size).from_buffer(self._array)
        self.address = ctypes.addressof(self._view)

    def take(self, size):
        self.close()
        return bytes(memoryview(self._array)[:size])

    def close(self):
        # A buffer exported to ctypes keeps the bytearray from changing size.
        self._view = None


Buffer = _InPlace if CPYTHON else _Copied
