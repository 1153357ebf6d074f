"""Pelorin from Python: a square grid of whole-number heights drawn as
columns of lit spheres, offscreen, into numpy arrays and PNG files.

    import numpy, pelorin
    heights = numpy.random.default_rng(1).integers(0, 8, (20, 20))
    picture = pelorin.render(heights, "terrain.png", colour="height", renderer="impostors")

The display keys of config.txt are keyword arguments, `-` written `_`
(sphere_r=0.6, ambient_occlusion=True, colour_range=(0, 40)), checked
against the programs' own table: an unknown one is a TypeError naming the
closest key, a value the programs refuse a ValueError in their words.
"""

import numbers
import warnings
from dataclasses import dataclass
from typing import Optional, Tuple

import numpy

from . import _pelorin

__all__ = ["render", "Scene", "Camera", "read", "write", "PelorinWarning"]


class PelorinWarning(UserWarning):
    """What the programs say on a `warning:` line: drawn all the same."""


@dataclass(frozen=True)
class Camera:
    """A camera as the [camera] keys give it: degrees from +x towards +y,
    degrees above the ground, the distance from the look-at point, and the
    look-at point (x, y, z)."""

    azimuth: float
    elevation: float
    distance: float
    center: Tuple[float, float, float]


_CAMERA_KEYS = ("azimuth", "elevation", "distance", "center")


def _text(name, value):
    """A keyword's value as config.txt would write it."""
    if isinstance(value, (bool, numpy.bool_)):
        return "1" if value else "0"
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        return repr(float(value))
    if isinstance(value, str):
        return value
    if isinstance(value, (tuple, list, numpy.ndarray)):
        return " ".join(_text(name, item) for item in numpy.asarray(value).ravel().tolist())
    raise TypeError(f"{name}: a {type(value).__name__} is no value for a key; give a number, a string or a tuple")


def _keywords(keys):
    return [(name, _text(name, value)) for name, value in keys.items() if value is not None]


def _camera_keywords(camera):
    """The [camera] keys of a dict, a Camera or any object with their names
    as attributes; unset ones keep the opening camera."""
    if camera is None:
        return []
    if isinstance(camera, dict):
        items = camera
    else:
        items = {name: getattr(camera, name) for name in _CAMERA_KEYS if hasattr(camera, name)}
        if not items:
            raise TypeError(f"camera: a {type(camera).__name__} has none of {', '.join(_CAMERA_KEYS)}")
    return _keywords(items)


def _heights(heights):
    """The array as the extension takes it: C order, the machine's byte order.
    An int32 array already so is not copied."""
    array = numpy.asarray(heights)
    if array.dtype.kind in "iu" and not (array.flags.c_contiguous and array.dtype.isnative):
        array = numpy.ascontiguousarray(array, dtype=array.dtype.newbyteorder("="))
    return array


def _size(size):
    try:
        width, height = size
        return int(width), int(height)
    except (TypeError, ValueError):
        raise ValueError(f"size: {size!r} is not (width, height)") from None


def _say(messages):
    for message in messages:
        warnings.warn(message, PelorinWarning, stacklevel=3)


class Scene:
    """A grid made ready to draw once, drawn as often as asked.

    `heights` is a 2-D integer array, row i of it the data file's row i (y
    = i), column j its column j (x = j); a negative level is an empty cell.
    An int32 array in C order is kept and viewed, not copied: change it and
    make a new Scene. `keys` are the display keys (and metres_per_level,
    level_0_metres, cell_metres)."""

    def __init__(self, heights, **keys):
        self._scene = _pelorin.Scene(_heights(heights), _keywords(keys))
        _say(self._scene.take_warnings())

    def render(self, camera=None, size=(800, 600), path=None, *, supersample=1, transparent=False):
        """The picture, an array of (height, width, 4) uint8 RGBA (alpha 255
        unless transparent), and a PNG at `path` when given."""
        width, height = _size(size)
        pictures = self._scene.draw(_camera_keywords(camera), width, height, int(supersample), bool(transparent),
                                    0, "" if path is None else str(path))
        _say(self._scene.take_warnings())
        return pictures[0]

    def turntable(self, n, size=(800, 600), camera=None, *, supersample=1, transparent=False):
        """n pictures evenly around the vertical axis, as
        `pelorin-render --turntable n` turns."""
        if int(n) < 1:
            raise ValueError(f"turntable: {n} is not a number of pictures, 1 or more")
        width, height = _size(size)
        pictures = self._scene.draw(_camera_keywords(camera), width, height, int(supersample), bool(transparent),
                                    int(n), "")
        _say(self._scene.take_warnings())
        return pictures

    def opening_camera(self, size=(800, 600), camera=None):
        """The camera a picture of `size` opens with (with fit_view, fitted
        to that size), `camera`'s keys taken over it."""
        width, height = _size(size)
        azimuth, elevation, distance, center = self._scene.opening_camera(_camera_keywords(camera), width, height)
        return Camera(azimuth, elevation, distance, tuple(center))

    @property
    def camera(self):
        """The camera an 800x600 picture opens with."""
        return self.opening_camera()

    def _repr_png_(self):
        import io
        import zlib
        import struct

        picture = self.render()
        rows = b"".join(b"\x00" + row.tobytes() for row in picture)

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        header = struct.pack(">IIBBBBB", picture.shape[1], picture.shape[0], 8, 6, 0, 0, 0)
        out = io.BytesIO()
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) +
                  chunk(b"IEND", b""))
        return out.getvalue()


def render(heights, path=None, *, size=(800, 600), supersample=1, transparent=False, camera=None, **keys):
    """The picture of `heights` as pelorin-render draws a data file of them
    with these keys: an array of (height, width, 4) uint8 RGBA, also
    written as a PNG to `path` when given."""
    return Scene(heights, **keys).render(camera, size, path, supersample=supersample, transparent=transparent)


def read(path, *, metres_per_level=None, level_0_metres=None):
    """A data file's grid as an int32 array (rows, columns): the text grid,
    a .npy array or an ESRI ASCII grid (.asc), read as the programs read
    them; the values of an .asc or float .npy become levels by the two
    keys, as in config.txt."""
    keys = {"metres_per_level": metres_per_level, "level_0_metres": level_0_metres}
    heights, said = _pelorin.read_grid(str(path), _keywords(keys))
    _say(said)
    return heights


def write(path, heights):
    """Writes `heights` as a data file the programs read: a .npy array by
    that ending, else the text grid, which must be square. Whole or not at
    all."""
    _pelorin.write_grid(str(path), _heights(heights))
