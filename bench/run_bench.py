#!/usr/bin/env python3
"""`make bench`: every performance figure of Velmora in one run.

    run_bench.py --build <build folder> [--idle-seconds 60] [--rounds 10]

Machines are noisy, so every timing is taken together with a baseline in the
same run, interleaved with it, and reported as a ratio (absolute times are for
information).  Counts (bytes, clock ticks, heap bytes) are reported as they
are.  The figures:

  size      velmora.exe (bench/size_check.py)
  native    Google Benchmark (velmora_bench): list load/save, SortEntries,
            FillList, editor open and OK, each beside a reference operation
  heap      valgrind massif over velmora_heap_driver (main window and editor
            open on 100 entries)
  wine      under Wine on a private Xvfb, in a prefix of its own:
            start-up to resident against bench_baseline (one icon, one hotkey),
            hotkey to the target's start against bench_baseline calling
            ShellExecute, the editor opened on 100 entries and closed with OK
            (opening also against bench_baseline_editor, the same windows made
            with plain calls), and the CPU clock ticks of the idle program
            over --idle-seconds

Writes the report to <build>/bench/results.md and prints it.
"""
import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
SCRIPTS = os.path.join(SOURCE, "scripts")

# The list of the Wine runs: 100 enabled entries, each combination distinct
# (the same rule as FullListEntry of tests/support/entries.h).  Slot 1 (Ctrl+1) launches the
# stamp target; slot 100 (Ctrl+Alt+D) is registered last.
LAUNCH_HOTKEY = (2, 0x31)
LAST_HOTKEY = (3, 0x44)
# The baseline's own combination when it runs beside the program.
BASELINE_HOTKEY = (7, 0x7B)
ROWS = 100


def combination(n):
    return 1 + n % 7, 0x30 + n % 80


def list_file(stamp_path):
    out = b""
    for n in range(1, ROWS + 1):
        mods, vk = combination(n)
        path = stamp_path if n == 1 else f"C:\\bench\\absent\\tool{n}.exe"
        param = "" if n == 1 else f"/open \"C:\\Users\\me\\文書\\file{n}.txt\""
        out += (path.encode("cp932") + b"\r\n" + param.encode("cp932") + b"\r\n" +
                f"{mods} {vk} 1 {n % 3}".encode("ascii") + b"\r\n")
    return out


class Report:
    def __init__(self):
        self.lines = []

    def add(self, text=""):
        print(text, flush=True)
        self.lines.append(text)

    def table(self, header, rows):
        self.add("| " + " | ".join(header) + " |")
        self.add("|" + "|".join("---" for _ in header) + "|")
        for row in rows:
            self.add("| " + " | ".join(str(c) for c in row) + " |")
        self.add()


def median(values):
    return statistics.median(values) if values else float("nan")


def ms(us):
    return f"{us / 1000:.1f}"


# --- size -------------------------------------------------------------------

def bench_size(report, win32):
    report.add("## Size of velmora.exe")
    report.add()
    cmd = [sys.executable, os.path.join(HERE, "size_check.py"), win32]
    result = subprocess.run(cmd, capture_output=True, text=True)
    report.add(f"`python3 bench/size_check.py {os.path.relpath(win32, os.path.dirname(os.path.dirname(win32)))}`:")
    report.add()
    report.add("```")
    for line in result.stdout.strip().splitlines():
        report.add(line)
    report.add("```")
    report.add()


# --- native -------------------------------------------------------------------

# Each figure of the program beside the reference operation it is held against.
NATIVE_PAIRS = [
    ("BM_LoadHotkeyList100", "BM_Reference_ReadBytes"),
    ("BM_SaveHotkeyList100", "BM_Reference_ReadBytes"),
    ("BM_ParseHotkeyList100", "BM_Reference_ReadBytes"),
    ("BM_SerializeHotkeyList100", "BM_Reference_ReadBytes"),
    ("BM_SortEntries100", "BM_Reference_StableSort100"),
    ("BM_FillList100", "BM_Reference_CopyRows100"),
    ("BM_OpenEditor100", "BM_Reference_CopyRows100"),
    ("BM_OpenAndCommitEditor100", "BM_Reference_CopyRows100"),
]


def bench_native(report, native, repetitions):
    exe = os.path.join(native, "velmora_bench")
    report.add("## Google Benchmark (native, headless backend)")
    report.add()
    if not os.path.exists(exe):
        report.add(f"skipped: no {exe} (libbenchmark-dev missing?)")
        report.add()
        return
    out = os.path.join(native, "bench-results.json")
    cmd = [exe, f"--benchmark_repetitions={repetitions}", "--benchmark_report_aggregates_only=true",
           "--benchmark_out=" + out, "--benchmark_out_format=json", "--benchmark_min_time=0.2"]
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, cwd=native)
    with open(out) as f:
        data = json.load(f)
    medians = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            factor = {"ns": 1, "us": 1e3, "ms": 1e6}.get(b.get("time_unit", "ns"), 1)
            medians[b["run_name"]] = b["real_time"] * factor
    report.add(f"`velmora_bench --benchmark_repetitions={repetitions} --benchmark_min_time=0.2` "
               f"(median of {repetitions} repetitions; CPU: {data['context'].get('num_cpus')} x "
               f"{data['context'].get('mhz_per_cpu')} MHz, build {data['context'].get('library_build_type')}):")
    report.add()
    rows = []
    for name, reference in NATIVE_PAIRS:
        if name not in medians or reference not in medians:
            continue
        rows.append((name, f"{medians[name] / 1000:.2f}", reference, f"{medians[reference] / 1000:.2f}",
                     f"{medians[name] / medians[reference]:.1f}"))
    report.table(("benchmark", "µs", "reference", "reference µs", "ratio"), rows)


# --- heap -----------------------------------------------------------------------

def bench_heap(report, native):
    report.add("## Heap with the editor open on 100 entries (valgrind massif, native)")
    report.add()
    driver = os.path.join(native, "velmora_heap_driver")
    if not shutil.which("valgrind") or not os.path.exists(driver):
        report.add("skipped: valgrind or velmora_heap_driver missing")
        report.add()
        return
    out = os.path.join(native, "massif.out")
    cmd = ["valgrind", "--tool=massif", "--detailed-freq=1000000", "--massif-out-file=" + out, driver]
    subprocess.run(cmd, check=True, capture_output=True, cwd=native)
    peak = (0, 0)
    with open(out) as f:
        heap = extra = 0
        for line in f:
            if line.startswith("mem_heap_B="):
                heap = int(line.split("=")[1])
            elif line.startswith("mem_heap_extra_B="):
                extra = int(line.split("=")[1])
                if heap + extra > sum(peak):
                    peak = (heap, extra)
    report.add("`valgrind --tool=massif velmora_heap_driver`: peak of the process's heap "
               f"{peak[0]} bytes ({peak[0] / 1024:.1f} KB) requested, {peak[1]} bytes of allocator "
               f"overhead, {sum(peak) / 1024:.1f} KB in all; goal under 256 KB.")
    report.add()
    # At the peak, the allocations that are not the program's: the C++
    # runtime's emergency exception pool, glibc's iconv (the native text
    # codec; Windows converts with MultiByteToWideChar), the headless
    # backend's file reading and the recording fake.
    foreign = {"C++ runtime (libstdc++ start-up)": r"libstdc\+\+\.so", "glibc iconv": r"__gconv|iconv",
               "headless backend": r"HeadlessBackend", "recording fake": r"FakeOs"}
    shares = {name: 0 for name in foreign}
    in_peak = False
    with open(out) as f:
        for line in f:
            if line.startswith("snapshot="):
                in_peak = False
            elif "heap_tree=peak" in line:
                in_peak = True
            elif in_peak and re.match(r"^ n\d+: \d+ ", line):
                size = int(line.split()[1])
                for name, pattern in foreign.items():
                    if re.search(pattern, line):
                        shares[name] += size
                        break
    own = peak[0] - sum(shares.values())
    report.table(("at the peak", "bytes"),
                 [(name, size) for name, size in shares.items()] +
                 [("**the program's own (the rest)**", f"**{own} ({own / 1024:.1f} KB)**")])


# --- wine -------------------------------------------------------------------------

def wine_of(arch):
    """The Wine loader and WINEARCH of an architecture (scripts/wine-arch.sh)."""
    script = os.path.join(SCRIPTS, "wine-arch.sh")
    out = subprocess.run(["bash", "-c", '. "$1"; velmora_wine_loader "$2"; velmora_winearch "$2"', "-", script, arch],
                         capture_output=True, text=True, check=True).stdout.split()
    return out[0], out[1]


class Wine:
    """The programs of one architecture's build tree in a prefix of its own;
    the program and its baselines are always of the same architecture."""

    def __init__(self, build, win32, arch):
        self.prefix = os.path.join(build, f"bench-wineprefix-{arch}")
        self.state = os.path.join(build, f"bench-state-{arch}")
        self.win32 = win32
        self.loader, self.winearch = wine_of(arch)
        self.env = dict(os.environ, VELMORA_WINEPREFIX=self.prefix, VELMORA_E2E_STATE=self.state,
                        VELMORA_ARCH=arch)
        self.up = False

    def start(self):
        subprocess.run([os.path.join(SCRIPTS, "e2e-env.sh"), "up"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL)
        self.up = True
        with open(os.path.join(self.state, "display")) as f:
            display = f.read().strip()
        self.env.update({"WINEPREFIX": self.prefix, "WINEARCH": self.winearch, "WINELOADER": self.loader,
                         "WINEDEBUG": "-all",
                         "WINEDLLOVERRIDES": "mscoree,mshtml=", "LC_ALL": "C.UTF-8", "DISPLAY": display})
        # Xvfb runs no window manager, and Wine waits up to 2 s for one to
        # withdraw each managed window it hides (wait_for_withdrawn_state):
        # every editor closed with OK would seem to take 2 s.  Unmanaged
        # windows, as in a Wine virtual desktop, show the program's own time.
        subprocess.run([self.loader, "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/t",
                        "REG_SZ", "/d", "N", "/f"], env=self.env, check=True, capture_output=True)
        self.folder = os.path.join(self.prefix, "drive_c", "bench")
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(os.path.join(self.folder, "target"))
        for exe, name in (("velmora.exe", "velmora.exe"), ("bench_baseline.exe", "baseline.exe"),
                          ("bench_baseline_cc6.exe", "baseline_cc6.exe"),
                          ("bench_baseline_editor.exe", "baseline_editor.exe"),
                          ("bench_probe.exe", "probe.exe"), ("bench_stamp.exe", "target/bench_stamp.exe")):
            shutil.copy2(os.path.join(self.win32, exe), os.path.join(self.folder, name))
        self.stamp = "C:\\bench\\target\\bench_stamp.exe"
        self.stamp_log = "C:\\bench\\target\\stamp.log"
        self.write_list()

    def write_list(self):
        with open(os.path.join(self.folder, "Velmora.Lst"), "wb") as f:
            f.write(list_file(self.stamp))

    def stop(self):
        if self.up:
            subprocess.run([os.path.join(SCRIPTS, "e2e-env.sh"), "down"], env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def probe(self, *args, timeout=300):
        result = subprocess.run([self.loader, "C:\\bench\\probe.exe", *map(str, args)], env=self.env,
                                capture_output=True, text=True, timeout=timeout)
        figures, errors = {}, []
        for line in result.stdout.splitlines():
            name, _, value = line.strip().partition(" ")
            if name == "error":
                errors.append(value)
            elif name == "window":
                figures.setdefault("windows", []).append(value)
            elif value:
                figures.setdefault(name, []).append(float(value))
        if result.returncode != 0 and not errors:
            errors.append(f"probe exit code {result.returncode}: {result.stderr.strip()[-300:]}")
        return figures, errors

    def velmora(self):
        return ["C:\\bench\\velmora.exe"]

    def baseline(self, hotkey, target=None, exe="baseline.exe"):
        return ["C:\\bench\\" + exe, hotkey[0], hotkey[1]] + ([target] if target else [])


def hotkey_args(hotkey):
    return ["--hotkey", hotkey[0], hotkey[1]]


def collect(samples, figures, name, errors, problems, what):
    samples.extend(figures.get(name, []))
    problems.extend(f"{what}: {e}" for e in errors)


def bench_startup(report, wine, rounds):
    v, b, c, problems = [], [], [], []
    # Round 0 warms the prefix (files in the page cache, shell ready) and is
    # not counted; the programs then take turns.
    for r in range(rounds + 1):
        fv, ev = wine.probe("startup", *wine.velmora(), *hotkey_args(LAST_HOTKEY))
        fb, eb = wine.probe("startup", *wine.baseline(BASELINE_HOTKEY), *hotkey_args(BASELINE_HOTKEY))
        fc, ec = wine.probe("startup", *wine.baseline(BASELINE_HOTKEY, exe="baseline_cc6.exe"),
                            *hotkey_args(BASELINE_HOTKEY))
        if r == 0:
            continue
        collect(v, fv, "startup_us", ev, problems, "velmora")
        collect(b, fb, "startup_us", eb, problems, "baseline")
        collect(c, fc, "startup_us", ec, problems, "baseline_cc6")
    report.add("### Start-up to resident")
    report.add()
    report.add(f"`probe startup` ({rounds} turns each after one warm-up turn): from CreateProcess until "
               "WaitForInputIdle returns, then checked: icon held by the shell (NIM_MODIFY succeeds) and "
               "the last hotkey taken (RegisterHotKey of it refused).")
    report.add()
    report.table(("program", "median ms", "min ms", "max ms", "samples"),
                 [("velmora.exe, 100 entries, 100 hotkeys", ms(median(v)), ms(min(v, default=0)),
                   ms(max(v, default=0)), len(v)),
                  ("baseline.exe, 1 hotkey", ms(median(b)), ms(min(b, default=0)), ms(max(b, default=0)),
                   len(b)),
                  ("baseline_cc6.exe, 1 hotkey, common controls 6", ms(median(c)), ms(min(c, default=0)),
                   ms(max(c, default=0)), len(c))])
    if v and b:
        report.add(f"**ratio velmora/baseline (medians): {median(v) / median(b):.2f}** (goal at most 1.2)")
        report.add()
    if v and c:
        report.add(f"ratio velmora/baseline_cc6 (medians): {median(v) / median(c):.2f}; "
                   f"baseline_cc6/baseline: {median(c) / median(b):.2f}")
        report.add()
    for p in problems:
        report.add(f"- problem: {p}")
    return v, b


def bench_launch(report, wine, rounds, presses):
    v, b, problems = [], [], []
    for _ in range(rounds):
        fv, ev = wine.probe("launch", *wine.velmora(), *hotkey_args(LAUNCH_HOTKEY), "--stamp", wine.stamp_log,
                            "--runs", presses)
        fb, eb = wine.probe("launch", *wine.baseline(LAUNCH_HOTKEY, wine.stamp), *hotkey_args(LAUNCH_HOTKEY),
                            "--stamp", wine.stamp_log, "--runs", presses)
        collect(v, fv, "launch_us", ev, problems, "velmora")
        collect(b, fb, "launch_us", eb, problems, "baseline")
    report.add("### Hotkey to launch")
    report.add()
    report.add(f"`probe launch` ({rounds} sessions of {presses} presses each, taking turns): from SendInput of "
               "Ctrl+1 until the target (bench_stamp.exe) reads the performance counter as its first act.")
    report.add()
    report.table(("program", "median ms", "min ms", "max ms", "samples"),
                 [("velmora.exe (slot 1 of 100)", ms(median(v)), ms(min(v, default=0)), ms(max(v, default=0)),
                   len(v)),
                  ("baseline.exe (ShellExecute on WM_HOTKEY)", ms(median(b)), ms(min(b, default=0)),
                   ms(max(b, default=0)), len(b))])
    if v and b:
        report.add(f"**ratio velmora/baseline (medians): {median(v) / median(b):.2f}** (goal at most 1.1)")
        report.add()
    for p in problems:
        report.add(f"- problem: {p}")


EDITOR_SESSIONS = 3
# The yardstick's window classes, for `probe editor --classes`.
EDITOR_BASELINE_CLASSES = ("VelmoraBenchEditorHost", "VelmoraBenchEditorHost", "VelmoraBenchEditor")


def editor_sessions(wine, program, runs, extra=()):
    """One session of `probe editor`: first figures apart, the rest pooled."""
    figures, problems = wine.probe("editor", *program, *hotkey_args(LAST_HOTKEY), "--rows", ROWS,
                                   "--runs", runs + 1, *extra)
    windows = figures.pop("windows", [])
    first = {name: values[0] for name, values in figures.items() if values}
    rest = {name: values[1:] for name, values in figures.items()}
    return first, rest, problems, windows


# The classes of the program's own windows and the yardstick's stand-ins.
OWN_CLASSES = {"TREditor": "form", "VelmoraBenchEditor": "form", "TPanel": "panel", "VelmoraBenchPanel": "panel"}


def window_differences(program, yardstick):
    """The editor's windows (class, styles, place) where the yardstick differs from the program."""
    def normal(lines):
        out = []
        for line in lines:
            cls, _, rest = line.partition(" ")
            out.append(f"{OWN_CLASSES.get(cls, cls)} {rest}")
        return out
    a, b = normal(program), normal(yardstick)
    differences = [f"program `{x}`, yardstick `{y}`" for x, y in zip(a, b) if x != y]
    if len(a) != len(b):
        differences.append(f"{len(a)} windows in the program's editor, {len(b)} in the yardstick's")
    return differences


def bench_editor(report, wine, runs):
    # Each session is a program of its own; the first opening of each loads
    # the common controls' and the fonts' data and is shown apart.  Figures
    # move by a millisecond or more from one session to the next (where the
    # scheduler puts the program and the wineserver) and from one run to the
    # next, so several sessions are pooled, and the program takes turns with
    # its yardstick: bench_baseline_editor makes the editor's windows (same
    # classes, styles, sizes, fonts, key list and rows) with plain calls.
    names = ("editor_open_us", "editor_commit_us")
    first = {name: [] for name in names}
    pooled = {name: [] for name in names}
    yard_first, yard = [], []
    per_session, yard_per_session = [], []
    errors = []
    windows = {}
    yardstick = ["C:\\bench\\baseline_editor.exe", *LAST_HOTKEY, ROWS]
    for _ in range(EDITOR_SESSIONS):
        f, rest, problems, windows["program"] = editor_sessions(wine, wine.velmora(), runs)
        errors.extend(problems)
        for name in names:
            if name in f:
                first[name].append(f[name])
            pooled[name].extend(rest.get(name, []))
        if rest.get("editor_open_us"):
            per_session.append(ms(median(rest["editor_open_us"])))
        f, rest, problems, windows["yardstick"] = editor_sessions(wine, yardstick, runs,
                                                                  ("--classes", *EDITOR_BASELINE_CLASSES))
        errors.extend(f"yardstick: {p}" for p in problems)
        if "editor_open_us" in f:
            yard_first.append(f["editor_open_us"])
        yard.extend(rest.get("editor_open_us", []))
        if rest.get("editor_open_us"):
            yard_per_session.append(ms(median(rest["editor_open_us"])))
    report.add("### Editor on 100 entries under Wine")
    report.add()
    report.add(f"`probe editor` ({EDITOR_SESSIONS} sessions of each program, taking turns, {runs} times each after "
               "a first one, shown apart): the tray icon's double click posted until the list box holds 100 rows "
               "and the program answers a sent message; OK pressed (BM_CLICK) until the editor is hidden and the "
               "main window answers a sent message (all hotkeys registered anew). The yardstick "
               "(baseline_editor.exe) makes the same windows with plain Win32 calls, no forms layer.")
    report.add()
    rows = []
    for name, step in (("editor_open_us", "open until the list is filled"), ("editor_commit_us", "OK until committed")):
        if pooled[name]:
            rows.append((step, ms(median(first[name])), ms(median(pooled[name])), ms(max(pooled[name])),
                         len(pooled[name])))
    if yard:
        rows.append(("yardstick: open until the list is filled", ms(median(yard_first)), ms(median(yard)),
                     ms(max(yard)), len(yard)))
    report.table(("step", "first ms (median of sessions)", "median ms", "max ms", "samples"), rows)
    if per_session:
        report.add(f"Open, median of each session: {', '.join(per_session)} ms (yardstick: "
                   f"{', '.join(yard_per_session)} ms). Goal: under 20 ms each.")
    if pooled["editor_open_us"] and yard:
        report.add()
        ratio = median(pooled["editor_open_us"]) / median(yard)
        report.add(f"**ratio velmora/yardstick, open (medians): {ratio:.2f}**")
    if windows.get("program") and windows.get("yardstick"):
        differences = window_differences(windows["program"], windows["yardstick"])
        report.add()
        if differences:
            report.add("The yardstick's windows differ from the program's editor:")
            for d in differences:
                report.add(f"- {d}")
        else:
            report.add(f"The yardstick's {len(windows['program'])} windows match the program's editor (class, "
                       "style, extended style, place).")
    report.add()
    for e in errors:
        report.add(f"- problem: {e}")


def ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15 of the whole line.
    return int(fields[11]) + int(fields[12])


def comm(pid):
    try:
        with open(f"/proc/{pid}/comm") as f:
            return f.read().strip()
    except OSError:
        return "?"


def bench_idle(report, wine, seconds):
    report.add("### CPU while idle")
    report.add()
    programs = []
    problems = []
    try:
        for name, argv, hotkey in (("velmora.exe", wine.velmora(), LAST_HOTKEY),
                                   ("baseline.exe", wine.baseline(BASELINE_HOTKEY), BASELINE_HOTKEY)):
            process = subprocess.Popen([wine.loader, *map(str, argv)], env=wine.env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            programs.append((name, process, hotkey))
        for name, process, hotkey in programs:
            deadline = time.monotonic() + 60
            while True:
                _, errors = wine.probe("held", *hotkey_args(hotkey))
                if not errors:
                    break
                if time.monotonic() > deadline:
                    problems.append(f"{name} never took its hotkey")
                    break
                time.sleep(0.5)
        time.sleep(3)
        before = {name: ticks(p.pid) for name, p, _ in programs}
        time.sleep(seconds)
        after = {name: ticks(p.pid) for name, p, _ in programs}
        rows = []
        for name, process, hotkey in programs:
            _, errors = wine.probe("held", *hotkey_args(hotkey))
            if errors or process.poll() is not None:
                problems.append(f"{name} no longer resident at the end")
            rows.append((name, comm(process.pid), before[name], after[name], after[name] - before[name]))
    finally:
        for _, process, _ in programs:
            if process.poll() is None:
                process.kill()
                process.wait(timeout=20)
    hz = os.sysconf("SC_CLK_TCK")
    report.add(f"utime+stime of each process (/proc/<pid>/stat, {hz} ticks a second) over {seconds} idle "
               "seconds, both running at once after start-up settled; velmora.exe holds 100 hotkeys.")
    report.add()
    report.table(("program", "process", "ticks before", "ticks after", "grown by"), rows)
    report.add("Goal: velmora.exe grows by at most 1 tick.")
    report.add()
    for p in problems:
        report.add(f"- problem: {p}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True, help="the build folder (holding win32/, win64/ and native/)")
    parser.add_argument("--arch", choices=("x86", "x64"), default="x86",
                        help="which build is timed under Wine: x86 (win32/, the default) or x64 (win64/)")
    parser.add_argument("--idle-seconds", type=int, default=60)
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--skip-wine", action="store_true")
    parser.add_argument("--only", default="", help="comma-separated parts to run: size, native, heap, "
                        "startup, launch, editor, idle (default: all)")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    win32 = os.path.join(build, "win32" if args.arch == "x86" else "win64")
    native = os.path.join(build, "native")
    print(f"bench: architecture {args.arch} ({'32' if args.arch == 'x86' else '64'}-bit velmora.exe and "
          f"baselines from {win32})", flush=True)

    report = Report()
    report.add(f"# Benchmark results ({time.strftime('%Y-%m-%d %H:%M:%S')}, "
               f"load average {os.getloadavg()[0]:.2f}, architecture {args.arch}: "
               f"{'32-bit' if args.arch == 'x86' else '64-bit'} velmora.exe and baselines)")
    report.add()
    parts = set(filter(None, args.only.split(","))) or {"size", "native", "heap", "startup", "launch",
                                                          "editor", "idle"}
    if args.skip_wine:
        parts -= {"startup", "launch", "editor", "idle"}
    if "size" in parts:
        bench_size(report, win32)
    if "native" in parts:
        bench_native(report, native, args.repetitions)
    if "heap" in parts:
        bench_heap(report, native)
    if parts & {"startup", "launch", "editor", "idle"}:
        report.add("## Under Wine")
        report.add()
        wine = Wine(build, win32, args.arch)
        try:
            wine.start()
            if "startup" in parts:
                # Twice the turns: a start-up is short beside the noise of a
                # shared machine, and the goal is a ratio of medians.
                bench_startup(report, wine, args.rounds * 2)
            if "launch" in parts:
                bench_launch(report, wine, max(2, args.rounds // 3), 8)
            if "editor" in parts:
                bench_editor(report, wine, args.rounds)
            if "idle" in parts:
                bench_idle(report, wine, args.idle_seconds)
        finally:
            wine.stop()
    os.makedirs(os.path.join(build, "bench"), exist_ok=True)
    with open(os.path.join(build, "bench", "results.md"), "w") as f:
        f.write("\n".join(report.lines) + "\n")
    print(f"written: {os.path.join(build, 'bench', 'results.md')}")


if __name__ == "__main__":
    main()
