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
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import warnings
from dataclasses import dataclass
from typing import Optional, Tuple

import numpy

from . import _pelorin

__all__ = ["render", "Scene", "Camera", "read", "write", "film", "Film", "show", "numbered_name", "PelorinWarning"]


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


class Film:
    """Frames shown one after another in one prepared scene, as
    `pelorin-render --series` draws a series: with the camera the opening
    frame gives (refitted as frames grow beyond it with fit_view="grow"), and
    the colour range of the opening frame unless colour_range is given (with
    colour_range="grow" widened by each frame shown).

    `opening` is the frame the camera and colours are taken from and the
    one on show at first. Each frame is copied as it is shown, so a
    simulation may fill one array again for each step."""

    def __init__(self, opening, *, size=(800, 600), camera=None, supersample=1, **keys):
        width, height = _size(size)
        self._film = _pelorin.Film(_heights(opening), _keywords(keys), _camera_keywords(camera), width, height,
                                   int(supersample))
        self._number = 0
        _say(self._film.take_warnings())

    def draw(self, heights=None, path=None, *, number=None, frames=None, file=""):
        """The picture of `heights` shown in place of the frame on show, or
        of the frame on show when None: an array of (height, width, 4) uint8
        RGBA, also a PNG at `path` when given. `number` (by default the one
        after the last drawn), `frames` and `file` are what a caption's
        ${frame}, ${frames} and ${file} say."""
        number = self._number + 1 if number is None else int(number)
        if heights is not None:
            self._film.show(_heights(heights), number)
            _say(self._film.take_warnings())
        picture = self._film.draw(number, number if frames is None else int(frames), str(file),
                                  "" if path is None else os.fspath(path))
        _say(self._film.take_warnings())
        self._number = number
        return picture


def numbered_name(path, number):
    """The name of picture `number` (from 1) of a series written to `path`,
    as pelorin-render numbers them: out/f.png gives out/f-0001.png."""
    return _pelorin.numbered_name(os.fspath(path), int(number))


_FILM_RATES = (0.01, 1000)


def _film_kind(path):
    """"mp4" or "png" by the ending of `path`; anything else is refused."""
    if path.endswith(os.sep) or os.path.isdir(path):
        raise ValueError(f"film: '{path}' is a folder; name the pictures in it, as {os.path.join(path, 'frame.png')}")
    ending = os.path.splitext(path)[1].lower()
    if ending in (".mp4", ".png"):
        return ending[1:]
    raise ValueError(f"film: '{path}' ends in neither .png (numbered pictures) nor .mp4 (a film)")


def film(frames, path, *, fps=25, size=(800, 600), camera=None, supersample=1, **keys):
    """Draws `frames`, an iterable of 2-D integer arrays (a generator too),
    as pelorin-render --series draws a series of data files of them: one
    camera and one colour range, both the first frame's unless given. `path`
    ending in .png gives numbered pictures (out/f.png: out/f-0001.png, ...),
    its folder made if need be, and returns their paths; ending in .mp4 a
    film of them at `fps` pictures a second, encoded by ffmpeg, and returns
    its path. Frames are drawn as they come and none is kept."""
    path = os.fspath(path)
    kind = _film_kind(path)
    # The keys are checked before any frame is asked for: what is wrong
    # below is then the frames'.
    _pelorin.config_keys(_keywords(keys), _camera_keywords(camera))
    if kind == "mp4":
        if not (isinstance(fps, numbers.Real) and _FILM_RATES[0] <= fps <= _FILM_RATES[1]):
            raise ValueError(f"fps: {fps!r} is not a number of pictures a second from {_FILM_RATES[0]:g} to "
                             f"{_FILM_RATES[1]:g}")
        problem = _pelorin.destination_problem(path)
        if problem:
            raise OSError(problem)
        folder = os.path.dirname(path) or "."
        with tempfile.TemporaryDirectory(prefix=".pelorin-film-", dir=folder) as pictures:
            drawn = _draw_frames(frames, os.path.join(pictures, "frame.png"), size, camera, supersample, keys)
            _pelorin.encode_film(os.path.join(pictures, "frame.png"), len(drawn), float(fps), path)
        return path
    # As pelorin-render makes a series' folder; what cannot be made is the
    # first picture's destination problem.
    if os.path.dirname(path):
        try:
            os.makedirs(os.path.dirname(path), exist_ok=True)
        except OSError:
            pass
    return _draw_frames(frames, path, size, camera, supersample, keys)


def _draw_frames(frames, output, size, camera, supersample, keys):
    """The pictures of `frames` written to `output` numbered from 1; their
    paths."""
    known = len(frames) if hasattr(frames, "__len__") else None
    written = []
    drawn = None
    for number, heights in enumerate(frames, start=1):
        try:
            if drawn is None:
                drawn = Film(heights, size=size, camera=camera, supersample=supersample, **keys)
                heights = None
            name = numbered_name(output, number)
            drawn.draw(heights, name, number=number, frames=known)
        except ValueError as refused:
            raise ValueError(f"frame {number}: {refused}") from None
        written.append(name)
    if not written:
        raise ValueError("film: no frames were given; nothing is written")
    return written


def _viewer():
    """The viewer program: PELORIN_VIEWER, else the one the build made
    beside this module, else `pelorin` on the PATH."""
    named = os.environ.get("PELORIN_VIEWER")
    if named:
        return named
    try:
        from ._programs import viewer as built
    except ImportError:
        built = None
    if built and os.access(built, os.X_OK):
        return built
    found = shutil.which("pelorin")
    if found:
        return found
    raise RuntimeError("show: the pelorin viewer is not found: not built beside this module, not on the PATH; "
                       "build it (make build) or name it with PELORIN_VIEWER")


def _config_value(key, value):
    if "\n" in value or "\r" in value:
        raise ValueError(f"{key}: a value for config.txt is one line")
    return "'" + value.replace("'", "\\'") + "'"


def show(heights, *, camera=None, **keys):
    """Opens the viewer on `heights` with these keys (and the [camera] keys
    of `camera`), and returns when its window closes. What the viewer
    prints (picks, camera lines) goes to sys.stdout; its warnings come as
    PelorinWarning. A RuntimeError says why it could not be opened."""
    if not os.environ.get("DISPLAY"):
        raise RuntimeError("show: no display to open a window on (DISPLAY is not set); "
                           "pelorin.render and pelorin.film draw without one")
    keys = _pelorin.config_keys(_keywords(keys), _camera_keywords(camera))
    viewer = _viewer()
    sections = {"data": ["file = data.npy"]}
    for key, value in keys:
        section, name = key.split("/", 1)
        sections.setdefault(section, []).append(f"{name} = {_config_value(key, value)}")
    config = "".join(f"[{section}]\n" + "".join(line + "\n" for line in lines) for section, lines in sections.items())
    with tempfile.TemporaryDirectory(prefix="pelorin-show-") as folder:
        write(os.path.join(folder, "data.npy"), heights)
        with open(os.path.join(folder, "config.txt"), "w") as file:
            file.write(config)
        try:
            process = subprocess.Popen([viewer], cwd=folder, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE, text=True, errors="replace")
        except OSError as failed:
            raise RuntimeError(f"show: the viewer '{viewer}' cannot be started: {failed.strerror}") from None
        said = []
        reader = threading.Thread(target=lambda: said.extend(process.stderr), daemon=True)
        reader.start()
        try:
            for line in process.stdout:
                sys.stdout.write(line)
                sys.stdout.flush()
            status = process.wait()
        finally:
            if process.poll() is None:
                process.terminate()
                process.wait()
            reader.join()
    errors = [line.rstrip("\n") for line in said if "error:" in line]
    if status != 0:
        text = "; ".join(errors) or "".join(said).strip() or f"it ended with status {status}"
        raise RuntimeError(f"show: the viewer failed: {text}")
    _say(line.rstrip("\n") for line in said if "warning:" in line)
