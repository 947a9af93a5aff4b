"""Helpers of the Wine suite: one Wine prefix per suite, its registry seeded with fake Java homes, and
the message boxes a program showed, read from Wine's relay trace."""

import os
import pathlib
import re
import subprocess
import tempfile

from e2e_support import Run, decode

# MessageBoxW(owner, L"text", L"caption", style), as the relay trace prints the call. Wine writes a
# wide string as L"..." with \n, \r, \t, \", \\ and four hex digits after "\" for other characters.
_MESSAGE_BOX_CALL = re.compile(
    r'Call user32\.MessageBoxW\([0-9a-f]+,[0-9a-f]+ L"((?:[^"\\]|\\.)*)",[0-9a-f]+ L"((?:[^"\\]|\\.)*)",([0-9a-f]+)\)')
# A library Wine loaded from its own file (not one of Wine's built-in ones), as +loaddll prints it.
_NATIVE_LIBRARY_LOADED = re.compile(r'trace:loaddll:\w+ Loaded L"((?:[^"\\]|\\.)*)" at [0-9a-f]+: native')
_ESCAPE = re.compile(r"\\([0-9a-f]{4}|.)")
_SIMPLE_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}

MB_ICONWARNING = 0x30

# Wine with the loader this machine can execute.
WINE = str(pathlib.Path(__file__).resolve().parents[2] / "scripts" / "wine")


def windows_path(path):
    """The path under which a Windows program in Wine sees the Unix path `path` (drive Z: is /)."""
    return "Z:" + str(path).replace("/", "\\")


def _unescape(text):
    def character(match):
        code = match.group(1)
        return _SIMPLE_ESCAPES.get(code) or chr(int(code, 16))
    return _ESCAPE.sub(character, text)


def message_boxes(trace):
    """The (text, caption, style) of every MessageBoxW call in a relay trace, in order."""
    return [(_unescape(text), _unescape(caption), int(style, 16))
            for text, caption, style in _MESSAGE_BOX_CALL.findall(trace)]


def loaded_vm_libraries(trace):
    """The paths of the jvm.dll files loaded in a +loaddll trace, in order."""
    paths = [_unescape(path) for path in _NATIVE_LIBRARY_LOADED.findall(trace)]
    return [path for path in paths if path.lower().endswith("\\jvm.dll")]


def registry_file(installations):
    """A .reg file that replaces HKLM\\SOFTWARE\\JavaSoft by `installations`, a list of
    (key, version, Java home) with key "Java Runtime Environment" or "Java Development Kit", and
    limits the relay trace to MessageBoxW. The registry view is chosen when the file is imported."""
    lines = ["Windows Registry Editor Version 5.00", "", r"[-HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft]", ""]
    for key, version, home in installations:
        value = windows_path(home).replace("\\", "\\\\")
        lines += [rf"[HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\{key}\{version}]", f'"JavaHome"="{value}"', ""]
    lines += [r"[HKEY_CURRENT_USER\Software\Wine\Debug]", '"RelayInclude"="user32.MessageBoxW"', ""]
    return "\r\n".join(lines)


class WinePrefix:
    """A Wine prefix of the suite's own with a persistent wineserver; the prefix is created on first
    use (about 15 s) and kept for later runs."""

    def __init__(self, path, bits):
        self.path = pathlib.Path(path)
        self.bits = bits
        # No Mono or Gecko installer at prefix creation; the fake C runtime libraries instead of
        # Wine's own, which Wine would load even for a full path; UTF-8 command lines.
        self.environment = {**os.environ, "WINEPREFIX": str(self.path), "WINEDEBUG": "-all",
                            "WINEDLLOVERRIDES": "mscoree,mshtml=;msvcr71,msvcr100=n", "LC_ALL": "C.UTF-8"}

    def start(self):
        self.path.mkdir(parents=True, exist_ok=True)
        subprocess.run(["wineserver", "-p"], env=self.environment, check=True)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.environment, check=False)

    def seed_registry(self, installations):
        """Makes the launcher's registry view hold exactly `installations` (see `registry_file`)."""
        with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False, newline="") as file:
            file.write(registry_file(installations))
        try:
            returncode, _, stderr = _run_to_end([WINE, "reg", "import", file.name, f"/reg:{self.bits}"],
                                                env=self.environment, timeout=300)
        finally:
            os.unlink(file.name)
        if returncode != 0:
            raise RuntimeError(f"wine reg import failed: {stderr}")

    def run_batch(self, lines, folder, environment=None, timeout=60):
        """Writes `lines` as run.bat into `folder` and runs it with `cmd /c` there, as a script user
        does: the batch file's exit code is that of its last command. No trace on stderr."""
        (folder / "run.bat").write_bytes("".join(line + "\r\n" for line in lines).encode("utf-8"))
        env = {**self.environment, **(environment or {})}
        return Run(*_run_to_end([WINE, "cmd", "/c", "run.bat"], cwd=folder, env=env, timeout=timeout))

    def run(self, program, args=(), cwd=None, environment=None, timeout=60):
        """Runs the Windows program `program` with `args` and waits for its end; stderr holds the trace
        of its MessageBoxW calls and of the libraries it loaded."""
        env = {**self.environment, **(environment or {}), "WINEDEBUG": "-all,+relay,+loaddll"}
        return Run(*_run_to_end([WINE, str(program), *args], cwd=cwd, env=env, timeout=timeout))


def _run_to_end(command, timeout, **options):
    """Runs `command` and returns its exit code, stdout and stderr. The output goes through files,
    not pipes: Wine's background processes (started with a new prefix) inherit the output and
    would keep a pipe open after the program has ended."""
    with tempfile.TemporaryFile() as stdout, tempfile.TemporaryFile() as stderr:
        done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=stdout, stderr=stderr, timeout=timeout,
                              **options)
        stdout.seek(0)
        stderr.seek(0)
        return done.returncode, decode(stdout.read()), decode(stderr.read())
