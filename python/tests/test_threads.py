# SPDX-License-Identifier: MIT
"""Resizes let go of the interpreter lock, and threads resizing at once get
the bytes one thread gets."""
import subprocess
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import bmpresize
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
