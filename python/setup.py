# SPDX-License-Identifier: MIT
"""Builds the package with libbmpresize inside it: CMake compiles the library
from the sources this folder lies in, and the wheel carries it beside the
Python files, tagged for the machine and the C library it was built on.

    python3 -m build --wheel --no-isolation python   # or: pip wheel --no-build-isolation ./python
"""
import os
import platform
import shutil
import struct
import subprocess
import sys
import sysconfig

from setuptools import Command, Distribution, setup
from setuptools.command.build_py import build_py

try:  # setuptools 70.1 and later make wheels themselves
    from setuptools.command.bdist_wheel import bdist_wheel
except ImportError:
    try:  # older ones only with the wheel package
        from wheel.bdist_wheel import bdist_wheel
    except ImportError:
        bdist_wheel = None

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCES = os.path.dirname(HERE)


def library_file_name():
    """The file the package loads, as python/src/bmpresize/_native.py names it."""
    if sys.platform == "win32":
        return "bmpresize.dll"
    if sys.platform == "darwin":
        return "libbmpresize.1.dylib"
    return "libbmpresize.so.1"


def missing_tools():
    """What the library's build needs and this machine lacks, said for a user."""
    missing = []
    if shutil.which(os.environ.get("CMAKE", "cmake")) is None:
        missing.append("CMake 3.22 or newer (Debian: apt install cmake)")
    compilers = [("CC", ["cc", "gcc", "clang"], "C"), ("CXX", ["c++", "g++", "clang++"], "C++")]
    for variable, names, language in compilers:
        named = os.environ.get(variable)
        if not any(shutil.which(name) for name in ([named.split()[0]] if named else names)):
            missing.append(f"a {language} compiler (Debian: apt install g++; or name one in {variable})")
    return missing


def cmake_arguments(build_dir):
    arguments = [
        "-S", SOURCES, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
        "-DBMPRESIZE_TESTS=OFF", "-DBMPRESIZE_TOOLS=OFF",
    ]
    if sys.platform.startswith("linux"):
        # The C++ runtime linked in: the library then needs only the C
        # library, which the wheel's tag names.
        arguments.append("-DCMAKE_SHARED_LINKER_FLAGS=-static-libstdc++ -static-libgcc")
    return arguments


def build_library(build_dir):
    """Compiles libbmpresize with CMake; returns the path of the file made."""
    if not os.path.isfile(os.path.join(SOURCES, "CMakeLists.txt")):
        sys.exit(f"error: the library's sources are not around {HERE}: build the wheel from a clone of bmpresize "
                 "(python3 -m build --wheel, not from a source archive of the Python package alone)")
    missing = missing_tools()
    if missing:
        sys.exit("error: building bmpresize compiles its library, and this machine lacks " + "; ".join(missing))
    cmake = os.environ.get("CMAKE", "cmake")
    subprocess.run([cmake, *cmake_arguments(build_dir)], check=True)
    jobs = str(os.cpu_count() or 1)
    subprocess.run([cmake, "--build", build_dir, "--target", "bmpresize_shared", "--parallel", jobs], check=True)
    return os.path.join(build_dir, library_file_name())


class BuildWithLibrary(build_py):
    """The Python files, then the library beside them."""

    def run(self):
        super().run()
        build_dir = os.path.join(self.get_finalized_command("build").build_temp, "libbmpresize")
        built = build_library(os.path.abspath(build_dir))
        self.copy_file(built, os.path.join(self.build_lib, "bmpresize", library_file_name()))


def platform_tag():
    """The machine and, on Linux, the C library: a library linked against
    glibc 2.36 runs on glibc 2.36 and later (manylinux_2_36_x86_64). Another
    C library gets the plain platform name, which promises nothing more."""
    name = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    if name == "linux_x86_64" and struct.calcsize("P") == 4:
        name = "linux_i686"  # a 32-bit Python on a 64-bit kernel
    libc, version = platform.libc_ver()
    if name.startswith("linux_") and libc == "glibc" and version.count(".") >= 1:
        major, minor = version.split(".")[:2]
        return f"manylinux_{major}_{minor}_{name[len('linux_'):]}"
    return name


# The Python that runs the build is the one whose setuptools and wheel it
# uses: with --no-build-isolation that is the Python pip runs in (a venv's
# own, which sees the system's packages only when made with
# --system-site-packages), not necessarily the system's.
NO_WHEEL_PACKAGE = """error: making a wheel (pip install, pip wheel, python3 -m build) needs the wheel package
in the Python that runs the build, {python}, and it has none. Either:
  - let pip fetch it for the build (needs a package index): pip install ./python, without --no-build-isolation;
  - install it there: {python} -m pip install wheel;
  - or, offline on Debian, build with the system's Python, which has it (apt install python3-wheel):
      /usr/bin/python3 -m venv --system-site-packages env && env/bin/pip install --no-build-isolation ./python
    and for another Python make the wheel so (env/bin/pip wheel --no-build-isolation --no-deps -w python/dist
    ./python) and install python/dist/bmpresize-*.whl with that Python's pip: the wheel serves any Python 3.8+."""

commands = {"build_py": BuildWithLibrary}
if bdist_wheel is not None:

    class PlatformWheel(bdist_wheel):
        """A wheel for any Python 3 (the library is reached through ctypes),
        but for one machine and C library."""

        def get_tag(self):
            return "py3", "none", platform_tag()

    commands["bdist_wheel"] = PlatformWheel
else:

    class NoWheelPackage(Command):
        """Says what is missing where setuptools would say only
        "invalid command 'bdist_wheel'"."""

        user_options = []

        def initialize_options(self):
            pass

        def finalize_options(self):
            sys.exit(NO_WHEEL_PACKAGE.format(python=sys.executable))

        def run(self):
            pass

    commands["bdist_wheel"] = NoWheelPackage



class CarriesLibrary(Distribution):
    """Not pure Python: the files go where a platform's do."""

    def has_ext_modules(self):
        return True


setup(cmdclass=commands, distclass=CarriesLibrary)
