"""Series drawn from Python against pelorin-render --series, and the frames
film refuses."""

import os
import shutil
import subprocess

import numpy
import pytest

import pelorin
from conftest import config_text, numbered_pictures, read_png, ridge, rising, run_render, write_frames

SIZE = (120, 90)

# Keywords, and the config.txt keys they stand for; each with frames that
# rise, so a camera or colours taken from any but the first frame show.
SERIES_KEYS = [
    ({}, {}),
    ({"renderer": "impostors", "colour": "height", "legend": True},
     {"display/renderer": "impostors", "display/colour": "height", "display/legend": "1"}),
    ({"colour": "height", "fit_view": True, "caption": "${frame} of ${frames}"},
     {"display/colour": "height", "display/fit-view": "1", "display/caption": "${frame} of ${frames}"}),
    ({"renderer": "impostors", "colour": "height", "fit_view": "grow", "colour_range": "grow"},
     {"display/renderer": "impostors", "display/colour": "height", "display/fit-view": "grow",
      "display/colour-range": "grow"}),
]


@pytest.mark.parametrize("keywords, keys", SERIES_KEYS)
def test_film_draws_what_pelorin_render_series_draws(tmp_path, pelorin_render, keywords, keys):
    frames = rising(3)
    write_frames(tmp_path / "frames", frames)
    (tmp_path / "config.txt").write_text(config_text(dict(keys, **{"data/series": "frames/h-%04d.txt"}),
                                                     data_file=None))
    run_render(pelorin_render, tmp_path, "--series", "-o", "program/f.png", "--size", "%dx%d" % SIZE)
    # A generator, whose length is not known: the caption's ${frames} is
    # given by `frames` only where the series has a length.
    if "caption" in keywords:
        source = frames
    else:
        source = (frame for frame in frames)
    written = pelorin.film(source, tmp_path / "python" / "f.png", size=SIZE, **keywords)
    assert written == [str(tmp_path / "python" / f"f-{n:04d}.png") for n in (1, 2, 3)]
    program = numbered_pictures(tmp_path / "program")
    assert len(program) == 3
    for ours, theirs in zip(written, program):
        assert (read_png(ours) == read_png(theirs)).all(), ours


def test_film_encodes_an_mp4_of_every_frame(tmp_path):
    if shutil.which("ffprobe") is None or shutil.which("ffmpeg") is None:
        pytest.skip("ffmpeg is not installed")
    path = pelorin.film((frame for frame in rising(4)), tmp_path / "run.mp4", fps=10, size=(81, 61),
                        renderer="impostors")
    assert path == str(tmp_path / "run.mp4")
    counted = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                              "stream=nb_read_frames,width,height", "-of", "csv=p=0", path],
                             capture_output=True, text=True, timeout=60)
    # Odd sides are padded to even ones, as pelorin-render's film is.
    assert counted.stdout.strip() == "82,62,4", counted.stderr
    # The pictures it was made of are gone with their folder.
    assert os.listdir(tmp_path) == ["run.mp4"]


# What film refuses: frames, the path (under tmp_path), the error, and the
# pictures written before it.
REFUSED = [
    ([], "f.png", {}, ValueError, "no frames", 0),
    ([ridge()], "out/", {}, ValueError, "is a folder", 0),
    ([ridge()], "f.jpg", {}, ValueError, "neither .png", 0),
    ([ridge()], "missing/f.mp4", {}, OSError, "does not exist", 0),
    ([ridge()], "f.mp4", {"fps": 0}, ValueError, "fps", 0),
    ([ridge(), ridge().astype(float)], "f.png", {}, ValueError, "frame 2: heights: an array of float64", 1),
    ([ridge(), numpy.zeros((2, 2, 2), "i4")], "f.png", {}, ValueError, "frame 2: heights: a 3-dimensional", 1),
    ([ridge()], "f.png", {"renderer": "raytrace"}, ValueError, "^display/renderer: unknown value", 0),
]


@pytest.mark.parametrize("frames, name, options, error, said, written", REFUSED)
def test_film_refuses(tmp_path, frames, name, options, error, said, written):
    (tmp_path / "out").mkdir()
    with pytest.raises(error, match=said):
        pelorin.film(frames, str(tmp_path / name), size=(40, 30), **options)
    assert len(numbered_pictures(tmp_path)) == written


@pytest.mark.parametrize("renderer", ["lists", "impostors"])
def test_a_frame_shown_again_draws_as_it_opened(renderer):
    frames = rising(2)
    film = pelorin.Film(frames[0], size=SIZE, colour="height", renderer=renderer)
    opening = film.draw()
    other = film.draw(frames[1])
    assert (opening != other).any()
    assert (film.draw(frames[0]) == opening).all()


def test_one_array_filled_again_each_step_draws_each_step(tmp_path):
    frames = rising(3)

    def simulation():
        state = numpy.empty_like(frames[0])
        for frame in frames:
            state[...] = frame
            yield state

    stepped = pelorin.film(simulation(), tmp_path / "stepped" / "f.png", size=SIZE, colour="height")
    copied = pelorin.film(frames, tmp_path / "copied" / "f.png", size=SIZE, colour="height")
    for a, b in zip(stepped, copied):
        assert (read_png(a) == read_png(b)).all()


@pytest.mark.parametrize("fit_view", [False, True])
def test_camera_is_the_opening_frames_though_it_is_not_drawn(fit_view):
    # As a worker drawing a later range of a series: opened on frame 1,
    # its first picture is of frame 3.
    frames = rising(3)
    keys = {"fit_view": fit_view, "colour": "height"}
    later = pelorin.Film(frames[0], size=SIZE, **keys).draw(frames[2], number=3)
    film = pelorin.Film(frames[0], size=SIZE, **keys)
    film.draw()
    film.draw(frames[1])
    assert (film.draw(frames[2]) == later).all()
