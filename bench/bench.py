"""Runs Pelorin's benchmarks and prints one markdown table.

Called by bench/run (`make bench`), which builds the programs first. Every
timing is the median of repeated runs. The table is made of row groups: each
is one function below that takes the Bench and returns its rows; to add
figures, write such a function and list it in ROW_GROUPS.
"""
import argparse
import datetime
import glob
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Sizes of the smooth terrains other figures use, and the loading sizes.
TERRAIN_SIZES = [64, 128, 256, 512]
LOAD_SIZE, LOAD_SIZE_QUICK = 2048, 128
LINEAR_SIZES, LINEAR_SIZES_QUICK = (1024, 2048), (64, 128)


class Grid:
    """A generated grid file: its path, size in bytes and number of points."""

    def __init__(self, kind, size, path, points, arg=None):
        self.kind, self.size, self.path, self.points, self.arg = kind, size, path, points, arg
        self.bytes = os.path.getsize(path)

    def describe(self):
        what = {"smooth": "terrain", "relief": "relief terrain"}.get(self.kind, "grid of 0s and 1s")
        if self.kind == "relief" and self.arg is not None:
            what = f"relief terrain of {self.arg} levels"
        elif self.kind == "tall":
            what = f"relief of heights {self.arg} to {self.arg + 4}"
        elif self.kind.startswith("real"):
            what = self.kind
        elif self.kind == "deposition":
            what = f"rough surface around height {self.arg}"
        size = f"{self.bytes / 1e6:.1f} MB" if self.bytes >= 1e6 else f"{self.bytes / 1e3:.0f} kB"
        if self.path.endswith(".npy"):
            size = ".npy, " + size
        points = f"{self.points / 1e9:.2f} G" if self.points >= 1e9 else f"{self.points / 1e6:.2f} M"
        return f"{self.size}x{self.size} {what} ({size}, {points} points)"


class Row:
    """One line of the table. `seconds` None leaves the timing columns empty."""

    def __init__(self, figure, program, seconds=None, grid=None, ratio="", goal=""):
        self.figure, self.program, self.seconds, self.grid = figure, program, seconds, grid
        self.ratio, self.goal = ratio, goal


class Bench:
    def __init__(self, build, quick, repeats):
        self.build, self.quick, self.repeats = build, quick, repeats
        self.scratch = os.path.join(build, "grids")
        os.makedirs(self.scratch, exist_ok=True)
        self.grids = {}
        self.renderer, self.display, self.peak_kb = None, None, {}

    # --- inputs -----------------------------------------------------------

    def grid(self, kind, size, arg=None, ending="txt"):
        """The grid file, generated once per build folder and read once so
        that it is in the page cache. `arg` is the generator's LEVELS or
        MEAN; the ending "npy" writes a .npy file."""
        key = (kind, size, arg, ending)
        if key not in self.grids:
            name = f"{kind}-{size}" + ("" if arg is None else f"-{arg}")
            path = os.path.join(self.scratch, f"{name}.{ending}")
            count = path + ".points"
            if not (os.path.exists(path) and os.path.exists(count)):
                extra = [] if arg is None else [str(arg)]
                out = self.run([self.program("bench_terrain"), kind, str(size)] + extra + [path])
                with open(count, "w") as f:
                    f.write(out.strip())
            with open(count) as f:
                points = int(f.read())
            with open(path, "rb") as f:
                while f.read(1 << 20):
                    pass
            self.grids[key] = Grid(kind, size, path, points, arg)
        return self.grids[key]

    # --- timings ----------------------------------------------------------

    def program(self, name):
        return os.path.join(self.build, name)

    def run(self, command, env=None):
        done = subprocess.run(command, check=True, capture_output=True, text=True, env=env)
        return done.stdout

    def load_one(self, mode, grid):
        """Seconds of one load by bench_load, in a process of its own."""
        command = [self.program("bench_load"), mode, grid.path]
        if mode.startswith("floor"):
            command.append(str(grid.points))
        result = [l for l in self.run(command).splitlines() if l.startswith("result ")][-1].split()
        if int(result[2]) != grid.points:
            sys.exit(f"bench: {mode} read {result[2]} points from {grid.path}, expected {grid.points}")
        return float(result[1])

    def load(self, modes, grid, repeats=None):
        """Median seconds of each mode's loads. The modes take turns, so that
        the machine's changing state (other work, how readily the kernel
        finds huge pages) falls on all of them alike."""
        times = {mode: [] for mode in modes}
        for _ in range(repeats or self.repeats):
            for mode in modes:
                times[mode].append(self.load_one(mode, grid))
        return {mode: statistics.median(t) for mode, t in times.items()}

    def peer(self, peer, grid):
        out = self.run(["/usr/bin/python3", os.path.join(ROOT, "bench", "peers.py"), peer, grid.path,
                        str(self.repeats)])
        return statistics.median(float(t) for t in out.split())

    def cat(self, grid):
        """`cat FILE > /dev/null`, process start included."""
        times = []
        for _ in range(self.repeats):
            start = time.perf_counter()
            subprocess.run(["cat", grid.path], check=True, stdout=subprocess.DEVNULL)
            times.append(time.perf_counter() - start)
        return statistics.median(times)


# --- row groups ---------------------------------------------------------------


def goal_text(met, text):
    return ("met: " if met else "NOT met: ") + text


def loading_group(bench, kind):
    """SurfData beside the plain loop, the peers and the floors on one grid."""
    grid = bench.grid(kind, LOAD_SIZE_QUICK if bench.quick else LOAD_SIZE)
    figure = "Loading " + grid.describe()
    # The quick loads get more runs: their medians are the figures compared.
    quick_loads = bench.load(["surfdata", "floor"], grid, 2 * bench.repeats + 1)
    ours, floor = quick_loads["surfdata"], quick_loads["floor"]
    floor_small_pages = bench.load(["floor-small-pages"], grid)["floor-small-pages"]
    stream = bench.load(["stream"], grid)["stream"]
    numpy = bench.peer("numpy", grid)
    pandas = bench.peer("pandas", grid)
    cat = bench.cat(grid)

    floor_ratio = ours / floor
    goals = [goal_text(floor_ratio <= 1.3, f"within 1.3x the fill floor ({floor_ratio:.2f}x)")]
    if kind == "binary":
        speedup = stream / ours
        goals.append(goal_text(speedup >= 3, f"at least 3x the plain loop ({speedup:.1f}x)"))
    goals.append(goal_text(ours < pandas, f"ahead of pandas ({pandas / ours:.1f}x faster)"))
    return [
        Row(figure, "SurfData", ours, grid, f"{floor_ratio:.2f}x fill floor", "; ".join(goals)),
        Row(figure, "plain `>> int`, get(), peek() loop", stream, grid, f"{stream / ours:.2f}x SurfData"),
        Row(figure, "numpy.loadtxt (grid only)", numpy, grid, f"{numpy / ours:.2f}x SurfData"),
        Row(figure, "pandas.read_csv, C engine (grid only)", pandas, grid, f"{pandas / ours:.2f}x SurfData"),
        Row(figure, "`cat FILE > /dev/null`", cat, grid, f"{cat / ours:.2f}x SurfData"),
        Row(figure, "fill floor: read file, fill 3 arrays", floor, grid, f"{floor / ours:.2f}x SurfData"),
        Row(figure, "fill floor without huge-page advice", floor_small_pages, grid,
            f"{floor_small_pages / ours:.2f}x SurfData"),
    ]


def loading_terrain_rows(bench):
    return loading_group(bench, "smooth")


def loading_binary_rows(bench):
    return loading_group(bench, "binary")


def loading_linearity_rows(bench):
    """SurfData on a terrain and on one four times larger."""
    small, large = (bench.grid("smooth", n) for n in (LINEAR_SIZES_QUICK if bench.quick else LINEAR_SIZES))
    t_small = bench.load(["surfdata"], small, 2 * bench.repeats + 1)["surfdata"]
    t_large = bench.load(["surfdata"], large, 2 * bench.repeats + 1)["surfdata"]
    size_ratio, time_ratio = large.bytes / small.bytes, t_large / t_small
    figure = f"Loading linearity, {small.size}x{small.size} to {large.size}x{large.size} terrain"
    return [
        Row(figure, f"SurfData, {small.size}x{small.size}", t_small, small),
        Row(figure, f"SurfData, {large.size}x{large.size}", t_large, large,
            f"{time_ratio:.2f}x the time for {size_ratio:.2f}x the bytes",
            goal_text(time_ratio <= 1.1 * size_ratio,
                      f"at most {1.1 * size_ratio:.2f}x ({time_ratio / size_ratio:.3f} per unit of size)")),
    ]


# --- the viewer's figures -----------------------------------------------------

# The hidden-sphere cull is measured at the lowest tessellation above the
# default at which the default radius closes every gap (at 6 it keeps all),
# and at a finer one, where a sphere costs more to draw.
CULL_TESEL, CULL_FINE_TESEL, CULL_SIZE, CULL_SIZE_QUICK = 8, 16, 256, 64


def x_display(bench):
    """A private Xvfb for the GL figures, started once and stopped by its own
    process id when the bench ends."""
    if getattr(bench, "display", None) is None:
        import atexit
        number = next(n for n in range(90, 200) if not os.path.exists(f"/tmp/.X{n}-lock"))
        server = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        atexit.register(server.kill)
        deadline = time.monotonic() + 20
        while not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            if server.poll() is not None or time.monotonic() > deadline:
                sys.exit("bench: Xvfb did not start within 20 s")
            time.sleep(0.05)
        bench.display = f":{number}"
    return bench.display


def viewer_command(bench, command, grid, settings="", timeout=1800, extra_env=None):
    """Runs `command` in a folder whose config.txt names the grid, under the
    private X server; returns its standard output and error."""
    folder = os.path.join(bench.scratch, f"viewer-{grid.size}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "config.txt"), "w") as f:
        f.write(f"[data]\nfile = {grid.path}\n[display]\n{settings}")
    env = dict(os.environ, DISPLAY=x_display(bench), **(extra_env or {}))
    done = subprocess.run(command, cwd=folder, env=env, capture_output=True, text=True, timeout=timeout)
    if done.returncode != 0:
        sys.exit(f"bench: {' '.join(command)} ended with status {done.returncode}:\n{done.stderr}")
    for line in done.stdout.splitlines():
        if line.startswith("renderer "):
            bench.renderer = line.split(" ", 1)[1]
    return done.stdout, done.stderr


def field(output, name):
    return [l.split()[1] for l in output.splitlines() if l.startswith(name + " ")][-1]


def frame_count(bench, grid):
    return bench.repeats if grid.size <= 128 else 3


def terrain_sizes(bench):
    return TERRAIN_SIZES[:1] if bench.quick else TERRAIN_SIZES


def startup_rows(bench):
    """Process start to the first swapped and finished frame of the shipped
    program, which a preloaded hook reports (and then ends the process)."""
    rows = []
    for size in terrain_sizes(bench):
        grid = bench.grid("smooth", size)
        hook = dict(LD_PRELOAD=bench.program("libbench_first_frame_hook.so"))
        times = []
        for _ in range(frame_count(bench, grid)):
            start = time.monotonic()
            _, err = viewer_command(bench, [bench.program(os.path.join("app", "pelorin"))], grid, extra_env=hook)
            times.append(float(field(err, "first-frame")) - start)
            bench.peak_kb[size] = int(err.split("peak-kb")[-1].split()[0])
        rows.append(Row("Start-up to first frame", f"pelorin, {grid.describe()}", statistics.median(times), grid))
    return rows


def frame_rows(bench):
    """onDisplay + glFinish beside the floor: the same lists, nothing else."""
    rows = []
    for size in terrain_sizes(bench):
        grid = bench.grid("smooth", size)
        n = frame_count(bench, grid)
        out, _ = viewer_command(bench, [bench.program("bench_frame"), "frames", str(n)], grid)
        ours = float(field(out, "median"))
        out, _ = viewer_command(bench, [bench.program("bench_floor_frame"), grid.path, str(n), "0.75", "6"], grid)
        floor = float(field(out, "median"))
        figure = f"Frame time, {grid.describe()}"
        rows += [Row(figure, "onDisplay + glFinish", ours, grid, f"{ours / floor:.2f}x floor"),
                 Row(figure, "floor: clear, the same scene list, glFinish", floor, grid)]
    return rows


def memory_rows(bench):
    size = terrain_sizes(bench)[-1]
    grid = bench.grid("smooth", size)
    if size not in bench.peak_kb:
        startup_rows(bench)
    per_point = bench.peak_kb[size] * 1024 / grid.points
    return [Row(f"Memory, {grid.describe()}", "pelorin, peak resident at the first frame", None, grid,
                f"{per_point:.0f} bytes per point; {per_point - 24:.0f} beyond the 24 of the coordinates")]


def tessellation_rows(bench):
    grid = bench.grid("smooth", terrain_sizes(bench)[-1])
    out, _ = viewer_command(bench, [bench.program("bench_frame"), "tesel", str(frame_count(bench, grid))], grid)
    return [Row(f"Tessellation change, {grid.describe()}", '"+" (6 to 7) to the next finished frame',
                float(field(out, "median")), grid)]


def cull_timing_rows(bench, grid, tesel):
    """Frame time with display/cull-hidden = 1 against 0 at one tessellation:
    the two take turns, three processes each (one in quick mode), and each
    side is the median of its processes' medians."""
    n = frame_count(bench, grid)
    figure = f"Hidden-sphere cull, {grid.describe()}, tessellation {tesel}"
    settings = f"sphere-tesel = {tesel}\n"
    times = {0: [], 1: []}
    for _ in range(1 if bench.quick else 3):
        for cull in (0, 1):
            out, _ = viewer_command(bench, [bench.program("bench_frame"), "frames", str(n)], grid,
                                    settings + f"cull-hidden = {cull}\n")
            times[cull].append(float(field(out, "median")))
            if cull:
                drawn = int(field(out, "spheres"))
    off, on = statistics.median(times[0]), statistics.median(times[1])
    ratio = on / off
    return [
        Row(figure, "cull-hidden = 0", off, grid),
        Row(figure, f"cull-hidden = 1 ({drawn} of {grid.points} spheres drawn)", on, grid, f"{ratio:.2f}x without",
            goal_text(ratio <= 0.3, f"0.3x or less ({ratio:.2f}x)")),
    ]


def cull_rows(bench):
    """display/cull-hidden = 1 against 0 at tessellations where it leaves
    spheres out, and the pictures of twelve views compared pixel by pixel."""
    grid = bench.grid("smooth", CULL_SIZE_QUICK if bench.quick else CULL_SIZE)
    rows = cull_timing_rows(bench, grid, CULL_TESEL)
    if not bench.quick:
        rows += cull_timing_rows(bench, grid, CULL_FINE_TESEL)
    out, _ = viewer_command(bench, [bench.program("bench_frame"), "frames", "1"], grid, "cull-hidden = 1\n")
    default_drawn = int(field(out, "spheres"))
    out, _ = viewer_command(bench, [bench.program("bench_frame"), "views"], grid, f"sphere-tesel = {CULL_TESEL}\n")
    views = [l.split() for l in out.splitlines() if l.startswith("view ")]
    differing = [int(v[v.index("differing") + 1]) for v in views]
    enclosed_shown = sum(int(v[v.index("enclosed-shown") + 1]) for v in views)
    pixels = 800 * 600 * len(views)
    return rows + [
        Row(f"Hidden-sphere cull, {grid.describe()}, tessellation {CULL_TESEL}",
            f"pictures of {len(views)} views, with against without", None, grid,
            f"{sum(differing)} of {pixels} pixels differ ({sum(differing) / pixels:.5%}); per view: "
            + " ".join(map(str, differing))
            + f"; at {enclosed_shown} of them the picture without the cull shows a sphere the cull proves enclosed",
            goal_text(sum(differing) == 0, "0 differing pixels")),
        Row(f"Hidden-sphere cull, {grid.describe()}, default tessellation 6",
            f"cull-hidden = 1: {default_drawn} of {grid.points} spheres drawn", None, grid,
            "the faceted spheres leave gaps: nothing can be left out"),
    ]


# --- the two renderers side by side -------------------------------------------

# Real-size relief terrains (heights 0 to 24); quick mode draws a small one.
RENDERER_SIZES, RENDERER_SIZES_QUICK = (344, 1024), (64,)
# Each renderer with its fastest picture-keeping settings: the lists at the
# default tessellation (their cull leaves nothing out there), the impostors
# with the exact true-sphere cull.
RENDERERS = [("lists", "renderer = lists\n"), ("impostors", "renderer = impostors\ncull-hidden = 1\n")]
# Goals per size: start view, whole terrain at rest and while dragging (s).
RENDERER_GOALS = {344: (0.050, 0.200, 0.080), 1024: (0.100, 0.500, 0.150)}


def renderer_frames(bench, grid, settings, view, n, processes):
    """Median frame time for one view: the median of the medians of
    `processes` runs of bench_frame, and the last run's output."""
    medians = []
    for _ in range(processes):
        out, _ = viewer_command(bench, [bench.program("bench_frame"), "frames", str(n)] + view, grid, settings)
        drawing = field(out, "drawing")
        if drawing != settings.split()[2]:
            sys.exit(f"bench: asked for {settings.split()[2]}, drew with {drawing}")
        medians.append(float(field(out, "median")))
    return statistics.median(medians), out


def renderer_startup(bench, grid, settings, runs):
    hook = dict(LD_PRELOAD=bench.program("libbench_first_frame_hook.so"))
    times, peak = [], 0
    for _ in range(runs):
        start = time.monotonic()
        _, err = viewer_command(bench, [bench.program(os.path.join("app", "pelorin"))], grid, settings,
                                extra_env=hook)
        times.append(float(field(err, "first-frame")) - start)
        peak = max(peak, int(err.split("peak-kb")[-1].split()[0]))
    return statistics.median(times), peak


def renderer_size_rows(bench, size):
    grid = bench.grid("relief", size)
    goals = RENDERER_GOALS.get(size)
    repeats = 1 if bench.quick else 3
    times, rows = {}, []
    for name, settings in RENDERERS:
        # The impostors' frames are short, and the machine's other work weighs
        # more on them: several processes of several frames each.
        n, processes = (1, 1) if bench.quick else ((3, 1) if name == "lists" else (7, 3))
        times[name, "start"], _ = renderer_frames(bench, grid, settings, [], n, processes)
        times[name, "whole"], _ = renderer_frames(bench, grid, settings, ["whole"], n, processes)
        if name == "lists":
            # The lists have no reduced set: a frame while dragging is a full one.
            times[name, "drag"] = times[name, "whole"]
        else:
            times[name, "drag"], out = renderer_frames(bench, grid, settings, ["whole", "drag"], n, processes)
            coarse = "coarse" in out.split("last-frame", 1)[1].splitlines()[0]
        times[name, "first"], times[name, "peak"] = renderer_startup(bench, grid, settings, repeats)
        if name == "impostors":
            out, _ = viewer_command(bench, [bench.program("bench_frame"), "tesel", str(n)], grid, settings)
            times[name, "tesel"] = float(field(out, "median"))
            times[name, "plain"] = float(field(out, "frame-median"))
            drawn = int(field(out, "spheres"))
    labels = {"start": "start view", "whole": "whole terrain at rest", "drag": "whole terrain while dragging"}
    for index, view in enumerate(("start", "whole", "drag")):
        figure = f"Renderers, {grid.describe()}, {labels[view]}"
        lists, ours = times["lists", view], times["impostors", view]
        speedup = lists / ours
        goal = ""
        if goals:
            goal = goal_text(ours <= goals[index], f"at most {format_seconds(goals[index])}")
            if size == 344:
                goal += "; " + goal_text(speedup >= 30, f"at least 30x the lists ({speedup:.0f}x)")
        lists_note = "lists (a full frame: no reduced set)" if view == "drag" else "lists, tessellation 6"
        impostor_note = "impostors, cull-hidden = 1"
        if view == "drag":
            impostor_note += ", every other row and column" if coarse else ", full frames (fast enough)"
        rows += [Row(figure, lists_note, lists, grid),
                 Row(figure, impostor_note, ours, grid, f"{speedup:.1f}x faster than the lists", goal)]
    figure = f"Renderers, {grid.describe()}, first frame"
    first_goal = goal_text(times["impostors", "first"] <= 2, "within 2 s") if size == 1024 else ""
    rows += [Row(figure, "lists: start of pelorin to its first finished frame", times["lists", "first"], grid),
             Row(figure, "impostors: the same", times["impostors", "first"], grid,
                 f"{times['lists', 'first'] / times['impostors', 'first']:.1f}x sooner", first_goal)]
    figure = f"Renderers, {grid.describe()}, memory"
    per_point = {name: times[name, "peak"] * 1024 / grid.points - 24 for name, _ in RENDERERS}
    memory_goal = goal_text(per_point["impostors"] <= 40, "at most 40 bytes per point") if size == 1024 else ""
    rows += [Row(figure, "lists: peak resident at the first frame", None, grid,
                 f"{per_point['lists']:.0f} bytes per point beyond the 24 of the coordinates"),
             Row(figure, f"impostors: the same ({drawn} of {grid.points} spheres in the buffer)", None, grid,
                 f"{per_point['impostors']:.0f} bytes per point beyond the 24 of the coordinates", memory_goal)]
    tesel, plain = times["impostors", "tesel"], times["impostors", "plain"]
    tesel_goal = goal_text(tesel <= 1.2 * plain, "within one frame")
    rows.append(Row(f"Renderers, {grid.describe()}, tessellation change", 'impostors: "+" to the next finished frame',
                    tesel, grid, f"{tesel / plain:.2f}x a plain frame of the start view ({format_seconds(plain)})",
                    tesel_goal))
    return rows


def likeness_rows(bench):
    """The example at the start view: impostors against the lists at
    tessellation 31, the finest faceted sphere."""
    example = os.path.join(ROOT, "examples")
    pictures = {}
    for name, settings in (("lists", "sphere-tesel = 31\n"), ("impostors", "renderer = impostors\n")):
        out_path = os.path.join(bench.scratch, f"example-{name}.rgb")
        folder = os.path.join(bench.scratch, "viewer-example")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "config.txt"), "w") as f:
            f.write(f"[data]\nfile = {os.path.join(example, 'data.txt')}\n[display]\nsphere-r = 0.6\n{settings}")
        env = dict(os.environ, DISPLAY=x_display(bench))
        subprocess.run([bench.program("bench_frame"), "picture", out_path], cwd=folder, env=env, check=True,
                       capture_output=True, timeout=300)
        with open(out_path, "rb") as f:
            pictures[name] = f.read()
    a, b = pictures["lists"], pictures["impostors"]
    pixels = len(a) // 3
    close = sum(1 for p in range(pixels) if max(abs(a[3 * p + k] - b[3 * p + k]) for k in range(3)) <= 16)
    share = close / pixels
    return [Row("Renderers, the example (radius 0.6) at the start view", "impostors against lists at tessellation 31",
                None, None, f"{share:.2%} of pixels within 16 levels in every channel",
                goal_text(share >= 0.95, "at least 95 %"))]


def renderer_rows(bench):
    rows = []
    for size in RENDERER_SIZES_QUICK if bench.quick else RENDERER_SIZES:
        rows += renderer_size_rows(bench, size)
    return rows + likeness_rows(bench)


# --- pictures without a display ----------------------------------------------

# The relief terrains drawn to files, and the turntable's pictures; quick mode
# draws a small terrain and a short turntable.
PICTURE_SIZE, PICTURE_SIZE_QUICK = 344, 64
TURNTABLE, TURNTABLE_QUICK = 36, 4
# The large picture: terrain size, picture size and samples a side.
LARGE_PICTURE, LARGE_PICTURE_QUICK = (1024, "3840x2160", 2), (64, "640x360", 2)
# The keys pelorin-import writes for a large grid.
TERRAIN_KEYS = "renderer = impostors\nfit-view = 1\ncolour = height\ncull-hidden = 1\n"
PNG_END = b"\x00\x00\x00\x00IEND\xaeB`\x82"


class Timed:
    """One process's seconds to a complete PNG file, to its end, and its peak
    resident memory in kB."""

    def __init__(self, to_png, total, peak_kb):
        self.to_png, self.total, self.peak_kb = to_png, total, peak_kb


def png_complete(path):
    try:
        with open(path, "rb") as f:
            f.seek(-len(PNG_END), os.SEEK_END)
            return f.read() == PNG_END
    except OSError:
        return False


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big")


def timed_process(command, folder, png, env=None, tries=1):
    """Runs `command` in `folder`, watching every 2 ms for `png` to be whole
    on disk (a file written in place is whole once its end chunk is there).
    A failed run is tried again, up to `tries` runs in all."""
    for attempt in range(1, tries + 1):
        if os.path.exists(png):
            os.remove(png)
        with open(os.path.join(folder, "bench-output.txt"), "w+") as out:
            start = time.perf_counter()
            process = subprocess.Popen(command, cwd=folder, env=env, stdout=out, stderr=subprocess.STDOUT)
            to_png = None
            while True:
                pid, status, usage = os.wait4(process.pid, os.WNOHANG)
                now = time.perf_counter()
                if to_png is None and png_complete(png):
                    to_png = now - start
                if pid:
                    break
                time.sleep(0.002)
            process.returncode = os.waitstatus_to_exitcode(status)
            out.seek(0)
            output = out.read()
            if process.returncode == 0 and to_png is not None:
                # Such as impostors that gave way to the lists.
                if "warning:" in output:
                    sys.exit(f"bench: {' '.join(command)} did not draw as asked:\n{output}")
                return Timed(to_png, now - start, usage.ru_maxrss)
            failure = (f"bench: {' '.join(command)} ended with status {process.returncode} "
                       f"without writing {png}:\n{output}")
        if attempt == tries:
            sys.exit(failure)
        print(failure + "(trying again)", file=sys.stderr)


def picture_folder(bench, name, grid=None):
    """A scratch folder holding the example, or a config.txt naming `grid`
    with the large-terrain keys."""
    folder = os.path.join(bench.scratch, f"pictures-{name}")
    os.makedirs(folder, exist_ok=True)
    if grid is None:
        for file in ("config.txt", "data.txt"):
            shutil.copy(os.path.join(ROOT, "examples", file), folder)
    else:
        with open(os.path.join(folder, "config.txt"), "w") as f:
            f.write(f"[data]\nfile = {grid.path}\n[display]\n{TERRAIN_KEYS}")
    return folder


def render_picture(bench, folder, extra=(), size=(800, 600)):
    png = os.path.join(folder, "render.png")
    timed = timed_process([bench.program(os.path.join("app", "pelorin-render")), "-o", png, "--quiet",
                           "--size", f"{size[0]}x{size[1]}", *extra], folder, png)
    if png_size(png) != size:
        sys.exit(f"bench: pelorin-render wrote a picture of {png_size(png)}, not {size}")
    return timed


def snapshot_picture(bench, folder):
    png = os.path.join(folder, "snapshot.png")
    env = dict(os.environ, PELORIN=bench.program(os.path.join("app", "pelorin")))
    # A run can fail while other work on the machine starts X servers of its
    # own at the same moment; that says nothing of the time, so try again.
    timed = timed_process([os.path.join(ROOT, "scripts", "snapshot"), folder, png], folder, png, env, tries=3)
    if png_size(png) != (800, 600):
        sys.exit(f"bench: the snapshot is {png_size(png)}, not 800x600")
    return timed


def render_rows(bench):
    """pelorin-render beside a snapshot through a fresh X server, one 800x600
    picture each from process start to the file on disk; a turntable against
    one offscreen frame's drawing; and a large supersampled picture."""
    grid = bench.grid("relief", PICTURE_SIZE_QUICK if bench.quick else PICTURE_SIZE)
    turns = TURNTABLE_QUICK if bench.quick else TURNTABLE
    example, terrain = picture_folder(bench, "example"), picture_folder(bench, f"relief-{grid.size}", grid)
    # The single pictures take turns; the turntable and the in-process drawing
    # join in the first rounds.
    rounds, long_rounds = (3, 3) if bench.quick else (2 * bench.repeats + 1, bench.repeats)
    draws_per_process = 3 if bench.quick else 7
    runs = {key: [] for key in ("example render", "example snapshot", "terrain render", "terrain snapshot",
                                "turntable", "first draw", "draw", "png")}
    for index in range(rounds):
        runs["example render"].append(render_picture(bench, example))
        runs["example snapshot"].append(snapshot_picture(bench, example))
        runs["terrain render"].append(render_picture(bench, terrain))
        runs["terrain snapshot"].append(snapshot_picture(bench, terrain))
        if index >= long_rounds:
            continue
        last = os.path.join(terrain, f"turn-{turns:04d}.png")
        runs["turntable"].append(timed_process([bench.program(os.path.join("app", "pelorin-render")), "-o",
                                                os.path.join(terrain, "turn.png"), "--quiet", "--turntable",
                                                str(turns)], terrain, last).total)
        done = subprocess.run([bench.program("bench_render_frame"), str(draws_per_process)], cwd=terrain,
                              check=True, capture_output=True, text=True)
        if "warning:" in done.stderr:
            sys.exit(f"bench: bench_render_frame did not draw as asked:\n{done.stderr}")
        bench.renderer = done.stdout.split("renderer ", 1)[1].splitlines()[0]
        for key, name in (("first draw", "first"), ("draw", "median"), ("png", "png")):
            runs[key].append(float(field(done.stdout, name)))

    def median(key, what="to_png"):
        return statistics.median(getattr(r, what) if isinstance(r, Timed) else r for r in runs[key])

    rows = []
    keys = ", ".join(TERRAIN_KEYS.strip().splitlines())
    for name, goal, label in (("example", 4, "the example"),
                              ("terrain", 2 if grid.size == PICTURE_SIZE else None, f"{grid.describe()}, {keys}")):
        figure = f"One 800x600 picture without a display, {label}"
        ours, theirs = median(f"{name} render"), median(f"{name} snapshot")
        speedup = theirs / ours
        row_grid = None if name == "example" else grid
        goal_note = goal_text(speedup >= goal, f"at least {goal}x faster than the snapshot ({speedup:.1f}x)") \
            if goal else ""
        rows += [Row(figure, "pelorin-render: process start to the PNG on disk", ours, row_grid,
                     f"{speedup:.1f}x faster; the whole process {format_seconds(median(name + ' render', 'total'))}",
                     goal_note),
                 Row(figure, "`scripts/snapshot` (fresh Xvfb, the viewer, a window grab): the same", theirs, row_grid,
                     f"the whole script {format_seconds(median(name + ' snapshot', 'total'))}")]
    single, first, draw, png = median("terrain render"), median("first draw"), median("draw"), median("png")
    figure = f"One 800x600 picture without a display, {grid.describe()}"
    rows += [Row(figure, "its whole-view frame in process: the first drawing of a process (with read-back)", first,
                 grid, f"{first / single:.0%} of pelorin-render's time"),
             Row(figure, f"the same frame drawn again (median of {draws_per_process} a process)", draw, grid,
                 f"{draw / single:.0%} of pelorin-render's time; writing its PNG {format_seconds(png)}")]

    # Whole processes on both sides: the turntable is done when its process is.
    total, one = statistics.median(runs["turntable"]), median("terrain render", "total")
    per_picture = (total - one) / (turns - 1)
    bound = one + turns * 1.2 * draw
    figure = f"Turntable of {turns} pictures at 800x600, {grid.describe()}"
    rows += [Row(figure, f"pelorin-render --turntable {turns}: the whole process", total, grid,
                 f"{total / one:.1f}x one picture's whole process ({format_seconds(one)})",
                 goal_text(total <= bound, f"at most one picture's time + {turns} x 1.2 x one frame's drawing "
                                           f"({format_seconds(bound)})")),
             Row(figure, f"each further picture: (turntable - one picture) / {turns - 1}", per_picture, grid,
                 f"{per_picture / draw:.2f}x one frame's drawing ({format_seconds(draw)}); "
                 f"writing a PNG {format_seconds(png)}")]
    return rows + large_picture_rows(bench)


def large_picture_rows(bench):
    size, picture, samples = LARGE_PICTURE_QUICK if bench.quick else LARGE_PICTURE
    grid = bench.grid("relief", size)
    folder = picture_folder(bench, f"relief-{size}", grid)
    width, height = (int(v) for v in picture.split("x"))
    runs = [render_picture(bench, folder, ["--supersample", str(samples)], (width, height))
            for _ in range(1 if bench.quick else 3)]
    seconds = statistics.median(r.total for r in runs)
    peak_kb = max(r.peak_kb for r in runs)
    per_point = peak_kb * 1024 / grid.points - 24
    return [Row(f"A {picture} picture, supersample {samples}, {grid.describe()}",
                "pelorin-render: the whole process", seconds, grid,
                f"peak resident {peak_kb / 1024:.0f} MB: {per_point:.0f} bytes per point beyond the 24 of the "
                "coordinates")]


# --- levels of detail ---------------------------------------------------------

# Relief terrains drawn by the impostors with levels of detail (the default)
# and with level-of-detail = 0; quick mode draws a small one.
DETAIL_SIZES, DETAIL_SIZES_QUICK = (344, 1024, 2048), (64,)
DETAIL_KEYS = "renderer = impostors\ncull-hidden = 1\ncolour = height\n"
DETAIL_SIDES = (("on", ""), ("off", "level-of-detail = 0\n"))
# Goals for the default: the fitted whole view at rest (s); every drag; the
# start view and its likeness at 344x344; start-up and memory at 2048x2048;
# the picture error at the sizes where spheres shrink below a pixel.
DETAIL_REST_GOALS = {344: 0.100, 1024: 0.100, 2048: 0.150}
DETAIL_DRAG_GOAL, DETAIL_START_GOAL, DETAIL_LIKENESS_GOAL = 0.040, 0.050, 0.01
DETAIL_FIRST_GOALS = {2048: (4.0, 2.0)}  # first frame, window up (s)
DETAIL_MEMORY_GOAL = 8  # bytes per point beyond the coordinates, at 2048x2048
DETAIL_ERROR_GOAL, DETAIL_ERROR_SIZES = 0.6, (1024, 2048)
# The reference picture's samples a side.
DETAIL_REFERENCE_SAMPLES = 8


def read_png_rgb(path):
    """The RGB samples of an 8-bit, non-interlaced PNG as a height x width x 3
    numpy array (pelorin-render writes the Sub filter; the others are read
    too, slowly)."""
    import zlib
    import numpy
    with open(path, "rb") as f:
        data = f.read()
    pos, header, idat = 8, None, []
    while pos < len(data):
        length = int.from_bytes(data[pos:pos + 4], "big")
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = body
        elif kind == b"IDAT":
            idat.append(body)
        pos += 12 + length
    width, height = int.from_bytes(header[0:4], "big"), int.from_bytes(header[4:8], "big")
    if header[8] != 8 or header[9] not in (2, 6) or header[12] != 0:
        sys.exit(f"bench: {path} is not an 8-bit RGB or RGBA PNG without interlacing")
    channels = 3 if header[9] == 2 else 4
    stride = width * channels
    raw = numpy.frombuffer(zlib.decompress(b"".join(idat)), numpy.uint8).reshape(height, stride + 1)
    rows = numpy.zeros((height, stride), numpy.int32)
    above = numpy.zeros(stride, numpy.int32)
    for y in range(height):
        kind, line = raw[y, 0], raw[y, 1:].astype(numpy.int32)
        if kind == 1:
            line = line.reshape(width, channels).cumsum(axis=0).reshape(stride) & 255
        elif kind == 2:
            line = (line + above) & 255
        elif kind in (3, 4):
            for x in range(stride):
                left = int(line[x - channels]) if x >= channels else 0
                up, corner = int(above[x]), int(above[x - channels]) if x >= channels else 0
                if kind == 3:
                    guess = (left + up) // 2
                else:
                    p = left + up - corner
                    guess = min((abs(p - left), 0, left), (abs(p - up), 1, up), (abs(p - corner), 2, corner))[2]
                line[x] = (line[x] + guess) & 255
        rows[y] = above = line
    return rows.reshape(height, width, channels)[:, :, :3]


def detail_frames(bench, grid, settings, view, n):
    """One bench_frame process: its median frame, the spheres of its last
    frame and whether that frame was coarse."""
    out, _ = viewer_command(bench, [bench.program("bench_frame"), "frames", str(n)] + view, grid, settings)
    if field(out, "drawing") != "impostors":
        sys.exit(f"bench: asked for impostors, drew with {field(out, 'drawing')}")
    last = out.split("last-frame", 1)[1].splitlines()[0].split()
    return float(field(out, "median")), int(last[0]), "coarse" in last


def detail_startup(bench, grid, settings):
    """One start of the shipped viewer: seconds to its window being mapped and
    to its first finished frame, and its peak resident memory there in kB."""
    hook = dict(LD_PRELOAD=bench.program("libbench_first_frame_hook.so"))
    start = time.monotonic()
    _, err = viewer_command(bench, [bench.program(os.path.join("app", "pelorin"))], grid, settings,
                            extra_env=hook)
    return (float(field(err, "window")) - start, float(field(err, "first-frame")) - start,
            int(err.split("peak-kb")[-1].split()[0]))


def detail_picture(bench, grid, settings, samples=1):
    """pelorin-render's 800x600 picture of the scene with these display keys."""
    folder = os.path.join(bench.scratch, f"detail-{grid.size}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "config.txt"), "w") as f:
        f.write(f"[data]\nfile = {grid.path}\n[display]\n{settings}")
    render_picture(bench, folder, ["--supersample", str(samples)])
    return read_png_rgb(os.path.join(folder, "render.png")).astype(int)


def detail_size_rows(bench, size, smallest, largest):
    grid = bench.grid("relief", size)
    n, processes = (1, 1) if bench.quick else (7, 5)
    fitted = DETAIL_KEYS + "fit-view = 1\n"
    runs = {}
    # ON and OFF take turns, so the machine's other work falls on both alike.
    for _ in range(processes):
        for side, extra in DETAIL_SIDES:
            for view, settings, args in (("rest", fitted, []), ("drag", fitted, ["start", "drag"]),
                                         ("start", DETAIL_KEYS, [])):
                runs.setdefault((side, view), []).append(detail_frames(bench, grid, settings + extra, args, n))
            runs.setdefault((side, "startup"), []).append(detail_startup(bench, grid, fitted + extra))

    def median(side, view, index=0):
        return statistics.median(r[index] for r in runs[side, view])

    keys = ", ".join(fitted.strip().splitlines())
    off_key = "level-of-detail = 0"
    rows = []
    for view, label, what, goal in (
            ("rest", "fitted whole view at rest", f"bench_frame frames {n}, {keys}", DETAIL_REST_GOALS.get(size)),
            ("drag", "fitted whole view while dragging", f"bench_frame frames {n} start drag, {keys}",
             DETAIL_DRAG_GOAL),
            ("start", "start view (camera at distance 30 looking at (10,10,0))",
             f"bench_frame frames {n}, {', '.join(DETAIL_KEYS.strip().splitlines())}",
             DETAIL_START_GOAL if size == 344 else None)):
        figure = f"Levels of detail, {grid.describe()}, {label}"
        on, off = median("on", view), median("off", view)
        notes = {}
        for side in ("on", "off"):
            spheres = runs[side, view][-1][1]
            notes[side] = f"{spheres} spheres in the last frame"
            if view == "drag":
                coarse = sum(r[2] for r in runs[side, view])
                notes[side] += f", coarse in {coarse} of {processes} processes"
        goal_note = goal_text(on <= goal, f"at most {format_seconds(goal)}") if goal else ""
        rows += [Row(figure, f"{what}; level of detail on (default): {notes['on']}", on, grid,
                     f"{on / off:.2f}x off", goal_note),
                 Row(figure, f"the same with {off_key}: {notes['off']}", off, grid)]

    figure = f"Levels of detail, {grid.describe()}, start-up"
    first_goal, window_goal = DETAIL_FIRST_GOALS.get(size, (None, None))
    first = {side: median(side, "startup", 1) for side in ("on", "off")}
    rows += [Row(figure, f"pelorin (first-frame hook), {keys}: start to the first finished frame", first["on"], grid,
                 f"{first['on'] / first['off']:.2f}x off",
                 goal_text(first["on"] <= first_goal, f"at most {format_seconds(first_goal)}") if first_goal else ""),
             Row(figure, f"the same with {off_key}", first["off"], grid)]
    if largest:
        window = {side: median(side, "startup", 0) for side in ("on", "off")}
        rows += [Row(figure, "start to the window mapped (first XMapWindow, flushed)", window["on"], grid,
                     f"{window['on'] / first['on']:.0%} of the way to the first frame",
                     goal_text(window["on"] <= window_goal, f"at most {format_seconds(window_goal)}")
                     if window_goal else ""),
                 Row(figure, f"the same with {off_key}", window["off"], grid)]
    per_point = {side: max(r[2] for r in runs[side, "startup"]) * 1024 / grid.points - 24 for side in ("on", "off")}
    memory_goal = goal_text(per_point["on"] <= DETAIL_MEMORY_GOAL, f"at most {DETAIL_MEMORY_GOAL} bytes per point") \
        if size == 2048 else ""
    rows += [Row(figure, "peak resident at the first frame (the highest of the starts)", None, grid,
                 f"{per_point['on']:.1f} bytes per point beyond the 24 of the coordinates", memory_goal),
             Row(figure, f"the same with {off_key}", None, grid,
                 f"{per_point['off']:.1f} bytes per point beyond the 24 of the coordinates")]

    # The pictures: pelorin-render at one sample a pixel against every sphere
    # drawn with 8 x 8 samples.
    reference = detail_picture(bench, grid, fitted + "level-of-detail = 0\n", DETAIL_REFERENCE_SAMPLES)
    error = {side: float(abs(detail_picture(bench, grid, fitted + extra) - reference).mean())
             for side, extra in DETAIL_SIDES}
    ratio = error["on"] / error["off"]
    figure = f"Levels of detail, {grid.describe()}, fitted whole view: picture error"
    rows += [Row(figure, f"pelorin-render 800x600, {keys}; level of detail on (default), against the same "
                         f"view with {off_key} and --supersample {DETAIL_REFERENCE_SAMPLES}", None, grid,
                 f"mean {error['on']:.2f} levels a channel; {ratio:.2f}x off",
                 goal_text(ratio <= DETAIL_ERROR_GOAL, f"at most {DETAIL_ERROR_GOAL}x off ({ratio:.2f}x)")
                 if size in DETAIL_ERROR_SIZES else ""),
             Row(figure, f"the same with {off_key}", None, grid, f"mean {error['off']:.2f} levels a channel")]
    if smallest:
        on, off = (detail_picture(bench, grid, DETAIL_KEYS + extra) for _, extra in DETAIL_SIDES)
        share = float((abs(on - off).max(axis=2) > 2).mean())
        rows.append(Row(f"Levels of detail, {grid.describe()}, start view: likeness",
                        f"pelorin-render 800x600, {', '.join(DETAIL_KEYS.strip().splitlines())}; level of "
                        f"detail on (default) against {off_key}", None, grid,
                        f"{share:.3%} of pixels more than 2 levels apart in some channel",
                        goal_text(share <= DETAIL_LIKENESS_GOAL, f"at most {DETAIL_LIKENESS_GOAL:.0%}")
                        if size == 344 else ""))
    return rows


def detail_rows(bench):
    """The impostors with levels of detail against level-of-detail = 0: frame
    times of the fitted whole view at rest and dragged and of the start view,
    start-up, memory, and the pictures against a supersampled reference."""
    sizes = DETAIL_SIZES_QUICK if bench.quick else DETAIL_SIZES
    return [row for size in sizes for row in detail_size_rows(bench, size, size == sizes[0], size == sizes[-1])]


# --- a series of height files -------------------------------------------------

# The series stepped in the viewer (frames of each size) and the one drawn by
# pelorin-render; quick mode steps and draws a few tiny frames.
SERIES_STEP_SIZES, SERIES_STEP_SIZES_QUICK = (1024, 256), (64,)
SERIES_STEP_FRAMES, SERIES_FILM, SERIES_FILM_QUICK = 5, (256, 100), (64, 5)
# Key to the next frame read ahead (s), by frame size.
SERIES_STEP_GOALS = {1024: 0.300, 256: 0.100}
SERIES_FILM_GOAL_SECONDS = 2.0


def series_frames(bench, size, count):
    """`count` distinct frames of the relief terrain of `size`: each the
    terrain rolled by a few rows and columns, so every frame has the same
    points. Returns the pattern that names them and their grids."""
    grid = bench.grid("relief", size)
    folder = os.path.join(bench.scratch, f"series-{size}x{count}")
    paths = [os.path.join(folder, f"h-{k:05d}.txt") for k in range(count)]
    if not all(os.path.exists(p) for p in paths):
        os.makedirs(folder, exist_ok=True)
        with open(grid.path) as f:
            header, *rows = f.read().splitlines()
        for k, path in enumerate(paths):
            down, right = k * 37 % size, k * 53 % size
            lines = [header]
            for row in rows[down:] + rows[:down]:
                heights = row.split()
                lines.append(" ".join(heights[right:] + heights[:right]) + " ")
            with open(path + ".part", "w") as f:
                f.write("\n".join(lines) + "\n")
            os.replace(path + ".part", path)
    for path in paths:
        with open(path, "rb") as f:
            f.read()
    return os.path.join(folder, "h-%05d.txt"), [Grid("relief", size, p, grid.points) for p in paths]


def series_steps(bench, pattern, rounds):
    """One bench_series process on the series: its keys' times by kind,
    the handovers, the redraws, the buffer and the peak resident kB."""
    folder = os.path.join(bench.scratch, "series-viewer")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "config.txt"), "w") as f:
        f.write(f"[data]\nseries = {pattern}\n[display]\n{TERRAIN_KEYS}")
    env = dict(os.environ, DISPLAY=x_display(bench))
    done = subprocess.run([bench.program("bench_series"), str(rounds)], cwd=folder, env=env, capture_output=True,
                          text=True, timeout=1800)
    if done.returncode != 0 or "warning:" in done.stderr:
        sys.exit(f"bench: bench_series ended with status {done.returncode}:\n{done.stderr}")
    out = done.stdout
    bench.renderer = out.split("renderer ", 1)[1].splitlines()[0]
    steps = {"ahead": [], "jump": [], "ahead-handover": [], "jump-handover": []}
    for line in out.splitlines():
        words = line.split()
        if words[0] == "step" and words[1] != "warm":
            steps[words[1]].append(float(words[2]))
            steps[words[1] + "-handover"].append(float(words[3]))
    steps["redraw"] = [float(l.split()[1]) for l in out.splitlines() if l.startswith("redraw ")]
    return steps, int(field(out, "buffer-bytes")), int(field(out, "peak-kb"))


def series_step_rows(bench, size, memory):
    pattern, frames = series_frames(bench, size, SERIES_STEP_FRAMES)
    grid = frames[0]
    steps, buffer_bytes, peak_kb = series_steps(bench, pattern, 1 if bench.quick else 2)
    fresh, fresh_kb = renderer_startup(bench, frames[-1], TERRAIN_KEYS, 1 if bench.quick else 3)
    ahead, jump = statistics.median(steps["ahead"]), statistics.median(steps["jump"])
    handover, redraw = statistics.median(steps["ahead-handover"]), statistics.median(steps["redraw"])
    goal = SERIES_STEP_GOALS.get(size)
    figure = f"Series of {len(frames)} frames of {grid.describe()}: key to the new frame finished"
    keys = ", ".join(TERRAIN_KEYS.strip().splitlines())
    rows = [
        Row(figure, f"viewer (bench_series, {keys}): right arrow to a frame read ahead, median of "
                    f"{len(steps['ahead'])}", ahead, grid,
            f"{handover * 1000:.0f} ms of it until the scene took the frame; a redraw of a frame on show "
            f"{format_seconds(redraw)}",
            goal_text(ahead <= goal, f"at most {format_seconds(goal)}") if goal else ""),
        Row(figure, f"viewer: Home or End to a frame not read ahead, median of {len(steps['jump'])}", jump, grid,
            f"{jump / ahead:.2f}x the step; "
            f"{statistics.median(steps['jump-handover']) * 1000:.0f} ms until the scene took the frame"),
        Row(figure, "a fresh pelorin on that frame (data/file): process start to its first finished frame "
                    "(first-frame hook)", fresh, grid, f"{fresh / ahead:.1f}x the step"),
    ]
    if memory:
        three = 3 * 24 * grid.points
        bound = three + buffer_bytes
        rows.append(Row(f"Series of {len(frames)} frames of {grid.describe()}: memory",
                        f"viewer (bench_series): peak resident after {len(steps['ahead']) + len(steps['jump']) + 2} "
                        "keys", None, grid,
                        f"{peak_kb * 1024 / 1e6:.0f} MB; three frames' points {three / 1e6:.0f} MB + impostor buffer "
                        f"{buffer_bytes / 1e6:.1f} MB ({buffer_bytes // 12} spheres) = {bound / 1e6:.0f} MB; "
                        f"{peak_kb * 1024 / (24 * grid.points):.2f} frames' points; a fresh pelorin on one frame "
                        f"peaks at {fresh_kb * 1024 / 1e6:.0f} MB",
                        goal_text(peak_kb * 1024 <= bound, "at most three frames' points and the buffer")
                        if size == SERIES_STEP_SIZES[0] else ""))
    return rows


def series_film_rows(bench):
    """pelorin-render --series against one frame drawn offscreen and one
    picture's whole process."""
    size, count = SERIES_FILM_QUICK if bench.quick else SERIES_FILM
    pattern, frames = series_frames(bench, size, count)
    grid = frames[0]
    folder = os.path.join(bench.scratch, f"series-film-{size}x{count}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "config.txt"), "w") as f:
        f.write(f"[data]\nseries = {pattern}\n[display]\n{TERRAIN_KEYS}")
    single_folder = picture_folder(bench, f"series-frame-{size}", grid)
    film, single, draws, pngs = [], [], [], []
    for _ in range(1 if bench.quick else 3):
        film.append(timed_process([bench.program(os.path.join("app", "pelorin-render")), "-o",
                                   os.path.join(folder, "s.png"), "--quiet", "--series", "--size", "800x600"],
                                  folder, os.path.join(folder, f"s-{count:04d}.png")).total)
        single.append(render_picture(bench, single_folder).total)
        done = subprocess.run([bench.program("bench_render_frame"), "3" if bench.quick else "7"], cwd=single_folder,
                              check=True, capture_output=True, text=True)
        if "warning:" in done.stderr:
            sys.exit(f"bench: bench_render_frame did not draw as asked:\n{done.stderr}")
        draws.append(float(field(done.stdout, "median")))
        pngs.append(float(field(done.stdout, "png")))
    film, single = statistics.median(film), statistics.median(single)
    draw, png = statistics.median(draws), statistics.median(pngs)
    bound = SERIES_FILM_GOAL_SECONDS + count * draw
    per_frame = (film - single) / (count - 1)
    figure = f"Series of {count} frames of {grid.describe()}, drawn at 800x600"
    keys = ", ".join(TERRAIN_KEYS.strip().splitlines())
    return [
        Row(figure, f"pelorin-render --series ({keys}): the whole process", film, grid,
            f"{film / single:.1f}x one picture's whole process ({format_seconds(single)})",
            goal_text(film <= bound, f"at most {SERIES_FILM_GOAL_SECONDS:g} s + {count} frame draws ({format_seconds(bound)})")
            if (size, count) == SERIES_FILM else ""),
        Row(figure, f"each further frame: (series - one picture) / {count - 1}", per_frame, grid,
            f"{format_seconds(per_frame - draw)} beyond the draw ({per_frame / draw:.2f}x it); writing a PNG "
            f"{format_seconds(png)}"),
        Row(figure, "one frame's draw offscreen with read-back (bench_render_frame)", draw, grid),
    ]


def series_rows(bench):
    """A series in the viewer: the key to the next frame read ahead, a jump
    to one not read ahead and a fresh viewer on it; the memory while
    stepping; and a series drawn by pelorin-render."""
    sizes = SERIES_STEP_SIZES_QUICK if bench.quick else SERIES_STEP_SIZES
    rows = [row for size in sizes for row in series_step_rows(bench, size, size == sizes[0])]
    return rows + series_film_rows(bench)



# --- depth cues ------------------------------------------------------------------

# The keys against none of them: each alone and all three.
CUE_KEYS = (("ambient-occlusion = 1", "ambient-occlusion = 1\n"), ("outlines = 1", "outlines = 1\n"),
            ("axes = 1", "axes = 1\n"),
            ("all three", "ambient-occlusion = 1\noutlines = 1\naxes = 1\n"))
CUE_FRAME_SIZE, CUE_FRAME_SIZE_QUICK, CUE_FRAME_GOAL = 344, 64, 1.1
CUE_LOAD_SIZE, CUE_LOAD_SIZE_QUICK, CUE_LOAD_GOAL = 1024, 64, 1.0
CUE_PIT_DARKER_GOAL, CUE_PLATEAU_GOAL = 0.35, 0.05
# A plateau 8 high and 40 cells a side with a 3x3 pit down to the ground in
# its middle, seen from straight above: looking at the pit's floor, and at a
# plateau sphere 16 cells from it.
CUE_PIT_VIEWS = (("floor", "center = '20 20 0'"), ("plateau", "center = '4 4 8'"))


def pit_brightness(bench, renderer, occlusion, look):
    """The mean of R, G and B over the 5x5 pixels in the middle of
    pelorin-render's picture of the pit grid."""
    folder = os.path.join(bench.scratch, "cue-pit")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "data.txt"), "w") as f:
        f.write("40\n" + "".join(" ".join("0" if abs(r - 20) <= 1 and abs(c - 20) <= 1 else "8"
                                         for c in range(40)) + " \n" for r in range(40)))
    with open(os.path.join(folder, "config.txt"), "w") as f:
        f.write(f"[display]\nrenderer = {renderer}\nambient-occlusion = {occlusion}\n"
                f"[camera]\nelevation = 90\ndistance = 30\n{look}\n")
    render_picture(bench, folder)
    return float(read_png_rgb(os.path.join(folder, "render.png"))[297:302, 397:402].mean())


def cue_pit_rows(bench):
    rows = []
    for renderer in ("impostors", "lists"):
        light = {(view, ao): pit_brightness(bench, renderer, ao, look)
                 for view, look in CUE_PIT_VIEWS for ao in (0, 1)}
        darker = 1 - light["floor", 1] / light["floor", 0]
        change = abs(light["plateau", 1] / light["plateau", 0] - 1)
        what = f"pelorin-render 800x600, renderer = {renderer}, straight above; ambient-occlusion = 1 against 0"
        rows += [Row("Depth cues, a 3x3 pit 8 deep in a plateau: the pit's floor", what, None, None,
                     f"{darker:.0%} darker ({light['floor', 0]:.0f} to {light['floor', 1]:.0f} of 255)",
                     goal_text(darker >= CUE_PIT_DARKER_GOAL, f"at least {CUE_PIT_DARKER_GOAL:.0%} darker")),
                 Row("Depth cues, the same: a plateau sphere 16 cells from the pit", what, None, None,
                     f"{change:.1%} changed ({light['plateau', 0]:.0f} to {light['plateau', 1]:.0f} of 255)",
                     goal_text(change <= CUE_PLATEAU_GOAL, f"at most {CUE_PLATEAU_GOAL:.0%} changed"))]
    return rows


def cue_frame_rows(bench):
    """Frames of the fitted whole terrain with each key against none, the
    sides taking turns."""
    grid = bench.grid("relief", CUE_FRAME_SIZE_QUICK if bench.quick else CUE_FRAME_SIZE)
    n, processes = (1, 1) if bench.quick else (7, 5)
    sides = (("none", ""),) + CUE_KEYS
    runs = {}
    for _ in range(processes):
        for name, keys in sides:
            runs.setdefault(name, []).append(detail_frames(bench, grid, TERRAIN_KEYS + keys, [], n)[0])
    plain = statistics.median(runs["none"])
    figure = f"Depth cues, {grid.describe()}, fitted whole view at rest"
    what = f"bench_frame frames {n}, {', '.join(TERRAIN_KEYS.strip().splitlines())}"
    rows = [Row(figure, f"{what}; none of the depth-cue keys", plain, grid)]
    for name, _ in CUE_KEYS:
        ours = statistics.median(runs[name])
        rows.append(Row(figure, f"the same with {name}", ours, grid, f"{ours / plain:.2f}x none",
                        goal_text(ours <= CUE_FRAME_GOAL * plain, f"at most {CUE_FRAME_GOAL}x none")))
    return rows


def cue_load_rows(bench):
    """Ambient occlusion's cost at load: the impostors arranged in process
    with the sky shares and without, the difference its cost."""
    grid = bench.grid("relief", CUE_LOAD_SIZE_QUICK if bench.quick else CUE_LOAD_SIZE)
    rows = []
    for cull in (0, 1):
        out = bench.run([bench.program("bench_sky_share"), grid.path, str(cull), str(bench.repeats)])
        plain, occlusion = float(field(out, "plain")), float(field(out, "occlusion"))
        cost = occlusion - plain
        figure = f"Depth cues, {grid.describe()}, ambient occlusion at load"
        what = (f"bench_sky_share {cull} (impostors arranged, cull-hidden = {cull}, {field(out, 'spheres')} "
                "spheres and coarse stand-ins)")
        goal = goal_text(cost <= CUE_LOAD_GOAL, f"at most {format_seconds(CUE_LOAD_GOAL)}") \
            if grid.size == 1024 else ""
        rows += [Row(figure, f"{what}: with the sky shares", occlusion, grid,
                     f"{format_seconds(cost)} for the shares", goal),
                 Row(figure, "the same without", plain, grid)]
    return rows


def depth_cue_rows(bench):
    """Ambient occlusion, outlines and axes: what occlusion shows on a pit,
    each key's cost per frame, and occlusion's cost at load."""
    return cue_pit_rows(bench) + cue_frame_rows(bench) + cue_load_rows(bench)


# --- tall and huge grids of heights -------------------------------------------

# The impostors draw from the grid of heights (4 bytes a cell), so a tall
# solid should cost little more than a flat one of the same surface, and a
# grid of billions of spheres should start and draw like its surface.
GRID_KEYS = "renderer = impostors\ncull-hidden = 1\nfit-view = 1\n"
# Tall against flat: size and the tall one's base height; goals as ratios.
GRID_TALL, GRID_TALL_QUICK, GRID_TALL_GOAL = (512, 400), (128, 400), 1.25
# The deposition-like surface: size and mean height; goals (s, s, bytes, s, s):
# first frame from .npy and from text, peak memory, whole view at rest and
# while dragging.
GRID_DEPOSITION, GRID_DEPOSITION_QUICK = (2048, 1000), (256, 1000)
GRID_DEPOSITION_GOALS = (3.0, 6.0, 600e6, 0.100, 0.040)
# The huge relief: size and levels; the small grid its memory is measured
# against; goals: first frame (s), bytes a cell beyond the small grid's
# peak, whole view at rest (s).
GRID_HUGE, GRID_HUGE_QUICK, GRID_SMALL = (8192, 32), (256, 32), 64
GRID_HUGE_GOALS = (6.0, 24, 0.150)


def grid_tall_rows(bench):
    """pelorin-render's whole process on the tall relief and on the same
    relief at ground level, taking turns."""
    size, mean = GRID_TALL_QUICK if bench.quick else GRID_TALL
    grids = {"tall": bench.grid("tall", size, mean), "flat": bench.grid("tall", size, 0)}
    folders = {}
    for name, grid in grids.items():
        folders[name] = picture_folder(bench, f"grid-{name}-{size}", grid)
        with open(os.path.join(folders[name], "config.txt"), "w") as f:
            f.write(f"[data]\nfile = {grid.path}\n[display]\n{GRID_KEYS}")
    runs = {name: [] for name in grids}
    for _ in range(1 if bench.quick else bench.repeats):
        for name in grids:
            runs[name].append(render_picture(bench, folders[name]))
    seconds = {name: statistics.median(r.total for r in runs[name]) for name in grids}
    peak_kb = {name: statistics.median(r.peak_kb for r in runs[name]) for name in grids}
    time_ratio, memory_ratio = seconds["tall"] / seconds["flat"], peak_kb["tall"] / peak_kb["flat"]
    keys = ", ".join(GRID_KEYS.strip().splitlines())
    figure = f"Tall against flat, {size}x{size}: one 800x600 picture"
    rows = []
    for name in ("flat", "tall"):
        grid = grids[name]
        note = f"peak resident {peak_kb[name] / 1024:.0f} MB ({peak_kb[name] * 1024 / size ** 2:.0f} bytes a cell)"
        goal = ""
        if name == "tall":
            note = f"{time_ratio:.2f}x the flat one's time, {memory_ratio:.2f}x its memory; " + note
        if name == "tall" and not bench.quick:
            goal = (goal_text(time_ratio <= GRID_TALL_GOAL, f"time at most {GRID_TALL_GOAL}x the flat one's") + "; "
                    + goal_text(memory_ratio <= GRID_TALL_GOAL, f"peak memory at most {GRID_TALL_GOAL}x"))
        rows.append(Row(figure, f"pelorin-render --size 800x600 ({keys}): the whole process, "
                                f"{grid.describe()}", seconds[name], grid, note, goal))
    return rows


def program_said(err):
    """The first warning or error the program wrote, or ""."""
    return next((l for l in err.splitlines() if l.startswith(("warning:", "error:"))), "")


def grid_startups(bench, grid, runs):
    """The shipped viewer's starts on `grid` (first-frame hook): the median
    seconds to the first finished frame, the highest peak resident kB, and
    the first warning or error it gave (a grid the impostors cannot hold
    gives way to the lists, or draws nothing)."""
    hook = dict(LD_PRELOAD=bench.program("libbench_first_frame_hook.so"))
    times, peak_kb, said = [], 0, ""
    for _ in range(runs):
        start = time.monotonic()
        _, err = viewer_command(bench, [bench.program(os.path.join("app", "pelorin"))], grid, GRID_KEYS,
                                extra_env=hook)
        times.append(float(field(err, "first-frame")) - start)
        peak_kb = max(peak_kb, int(err.split("peak-kb")[-1].split()[0]))
        said = said or program_said(err)
    return statistics.median(times), peak_kb, said


class GridFrames:
    """bench_frame's frames of a grid with the grid keys: the median of the
    processes' median frames, the spheres in the impostor buffer, the last
    frame's spheres and whether it was coarse; or, where the impostors gave
    way, None and what the program said."""

    def __init__(self, bench, grid, view, processes):
        n = 1 if bench.quick else 5
        self.seconds, self.said, medians = None, "", []
        for _ in range(processes):
            out, err = viewer_command(bench, [bench.program("bench_frame"), "frames", str(n)] + view, grid,
                                      GRID_KEYS)
            if field(out, "drawing") != "impostors":
                self.said = program_said(err) or f"drew with {field(out, 'drawing')}"
                return
            medians.append(float(field(out, "median")))
        last = out.split("last-frame", 1)[1].splitlines()[0].split()
        self.seconds, self.buffer = statistics.median(medians), int(field(out, "spheres"))
        self.last, self.coarse = int(last[0]), "coarse" in last

    def row(self, bench, figure, what, grid, goal):
        if self.seconds is None:
            return Row(figure, what, None, grid, f"not measured: {self.said}",
                       judged(bench, False, f"at most {format_seconds(goal)} (the impostors gave way)"))
        return Row(figure, what, self.seconds, grid,
                   f"{self.last} spheres in the last frame" + (", every other row and column" if self.coarse else ""),
                   judged(bench, self.seconds <= goal, f"at most {format_seconds(goal)}"))


def judged(bench, met, text):
    """A goal's words at the full sizes; the quick sizes are judged by none."""
    return "" if bench.quick else goal_text(met, text)


def startup_row(bench, figure, what, grid, first, peak_kb, said, goal):
    note = f"peak resident {peak_kb / 1024:.0f} MB"
    if said:
        note = f"the first frame shows the program's fallback: {said}; " + note
    return Row(figure, what, first, grid, note,
               judged(bench, not said and first <= goal,
                      f"at most {format_seconds(goal)}" + (", drawn by the impostors" if said else "")))


def memory_note(peak_kb, baseline_kb, cells, frames):
    """Peak memory, and what lies beyond a small grid's peak per cell and per
    sphere in the impostor buffer (where the frames say how many)."""
    beyond = (peak_kb - baseline_kb) * 1024
    note = (f"{peak_kb / 1024:.0f} MB; {beyond / 2 ** 20:.0f} MB beyond the {baseline_kb / 1024:.0f} MB of a "
            f"{GRID_SMALL}x{GRID_SMALL} grid: {beyond / cells:.1f} bytes a cell")
    if frames.seconds is not None:
        note += f", {beyond / frames.buffer:.1f} bytes a sphere in the impostor buffer ({frames.buffer} after the cull)"
    return note, beyond / cells


def grid_deposition_rows(bench, baseline_kb):
    size, mean = GRID_DEPOSITION_QUICK if bench.quick else GRID_DEPOSITION
    first_npy_goal, first_text_goal, memory_goal, rest_goal, drag_goal = GRID_DEPOSITION_GOALS
    runs, processes = (1, 1) if bench.quick else (3, 3)
    keys = ", ".join(GRID_KEYS.strip().splitlines())
    rows, peaks = [], []
    for ending, goal in (("npy", first_npy_goal), ("txt", first_text_goal)):
        grid = bench.grid("deposition", size, mean, ending)
        figure = f"Deposition {size}x{size} around height {mean} ({grid.points / 1e9:.2f} G spheres) in the viewer"
        first, peak_kb, said = grid_startups(bench, grid, runs)
        peaks.append(peak_kb)
        rows.append(startup_row(bench, figure, f"pelorin (first-frame hook), {keys}: start to the first finished "
                                               f"frame, {grid.describe()}", grid, first, peak_kb, said, goal))
    # Frames from the .npy file: the same heights, read sooner.
    grid = bench.grid("deposition", size, mean, "npy")
    rest = GridFrames(bench, grid, [], processes)
    drag = GridFrames(bench, grid, ["start", "drag"], processes)
    note, _ = memory_note(max(peaks), baseline_kb, size * size, rest)
    return rows + [
        Row(figure, "peak resident at the first frame (the highest of the starts)", None, grid, note,
            judged(bench, max(peaks) * 1024 <= memory_goal, f"at most {memory_goal / 1e6:.0f} MB")),
        rest.row(bench, figure, f"bench_frame frames, {keys}: the fitted whole view at rest", grid, rest_goal),
        drag.row(bench, figure, "the same while dragging", grid, drag_goal),
    ]


def grid_huge_rows(bench, baseline_kb):
    size, levels = GRID_HUGE_QUICK if bench.quick else GRID_HUGE
    first_goal, cell_goal, rest_goal = GRID_HUGE_GOALS
    huge = bench.grid("relief", size, levels, "npy")
    runs, processes = (1, 1) if bench.quick else (3, 3)
    keys = ", ".join(GRID_KEYS.strip().splitlines())
    figure = f"Relief {size}x{size} of {levels} levels in the viewer"
    first, peak_kb, said = grid_startups(bench, huge, runs)
    rest = GridFrames(bench, huge, [], processes)
    note, per_cell = memory_note(peak_kb, baseline_kb, size * size, rest)
    return [
        startup_row(bench, figure, f"pelorin (first-frame hook), {keys}: start to the first finished frame, "
                                   f"{huge.describe()}", huge, first, peak_kb, said, first_goal),
        # Memory that drew nothing says nothing of the goal.
        Row(figure, "peak resident at the first frame (the highest of the starts)", None, huge, note,
            judged(bench, not said and per_cell <= cell_goal,
                   f"at most {cell_goal} bytes a cell beyond the small grid's peak"
                   + (", drawn by the impostors" if said else ""))),
        rest.row(bench, figure, f"bench_frame frames, {keys}: the fitted whole view at rest", huge, rest_goal),
    ]


def grid_rows(bench):
    """Grids of heights drawn by the impostors: a tall relief against the same
    relief at ground level, a rough surface of billions of spheres, and a
    relief of 67 million cells; time, memory and frame times."""
    # What the viewer takes for a small grid of the same kind of file: the
    # memory a large grid is measured beyond.
    small = bench.grid("relief", GRID_SMALL, GRID_HUGE[1], "npy")
    _, baseline_kb, _ = grid_startups(bench, small, 1 if bench.quick else 3)
    return grid_tall_rows(bench) + grid_deposition_rows(bench, baseline_kb) + grid_huge_rows(bench, baseline_kb)

# --- picture quality ---------------------------------------------------------

QUALITY_KEYS = "renderer = impostors\nfit-view = 1\ncolour = height\ncull-hidden = 1\n"
QUALITY_GOALS = (12, 20)  # mean over the terrain, worst 32x32 block (levels a channel)
QUALITY_BLOCK = 32


def real_terrain(bench):
    """A real elevation model of 344x344 cells: the sample DEM of Debian's
    python-matplotlib-data (the Jacksboro fault, 344x403 cells of 3 arc-
    seconds), its middle 344 columns at 36 m a level, as a .npy grid; None
    when the package cannot be fetched."""
    import numpy
    path = os.path.join(bench.scratch, "jacksboro-344.npy")
    if not os.path.exists(path):
        folder = os.path.join(bench.scratch, "matplotlib-data")
        os.makedirs(folder, exist_ok=True)
        fetched = subprocess.run("apt-get download -qq python-matplotlib-data && dpkg-deb -x python-matplotlib-data_*.deb .",
                                 shell=True, cwd=folder, capture_output=True)
        found = glob.glob(os.path.join(folder, "usr/share/matplotlib/mpl-data/sample_data/jacksboro_fault_dem.npz"))
        if fetched.returncode != 0 or not found:
            return None
        heights = numpy.load(found[0])["elevation"][:, 30:374].astype(float)
        numpy.save(path, numpy.rint((heights - heights.min()) / 36).astype(numpy.int32))
    levels = numpy.load(path)
    return Grid("real terrain (Jacksboro fault)", 344, path, int((levels.astype(numpy.int64) + 1).sum()))


def picture_error(got, reference):
    """The mean absolute difference a channel over the pixels where either
    picture is not background white, and that of the worst block."""
    diff = abs(got - reference)
    terrain = (got != 255).any(axis=2) | (reference != 255).any(axis=2)
    height, width = diff.shape[:2]
    worst = max(diff[y:y + QUALITY_BLOCK, x:x + QUALITY_BLOCK].mean()
                for y in range(0, height, QUALITY_BLOCK) for x in range(0, width, QUALITY_BLOCK))
    return diff[terrain].mean(), worst


def quality_pictures(bench, name, grid, camera):
    """pelorin-render's 800x600 picture with the default keys, and the same view
    at full detail supersampled 8x8."""
    folder = os.path.join(bench.scratch, f"quality-{name}")
    os.makedirs(folder, exist_ok=True)
    pictures = []
    for keys, samples in (("", 1), ("level-of-detail = 0\n", DETAIL_REFERENCE_SAMPLES)):
        with open(os.path.join(folder, "config.txt"), "w") as f:
            f.write(f"[data]\nfile = {grid.path}\n[display]\n{QUALITY_KEYS}{keys}{camera}")
        render_picture(bench, folder, ["--supersample", str(samples)])
        pictures.append(read_png_rgb(os.path.join(folder, "render.png")).astype(int))
    return pictures


def quality_rows(bench):
    """The impostors' pictures against the same view drawn at full detail and
    supersampled 8x8: the mean error over the terrain and the worst block."""
    fitted, low = ("fitted whole view", ""), ("view from 25 degrees of elevation", "[camera]\nelevation = 25\n")
    if bench.quick:
        scenes = [(bench.grid("relief", 64), fitted)]
    else:
        scenes = [(real_terrain(bench), fitted), (bench.grid("tall", 512, 400), fitted),
                  (bench.grid("relief", 512, 48), fitted), (bench.grid("relief", 1024), low)]
    rows = []
    for grid, (view, camera) in scenes:
        if grid is None:
            rows.append(Row("Picture error, real 344x344 terrain", "not measured: python-matplotlib-data "
                            "could not be fetched"))
            continue
        got, reference = quality_pictures(bench, f"{grid.kind.split()[0]}-{grid.size}-{grid.arg}", grid, camera)
        mean, worst = picture_error(got, reference)
        met = mean <= QUALITY_GOALS[0] and worst <= QUALITY_GOALS[1]
        rows.append(Row(f"Picture error, {grid.describe()}, {view}",
                        "pelorin-render 800x600, " + QUALITY_KEYS.strip().replace("\n", ", ") +
                        f"; against level-of-detail = 0 and --supersample {DETAIL_REFERENCE_SAMPLES}", None, grid,
                        f"mean {mean:.1f} levels a channel over the terrain; worst {QUALITY_BLOCK}x{QUALITY_BLOCK} "
                        f"block {worst:.1f}",
                        goal_text(met, f"mean at most {QUALITY_GOALS[0]}, worst block at most {QUALITY_GOALS[1]}")))
    return rows

# --- reading values off the picture ------------------------------------------

# The pick's time on a relief terrain with pelorin-import's keys: the pixels
# timed are every STEP-th of every STEP-th row of an 800x600 picture.
PICK_TIME, PICK_TIME_QUICK = (2048, 4), (256, 8)
PICK_TIME_GOAL = 0.005
PICK_AGREEMENT_GOAL = 0.999


def pick_program(bench, folder, args):
    """bench_pick in `folder`, with no display: the offscreen context needs
    none. Its output as a dict of first word to the rest, or None with the
    reason when it could make no context."""
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    done = subprocess.run([bench.program("bench_pick"), *args], cwd=folder, env=env, capture_output=True,
                          text=True, timeout=3600)
    words = dict(l.split(" ", 1) for l in done.stdout.splitlines() if " " in l)
    if done.returncode == 3 and "no-context" in words:
        return None, words["no-context"]
    if done.returncode != 0 or "error:" in done.stderr:
        sys.exit(f"bench: bench_pick {' '.join(args)} ended with status {done.returncode}:\n{done.stderr}")
    if words.get("renderer") and bench.renderer is None:
        bench.renderer = words["renderer"]
    # Such as impostors that gave way to the lists: the row says so.
    return words, program_said(done.stderr)


def pick_folder(bench, name, config):
    folder = os.path.join(bench.scratch, f"pick-{name}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "config.txt"), "w") as f:
        f.write(config)
    return folder


def pick_time_rows(bench):
    size, step = PICK_TIME_QUICK if bench.quick else PICK_TIME
    grid = bench.grid("relief", size)
    folder = pick_folder(bench, f"relief-{size}", f"[data]\nfile = {grid.path}\n[display]\n{TERRAIN_KEYS}")
    out, _ = pick_program(bench, folder, ["time", str(step)])
    median, p99 = float(out["median"]), float(out["p99"])
    worst, worst_pixel = out["worst"].split()
    worst = float(worst)
    keys = ", ".join(TERRAIN_KEYS.strip().splitlines())
    return [Row(f"Reading values off the picture: a pick, {grid.describe()}, {keys}, the fitted view of 800x600",
                f"bench_pick time {step}: PickPixel + PickLine at {out['picks']} pixels (every {step}th of every "
                f"{step}th row; {out['hits']} on the terrain), each pixel's fastest of {out['rounds']} passes",
                median, None,
                f"99th percentile {format_seconds(p99)}, worst {format_seconds(worst)} (pixel {worst_pixel}); "
                f"median on the terrain {format_seconds(float(out['median-hit']))}; slowest single pick of all passes "
                f"{format_seconds(float(out['slowest-single']))}; load, survey and view "
                f"{format_seconds(float(out['setup']))}",
                judged(bench, worst <= PICK_TIME_GOAL, f"at most {format_seconds(PICK_TIME_GOAL)} a pick "
                                                      f"(worst {format_seconds(worst)})"))]


def pick_exact_rows(bench, name, what, config):
    """The pick at every pixel against the cell picture, with the default
    renderer; then the drawn picture's background against the cell picture,
    for the lists and the impostors."""
    figure = f"Reading values off the picture: every pixel, {what}, the fitted view of 800x600"
    out, why = pick_program(bench, pick_folder(bench, name, config), ["exact"])
    if out is None:
        return [Row(figure, "bench_pick exact", None, None, f"not measured: no offscreen context: {why}")]
    impostors, impostors_said = pick_program(bench, pick_folder(bench, name + "-impostors",
                                                                config + "renderer = impostors\n"),
                                             ["exact", "background"])
    pixels, covered = int(out["pixels"]), int(out["covered"])
    agree, disagree, edge = int(out["agree"]), int(out["disagree"]), int(out["disagree-edge"])
    share = agree / covered if covered else 0
    rows = [Row(figure, f"bench_pick exact: the pick's line at each of the {pixels} pixels against a picture of "
                        f"each pixel's cell ({out['spheres']} spheres, each ray-cast exactly)", None, None,
                f"{agree} of {covered} covered pixels name the same sphere ({share:.3%}); {disagree} do not, "
                f"{edge} of them next to a pixel of another cell; {out['pick-only']} pixels name a sphere where the "
                "cell picture shows none",
                goal_text(share >= PICK_AGREEMENT_GOAL, f"at least {PICK_AGREEMENT_GOAL:.1%} ({share:.3%})"))]
    if impostors_said:
        impostors["drawn-agree"] = None
    for renderer, words in (("lists (the default)", out), ("impostors", impostors)):
        if words["drawn-agree"] is None:
            rows.append(Row(figure, f"pelorin-render's picture, {renderer}", None, None,
                            f"not measured: {impostors_said}"))
            continue
        drawn_agree = int(words["drawn-agree"])
        rows.append(Row(figure, f"pelorin-render's picture, {renderer}: sphere or background against the cell "
                                "picture", None, None,
                        f"{drawn_agree} of {pixels} pixels agree ({drawn_agree / pixels:.3%}); "
                        f"{words['drawn-only']} drawn where the cell picture shows background, "
                        f"{words['cells-only']} background where it shows a sphere; "
                        f"{words['drawn-edge']} of these next to a pixel of another cell"))
    return rows


def pick_rows(bench):
    """What pelorin-render --probe says: the time of a pick on a large grid,
    and, on the example and the real terrain, the pick at every pixel
    against an independent picture of each pixel's cell."""
    rows = pick_time_rows(bench)
    with open(os.path.join(ROOT, "examples", "config.txt")) as f:
        example = f.read()
    # The example's own keys, fitted: the picture opens on the whole of it.
    example = example.replace("[display]\n", "[display]\nfit-view = 1\n", 1) if "[display]\n" in example \
        else example + "\n[display]\nfit-view = 1\n"
    example = example.replace("file = data.txt", f"file = {os.path.join(ROOT, 'examples', 'data.txt')}")
    rows += pick_exact_rows(bench, "example", "the example (radius 0.6), its keys and fit-view = 1", example)
    if bench.quick:
        return rows
    grid = real_terrain(bench)
    if grid is None:
        return rows + [Row("Reading values off the picture: every pixel, real 344x344 terrain",
                           "not measured: python-matplotlib-data could not be fetched")]
    return rows + pick_exact_rows(bench, "real-344", f"{grid.describe()}, the default keys and fit-view = 1",
                                  f"[data]\nfile = {grid.path}\n[display]\nfit-view = 1\n")


# --- from Python ----------------------------------------------------------------

# The grid drawn from an array and from its text file, and against VTK; the
# film's frames and their number. Quick mode draws small ones.
PYTHON_SIZE, PYTHON_SIZE_QUICK = 1024, 256
PYTHON_FILM, PYTHON_FILM_QUICK = (256, 100), (64, 5)
PYTHON_KEYS = {"renderer": "impostors", "fit_view": True, "colour": "height", "cull_hidden": True}
PYTHON_RENDER_GOAL, PYTHON_CAMERA_GOAL, PYTHON_FILM_GOAL_SECONDS, PYTHON_VTK_GOAL = 0.9, 1.2, 2.0, 10
# sphere-r's default, the radius VTK's splats are given.
PYTHON_SPHERE_R = 0.75
# What the two pictures show, seen once side by side.
PYTHON_PICTURES = (
    "Seen once side by side, both pictures show the whole relief from the same direction. Pelorin's fills the frame "
    "(fit_view) with lit spheres coloured by level from dark blue to yellow, the steps between levels darker where "
    "a sphere shades the one beside it; VTK's, smaller in the frame (ResetCamera fits the points' bounding sphere), "
    "is coloured by level through a rainbow (red low, blue high), each sphere a flat disc darkened towards its rim "
    "and drawn at its centre's depth, so that neighbouring discs cut into one another in moire bands where "
    "Pelorin's spheres meet cleanly.")


class PythonSide:
    """The module built by bench/run in <build>/main with the pelorin-render
    of the same build, run in fresh /usr/bin/python3 processes without a
    display (the module draws through EGL)."""

    def __init__(self, bench):
        self.bench = bench
        self.main = os.path.join(bench.build, "main")
        # Another build's module may be measured instead, such as one with
        # functions this tree lacks; pelorin-render stays this tree's.
        self.chosen = os.environ.get("BENCH_PELORIN_PYTHON", "")
        self.package = os.path.abspath(self.chosen) if self.chosen else os.path.join(self.main, "python")
        self.render_program = os.path.join(self.main, "src", "app", "pelorin-render")
        built = glob.glob(os.path.join(self.package, "pelorin", "_pelorin*.so"))
        self.missing = "" if built and os.path.exists(self.render_program) else \
            f"not measured: no pelorin module in {self.package}" if self.chosen else \
            f"not measured: the pelorin module was not built (see {os.path.relpath(self.main, ROOT)}-build.log)"
        bench.python_package = self.chosen
        self.env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        self.env["PYTHONPATH"] = self.package

    def run(self, *args, env=None):
        """One fresh process of from_python.py: its "name value" lines as a
        dict, and its whole time."""
        start = time.perf_counter()
        done = subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "bench", "from_python.py"), *args],
                              env=env or self.env, capture_output=True, text=True, timeout=3600)
        total = time.perf_counter() - start
        said = program_said(done.stderr) or next((l for l in done.stderr.splitlines()
                                                  if "Warning" in l or "Error" in l), "")
        if done.returncode != 0 or said:
            sys.exit(f"bench: from_python.py {' '.join(args)} ended with status {done.returncode}:\n"
                     f"{done.stdout}{done.stderr}")
        return dict(l.split(" ", 1) for l in done.stdout.splitlines() if " " in l), total

    def npy(self, size):
        return self.bench.grid("relief", size, ending="npy")


def python_render_rows(bench, side, grid, npy):
    """pelorin.render from the array against pelorin-render from the text
    file, the two taking turns."""
    folder = os.path.join(bench.scratch, f"python-{grid.size}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "config.txt"), "w") as f:
        f.write(f"[data]\nfile = {grid.path}\n[display]\n{TERRAIN_KEYS}")
    png = os.path.join(folder, "render.png")
    runs = {"render": [], "import": [], "process": [], "program": [], "read-text": []}
    # The compared figures: more runs than the others, as for the loads.
    for _ in range(3 if bench.quick else 2 * bench.repeats + 1):
        timed = timed_process([side.render_program, "-o", png, "--quiet", "--size", "800x600"], folder, png,
                              env=side.env)
        runs["program"].append(timed.total)
        out, total = side.run("render", npy.path, os.path.join(folder, "python.png"), json.dumps(PYTHON_KEYS),
                              grid.path)
        if "missing" in out:
            return None, [Row("From Python", "pelorin.render", None, None, "not measured: " + out["missing"])]
        if out["shape"] != "600x800x4" or png_size(os.path.join(folder, "python.png")) != (800, 600):
            sys.exit(f"bench: pelorin.render drew {out['shape']}, not 600x800x4")
        runs["render"].append(float(out["render"]))
        runs["import"].append(float(out["import"]))
        runs["process"].append(total)
        runs["read-text"].append(float(out["read-text"]))
    ours, program = statistics.median(runs["render"]), statistics.median(runs["program"])
    ratio, read = ours / program, statistics.median(runs["read-text"])
    bench.python_render = (ours, program, read)
    figure = f"From Python: one 800x600 picture to PNG, {grid.describe()}"
    return ours, [
        Row(figure, "pelorin.render(heights, path, **keys) in a fresh Python process, timed around the call, "
                    "the array in memory", ours, grid,
            f"{ratio:.2f}x pelorin-render; `import pelorin` {format_seconds(statistics.median(runs['import']))}; "
            f"the Python process whole {format_seconds(statistics.median(runs['process']))}",
            judged(bench, ratio <= PYTHON_RENDER_GOAL, f"at most {PYTHON_RENDER_GOAL}x pelorin-render ({ratio:.2f}x)")),
        Row(figure, "pelorin-render on the grid's text file: the whole process", program, grid,
            f"of it, reading the text file about {format_seconds(read)} (pelorin.read, the programs' reader): "
            f"without it {(program - read) / program:.2f}x its time, the most an array can save"),
    ]


def python_scene_rows(bench, side, grid, npy):
    """A prepared Scene's pictures from other cameras against the same
    camera drawn again, and pelorin-render's frame drawn again in process."""
    out, _ = side.run("scene", npy.path, json.dumps(PYTHON_KEYS), "3" if bench.quick else str(bench.repeats))
    if "missing" in out:
        return None, []
    folder = os.path.join(bench.scratch, f"python-{grid.size}")
    done = subprocess.run([bench.program("bench_render_frame"), "3" if bench.quick else "7"], cwd=folder,
                          env=side.env, capture_output=True, text=True, timeout=1800)
    if done.returncode != 0 or "warning:" in done.stderr:
        sys.exit(f"bench: bench_render_frame did not draw as asked:\n{done.stderr}")
    bench.renderer = field(done.stdout, "renderer") if bench.renderer is None else bench.renderer
    draw = float(field(done.stdout, "median"))
    moved, again, ratio = float(out["moved"]), float(out["again"]), float(out["ratio"])
    bench.python_scene = (float(out["prepare"]), float(out["first"]))
    figure = f"From Python: a prepared Scene from other cameras, 800x600, {grid.describe()}"
    return out["camera"].split(), [
        Row(figure, "Scene(heights, **keys): made ready", float(out["prepare"]), grid),
        Row(figure, "its first render (the opening camera)", float(out["first"]), grid),
        Row(figure, "render from another camera (turned 90, 180 and 270 degrees, 15 lower or 10 higher, in turn)",
            moved, grid, f"{ratio:.2f}x one frame's drawing of the same view (the median of the pairs; the worst "
                         f"{float(out['ratio-worst']):.2f}x)",
            judged(bench, ratio <= PYTHON_CAMERA_GOAL, f"at most {PYTHON_CAMERA_GOAL}x one frame's drawing "
                                                       f"({ratio:.2f}x)")),
        Row(figure, "one frame's drawing: the same camera's render again, right after", again, grid,
            f"{again / draw:.2f}x pelorin-render's frame drawn again"),
        Row(figure, "pelorin-render's frame (the opening view) drawn again in process, with read-back "
                    "(bench_render_frame)", draw, grid),
    ]


def python_film_rows(bench, side):
    size, count = PYTHON_FILM_QUICK if bench.quick else PYTHON_FILM
    npy = side.npy(size)
    figure = f"From Python: a film of {count} frames of {npy.describe()} to PNGs at 800x600"
    what = ("pelorin.film(frames, 'out/f.png', **keys), timed around the call, the frames in memory (the relief "
            "rolled by 37 rows and 53 columns a frame: the same spheres in every frame)")
    folder = os.path.join(bench.scratch, f"python-film-{size}x{count}")
    films, draws = [], []
    for _ in range(1 if bench.quick else 3):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        out, _ = side.run("film", npy.path, str(count), folder, json.dumps(PYTHON_KEYS))
        if "missing" in out:
            return [Row(figure, what, None, npy, "not measured: " + out["missing"])]
        if int(out["pictures"]) != count:
            sys.exit(f"bench: pelorin.film wrote {out['pictures']} pictures in {folder}, not {count}")
        films.append(float(out["film"]))
        draws.append(float(out["draw"]))
    film, draw = statistics.median(films), statistics.median(draws)
    bound = PYTHON_FILM_GOAL_SECONDS + count * draw
    return [Row(figure, what, film, npy, f"{(film - count * draw) / count * 1000:.1f} ms a frame beyond its draw",
                judged(bench, film <= bound, f"at most {PYTHON_FILM_GOAL_SECONDS:g} s + {count} frame draws "
                                             f"({format_seconds(bound)})")),
            Row(figure, "one frame's draw: a Scene of a frame rendered again at 800x600", draw, npy)]


def python_vtk_rows(bench, side, grid, npy, ours, camera):
    """VTK's first picture of the same spheres against pelorin.render's."""
    figure = f"From Python against VTK: the first 800x600 picture to PNG, {grid.describe()}, from the array in memory"
    what = (f"VTK vtkPointGaussianMapper, one point a sphere (every level of every column), radius "
            f"{PYTHON_SPHERE_R}, offscreen")
    if shutil.which("Xvfb") is None:
        return [Row(figure, what, None, grid, "not measured: VTK's offscreen window needs an X server; no Xvfb")]
    env = dict(os.environ, DISPLAY=x_display(bench))
    folder = os.path.join(bench.scratch, f"python-{grid.size}")
    picture = os.path.join(folder, "vtk.png")
    runs = []
    for _ in range(1 if bench.quick else 3):
        out, _ = side.run("vtk", npy.path, picture, *camera, str(PYTHON_SPHERE_R), env=env)
        if "missing" in out:
            return [Row(figure, what, None, grid, "not measured: " + out["missing"])]
        if int(out["spheres"]) != grid.points or png_size(picture) != (800, 600):
            sys.exit(f"bench: VTK drew {out['spheres']} spheres into {png_size(picture)}, not {grid.points} "
                     "into 800x600")
        runs.append(out)

    def median(name):
        return statistics.median(float(out[name]) for out in runs)

    theirs = median("total")
    speedup = theirs / ours if ours else 0
    bench.python_vtk = (grid, ours, theirs, speedup, runs[0]["renderer"], len(runs))
    return [
        Row(figure, "pelorin.render(heights, path, **keys), as above", ours, grid,
            f"{speedup:.1f}x faster than VTK",
            judged(bench, speedup >= PYTHON_VTK_GOAL, f"at least {PYTHON_VTK_GOAL}x faster than VTK "
                                                      f"({speedup:.1f}x)")),
        Row(figure, f"{what} on Xvfb ({runs[0]['renderer']}): points built, drawn and written, timed around them",
            theirs, grid, f"vtkPoints and scalars {format_seconds(median('points'))}, first Render "
                          f"{format_seconds(median('draw'))}, PNG {format_seconds(median('png'))}; `import vtk` "
                          f"{format_seconds(median('import'))}"),
    ]


def python_rows(bench):
    """The module's picture from an array against pelorin-render's from a
    file, a prepared Scene's other cameras, a film, and VTK drawing the same
    spheres."""
    # Other work on the machine slows llvmpipe's threads most: the section
    # gives the load the figures were taken under.
    bench.python_load = [os.getloadavg()[0]]
    side = PythonSide(bench)
    if side.missing:
        return [Row("From Python", "pelorin.render, Scene, film; VTK", None, None, side.missing)]
    size = PYTHON_SIZE_QUICK if bench.quick else PYTHON_SIZE
    grid, npy = bench.grid("relief", size), side.npy(size)
    if npy.points != grid.points:
        sys.exit(f"bench: {npy.path} holds {npy.points} points, {grid.path} {grid.points}")
    ours, rows = python_render_rows(bench, side, grid, npy)
    if ours is None:
        return rows
    camera, scene_rows = python_scene_rows(bench, side, grid, npy)
    rows += scene_rows + python_film_rows(bench, side) + python_vtk_rows(bench, side, grid, npy, ours, camera)
    bench.python_load.append(os.getloadavg()[0])
    return rows


ROW_GROUPS = [loading_terrain_rows, loading_binary_rows, loading_linearity_rows]
ROW_GROUPS += [startup_rows, frame_rows, memory_rows, tessellation_rows, cull_rows, renderer_rows, render_rows]
ROW_GROUPS += [detail_rows, series_rows, depth_cue_rows, grid_rows, quality_rows, pick_rows, python_rows]


def only_groups(names):
    """The row groups named on the command line, for running a few alone."""
    known = {group.__name__: group for group in ROW_GROUPS}
    missing = [n for n in names if n not in known]
    if missing:
        sys.exit(f"bench: no row group {', '.join(missing)}; known: {', '.join(known)}")
    return [known[n] for n in names]


# --- the table ----------------------------------------------------------------


def cpu_name():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown CPU"


def memory_gib():
    try:
        return os.sysconf("SC_PHYS_PAGES") * os.sysconf("SC_PAGE_SIZE") / 2**30
    except (ValueError, OSError):
        return 0


def format_seconds(seconds):
    # A pick takes microseconds.
    if seconds < 1e-4:
        return f"{seconds * 1e6:.1f} us"
    return f"{seconds * 1000:.1f} ms" if seconds < 1 else f"{seconds:.3f} s"


def render(bench, rows):
    mode = "quick mode (smallest sizes)" if bench.quick else "full run"
    lines = [
        "# Pelorin benchmarks",
        "",
        f"Machine: {cpu_name()}, {os.cpu_count()} cores, {memory_gib():.0f} GiB; "
        f"{platform.system()} {platform.release()}. Renderer: {bench.renderer or 'not measured'} "
        "(GL timings end with glFinish; start-up is measured from the process's start to its first "
        "swapped and finished frame by a hook preloaded into the shipped program, which also reads its "
        "peak resident memory there). "
        f"{datetime.date.today().isoformat()}, {mode}; every time is a median: of {2 * bench.repeats + 1} runs "
        f"for SurfData and the fill floor (taking turns), of {bench.repeats} for the others; "
        "files in the page cache. C++ loads are timed inside the process (one load per process); "
        "numpy and pandas inside Python around the read call; `cat` as a whole process. "
        "SurfData asks for huge pages for its arrays and buffers, and so does the fill floor "
        "(the floor without that advice is shown too). SurfData writes the arrays of a grid of a "
        "million points or more on two threads; the floor, like the other programs, uses one.",
        "",
        "| Figure | Program | Median time | MB/s | Million points/s | Ratio | Goal |",
        "|---|---|---|---|---|---|---|",
    ]
    for row in rows:
        timing = ["", "", ""]
        if row.seconds is not None and row.grid is not None and not row.figure.startswith("Loading"):
            # Drawing: points drawn per second; the file's bytes mean nothing here.
            timing = [format_seconds(row.seconds), "", f"{row.grid.points / 1e6 / row.seconds:.1f}"]
        elif row.seconds is not None and row.grid is not None:
            timing = [format_seconds(row.seconds), f"{row.grid.bytes / 1e6 / row.seconds:.0f}",
                      f"{row.grid.points / 1e6 / row.seconds:.1f}"]
        elif row.seconds is not None:
            timing = [format_seconds(row.seconds), "", ""]
        lines.append("| " + " | ".join([row.figure, row.program] + timing + [row.ratio, row.goal]) + " |")
    return "\n".join(lines) + "\n"


PYTHON_SECTION = "## From Python"


def python_section(bench, rows):
    """The section of bench/results.md the Python rows write: how they were
    measured, their table, and VTK's comparison on its own."""
    keys = ", ".join(f"{k}={v!r}" for k, v in PYTHON_KEYS.items())
    module, load = "", getattr(bench, "python_load", [])
    if getattr(bench, "python_package", ""):
        module = (f"; the module measured is instead the one on `BENCH_PELORIN_PYTHON={bench.python_package}`, "
                  "another build of the same flags")
    lines = [
        PYTHON_SECTION,
        "",
        f"From `BENCH_ONLY=python_rows bash bench/run` ({datetime.date.today().isoformat()}; machine: {cpu_name()}, "
        f"{os.cpu_count()} cores, {memory_gib():.0f} GiB; {platform.system()} {platform.release()}; renderer "
        f"{bench.renderer or 'not measured'}; load average {' at the start, '.join(f'{l:.1f}' for l in load)}"
        f"{' at the end' if len(load) > 1 else ''}, other work sharing the cores). The module and the pelorin-render it is set against come from one "
        f"build of the main project (RelWithDebInfo, made by bench/run in `build-bench/main`){module}. "
        "Every Python figure is from a fresh /usr/bin/python3 process that loads the grid's .npy before the clock starts, so it counts "
        "from the array in memory; pelorin-render is timed as a whole process on the same grid's text file, in the "
        f"page cache. Keys on both sides: `{keys}` (pelorin-render's config.txt: "
        f"`{', '.join(TERRAIN_KEYS.strip().splitlines())}`). Both sides draw with no display, through EGL. Medians "
        f"of {2 * bench.repeats + 1} runs, the two sides taking turns; the Scene's cameras are {bench.repeats} "
        "rounds of three other cameras in one process, each drawn twice in a row; the film and VTK are medians of 3 runs.",
        "",
        "| Figure | Program | Median time | Ratio | Goal |",
        "|---|---|---|---|---|",
    ]
    for row in rows:
        seconds = format_seconds(row.seconds) if row.seconds is not None else ""
        lines.append("| " + " | ".join([row.figure, row.program, seconds, row.ratio, row.goal]) + " |")
    if getattr(bench, "python_render", None) and getattr(bench, "python_scene", None):
        (ours, program, read), (prepare, first) = bench.python_render, bench.python_scene
        lines += [
            "",
            f"What an array in memory spares pelorin-render is reading the text file ({format_seconds(read)} by "
            "the programs' own reader, timed in the Python process after its picture) and the program's start "
            f"and end; the rest is the same work on both sides. A Scene made ready ({format_seconds(prepare)}) and "
            f"its first picture ({format_seconds(first)}), in the Scene rows' process, come to "
            f"{(prepare + first) / ours:.0%} of pelorin.render's time: the drawing, the same code in the module as "
            f"in the program, is nearly all of it, so pelorin.render's {ours / program:.2f}x pelorin-render is "
            "what leaving the file and the process out can give.",
        ]
    if getattr(bench, "python_vtk", None):
        grid, ours, theirs, speedup, renderer, runs = bench.python_vtk
        lines += [
            "",
            f"Against VTK 9.1's Python bindings (python3-vtk9), the {grid.describe()}: one point a sphere, "
            f"{grid.points} of them, drawn by vtkPointGaussianMapper with VTK's round-splat shader at radius "
            f"{PYTHON_SPHERE_R} (display/sphere-r's default), coloured by level through VTK's default lookup "
            "table, in an 800x600 vtkRenderWindow with SetOffScreenRendering(1), fitted by ResetCamera from "
            "Pelorin's opening direction. With DISPLAY unset VTK 9.1 on Debian makes no window at all (its only "
            "window is the X one: \"bad X server connection\"; it is built without EGL or OSMesa), so it draws "
            f"on the bench's private Xvfb ({renderer}). Times from the array in memory to the PNG on disk, "
            f"building the vtkPoints included; medians of {runs} runs (VTK) and of {2 * bench.repeats + 1} "
            "(Pelorin).",
            "",
            "| Grid | pelorin.render to PNG | VTK to PNG | Pelorin faster by | Goal (at least 10x) |",
            "|---|---|---|---|---|",
            f"| {grid.describe()} | {format_seconds(ours)} | {format_seconds(theirs)} | {speedup:.1f}x | "
            f"{'met' if speedup >= PYTHON_VTK_GOAL else 'NOT met'} |",
            "",
            PYTHON_PICTURES,
        ]
    return "\n".join(lines) + "\n"


def write_section(path, title, text):
    """Puts `text` in place of the section headed `title` (to the next
    section of the same level), or after the last one."""
    with open(path) as f:
        old = f.read()
    start = old.find("\n" + title + "\n")
    if start < 0:
        new = old.rstrip("\n") + "\n\n" + text
    else:
        end = old.find("\n## ", start + 1)
        new = old[:start + 1] + text + ("" if end < 0 else "\n" + old[end + 1:])
    with open(path + ".part", "w") as f:
        f.write(new)
    os.replace(path + ".part", path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--repeats", type=int, default=5)
    parser.add_argument("--only", nargs="+", metavar="GROUP",
                        help="run only these row groups; the table then goes to <build>/results-only.md")
    args = parser.parse_args()

    bench = Bench(os.path.abspath(args.build), args.quick, args.repeats)
    # The terrains other figures draw; generated here so every run has them.
    for size in TERRAIN_SIZES[:2] if args.quick else TERRAIN_SIZES:
        bench.grid("smooth", size)
    groups = only_groups(args.only) if args.only else ROW_GROUPS
    rows = [row for group in groups for row in group(bench)]
    table = render(bench, rows)
    print(table, end="")
    out = os.path.join(ROOT, "bench", "results.md")
    if args.quick or args.only:
        out = os.path.join(args.build, "results-quick.md" if args.quick else "results-only.md")
    with open(out, "w") as f:
        f.write(table)
    print(f"(written to {os.path.relpath(out, ROOT)})")
    if python_rows in groups and not args.quick:
        section = os.path.join(ROOT, "bench", "results.md")
        write_section(section, PYTHON_SECTION, python_section(bench, [r for r in rows if "From Python" in r.figure]))
        print(f"(its section \"{PYTHON_SECTION[3:]}\" written to {os.path.relpath(section, ROOT)})")


if __name__ == "__main__":
    main()
