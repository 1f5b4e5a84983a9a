# SPDX-License-Identifier: MIT
"""Resizes let go of the interpreter lock, and threads resizing at once get
the bytes one thread gets."""
import os
import signal
import subprocess
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import pytest

import bmpresize
from bmpresize import Code, _inflight, _native
from conftest import bmp


def test_python_runs_while_a_resize_does(tmp_path):
    # One call into the library, long enough (near 100 ms) that a held lock
    # would leave the middle of it, far from the few ms around its ends, to
    # the resize alone.
    source = tmp_path / "in.bmp"
    source.write_bytes(bmp(2400, 1800))
    span = []

    def resize():
        span.append(time.perf_counter())
        bmpresize.resize_file(source, tmp_path / "out.bmp", 200)
        span.append(time.perf_counter())

    worker = threading.Thread(target=resize)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.perf_counter())
        time.sleep(0.001)
    worker.join()
    start, end = span
    quarter = (end - start) / 4
    assert any(start + quarter < t < end - quarter for t in ticks), f"no tick in the middle of {end - start:.3f} s"


def test_threads_at_once_give_the_bytes_of_one():
    jobs = [(bmp(300 + 7 * i, 200 + 5 * i, seed=i), 25 + 40 * i) for i in range(8)]
    alone = [bmpresize.resize_bytes(data, percent) for data, percent in jobs]
    with ThreadPoolExecutor(4) as pool:
        assert list(pool.map(lambda job: bmpresize.resize_bytes(*job), jobs)) == alone


def test_one_picture_on_several_threads_gives_the_bytes_of_one(tmp_path):
    # Tall enough that every band has rows; files and memory both run in bands.
    data = bmp(301, 97, seed=5)
    source = tmp_path / "in.bmp"
    source.write_bytes(data)
    for percent in (50, 99, 200):
        one = bmpresize.resize_bytes(data, percent, threads=1)
        for threads in (2, 3, 7):
            assert bmpresize.resize_bytes(data, percent, threads=threads) == one
            bmpresize.resize_file(source, tmp_path / "out.bmp", percent, threads=threads)
            assert (tmp_path / "out.bmp").read_bytes() == one


def test_exit_stops_a_daemon_threads_resize_and_leaves_no_temporary_file(tmp_path):
    source = tmp_path / "in.bmp"
    source.write_bytes(bmp(6000, 4000))
    # The interpreter exits once the resize is writing its temporary file.
    script = (
        "import pathlib, sys, threading, time, bmpresize\n"
        "folder = pathlib.Path(sys.argv[1])\n"
        "resize = threading.Thread(target=bmpresize.resize_file, daemon=True,\n"
        "                          args=(folder / 'in.bmp', folder / 'out.bmp', 200))\n"
        "resize.start()\n"
        "while resize.is_alive() and not list(folder.glob('*.tmp')): time.sleep(0.001)\n"
    )
    done = subprocess.run([sys.executable, "-c", script, str(tmp_path)], capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    assert sorted(p.name for p in tmp_path.iterdir()) == ["in.bmp"]


# A Ctrl-C in the child once its resize is under way (a file's, once its temporary file exists).
INTERRUPTED = """
import os, pathlib, signal, sys, threading, time, bmpresize
folder, kind = pathlib.Path(sys.argv[1]), sys.argv[2]
def interrupt():
    while not any(t.name == "bmpresize" for t in threading.enumerate()): time.sleep(0.001)
    while kind == "file" and not list(folder.glob("*.tmp")): time.sleep(0.001)
    os.kill(os.getpid(), signal.SIGINT)
threading.Thread(target=interrupt, daemon=True).start()
calls = {"file": lambda: bmpresize.resize_file(folder / "in.bmp", folder / "out.bmp", 200),
         "bytes": lambda: bmpresize.resize_bytes((folder / "in.bmp").read_bytes(), 200)}
try:
    calls[kind]()
    print("finished")
except KeyboardInterrupt as e:
    print("interrupted", getattr(e, "__notes__", []))
"""


@pytest.mark.skipif(sys.platform == "win32", reason="Windows has no SIGINT to send")
@pytest.mark.parametrize("kind", ["file", "bytes"])
def test_ctrl_c_stops_the_resize_and_leaves_the_destination(tmp_path, kind):
    # 4000 x 3000 pixels of black, a file with a hole: 144 MB to write at 200 %.
    with open(tmp_path / "in.bmp", "wb") as source:
        source.write(bmp(4000, 3000)[:54])
        source.truncate(54 + 4000 * 3 * 3000)
    (tmp_path / "out.bmp").write_bytes(b"as it was")
    done = subprocess.run([sys.executable, "-c", INTERRUPTED, str(tmp_path), kind], capture_output=True, text=True,
                          timeout=60)
    # No note: the resize stopped, rather than finishing before it saw the interrupt.
    assert (done.stdout, done.stderr) == ("interrupted []\n", "")
    assert (tmp_path / "out.bmp").read_bytes() == b"as it was"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["in.bmp", "out.bmp"]


class Finishing:
    """A call into the library that ends as a resize would: on seeing the
    cancel flag, or done before it looked."""

    def __init__(self, looks):
        self.looks = looks

    def __call__(self, record, result):
        os.kill(os.getpid(), signal.SIGINT)
        deadline = time.monotonic() + (5 if self.looks else 0.2)
        while time.monotonic() < deadline and not (self.looks and record.cancel[0]):
            time.sleep(0.001)
        result.code = Code.DESTINATION_FAILED if record.cancel[0] and self.looks else Code.OK


@pytest.mark.skipif(sys.platform == "win32", reason="Windows has no SIGINT to send")
@pytest.mark.parametrize("looks,code,notes", [(True, Code.DESTINATION_FAILED, []),
                                              (False, Code.OK, ["out.bmp was written"])],
                         ids=["stopped", "had finished"])
def test_ctrl_c_waits_for_the_call_and_says_when_it_came_too_late(looks, code, notes):
    record, result = _native.Options(), _native.Result()
    with pytest.raises(KeyboardInterrupt) as raised:
        _inflight.call(record, Finishing(looks), record, result, finished_note="out.bmp was written")
    # The call's result is in: the exception came once the call was over.
    assert (record.cancel[0], result.code) == (1, code)
    assert getattr(raised.value, "__notes__", []) == (notes if sys.version_info >= (3, 11) else [])
