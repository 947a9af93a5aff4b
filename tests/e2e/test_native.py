"""End-to-end tests of the Linux launcher against the installed OpenJDK 17: a copy of the launcher,
renamed, beside its configuration file, started as a user starts it."""

import os
import pathlib
import re
import shutil
import signal
import stat
import struct
import subprocess
import time
import unittest
import zlib

import e2e_support as e2e
from e2e_support import error_line, key_values

LAUNCHER = e2e.built_file("WEXAL_E2E_LAUNCHER", "build/native/wexal")
JAVA_HOME = e2e.java_home()
# Set when the launcher is built with the sanitizers, which then watch the VM's memory too.
SANITIZED = os.environ.get("WEXAL_E2E_SANITIZED") == "1"
MAIN_FAILED = "Error occured while calling main method in Java class app/Main"
BUILD = None


def release_version(java_home):
    """The JAVA_VERSION of the Java home's release file."""
    text = (pathlib.Path(java_home) / "release").read_text()
    return re.search(r'^JAVA_VERSION="([^"]+)"', text, re.MULTILINE).group(1)


def setUpModule():
    # One compilation of the probe program for the whole suite: javac takes two seconds a time.
    global BUILD
    BUILD = e2e.TempFolder()
    unittest.addModuleCleanup(BUILD.cleanup)
    e2e.compile_java(e2e.JAVA_SOURCES, BUILD.path / "classes")


class LauncherTestCase(unittest.TestCase):
    """Each test gets the launcher installed as <temp>/app/tool, a separate start-up folder
    <temp>/start, and the compiled probe program in `classes`."""

    def setUp(self):
        self.classes = BUILD.path / "classes"
        temp = e2e.TempFolder()
        self.addCleanup(temp.cleanup)
        self.temp = temp.path
        self.start_dir = self.temp / "start"
        self.start_dir.mkdir()
        self.app = e2e.InstalledLauncher(LAUNCHER, self.temp / "app", "tool")

    def probe_config(self, probe, *lines):
        """A configuration that runs the probe program `probe` on JDK 17, followed by `lines`."""
        return [f"wexal.java.home.path={JAVA_HOME}", "wexal.main.class=app.Main",
                f"-Djava.class.path={self.classes}", f"-Dprobe={probe}", *lines]

    def run_probe(self, probe, *lines, args=(), **options):
        self.app.configure(self.probe_config(probe, *lines))
        return self.app.run(*args, cwd=self.start_dir, **options)

    def assertSucceeded(self, run, stdout):
        self.assertEqual((run.returncode, run.stdout, run.stderr), (0, stdout, ""))

    def assertReported(self, run, message):
        self.assertEqual((run.returncode, run.stdout, run.stderr), (1, "", error_line(self.app.path, message)))


class ArgumentTest(LauncherTestCase):
    def test_command_line_arguments_come_before_configured_ones_and_empty_configured_ones_are_dropped(self):
        lines = ["wexal.main.argument=configured one", "wexal.main.argument=", "wexal.main.argument=configured two"]
        expected = ("count=7\narg=gr\\u00fc\\u00dfe\narg=\narg=\\u65e5\\u672c\\u8a9e text\narg=\\ud83d\\ude00\n"
                    "arg=-x=\"quoted\"\narg=configured one\narg=configured two\n")
        for locale in ("C", "C.UTF-8"):
            with self.subTest(locale=locale):
                run = self.run_probe("arguments", *lines, args=("grüße", "", "日本語 text", "😀", '-x="quoted"'),
                                     env={**os.environ, "LC_ALL": locale})
                self.assertSucceeded(run, expected)

    def test_main_receives_an_empty_array_without_arguments(self):
        self.assertSucceeded(self.run_probe("arguments", "wexal.main.argument="), "count=0\n")

    def test_empty_command_line_arguments_are_kept(self):
        self.assertSucceeded(self.run_probe("arguments", args=("", "a", "")), "count=3\narg=\narg=a\narg=\n")


class ProgramEndTest(LauncherTestCase):
    def test_system_exit_code_becomes_the_exit_code(self):
        run = self.run_probe("exit", args=("3",))
        self.assertEqual((run.returncode, run.stdout, run.stderr), (3, "", ""))

    def test_uncaught_exception_prints_its_trace_and_is_reported(self):
        run = self.run_probe("throw")
        lines = run.stderr.splitlines(keepends=True)
        self.assertEqual((run.returncode, run.stdout, len(lines)), (1, "", 3), run.stderr)
        self.assertEqual(lines[0], 'Exception in thread "main" java.lang.IllegalStateException: thrown by the probe\n')
        self.assertRegex(lines[1], r"^\tat app\.Main\.main\(Main\.java:\d+\)\n$")
        self.assertEqual(lines[2], error_line(self.app.path, MAIN_FAILED))

    def test_process_waits_for_non_daemon_threads_after_main_returns(self):
        self.assertSucceeded(self.run_probe("worker"), "main returns\nworker done\n")

    def test_thread_joining_the_main_thread_ends_once_main_returns(self):
        self.assertSucceeded(self.run_probe("join-main", timeout=30), "main returns\nmain has ended\n")


class VmOptionTest(LauncherTestCase):
    MIB = 1024 * 1024

    def assertMaxMemory(self, run, mebibytes):
        # The VM reports a little less than -Xmx with some collectors; never more.
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        max_memory = int(key_values(run.stdout)["maxMemory"])
        self.assertLessEqual(max_memory, mebibytes * self.MIB)
        self.assertGreater(max_memory, mebibytes * self.MIB * 0.85)

    def test_heap_lower_limit_sets_the_maximum_heap(self):
        self.assertMaxMemory(self.run_probe("facts", "wexal.memory.max.lower.limit=65536"), 64)

    def test_heap_upper_limit_caps_a_percentage_of_memory(self):
        run = self.run_probe("facts", "wexal.memory.max.total.percent=100", "wexal.memory.max.upper.limit=98304")
        self.assertMaxMemory(run, 96)

    def test_process_id_property_holds_the_process_id(self):
        self.app.configure(self.probe_config("facts", "wexal.sysprop.process.id=true"))
        process = self.app.start(cwd=self.start_dir)
        stdout, stderr = process.communicate(timeout=60)
        facts = key_values(e2e.decode(stdout))
        self.assertEqual((process.returncode, e2e.decode(stderr)), (0, ""))
        self.assertEqual((facts["pid"], facts["process.id"]), (str(process.pid), str(process.pid)))

    def test_process_id_property_is_absent_unless_configured(self):
        run = self.run_probe("facts")
        self.assertEqual(key_values(run.stdout)["process.id"], "null")

    def test_unrecognised_option_fails_vm_creation(self):
        run = self.run_probe("arguments", "-XXunknown")
        self.assertEqual((run.returncode, run.stdout), (1, ""))
        self.assertTrue(run.stderr.endswith(error_line(self.app.path, "Cannot create Java VM.")), run.stderr)

    def test_thread_stack_option_applies_to_the_main_method(self):
        self.assertSucceeded(self.run_probe("recursion", "-Xss256m", args=("1000000",)), "reached depth 1000000\n")

    def test_vm_judges_a_thread_stack_too_small_for_it(self):
        for option in ("-Xss1k", "-Xss40k", "-Xss100k"):
            with self.subTest(option=option):
                run = self.run_probe("arguments", option)
                # The VM writes its message to stdout.
                self.assertEqual((run.returncode, run.stderr), (1, error_line(self.app.path, "Cannot create Java VM.")))
                self.assertIn("The Java thread stack size specified is too small.", run.stdout)

    def test_thread_stack_too_large_for_a_thread_is_reported_by_its_option(self):
        for option in ("-Xss2000g", "-Xss18446744073709551615", "-Xss18014398509481983k"):
            with self.subTest(option=option):
                message = f"Cannot create the Java VM's main thread with the stack size {option}."
                self.assertReported(self.run_probe("arguments", option), message)

    def test_stack_overflow_in_main_can_be_caught_by_java_code(self):
        self.assertSucceeded(self.run_probe("recursion", args=("1000000",)), "caught StackOverflowError\n")


class ClassPathTest(LauncherTestCase):
    """The probe lives only in lib/app.jar; lib/ext/extra.jar holds a copy of it."""

    def setUp(self):
        super().setUp()
        e2e.make_jar(self.classes, self.app.folder / "lib" / "app.jar")
        e2e.make_jar(self.classes, self.app.folder / "lib" / "ext" / "extra.jar")
        (self.app.folder / "lib" / "notes.txt").write_text("not a jar")

    def class_path(self, *lines):
        self.app.configure([f"wexal.java.home.path={JAVA_HOME}", "wexal.main.class=app.Main",
                            "-Dprobe=properties", *lines, "wexal.main.argument=java.class.path"])
        run = self.app.run(cwd=self.start_dir)
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        return key_values(run.stdout)["java.class.path"]

    def test_jar_folder_adds_its_own_jars_only(self):
        self.assertEqual(self.class_path("wexal.classpath.jars.dir=lib"), "lib/app.jar")

    def test_recursive_jar_folder_adds_the_jars_of_subfolders_in_name_order(self):
        e2e.make_jar(self.classes, self.app.folder / "lib" / "B.jar")
        self.assertEqual(self.class_path("wexal.classpath.jars.dir.recursive=lib"), "lib/app.jar:lib/B.jar:lib/ext/extra.jar")

    def test_relative_jar_folder_is_found_from_another_working_folder(self):
        work = self.temp / "work"
        work.mkdir()
        lines = ["wexal.classpath.jars.dir=lib", f"wexal.working.dir={work}"]
        self.assertEqual(self.class_path(*lines), f"{self.app.folder}/lib/app.jar")

    def test_jar_folder_extends_a_configured_class_path_option(self):
        lines = ["-Djava.class.path=first.jar", "wexal.classpath.jars.dir=${SELF_HOME}/lib"]
        self.assertEqual(self.class_path(*lines), f"first.jar:{self.app.folder}/lib/app.jar")


class FolderTest(LauncherTestCase):
    def test_current_directory_is_the_launchers_folder_by_default(self):
        run = self.run_probe("facts")
        self.assertEqual((run.returncode, key_values(run.stdout)["cwd"]), (0, str(self.app.folder)))

    def test_working_dir_becomes_the_current_directory_and_user_dir(self):
        work = self.temp / "work"
        work.mkdir()
        run = self.run_probe("facts", f"wexal.working.dir={work}")
        facts = key_values(run.stdout)
        self.assertEqual((run.returncode, facts["cwd"], facts["user.dir"]), (0, str(work), str(work)))

    def test_relative_java_home_and_vm_library_are_found_from_another_working_folder(self):
        work = self.temp / "work"
        work.mkdir()
        (self.app.folder / "runtime").symlink_to(JAVA_HOME)
        for line in ("wexal.java.home.path=runtime", "wexal.jvm.path=runtime/lib/server/libjvm.so"):
            with self.subTest(line):
                self.app.configure(["wexal.main.class=app.Main", f"-Djava.class.path={self.classes}", "-Dprobe=facts",
                                    line, f"wexal.working.dir={work}"])
                run = self.app.run(cwd=self.start_dir)
                self.assertEqual((run.returncode, run.stderr, key_values(run.stdout)["cwd"]), (0, "", str(work)))

    def test_missing_working_dir_is_reported(self):
        run = self.run_probe("facts", "wexal.working.dir=missing")
        self.assertReported(run, "Could not change directory to missing")

    def test_caller_dir_is_the_start_up_folder(self):
        run = self.run_probe("properties", "-Dcaller=${CALLER_DIR}", "wexal.main.argument=caller")
        self.assertSucceeded(run, f"caller={self.start_dir}\n")

    def test_launcher_in_a_bin_folder_has_the_folder_above_as_home(self):
        self.app = e2e.InstalledLauncher(LAUNCHER, self.temp / "product" / "bin", "tool")
        e2e.make_jar(self.classes, self.temp / "product" / "lib" / "app.jar")
        self.app.configure([f"wexal.java.home.path={JAVA_HOME}", "wexal.main.class=app.Main",
                            "wexal.classpath.jars.dir=${SELF_HOME}/lib", "-Dprobe=properties",
                            "-Dhome=${SELF_HOME}", "wexal.main.argument=home"])
        self.assertSucceeded(self.app.run(cwd=self.start_dir), f"home={self.temp / 'product'}\n")


class DebugFileTest(LauncherTestCase):
    def test_debug_file_records_the_chosen_vm_and_the_configuration(self):
        self.app.configure([f"wexal.java.home.path={JAVA_HOME}", "wexal.main.class=app.Main",
                            "wexal.debug.file=debug.txt", f"-Djava.class.path={self.classes}",
                            "-Dprobe=arguments", "wexal.main.argument=configured"])
        self.assertSucceeded(self.app.run("first", cwd=self.start_dir), "count=2\narg=first\narg=configured\n")
        chosen = (f"The chosen JVM: m_jvmPath={JAVA_HOME}/lib/server/libjvm.so,m_javaBundle=,m_binJvmDir=,"
                  f"m_comparableVersion=,m_javaHomePath={JAVA_HOME},m_version=,m_jrePath=,m_acceptable=true")
        properties = (f"The properties chosen: m_fullPathAndNameOfExe={self.app.path},"
                      f"m_selfHomePath={self.app.folder},m_customJavaHomePath={JAVA_HOME},m_customBinJvmDir=,"
                      "m_mainClass=app.Main,m_customJvmPath=,m_minJavaVersion=,m_maxJavaVersion=,"
                      "m_trapConsoleCtrl=,m_jarsInClasspath=,m_libraryPath=,m_debugFile=debug.txt,"
                      f"m_callerDir={self.start_dir},m_exeBitness=64,m_operatingSystemBitness=64,"
                      f"m_javaSystemProperties[0]=-Djava.class.path={self.classes},"
                      "m_javaSystemProperties[1]=-Dprobe=arguments,m_commandLineArguments[0]=first,"
                      + "".join(f"m_commandLineArguments[{i}]=," for i in range(1, 7))
                      + "m_commandLineArguments[7]=configured")
        debug = (self.app.folder / "debug.txt").read_text()
        self.assertEqual(debug, f"{chosen}\n{properties}\n")


class ConfigurationFileTest(LauncherTestCase):
    def test_missing_configuration_file_is_reported(self):
        run = self.app.run(cwd=self.start_dir)
        self.assertReported(run, f"Could not open file {self.app.folder}/tool.lap")

    def test_crlf_line_ends_and_continuation_lines_are_read(self):
        self.app.configure([f"wexal.java.home.path={JAVA_HOME}", "wexal.main.class=app.^", "  Main",
                            f"-Djava.class.path={self.classes}", "-Dprobe=arguments",
                            "wexal.main.argument=one ^", "# a comment between the pieces", "", "two",
                            "wexal.main.argument=three"], line_end="\r\n")
        self.assertSucceeded(self.app.run(cwd=self.start_dir), "count=2\narg=onetwo\narg=three\n")


class ErrorReportTest(LauncherTestCase):
    SERVICE_REFUSED = "Use the WexalConsole32.exe or WexalConsole64.exe for Windows services."

    def test_service_name_is_refused_before_the_vm_starts(self):
        self.assertReported(self.run_probe("arguments", "wexal.service.name=tool"), self.SERVICE_REFUSED)

    def test_detail_off_shows_the_default_text_alone(self):
        run = self.run_probe("arguments", "wexal.error.show.detail=no", "wexal.service.name=tool")
        self.assertEqual((run.returncode, run.stdout, run.stderr),
                         (1, "", f"{self.app.path}: Error in Java launcher.\n"))

    def test_configured_default_text_replaces_the_built_in_one(self):
        run = self.run_probe("arguments", "wexal.error.default.text=Tool could not start.", "wexal.service.name=tool")
        self.assertEqual((run.returncode, run.stdout, run.stderr),
                         (1, "", error_line(self.app.path, self.SERVICE_REFUSED, "Tool could not start.")))


class InstalledVmTest(LauncherTestCase):
    """The VM chosen among the Java installations of /usr/lib/jvm, which may hold newer ones."""

    def test_maximum_version_chooses_java_17(self):
        self.app.configure(["wexal.max.java.version=17.99", "wexal.main.class=app.Main",
                            "wexal.debug.file=debug.txt", f"-Djava.class.path={self.classes}", "-Dprobe=properties",
                            "wexal.main.argument=java.home"])
        run = self.app.run(cwd=self.start_dir)
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        chosen = (self.app.folder / "debug.txt").read_text().splitlines()[0]
        fields = dict(field.split("=", 1) for field in chosen.removeprefix("The chosen JVM: ").split(","))
        self.assertEqual(os.path.realpath(fields["m_javaHomePath"]), os.path.realpath(JAVA_HOME))
        self.assertTrue(fields["m_version"].startswith("17."), chosen)
        self.assertEqual(os.path.realpath(key_values(run.stdout)["java.home"]), os.path.realpath(JAVA_HOME))

    def test_no_installation_meets_the_minimum_version_and_each_says_why(self):
        self.app.configure(["wexal.min.java.version=99", "wexal.main.class=app.Main", "wexal.debug.file=debug.txt"])
        run = self.app.run(cwd=self.start_dir)
        self.assertEqual((run.returncode, run.stdout), (1, ""))
        first, blank, *refusals = run.stderr.splitlines()
        self.assertEqual((first, blank), (error_line(self.app.path, "No acceptable JVMs were found.").rstrip("\n"), ""))
        version = release_version(JAVA_HOME)
        self.assertIn(f"{JAVA_HOME}: {version}, 64-bit, JDK: below the minimum version 99", refusals)
        self.assertEqual((self.app.folder / "debug.txt").read_text().splitlines(),
                         [f"JVM candidate: {refusal}" for refusal in refusals])

    def test_java_home_variable_and_the_jdk_folder_both_find_the_newest_jdk(self):
        """JAVA_HOME names the JDK 17 of /usr/lib/jvm, which is listed once; the newest Java wins."""
        newest = max((home for home in pathlib.Path("/usr/lib/jvm").iterdir()
                      if (home / "release").is_file() and not home.is_symlink()),
                     key=lambda home: [int(part) for part in re.findall(r"\d+", release_version(home))[:3]])
        self.app.configure(["wexal.main.class=app.Main", "wexal.debug.file=debug.txt",
                            f"-Djava.class.path={self.classes}", "-Dprobe=properties", "wexal.main.argument=java.home"])
        run = self.app.run(cwd=self.start_dir, env={**os.environ, "JAVA_HOME": str(JAVA_HOME)})
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertEqual(os.path.realpath(key_values(run.stdout)["java.home"]), os.path.realpath(newest))
        candidates = (self.app.folder / "debug.txt").read_text().splitlines()[2:]
        self.assertIn(f"JVM candidate: {newest}: {release_version(newest)}, 64-bit, JDK: chosen", candidates)
        self.assertEqual([line for line in candidates if str(JAVA_HOME) in line],
                         [f"JVM candidate: {JAVA_HOME}: {release_version(JAVA_HOME)}, 64-bit, JDK: acceptable"])

    def test_damaged_library_on_a_quoted_java_home_is_passed_over_for_the_installed_jdks(self):
        """JAVA_HOME, quoted as scripts write it, names a Java whose VM library is a 64-byte stub
        whose PE header offset points past its end: that one candidate is refused, and the newest
        installed JDK starts the program."""
        stub = self.temp / "stub-java"
        (stub / "lib/server").mkdir(parents=True)
        (stub / "release").write_text('JAVA_VERSION="99"\n')
        (stub / "lib/server/libjvm.so").write_bytes(b"MZ" + bytes(58) + struct.pack("<I", 0x7F80))
        self.app.configure(["wexal.main.class=app.Main", "wexal.debug.file=debug.txt",
                            f"-Djava.class.path={self.classes}", "-Dprobe=properties", "wexal.main.argument=java.vm.version"])
        run = self.app.run(cwd=self.start_dir, env={**os.environ, "JAVA_HOME": f'"{stub}"'})
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        candidates = (self.app.folder / "debug.txt").read_text().splitlines()
        self.assertIn(f"JVM candidate: {stub}: 99, JRE: VM library damaged or unreadable", candidates)
        self.assertTrue(any(line.endswith(", JDK: chosen") for line in candidates), candidates)


class ConsoleTrapTest(LauncherTestCase):
    def start_trapped(self, probe, ignored_signal=None):
        """Starts `probe` with the trap on, `ignored_signal` ignored as nohup does, and waits for its
        "ready"."""
        self.app.configure(self.probe_config(probe, "wexal.trap.console.ctrl=true"))
        ignore = ignored_signal and (lambda: signal.signal(ignored_signal, signal.SIG_IGN))
        process = subprocess.Popen(self.app.command([]), cwd=self.start_dir, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, preexec_fn=ignore)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process, e2e.read_until(process, "ready")

    def test_interrupt_calls_initiate_exit_and_the_program_goes_on(self):
        process, stdout = self.start_trapped("trap")
        process.send_signal(signal.SIGINT)
        rest, stderr = process.communicate(timeout=30)
        self.assertEqual((process.returncode, stdout + e2e.decode(rest), e2e.decode(stderr)),
                         (0, "ready\ninitiateExit(0)\nmain goes on\n", ""))

    def test_system_exit_with_the_trap_on_keeps_the_programs_exit_code(self):
        run = self.run_probe("exit", "wexal.trap.console.ctrl=true", args=("3",))
        self.assertEqual((run.returncode, run.stdout, run.stderr), (3, "", ""))

    def test_termination_and_hang_up_call_initiate_exit_and_the_program_ends_by_itself(self):
        for sent in (signal.SIGTERM, signal.SIGHUP):
            with self.subTest(signal=sent.name):
                process, stdout = self.start_trapped("trap")
                process.send_signal(sent)
                rest, stderr = process.communicate(timeout=30)
                self.assertEqual((process.returncode, stdout + e2e.decode(rest), e2e.decode(stderr)),
                                 (0, "ready\ninitiateExit(0)\nmain goes on\n", ""))

    def test_second_termination_or_hang_up_ends_the_process_by_the_signal(self):
        for first, second in ((signal.SIGTERM, signal.SIGTERM), (signal.SIGHUP, signal.SIGTERM),
                              (signal.SIGTERM, signal.SIGHUP)):
            with self.subTest(first=first.name, second=second.name):
                process, stdout = self.start_trapped("trap-hold")
                process.send_signal(first)
                stdout += e2e.read_until(process, "initiateExit(0)")
                process.send_signal(second)
                rest, stderr = process.communicate(timeout=30)
                self.assertEqual((process.returncode, stdout + e2e.decode(rest), e2e.decode(stderr)),
                                 (-second, "ready\ninitiateExit(0)\n", ""))

    def test_signal_ignored_at_start_stays_ignored(self):
        for ignored in (signal.SIGHUP, signal.SIGTERM):
            with self.subTest(signal=ignored.name):
                process, stdout = self.start_trapped("trap", ignored_signal=ignored)
                process.send_signal(ignored)
                process.send_signal(signal.SIGINT)
                rest, stderr = process.communicate(timeout=30)
                self.assertEqual((process.returncode, stdout + e2e.decode(rest), e2e.decode(stderr)),
                                 (0, "ready\ninitiateExit(0)\nmain goes on\n", ""))


class SplashScreenTest(LauncherTestCase):
    """The splash screen shown for real, on a virtual X display."""

    def setUp(self):
        if shutil.which("Xvfb") is None:
            self.skipTest("Xvfb is not installed (Debian package xvfb)")
        super().setUp()
        self.display = self.start_virtual_display()

    def start_virtual_display(self):
        """Starts Xvfb on a free display, stopped again at the test's end; returns the display name."""
        read_end, write_end = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24",
                                   "-nolisten", "tcp"], pass_fds=(write_end,),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.addCleanup(server.wait)
        self.addCleanup(server.terminate)
        with os.fdopen(read_end) as display_number:
            return ":" + display_number.readline().strip()

    def test_splash_shows_while_the_program_starts(self):
        write_png(self.app.folder / "splash.png", 64, 32)
        run = self.run_probe("splash", "wexal.splash=splash.png", env={**os.environ, "DISPLAY": self.display})
        self.assertSucceeded(run, "splash=true\n")


def write_png(path, width, height):
    """Writes a plain orange picture of `width` x `height` pixels as a PNG file."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + b"\xff\x80\x00" * width for _ in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
                     + chunk(b"IEND", b""))


class StartupCacheTest(LauncherTestCase):
    """The class-data cache on each Java of the machine: the program's output stays that of a run
    without it, whatever happens to the cache."""

    JAVA_VERSIONS = (17, 25)

    def setUp(self):
        super().setUp()
        self.jar_classes = self.temp / "jar-classes"
        shutil.copytree(self.classes, self.jar_classes)
        self.jar = self.temp / "lib" / "app.jar"
        e2e.make_jar(self.jar_classes, self.jar)

    def for_each_java(self, check):
        """Calls check(version, Java home, launcher installed for it) in a subtest per version; a
        version the machine lacks is skipped with a message."""
        for version in self.JAVA_VERSIONS:
            with self.subTest(java=version):
                home = e2e.installed_jdk(version)
                if home is None:
                    self.skipTest(f"no Java {version} in /usr/lib/jvm")
                if version >= 25 and SANITIZED:
                    self.skipTest(f"Java {version}'s archive writer reads past its own allocations, which the "
                                  "sanitizers report as a fault of the process")
                check(version, home, e2e.InstalledLauncher(LAUNCHER, self.temp / f"java{version}", "tool"))

    def cache_config(self, app, home, *lines):
        app.configure([f"wexal.java.home.path={home}", "wexal.main.class=app.Main", f"-Djava.class.path={self.jar}",
                       "-Dprobe=arguments", "wexal.startup.cache=true", "wexal.debug.file=debug.txt", *lines])

    def run_logged(self, app, *args, env=None, **options):
        """Runs `app` with a fresh debug file, the user's cache folder in the test's folder and the
        environment `env` added; returns the run and the debug file's text."""
        (app.folder / "debug.txt").unlink(missing_ok=True)
        env = {**os.environ, "XDG_CACHE_HOME": str(self.temp / "user"), **(env or {})}
        run = app.run(*args, cwd=self.start_dir, env=env, **options)
        return run, (app.folder / "debug.txt").read_text(errors="replace")

    @staticmethod
    def cache_files(folder):
        return sorted(path.name for path in folder.iterdir()) if folder.is_dir() else []

    def test_first_run_writes_the_archive_and_the_second_maps_it(self):
        def check(version, home, app):
            self.cache_config(app, home)
            run, debug = self.run_logged(app, "one")
            self.assertSucceeded(run, "count=1\narg=one\n")
            [archive] = self.cache_files(app.folder / "tool.cache")
            self.assertRegex(archive, r"^tool-[0-9a-f]{16}\.jsa$")
            self.assertIn(f"The startup cache: dynamic class-data archive {app.folder}/tool.cache/{archive}, written at exit\n", debug)
            run, debug = self.run_logged(app, "two")
            self.assertSucceeded(run, "count=1\narg=two\n")
            self.assertIn(f"The startup cache: dynamic class-data archive {app.folder}/tool.cache/{archive}, read\n", debug)
            self.assertRegex(debug, r"\[info\]\[cds\] Mapped dynamic region #0")
            self.assertEqual(self.cache_files(app.folder / "tool.cache"), [archive])

        self.for_each_java(check)

    def test_archive_is_published_when_the_program_ends_by_system_exit(self):
        def check(_version, home, app):
            self.cache_config(app, home, "-Dprobe=exit")
            self.assertEqual(app.run("3", cwd=self.start_dir).returncode, 3)
            self.assertRegex(" ".join(self.cache_files(app.folder / "tool.cache")), r"^tool-[0-9a-f]{16}\.jsa$")

        self.for_each_java(check)

    def test_changed_jar_gets_a_new_archive_and_only_the_latest_other_one_stays(self):
        def check(version, home, app):
            self.cache_config(app, home)
            self.assertSucceeded(app.run(cwd=self.start_dir), "count=0\n")
            before = self.cache_files(app.folder / "tool.cache")
            (self.jar_classes / f"extra-{version}.txt").write_text("a change of the jar")
            e2e.make_jar(self.jar_classes, self.jar)
            run, debug = self.run_logged(app)
            self.assertSucceeded(run, "count=0\n")
            after = self.cache_files(app.folder / "tool.cache")
            self.assertEqual(len(after), 2)
            self.assertIn(before[0], after)
            self.assertNotIn("Mapped dynamic region", debug)
            (self.jar_classes / f"extra-{version}.txt").write_text("a second change of the jar")
            e2e.make_jar(self.jar_classes, self.jar)
            self.assertSucceeded(app.run(cwd=self.start_dir), "count=0\n")
            latest = self.cache_files(app.folder / "tool.cache")
            self.assertEqual(len(latest), 2)
            self.assertNotIn(before[0], latest)

        self.for_each_java(check)

    def test_damaged_archive_is_written_anew_and_unpublished_leftovers_go(self):
        def check(_version, home, app):
            self.cache_config(app, home)
            self.assertSucceeded(app.run(cwd=self.start_dir), "count=0\n")
            [archive] = (app.folder / "tool.cache").iterdir()
            archive.chmod(0o644)
            archive.write_bytes(b"not an archive" * 1000)
            leftover = archive.with_name(archive.stem + ".0123456789abcdef.jsa.part")
            leftover.write_bytes(b"written by a start that never published it")
            os.utime(leftover, (time.time() - 7200, time.time() - 7200))
            self.assertSucceeded(app.run("x", cwd=self.start_dir), "count=1\narg=x\n")
            self.assertEqual(archive.read_bytes()[:4], b"\xa8\xab\x0b\xf0")
            self.assertEqual(self.cache_files(archive.parent), [archive.name])

        self.for_each_java(check)

    def test_two_launches_at_once_both_succeed_and_leave_one_archive(self):
        def check(_version, home, app):
            self.cache_config(app, home, "wexal.debug.file=")
            processes = [app.start(str(i), cwd=self.start_dir) for i in range(2)]
            for i, process in enumerate(processes):
                stdout, stderr = process.communicate(timeout=120)
                self.assertEqual((process.returncode, stdout, stderr), (0, f"count=1\narg={i}\n".encode(), b""))
            self.assertRegex(" ".join(self.cache_files(app.folder / "tool.cache")), r"^tool-[0-9a-f]{16}\.jsa$")

        self.for_each_java(check)

    def test_cache_folder_that_cannot_be_used_leaves_the_program_as_without_cache(self):
        blocker = self.temp / "blocker"
        blocker.write_text("a file where the cache folders' parent should be")
        cases = [(blocker / "cache", "no private cache folder"),
                 (self.temp / "a:b", "the cache's path holds the path list separator")]
        for folder, reason in cases:
            with self.subTest(folder=folder):
                self.cache_config(self.app, e2e.installed_jdk(17), f"wexal.startup.cache.dir={folder}")
                run, debug = self.run_logged(self.app, "one", env={"XDG_CACHE_HOME": str(blocker / "user")})
                self.assertSucceeded(run, "count=1\narg=one\n")
                self.assertIn(f"The startup cache: off, {reason}\n", debug)

    def test_unwritable_folder_beside_the_configuration_falls_back_to_the_users_cache(self):
        home = e2e.installed_jdk(17)
        (self.app.folder / "tool.cache").write_text("a file where the cache folder should be")
        self.cache_config(self.app, home)
        run = self.app.run(cwd=self.start_dir, env={**os.environ, "XDG_CACHE_HOME": str(self.temp / "user")})
        self.assertSucceeded(run, "count=0\n")
        self.assertRegex(" ".join(self.cache_files(self.temp / "user" / "tool")), r"^tool-[0-9a-f]{16}\.jsa$")

    def test_folder_that_others_could_change_is_passed_over_for_the_users_own(self):
        """Nothing is read from or written to a cache folder that another account could fill."""
        home, folder = e2e.installed_jdk(17), self.app.folder / "tool.cache"
        elsewhere = self.temp / "elsewhere"

        def writable_by_all():
            folder.mkdir(mode=0o777)
            folder.chmod(0o777)

        def owned_by_another():
            folder.mkdir(mode=0o700)
            os.chown(folder, 65534, 65534)

        def planted_link():
            elsewhere.mkdir(mode=0o700)
            folder.symlink_to(elsewhere)

        def parent_writable_by_all():
            self.app.folder.chmod(0o777)

        cases = [(writable_by_all, f"{folder}, other accounts can write to it"),
                 (owned_by_another, f"{folder}, another account owns it"),
                 (planted_link, f"{folder}, it is a symbolic link"),
                 (parent_writable_by_all, f"{folder}, it cannot be created, or only in a folder that other accounts can change")]
        for plant, reason in cases:
            with self.subTest(reason=reason):
                plant()
                self.cache_config(self.app, home)
                for _ in range(2):
                    run, debug = self.run_logged(self.app, "x")
                    self.assertSucceeded(run, "count=1\narg=x\n")
                self.assertIn(f"The startup cache: not in {reason}\n", debug)
                self.assertIn("Mapped dynamic region", debug)
                self.assertEqual(self.cache_files(folder) + self.cache_files(elsewhere), [])
                self.assertEqual(folder.exists(), plant is not parent_writable_by_all)
                user = self.temp / "user" / "tool"
                self.assertEqual(stat.S_IMODE(user.stat().st_mode), 0o700)
                self.assertRegex(" ".join(self.cache_files(user)), r"^tool-[0-9a-f]{16}\.jsa$")
                self.app.folder.chmod(0o700)
                shutil.rmtree(user)
                shutil.rmtree(elsewhere, ignore_errors=True)
                folder.rmdir() if folder.is_dir() and not folder.is_symlink() else folder.unlink(missing_ok=True)

    def test_options_that_take_the_base_archive_away_turn_the_cache_off_and_the_program_runs(self):
        def check(_version, home, app):
            cases = [({"JAVA_TOOL_OPTIONS": "-Xshare:off"}, [],
                      "JAVA_TOOL_OPTIONS or _JAVA_OPTIONS choose their own class-data sharing"),
                     ({"_JAVA_OPTIONS": "-XX:-UseCompressedClassPointers"}, [],
                      "-XX:-UseCompressedClassPointers leaves the VM without a base archive"),
                     ({}, ["-XX:-UseCompressedClassPointers"],
                      "-XX:-UseCompressedClassPointers leaves the VM without a base archive")]
            for env, lines, reason in cases:
                self.cache_config(app, home, *lines)
                for _ in range(2):
                    run, debug = self.run_logged(app, "x", env=env)
                    # Java 25 itself warns on standard output when it runs without its base archive.
                    self.assertEqual((run.returncode, run.stdout[-14:]), (0, "count=1\narg=x\n"), run.stderr)
                    self.assertIn(f"The startup cache: off, {reason}\n", debug)
                self.assertEqual(self.cache_files(app.folder / "tool.cache"), [])

        self.for_each_java(check)

    def test_heap_beyond_compressed_pointers_gets_an_archive_of_its_own(self):
        """Each side of the compressed pointers' limit keeps its archive, so switching heaps rewrites none."""
        def check(_version, home, app):
            for round_index, heap in enumerate(("-Xmx40g", "-Xmx64m", "-Xmx40g", "-Xmx64m")):
                self.cache_config(app, home, heap)
                for start in range(2):
                    run, debug = self.run_logged(app)
                    self.assertSucceeded(run, "count=0\n")
                    self.assertEqual("Mapped dynamic region" in debug, start == 1 or round_index >= 2, heap)
            self.assertEqual(len(self.cache_files(app.folder / "tool.cache")), 2)

        self.for_each_java(check)

    def test_archive_the_vm_does_not_map_is_written_anew(self):
        """Each Java finds the other's archive under its configuration's name: it has the magic of an
        archive, but no VM maps it."""
        homes = {version: e2e.installed_jdk(version) for version in self.JAVA_VERSIONS}
        if None in homes.values() or SANITIZED:
            self.skipTest("needs Java 17 and 25 and no sanitizers")
        apps = {version: e2e.InstalledLauncher(LAUNCHER, self.temp / f"java{version}", "tool") for version in homes}
        archives = {}
        for version, app in apps.items():
            self.cache_config(app, homes[version])
            self.assertSucceeded(app.run(cwd=self.start_dir), "count=0\n")
            [archives[version]] = (app.folder / "tool.cache").iterdir()
        contents = {version: archive.read_bytes() for version, archive in archives.items()}
        for version, archive in archives.items():
            archive.chmod(0o644)
            archive.write_bytes(contents[17 if version == 25 else 25])
        for version, app in apps.items():
            for start in range(3):
                run, debug = self.run_logged(app)
                self.assertSucceeded(run, "count=0\n")
                self.assertEqual("Mapped dynamic region" in debug, start == 2, (version, start))

    def test_ahead_of_time_cache_is_recorded_assembled_apart_and_mapped_later(self):
        home = e2e.installed_jdk(25)
        if home is None or SANITIZED:
            self.skipTest("needs Java 25 and no sanitizers")
        app, cache = self.app, self.app.folder / "tool.cache"
        self.cache_config(app, home, "wexal.startup.cache=aot")
        run, debug = self.run_logged(app, "one")
        self.assertSucceeded(run, "count=1\narg=one\n")
        self.assertRegex(debug, r"The startup cache: ahead-of-time cache .*/tool-[0-9a-f]{16}\.aot, recorded now and "
                                r"assembled after the program ends\n")
        [output] = cache.glob("*.aot.log")
        deadline = time.monotonic() + 120
        while "AOTCache creation is complete" not in output.read_text() and time.monotonic() < deadline:
            time.sleep(0.5)
        for start in range(2):
            run, debug = self.run_logged(app, "two")
            self.assertSucceeded(run, "count=1\narg=two\n")
            self.assertRegex(debug, r"The startup cache: ahead-of-time cache .*/tool-[0-9a-f]{16}\.aot, read\n")
            self.assertIn("Mapped static ", debug)
        self.assertRegex(" ".join(self.cache_files(cache)), r"^tool-[0-9a-f]{16}\.aot$")
        self.cache_config(app, e2e.installed_jdk(17), "wexal.startup.cache=aot")
        run, debug = self.run_logged(app, "three")
        self.assertSucceeded(run, "count=1\narg=three\n")
        self.assertIn("The startup cache: dynamic class-data archive", debug)

    def test_disk_that_fills_during_the_run_keeps_the_programs_exit_code(self):
        disk = self.temp / "disk"
        disk.mkdir()
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=300m", "tmpfs", str(disk)], capture_output=True).returncode:
            self.skipTest("this machine lets the test mount no small file system of its own")
        self.addCleanup(subprocess.run, ["umount", str(disk)], check=True)

        def check(version, home, app):
            for kind in ["true", "aot"] if version >= 25 else ["true"]:
                with self.subTest(kind=kind):
                    for item in disk.iterdir():
                        shutil.rmtree(item) if item.is_dir() else item.unlink()
                    self.cache_config(app, home, "-Dprobe=fill", f"wexal.startup.cache={kind}",
                                      f"wexal.startup.cache.dir={disk / 'cache'}")
                    run = app.run(str(disk / "filler"), cwd=self.start_dir)
                    self.assertEqual(run.returncode, 0, run.stderr)
                    self.assertIn("full\n", run.stdout)
                    self.assertEqual(self.cache_files(disk / "cache"), [])

        self.for_each_java(check)

    def test_vm_that_fails_to_start_with_the_cache_runs_the_launch_again_without_it(self):
        """An options file the launcher does not read switches sharing off: Java 17 then ends during
        its creation, because of the cache's options."""
        options_file = self.temp / "options.txt"
        options_file.write_text("-Xshare:off\n")
        self.cache_config(self.app, e2e.installed_jdk(17), f"-XX:VMOptionsFile={options_file}", "-Dprobe=exit")
        run, debug = self.run_logged(self.app, "7")
        self.assertEqual(run.returncode, 7, run.stderr)
        self.assertRegex(debug, "The startup cache: the VM failed to start with it; the launch runs again without it\n"
                                "(.*\n)*The startup cache: off, the VM failed to start with it before, with this "
                                "configuration and VM\n")
        run, debug = self.run_logged(self.app, "7")
        self.assertEqual((run.returncode, run.stdout), (7, ""), run.stderr)
        self.assertNotIn("runs again", debug)

    def test_own_class_sharing_option_or_a_class_folder_turns_the_cache_off(self):
        cases = [(["-Xshare:off"], "the VM options choose their own class-data sharing"),
                 (["-XX:SharedArchiveFile=mine.jsa"], "the VM options choose their own class-data sharing"),
                 ([f"-Djava.class.path={self.classes}"],
                  "a folder of the class path holds files, and the VM archives jar files only")]
        for lines, reason in cases:
            with self.subTest(lines=lines):
                self.cache_config(self.app, e2e.installed_jdk(17), *lines)
                run, debug = self.run_logged(self.app, "x")
                self.assertSucceeded(run, "count=1\narg=x\n")
                self.assertIn(f"The startup cache: off, {reason}\n", debug)
                self.assertFalse((self.app.folder / "tool.cache").exists())


class HelloExampleTest(unittest.TestCase):
    """The example application as its folder describes it: hello beside hello.lap and lib/hello.jar."""

    def test_hello_greets_with_its_arguments(self):
        temp = e2e.TempFolder()
        self.addCleanup(temp.cleanup)
        example = e2e.REPOSITORY / "examples" / "hello"
        e2e.compile_java(example, temp.path / "classes")
        app = e2e.InstalledLauncher(LAUNCHER, temp.path / "hello", "hello")
        e2e.make_jar(temp.path / "classes", app.folder / "lib" / "hello.jar")
        shutil.copy(example / "hello.lap", app.config_path)
        run = app.run("Ada", "Lovelace", cwd=temp.path)
        greeting = "Hello from Wexal!\nargument 1: Ada\nargument 2: Lovelace\nargument 3: from hello.lap\n"
        self.assertEqual((run.returncode, run.stdout, run.stderr), (0, greeting, ""))


if __name__ == "__main__":
    unittest.main()
