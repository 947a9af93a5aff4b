#!/usr/bin/env python3
"""Start-up benchmark of the launcher: what it costs next to the VM, and what it costs alone.

Builds the native launcher, a bare launcher of our own (bench/bare) and a hello-world Java program,
then prints, as plain-text tables:
  1. start-up: the launcher, the bare launcher and `java -cp`, timed interleaved over many rounds;
  2. the launcher's own work at scale (jar folders, a long configuration, a library folder tree),
     measured by runs that end right after the configuration is loaded and the VM chosen;
  3. the sizes of the stripped Windows executables;
and compares every figure with its target. Needs Python 3 (standard library only), g++, CMake and
an OpenJDK 17; the Windows sizes need the mingw-w64 cross compilers.
"""

import argparse
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BENCH = ROOT / "bench"
DEFAULT_JDK = Path("/usr/lib/jvm/java-17-openjdk-amd64")

# What the launcher prints on stderr when the configuration names a service: it refuses after the
# whole configuration has been loaded and the VM chosen, before any library is loaded. The scale
# runs rely on that to time the launcher's own work without the VM's.
SERVICE_REFUSAL = "Use the WexalConsole32.exe or WexalConsole64.exe for Windows services."

STARTUP_RATIO_TO_BARE = 1.03
SCALE_TARGETS_MS = {"jars-flat": 20.0, "jars-recursive": 20.0, "config-lines": 10.0}
# Linear growth: ten times the items may cost at most this many times as much (10 is exact
# proportion; the slack absorbs timer noise, a quadratic cost would give about 100).
LINEAR_GROWTH_LIMIT = 15.0
# The Windows executables per preset: CMake target, file and size budget in KB (None: no budget).
# The budgets are those that the release build checks (src/main/CMakeLists.txt).
WINDOWS_EXECUTABLES = {
    "win32": [("wexal", "wexal.exe", 256), ("wexal_console", "WexalConsole32.exe", None)],
    "win64": [("wexal", "wexal.exe", 320), ("wexal_console", "WexalConsole64.exe", None)],
}


class BenchError(Exception):
    """A step the benchmark cannot do without (a failed build, a launcher that does not run)."""


# ---------------------------------------------------------------------------------------------
# Output


def say(text=""):
    print(text, flush=True)


def table(headers, rows):
    """Prints rows under headers, the first column left-aligned and the others right-aligned."""
    widths = [max(len(str(cell)) for cell in column) for column in zip(headers, *rows)]
    for index, row in enumerate([headers, *rows]):
        cells = [str(cell).ljust(width) if column == 0 else str(cell).rjust(width)
                 for column, (cell, width) in enumerate(zip(row, widths))]
        say("  " + "  ".join(cells).rstrip())
        if index == 0:
            say("  " + "  ".join("-" * width for width in widths))


def verdict(value, limit, unit="", strict=False, decimals=2):
    """'meets' when value <= limit (value < limit when strict), else 'misses by <excess><unit>'."""
    if value < limit or (value == limit and not strict):
        return "meets"
    return f"misses by {value - limit:.{decimals}f}{unit}"


def print_targets(results, started):
    """Prints the table of figures against their targets and the machine's state at the end of a run
    that began at `started` (time.monotonic())."""
    say("Targets")
    table(["figure", "value", "target", "verdict"], results)
    say()
    say(f"Machine at the end: {machine_description()}; whole run {time.monotonic() - started:.0f} s")


def machine_description():
    model = "unknown CPU"
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    load = " ".join(f"{value:.2f}" for value in os.getloadavg())
    return f"{model}, {os.cpu_count()} cores, load average {load}"


# ---------------------------------------------------------------------------------------------
# Building


def run_logged(command, log, cwd=ROOT):
    """Runs a build command, appending its output to log; True when it succeeded."""
    with open(log, "a") as out:
        out.write("$ " + " ".join(map(str, command)) + "\n")
        out.flush()
        return subprocess.run(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT).returncode == 0


def cmake_build(preset, build_dir, log, extra_configure=(), target="wexal", names=("wexal", "wexal.exe")):
    """Configures build_dir from preset without tests and builds a target (the launcher by
    default); the path of the first of `names` built, or None."""
    configure = ["cmake", "--preset", preset, "-B", build_dir, "-DBUILD_TESTING=OFF", *extra_configure]
    build = ["cmake", "--build", build_dir, "-j", str(os.cpu_count() or 2), "--target", target]
    if not (run_logged(configure, log) and run_logged(build, log)):
        return None
    for name in names:
        if (build_dir / name).is_file():
            return build_dir / name
    return None


def log_tail(log, lines=15):
    return "\n".join(Path(log).read_text(errors="replace").splitlines()[-lines:])


def build_native(work, jdk):
    """Builds the release launcher, the bare launcher and Hello.class; returns their paths."""
    log = work / "build.log"
    log.write_text("")
    launcher = cmake_build("native", ROOT / "build" / "bench-native", log)
    if launcher is None:
        raise BenchError(f"the native launcher did not build (log: {log}):\n{log_tail(log)}")
    bare = work / "bare_launcher"
    compile_bare = ["g++", "-std=c++17", "-O2", "-Wall", "-Wextra", f"-I{jdk}/include",
                    f"-I{jdk}/include/linux", BENCH / "bare" / "bare_launcher.cpp", "-o", bare, "-ldl"]
    if not run_logged(compile_bare, log):
        raise BenchError(f"the bare launcher did not build (log: {log}):\n{log_tail(log)}")
    classes = work / "classes"
    if not run_logged([jdk / "bin" / "javac", "-d", classes, BENCH / "java" / "Hello.java"], log):
        raise BenchError(f"Hello.java did not compile (log: {log}):\n{log_tail(log)}")
    return launcher, bare, classes


# ---------------------------------------------------------------------------------------------
# Timing


class Samples:
    """The wall times and the CPU times (user + system, all threads) of one command's runs."""

    def __init__(self):
        self.wall, self.cpu = [], []

    def median_wall(self):
        return statistics.median(self.wall)

    def median_cpu(self):
        return statistics.median(self.cpu)


def run_once(command):
    """Runs command with its output discarded; returns (wall seconds, CPU seconds of the child)."""
    quiet = [(os.POSIX_SPAWN_OPEN, fd, os.devnull, os.O_WRONLY, 0) for fd in (1, 2)]
    start = time.perf_counter()
    arguments = [str(part) for part in command]
    pid = os.posix_spawn(arguments[0], arguments, os.environ, file_actions=quiet)
    _, _, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    return wall, usage.ru_utime + usage.ru_stime


def time_interleaved(commands, rounds, warmup):
    """Times every command once per round, in an order shuffled anew each round (with a fixed
    seed) so that no command always runs first or after the same neighbour, and slow phases of a
    busy machine fall on all commands alike. Returns name -> Samples."""
    order = list(commands)
    shuffler = random.Random(2024)
    samples = {name: Samples() for name in order}
    for round_index in range(warmup + rounds):
        shuffler.shuffle(order)
        for name in order:
            wall, cpu = run_once(commands[name])
            if round_index >= warmup:
                samples[name].wall.append(wall)
                samples[name].cpu.append(cpu)
    return samples


def check_output(name, command, expect_code, expect_text, stream="stdout"):
    """Runs command once and insists on its exit code and on a text in its output."""
    result = subprocess.run(command, capture_output=True, text=True, errors="replace")
    output = result.stdout if stream == "stdout" else result.stderr
    if result.returncode != expect_code or expect_text not in output:
        raise BenchError(f"{name} does not run as expected: exit code {result.returncode}, "
                         f"stdout {result.stdout.strip()!r}, stderr {result.stderr.strip()[-400:]!r}")


def ms(seconds):
    return seconds * 1000.0


# ---------------------------------------------------------------------------------------------
# 1. Start-up next to the VM


def prepare_startup_runs(work, launcher, bare, classes, jdk):
    """The three ways of starting Hello, each checked once; returns name -> command."""
    app = work / "startup"
    shutil.rmtree(app, ignore_errors=True)
    app.mkdir(parents=True)
    shutil.copy2(launcher, app / "hello")
    (app / "hello.lap").write_text(
        f"wexal.java.home.path={jdk}\n"
        "wexal.main.class=Hello\n"
        f"-Djava.class.path={classes}\n")
    commands = {
        "launcher": [app / "hello"],
        "bare launcher": [bare, jdk / "lib" / "server" / "libjvm.so", classes, "Hello"],
        "java -cp": [jdk / "bin" / "java", "-cp", classes, "Hello"],
    }
    for name, command in commands.items():
        check_output(name, command, 0, "Hello, world")
    return commands


def startup_benchmark(work, launcher, bare, classes, jdk, rounds, warmup):
    commands = prepare_startup_runs(work, launcher, bare, classes, jdk)
    # What starting any process costs here; it is part of every figure above it.
    commands["(process start: true)"] = [shutil.which("true") or "/bin/true"]
    say(f"1. Start-up of Hello ({rounds} interleaved rounds after {warmup} warm-up rounds; wall time per run,")
    say("   and the CPU time the run took on all its threads)")
    samples = time_interleaved(commands, rounds, warmup)
    table(["command", "min ms", "median ms", "max ms", "median CPU ms"],
          [[name, f"{ms(min(s.wall)):.1f}", f"{ms(s.median_wall()):.1f}", f"{ms(max(s.wall)):.1f}",
            f"{ms(s.median_cpu()):.1f}"] for name, s in samples.items()])
    to_bare = samples["launcher"].median_wall() / samples["bare launcher"].median_wall()
    to_java = samples["launcher"].median_wall() / samples["java -cp"].median_wall()
    say()
    say(f"  launcher / bare launcher (medians): {to_bare:.3f}")
    say(f"  launcher / java -cp      (medians): {to_java:.3f}")
    to_bare_cpu = samples["launcher"].median_cpu() / samples["bare launcher"].median_cpu()
    say(f"  launcher / bare launcher (CPU medians, for comparison on a busy machine): {to_bare_cpu:.3f}")
    say()
    return [
        ("start-up: launcher / bare launcher", f"{to_bare:.3f}", f"<= {STARTUP_RATIO_TO_BARE:.2f}",
         verdict(to_bare, STARTUP_RATIO_TO_BARE, decimals=3)),
        ("start-up: launcher / java -cp", f"{to_java:.3f}", "< 1.00",
         verdict(to_java, 1.0, strict=True, decimals=3)),
    ]


# ---------------------------------------------------------------------------------------------
# 2. The launcher's own work at scale


def make_jar_folder(folder, count):
    """A folder holding count (empty) jar files."""
    folder.mkdir(parents=True)
    for index in range(count):
        (folder / f"library-{index:05d}.jar").touch()


def make_jar_tree(folder, count):
    """count jar files in subfolders of 100 each, below a folder that holds none itself."""
    for group in range(count // 100):
        make_jar_folder(folder / f"group-{group:03d}", 100)


def make_library_tree(folder, count):
    """A tree of count folders below folder: 10 folders, each with count / 10 - 1 subfolders."""
    for top in range(10):
        for sub in range(count // 10 - 1):
            (folder / f"arch-{top}" / f"module-{sub:04d}").mkdir(parents=True)


def configuration_lines(count):
    """count physical lines in a mix a real configuration has: comments, VM options and launcher
    keys with variables (late ones among them), an unknown key and a continued line."""
    pattern = [
        "# setting group {i}",
        "-Dbench.data.{i}=${{SELF_HOME}}/data/{i}",
        "wexal.main.argument=--item=${{CALLER_DIR}}/{i}",
        "-Dbench.java.{i}=${{FOUND_JAVA_HOME}}/lib/{i}",
        "wexal.main.class=Hello",
        "-Dbench.env.{i}=${{env.HOME}}/${{EXE_BITNESS}}/${{OS_BITNESS}}",
        "wexal.unknown.key.{i} = value {i}",
        "wexal.library.path.dir=${{FOUND_EXE_FOLDER}}/native/{i}",
        "-Dbench.joined.{i}=first ^",
        "    second",
    ]
    return [pattern[line % len(pattern)].format(i=line // len(pattern)) for line in range(count)]


def jars_flat_case(data, count):
    make_jar_folder(data, count)
    return [f"wexal.classpath.jars.dir={data}"]


def jars_recursive_case(data, count):
    make_jar_tree(data, count)
    return [f"wexal.classpath.jars.dir.recursive={data}"]


def config_lines_case(_, count):
    return configuration_lines(count)


def library_tree_case(data, count):
    make_library_tree(data, count)
    return [f"wexal.library.path.dir.recursive={data}"]


# Each case: its name, what its size counts, the two sizes, and the function that makes its data
# below a given folder and returns the lines it adds to the configuration.
SCALE_CASES = [
    ("jars-flat", "jars", (1000, 10000), jars_flat_case),
    ("jars-recursive", "jars", (1000, 10000), jars_recursive_case),
    ("config-lines", "lines", (1000, 10000), config_lines_case),
    ("library-tree", "folders", (1000, 10000), library_tree_case),
]


def prepare_scale_runs(work, launcher, jdk):
    """Writes a launcher copy and a configuration per case and size, plus a baseline that only
    chooses the VM. Returns name -> command."""
    folder = work / "scale"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    common = [f"wexal.java.home.path={jdk}", "wexal.main.class=Hello", "wexal.service.name=bench"]
    runs = {"baseline": []}
    for case, _, sizes, make in SCALE_CASES:
        for size in sizes:
            runs[f"{case}-{size}"] = make(folder / "data" / f"{case}-{size}", size)
    commands = {}
    for name, lines in runs.items():
        shutil.copy2(launcher, folder / name)
        (folder / f"{name}.lap").write_text("\n".join(common + lines) + "\n")
        commands[name] = [folder / name]
    return commands


def net_figures(samples, baseline, case, sizes):
    """Net wall and CPU seconds per size of a case (its median less the baseline's, never below
    0), and the growth of each from the smaller size to the larger: (wall, cpu, wall growth, cpu growth)."""
    wall = {size: max(samples[f"{case}-{size}"].median_wall() - baseline.median_wall(), 0.0) for size in sizes}
    cpu = {size: max(samples[f"{case}-{size}"].median_cpu() - baseline.median_cpu(), 0.0) for size in sizes}
    small, large = sizes

    def growth(net):
        return net[large] / net[small] if net[small] > 0 else float("inf")

    return wall, cpu, growth(wall), growth(cpu)


def scale_benchmark(work, launcher, jdk, rounds, warmup):
    say("2. The launcher's own work: runs that end after the configuration is loaded and the VM chosen")
    say("   (the service refusal, exit code 1, is expected). Net = the case's median less the median of a")
    say("   run with only the 3 lines every case has; wall time, and CPU time, which a busy machine inflates less.")
    commands = prepare_scale_runs(work, launcher, jdk)
    for name, command in commands.items():
        check_output(name, command, 1, SERVICE_REFUSAL, stream="stderr")
    samples = time_interleaved(commands, rounds, warmup)
    baseline = samples.pop("baseline")
    say(f"   baseline: wall median {ms(baseline.median_wall()):.2f} ms (min {ms(min(baseline.wall)):.2f} ms), "
        f"CPU median {ms(baseline.median_cpu()):.2f} ms; {rounds} interleaved rounds")
    rows, results = [], []
    for case, unit, sizes, _ in SCALE_CASES:
        wall, cpu, wall_growth, cpu_growth = net_figures(samples, baseline, case, sizes)
        small, large = sizes
        for size in sizes:
            last = size == large
            rows.append([f"{case} ({size:,} {unit})", f"{ms(samples[f'{case}-{size}'].median_wall()):.2f}",
                         f"{ms(wall[size]):.2f}", f"{ms(wall[size]) * 1000 / size:.2f}", f"{ms(cpu[size]):.2f}",
                         f"x{wall_growth:.1f}" if last else "", f"x{cpu_growth:.1f}" if last else ""])
        if case in SCALE_TARGETS_MS:
            limit = SCALE_TARGETS_MS[case]
            results.append((f"{case}: {large:,} {unit}, net wall", f"{ms(wall[large]):.2f} ms", f"< {limit:g} ms",
                            verdict(ms(wall[large]), limit, " ms", strict=True)))
        results.append((f"{case}: CPU growth {small:,} -> {large:,}", f"x{cpu_growth:.1f}",
                        f"<= x{LINEAR_GROWTH_LIMIT:g} (linear: x10)", verdict(cpu_growth, LINEAR_GROWTH_LIMIT, decimals=1)))
    table(["case", "median ms", "net ms", "net us/item", "net CPU ms", "growth", "CPU growth"], rows)
    say()
    return results


# ---------------------------------------------------------------------------------------------
# 3. Sizes of the Windows executables


def windows_sizes(work, skip):
    say("3. Windows executables (release build, stripped copy)")
    rows, results, breakdowns = [], [], []
    for preset, strip in (("win32", "i686-w64-mingw32-strip"), ("win64", "x86_64-w64-mingw32-strip")):
        (work / f"build-{preset}.log").write_text("")
        for target, name, limit in WINDOWS_EXECUTABLES[preset]:
            size = None
            if skip:
                note = "not built (--no-windows)"
            elif shutil.which(strip) is None:
                note = f"not built ({strip} missing: scripts/setup.sh --all installs it)"
            else:
                size, note, link_map = build_and_strip(work, preset, strip, target, name)
                if size is not None:
                    breakdowns.append((f"{preset} {name}", link_map))
            kilobytes = f"{size / 1024:.1f}" if size is not None else "-"
            rows.append([f"build/bench-{preset}/{name}", kilobytes, f"{limit}" if limit else "-", note])
            if limit is None:
                continue
            results.append((f"size of {preset} {name}", f"{kilobytes} KB" if size is not None else "not built",
                            f"<= {limit} KB", verdict(size / 1024, limit, " KB", decimals=1) if size is not None else note))
    table(["executable", "KB", "target KB", "note"], rows)
    for executable, link_map in breakdowns:
        libraries, members = largest_parts(link_map)
        say(f"  {executable}, KB of code and data by library: {libraries}")
        say(f"  {executable}, largest objects: {members}")
    say()
    return results


def build_and_strip(work, preset, strip, target, name):
    """Builds a target for a Windows preset and strips a copy of the executable.
    Returns (stripped bytes or None, note, path of the linker's map, which the build writes)."""
    log = work / f"build-{preset}.log"
    build_dir = ROOT / "build" / f"bench-{preset}"
    link_map = build_dir / f"{name}.map"
    exe = cmake_build(preset, build_dir, log, target=target, names=(name,))
    if exe is None:
        return None, f"not built (build failed, log: {log.relative_to(ROOT)})", link_map
    stripped = work / f"{preset}-{name}"
    shutil.copy2(exe, stripped)
    if not run_logged([strip, stripped], log):
        return None, f"not stripped (log: {log.relative_to(ROOT)})", link_map
    return stripped.stat().st_size, f"unstripped {exe.stat().st_size / 1024:.0f} KB", link_map


def largest_parts(link_map, count=6):
    """What brings the most bytes of code and data into the executable, from the linker's map:
    ('library KB, ...', 'library(object) KB, ...'), largest first."""
    if not link_map.is_file():
        return "no link map", "no link map"
    # An input section line: " .text  0x00401000  0x1a2b /path/libstdc++.a(locale.o)"; a long
    # section name stands alone on its line and the rest follows on the next one.
    entry = re.compile(r"^\s+(?:\.\S+)?\s*0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
    libraries, members = {}, {}
    in_memory_map = False
    for line in link_map.read_text(errors="replace").splitlines():
        in_memory_map = in_memory_map or line.startswith("Linker script and memory map")
        match = entry.match(line) if in_memory_map else None
        if not match or line.lstrip().startswith((".debug", "*")):
            continue
        size, source = int(match.group(1), 16), match.group(2).strip()
        member = Path(source).name if "(" in source else "(loose objects)"
        library = member.split("(")[0] if "(" in source else "(loose objects)"
        libraries[library] = libraries.get(library, 0) + size
        members[member] = members.get(member, 0) + size

    def ranked(totals):
        largest = sorted(totals.items(), key=lambda item: -item[1])[:count]
        return ", ".join(f"{name} {size / 1024:.0f}" for name, size in largest)

    return ranked(libraries), ranked(members)


# ---------------------------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=40, help="timed start-up rounds (default 40, at least 30)")
    parser.add_argument("--scale-rounds", type=int, default=30, help="timed rounds of the scale runs (default 30)")
    parser.add_argument("--warmup", type=int, default=5, help="untimed rounds first (default 5)")
    parser.add_argument("--jdk", type=Path, default=DEFAULT_JDK, help=f"the JDK used by all three (default {DEFAULT_JDK})")
    parser.add_argument("--no-windows", action="store_true", help="skip the Windows builds and their sizes")
    options = parser.parse_args()
    if options.rounds < 30:
        parser.error("--rounds must be at least 30")

    work = ROOT / "build" / "bench-native" / "bench"
    work.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    say(f"Launcher start-up benchmark, {time.strftime('%Y-%m-%d %H:%M')}")
    say(f"Machine: {machine_description()}")
    say(f"JDK: {options.jdk}")
    say()
    try:
        launcher, bare, classes = build_native(work, options.jdk)
        results = startup_benchmark(work, launcher, bare, classes, options.jdk, options.rounds, options.warmup)
        results += scale_benchmark(work, launcher, options.jdk, options.scale_rounds, options.warmup)
        results += windows_sizes(work, options.no_windows)
    except BenchError as error:
        say(f"bench: {error}")
        return 1
    print_targets(results, started)
    return 0


if __name__ == "__main__":
    sys.exit(main())
