# SPDX-License-Identifier: MIT
"""The library is the one a wheel carries beside the package; else the file
BMPRESIZE_LIBRARY names, or else the one the system's loader finds; one that
cannot be used is said so."""
import ctypes.util
import os
import re
import subprocess
import sys

import pytest

import bmpresize
from bmpresize import _native
from conftest import REPOSITORY

RESIZE = "import bmpresize; print(len(bmpresize.resize_bytes(open(bmpresize.__file__, 'rb').read(), 50)))"

# Where the loader finds the library these tests run on.
NAMED = os.environ.get("BMPRESIZE_LIBRARY")
LOADER_PATH = os.path.dirname(os.path.abspath(NAMED)) if NAMED else os.environ.get("LD_LIBRARY_PATH", "")


# A wheel's library, which no environment overrides.
CARRIED = _native._carried()
ANSWERED = "bmpresize.SourceError: source: is not a BMP"  # not a picture, but the library answered


def run(environment):
    env = {k: v for k, v in os.environ.items() if k != "BMPRESIZE_LIBRARY"}
    env["PYTHONPATH"] = os.pathsep.join([os.path.dirname(os.path.dirname(bmpresize.__file__)), env.get("PYTHONPATH", "")])
    done = subprocess.run([sys.executable, "-c", RESIZE], env={**env, **environment}, capture_output=True, text=True)
    return done.stderr.strip().splitlines()[-1] if done.returncode else done.stdout.strip()


@pytest.mark.skipif(sys.platform == "win32", reason="the loader's path is LD_LIBRARY_PATH")
@pytest.mark.parametrize("environment,said", [
    ({"BMPRESIZE_LIBRARY": "/nonexistent/libbmpresize.so.1"},
     ANSWERED if CARRIED else "OSError: BMPRESIZE_LIBRARY=/nonexistent/libbmpresize.so.1 cannot be used: "),
    ({"BMPRESIZE_LIBRARY": ctypes.util.find_library("m") or "libm.so.6"},
     ANSWERED if CARRIED else "it lacks bmpresize_options_init"),
    ({"LD_LIBRARY_PATH": "" if CARRIED else LOADER_PATH}, ANSWERED),
], ids=["named file missing", "named file not ours", "found by the loader"])
def test_library_is_found_or_said_missing(environment, said):
    assert said in run(environment)


@pytest.mark.skipif(not CARRIED, reason="the package carries no library (not installed from a wheel)")
def test_carried_library_is_the_one_used():
    assert _native.library()._name == CARRIED


def test_version_is_the_projects():
    cmake = REPOSITORY / "CMakeLists.txt"
    if not cmake.is_file():
        pytest.skip("not in a clone")
    assert re.search(r"project\(bmpresize VERSION ([0-9.]+)", cmake.read_text())[1] == bmpresize.__version__
