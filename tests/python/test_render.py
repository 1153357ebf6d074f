"""Pictures from Python against pelorin-render's, and the arrays they come in."""

import os
import subprocess
import sys

import numpy
import pytest

import pelorin
from conftest import config_text, data_text, read_png, ridge, run_render, share_close

SIZE = (160, 120)

# Keywords, the config.txt keys they stand for, and the camera of both.
SAME_AS_PROGRAM = [
    ({}, {}, None),
    ({"renderer": "impostors", "colour": "height", "ambient_occlusion": True},
     {"display/renderer": "impostors", "display/colour": "height", "display/ambient-occlusion": "1"}, None),
    ({"fit_view": True, "legend": True, "axes": True, "colour": "height", "colour_range": (0, 20), "cell_metres": 30},
     {"display/fit-view": "1", "display/legend": "1", "display/axes": "1", "display/colour": "height",
      "display/colour-range": "0 20", "data/cell-metres": "30"}, None),
    ({"sphere_r": 0.6, "sphere_tesel": 10}, {"display/sphere-r": "0.6", "display/sphere-tesel": "10"},
     {"azimuth": 200, "elevation": 30, "distance": 40, "center": (12, 12, 3)}),
]


@pytest.mark.parametrize("keywords, keys, camera", SAME_AS_PROGRAM)
def test_picture_is_pelorin_renders(tmp_path, pelorin_render, keywords, keys, camera):
    heights = ridge()
    (tmp_path / "data.txt").write_text(data_text(heights))
    (tmp_path / "config.txt").write_text(config_text(keys, camera))
    run_render(pelorin_render, tmp_path, "-o", "program.png", "--size", "%dx%d" % SIZE)
    picture = pelorin.render(heights, size=SIZE, camera=camera, **keywords)
    assert share_close(picture, read_png(tmp_path / "program.png")) >= 0.995


def test_non_square_grid_is_drawn_as_its_npy_file(tmp_path, pelorin_render):
    heights = ridge(rows=12, columns=30)
    numpy.save(tmp_path / "data.npy", heights)
    (tmp_path / "config.txt").write_text(config_text({"display/renderer": "impostors"}, data_file="data.npy"))
    run_render(pelorin_render, tmp_path, "-o", "program.png", "--size", "%dx%d" % SIZE, "--transparent")
    picture = pelorin.render(heights, size=SIZE, transparent=True, renderer="impostors")
    assert share_close(picture, read_png(tmp_path / "program.png")) >= 0.995


def test_turntable_turns_as_pelorin_render_turns(tmp_path, pelorin_render):
    heights = ridge()
    (tmp_path / "data.txt").write_text(data_text(heights))
    (tmp_path / "config.txt").write_text(config_text({"display/renderer": "impostors"}))
    run_render(pelorin_render, tmp_path, "-o", "turn.png", "--size", "%dx%d" % SIZE, "--turntable", "3")
    pictures = pelorin.Scene(heights, renderer="impostors").turntable(3, size=SIZE)
    assert len(pictures) == 3
    for number, picture in enumerate(pictures, start=1):
        assert share_close(picture, read_png(tmp_path / f"turn-{number:04d}.png")) >= 0.995


@pytest.mark.parametrize("transparent", [False, True])
def test_picture_shape_and_alpha(transparent):
    picture = pelorin.render(ridge(), size=(64, 48), transparent=transparent, renderer="impostors")
    assert picture.shape == (48, 64, 4) and picture.dtype == numpy.uint8
    alpha = picture[..., 3]
    if transparent:
        # The background is clear, the spheres are not.
        assert alpha.min() == 0 and alpha.max() == 255
    else:
        assert (alpha == 255).all()


def test_written_png_holds_the_returned_picture(tmp_path):
    picture = pelorin.render(ridge(), tmp_path / "out.png", size=(40, 30), transparent=True)
    assert (read_png(tmp_path / "out.png") == picture).all()


def test_unwritable_path_is_refused_before_drawing(tmp_path):
    with pytest.raises(OSError, match="does not exist"):
        pelorin.render(ridge(), tmp_path / "missing" / "out.png", size=(40, 30))


def test_no_egl_display_is_a_runtime_error():
    # With no EGL vendor library to load, no context can be made.
    environment = dict(os.environ, __EGL_VENDOR_LIBRARY_FILENAMES="/nonexistent.json",
                       __EGL_VENDOR_LIBRARY_DIRS="/nonexistent")
    script = "import numpy, pelorin\ntry:\n pelorin.render(numpy.ones((2, 2), 'i4'))\n" \
             "except RuntimeError as e:\n print('RuntimeError:', e)\n"
    done = subprocess.run([sys.executable, "-c", script], env=environment, capture_output=True, text=True, timeout=120)
    assert "RuntimeError: no OpenGL context could be made without a display" in done.stdout, done.stderr


class TestSceneReuse:
    scene = None

    @pytest.fixture(autouse=True)
    def made(self):
        if TestSceneReuse.scene is None:
            TestSceneReuse.scene = pelorin.Scene(ridge(), renderer="impostors")
        self.scene = TestSceneReuse.scene

    def test_two_cameras_give_two_pictures(self):
        assert (self.scene.render(size=SIZE) != self.scene.render(camera={"azimuth": 100}, size=SIZE)).any()

    def test_same_camera_gives_the_same_picture(self):
        camera = pelorin.Camera(azimuth=150, elevation=35, distance=35, center=(10, 10, 2))
        assert (self.scene.render(camera, size=SIZE) == self.scene.render(camera, size=SIZE)).all()

    def test_opening_camera_given_back_draws_the_opening_picture(self):
        opening = self.scene.camera
        assert (opening.azimuth, opening.elevation) == (225, 45)
        assert (self.scene.render(opening, size=(800, 600)) == self.scene.render(size=(800, 600))).mean() > 0.999

    def test_camera_dict_and_object_agree(self):
        as_dict = {"azimuth": 60, "elevation": 20}
        as_object = type("View", (), as_dict)()
        assert (self.scene.render(as_dict, size=SIZE) == self.scene.render(as_object, size=SIZE)).all()

    def test_notebook_shows_a_png(self, tmp_path):
        shown = tmp_path / "shown.png"
        shown.write_bytes(self.scene._repr_png_())
        assert (read_png(shown) == self.scene.render()).all()
