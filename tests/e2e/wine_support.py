"""Helpers of the Wine suite: one Wine prefix per suite, its registry seeded with fake Java homes, and
the message boxes a program showed, read from Wine's relay trace."""

import os
import pathlib
import re
import struct
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
RT_GROUP_ICON = 14
RT_MANIFEST = 24

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


# The installers' keys that a seeding replaces, below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
_JAVA_KEYS = [r"SOFTWARE\JavaSoft", r"SOFTWARE\Eclipse Adoptium", r"SOFTWARE\Azul Systems"]


def _java_key_deletions(view_bits):
    """The batch commands that remove the Java installers' keys (HKLM and HKCU) from one view."""
    return [f'reg delete "{root}\\{key}" /f /reg:{view_bits} >nul 2>&1' for root in ("HKLM", "HKCU") for key in _JAVA_KEYS]


def registry_file(installations):
    """A .reg file that replaces the Java installers' keys (HKLM and HKCU) by `installations`, a list
    of (key, version, Java home) with key "Java Runtime Environment" or "Java Development Kit", or
    of (root, key path, value name, Java home) for any other layout; and limits the relay trace to
    MessageBoxW. The registry view is chosen when the file is imported."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for root in ("HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"):
        lines += [f"[-{root}\\{key}]" for key in _JAVA_KEYS] + [""]
    for installation in installations:
        if len(installation) == 3:
            key, version, home = installation
            installation = ("HKEY_LOCAL_MACHINE", rf"SOFTWARE\JavaSoft\{key}\{version}", "JavaHome", home)
        root, key_path, value_name, home = installation
        value = windows_path(home).replace("\\", "\\\\")
        lines += [rf"[{root}\{key_path}]", f'"{value_name}"="{value}"', ""]
    lines += [r"[HKEY_CURRENT_USER\Software\Wine\Debug]", '"RelayInclude"="user32.MessageBoxW"', ""]
    return "\r\n".join(lines)


class WinePrefix:
    """A Wine prefix of the suite's own with a persistent wineserver; the prefix is created on first
    use (about 15 s) and kept for later runs."""

    def __init__(self, path, bits):
        self.path = pathlib.Path(path)
        self.bits = bits
        # No Mono or Gecko installer at prefix creation; the fake C runtime libraries instead of
        # Wine's own, which Wine would load even for a full path; UTF-8 command lines; no Java
        # of the host through JAVA_HOME.
        self.environment = {**os.environ, "WINEPREFIX": str(self.path), "WINEDEBUG": "-all",
                            "WINEDLLOVERRIDES": "mscoree,mshtml=;msvcr71,msvcr100,vcruntime140=n", "LC_ALL": "C.UTF-8",
                            "JAVA_HOME": ""}

    def start(self):
        self.path.mkdir(parents=True, exist_ok=True)
        subprocess.run(["wineserver", "-p"], env=self.environment, check=True)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.environment, check=False)

    def seed_registry(self, installations, view_bits=None):
        """Makes the launcher's registry view (or the view of `view_bits`) hold exactly
        `installations` (see `registry_file`); the other view keeps its keys. Wine's `reg import`
        leaves a key that has subkeys when the file deletes it, so `reg delete` removes the Java
        installers' keys first, in the same batch file."""
        view_bits = view_bits or self.bits
        with tempfile.TemporaryDirectory() as folder:
            folder = pathlib.Path(folder)
            (folder / "seed.reg").write_text(registry_file(installations), newline="")
            commands = [*_java_key_deletions(view_bits), f"reg import seed.reg /reg:{view_bits}", ""]
            (folder / "seed.bat").write_text("\r\n".join(commands), newline="")
            returncode, _, stderr = _run_to_end([WINE, "cmd", "/c", "seed.bat"], cwd=folder, env=self.environment,
                                                timeout=300)
        if returncode != 0:
            raise RuntimeError(f"wine reg import failed: {stderr}")

    def delete_java_keys(self, view_bits):
        """Removes the Java installers' keys (HKLM and HKCU) from the view of `view_bits`, with one
        batch file of `reg delete` commands."""
        commands = ["@" + command for command in _java_key_deletions(view_bits)]
        with tempfile.TemporaryDirectory() as folder:
            batch = pathlib.Path(folder) / "delete.bat"
            batch.write_text("\r\n".join(commands) + "\r\n")
            _run_to_end([WINE, "cmd", "/c", windows_path(batch)], env=self.environment, timeout=300)

    def program_files(self):
        """The Unix path of the prefix's %ProgramFiles% folder."""
        return self.path / "drive_c" / "Program Files"

    def run_batch(self, lines, folder, environment=None, timeout=60):
        """Writes `lines` as run.bat into `folder` and runs it with `cmd /c` there, as a script user
        does: the batch file's exit code is that of its last command. No trace on stderr."""
        (folder / "run.bat").write_bytes("".join(line + "\r\n" for line in lines).encode("utf-8"))
        env = {**self.environment, **(environment or {})}
        return Run(*_run_to_end([WINE, "cmd", "/c", "run.bat"], cwd=folder, env=env, timeout=timeout))

    def run(self, program, args=(), cwd=None, environment=None, timeout=60, trace=True):
        """Runs the Windows program `program` with `args` and waits for its end; stderr holds the trace
        of its MessageBoxW calls and of the libraries it loaded (with `trace`), or only what the
        program wrote there."""
        env = {**self.environment, **(environment or {}), "WINEDEBUG": "-all,+relay,+loaddll" if trace else "-all"}
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


def resource(executable, resource_type, resource_id):
    """The bytes of the resource `resource_type`/`resource_id` (its first language) in the Windows
    executable `executable`, read from the file's resource directory; None when it has none."""
    image = pathlib.Path(executable).read_bytes()
    header = struct.unpack_from("<I", image, 0x3C)[0]
    section_count, optional_size = struct.unpack_from("<H", image, header + 6)[0], struct.unpack_from("<H", image, header + 20)[0]
    optional = header + 24
    # The data directories follow 96 bytes of a 32-bit optional header, 112 of a 64-bit one.
    directories = optional + (96 if struct.unpack_from("<H", image, optional)[0] == 0x10B else 112)
    resources_address = struct.unpack_from("<I", image, directories + 2 * 8)[0]

    def file_offset(address):
        for i in range(section_count):
            size, start, _, raw = struct.unpack_from("<IIII", image, optional + optional_size + 40 * i + 8)
            if start <= address < start + size:
                return address - start + raw
        raise ValueError(f"address {address:#x} lies in no section of {executable}")

    base = file_offset(resources_address)

    def entry(directory, wanted):
        named, numbered = struct.unpack_from("<HH", image, base + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * i)
            if wanted is None or name == wanted:
                return target & 0x7FFFFFFF
        return None

    names = entry(0, resource_type)
    languages = names is not None and entry(names, resource_id)
    if not languages:
        return None
    address, size = struct.unpack_from("<II", image, base + entry(languages, None))
    return image[file_offset(address):file_offset(address) + size]


def locale_environment(locale, folder):
    """The environment under which Wine takes its code pages from the Unix locale `locale` (for example
    zh_CN.UTF-8), compiled into `folder` on first use; None when the machine cannot compile it (the
    Debian package `locales` holds the sources)."""
    folder = pathlib.Path(folder)
    if not (folder / locale).is_dir():
        folder.mkdir(parents=True, exist_ok=True)
        name, charset = locale.split(".")
        done = subprocess.run(["localedef", "-i", name, "-f", charset, str(folder / locale)], capture_output=True)
        if done.returncode != 0:
            return None
    return {"LOCPATH": str(folder), "LC_ALL": locale}
