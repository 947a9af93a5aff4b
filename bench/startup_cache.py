#!/usr/bin/env python3
"""Start-up benchmark of the class-data cache with a real application: javac.

The compiler's main class (com.sun.tools.javac.Main, from the JDK's jdk.compiler module) compiles a
handful of source files, started four ways on each Java of the machine, interleaved:
  - `java com.sun.tools.javac.Main ...`;
  - the launcher without the cache;
  - the launcher with the cache, first start: the cache folder is emptied just before, so the run
    records the classes and writes the archive at exit;
  - the launcher with the cache, later start: the archive is there.
On Java 25 and later also the launcher with `wexal.startup.cache=aot`, the ahead-of-time cache:
  - first start: the cache folder is emptied just before (after the previous assembly has ended),
    so the run records; the assembly runs after it in a detached process and is not timed;
  - later start: the cache was recorded, assembled and published beforehand.
Prints min, median and max per command and the median ratios to `java`, and compares them with the
targets. With --aot it also times `java` itself with the ahead-of-time cache (-XX:AOTCacheOutput
on a first start, -XX:AOTCache later). Needs Python 3 (standard library only), g++ and CMake;
reuses the helpers of startup.py.
"""

import argparse
import random
import re
import shutil
import sys
import time
from pathlib import Path

from startup import (ROOT, BenchError, Samples, cmake_build, log_tail, machine_description, ms, print_targets,
                     run_once, say, table, verdict)

SOURCE_FILES = 5
JAVA_VERSIONS = (17, 25)
# Later starts with the cache, as a share of `java`'s median; first starts at most twice `java`'s.
LATER_TARGETS = {17: 0.85, 25: 0.75}
FIRST_TARGET = 2.0
# The ahead-of-time cache on Java 25: later starts at most 0.6 of `java`, the recording start at
# most 2.5 times.
AOT_LATER_TARGET = 0.6
AOT_FIRST_TARGET = 2.5
ASSEMBLY_SECONDS = 180
MAIN_CLASS = "com.sun.tools.javac.Main"


def installed_jdk(version):
    """The JDK of Java `version` in /usr/lib/jvm, found by its release file; None when absent."""
    for home in sorted(Path("/usr/lib/jvm").glob("*")):
        release = home / "release"
        if not home.is_symlink() and release.is_file() and \
                re.search(rf'^JAVA_VERSION="{version}[."]', release.read_text(errors="replace"), re.M):
            return home
    return None


def write_sources(folder):
    """A handful of small classes that call one another and the collections; their paths."""
    shutil.rmtree(folder, ignore_errors=True)
    package = folder / "demo"
    package.mkdir(parents=True)
    for index in range(SOURCE_FILES):
        (package / f"Part{index}.java").write_text(f"""package demo;

import java.util.ArrayList;
import java.util.List;

public class Part{index} {{
    final List<String> names = new ArrayList<>();

    public Part{index} add(String name) {{
        names.add(name + {index});
        return this;
    }}

    public String describe() {{
        return names + " then " + new Part{(index + 1) % SOURCE_FILES}().add("next").names;
    }}
}}
""")
    return sorted(str(path) for path in package.glob("*.java"))


def install_launcher(launcher, folder, name, jdk, cache):
    """A copy of the launcher as `folder`/`name` beside its configuration, running javac on `jdk`;
    `cache` is the value of wexal.startup.cache, or None."""
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy2(launcher, folder / name)
    lines = [f"wexal.java.home.path={jdk}", f"wexal.main.class={MAIN_CLASS}"]
    if cache:
        lines += [f"wexal.startup.cache={cache}", f"wexal.startup.cache.dir={folder / (name + '.cache')}"]
    (folder / f"{name}.lap").write_text("\n".join(lines) + "\n")
    return folder / name


class Command:
    """A way to start javac: the command line, the folder it compiles into, and what to do just
    before each run."""

    def __init__(self, line, output, before=None):
        self.line, self.output, self.before = line, output, before

    def run(self):
        if self.before:
            self.before()
        return run_once(self.line)


def wait_for_assembly(folder):
    """Waits until no ahead-of-time cache is being assembled in `folder` (a detached process that
    the launcher started), at most ASSEMBLY_SECONDS."""
    deadline = time.monotonic() + ASSEMBLY_SECONDS
    while time.monotonic() < deadline:
        outputs = list(folder.glob("*.aot.log")) if folder.is_dir() else []
        if all("AOTCache creation is complete" in path.read_text(errors="replace") for path in outputs) and \
                not any("rror" in path.read_text(errors="replace") for path in outputs):
            return
        time.sleep(0.2)


def empty_folder(folder):
    def empty():
        wait_for_assembly(folder)
        shutil.rmtree(folder, ignore_errors=True)
    return empty


def commands_for(work, launcher, jdk, version, sources, aot):
    """The commands timed on one Java, by name."""
    apps = work / f"java{version}"
    shutil.rmtree(apps, ignore_errors=True)

    def javac(line, name, before=None):
        return Command([*line, "-d", str(apps / "out" / name), *sources], apps / "out" / name, before)

    plain = install_launcher(launcher, apps, "javac-plain", jdk, cache=None)
    cached = install_launcher(launcher, apps, "javac-cached", jdk, cache="true")
    first = install_launcher(launcher, apps, "javac-first", jdk, cache="true")
    java = [str(jdk / "bin" / "java"), MAIN_CLASS]
    commands = {
        "java": javac(java, "java"),
        "launcher, no cache": javac([plain], "plain"),
        "launcher, cache, first start": javac([first], "first", empty_folder(apps / "javac-first.cache")),
        "launcher, cache, later start": javac([cached], "cached"),
    }
    if version >= 25:
        aot_first = install_launcher(launcher, apps, "javac-aot-first", jdk, cache="aot")
        aot_later = install_launcher(launcher, apps, "javac-aot-later", jdk, cache="aot")
        commands["launcher, AOT cache, first start"] = javac([aot_first], "aot-first", empty_folder(apps / "javac-aot-first.cache"))
        commands["launcher, AOT cache, later start"] = javac([aot_later], "aot-later")
        javac([aot_later], "aot-prepare").run()
        wait_for_assembly(apps / "javac-aot-later.cache")
        javac([aot_later], "aot-prepare").run()  # publishes the assembled cache
    if aot and version >= 25:
        first_aot, later_aot = apps / "first.aot", apps / "later.aot"
        commands["java, AOT cache, first start"] = javac(
            [java[0], f"-XX:AOTCacheOutput={first_aot}", MAIN_CLASS], "aot-first", lambda: first_aot.unlink(missing_ok=True))
        commands["java, AOT cache, later start"] = javac([java[0], f"-XX:AOTCache={later_aot}", MAIN_CLASS], "aot-later")
        javac([java[0], f"-XX:AOTCacheOutput={later_aot}", MAIN_CLASS], "aot-prepare").run()
    return commands


def check_commands(commands):
    """Runs each command once; each must compile every source file."""
    for name, command in commands.items():
        shutil.rmtree(command.output, ignore_errors=True)
        command.run()
        if len(list(command.output.glob("demo/*.class"))) < SOURCE_FILES:
            raise BenchError(f"{name} did not compile the sources: {' '.join(map(str, command.line))}")


def time_interleaved(commands, rounds, warmup):
    """Times every command once per round, in an order shuffled anew each round (fixed seed);
    returns name -> Samples."""
    order = list(commands)
    shuffler = random.Random(2024)
    samples = {name: Samples() for name in order}
    for round_index in range(warmup + rounds):
        shuffler.shuffle(order)
        for name in order:
            wall, cpu = commands[name].run()
            if round_index >= warmup:
                samples[name].wall.append(wall)
                samples[name].cpu.append(cpu)
    return samples


def bench_java(work, launcher, version, sources, rounds, warmup, aot):
    """Times javac on Java `version`; returns the rows of the targets table."""
    jdk = installed_jdk(version)
    if jdk is None:
        say(f"Java {version}: not installed in /usr/lib/jvm, skipped")
        say()
        return [(f"Java {version}", "-", "-", "skipped: not installed")]
    commands = commands_for(work, launcher, jdk, version, sources, aot)
    check_commands(commands)
    say(f"Java {version} ({jdk}): javac compiling {SOURCE_FILES} files, {rounds} interleaved rounds after {warmup} warm-up")
    samples = time_interleaved(commands, rounds, warmup)
    java = samples["java"].median_wall()
    table(["command", "min ms", "median ms", "max ms", "median / java"],
          [[name, f"{ms(min(s.wall)):.0f}", f"{ms(s.median_wall()):.0f}", f"{ms(max(s.wall)):.0f}",
            f"{s.median_wall() / java:.3f}"] for name, s in samples.items()])
    say()
    later = samples["launcher, cache, later start"].median_wall() / java
    first = samples["launcher, cache, first start"].median_wall() / java
    rows = []
    if "launcher, AOT cache, later start" in samples:
        aot_later = samples["launcher, AOT cache, later start"].median_wall() / java
        aot_first = samples["launcher, AOT cache, first start"].median_wall() / java
        rows = [(f"Java {version}: later start with AOT cache / java", f"{aot_later:.3f}", f"<= {AOT_LATER_TARGET:.2f}",
                 verdict(aot_later, AOT_LATER_TARGET, decimals=3)),
                (f"Java {version}: recording start with AOT cache / java", f"{aot_first:.3f}",
                 f"<= {AOT_FIRST_TARGET:.2f}", verdict(aot_first, AOT_FIRST_TARGET, decimals=3))]
    return rows + [
        (f"Java {version}: later start with cache / java", f"{later:.3f}", f"<= {LATER_TARGETS[version]:.2f}",
         verdict(later, LATER_TARGETS[version], decimals=3)),
        (f"Java {version}: first start with cache / java", f"{first:.3f}", f"<= {FIRST_TARGET:.2f}",
         verdict(first, FIRST_TARGET, decimals=3)),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=15, help="timed rounds (default 15)")
    parser.add_argument("--warmup", type=int, default=2, help="untimed rounds first (default 2)")
    parser.add_argument("--aot", action="store_true", help="also time java with the ahead-of-time cache (Java 25+)")
    options = parser.parse_args()

    work = ROOT / "build" / "bench-native" / "cache"
    work.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    say(f"Startup cache benchmark, {time.strftime('%Y-%m-%d %H:%M')}")
    say(f"Machine: {machine_description()}")
    say()
    try:
        log = work / "build.log"
        log.write_text("")
        launcher = cmake_build("native", ROOT / "build" / "bench-native", log)
        if launcher is None:
            raise BenchError(f"the native launcher did not build (log: {log}):\n{log_tail(log)}")
        sources = write_sources(work / "src")
        results = []
        for version in JAVA_VERSIONS:
            results += bench_java(work, launcher, version, sources, options.rounds, options.warmup, options.aot)
    except BenchError as error:
        say(f"bench: {error}")
        return 1
    print_targets(results, started)
    return 0


if __name__ == "__main__":
    sys.exit(main())
