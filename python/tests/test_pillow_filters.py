# SPDX-License-Identifier: MIT
"""The convolution filters beside Pillow's: linear, cubic and lanczos3 place
their taps and normalise their weights as Pillow's BILINEAR, BICUBIC and
LANCZOS do, and round between the passes as it does, so every channel is
within 1 of Pillow's, shrinking and enlarging, on each axis alone and on
both. Greys at 8 bits and 100 % are Pillow's convert("L"), byte for byte.
Skipped where Pillow cannot be imported."""
import io
import pathlib

import pytest

import bmpresize
from conftest import REPOSITORY, bmp

Image = pytest.importorskip("PIL.Image")

FILTERS = {"linear": "BILINEAR", "cubic": "BICUBIC", "lanczos3": "LANCZOS"}
# Source sizes and the sizes asked: shrinking, enlarging, one axis each way,
# uneven factors (which place the vertical taps off the middle), 1 pixel.
SIZES = [((64, 48), (16, 12)), ((64, 48), (13, 37)), ((23, 17), (61, 40)), ((40, 9), (7, 30)),
         ((50, 50), (50, 11)), ((97, 3), (1, 1)), ((5, 60), (33, 1)), ((300, 20), (3, 21))]


def picture(width, height):
    """Noise softened by a gradient, so that both edges and slopes are met."""
    noise = Image.open(io.BytesIO(bmp(width, height, seed=width * height))).convert("RGB")
    ramp = Image.linear_gradient("L").resize((width, height)).convert("RGB")
    return Image.blend(noise, ramp, 0.5)


@pytest.mark.parametrize("name", FILTERS)
@pytest.mark.parametrize("source_size, size", SIZES)
def test_within_one_of_pillow(name, source_size, size):
    source = picture(*source_size)
    stored = io.BytesIO()
    source.save(stored, format="BMP")
    ours = Image.open(io.BytesIO(bmpresize.resize_bytes(stored.getvalue(), width=size[0], height=size[1],
                                                        filter=name))).convert("RGB")
    theirs = source.resize(size, getattr(Image, FILTERS[name]))
    assert ours.size == theirs.size
    differences = [abs(a - b) for a, b in zip(ours.tobytes(), theirs.tobytes())]
    assert max(differences) <= 1, f"{name} {source_size} to {size}"


def saved(picture, mode):
    """picture as a BMP file of mode (RGB, RGBA, P with an adaptive palette, L, 1)."""
    stored = io.BytesIO()
    if mode == "P":
        picture = picture.convert("RGB").quantize(97)
    picture.convert(mode).save(stored, format="BMP")
    return stored.getvalue()


GREY_SOURCES = {
    "landscape": lambda: pathlib.Path(REPOSITORY, "examples", "landscape.bmp").read_bytes(),
    "noise 24-bit": lambda: bmp(61, 37, seed=7),
    "noise 24-bit, one row": lambda: bmp(257, 1, seed=8),
    "noise 32-bit": lambda: saved(Image.open(io.BytesIO(bmp(33, 20, seed=9))), "RGBA"),
    "noise 8-bit, own table": lambda: saved(picture(45, 30), "P"),
    "grey 8-bit": lambda: saved(picture(40, 21), "L"),
    "1-bit": lambda: saved(picture(19, 13), "1"),
}


@pytest.mark.parametrize("name", GREY_SOURCES)
@pytest.mark.parametrize("threads", [1, 3])
def test_grey_is_pillows_luminance(name, threads):
    source = GREY_SOURCES[name]()
    ours = Image.open(io.BytesIO(bmpresize.resize_bytes(source, 100, grey=True, threads=threads)))
    theirs = Image.open(io.BytesIO(source)).convert("L")
    assert ours.size == theirs.size
    assert ours.convert("L").tobytes() == theirs.tobytes(), name
