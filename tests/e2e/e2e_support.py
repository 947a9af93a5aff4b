"""Helpers of the end-to-end tests: the built launcher copied under an application's name beside its
configuration file, Java programs compiled for it, and runs that capture what a user would see."""

import dataclasses
import os
import pathlib
import re
import selectors
import shutil
import subprocess
import tempfile
import time

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
JAVA_SOURCES = pathlib.Path(__file__).resolve().parent / "java"
DEFAULT_ERROR_TEXT = "Error in Java launcher."


def built_file(variable, default):
    """The path in the environment variable `variable` (set by CTest), else `default` below the
    repository; fails when the file does not exist, so that a missing build is not a pass."""
    path = pathlib.Path(os.environ.get(variable) or REPOSITORY / default)
    if not path.is_file():
        raise FileNotFoundError(f"{path} does not exist; build it or set {variable}")
    return path


def java_home():
    """The JDK 17 the tests compile with and pin the launcher to."""
    return pathlib.Path(os.environ.get("WEXAL_E2E_JAVA_HOME", "/usr/lib/jvm/java-17-openjdk-amd64"))


def installed_jdk(feature):
    """The JDK of Java `feature` in /usr/lib/jvm, found by its release file (links to other folders
    left out); None when the machine has none."""
    for home in sorted(pathlib.Path("/usr/lib/jvm").glob("*")):
        release = home / "release"
        if not home.is_symlink() and release.is_file() and \
                re.search(rf'^JAVA_VERSION="{feature}[."]', release.read_text(errors="replace"), re.M):
            return home
    return None


@dataclasses.dataclass
class Run:
    """What one run of the launcher showed."""
    returncode: int
    stdout: str
    stderr: str


class TempFolder:
    """A fresh folder that is removed again by `cleanup`."""

    def __init__(self, prefix="wexal-e2e-"):
        self.path = pathlib.Path(os.path.realpath(tempfile.mkdtemp(prefix=prefix)))

    def cleanup(self):
        shutil.rmtree(self.path, ignore_errors=True)


def compile_java(source_root, classes):
    """Compiles every .java file below `source_root` into the folder `classes` with the JDK of
    `java_home`, for Java 17."""
    sources = sorted(str(p) for p in pathlib.Path(source_root).rglob("*.java"))
    subprocess.run([str(java_home() / "bin" / "javac"), "--release", "17", "-encoding", "UTF-8",
                    "-d", str(classes), *sources], check=True)


def make_jar(classes, jar_file):
    """Packs the folder `classes` into `jar_file`, creating its folder."""
    pathlib.Path(jar_file).parent.mkdir(parents=True, exist_ok=True)
    subprocess.run([str(java_home() / "bin" / "jar"), "cf", str(jar_file), "-C", str(classes), "."],
                   check=True)


class InstalledLauncher:
    """A copy of the launcher under an application's name, as a user installs it: `folder`/`name`
    beside `folder`/<stem>.lap."""

    def __init__(self, launcher, folder, name):
        self.folder = pathlib.Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.path = self.folder / name
        shutil.copy2(launcher, self.path)
        self.config_path = self.folder / (pathlib.Path(name).stem + ".lap")

    def configure(self, lines, line_end="\n"):
        """Writes the configuration file from `lines`, each ended by `line_end`."""
        self.config_path.write_bytes("".join(line + line_end for line in lines).encode("utf-8"))

    def command(self, args):
        return [str(self.path), *args]

    def run(self, *args, cwd=None, env=None, timeout=60):
        """Runs the launcher with `args` from the start-up folder `cwd` and waits for its end."""
        done = subprocess.run(self.command(args), cwd=cwd or self.folder, env=env, timeout=timeout,
                              stdin=subprocess.DEVNULL, capture_output=True)
        return Run(done.returncode, decode(done.stdout), decode(done.stderr))

    def start(self, *args, cwd=None, env=None):
        """Starts the launcher with `args` and returns the running process, its output piped."""
        return subprocess.Popen(self.command(args), cwd=cwd or self.folder, env=env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def decode(data):
    return data.decode("utf-8", errors="backslashreplace")


def error_line(caption, message, default_text=DEFAULT_ERROR_TEXT):
    """The one stderr line with which the Linux launcher reports a failure."""
    return f"{caption}: {default_text} {message}\n"


def key_values(text):
    """The "key=value" lines of a program's output as a dictionary."""
    return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)


def read_until(process, expected_line, timeout=30):
    """Reads the process's stdout until the line `expected_line` has come; returns what was read.
    Fails when the line does not come within `timeout` seconds or the output ends first."""
    selector = selectors.DefaultSelector()
    selector.register(process.stdout, selectors.EVENT_READ)
    deadline = time.monotonic() + timeout
    seen = b""
    while expected_line.encode() + b"\n" not in seen:
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not selector.select(remaining):
            raise TimeoutError(f"no line {expected_line!r} within {timeout} s; output so far: {seen!r}")
        chunk = os.read(process.stdout.fileno(), 4096)
        if not chunk:
            raise EOFError(f"output ended before the line {expected_line!r}: {seen!r}")
        seen += chunk
    return decode(seen)
