"""Runs Pelorin's benchmarks and prints one markdown table.

Called by bench/run (`make bench`), which builds the programs first. Every
timing is the median of repeated runs. The table is made of row groups: each
is one function below that takes the Bench and returns its rows; to add
figures, write such a function and list it in ROW_GROUPS.
"""
import argparse
import datetime
import os
import platform
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

    def __init__(self, kind, size, path, points):
        self.kind, self.size, self.path, self.points = kind, size, path, points
        self.bytes = os.path.getsize(path)

    def describe(self):
        what = "terrain" if self.kind == "smooth" else "grid of 0s and 1s"
        size = f"{self.bytes / 1e6:.1f} MB" if self.bytes >= 1e6 else f"{self.bytes / 1e3:.0f} kB"
        return f"{self.size}x{self.size} {what} ({size}, {self.points / 1e6:.2f} M points)"


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

    # --- inputs -----------------------------------------------------------

    def grid(self, kind, size):
        """The grid file, generated once per build folder and read once so
        that it is in the page cache."""
        key = (kind, size)
        if key not in self.grids:
            path = os.path.join(self.scratch, f"{kind}-{size}.txt")
            count = path + ".points"
            if not (os.path.exists(path) and os.path.exists(count)):
                out = self.run([self.program("bench_terrain"), kind, str(size), path])
                with open(count, "w") as f:
                    f.write(out.strip())
            with open(count) as f:
                points = int(f.read())
            with open(path, "rb") as f:
                while f.read(1 << 20):
                    pass
            self.grids[key] = Grid(kind, size, path, points)
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


ROW_GROUPS = [loading_terrain_rows, loading_binary_rows, loading_linearity_rows]


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
    return f"{seconds * 1000:.1f} ms" if seconds < 1 else f"{seconds:.3f} s"


def render(bench, rows):
    mode = "quick mode (smallest sizes)" if bench.quick else "full run"
    lines = [
        "# Pelorin benchmarks",
        "",
        f"Machine: {cpu_name()}, {os.cpu_count()} cores, {memory_gib():.0f} GiB; "
        f"{platform.system()} {platform.release()}. Renderer: not measured (no GL figures yet). "
        f"{datetime.date.today().isoformat()}, {mode}; every time is a median: of {2 * bench.repeats + 1} runs "
        f"for SurfData and the fill floor (taking turns), of {bench.repeats} for the others; "
        "files in the page cache. C++ loads are timed inside the process (one load per process); "
        "numpy and pandas inside Python around the read call; `cat` as a whole process. "
        "SurfData asks for huge pages for its arrays and buffers, and so does the fill floor "
        "(the floor without that advice is shown too).",
        "",
        "| Figure | Program | Median time | MB/s | Million points/s | Ratio | Goal |",
        "|---|---|---|---|---|---|---|",
    ]
    for row in rows:
        timing = ["", "", ""]
        if row.seconds is not None and row.grid is not None:
            timing = [format_seconds(row.seconds), f"{row.grid.bytes / 1e6 / row.seconds:.0f}",
                      f"{row.grid.points / 1e6 / row.seconds:.1f}"]
        lines.append("| " + " | ".join([row.figure, row.program] + timing + [row.ratio, row.goal]) + " |")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--repeats", type=int, default=5)
    args = parser.parse_args()

    bench = Bench(os.path.abspath(args.build), args.quick, args.repeats)
    # The terrains other figures draw; generated here so every run has them.
    for size in TERRAIN_SIZES[:2] if args.quick else TERRAIN_SIZES:
        bench.grid("smooth", size)
    rows = [row for group in ROW_GROUPS for row in group(bench)]
    table = render(bench, rows)
    print(table, end="")
    out = os.path.join(args.build, "results-quick.md") if args.quick else os.path.join(ROOT, "bench", "results.md")
    with open(out, "w") as f:
        f.write(table)
    print(f"(written to {os.path.relpath(out, ROOT)})")


if __name__ == "__main__":
    main()
