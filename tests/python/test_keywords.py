"""Keywords checked against the programs' table of keys, and the arrays a
grid may come as."""

import numpy
import pytest

import pelorin
from conftest import ridge

GRID = numpy.array([[1, 0], [0, 2]], numpy.int32)

REFUSED_KEYWORDS = [
    ({"ambient_oclusion": True}, TypeError,
     "unknown keyword 'ambient_oclusion' (did you mean ambient_occlusion, display/ambient-occlusion?)"),
    ({"rendrer": "impostors"}, TypeError, "unknown keyword 'rendrer' (did you mean renderer, display/renderer?)"),
    ({"azimuth": 30}, TypeError, "unknown keyword 'azimuth': the camera is given as camera={'azimuth': ...}"),
    ({"watch": True}, TypeError, "unknown keyword 'watch': data/watch means nothing for a grid given as an array"),
    ({"zzz": 1}, TypeError, "unknown keyword 'zzz'"),
    ({"renderer": "raytrace"}, ValueError,
     'display/renderer: unknown value "raytrace" (expected lists or impostors); using lists'),
    ({"legend": 2}, ValueError, 'display/legend: "2" is neither 0 nor 1; the programs take it as 0'),
    ({"colour_range": (40, 0)}, ValueError,
     "display/colour-range: \"40 0\" is not two numbers, the lower first (write colour-range = 'LOW HIGH'); ignored"),
    ({"sphere_r": "big"}, ValueError, 'display/sphere-r: "big" is not a number; the programs use 0.75'),
    ({"metres_per_level": -1}, ValueError,
     'data/metres-per-level: "-1" is not a number above 0; the programs leave it unset'),
    ({"floor": 2.5}, ValueError,
     'display/floor: "2.5" is not a whole number from 0 to 2147483647; the programs leave it unset'),
    ({"colour": [1, 2, 3, {}]}, TypeError, "colour: a dict is no value for a key; give a number, a string or a tuple"),
]


@pytest.mark.parametrize("keywords, error, message", REFUSED_KEYWORDS)
def test_refused_keyword(keywords, error, message):
    with pytest.raises(error) as raised:
        pelorin.Scene(GRID, **keywords)
    assert str(raised.value) == message


REFUSED_CAMERAS = [
    ({"azimut": 30}, TypeError, "unknown camera key 'azimut' (did you mean azimuth, camera/azimuth?)"),
    ({"sphere_r": 1}, TypeError, "unknown camera key 'sphere_r': display/sphere-r is a keyword of its own"),
    ({"azimuth": "north"}, ValueError, 'camera/azimuth: "north" is not a number; ignored'),
    ({"center": (1, 2)}, ValueError,
     "camera/center: \"1 2\" is not three numbers (write center = 'X Y Z'); ignored"),
    (object(), TypeError, "camera: a object has none of azimuth, elevation, distance, center"),
]


@pytest.mark.parametrize("camera, error, message", REFUSED_CAMERAS)
def test_refused_camera(camera, error, message):
    scene = pelorin.Scene(GRID)
    with pytest.raises(error) as raised:
        scene.render(camera, size=(8, 8))
    assert str(raised.value) == message


REFUSED_ARRAYS = [
    (GRID.astype(numpy.float64), "heights: an array of float64; levels are whole numbers"),
    (GRID.astype(bool), "heights: an array of bool;"),
    (GRID.astype(object), "heights: an array of object;"),
    (numpy.arange(4, dtype=numpy.int32), "heights: a 1-dimensional array; a grid is a 2-dimensional one"),
    (numpy.zeros((2, 2, 2), numpy.int32), "heights: a 3-dimensional array"),
    (numpy.array([[1, 2**31]], numpy.int64),
     "heights: the height at row 1, column 2 is 2147483648, more than the largest height, 2147483647"),
]


@pytest.mark.parametrize("heights, message", REFUSED_ARRAYS)
def test_refused_array(heights, message):
    with pytest.raises(ValueError) as raised:
        pelorin.Scene(heights)
    assert str(raised.value).startswith(message)


def layouts(heights):
    """The same levels as other dtypes and layouts, negatives made deeper."""
    deeper = heights.copy()
    deeper[deeper < 0] = -7
    return [
        heights.astype(numpy.int8),
        heights.astype(numpy.int64),
        heights.astype(numpy.dtype(">i4")),
        numpy.asfortranarray(heights),
        deeper,
    ]


@pytest.mark.parametrize("index", range(5))
def test_other_integer_layouts_draw_the_same(index):
    heights = ridge(12, 12)
    expected = pelorin.render(heights, size=(96, 72), renderer="impostors")
    given = layouts(heights)[index]
    assert (pelorin.render(given, size=(96, 72), renderer="impostors") == expected).all()


def test_warnings_of_the_scene_become_python_warnings():
    with pytest.warns(pelorin.PelorinWarning, match="display/outlines: drawn only with display/renderer = impostors"):
        pelorin.Scene(GRID, outlines=True)


def test_keywords_change_the_picture():
    # Each key given is taken: a picture with it differs from one without.
    plain = pelorin.render(ridge(), size=(80, 60))
    for keywords in ({"colour": "height"}, {"sphere_r": 0.4}, {"fit_view": 1}, {"caption": "${frame} of ${frames}"}):
        assert (pelorin.render(ridge(), size=(80, 60), **keywords) != plain).any(), keywords
