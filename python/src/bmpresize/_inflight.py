# SPDX-License-Identifier: MIT
"""The resizes in flight, stopped when the interpreter exits. Every call runs
with a cancel flag, its own cancel= or one made for it; at exit (atexit runs
before daemon threads are frozen, and a call into the library has let go of
the interpreter lock) every flag is set and the calls get a few seconds to
give their destinations up. Otherwise the process would end under a daemon
thread's resize_file and leave its temporary file behind."""
import atexit
import contextlib
import ctypes
import os
import threading

from . import _native

# How long the exit waits for the calls to see their flags and return.
EXIT_WAIT_SECONDS = 5.0

_condition = threading.Condition()
_calls = {}  # id of an options record -> the record, for each call in flight
_exiting_thread = None  # the thread running the exit, once it does


@contextlib.contextmanager
def running(record):
    """The body is a call in flight with the options record: record gets a
    cancel flag when it has none, one already set when it starts on another
    thread than the exit's once the interpreter exits."""
    if not record.cancel:
        record.cancel = ctypes.pointer(_native.CancelFlag(0))
    with _condition:
        if _exiting_thread not in (None, threading.current_thread()):
            record.cancel[0] = 1
        _calls[id(record)] = record
    try:
        yield
    finally:
        with _condition:
            del _calls[id(record)]
            _condition.notify_all()


def cancel_all(timeout=EXIT_WAIT_SECONDS):
    """Sets the flag of every call in flight and waits until they returned, or
    for timeout seconds at most."""
    global _exiting_thread
    with _condition:
        _exiting_thread = threading.current_thread()
        for record in _calls.values():
            record.cancel[0] = 1
        _condition.wait_for(lambda: not _calls, timeout)


def _forget_after_fork():
    # The calls' threads stay behind in the parent: the child would wait at
    # its exit for calls that never return.
    global _condition, _calls
    _condition = threading.Condition()
    _calls = {}


atexit.register(cancel_all)
if hasattr(os, "register_at_fork"):
    os.register_at_fork(after_in_child=_forget_after_fork)
