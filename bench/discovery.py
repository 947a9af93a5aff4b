#!/usr/bin/env python3
"""Discovery benchmark: what finding the installed Javas adds to the start of the launcher.

Lays out 20 Java homes where the Linux launcher looks for them (JAVA_HOME, ~/.sdkman/candidates/java,
~/.jdks, beside what /usr/lib/jvm holds), each with a release file, a compiler and a VM library
header, and times two runs of the release launcher interleaved over many rounds:
  - "configured": wexal.java.home.path names a Java home, so nothing is searched;
  - "discovered": no Java home is configured, so every source is read and every candidate ranked.
Both stop right after the VM is chosen (a configured service name makes the launcher refuse before
it loads any library), so the difference of the medians is the cost of the discovery. Prints the
figures and compares the difference with its target. Needs what bench/startup.py needs.
"""

import argparse
import os
import random
import shutil
import statistics
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import startup  # noqa: E402  (the build and the output helpers of the start-up benchmark)

TARGET_MS = 5.0
JAVAS = 20
# A 64-bit x86 ELF header: the launcher reads the machine of each VM library.
ELF_X86_64 = b"\x7fELF\x02\x01\x01" + bytes(11) + b"\x3e\x00" + bytes(44)


def lay_out_javas(home):
    """Creates JAVAS Java homes below `home` (the HOME of the runs); returns JAVA_HOME's."""
    folders = [home / ".sdkman" / "candidates" / "java", home / ".jdks"]
    homes = [folders[i % 2] / f"jdk-{11 + i}.0.{i}" for i in range(JAVAS - 1)] + [home / "opt" / "jdk-java-home"]
    for index, java_home in enumerate(homes):
        (java_home / "lib" / "server").mkdir(parents=True)
        (java_home / "lib" / "server" / "libjvm.so").write_bytes(ELF_X86_64)
        (java_home / "bin").mkdir()
        (java_home / "bin" / "javac").write_bytes(b"")
        (java_home / "release").write_text(f'IMPLEMENTOR="Bench"\nJAVA_VERSION="{11 + index}.0.{index}"\n')
    return homes[-1]


def run_once(command, environment):
    """Runs `command` with its output discarded; returns its wall and CPU (user + system) seconds."""
    quiet = [(os.POSIX_SPAWN_OPEN, fd, os.devnull, os.O_WRONLY, 0) for fd in (1, 2)]
    start = time.perf_counter()
    pid = os.posix_spawn(str(command[0]), [str(part) for part in command], environment, file_actions=quiet)
    _, _, usage = os.wait4(pid, 0)
    return time.perf_counter() - start, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=200, help="timed rounds (default 200)")
    parser.add_argument("--warmup", type=int, default=20, help="untimed rounds first (default 20)")
    parser.add_argument("--jdk", type=Path, default=startup.DEFAULT_JDK, help="the configured Java home")
    options = parser.parse_args()

    work = Path(tempfile.mkdtemp(prefix="wexal-bench-discovery-"))
    try:
        log = work / "build.log"
        log.write_text("")
        launcher = startup.cmake_build("native", startup.ROOT / "build" / "bench-native", log)
        if launcher is None:
            raise startup.BenchError(f"the native launcher did not build:\n{startup.log_tail(log)}")
        home = work / "home"
        java_home = lay_out_javas(home)
        app = work / "app"
        app.mkdir()
        common = "wexal.main.class=Hello\nwexal.service.name=bench\n"
        environment = {**os.environ, "HOME": str(home), "JAVA_HOME": str(java_home)}
        runs = {}
        for name, extra in (("configured", f"wexal.java.home.path={options.jdk}\n"), ("discovered", "")):
            (app / f"{name}.lap").write_text(common + extra)
            shutil.copy2(launcher, app / name)
            startup.check_output(name, [app / name], 1, startup.SERVICE_REFUSAL, stream="stderr")
            runs[name] = [app / name]

        shuffler = random.Random(2024)
        walls = {name: [] for name in runs}
        cpus = {name: [] for name in runs}
        order = list(runs)
        for round_index in range(options.warmup + options.rounds):
            shuffler.shuffle(order)
            for name in order:
                wall, cpu = run_once(runs[name], environment)
                if round_index >= options.warmup:
                    walls[name].append(wall)
                    cpus[name].append(cpu)

        def median_ms(samples, name):
            return startup.ms(statistics.median(samples[name]))

        startup.say(f"Discovery with {JAVAS} Javas in JAVA_HOME, ~/.sdkman and ~/.jdks, besides /usr/lib/jvm "
                    f"({options.rounds} rounds, {os.cpu_count()} cores, load {os.getloadavg()[0]:.2f})")
        startup.table(["run", "wall min ms", "wall median ms", "CPU median ms"],
                      [[name, f"{startup.ms(min(walls[name])):.2f}", f"{median_ms(walls, name):.2f}",
                        f"{median_ms(cpus, name):.2f}"] for name in runs])
        # The CPU time is what the search costs; on a busy machine the wall times mostly measure
        # the waits for a core.
        added_wall = median_ms(walls, "discovered") - median_ms(walls, "configured")
        added_cpu = median_ms(cpus, "discovered") - median_ms(cpus, "configured")
        verdict = "meets" if added_cpu < TARGET_MS else "MISSES"
        startup.say(f"  added by discovery: {added_cpu:.2f} ms CPU, {added_wall:.2f} ms wall "
                    f"({verdict} the target of under {TARGET_MS:.0f} ms)")
        return 0 if added_cpu < TARGET_MS else 1
    except startup.BenchError as error:
        startup.say(f"error: {error}")
        return 2
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
