#!/usr/bin/env python3
"""Measures Kivora side by side with two reference programs and prints one
markdown table (bench/README.md explains each row).

Run by bench/run.sh, which builds the programs, starts an X display of its
own and sets KIVORA_WINEPREFIX; the end-to-end harness (tests/e2e) starts
Kivora and a Notepad in a Wine desktop, and bench_probe.exe looks at them
from inside that desktop.

Every comparison is made in the same run: the reference programs run at the
same time as Kivora (CPU, memory, accuracy) or in turn with it (start-up,
saves), because absolute times on a shared machine drift.
"""

import argparse
import ctypes
import datetime
import json
import os
import platform
import queue
import random
import re
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent
BUILD = ROOT / "build"
HOST_BUILD = Path(os.environ.get("BENCH_HOST_BUILD", BUILD / "bench"))
WIN_BUILD = Path(os.environ.get("BENCH_WINDOWS_BUILD", BUILD / "bench-windows"))
WORK = BUILD / "bench-work"

# The end-to-end harness reads its settings when it is imported.
os.environ.setdefault("KIVORA_WINEPREFIX", str(BUILD / "wineprefix-bench"))
os.environ.setdefault("KIVORA_E2E_ROOT", str(ROOT))
os.environ.setdefault("KIVORA_E2E_EXE", str(WIN_BUILD / "Kivora.exe"))
os.environ.setdefault("KIVORA_E2E_DRIVER", str(WIN_BUILD / "tests" / "e2e" / "kvdriver.exe"))
os.environ.setdefault("KIVORA_E2E_WORK", str(WORK))
os.environ.setdefault("KIVORA_E2E_ARTIFACTS", str(WORK / "artifacts"))
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import kivora_e2e as e2e  # noqa: E402

PROBE_EXE = WIN_BUILD / "bench" / "bench_probe.exe"
BASELINE_EXE = WIN_BUILD / "bench" / "bench_baseline.exe"
HOOK_EXE = WIN_BUILD / "bench" / "bench_hook_counter.exe"
SAVE_EXE = WIN_BUILD / "bench" / "bench_save.exe"
MAP_EXE = WIN_BUILD / "bench" / "bench_map.exe"
CHART_EXE = WIN_BUILD / "bench" / "bench_chart.exe"
SYNC_EXE = WIN_BUILD / "bench" / "bench_sync.exe"
PASSES_EXE = WIN_BUILD / "bench" / "bench_passes.exe"
# An older Kivora.exe to measure idle beside this one, in turns (optional).
OLD_KIVORA = os.environ.get("BENCH_OLD_KIVORA")
USER = "bench"

# Per class the keys struck in turn: xdotool's name, the virtual key that the
# hook counts, and where Kivora's count is (a data file field, or keys:
# and a line of the keys file).
KEY_CLASSES = {
    "letters": [(c, 0x41 + i, c) for i, c in enumerate("abcdefghijklmnopqrstuvwxyz")],
    "digits": [(c, 0x30 + i, c) for i, c in enumerate("0123456789")],
    "arrows": [("Right", 0x27, "Right"), ("Left", 0x25, "Left"), ("Up", 0x26, "Up"), ("Down", 0x28, "Down")],
    "punctuation": [(name, vk, name) for name, vk in (
        ("semicolon", 0xBA), ("equal", 0xBB), ("comma", 0xBC), ("minus", 0xBD), ("period", 0xBE), ("slash", 0xBF),
        ("grave", 0xC0), ("bracketleft", 0xDB), ("backslash", 0xDC), ("bracketright", 0xDD), ("apostrophe", 0xDE))],
    "space, enter, backspace": [("space", 0x20, "keys:space"), ("Return", 0x0D, "keys:enter"),
                                ("BackSpace", 0x08, "keys:backspace")],
    "digits with Shift": [(c, 0x30 + i, f"keys:shift{c}") for i, c in enumerate("0123456789")],
}
# A key held down through each cell of a class.
HELD_KEY = {"digits with Shift": "shift"}
RATES = [5, 10, 20, 30]          # keys per second
DWELLS = [15, 30, 50, 80]        # ms held down
PANGRAM = "the quick brown fox jumps over the lazy dog "
# The history tab's chart as chart_bench.cpp draws it (width x height).
TAB_CHART = "522x294"
# The Options dialog's box that records the strokes per program.
CMD_OPTIONS = 40015
OPTIONS_TITLE = "オプション"
RECORD_PROGRAMS_BOX = 1030


def log(message):
    print(f"[bench {time.strftime('%H:%M:%S')}] {message}", file=sys.stderr, flush=True)


def raw_clock():
    """The clock that QueryPerformanceCounter counts under Wine (checked by
    clock_check): CLOCK_MONOTONIC_RAW, in seconds."""
    return time.clock_gettime(time.CLOCK_MONOTONIC_RAW)


def percentile(values, fraction):
    ordered = sorted(values)
    if not ordered:
        return float("nan")
    index = min(len(ordered) - 1, max(0, round(fraction * (len(ordered) - 1))))
    return ordered[index]


# ------------------------------------------------------------ native scan

def scan_figures(quick):
    """Google Benchmark over the fake keyboard, and callgrind instruction counts."""
    out = subprocess.run([str(HOST_BUILD / "bench" / "scan_bench"), "--benchmark_format=json",
                          f"--benchmark_repetitions={3 if quick else 5}",
                          "--benchmark_report_aggregates_only=true"],
                         capture_output=True, text=True, check=True).stdout
    results = {}
    for row in json.loads(out)["benchmarks"]:
        if row.get("aggregate_name") == "median":
            name = row["run_name"]
            scale = {"ns": 1, "us": 1e3, "ms": 1e6}[row["time_unit"]]
            results[name] = {"ns": row["real_time"] * scale, "allocs": row.get("allocs/pass", float("nan"))}

    passes = 20000 if quick else 100000
    instructions, questions = {}, {}
    for kind in ("quiet", "idle", "stroke", "space", "pages"):
        counts = []
        for n in (0, passes):
            run = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                                  str(HOST_BUILD / "bench" / "callgrind_pass"), kind, str(n)],
                                 capture_output=True, text=True, check=True)
            counts.append(int(re.search(r"Collected : (\d+)", run.stderr).group(1)))
        instructions[kind] = (counts[1] - counts[0]) / passes
        questions[kind] = float(re.search(r"questions/pass ([0-9.]+)", run.stdout).group(1))
    return {"bench": results, "instructions": instructions, "questions": questions}


def keeper_soak(quick):
    """The keeper's simulation over ten million events and more, from a fresh seed."""
    sequences = 5000 if quick else 50000
    out = subprocess.run([str(HOST_BUILD / "bench" / "keeper_soak"), "fresh", str(sequences), "200"],
                         capture_output=True, text=True, timeout=3600).stdout
    first = re.search(r"first seed (\d+)", out)
    held = re.search(r"(\d+) sequences, (\d+) events, (\d+) saves, (\d+) kills, (\d+) edits by other programs, "
                     r"(\d+) registrations, (\d+) leavings, (\d+) checks of the files in ([\d.]+) s", out)
    failed = re.search(r"^seed (\d+): (.*)$", out, re.MULTILINE)
    if held is None:
        raise RuntimeError(f"the soak failed: seed {failed.group(1)}: {failed.group(2)}" if failed else out[-400:])
    names = ("sequences", "events", "saves", "kills", "edits", "registrations", "leavings", "checks")
    figures = {name: int(held.group(i + 1)) for i, name in enumerate(names)}
    figures.update(first=int(first.group(1)), seconds=float(held.group(9)))
    return figures


# ------------------------------------------------------------ Wine side

def probe_command(*args):
    return ["wine", "explorer", e2e.DESKTOP_ARG, e2e.windows_path(PROBE_EXE), *map(str, args)]


def probe(*args, timeout=120, cwd=None):
    """Runs bench_probe in the desktop and returns its lines (status checked)."""
    result = subprocess.run(probe_command(*args), env=e2e.WINE_ENV, cwd=cwd, stdin=subprocess.DEVNULL,
                            capture_output=True, timeout=timeout)
    lines = result.stdout.decode("utf-8", "replace").splitlines()
    if not lines or lines[-1] != "status code=0":
        raise RuntimeError(f"bench_probe {' '.join(map(str, args))} gave {lines[-3:]!r}")
    return [e2e.Record(line) for line in lines[:-1]]


class StreamingProbe:
    """bench_probe with its lines read as they come, each stamped on arrival."""

    def __init__(self, *args):
        self.process = subprocess.Popen(probe_command(*args), env=e2e.WINE_ENV, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put((e2e.Record(line.decode("utf-8", "replace").strip()), raw_clock()))
        self.lines.put((None, raw_clock()))

    def next(self, timeout):
        return self.lines.get(timeout=timeout)

    def rest(self, timeout):
        """Every line up to the end of the program."""
        records = []
        deadline = time.monotonic() + timeout
        while True:
            record, _ = self.lines.get(timeout=max(0.1, deadline - time.monotonic()))
            if record is None:
                self.process.wait(timeout=10)
                return records
            records.append(record)


def start_in_desktop(exe, cwd, *args):
    """Starts a Windows program in the desktop (explorer returns at once)."""
    subprocess.run(["wine", "explorer", e2e.DESKTOP_ARG, e2e.windows_path(exe), *args], cwd=cwd,
                   env=e2e.WINE_ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True, timeout=30)


def find_pid(exe):
    """The Linux process that runs a Windows program: its command line names
    the .exe first (explorer and the driver name it later)."""
    wanted = e2e.windows_path(exe).lower().encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            argv0 = Path(f"/proc/{entry}/cmdline").read_bytes().split(b"\0")[0]
        except OSError:
            continue
        if argv0.lower() == wanted:
            return int(entry)
    return None


def wineserver_pid():
    """This prefix's Wine server: its working folder is named after the
    prefix's device and inode."""
    info = os.stat(e2e.PREFIX)
    server_dir = f"server-{info.st_dev:x}-{info.st_ino:x}"
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if os.readlink(f"/proc/{entry}/cwd").endswith(server_dir):
                return int(entry)
        except OSError:
            continue
    return None


def cpu_seconds(pid):
    """utime + stime of the process, in clock ticks (10 ms here)."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15 of the whole line.
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def run_seconds(pid):
    """Time on a CPU of all the process's threads, to the nanosecond: the
    ratios of small figures need more than clock ticks."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except (OSError, ValueError, IndexError):
            continue
    return total / 1e9


def memory_kib(pid, field):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    return None


def stroke_timeline(keys, rate, dwell_ms, count):
    """xdotool arguments for count strokes at rate keys/s, each held dwell_ms,
    cycling through keys. Strokes overlap when the dwell is longer than the
    period, as in fast typing (another key goes down before the last is up)."""
    events = []
    for i in range(count):
        key = keys[i % len(keys)]
        down = i / rate
        events.append((down, 1, "keydown", key))
        events.append((down + dwell_ms / 1000, 0, "keyup", key))
    events.sort()
    args, now = [], 0.0
    for at, _, action, key in events:
        if at > now:
            args += ["sleep", f"{at - now:.4f}"]
            now = at
        # Without --delay 0 xdotool waits 12 ms after each key.
        args += [action, "--delay", "0", key]
    return args


def run_xdotool(args):
    started = time.monotonic()
    e2e.xdotool(*args)
    return time.monotonic() - started


class Xdo:
    """xdotool's own library, in process: a key release sent at a known
    moment, without the time it takes to start the xdotool program."""

    def __init__(self):
        self.xdo = ctypes.CDLL("libxdo.so.3")
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xdo.xdo_new.restype = ctypes.c_void_p
        self.handle = ctypes.c_void_p(self.xdo.xdo_new(None))
        if not self.handle:
            raise RuntimeError("libxdo could not open the display")
        # The first member of an xdo_t is its Display.
        self.display = ctypes.c_void_p(ctypes.cast(self.handle, ctypes.POINTER(ctypes.c_void_p))[0])

    def key(self, down, name):
        send = self.xdo.xdo_send_keysequence_window_down if down else self.xdo.xdo_send_keysequence_window_up
        send(self.handle, ctypes.c_ulong(0), name.encode(), ctypes.c_uint(0))
        # Returns once the X server has taken the event.
        self.x11.XSync(self.display, 0)
        return raw_clock()


class Bench:
    def __init__(self, quick):
        self.quick = quick
        self.results = {}
        self.errors = {}
        self.session = None
        self.bin = WORK / "bin"
        self.hook_dir = WORK / "hook"

    # -- set-up

    def copy_programs(self):
        shutil.rmtree(self.bin, ignore_errors=True)
        self.bin.mkdir(parents=True)
        self.hook_dir.mkdir(parents=True, exist_ok=True)
        for exe in (BASELINE_EXE, HOOK_EXE):
            shutil.copy(exe, self.bin / exe.name)
        self.baseline = self.bin / BASELINE_EXE.name
        self.hook = self.bin / HOOK_EXE.name

    def phase(self, name, function):
        log(f"{name} (load average {os.getloadavg()[0]:.2f})")
        started = time.monotonic()
        try:
            function()
        except Exception as error:  # a failed figure is reported in the table, the others go on
            self.errors[name] = f"{type(error).__name__}: {error}"
            log(f"{name} failed: {self.errors[name]}")
        self.results.setdefault("phase_seconds", {})[name] = time.monotonic() - started

    # -- figures

    def clock_check(self):
        """QPC under Wine against the two Linux monotonic clocks: the smallest
        gap between a reading and its arrival here bounds the offset."""
        stream = StreamingProbe("clock", "--samples", 30, "--interval", 20)
        frequency, gaps_raw, gaps_mono = None, [], []
        while True:
            record, arrived = stream.next(timeout=60)
            if record is None:
                break
            mono = time.monotonic()
            if record.kind == "frequency":
                frequency = record.number("value")
            elif record.kind == "qpc":
                at = record.number("value") / frequency
                gaps_raw.append(arrived - at)
                gaps_mono.append(mono - at)
        self.results["clock"] = {"frequency": frequency, "raw_min_ms": min(gaps_raw) * 1000,
                                 "raw_median_ms": statistics.median(gaps_raw) * 1000,
                                 "mono_min_ms": min(gaps_mono) * 1000}
        self.frequency = frequency

    def startup(self):
        runs = 4 if self.quick else 11
        records = probe("startup", "--runs", runs, "--kivora", e2e.windows_path(self.session.app / "Kivora.exe"),
                        "--baseline", e2e.windows_path(self.baseline), timeout=600, cwd=self.session.app)
        times = {"kivora": [], "baseline": []}
        for record in records:
            # The first run of each warms the caches.
            if record.kind == "startup" and record.number("run") > 0:
                times[record["program"]].append(float(record["ms"]))
        self.results["startup"] = {name: statistics.median(values) for name, values in times.items()}
        self.results["startup_runs"] = len(times["kivora"])

    def start_kivora(self):
        self.session.start_kivora()
        self.session.wait_window(title=e2e.LOGIN_TITLE, timeout=30)
        self.session.log_in(USER)
        start_in_desktop(self.baseline, self.bin)
        start_in_desktop(self.hook, self.hook_dir)
        self.pids = {}
        e2e.wait_until(lambda: all(self._pids().values()), 20, "the programs did not start")
        self.pids = self._pids()
        self.server = wineserver_pid()

    def _pids(self):
        return {"kivora": find_pid(self.session.app / "Kivora.exe"), "baseline": find_pid(self.baseline),
                "hook": find_pid(self.hook)}

    def cpu_window(self, work):
        pids = dict(self.pids, wineserver=self.server)
        pids = {name: pid for name, pid in pids.items() if pid}
        before = {name: (cpu_seconds(pid), run_seconds(pid)) for name, pid in pids.items()}
        started = time.monotonic()
        work()
        wall = time.monotonic() - started
        after = {name: (cpu_seconds(pid), run_seconds(pid)) for name, pid in pids.items()}
        return {"wall": wall,
                "stat": {name: after[name][0] - before[name][0] for name in pids},
                "run": {name: after[name][1] - before[name][1] for name in pids}}

    def cpu(self):
        seconds = 20 if self.quick else 60
        self.session.focus_notepad()
        idle = self.cpu_window(lambda: time.sleep(seconds))
        idle["server_share"] = self.server_shares(3 if self.quick else 6)
        text = (PANGRAM * 40)[:seconds * 10]
        keys = ["space" if c == " " else c for c in text]
        timeline = stroke_timeline(keys, 10, 80, len(keys))
        self.session.focus_notepad()
        typing = self.cpu_window(lambda: run_xdotool(timeline))
        typing["strokes"] = len(keys)
        self.results["cpu"] = {"idle": idle, "typing": typing}
        self.memory("hidden")

    def set_programs_option(self, on):
        """The strokes per program recorded or not, through the Options
        dialog as a person does; the window hidden again afterwards."""
        session = self.session
        session.show_main_window()
        session.menu_bar(e2e.MENU_TOOLS, CMD_OPTIONS)
        session.click_control(OPTIONS_TITLE, RECORD_PROGRAMS_BOX)
        session.click_control(OPTIONS_TITLE, e2e.IDOK)
        session.wait_gone(title=OPTIONS_TITLE)
        e2e.drive_ok("post", "--class", "PrtClass", "--msg", 0x0010)   # WM_CLOSE hides it
        settings = (session.app / "set.ini").read_bytes()
        if (b"APPS=1" in settings) != on:
            raise RuntimeError(f"set.ini does not say APPS={int(on)}")
        time.sleep(2)

    def programs_typing(self):
        """Figure 2's typing with the strokes per program recorded, against
        the same typing without, in turns (off, on, on, off) so that a drift
        of the machine weighs on both alike."""
        seconds = 10 if self.quick else 30
        text = (PANGRAM * 40)[:seconds * 10]
        keys = ["space" if c == " " else c for c in text]
        timeline = stroke_timeline(keys, 10, 80, len(keys))
        totals = {name: {"run": 0.0, "wall": 0.0, "strokes": 0} for name in ("off", "on")}
        recording = False
        for on in (False, True, True, False):
            if on != recording:
                self.set_programs_option(on)
                recording = on
            self.session.focus_notepad()
            window = self.cpu_window(lambda: run_xdotool(timeline))
            total = totals["on" if on else "off"]
            total["run"] += window["run"]["kivora"]
            total["wall"] += window["wall"]
            total["strokes"] += len(keys)
        pending = self.session.data / f"{USER}.history.pending"
        self.results["programs_typing"] = totals
        # A minute's save keeps the running day's programs in the pending
        # file (apps.csv is written at a day's end and at leaving): where the
        # strokes went, as a check.
        e2e.wait_until(lambda: pending.exists() and "notepad.exe" in pending.read_text(encoding="utf-8"), 90,
                       "no program in the pending file after typing with the option on")
        self.results["programs_typing"]["file"] = pending.read_text(encoding="utf-8")

    def server_shares(self, rounds, seconds=3):
        """The Wine server's time per second that each poller causes while
        idle: the server's rate with everything running, less its rate while
        that one program is stopped (SIGSTOP, all its threads). Short windows
        in turn, and the median of the rounds, so that a burst elsewhere
        weighs little."""
        def server_rate(stopped=None):
            if stopped:
                os.kill(self.pids[stopped], signal.SIGSTOP)
            try:
                before = run_seconds(self.server)
                time.sleep(seconds)
                return (run_seconds(self.server) - before) / seconds
            finally:
                if stopped:
                    os.kill(self.pids[stopped], signal.SIGCONT)
        shares = {"kivora": [], "baseline": []}
        for _ in range(rounds):
            for name in shares:
                everything = server_rate()
                shares[name].append(everything - server_rate(name))
        return {name: {"median": statistics.median(values), "min": min(values), "max": max(values)}
                for name, values in shares.items()}

    def memory(self, label):
        self.results.setdefault("memory", {})[label] = {
            name: {"hwm": memory_kib(pid, "VmHWM"), "rss": memory_kib(pid, "VmRSS")}
            for name, pid in self.pids.items()}

    def snapshot(self):
        """Kivora's counts (from its saved files: the data file's by key
        name, the keys file's as keys:<column>) and the hook counter's."""
        probe("snapshot", "--save", "PrtClass", "--dump", "KivoraBenchHookCounter")
        kivora = self.session.user_file(USER)
        keys_file = self.session.data / f"{USER}.keys.csv"
        if keys_file.exists():
            for line in keys_file.read_text(encoding="ascii").splitlines()[1:]:
                column, count = line.split(",")
                kivora[f"keys:{column}"] = int(count)
        hook = {}
        for line in (self.hook_dir / "hook_counts.txt").read_text().splitlines():
            vk, count = map(int, line.split())
            hook[vk] = count
        self.dwells = [tuple(map(int, line.split()))
                       for line in (self.hook_dir / "hook_dwells.txt").read_text().splitlines()]
        return kivora, hook

    def accuracy(self):
        strokes = 12 if self.quick else 40
        rates = RATES
        dwells = DWELLS
        self.session.focus_notepad()
        grid = {}
        kivora_before, hook_before = self.snapshot()
        for class_name, keys in KEY_CLASSES.items():
            names = [name for name, _, _ in keys]
            held_key = HELD_KEY.get(class_name)
            for dwell in dwells:
                for rate in rates:
                    timeline = stroke_timeline(names, rate, dwell, strokes)
                    if held_key:
                        timeline = (["keydown", held_key, "sleep", "0.1"] + timeline
                                    + ["sleep", f"{dwell / 1000 + 0.1:.3f}", "keyup", held_key])
                    took = run_xdotool(timeline) - (0.2 + dwell / 1000 if held_key else 0)
                    # Two polls and a little more, for the last release.
                    time.sleep(0.25)
                    kivora_after, hook_after = self.snapshot()
                    counted = sum(kivora_after.get(kept, 0) - kivora_before.get(kept, 0) for _, _, kept in keys)
                    hooked = sum(hook_after.get(vk, 0) - hook_before.get(vk, 0) for _, vk, _ in keys)
                    codes = {vk for _, vk, _ in keys}
                    held = [us / 1000 for vk, us in self.dwells if vk in codes]
                    grid[f"{class_name}/{dwell}/{rate}"] = {
                        "sent": strokes, "kivora": counted, "hook": hooked, "held": held,
                        "rate_done": (strokes - 1) / max(took - dwell / 1000, 1e-6)}
                    kivora_before, hook_before = kivora_after, hook_after
        self.results["accuracy"] = {"strokes": strokes, "grid": grid}

    def latency(self):
        strokes = 40 if self.quick else 220
        session = self.session
        session.show_main_window()
        main = session.main_window()
        _, controls = session.controls(main["title"])
        label = next(c for c in controls.all if c["class"] == "Static" and c["text"] == "k:"
                     and c["visible"] == "1").rect()
        right = next(c for c in controls.all if c["class"] == "Static" and c["text"] == "r:").rect()
        below = next(c for c in controls.all if c["class"] == "Static" and c["text"] == "l:").rect()
        # Slot k's figure lies right of its label, before the next column's
        # label, and above the next row's.
        area = (label.left, label.top - 4, right.left - 2, below.top - 2)
        session.focus_notepad()
        xdo = Xdo()
        watch = StreamingProbe("watch", "--rect", ",".join(map(str, area)), "--vk", 0x4B, "--idle", 4000)
        record, _ = watch.next(timeout=60)
        if record is None or record.kind != "ready":
            raise RuntimeError(f"the watcher did not start: {record!r}")
        ups = []
        for _ in range(strokes):
            down = xdo.key(True, "k")
            time.sleep(0.08)
            up = xdo.key(False, "k")
            ups.append((down, up))
            # A random pause, so that releases fall anywhere in the 20 ms cycle.
            time.sleep(0.15 + random.uniform(0, 0.04))
        records = watch.rest(timeout=60)
        frequency = self.frequency
        paints = [(r.number("qpc") / frequency, r["hash"]) for r in records if r.kind == "paint"]
        hook_ups = [r.number("qpc") / frequency for r in records if r.kind == "up"]
        grabs = next((r for r in records if r.kind == "grabs"), None)
        first, final, delivered, missed = [], [], [], 0
        for index, (_, up) in enumerate(ups):
            end = ups[index + 1][0] if index + 1 < len(ups) else float("inf")
            mine = [(at, digest) for at, digest in paints if up < at < end]
            seen = [at for at in hook_ups if up - 0.005 < at < end]
            if seen:
                delivered.append(seen[0] - up)
            if not mine:
                missed += 1
                continue
            first.append(mine[0][0] - up)
            # The finished picture is the one the band settles on.
            finished = mine[-1][1]
            final.append(next(at for at, digest in mine if digest == finished) - up)
        self.results["latency"] = {
            "strokes": strokes, "missed": missed, "final": final, "first": first, "delivered": delivered,
            "grab_ms": float(grabs["mean_ms"]) if grabs else float("nan")}
        self.memory("shown")
        # Hidden again, as the phases after this one expect it.
        e2e.drive_ok("post", "--class", "PrtClass", "--msg", 0x0010)   # WM_CLOSE hides it
        time.sleep(1)

    def saves(self):
        rounds = 30 if self.quick else 100
        folder = WORK / "saves"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        command = ["wine", "explorer", e2e.DESKTOP_ARG, e2e.windows_path(SAVE_EXE), e2e.windows_path(folder),
                   str(rounds)]
        result = subprocess.run(command, env=e2e.WINE_ENV, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=300)
        times = {"atomic": [], "history": [], "newday": [], "leaving": [], "flushed": [], "plain": [], "export": []}
        written = {kind: [] for kind in times}
        for line in result.stdout.decode().splitlines():
            record = e2e.Record(line.strip())
            if record.kind == "save":
                if record["ok"] != "1":
                    raise RuntimeError(f"a {record['kind']} write failed")
                times[record["kind"]].append(float(record["us"]))
                written[record["kind"]].append(int(record["bytes"]))
        if len(times["atomic"]) != rounds:
            raise RuntimeError(f"bench_save gave {len(times['atomic'])} of {rounds} saves")
        self.results["saves"] = {kind: {"median": statistics.median(v), "p95": percentile(v, 0.95),
                                        "bytes": statistics.median(written[kind])}
                                 for kind, v in times.items()}
        self.results["saves"]["history_bytes"] = (folder / "data" / "tenyears.history.csv").stat().st_size
        self.results["save_rounds"] = rounds

    def map_paint(self):
        rounds = 50 if self.quick else 200
        command = ["wine", "explorer", e2e.DESKTOP_ARG, e2e.windows_path(MAP_EXE), str(rounds)]
        result = subprocess.run(command, env=e2e.WINE_ENV, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=300)
        times = {}
        for line in result.stdout.decode().splitlines():
            record = e2e.Record(line.strip())
            if record.kind == "paint":
                times.setdefault(f"{record['width']}x{record['height']}", []).append(float(record["us"]))
        if len(times) != 2 or any(len(v) != rounds for v in times.values()):
            raise RuntimeError(f"bench_map gave {({k: len(v) for k, v in times.items()})}")
        self.results["map_paint"] = {size: {"median": statistics.median(v), "p95": percentile(v, 0.95)}
                                     for size, v in times.items()}
        self.results["map_paint_rounds"] = rounds

    def chart_paint(self):
        rounds = 50 if self.quick else 200
        folder = WORK / "chart"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        command = ["wine", "explorer", e2e.DESKTOP_ARG, e2e.windows_path(CHART_EXE), str(rounds),
                   e2e.windows_path(folder)]
        result = subprocess.run(command, env=e2e.WINE_ENV, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=600)
        times = {}
        for line in result.stdout.decode().splitlines():
            record = e2e.Record(line.strip())
            if record.kind in ("chart", "layout", "refresh", "png", "command"):
                if record.kind in ("png", "command") and record["ok"] != "1":
                    raise RuntimeError(f"bench_chart could not write its picture ({record.kind})")
                size = f" {record['width']}x{record['height']}" if record.kind != "command" else ""
                key = f"{record.kind} {record['span']}{size}"
                times.setdefault(key, []).append(float(record["us"]))
        if len(times) != 12:
            raise RuntimeError(f"bench_chart gave {({k: len(v) for k, v in times.items()})}")
        self.results["chart_paint"] = {key: {"median": statistics.median(v), "p95": percentile(v, 0.95)}
                                       for key, v in times.items()}
        self.results["chart_paint_rounds"] = rounds

    def sync_read(self):
        """bench_sync.exe: nine other PCs of ten years each in a shared folder,
        read as the worker does (first, unchanged, after one PC's minute, after
        one PC's history was written again), the worker's job after a save,
        the history tab's refresh with ten PCs and with this one alone, and the
        other PCs' shortcuts of all days added up for the tab's list."""
        rounds = 10 if self.quick else 50
        folder = WORK / "sync"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        command = ["wine", "explorer", e2e.DESKTOP_ARG, e2e.windows_path(SYNC_EXE), str(rounds),
                   e2e.windows_path(folder)]
        result = subprocess.run(command, env=e2e.WINE_ENV, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=900)
        times, memory = {}, None
        for line in result.stdout.decode().splitlines():
            record = e2e.Record(line.strip())
            if record.kind in ("read", "worker"):
                times.setdefault(f"{record.kind} {record['what']}", []).append(float(record["us"]))
            elif record.kind == "tab":
                times.setdefault(f"tab {record['pcs']} {record['span']}", []).append(float(record["us"]))
            elif record.kind == "list":
                times.setdefault(f"list {record['what']}", []).append(float(record["us"]))
            elif record.kind == "memory":
                memory = float(record["kib"])
        if len(times) != 11 or memory is None:
            raise RuntimeError(f"bench_sync gave {({k: len(v) for k, v in times.items()})}")
        self.results["sync"] = {key: {"median": statistics.median(v), "p95": percentile(v, 0.95)}
                                for key, v in times.items()}
        self.results["sync_memory_kib"] = memory
        self.results["sync_rounds"] = rounds

    def installer(self):
        """The release as tools/package.sh writes it from this tree's
        Kivora.exe, and the silent install and uninstall of its installer,
        beside the start of a program that does nothing (wine's cmd /c exit):
        most of an install's time under Wine is Wine's."""
        rounds = 3 if self.quick else 5
        dist = WORK / "dist"
        shutil.rmtree(dist, ignore_errors=True)
        began = time.monotonic()
        subprocess.run([str(ROOT / "tools" / "package.sh"), "--exe", str(WIN_BUILD / "Kivora.exe"),
                        "--out", str(dist)], check=True, stdout=subprocess.DEVNULL, timeout=300)
        package = time.monotonic() - began
        setup = next(dist.glob("Kivora-*-setup.exe"))
        folder = e2e.user_profile() / "AppData" / "Local" / "Programs" / "Kivora"

        def timed_wine(*command):
            began = time.monotonic()
            code = subprocess.run(["wine", *map(str, command)], env=e2e.WINE_ENV, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120).returncode
            return code, time.monotonic() - began

        times = {"install": [], "uninstall": [], "nothing": []}
        installed = 0
        for _ in range(rounds):
            shutil.rmtree(folder, ignore_errors=True)
            times["nothing"].append(timed_wine("cmd", "/c", "exit")[1])
            code, seconds = timed_wine(setup, "/S")
            if code != 0 or not (folder / "Kivora.exe").exists():
                raise RuntimeError(f"the silent install ended with {code}")
            times["install"].append(seconds)
            installed = sum(p.stat().st_size for p in folder.rglob("*") if p.is_file())
            # The uninstaller hands over to a copy of itself and returns: it
            # is done when the program is gone.
            began = time.monotonic()
            timed_wine(folder / "uninstall.exe", "/S")
            e2e.wait_until(lambda: not (folder / "Kivora.exe").exists(), 60, "the uninstall left Kivora.exe")
            times["uninstall"].append(time.monotonic() - began)
        self.results["installer"] = {
            "package_s": package, "setup_bytes": setup.stat().st_size,
            "zip_bytes": next(dist.glob("Kivora-*-win64.zip")).stat().st_size, "installed_bytes": installed,
            "rounds": rounds, **{kind: statistics.median(v) for kind, v in times.items()}}

    def passes(self):
        """bench_passes.exe: the passes a second that the polling thread's
        pacer makes (as it waits, and on the high-resolution timer), beside a
        plain Sleep(20) after each pass."""
        seconds = 3 if self.quick else 8
        command = ["wine", "explorer", e2e.DESKTOP_ARG, e2e.windows_path(PASSES_EXE), str(seconds)]
        result = subprocess.run(command, env=e2e.WINE_ENV, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=120)
        ways = {}
        for line in result.stdout.decode().splitlines():
            record = e2e.Record(line.strip())
            if record.kind == "passes":
                ways[record["how"]] = {"wait": record["wait"], "per_second": float(record["per_second"]),
                                       "longest_ms": float(record["longest_ms"]), "tick_us": int(record["tick_us"])}
        if set(ways) != {"kivora", "timer", "sleep"}:
            raise RuntimeError(f"bench_passes gave {sorted(ways)}")
        self.results["passes"] = ways
        calls = {r["name"]: float(r["ns"]) for r in probe("calls") if r.kind == "call"}
        self.results["calls"] = calls

    def old_build(self):
        """Idle CPU of an older Kivora.exe (BENCH_OLD_KIVORA) and of this one,
        in turns (old, this, old, this), each logged in with its window
        hidden, the baseline running all along: Kivora is one copy at a time."""
        seconds = 15 if self.quick else 40
        e2e.KIVORA_EXE, current = Path(OLD_KIVORA), e2e.KIVORA_EXE
        try:
            old = e2e.Session("bench-old")
        finally:
            e2e.KIVORA_EXE = current
        old.seed_user(USER, {})
        sessions = {"old": old, "this": self.session}
        e2e.drive_ok("end", "--class", "PrtClass")
        e2e.wait_until(lambda: find_pid(self.session.app / "Kivora.exe") is None, 20, "Kivora did not end")
        totals = {name: {"kivora": 0.0, "baseline": 0.0, "wall": 0.0} for name in sessions}
        # The desktop and everything in it are the main session's to close.
        for name in ("old", "this", "old", "this"):
            session = sessions[name]
            session.start_kivora()
            session.wait_window(title=e2e.LOGIN_TITLE, timeout=30)
            session.log_in(USER)
            self.session.focus_notepad()
            time.sleep(3)
            pid, baseline = find_pid(session.app / "Kivora.exe"), self.pids["baseline"]
            before = (run_seconds(pid), run_seconds(baseline), time.monotonic())
            time.sleep(seconds)
            after = (run_seconds(pid), run_seconds(baseline), time.monotonic())
            for key, index in (("kivora", 0), ("baseline", 1), ("wall", 2)):
                totals[name][key] += after[index] - before[index]
            e2e.drive_ok("end", "--class", "PrtClass")
            e2e.wait_until(lambda: find_pid(session.app / "Kivora.exe") is None, 20, "Kivora did not end")
        self.results["old_build"] = {"exe": OLD_KIVORA, **totals}

    def habits_typing(self):
        """Figure 2's typing, a Ctrl+Left among every 25 strokes, with the
        shortcuts and the minutes and hours counted, against the same build
        counting as before them (KIVORA_BENCH_PLAIN=1), in turns (on, plain,
        plain, on), Kivora started again for each, its window hidden. A
        turn of a minute holds one minute's save, as every other turn does."""
        seconds = 20 if self.quick else 60
        text = (PANGRAM * 40)[:seconds * 10]
        keys = ["ctrl+Left" if i % 25 == 24 else ("space" if c == " " else c) for i, c in enumerate(text)]
        timeline = stroke_timeline(keys, 10, 80, len(keys))
        totals = {name: {"run": 0.0, "wall": 0.0, "strokes": 0} for name in ("on", "plain")}
        session = self.session
        for name in ("on", "plain", "plain", "on"):
            e2e.drive_ok("end", "--class", "PrtClass")
            e2e.wait_until(lambda: find_pid(session.app / "Kivora.exe") is None, 20, "Kivora did not end")
            if name == "plain":
                e2e.WINE_ENV["KIVORA_BENCH_PLAIN"] = "1"
            try:
                session.start_kivora()
                session.wait_window(title=e2e.LOGIN_TITLE, timeout=30)
                session.log_in(USER)
            finally:
                e2e.WINE_ENV.pop("KIVORA_BENCH_PLAIN", None)
            session.focus_notepad()
            time.sleep(3)
            pid = find_pid(session.app / "Kivora.exe")
            before, started = run_seconds(pid), time.monotonic()
            run_xdotool(timeline)
            totals[name]["run"] += run_seconds(pid) - before
            totals[name]["wall"] += time.monotonic() - started
            totals[name]["strokes"] += len(keys)
        self.results["habits_typing"] = totals
        # The last turn's shortcuts wait in the pending file from the next
        # minute's save on: as a check.
        pending = session.data / f"{USER}.history.pending"
        e2e.wait_until(lambda: pending.exists() and "Ctrl+Left" in pending.read_text(encoding="utf-8"), 70,
                       "no shortcut in the pending file")
        self.results["habits_typing"]["file"] = pending.read_text(encoding="utf-8")

    def tab_typing(self):
        """Kivora's CPU while typing with its window shown, the lowercase tab
        against the keyboard tab and the history tab, with the uppercase tab
        (a count page like the lowercase one, whose figures do not move while
        lowercase letters are typed) beside them, in turns so that all share
        the drift."""
        seconds = 10 if self.quick else 20
        session = self.session
        session.show_main_window()
        tabs = [r for r in e2e.drive_ok("tabs") if r.kind == "tab"]
        text = (PANGRAM * 40)[:seconds * 10]
        keys = ["space" if c == " " else c for c in text]
        timeline = stroke_timeline(keys, 10, 80, len(keys))
        names = {0: "lowercase", 1: "uppercase", 3: "keyboard", 4: "history"}
        totals = {name: {"run": 0.0, "wall": 0.0} for name in names.values()}
        # There and back, twice: a steady drift of the machine's speed weighs
        # on all alike.
        turns = [[(index, names[index]) for index in (0, 1, 3, 4, 4, 3, 1, 0)]] * 2
        for turn in turns:
            for index, name in turn:
                session.click(*tabs[index].rect().center())
                time.sleep(1)
                session.focus_notepad()
                window = self.cpu_window(lambda: run_xdotool(timeline))
                totals[name]["run"] += window["run"]["kivora"]
                totals[name]["wall"] += window["wall"]
        totals["strokes"] = sum(len(turn) for turn in turns) * len(keys)
        totals["tabs"] = len(names)
        self.results["tab_typing"] = totals

    # -- the whole run

    def run(self):
        self.results["load"] = {"start": os.getloadavg()}
        self.phase("scan pass (native)", lambda: self.results.update(scan=scan_figures(self.quick)))
        self.phase("keeper soak (native)", lambda: self.results.update(soak=keeper_soak(self.quick)))
        self.copy_programs()
        e2e.prepare_prefix()
        self.session = e2e.Session("bench")
        self.session.seed_user(USER, {})
        try:
            # The harness makes the desktop with Kivora; the start-up figure
            # needs it gone again (one copy at a time).
            self.session.start()
            e2e.drive_ok("end", "--class", "PrtClass")
            self.phase("clock check", self.clock_check)
            self.phase("start-up", self.startup)
            self.phase("saves", self.saves)
            self.phase("key map paint", self.map_paint)
            self.phase("daily chart paint", self.chart_paint)
            self.phase("shared folder", self.sync_read)
            self.phase("installer", self.installer)
            self.phase("passes per second", self.passes)
            self.phase("start Kivora and the reference programs", self.start_kivora)
            if "start Kivora and the reference programs" not in self.errors:
                self.phase("CPU idle and typing", self.cpu)
                # Before any dialog: the memory after the window was shown is
                # the window's, not also the Options dialog's.
                self.phase("latency", self.latency)
                self.phase("typing with the strokes per program recorded", self.programs_typing)
                self.phase("accuracy grid", self.accuracy)
                self.phase("typing with a tab shown", self.tab_typing)
                self.phase("memory at the end", lambda: self.memory("end"))
                self.phase("typing with the shortcuts and hours counted", self.habits_typing)
                if OLD_KIVORA:
                    self.phase("the old build", self.old_build)
        finally:
            try:
                self.session.close()
            except Exception as error:
                log(f"closing the session: {error}")
            e2e.stop_prefix()
        self.results["load"]["end"] = os.getloadavg()
        self.results["exe"] = {"kivora": (WIN_BUILD / "Kivora.exe").stat().st_size,
                               "baseline": BASELINE_EXE.stat().st_size,
                               "kivora_stripped": stripped_size(WIN_BUILD / "Kivora.exe"),
                               "baseline_stripped": stripped_size(BASELINE_EXE)}
        self.phase("size by origin",
                   lambda: self.results.update(origin=exe_bytes_by_origin(WIN_BUILD / "Kivora.map")))


def stripped_size(exe):
    target = WORK / "stripped.exe"
    try:
        subprocess.run(["x86_64-w64-mingw32-strip", "-o", str(target), str(exe)], check=True,
                       capture_output=True)
        return target.stat().st_size
    except (OSError, subprocess.CalledProcessError):
        return float("nan")


# ------------------------------------------------------------ where the exe's bytes come from

# The run-time libraries by the archive or object that the link map names.
RUNTIME_GROUPS = {
    "libstdc++.a": "libstdc++", "libgcc.a": "libgcc", "libgcc_eh.a": "libgcc",
    "libpthread.a": "winpthreads", "libwinpthread.a": "winpthreads",
    "libmingwex.a": "MinGW-w64 C run-time", "libmingw32.a": "MinGW-w64 C run-time",
    "libmsvcrt.a": "MinGW-w64 C run-time", "crt2.o": "MinGW-w64 C run-time", "crtbegin.o": "MinGW-w64 C run-time",
    "crtend.o": "MinGW-w64 C run-time",
}
# Sections that take no bytes in the file, or none in a stripped one.
UNSTORED_SECTIONS = (".bss", ".debug", ".stab", ".comment")
MAP_INPUT = re.compile(r"^ (\.[^\s]+)\s*\n?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", re.MULTILINE)


def origin_of(source):
    """("folder" or "runtime", name) of an input file as the map names it."""
    folder = re.search(r"libkivora_(\w+?)(?:_core)?\.a\(", source)
    if folder:
        return "folder", folder.group(1)
    own = re.search(r"Kivora\.dir/(\w+)/", source)
    if own:
        return "folder", own.group(1)
    name = re.sub(r"\(.*\)$", "", source).rsplit("/", 1)[-1]
    if name in RUNTIME_GROUPS:
        return "runtime", RUNTIME_GROUPS[name]
    # Import libraries of Windows DLLs (and the table the linker makes of
    # them, "dll stuff"), and the GUIDs of libuuid.
    return "runtime", "Windows imports and GUIDs"


def exe_bytes_by_origin(map_file):
    """What each folder's objects and each run-time library put into
    Kivora.exe, from the link map that the build writes beside it: the sizes
    of the input sections the link kept, of every section the file stores
    (code, read-only and initialised data, unwind tables, imports,
    resources). Stripping takes away symbols only, none of these; what the
    sums leave of the stripped file is headers and alignment."""
    text = Path(map_file).read_text(errors="replace")
    text = text[text.index("Linker script and memory map"):]
    origins = {"folder": {}, "runtime": {}}
    for section, address, size, source in MAP_INPUT.findall(text):
        if int(address, 16) == 0 or int(size, 16) == 0 or section.startswith(UNSTORED_SECTIONS):
            continue   # discarded, empty, or not stored in the file
        kind, name = origin_of(source.strip())
        origins[kind][name] = origins[kind].get(name, 0) + int(size, 16)
    return origins


def origin_cells(sizes):
    """"chart 84.7 · history 35.6 · ..." in KiB, largest first, and the sum."""
    ordered = sorted(sizes.items(), key=lambda item: -item[1])
    return " · ".join(f"{name} {size / 1024:.1f}" for name, size in ordered), sum(sizes.values())


# ------------------------------------------------------------ the table

def machine():
    cpu = next((line.split(":", 1)[1].strip() for line in Path("/proc/cpuinfo").read_text().splitlines()
                if line.startswith("model name")), platform.processor())
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    return f"{cpu}, {os.cpu_count()} cores, Linux {platform.release()}, {wine}"


def ratio(a, b):
    return f"{a / b:.2f} ×" if b else "n/a (reference 0)"


def kib(value):
    return f"{value / 1024:.1f} MiB" if value else "n/a"


class Table:
    def __init__(self):
        self.rows = []

    def add(self, figure, measure, kivora, reference="", ratio_text=""):
        self.rows.append((figure, measure, kivora, reference, ratio_text))

    def failed(self, figure, measure, error):
        self.add(figure, measure, f"not measured ({error})")

    def text(self):
        lines = ["| Figure | Measure | Kivora | Reference, same run | Ratio |", "|---|---|---|---|---|"]
        for row in self.rows:
            lines.append("| " + " | ".join(cell.replace("|", "\\|") for cell in row) + " |")
        return "\n".join(lines)


def accuracy_summary(grid, class_name):
    """The shortest dwell from which every stroke is counted at every rate
    tried, and per shorter dwell the fastest rate up to which it still is."""
    fastest = {}
    for dwell in DWELLS:
        best = None
        for rate in RATES:
            cell = grid[f"{class_name}/{dwell}/{rate}"]
            if cell["kivora"] != cell["sent"]:
                break
            best = rate
        fastest[dwell] = best
    shortest = None
    for dwell in reversed(DWELLS):
        if fastest[dwell] != RATES[-1]:
            break
        shortest = dwell
    if shortest is None:
        head = f"some strokes missed at every dwell, even at {RATES[-1]} keys/s or less"
    else:
        head = f"every stroke at up to {RATES[-1]} keys/s (the fastest tried) from a dwell of {shortest} ms"
        if shortest == DWELLS[0]:
            head += " (the shortest tried)"
    shorter = [d for d in DWELLS if shortest is None or d < shortest]
    if shorter:
        head += "; below: " + ", ".join(
            f"{d} ms " + (f"up to {fastest[d]} keys/s" if fastest[d] else f"misses already at {RATES[0]} keys/s")
            for d in shorter)
    return head


def build_table(bench, started, finished):
    r, errors = bench.results, bench.errors
    t = Table()
    load = r["load"]
    t.add("Run", "Machine", machine())
    t.add("Run", "Date, duration, load",
          f"{started:%Y-%m-%d %H:%M} UTC; {(finished - started).total_seconds() / 60:.1f} min in all, builds included; "
          f"load average (1 min) {load['start'][0]:.2f} at start, {load['end'][0]:.2f} at end")

    # 1. scan pass
    if "scan" in r:
        scan = r["scan"]
        bench_rows = scan["bench"]
        idle, pages = bench_rows["IdlePass"], bench_rows["PagesIdlePass"]
        stroke, space = bench_rows["StrokePass/K"], bench_rows["StrokePass/Space"]
        ins, asked = scan["instructions"], scan.get("questions", {})
        if "QuietPass" in bench_rows and "quiet" in asked:
            quiet = bench_rows["QuietPass"]
            t.add("1 Scan pass", "questions asked of Windows per pass: a quiet pass (no input for minutes) / "
                  "a scan after input", f"{asked['quiet']:.2f} / {asked['idle']:.0f}",
                  f"the Parts' pass (the count pages' scans) {asked['pages']:.0f}",
                  f"{asked['quiet'] / asked['pages']:.3f} × quiet")
            t.add("1 Scan pass", "a quiet pass: ns; instructions (callgrind)", f"{quiet['ns']:.1f} ns; "
                  f"{ins['quiet']:.0f} instructions", f"a scan of every key {idle['ns']:.1f} ns; {ins['idle']:.0f}",
                  ratio(ins["quiet"], ins["idle"]))
        t.add("1 Scan pass", f"ns per pass, a scan of every key, none down ({asked.get('idle', 115):.0f} questions)",
              f"{idle['ns']:.1f} ns",
              f"the count pages' scans alone ({asked.get('pages', 53):.0f} questions) {pages['ns']:.1f} ns",
              ratio(idle["ns"], pages["ns"]))
        for label, row in (("k, a key of the count pages", stroke), ("Space, another key", space)):
            t.add("1 Scan pass", f"ns per pass, a stroke of {label} every other pass (arm, then count)",
                  f"{row['ns']:.1f} ns", f"idle pass {idle['ns']:.1f} ns", ratio(row["ns"], idle["ns"]))
        t.add("1 Scan pass", "heap allocations per pass, quiet / scan / stroke of k / stroke of Space",
              f"{bench_rows.get('QuietPass', {}).get('allocs', float('nan')):g} / {idle['allocs']:g} / "
              f"{stroke['allocs']:g} / {space['allocs']:g}")
        t.add("1 Scan pass", "instructions per pass (callgrind), a scan of every key", f"{ins['idle']:.0f}",
              f"the count pages' scans alone {ins['pages']:.0f}", ratio(ins["idle"], ins["pages"]))
        for label, kind in (("k", "stroke"), ("Space", "space")):
            t.add("1 Scan pass", f"instructions per pass (callgrind), a stroke of {label} every other pass",
                  f"{ins[kind]:.0f}", f"idle pass {ins['idle']:.0f}", ratio(ins[kind], ins["idle"]))
        t.add("1 Scan pass", "extra for one counted stroke (twice the difference): k / Space",
              f"{2 * (stroke['ns'] - idle['ns']):.0f} ns, {2 * (ins['stroke'] - ins['idle']):.0f} instructions / "
              f"{2 * (space['ns'] - idle['ns']):.0f} ns, {2 * (ins['space'] - ins['idle']):.0f} instructions")
    else:
        t.failed("1 Scan pass", "all", errors.get("scan pass (native)"))

    # 2. CPU
    if "cpu" in r:
        for label, key in (("idle", "idle"), ("typing at 10 keys/s", "typing")):
            c = r["cpu"][key]
            stat, run = c["stat"], c["run"]
            t.add("2 CPU", f"CPU seconds over {c['wall']:.0f} s {label}, logged in, window hidden: "
                           "utime+stime (time on CPU)",
                  f"{stat['kivora']:.2f} s ({run['kivora']:.3f} s; {100 * run['kivora'] / c['wall']:.2f} % of a core)",
                  f"baseline {stat['baseline']:.2f} s ({run['baseline']:.3f} s); "
                  f"hook counter {stat['hook']:.2f} s ({run['hook']:.3f} s)",
                  f"{ratio(run['kivora'], run['baseline'])} baseline; {ratio(run['kivora'], run['hook'])} hook")
            if "wineserver" in run:
                t.add("2 CPU", f"Wine server, same {c['wall']:.0f} s {label} (serves all three programs)",
                      f"{stat['wineserver']:.2f} s ({run['wineserver']:.3f} s)")
            if "server_share" in c:
                share = c["server_share"]

                def shown(name):
                    spread = share[name]
                    return (f"{1000 * spread['median']:.2f} ms/s (rounds {1000 * spread['min']:.2f} to "
                            f"{1000 * spread['max']:.2f})")
                own_and_server = ratio(run["kivora"] / c["wall"] + share["kivora"]["median"],
                                       run["baseline"] / c["wall"] + share["baseline"]["median"])
                t.add("2 CPU", "Wine server time caused while idle, per second (server with the program "
                               "running less server with it stopped), median of rounds",
                      shown("kivora"), f"baseline {shown('baseline')}",
                      # The baseline's share is next to nothing (a plain sleep
                      # never asks the server): compare own time and share.
                      f"own + server: {own_and_server} baseline")
            if key == "idle":
                extra = (run["kivora"] - run["baseline"]) / (50 * c["wall"])
                native = r["scan"]["bench"].get("QuietPass", r["scan"]["bench"]["IdlePass"]) if "scan" in r else None
                t.add("2 CPU", "Kivora's extra over the baseline, per 20 ms pass, under Wine (about)",
                      f"{1e6 * extra:.1f} µs", f"native quiet pass {native['ns'] / 1000:.3f} µs" if native else "",
                      ratio(extra * 1e9, native["ns"]) if native else "")
    else:
        t.failed("2 CPU", "idle and typing", errors.get("CPU idle and typing", errors.get(
            "start Kivora and the reference programs")))
    if "programs_typing" in r:
        on, off = r["programs_typing"]["on"], r["programs_typing"]["off"]
        t.add("2 CPU", f"Kivora's time on a CPU typing at 10 keys/s with the strokes per program recorded "
                       f"({on['strokes']} strokes, turns off, on, on, off, {on['wall']:.0f} s each way)",
              f"{on['run']:.3f} s", f"not recorded {off['run']:.3f} s", ratio(on["run"], off["run"]))
    else:
        t.failed("2 CPU", "typing with the strokes per program recorded",
                 errors.get("typing with the strokes per program recorded", "not run"))

    if "habits_typing" in r:
        on, plain = r["habits_typing"]["on"], r["habits_typing"]["plain"]
        counted = "Ctrl+Left" in r["habits_typing"].get("file", "")
        t.add("2 CPU", f"Kivora's time on a CPU typing at 10 keys/s, a Ctrl+Left in every 25 strokes, with the "
                       f"shortcuts and the minutes and hours counted ({on['strokes']} strokes, turns on, plain, "
                       f"plain, on, {on['wall']:.0f} s each way; the shortcuts "
                       f"{'found' if counted else 'NOT found'} in the pending file)",
              f"{on['run']:.3f} s", f"the same build counting as before them {plain['run']:.3f} s",
              ratio(on["run"], plain["run"]))
    else:
        t.failed("2 CPU", "typing with the shortcuts and hours counted",
                 errors.get("typing with the shortcuts and hours counted", "not run"))

    if "passes" in r:
        ways = r["passes"]
        k, timer, sleep = ways["kivora"], ways["timer"], ways["sleep"]
        t.add("2 CPU", "passes a second that the polling thread's pacer makes under Wine (the longest gap)",
              f"{k['per_second']:.2f} ({k['longest_ms']:.1f} ms), waiting by "
              f"{'a high-resolution timer' if k['wait'] == 'Timed' else 'Sleep'}: the clock ticks every "
              f"{k['tick_us'] / 1000:g} ms",
              f"on the high-resolution timer (ticks of 15.6 ms, as on Windows) {timer['per_second']:.2f} "
              f"({timer['longest_ms']:.1f} ms); Sleep(20) after each pass {sleep['per_second']:.2f} "
              f"({sleep['longest_ms']:.1f} ms)", f"{k['per_second'] / 50:.3f} × 50")
    else:
        t.failed("2 CPU", "passes per second", errors.get("passes per second", "not run"))
    if "calls" in r:
        c = r["calls"]
        t.add("2 CPU", "one question of a pass under Wine, asked in a loop (median of 7 batches of 20,000)",
              f"GetLastInputInfo {c['GetLastInputInfo'] / 1000:.2f} µs",
              f"GetKeyState {c['GetKeyState'] / 1000:.2f} µs; GetAsyncKeyState of a key up "
              f"{c['GetAsyncKeyState']:.0f} ns (the thread's copy of the key table)",
              ratio(c["GetLastInputInfo"], c["GetAsyncKeyState"]) + " GetAsyncKeyState")
    if "old_build" in r:
        o = r["old_build"]
        old, this = o["old"], o["this"]
        t.add("2 CPU", f"idle CPU, in turns with an older build ({Path(o['exe']).name}; old, this, old, this; "
              f"{old['wall']:.0f} s each), time on a CPU against the baseline's in the same windows",
              f"this build {this['kivora']:.3f} s ({ratio(this['kivora'], this['baseline'])} baseline)",
              f"the old build {old['kivora']:.3f} s ({ratio(old['kivora'], old['baseline'])} baseline)",
              ratio(this["kivora"], old["kivora"]))

    # 3. memory and size
    mem = r.get("memory", {})
    for label, key in (("logged in, window never shown", "hidden"), ("after the window was shown", "shown"),
                       ("at the end of the run: the Options dialog opened twice, every tab shown", "end")):
        if key in mem:
            m = mem[key]
            t.add("3 Memory", f"peak resident (VmHWM) under Wine, {label}", kib(m["kivora"]["hwm"]),
                  f"baseline {kib(m['baseline']['hwm'])}; hook counter {kib(m['hook']['hwm'])}",
                  ratio(m["kivora"]["hwm"], m["baseline"]["hwm"]))
    if not mem:
        t.failed("3 Memory", "VmHWM", errors.get("CPU idle and typing", "no session"))
    exe = r["exe"]
    t.add("3 Size", "Kivora.exe, static (no DLLs beside it): as built (stripped)",
          f"{exe['kivora'] / 1024:.0f} KiB ({exe['kivora_stripped'] / 1024:.0f} KiB)",
          f"baseline exe {exe['baseline'] / 1024:.0f} KiB ({exe['baseline_stripped'] / 1024:.0f} KiB)",
          f"{ratio(exe['kivora_stripped'], exe['baseline_stripped'])} stripped")
    if "origin" in r:
        folders, folder_sum = origin_cells(r["origin"]["folder"])
        runtime, runtime_sum = origin_cells(r["origin"]["runtime"])
        rest = exe["kivora_stripped"] - folder_sum - runtime_sum
        t.add("3 Size", "Kivora.exe stripped, by origin: each folder's code and data, KiB (res: the resources)",
              folders, f"{folder_sum / 1024:.0f} KiB of {exe['kivora_stripped'] / 1024:.0f} KiB")
        t.add("3 Size", "Kivora.exe stripped, by origin: the run-time libraries, KiB", runtime,
              f"{runtime_sum / 1024:.0f} KiB; headers and alignment {rest / 1024:.0f} KiB")
    else:
        t.failed("3 Size", "by origin", errors.get("size by origin", "no link map"))

    # 4. accuracy
    if "accuracy" in r:
        acc = r["accuracy"]
        grid = acc["grid"]
        rates = "/".join(map(str, RATES))
        for class_name in KEY_CLASSES:
            for dwell in DWELLS:
                cells = [grid[f"{class_name}/{dwell}/{rate}"] for rate in RATES]
                kivora = " · ".join(f"{c['kivora']}" for c in cells)
                hook = " · ".join(f"{c['hook']}" for c in cells)
                total_k = sum(c["kivora"] for c in cells)
                total_h = sum(c["hook"] for c in cells)
                t.add("4 Accuracy", f"{class_name}, dwell {dwell} ms: counted of {acc['strokes']} at {rates} keys/s",
                      kivora, f"hook counter {hook}", ratio(total_k, total_h))
            t.add("4 Accuracy", f"{class_name}: where Kivora counts every stroke", accuracy_summary(grid, class_name))
        slowest = min(c["rate_done"] / float(k.split("/")[2]) for k, c in grid.items())
        t.add("4 Accuracy", "rate achieved by xdotool, worst cell", f"{100 * slowest:.0f} % of the rate asked")
        held = []
        for dwell in DWELLS:
            values = [v for k, c in grid.items() if int(k.split("/")[1]) == dwell for v in c["held"]]
            if values:
                held.append(f"{dwell} ms: {statistics.median(values):.1f} ({min(values):.1f} to {max(values):.1f})")
        t.add("4 Accuracy", "dwell as the hook saw it in Wine, median (range)", "; ".join(held))
    else:
        t.failed("4 Accuracy", "grid", errors.get("accuracy grid", "no session"))

    # 5. latency
    if "latency" in r:
        lat = r["latency"]
        final = [v * 1000 for v in lat["final"]]
        first = [v * 1000 for v in lat["first"]]
        delivered = [v * 1000 for v in lat["delivered"]]
        t.add("5 Latency", f"key release → new count on screen, {len(final)} strokes "
                           f"({lat['missed']} without a repaint seen)",
              f"median {statistics.median(final):.1f} ms, 95th percentile {percentile(final, 0.95):.1f} ms")
        t.add("5 Latency", "key release → first pixels of the repaint",
              f"median {statistics.median(first):.1f} ms, 95th percentile {percentile(first, 0.95):.1f} ms")
        if delivered:
            t.add("5 Latency", "key release → release seen by a hook in Wine (X to Wine)",
                  f"median {statistics.median(delivered):.2f} ms; screen sampled every "
                  f"{lat['grab_ms'] + 1:.1f} ms or so")
    else:
        t.failed("5 Latency", "release to paint", errors.get("latency", "no session"))
    if "clock" in r:
        c = r["clock"]
        t.add("5 Latency", "clock check: a QPC reading's arrival here less the reading, least (median) of 30",
              f"on CLOCK_MONOTONIC_RAW {c['raw_min_ms']:.2f} ms ({c['raw_median_ms']:.2f} ms); "
              f"on CLOCK_MONOTONIC {c['mono_min_ms']:.1f} ms; QPC frequency {c['frequency']} Hz")

    # 6. start-up and saves
    if "startup" in r:
        s = r["startup"]
        t.add("6 Start-up", f"launch → first window shown (median of {r['startup_runs']}, in turn)",
              f"{s['kivora']:.0f} ms (login dialog)", f"baseline {s['baseline']:.0f} ms (its window)",
              ratio(s["kivora"], s["baseline"]))
    else:
        t.failed("6 Start-up", "launch to login dialog", errors.get("start-up"))
    if "saves" in r:
        s = r["saves"]
        t.add("6 Save", f"one save: write .tmp, flush, rename (median of {r['save_rounds']}; 95th percentile)",
              f"{s['atomic']['median'] / 1000:.2f} ms ({s['atomic']['p95'] / 1000:.2f} ms)",
              f"flushed overwrite {s['flushed']['median'] / 1000:.2f} ms; plain overwrite "
              f"{s['plain']['median'] / 1000:.2f} ms",
              f"{ratio(s['atomic']['median'], s['flushed']['median'])} flushed; "
              f"{ratio(s['atomic']['median'], s['plain']['median'])} plain")
        t.add("6 Save", "the same minute's save for a user with ten years of history (3,650 days, "
              f"{s['history_bytes'] / 1024:.0f} KiB) (median; 95th percentile)",
              f"{s['history']['median'] / 1000:.2f} ms ({s['history']['p95'] / 1000:.2f} ms)",
              f"the save with an empty history {s['atomic']['median'] / 1000:.2f} ms",
              ratio(s["history"]["median"], s["atomic"]["median"]))
        t.add("6 Save", "bytes a minute's save writes in the data folder (every file it writes, whole), "
              "ten years of every-key days",
              f"{s['history']['bytes'] / 1024:.1f} KiB",
              f"with no days {s['atomic']['bytes'] / 1024:.1f} KiB",
              ratio(s["history"]["bytes"], s["atomic"]["bytes"]))
        t.add("6 Save", "the first save of a new day and the save before leaving (quit, log-off), ten years: "
              "the history written whole (median; 95th percentile)",
              f"{s['newday']['median'] / 1000:.2f} ms ({s['newday']['p95'] / 1000:.2f} ms); "
              f"{s['leaving']['median'] / 1000:.2f} ms ({s['leaving']['p95'] / 1000:.2f} ms)",
              f"{s['newday']['bytes'] / 1024:.0f} KiB; {s['leaving']['bytes'] / 1024:.0f} KiB written", "")
        t.add("6 Export", "Kivora.exe /export over ten years of history, in process: read, sum, write (median)",
              f"{s['export']['median'] / 1000:.2f} ms ({s['export']['p95'] / 1000:.2f} ms)", "", "")
    else:
        t.failed("6 Save", "SaveUserData", errors.get("saves"))
    if "soak" in r:
        k = r["soak"]
        t.add("6 Soak", f"the keeper's simulation from a fresh seed ({k['first']}): {k['sequences']:,} sequences, "
              f"{k['events']:,} events ({k['saves']:,} saves, {k['kills']:,} kills, {k['edits']:,} edits by other "
              f"programs, {k['registrations']:,} registrations), every invariant after every event",
              f"held, in {k['seconds']:.0f} s", f"{k['checks']:,} checks of the files", "")
    else:
        t.failed("6 Soak", "keeper_simulation_long", errors.get("keeper soak (native)"))

    # 7. the key map
    if "map_paint" in r:
        m = r["map_paint"]
        tab = m["470x330"]
        picture_size, picture = next((size, v) for size, v in m.items() if size != "470x330")
        t.add("7 Key map", f"one drawing of the map off-screen (median of {r['map_paint_rounds']}; "
              "95th percentile): the tab's size, 470 × 330 px",
              f"{tab['median'] / 1000:.2f} ms ({tab['p95'] / 1000:.2f} ms)",
              f"the picture, {picture_size.replace('x', ' × ')} px: {picture['median'] / 1000:.2f} ms", "")
    else:
        t.failed("7 Key map", "one drawing", errors.get("key map paint"))
    if "tab_typing" in r:
        k = r["tab_typing"]
        lower, keyboard = k["lowercase"], k["keyboard"]
        upper = k.get("uppercase")
        t.add("7 Key map", f"Kivora's time on a CPU while typing at 10 keys/s with its window shown "
              f"({k['strokes'] // k['tabs']} strokes per tab, {lower['wall']:.0f} s each)",
              f"keyboard tab {keyboard['run']:.3f} s", f"lowercase tab {lower['run']:.3f} s"
              + (f"; uppercase tab {upper['run']:.3f} s ({ratio(upper['run'], lower['run'])})" if upper else ""),
              ratio(keyboard["run"], lower["run"]))
    else:
        t.failed("7 Key map", "typing with a tab shown", errors.get("typing with a tab shown"))

    # 8. the daily chart
    if "chart_paint" in r:
        c = r["chart_paint"]

        def ms(key):
            return f"{c[key]['median'] / 1000:.2f} ms ({c[key]['p95'] / 1000:.2f} ms)"
        tab = TAB_CHART.replace("x", " × ")
        t.add("8 Daily chart", f"one drawing from ten years of days (3,650) off-screen, all of them shown a month "
              f"a bar (median of {r['chart_paint_rounds']}; 95th percentile): the history tab's chart, {tab} px",
              ms(f"chart all {TAB_CHART}"), f"the picture, 1200 × 720 px: {ms('chart all 1200x720')}", "")
        t.add("8 Daily chart", "the same, the last 30 days a day a bar",
              ms(f"chart 30 {TAB_CHART}"), f"the picture: {ms('chart 30 1200x720')}", "")
        t.add("8 Daily chart", "the history tab's refresh when the days moved: every day read from the history as "
              "the keeper holds it, the series made, the chart with the hours of the week drawn, all days shown",
              ms(f"refresh all {TAB_CHART}"), f"the last 30 days: {ms(f'refresh 30 {TAB_CHART}')}", "")
        t.add("8 Daily chart", "of which the layout alone (texts measured by GDI), all days shown",
              ms(f"layout all {TAB_CHART}"), f"the picture: {ms('layout all 1200x720')}", "")
        t.add("8 Daily chart", "the picture file: draw, encode, write atomically (1200 × 720 px, all days)",
              ms("png all 1200x720"), "", "")
        t.add("8 Daily chart", "Kivora.exe /chart over ten years of history, in process: read, lay out, draw, "
              "encode, write (median; 95th percentile)", ms("command all"), "", "")
    else:
        t.failed("8 Daily chart", "one drawing", errors.get("daily chart paint"))
    if "tab_typing" in r and "history" in r["tab_typing"]:
        k = r["tab_typing"]
        lower, history, upper = k["lowercase"], k["history"], k["uppercase"]
        t.add("8 Daily chart", f"Kivora's time on a CPU while typing at 10 keys/s with its window shown, "
              "the same turns as figure 7",
              f"history tab {history['run']:.3f} s", f"lowercase tab {lower['run']:.3f} s; uppercase tab "
              f"{upper['run']:.3f} s", f"{ratio(history['run'], lower['run'])} lowercase; "
              f"{ratio(history['run'], upper['run'])} uppercase")
    else:
        t.failed("8 Daily chart", "typing with a tab shown", errors.get("typing with a tab shown"))

    # 9. the installer
    if "installer" in r:
        i = r["installer"]
        t.add("9 Installer", "Kivora-<version>-setup.exe; the zip of the same files; installed, the uninstaller "
              "with it", f"{i['setup_bytes'] / 1024:.0f} KiB", f"zip {i['zip_bytes'] / 1024:.0f} KiB; installed "
              f"{i['installed_bytes'] / 1024:.0f} KiB", ratio(i["setup_bytes"], i["zip_bytes"]) + " zip")
        t.add("9 Installer", f"silent install (/S) into a new folder, then silent uninstall until the program is "
              f"gone, under Wine (median of {i['rounds']})", f"install {i['install']:.2f} s; uninstall "
              f"{i['uninstall']:.2f} s", f"a program that does nothing (cmd /c exit) {i['nothing']:.2f} s",
              ratio(i["install"], i["nothing"]) + " install")
        t.add("9 Installer", "tools/package.sh from a built Kivora.exe: zip, installer, sums, manifests",
              f"{i['package_s']:.1f} s")
    else:
        t.failed("9 Installer", "all", errors.get("installer"))

    # 10. the days of several PCs
    if "sync" in r:
        c = r["sync"]

        def ms(key):
            return f"{c[key]['median'] / 1000:.2f} ms ({c[key]['p95'] / 1000:.2f} ms)"
        tab = TAB_CHART.replace("x", " × ")
        t.add("10 PCs", f"the history tab's refresh when the days moved, ten PCs of ten years each: the series "
              f"made with their days added to this PC's, the chart drawn ({tab} px; median of {r['sync_rounds']}; "
              f"95th percentile), all days shown", ms("tab 10 all"), f"this PC alone: {ms('tab 1 all')}",
              ratio(c["tab 10 all"]["median"], c["tab 1 all"]["median"]))
        t.add("10 PCs", "the same, the last 30 days", ms("tab 10 30"), f"this PC alone: {ms('tab 1 30')}",
              ratio(c["tab 10 30"]["median"], c["tab 1 30"]["median"]))
        t.add("10 PCs", "the worker's reading of the shared folder after a save (off the interface thread): "
              "after one PC's minute (its pending file changed); nothing changed; one PC's history written again",
              f"{ms('read one-minute')}; {ms('read unchanged')}; {ms('read one-history')}",
              f"the first reading of the nine: {c['read first']['median'] / 1000:.0f} ms", "")
        t.add("10 PCs", "Kivora's worker after a save, until its sums are published: this PC's minute and "
              "another's", ms("worker one-minute"), f"at the start: {c['worker first']['median'] / 1000:.0f} ms", "")
        t.add("10 PCs", "the history tab's list of shortcuts: the other nine PCs' of ten years added up "
              "(WithOtherPcsShortcuts, all days)", ms("list shortcuts"), "", "")
        t.add("10 PCs", "memory the first reading added (the nine PCs' days and shortcuts added up by date, a print "
              "a day a PC)", f"{r['sync_memory_kib'] / 1024:.1f} MiB", "", "")
    else:
        t.failed("10 PCs", "all", errors.get("shared folder"))
    return t.text()


def update_readme(table):
    readme = HERE / "README.md"
    text = readme.read_text()
    begin, end = "<!-- latest table -->", "<!-- end of table -->"
    if begin in text and end in text:
        head, rest = text.split(begin, 1)
        _, tail = rest.split(end, 1)
        readme.write_text(f"{head}{begin}\n{table}\n{end}{tail}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quick", action="store_true", help="shorter runs, for trying the harness out")
    parser.add_argument("--out", type=Path, default=BUILD / "bench" / "table.md")
    parser.add_argument("--readme", action="store_true", help="also put the table into bench/README.md")
    parser.add_argument("--table-from", type=Path, metavar="JSON",
                        help="make the table again from a run's raw figures, measuring nothing")
    args = parser.parse_args()
    if args.table_from:
        bench = Bench(False)
        bench.results = json.loads(args.table_from.read_text())
        stamp = datetime.datetime.fromtimestamp(args.table_from.stat().st_mtime, datetime.timezone.utc)
        table = build_table(bench, stamp, stamp)
        if args.readme:
            update_readme(table)
        print(table)
        return 0
    if not os.environ.get("DISPLAY"):
        sys.exit("measure.py needs an X display (bench/run.sh starts one)")
    # From bench/run.sh's start, so that the duration includes the builds.
    started = datetime.datetime.fromtimestamp(float(os.environ.get("BENCH_STARTED", time.time())),
                                              datetime.timezone.utc)
    bench = Bench(args.quick)
    bench.run()
    finished = datetime.datetime.now(datetime.timezone.utc)
    # The raw figures first: a fault in the table's making must not cost the run.
    args.out.parent.mkdir(parents=True, exist_ok=True)
    (args.out.with_suffix(".json")).write_text(json.dumps(bench.results, indent=1, default=str))
    table = build_table(bench, started, finished)
    args.out.write_text(table + "\n")
    if args.readme:
        update_readme(table)
    print(table)
    return 1 if bench.errors else 0


if __name__ == "__main__":
    sys.exit(main())
