"""Times Pelorin's Python module, and VTK's Python bindings drawing the same
spheres, each in a fresh process of its own: bench.py starts one per run.

    python3 from_python.py render GRID.npy OUT.png KEYS [GRID.txt]
        `import pelorin`, then pelorin.render(heights, OUT.png, **KEYS); then
        the time pelorin.read takes on the same grid's text file
    python3 from_python.py scene GRID.npy KEYS ROUNDS
        a Scene's first picture, then other cameras, each drawn twice
    python3 from_python.py film GRID.npy COUNT FOLDER KEYS
        pelorin.film of COUNT frames of the grid, each rolled a few rows and
        columns, as FOLDER/f-0001.png...; then one frame's Scene.render
    python3 from_python.py vtk GRID.npy OUT.png AZIMUTH ELEVATION RADIUS
        the same spheres drawn by vtkPointGaussianMapper to a PNG

GRID.npy is loaded before any timing: every time is counted from the array
in memory. KEYS is a JSON object of keyword arguments. Prints one line per
figure, "name value", seconds unless said otherwise; a side that cannot be
measured here prints "missing REASON" and ends with status 0, so that the
bench says "not measured" rather than failing.
"""
import json
import os
import statistics
import sys
import time

import numpy

# Frames of a film are the grid rolled by these many rows and columns a frame,
# as the series the viewer steps through are made.
ROLL_ROWS, ROLL_COLUMNS = 37, 53
# Other cameras of the second picture: turned about the vertical axis and
# lowered, so that the view and what it culls both change.
OTHER_CAMERAS = ((90, 0), (180, -15), (270, 10))
# A picture's size unless asked otherwise, as pelorin-render's default.
SIZE = (800, 600)


def say(name, value):
    if isinstance(value, float):
        value = f"{value:.6f}"
    print(f"{name} {value}", flush=True)


def import_pelorin():
    """The module and the seconds its import took, or None after saying why."""
    start = time.perf_counter()
    try:
        import pelorin
    except ImportError as error:
        say("missing", f"the pelorin module does not import ({error})")
        return None, 0.0
    return pelorin, time.perf_counter() - start


def timed(call):
    start = time.perf_counter()
    result = call()
    return result, time.perf_counter() - start


def render_side(grid, out, keys, text=None):
    heights = numpy.load(grid)
    pelorin, seconds = import_pelorin()
    if pelorin is None:
        return
    say("import", seconds)
    picture, seconds = timed(lambda: pelorin.render(heights, out, size=SIZE, **keys))
    say("render", seconds)
    say("shape", "x".join(str(n) for n in picture.shape))
    # What a program reading the grid's text file pays that the array does
    # not: the programs' own reader of it, after the picture.
    if text:
        read, seconds = timed(lambda: pelorin.read(text))
        if not numpy.array_equal(read, heights):
            say("missing", f"{text} does not hold the grid of {grid}")
            return
        say("read-text", seconds)


def scene_side(grid, keys, rounds):
    """The first picture of a prepared Scene; then, for each other camera in
    turn, its first picture and the same camera's picture again, which is
    one frame's drawing of that very view."""
    heights = numpy.load(grid)
    pelorin, _ = import_pelorin()
    if pelorin is None:
        return
    scene, seconds = timed(lambda: pelorin.Scene(heights, **keys))
    say("prepare", seconds)
    opening = scene.opening_camera(SIZE)
    say("camera", f"{opening.azimuth} {opening.elevation}")
    _, seconds = timed(lambda: scene.render(size=SIZE))
    say("first", seconds)
    moved, again, ratios = [], [], []
    for _ in range(rounds):
        for turn, lower in OTHER_CAMERAS:
            camera = {"azimuth": (opening.azimuth + turn) % 360, "elevation": opening.elevation + lower,
                      "distance": opening.distance, "center": opening.center}
            moved.append(timed(lambda: scene.render(camera=camera, size=SIZE))[1])
            again.append(timed(lambda: scene.render(camera=camera, size=SIZE))[1])
            ratios.append(moved[-1] / again[-1])
    say("moved", statistics.median(moved))
    say("again", statistics.median(again))
    say("ratio", statistics.median(ratios))
    say("ratio-worst", max(ratios))


def film_side(grid, count, folder, keys):
    base = numpy.load(grid)
    frames = [numpy.roll(base, (k * ROLL_ROWS, k * ROLL_COLUMNS), axis=(0, 1)) for k in range(count)]
    pelorin, _ = import_pelorin()
    if pelorin is None:
        return
    if not hasattr(pelorin, "film"):
        say("missing", "pelorin.film is not in this build of the module")
        return
    _, seconds = timed(lambda: pelorin.film(frames, os.path.join(folder, "f.png"), size=SIZE, **keys))
    say("film", seconds)
    say("pictures", sum(1 for name in os.listdir(folder) if name.endswith(".png")))
    # One frame's draw: the prepared scene drawn again, as the film draws each.
    scene = pelorin.Scene(frames[-1], **keys)
    scene.render(size=SIZE)
    say("draw", statistics.median(timed(lambda: scene.render(size=SIZE))[1] for _ in range(5)))


def sphere_centres(heights):
    """Every level of every column, one point each: row i of the grid at
    y = i, column j at x = j, levels 0 to h at z = 0 to h; negative levels
    are empty cells."""
    rows, columns = heights.shape
    counts = numpy.maximum(heights.astype(numpy.int64) + 1, 0).ravel()
    cells = numpy.repeat(numpy.arange(rows * columns), counts)
    first = numpy.repeat(numpy.cumsum(counts) - counts, counts)
    centres = numpy.empty((cells.size, 3), numpy.float32)
    centres[:, 1], centres[:, 0] = numpy.divmod(cells, columns)
    centres[:, 2] = numpy.arange(cells.size) - first
    return centres


# VTK's own shader snippet for round splats: a disc of the given radius,
# darkened towards its rim, which reads as a sphere.
SPHERE_SPLAT = (
    "//VTK::Color::Impl\n"
    "float dist = dot(offsetVCVSOutput.xy, offsetVCVSOutput.xy);\n"
    "if (dist > 1.0) {\n"
    "  discard;\n"
    "} else {\n"
    "  float scale = (1.0 - dist);\n"
    "  ambientColor *= scale;\n"
    "  diffuseColor *= scale;\n"
    "}\n")


def vtk_side(grid, out, azimuth, elevation, radius):
    heights = numpy.load(grid)
    start = time.perf_counter()
    try:
        import vtk
        from vtk.util import numpy_support
    except ImportError as error:
        say("missing", f"VTK's Python bindings do not import ({error})")
        return
    say("import", time.perf_counter() - start)

    start = time.perf_counter()
    centres = sphere_centres(heights)
    points = vtk.vtkPoints()
    points.SetData(numpy_support.numpy_to_vtk(centres, deep=False))
    data = vtk.vtkPolyData()
    data.SetPoints(points)
    data.GetPointData().SetScalars(numpy_support.numpy_to_vtk(centres[:, 2].copy(), deep=True))
    built = time.perf_counter()

    mapper = vtk.vtkPointGaussianMapper()
    mapper.SetInputData(data)
    # With a splat shader of its own the scale factor is the splat's radius.
    mapper.SetScaleFactor(radius)
    mapper.SetSplatShaderCode(SPHERE_SPLAT)
    mapper.EmissiveOff()
    mapper.SetScalarRange(0, max(1.0, float(centres[:, 2].max())))
    actor = vtk.vtkActor()
    actor.SetMapper(mapper)
    renderer = vtk.vtkRenderer()
    renderer.AddActor(actor)
    renderer.SetBackground(1, 1, 1)
    window = vtk.vtkRenderWindow()
    window.SetOffScreenRendering(1)
    window.AddRenderer(renderer)
    window.SetSize(*SIZE)
    # Pelorin's opening direction, fitted to the points by VTK's own reset.
    camera = renderer.GetActiveCamera()
    rows, columns = heights.shape
    centre = ((columns - 1) / 2, (rows - 1) / 2, 0.0)
    a, e = numpy.radians(azimuth), numpy.radians(elevation)
    camera.SetFocalPoint(*centre)
    camera.SetPosition(centre[0] + numpy.cos(e) * numpy.cos(a), centre[1] + numpy.cos(e) * numpy.sin(a),
                       numpy.sin(e))
    camera.SetViewUp(0, 0, 1)
    renderer.ResetCamera()
    window.Render()
    drawn = time.perf_counter()

    grab = vtk.vtkWindowToImageFilter()
    grab.SetInput(window)
    grab.ReadFrontBufferOff()
    # The window was just drawn: read it as it is rather than draw it again.
    grab.ShouldRerenderOff()
    writer = vtk.vtkPNGWriter()
    writer.SetFileName(out)
    writer.SetInputConnection(grab.GetOutputPort())
    writer.Write()
    written = time.perf_counter()
    say("points", built - start)
    say("draw", drawn - built)
    say("png", written - drawn)
    say("total", written - start)
    say("spheres", centres.shape[0])
    say("renderer", window.ReportCapabilities().split("OpenGL renderer string:", 1)[-1].splitlines()[0].strip())


def main():
    side, args = sys.argv[1], sys.argv[2:]
    if side == "render":
        render_side(args[0], args[1], json.loads(args[2]), *args[3:4])
    elif side == "scene":
        scene_side(args[0], json.loads(args[1]), int(args[2]))
    elif side == "film":
        film_side(args[0], int(args[1]), args[2], json.loads(args[3]))
    elif side == "vtk":
        vtk_side(args[0], args[1], float(args[2]), float(args[3]), float(args[4]))
    else:
        sys.exit(f"error: from_python.py: unknown side {side!r}")


if __name__ == "__main__":
    main()
