# SPDX-License-Identifier: MIT
"""The resizes in flight, stopped by Ctrl-C and when the interpreter exits.
Every call runs with a cancel flag, its own cancel= or one made for it.

At exit (atexit runs before daemon threads are frozen, and a call into the
library has let go of the interpreter lock) every flag is set and the calls
get a few seconds to give their destinations up. Otherwise the process would
end under a daemon thread's resize_file and leave its temporary file behind.

Python takes signals on the main thread alone, between bytecodes: a call
into the library made there would hold a Ctrl-C back until it returned,
its destination written. So the main thread's calls run on a worker thread
while the main thread waits in steps a signal breaks; what the signal
raises sets the call's flag, and is raised once the call has stopped."""
import atexit
import contextlib
import ctypes
import os
import queue
import threading

from . import _errors, _native

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


# How long the main thread waits at a time for a call on its worker: the
# longest a Ctrl-C waits where a wait cannot be interrupted (Windows).
WAIT_STEP_SECONDS = 0.05


def _wait_out(done):
    """Waits until done is set, whatever is raised meanwhile: the call it
    waits for writes into memory its caller holds."""
    while True:
        try:
            if done.wait(WAIT_STEP_SECONDS):
                return
        except BaseException:  # a second Ctrl-C: the first one is being served
            pass


_jobs = None  # what the worker thread runs, once it is started


def _serve(jobs):
    while True:
        jobs.get()()


def _worker():
    """The queue of the thread that runs the main thread's calls: one for
    the process, started on first use (a thread a call took a tenth of a
    millisecond, more than a small picture's resize)."""
    global _jobs
    with _condition:
        if _jobs is None:
            _jobs = queue.SimpleQueue()
            threading.Thread(target=_serve, args=(_jobs,), name="bmpresize", daemon=True).start()
        return _jobs


def _on_worker(record, function, arguments, finished_note):
    """function(*arguments) on the worker thread while this thread waits in
    steps that a signal's exception (KeyboardInterrupt) can break. Such an
    exception sets the record's cancel flag, waits for the call to stop and
    is raised then, with finished_note when the call had finished all the
    same (its result record answers OK)."""
    done = threading.Event()
    claim = threading.Lock()  # taken by whichever comes first: the call, or its cancelling
    raised = []

    def work():
        if not claim.acquire(blocking=False):
            return  # given up before it began
        try:
            function(*arguments)
        except BaseException as e:  # a ctypes argument refused: raised on the caller's thread
            raised.append(e)
        finally:
            done.set()

    try:
        _worker().put(work)
        while not done.wait(WAIT_STEP_SECONDS):
            pass
    except BaseException as interruption:
        record.cancel[0] = 1
        if not claim.acquire(blocking=False):  # the call runs: it stops at its next row
            _wait_out(done)
            if finished_note and arguments[-1].code == _errors.Code.OK and hasattr(interruption, "add_note"):
                interruption.add_note(finished_note)
        raise
    if raised:
        raise raised[0]


def call(record, function, *arguments, finished_note=None):
    """function(*arguments), a call into the library with the options record
    and, last, its result record, as a call in flight. On the main thread,
    which takes the signals, the call runs on a worker while the main thread
    waits: a Ctrl-C cancels the call, leaves its destination as it was and
    raises KeyboardInterrupt once the call has stopped."""
    with running(record):
        if threading.current_thread() is threading.main_thread():
            _on_worker(record, function, arguments, finished_note)
        else:
            function(*arguments)


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
    # The calls' threads, and the worker, stay behind in the parent: the
    # child would wait at its exit for calls that never return.
    global _condition, _calls, _jobs
    _condition = threading.Condition()
    _calls = {}
    _jobs = None


atexit.register(cancel_all)
if hasattr(os, "register_at_fork"):
    os.register_at_fork(after_in_child=_forget_after_fork)
