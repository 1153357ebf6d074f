"""pelorin.show: the viewer run on the array, here stood in for by small
programs that say what they were given, and the real one where it cannot
open a window."""

import os
import stat

import pytest

import pelorin
from conftest import ridge


def stand_in(folder, script):
    """A program at folder/viewer running `script` with sh."""
    path = folder / "viewer"
    path.write_text("#!/bin/sh\n" + script)
    path.chmod(path.stat().st_mode | stat.S_IXUSR)
    return str(path)


@pytest.fixture
def display(monkeypatch):
    monkeypatch.setenv("DISPLAY", ":0")
    return monkeypatch


def test_no_display_is_said(monkeypatch):
    monkeypatch.delenv("DISPLAY", raising=False)
    with pytest.raises(RuntimeError, match="no display.*DISPLAY is not set"):
        pelorin.show(ridge())


def test_viewer_is_given_the_array_and_the_keys(tmp_path, display, capsys):
    # The stand-in prints its config.txt and the data file's grid, as the
    # viewer prints picks: to Python's standard output.
    display.setenv("PELORIN_VIEWER", stand_in(tmp_path, "cat config.txt\nls\n"))
    pelorin.show(ridge(), renderer="impostors", caption="it's ${frame}", cell_metres=30,
                 camera={"azimuth": 100})
    shown = capsys.readouterr().out
    assert "[display]\nrenderer = 'impostors'\ncaption = 'it\\'s ${frame}'\n" in shown
    assert "[data]\nfile = data.npy\ncell-metres = '30'\n" in shown
    assert "[camera]\nazimuth = '100'\n" in shown
    assert "data.npy" in shown.splitlines()


# Viewers that fail, and what the RuntimeError says.
FAILING = [
    ("echo 'warning: a note' >&2\necho 'error: the data file cannot be opened' >&2\nexit 1\n",
     "the viewer failed: error: the data file cannot be opened$"),
    ("echo 'freeglut: failed to open display' >&2\nexit 1\n", "failed to open display"),
    ("exit 3\n", "ended with status 3"),
]


@pytest.mark.parametrize("script, said", FAILING)
def test_failing_viewer_is_a_runtime_error(tmp_path, display, script, said):
    display.setenv("PELORIN_VIEWER", stand_in(tmp_path, script))
    with pytest.raises(RuntimeError, match=said):
        pelorin.show(ridge())


def test_viewer_warnings_are_warnings(tmp_path, display):
    display.setenv("PELORIN_VIEWER", stand_in(tmp_path, "echo 'warning: display/floor: drawn only with impostors' >&2\n"))
    with pytest.warns(pelorin.PelorinWarning, match="display/floor"):
        pelorin.show(ridge())


def test_a_key_is_refused_before_the_viewer_runs(tmp_path, display):
    ran = tmp_path / "ran"
    display.setenv("PELORIN_VIEWER", stand_in(tmp_path, f"touch {ran}\n"))
    with pytest.raises(ValueError, match="one line"):
        pelorin.show(ridge(), caption="two\nlines")
    assert not ran.exists()


def test_real_viewer_without_a_display_server_fails_cleanly(display):
    # A display named that no server answers: the viewer ends at once.
    try:
        from pelorin._programs import viewer
    except ImportError:
        pytest.skip("the viewer is not built beside the module")
    if not os.access(viewer, os.X_OK):
        pytest.skip("the viewer is not built")
    display.delenv("PELORIN_VIEWER", raising=False)
    display.setenv("DISPLAY", ":8765")
    with pytest.raises(RuntimeError, match="the viewer failed"):
        pelorin.show(ridge())
