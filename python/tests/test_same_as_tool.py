# SPDX-License-Identifier: MIT
"""Over the whole corpus, the package writes the bytes the tool writes, and
fails or warns with the tool's sentence."""
import warnings

import pytest

import bmpresize
from conftest import CORPUS, corpus_files, run_tool, tool_hint

# percent, the tool's flags, the package's keywords
ROWS = [(50, [], {}), (200, [], {}), (37, ["--strict"], {"strict": True}), (10, ["--filter", "area"], {"filter": "area"})]


def package(call):
    """What a call does: its bytes (None when it raised) and its sentence,
    with the hint the tool would add to it."""
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        try:
            written = call()
        except bmpresize.Error as e:
            return None, str(e) + tool_hint(e)
    kinds = (bmpresize.CutShortWarning, bmpresize.NoColourTableWarning)
    assert all(w.category in kinds for w in caught) and len(caught) <= 1
    return written, str(caught[0].message) if caught else None


@pytest.mark.parametrize("name", corpus_files() or [pytest.param("", marks=pytest.mark.skip(f"no corpus at {CORPUS}"))])
def test_corpus_file_as_the_tool(name, tmp_path):
    source = CORPUS / name
    data = source.read_bytes()
    for percent, flags, options in ROWS:
        expected, said = run_tool(source, tmp_path / "tool.bmp", percent, flags)
        ours = tmp_path / f"ours-{percent}.bmp"

        def from_file():
            bmpresize.resize_file(source, ours, percent, **options)
            return ours.read_bytes()

        assert package(from_file) == (expected, said), (percent, flags)
        assert ours.exists() == (expected is not None)
        # From memory the source is called "source".
        said_of_bytes = said and said.replace(f"{source}: ", "source: ", 1)
        assert package(lambda: bmpresize.resize_bytes(data, percent, **options)) == (expected, said_of_bytes)
