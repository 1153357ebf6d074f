"""A soak run of the shipped viewer: for a set time, random input from outside
on a private Xvfb, while its memory and frame times are watched.

Called by `make soak` (SOAK_SECONDS, default 600). The viewer shows a 344x344
relief terrain with the impostors (cull-hidden, fit-view, height colours) and
gets what a restless user gives it: drags with the left and right buttons,
wheel steps both ways, `+`, `-`, `f`, Escape and window resizes, two or three
a second.

Every few seconds a probe puts the viewer in one known state: Escape (the
800x600 window at 100,100, waited for), `r` (the start camera; the extended
keys are on for it), a wheel step in and one out, and `r` again. The frames
those four keys draw are the like-with-like frame times, and the resident
memory read right after them (VmRSS) the like-with-like memory samples: the
random input between probes changes the window's size and the view, and
with them both what a frame costs and how much freed memory the process
keeps for reuse.

Frame times come from bench/soak_frame_hook.c, preloaded into the viewer: it
wraps the display callback and logs the time of every frame, glFinish
included, with the viewport it was drawn into.

Pass: the viewer runs throughout and quits with status 0 on `q`, writes no
`error:` line, its memory after the warm-up (the first minute) grows by at
most 2 % (the median of the first three samples after it against that of the
last three), and the median probe frame of the last fifth of the run is at
most 1.2 times that of the second fifth. A run shorter than two minutes
leaves too little after the warm-up to judge growth or drift: it reports
both and judges only that the viewer lives and writes no error (CI's run).
Prints a short report; exits 1 on failure, 2 when it cannot run.
"""
import argparse
import os
import random
import select
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

SCREEN = (1280, 1024)
RESTORED = (100, 100, 800, 600)  # what Escape gives: x, y, width, height
TERRAIN_SIZE = 344
SETTINGS = "renderer = impostors\ncull-hidden = 1\nfit-view = 1\ncolour = height\nkeys = extended\n"
WARM_UP_SECONDS = 60
SAMPLE_EVERY_SECONDS = 5
GROWTH_LIMIT = 0.02
DRIFT_LIMIT = 1.2
# Generous: a full-screen frame of a loaded machine's software renderer is
# slow, and a deadline here only ends a run that is already broken.
STATE_DEADLINE_SECONDS = 60

# How often each kind of input comes, relative to the others.
ACTIONS = {"left-drag": 24, "right-drag": 14, "wheel": 20, "plus": 5, "minus": 5, "full-screen": 4, "escape": 4,
           "resize": 8}


class SoakError(Exception):
    """The run cannot go on: the viewer died, or a state never came."""


def fail_setup(message):
    print(f"soak: {message}", file=sys.stderr)
    sys.exit(2)


def build_tools(out):
    """The terrain generator and the frame hook, compiled into `out` when
    their sources are newer."""
    # The generator writes .npy grids with the program's own writer.
    data, base = os.path.join(ROOT, "src", "data"), os.path.join(ROOT, "src", "base")
    grid_writer = ["-I", data, "-I", base] + [os.path.join(data, f) for f in
                                                ("height_grid.cpp", "npy_grid.cpp", "level_mapping.cpp", "page_advice.cpp")] + [
        os.path.join(base, "printable_text.cpp")]
    tools = [
        ("bench_terrain", "terrain.cpp", ["c++", "-O2", "-std=c++17"], grid_writer),
        ("libsoak_frame_hook.so", "soak_frame_hook.c", ["cc", "-O2", "-shared", "-fPIC"], ["-ldl", "-lGL"]),
    ]
    paths = {}
    for name, source, compiler, libraries in tools:
        target, source = os.path.join(out, name), os.path.join(ROOT, "bench", source)
        if not os.path.exists(target) or os.path.getmtime(target) < os.path.getmtime(source):
            done = subprocess.run(compiler + ["-Wall", "-Wextra", source, "-o", target] + libraries,
                                  capture_output=True, text=True)
            if done.returncode != 0:
                fail_setup(f"cannot build {name}:\n{done.stderr}")
        paths[name] = target
    return paths


def private_display(processes):
    """Starts Xvfb on a display number it picks itself; returns ":N"."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-screen", "0",
                               f"{SCREEN[0]}x{SCREEN[1]}x24", "-noreset"], pass_fds=(write_end,),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    processes.append(server)
    os.close(write_end)
    number, deadline = b"", time.monotonic() + 30
    while not number.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([read_end], [], [], left)[0]:
            fail_setup("Xvfb reported no display number within 30 s")
        chunk = os.read(read_end, 16)
        if not chunk:
            fail_setup("Xvfb ended before it reported a display number")
        number += chunk
    os.close(read_end)
    return ":" + number.decode().strip()


def wait_until(predicate, seconds, poll=0.05):
    deadline = time.monotonic() + seconds
    while True:
        if predicate():
            return True
        if time.monotonic() >= deadline:
            return False
        time.sleep(poll)


class FrameLog:
    """The hook's lines, read as they come: (end, seconds, width, height)."""

    def __init__(self, path):
        self.path, self.offset, self.partial, self.frames = path, 0, "", []

    def update(self):
        try:
            with open(self.path) as f:
                f.seek(self.offset)
                text = f.read()
                self.offset = f.tell()
        except FileNotFoundError:
            return
        lines = (self.partial + text).split("\n")
        self.partial = lines.pop()
        for line in lines:
            words = line.split()
            if len(words) == 5 and words[0] == "frame":
                self.frames.append((float(words[1]), float(words[2]), int(words[3]), int(words[4])))

    def count(self):
        self.update()
        return len(self.frames)


class Viewer:
    """The shipped program on the private display, driven with xdotool."""

    def __init__(self, program, folder, display, hook, processes):
        self.folder, self.env = folder, dict(os.environ, DISPLAY=display)
        self.log = FrameLog(os.path.join(folder, "frames.log"))
        if os.path.exists(self.log.path):
            os.remove(self.log.path)
        env = dict(self.env, LD_PRELOAD=hook, SOAK_FRAME_LOG=self.log.path)
        self.out, self.err = (open(os.path.join(folder, name), "w") for name in ("stdout.txt", "stderr.txt"))
        self.process = subprocess.Popen([program], cwd=folder, env=env, stdin=subprocess.DEVNULL, stdout=self.out,
                                        stderr=self.err)
        processes.append(self.process)
        self.window, self.size = None, RESTORED[2:]

    def check_running(self):
        status = self.process.poll()
        if status is not None:
            raise SoakError(f"the viewer ended with status {status}" +
                            (f" (signal {-status})" if status < 0 else ""))

    def xdotool(self, *args):
        self.check_running()
        try:
            done = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                                  timeout=STATE_DEADLINE_SECONDS)
        except subprocess.TimeoutExpired:
            raise SoakError(f"xdotool {' '.join(map(str, args))} took over {STATE_DEADLINE_SECONDS} s")
        return done.stdout

    def wait_for_window(self):
        def found():
            self.check_running()
            ids = self.xdotool("search", "--onlyvisible", "--name", "^Pelorin$").split()
            self.window = ids[0] if ids else None
            return self.window is not None
        if not wait_until(found, STATE_DEADLINE_SECONDS, 0.2):
            raise SoakError(f"no window within {STATE_DEADLINE_SECONDS} s")
        if not wait_until(lambda: self.log.count() > 0, STATE_DEADLINE_SECONDS):
            raise SoakError(f"no frame within {STATE_DEADLINE_SECONDS} s")

    def geometry(self):
        values = {}
        for line in self.xdotool("getwindowgeometry", "--shell", self.window).splitlines():
            name, _, value = line.partition("=")
            values[name] = value
        try:
            return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        except (KeyError, ValueError):
            return None

    def key(self, name):
        self.xdotool("windowfocus", "--sync", self.window, "key", name)

    def point(self, rng):
        return rng.randrange(5, max(6, self.size[0] - 5)), rng.randrange(5, max(6, self.size[1] - 5))

    def drag(self, rng, button):
        x, y = self.point(rng)
        args = ["mousemove", "--window", self.window, x, y, "mousedown", button]
        for _ in range(rng.randint(3, 8)):
            x = min(max(x + rng.randint(-60, 60), 0), self.size[0] - 1)
            y = min(max(y + rng.randint(-60, 60), 0), self.size[1] - 1)
            args += ["sleep", f"{rng.uniform(0.02, 0.08):.3f}", "mousemove", "--window", self.window, x, y]
        self.xdotool(*args, "mouseup", button)

    def wheel(self, rng):
        x, y = self.point(rng)
        self.xdotool("mousemove", "--window", self.window, x, y, "click", "--repeat", rng.randint(1, 3), "--delay",
                     rng.randint(60, 200), rng.choice((4, 5)))

    def act(self, rng, action):
        if action == "left-drag":
            self.drag(rng, 1)
        elif action == "right-drag":
            self.drag(rng, 3)
        elif action == "wheel":
            self.wheel(rng)
        elif action == "plus":
            self.key("plus")
        elif action == "minus":
            self.key("minus")
        elif action == "full-screen":
            self.key("f")
            self.size = SCREEN
        elif action == "escape":
            self.key("Escape")
            self.size = RESTORED[2:]
        elif action == "resize":
            self.size = (rng.randint(160, SCREEN[0] - 100), rng.randint(120, SCREEN[1] - 100))
            self.xdotool("windowsize", self.window, *self.size)

    def quiet(self, seconds=0.3):
        """Waits until no frame has come for `seconds`."""
        last = [self.log.count(), time.monotonic()]

        def settled():
            n = self.log.count()
            if n != last[0]:
                last[:] = [n, time.monotonic()]
            return time.monotonic() - last[1] >= seconds
        if not wait_until(settled, STATE_DEADLINE_SECONDS):
            raise SoakError(f"frames kept coming for {STATE_DEADLINE_SECONDS} s")

    def frame_after(self, count, *xdotool_args):
        """Sends the input and waits for the frame it draws; returns it."""
        self.xdotool(*xdotool_args)
        if not wait_until(lambda: self.log.count() > count, STATE_DEADLINE_SECONDS):
            raise SoakError(f"no frame after xdotool {' '.join(map(str, xdotool_args))}")
        return self.log.frames[count]

    def probe(self):
        """The known state: returns the probe frames' seconds and VmRSS, or
        None when the window did not come back to 800x600 at 100,100."""
        for _ in range(3):
            self.key("Escape")
            if wait_until(lambda: self.geometry() == RESTORED, STATE_DEADLINE_SECONDS / 3, 0.1):
                break
        else:
            return None
        self.size = RESTORED[2:]
        self.quiet()
        focus = ["windowfocus", "--sync", self.window]
        inputs = [focus + ["key", "r"], ["mousemove", "--window", self.window, 400, 300, "click", 4],
                  ["mousemove", "--window", self.window, 400, 300, "click", 5], focus + ["key", "r"]]
        frames = []
        for args in inputs:
            frames.append(self.frame_after(self.log.count(), *args))
            self.quiet(0.1)
        if any((w, h) != RESTORED[2:] for _, _, w, h in frames):
            return None
        return [seconds for _, seconds, _, _ in frames], self.status_kb("VmRSS")

    def status_kb(self, field):
        with open(f"/proc/{self.process.pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
        raise SoakError(f"no {field} in /proc/{self.process.pid}/status")

    def quit(self):
        self.key("q")
        try:
            return self.process.wait(STATE_DEADLINE_SECONDS)
        except subprocess.TimeoutExpired:
            raise SoakError(f"the viewer did not end within {STATE_DEADLINE_SECONDS} s of q")


def median_ms(values):
    return f"{statistics.median(values) * 1000:.1f} ms" if values else "none"


def run(args, folder, tools, processes):
    terrain = os.path.join(folder, f"relief-{TERRAIN_SIZE}.txt")
    if not os.path.exists(terrain):
        subprocess.run([tools["bench_terrain"], "relief", str(TERRAIN_SIZE), terrain], check=True,
                       stdout=subprocess.DEVNULL)
    with open(os.path.join(folder, "config.txt"), "w") as f:
        f.write(f"[data]\nfile = {terrain}\n[display]\n{SETTINGS}")
    display = private_display(processes)
    viewer = Viewer(args.program, folder, display, tools["libsoak_frame_hook.so"], processes)
    rng = random.Random(args.seed)
    warm_up = min(WARM_UP_SECONDS, args.seconds / 5)
    judged = args.seconds >= 2 * WARM_UP_SECONDS
    samples, missed, counts, problems = [], 0, dict.fromkeys(ACTIONS, 0), []
    start = time.monotonic()
    try:
        viewer.wait_for_window()
        start = time.monotonic()
        next_sample = start
        while time.monotonic() - start < args.seconds:
            if time.monotonic() >= next_sample:
                probed = viewer.probe()
                if probed is None:
                    missed += 1
                else:
                    samples.append((time.monotonic() - start, probed[1], probed[0]))
                next_sample = time.monotonic() + SAMPLE_EVERY_SECONDS
                continue
            action = rng.choices(list(ACTIONS), weights=list(ACTIONS.values()))[0]
            viewer.act(rng, action)
            counts[action] += 1
            time.sleep(rng.uniform(0.15, 0.7))
        probed = viewer.probe()
        if probed is not None:
            samples.append((time.monotonic() - start, probed[1], probed[0]))
        peak_kb = viewer.status_kb("VmHWM")
        status = viewer.quit()
        if status != 0:
            problems.append(f"the viewer quit with status {status}")
    except SoakError as error:
        problems.append(str(error))
        peak_kb = None
    elapsed = time.monotonic() - start
    viewer.out.close()
    viewer.err.close()

    with open(os.path.join(folder, "stderr.txt")) as f:
        errors = f.read().splitlines()
    error_lines = [line for line in errors if line.startswith("error:")]
    warnings = sum(line.startswith("warning:") for line in errors)
    if error_lines:
        problems.append(f"{len(error_lines)} error lines, the first: {error_lines[0]}")
    with open(os.path.join(folder, "samples.tsv"), "w") as f:
        f.write("seconds\tvmrss_kb\tprobe_frame_ms\n")
        for t, kb, frames in samples:
            f.write(f"{t:.1f}\t{kb}\t{' '.join(f'{s * 1000:.2f}' for s in frames)}\n")

    frames = viewer.log.frames
    print(f"soak: {elapsed:.0f} s of random input on a {TERRAIN_SIZE}x{TERRAIN_SIZE} relief terrain, "
          f"seed {args.seed}; " + ", ".join(f"{n} {name}" for name, n in counts.items()))
    if frames:
        t0 = frames[0][0]
        fifths = [[s for end, s, _, _ in frames if int(5 * (end - t0) / max(elapsed, 1e-9)) == k] for k in range(5)]
        print(f"soak: {len(frames)} frames; all frames' medians by fifth of the run: "
              + ", ".join(median_ms(f) for f in fifths))

    after = [(t, kb) for t, kb, _ in samples if t >= warm_up]
    if len(after) >= 2:
        first = statistics.median(kb for _, kb in after[:3])
        last = statistics.median(kb for _, kb in after[-3:])
        growth = last / first - 1
        highest = max(kb for _, kb in after) / first - 1
        print(f"soak: memory: {len(samples)} samples at 800x600 ({missed} probes missed); after the first "
              f"{warm_up:.0f} s from {first / 1024:.1f} MB to {last / 1024:.1f} MB: {growth * 100:+.2f} % "
              f"(limit +{GROWTH_LIMIT * 100:.0f} %; highest sample {highest * 100:+.2f} %)"
              + (f"; peak resident {peak_kb / 1024:.1f} MB" if peak_kb else ""))
        if judged and growth > GROWTH_LIMIT:
            problems.append(f"memory grew by {growth * 100:.2f} %")
    elif judged and not problems:
        problems.append(f"only {len(after)} memory samples after the warm-up")

    def probe_frames(k):
        return [s for t, _, seconds in samples if int(5 * t / max(elapsed, 1e-9)) == k for s in seconds]
    second, last = probe_frames(1), probe_frames(4)
    if second and last:
        ratio = statistics.median(last) / statistics.median(second)
        print(f"soak: probe frames (start view, 800x600): second fifth {median_ms(second)} ({len(second)}), "
              f"last fifth {median_ms(last)} ({len(last)}): {ratio:.2f}x (limit {DRIFT_LIMIT}x)")
        if judged and ratio > DRIFT_LIMIT:
            problems.append(f"frame times drifted upward {ratio:.2f}x")
    elif judged and not problems:
        problems.append("no probe frames in the second or the last fifth")
    print(f"soak: {len(error_lines)} error lines, {warnings} warning lines; samples in "
          f"{os.path.relpath(os.path.join(folder, 'samples.tsv'), ROOT)}")
    if not judged:
        print(f"soak: growth and drift not judged: {args.seconds:.0f} s leaves too little after a "
              f"{WARM_UP_SECONDS} s warm-up")
    for problem in problems:
        print(f"soak: FAILED: {problem}")
    if not problems:
        print("soak: passed")
    return not problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default="build", help="the build folder that holds src/app/pelorin")
    parser.add_argument("--seconds", type=float, default=600)
    parser.add_argument("--seed", type=int, default=None, help="for the random input (default: from the clock)")
    args = parser.parse_args()
    if args.seed is None:
        args.seed = int(time.time())
    build = os.path.abspath(args.build)
    args.program = os.path.join(build, "src", "app", "pelorin")
    if not os.access(args.program, os.X_OK):
        fail_setup(f"no viewer at {args.program}: build it first (make build)")
    for needed in ("Xvfb", "xdotool", "cc", "c++"):
        if not shutil.which(needed):
            fail_setup(f"{needed} is missing (scripts/install-deps installs it)")
    folder = os.path.join(build, "soak")
    os.makedirs(folder, exist_ok=True)
    tools = build_tools(folder)
    processes = []
    try:
        passed = run(args, folder, tools, processes)
    finally:
        # Stopped by their own process ids, the viewer first.
        for process in reversed(processes):
            if process.poll() is None:
                process.kill()
                process.wait()
    sys.exit(0 if passed else 1)


if __name__ == "__main__":
    main()
