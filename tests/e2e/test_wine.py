"""End-to-end tests of the Windows launcher under Wine: a copy of it, renamed tool.exe, beside
tool.lap, choosing among fake Java homes from the registry and launching the test double of
jvm.dll, which records what it receives in a log."""

import os
import pathlib
import re
import shutil
import time
import unittest

import e2e_support as e2e
import wine_support
from wine_support import MB_ICONWARNING, windows_path

BITS = int(os.environ.get("WEXAL_E2E_BITS", "32"))
LAUNCHER = e2e.built_file("WEXAL_E2E_LAUNCHER", f"build/win{BITS}/wexal.exe")
CONSOLE_LAUNCHER = e2e.built_file("WEXAL_E2E_CONSOLE_LAUNCHER", f"build/win{BITS}/WexalConsole{BITS}.exe")
FAKES = {
    "jvm.dll": e2e.built_file("WEXAL_E2E_FAKE_JVM", f"build/win{BITS}/fake-java-home/bin/server/jvm.dll"),
    "splashscreen.dll": e2e.built_file("WEXAL_E2E_FAKE_SPLASH", f"build/win{BITS}/fake-java-home/bin/splashscreen.dll"),
    "msvcr71.dll": e2e.built_file("WEXAL_E2E_FAKE_MSVCR71", f"build/win{BITS}/fake-java-home/bin/msvcr71.dll"),
    "msvcr100.dll": e2e.built_file("WEXAL_E2E_FAKE_MSVCR100", f"build/win{BITS}/fake-java-home/bin/msvcr100.dll"),
}
PREFIX = wine_support.WinePrefix(os.environ.get("WEXAL_E2E_WINEPREFIX") or f"/tmp/wexal-e2e-wine-win{BITS}", BITS)

JRE = "Java Runtime Environment"
JDK = "Java Development Kit"
MAIN_SIGNATURE = "([Ljava/lang/String;)V"


def setUpModule():
    PREFIX.start()


def tearDownModule():
    PREFIX.stop()


def jvm_record(home, bundle, vm_type, version, comparable):
    """The debug text of a registry candidate installed at `home`."""
    jre_path = windows_path(home) + ("\\bin\\" if bundle == "jre" else "\\jre\\bin\\")
    return (f"m_jvmPath={jre_path}{vm_type}\\jvm.dll,m_javaBundle={bundle},m_binJvmDir={vm_type},"
            f"m_comparableVersion={comparable},m_javaHomePath={windows_path(home)},m_version={version},"
            f"m_jrePath={jre_path},m_acceptable=true")


class WineTestCase(unittest.TestCase):
    """Fake Java homes below a class folder, registered as INSTALLATIONS in the launcher's registry
    view; each test gets tool.exe in <temp>/app, a start-up folder <temp>/start and a log file."""

    # (registry key, version, home folder name, files of the home holding a copy of the fake)
    INSTALLATIONS = []

    @classmethod
    def setUpClass(cls):
        homes_folder = e2e.TempFolder()
        cls.addClassCleanup(homes_folder.cleanup)
        cls.homes = {}
        for key, version, name, files in cls.INSTALLATIONS:
            cls.homes[name] = homes_folder.path / name
            for file in files:
                target = cls.homes[name] / file
                target.parent.mkdir(parents=True, exist_ok=True)
                shutil.copy(FAKES[target.name], target)
        PREFIX.seed_registry([(key, version, cls.homes[name]) for key, version, name, _ in cls.INSTALLATIONS])

    def setUp(self):
        temp = e2e.TempFolder()
        self.addCleanup(temp.cleanup)
        self.temp = temp.path
        self.start_dir = self.temp / "start"
        self.start_dir.mkdir()
        self.log = self.temp / "fakejvm.log"
        self.app = e2e.InstalledLauncher(LAUNCHER, self.temp / "app", "tool.exe")

    def launch(self, lines, args=(), failures=""):
        """Writes tool.lap from `lines` and runs tool.exe from the start-up folder; returns the run and
        the fake VM's log lines."""
        self.app.configure(lines, line_end="\r\n")
        if self.log.exists():
            self.log.unlink()
        run = PREFIX.run(self.app.path, args, cwd=self.start_dir,
                         environment={"WEXAL_FAKE_JVM_LOG": str(self.log), "WEXAL_FAKE_JVM_FAIL": failures})
        log = self.log.read_text(encoding="utf-8").splitlines() if self.log.exists() else []
        return run, log

    def assertReported(self, run, message):
        """The run ended with exit code 1 after one warning box with `message` under the exe's path."""
        self.assertEqual((run.returncode, wine_support.message_boxes(run.stderr)),
                         (1, [(f"Error in Java launcher. {message}", windows_path(self.app.path), MB_ICONWARNING)]),
                         run.stderr)

    def assertNoReport(self, run):
        self.assertEqual((run.returncode, wine_support.message_boxes(run.stderr)), (0, []), run.stderr)

    def chosen_jvm(self):
        """The first line of the debug file debug.txt in the launcher's folder, without its label."""
        first = (self.app.folder / "debug.txt").read_bytes().decode("latin-1").split("\r\n")[0]
        return first.removeprefix("The chosen JVM: ")


class RegistrySelectionTest(WineTestCase):
    INSTALLATIONS = [
        (JRE, "1.8.0_151", "jre151", ["bin/client/jvm.dll", "bin/server/jvm.dll"]),
        (JRE, "1.8.0_144", "jre144", ["bin/client/jvm.dll"]),
        (JDK, "1.8.0_161", "jdk161", ["jre/bin/client/jvm.dll", "jre/bin/server/jvm.dll"]),
    ]

    def test_chosen_vm_follows_versions_and_preferences(self):
        cases = [
            ([], ("jdk161", "sdk", "client", "1.8.0_161", "001.008.000.161.B1.D2.")),
            (["wexal.bin.jvm.dir=server"], ("jdk161", "sdk", "server", "1.8.0_161", "001.008.000.161.D3.B1.")),
            (["wexal.java.bundle=jre"], ("jre151", "jre", "client", "1.8.0_151", "001.008.000.151.B3.D2.")),
            (["wexal.java.bundle=jre", "wexal.bin.jvm.dir=prefer_server"],
             ("jre151", "jre", "server", "1.8.0_151", "001.008.000.151.B3.D2.")),
            (["wexal.java.bundle=sdk"], ("jdk161", "sdk", "client", "1.8.0_161", "001.008.000.161.B3.D2.")),
            (["wexal.max.java.version=1.8.0_150"], ("jre144", "jre", "client", "1.8.0_144", "001.008.000.144.B2.D2.")),
        ]
        for settings, (home, *chosen) in cases:
            with self.subTest(settings=settings):
                run, log = self.launch(["wexal.main.class=app.Main", "wexal.debug.file=debug.txt", *settings])
                self.assertNoReport(run)
                record = jvm_record(self.homes[home], *chosen)
                self.assertEqual(self.chosen_jvm(), record)
                jvm_path = record.split(",")[0].removeprefix("m_jvmPath=")
                self.assertEqual(wine_support.loaded_vm_libraries(run.stderr), [jvm_path])
                self.assertEqual(log[-2:], ["ExceptionOccurred none", "DestroyJavaVM"])
                (self.app.folder / "debug.txt").unlink()


class LaunchTest(WineTestCase):
    INSTALLATIONS = [
        (JRE, "1.8.0_151", "jre", ["bin/client/jvm.dll", "bin/splashscreen.dll", "bin/msvcr71.dll"]),
    ]
    CONFIG = ["wexal.main.class=com.acme.Main", "-Xss4m", "wexal.sysprop.process.id=true", "-Dapp.mode=a=b",
              "wexal.memory.max.lower.limit=65536", "wexal.memory.init.lower.limit=32768",
              "wexal.classpath.jars.dir=lib", "wexal.library.path.dir=native",
              "wexal.main.argument=configured one", "wexal.main.argument=", "wexal.main.argument=configured two"]

    def setUp(self):
        super().setUp()
        (self.app.folder / "lib").mkdir()
        (self.app.folder / "lib" / "a.jar").write_bytes(b"")

    def test_options_and_arguments_reach_the_vm_in_order(self):
        run, log = self.launch(self.CONFIG, args=("grüße", "", "日本 語"))
        self.assertNoReport(run)
        process_id = log[2].removeprefix("option -Dprocess.id=")
        self.assertTrue(process_id.isdigit(), log[2])
        self.assertEqual(log, [
            "loaded msvcr71.dll",
            "JNI_CreateJavaVM version=0x00010002 nOptions=7 ignoreUnrecognized=0",
            f"option -Dprocess.id={process_id}",
            "option -Xss4m",
            "option -Dapp.mode=a=b",
            "option -Xmx65536k",
            "option -Xms32768k",
            "option -Djava.class.path=;lib\\a.jar",
            "option -Djava.library.path=;native",
            "ExceptionOccurred none",
            "FindClass com/acme/Main",
            "ExceptionOccurred none",
            f"GetStaticMethodID com/acme/Main main {MAIN_SIGNATURE}",
            "ExceptionOccurred none",
            "NewStringUTF ",
            "FindClass java/lang/String",
            "NewObjectArray 4 java/lang/String ",
            "NewString grüße", "SetObjectArrayElement 0 grüße",
            "NewString 日本 語", "SetObjectArrayElement 1 日本 語",
            "NewString configured one", "SetObjectArrayElement 2 configured one",
            "NewString configured two", "SetObjectArrayElement 3 configured two",
            "ExceptionOccurred none",
            "CallStaticVoidMethod com/acme/Main main 4",
            "ExceptionOccurred none",
            "DestroyJavaVM",
        ])

    def test_debug_file_records_the_chosen_vm_and_the_configuration(self):
        run, _ = self.launch(["wexal.main.class=com.acme.Main", "wexal.debug.file=debug.txt", "-Dapp.mode=test",
                              "wexal.main.argument=configured"], args=("first",))
        self.assertNoReport(run)
        chosen = jvm_record(self.homes["jre"], "jre", "client", "1.8.0_151", "001.008.000.151.B2.D2.")
        properties = (f"m_fullPathAndNameOfExe={windows_path(self.app.path)},"
                      f"m_selfHomePath={windows_path(self.app.folder)},m_customJavaHomePath=,m_customBinJvmDir=,"
                      "m_mainClass=com.acme.Main,m_customJvmPath=,m_minJavaVersion=,m_maxJavaVersion=,"
                      "m_trapConsoleCtrl=,m_jarsInClasspath=,m_libraryPath=,m_debugFile=debug.txt,"
                      f"m_callerDir={windows_path(self.start_dir)},m_exeBitness={BITS},m_operatingSystemBitness=64,"
                      "m_javaSystemProperties[0]=-Dapp.mode=test,m_commandLineArguments[0]=first,"
                      + "".join(f"m_commandLineArguments[{i}]=," for i in range(1, 5))
                      + "m_commandLineArguments[5]=configured")
        self.assertEqual((self.app.folder / "debug.txt").read_bytes().decode("latin-1"),
                         f"The chosen JVM: {chosen}\r\nThe properties chosen: {properties}\r\n")

    def test_runtime_library_falls_back_to_msvcr100(self):
        home = self.temp / "home"
        for file in ("bin/client/jvm.dll", "bin/msvcr100.dll"):
            (home / file).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy(FAKES[pathlib.PurePath(file).name], home / file)
        run, log = self.launch(["wexal.main.class=app.Main", f"wexal.java.home.path={windows_path(home)}"])
        self.assertNoReport(run)
        self.assertEqual(log[:2], ["loaded msvcr100.dll",
                                   "JNI_CreateJavaVM version=0x00010002 nOptions=0 ignoreUnrecognized=0"])

    def test_splash_library_gets_the_splash_file_name(self):
        run, log = self.launch(["wexal.main.class=app.Main", "wexal.splash=images\\splash.png"])
        self.assertNoReport(run)
        self.assertEqual(log[:5], ["loaded msvcr71.dll", "SplashInit", "SplashLoadFile images\\splash.png",
                                   "SplashSetFileJarName null images\\splash.png",
                                   "JNI_CreateJavaVM version=0x00010002 nOptions=0 ignoreUnrecognized=0"])

    def test_vm_from_a_configured_path_loads_no_runtime_or_splash_library(self):
        jvm = windows_path(self.homes["jre"]) + "\\bin\\client\\jvm.dll"
        run, log = self.launch(["wexal.main.class=app.Main", f"wexal.jvm.path={jvm}", "wexal.splash=splash.png"])
        self.assertNoReport(run)
        self.assertEqual(log[0], "JNI_CreateJavaVM version=0x00010002 nOptions=0 ignoreUnrecognized=0")

    def test_every_failing_step_is_reported(self):
        cases = [
            ("create", "Cannot create Java VM.", "option -Djava.library.path=;native"),
            ("create-exception", "Error occurred while creating Java VM.", "ExceptionDescribe"),
            ("findclass-exception", "Error occurred while attempting to find Java class com/acme/Main",
             "ExceptionDescribe"),
            ("findclass-null", "Cannot find main Java class com/acme/Main", "ExceptionOccurred none"),
            ("method-exception", "Error occurred while getting main method in Java class com/acme/Main",
             "ExceptionDescribe"),
            ("method-null", "Cannot find main method in Java class.", "ExceptionOccurred none"),
            ("array-null", "Error creating new object array to hold command line arguments.",
             "NewObjectArray 2 java/lang/String "),
            ("set-exception", "Error occurred while setting command line arguments for the Java class com/acme/Main",
             "ExceptionDescribe"),
            ("main-exception", "Error occured while calling main method in Java class com/acme/Main",
             "ExceptionDescribe"),
        ]
        for failure, message, last_log_line in cases:
            with self.subTest(failure=failure):
                run, log = self.launch(self.CONFIG, failures=failure)
                self.assertReported(run, message)
                self.assertEqual(log[-1], last_log_line)


class MissingVmTest(WineTestCase):
    INSTALLATIONS = []

    def test_empty_registry_gives_no_acceptable_vm(self):
        run, log = self.launch(["wexal.main.class=app.Main"])
        self.assertReported(run, "No acceptable JVMs were found.")
        self.assertEqual(log, [])

    def test_missing_configuration_file_is_reported(self):
        run = PREFIX.run(self.app.path, cwd=self.start_dir)
        self.assertReported(run, f"Could not open file {windows_path(self.app.folder)}\\tool.lap")


class ConsoleTestCase(WineTestCase):
    """The console launcher, renamed tool.exe, run by batch files through `cmd /c`; the fake VM comes
    from a configured path and takes its log file and main's behaviour from VM options."""

    def setUp(self):
        super().setUp()
        self.app = e2e.InstalledLauncher(CONSOLE_LAUNCHER, self.temp / "app", "tool.exe")
        self.vm_line = f"wexal.jvm.path={windows_path(FAKES['jvm.dll'])}"

    def run_tool(self, lines, command_line="", main=""):
        """Runs `tool.exe <command_line>` with tool.lap from `lines` through a batch file; returns the run
        and the fake VM's log."""
        options = [f"-Dfakejvm.log={windows_path(self.log)}"] + ([f"-Dfakejvm.main={main}"] if main else [])
        self.app.configure([*lines, *options], line_end="\r\n")
        run = PREFIX.run_batch([f"@tool.exe {command_line}".rstrip(), "@exit /b %ERRORLEVEL%"], self.app.folder)
        log = self.log.read_text(encoding="utf-8").splitlines() if self.log.exists() else []
        return run, log


class ConsoleTest(ConsoleTestCase):
    def test_exit_codes_and_output_reach_the_script(self):
        cases = [
            ("main returns", [self.vm_line], "print", (0, "main called\r\n", "")),
            ("System.exit", [self.vm_line], "exit=42", (42, "", "")),
            ("failure", ["wexal.jvm.path=Z:\\nowhere\\jvm.dll"], "",
             (1, "", f"{windows_path(self.app.path)}: Error in Java launcher. No acceptable JVMs were found.\r\n")),
        ]
        for name, lines, main, expected in cases:
            with self.subTest(name):
                run, _ = self.run_tool(["wexal.main.class=app.Main", *lines], main=main)
                self.assertEqual((run.returncode, run.stdout, run.stderr), expected)

    def test_a_configured_service_runs_in_the_console_when_no_option_is_given(self):
        run, log = self.run_tool(["wexal.main.class=app.Main", self.vm_line, "wexal.service.name=WexalTestConsole",
                                  "wexal.service.option.install=-install"], "a", main="print")
        self.assertEqual((run.returncode, run.stdout, run.stderr), (0, "main called\r\n", ""))
        self.assertIn("SetObjectArrayElement 0 a", log)

    def test_first_argument_follows_the_rules_of_every_argument(self):
        cases = [
            ('--name="John Smith" x', ["--name=John Smith", "x"]),
            ('x --name="John Smith"', ["x", "--name=John Smith"]),
            ('"" x', ["", "x"]),
            ('a\\\\\\"b "c d"', ['a\\"b', "c d"]),
            ('"C:\\a b\\\\"', ["C:\\a b\\"]),
        ]
        for launcher, name in ((CONSOLE_LAUNCHER, "tool.exe"), (LAUNCHER, "win.exe")):
            app = e2e.InstalledLauncher(launcher, self.temp / "app", name)
            app.configure(["wexal.main.class=app.Main", self.vm_line, "wexal.debug.file=debug.txt"], "\r\n")
            for command_line, arguments in cases:
                with self.subTest(name=name, command_line=command_line):
                    run = PREFIX.run_batch([f"@{name} {command_line}"], app.folder)
                    self.assertEqual(run.returncode, 0, run.stderr)
                    debug = (app.folder / "debug.txt").read_bytes().decode("latin-1")
                    (app.folder / "debug.txt").unlink()
                    recorded = [f"m_commandLineArguments[{i}]={argument}" for i, argument in enumerate(arguments)]
                    self.assertEqual([field for field in debug.rstrip().split(",")
                                      if field.startswith("m_commandLineArguments")][:len(arguments)], recorded)


SC_QUERY_FIELDS = re.compile(r"STATE\s*:\s*\d+\s+(\w+).*WIN32_EXIT_CODE\s*:\s*(\d+).*SERVICE_EXIT_CODE\s*:\s*(\d+)",
                             re.DOTALL)


class ServiceTest(ConsoleTestCase):
    """A Java program as a service of the prefix's service control manager, through its whole life.
    The service does not get the test's environment: the fake VM's log and behaviour come from VM
    options."""

    NAME = "WexalTestService"

    def service_lines(self, *lines):
        return ["wexal.main.class=app.Main", self.vm_line, f"wexal.service.name={self.NAME}",
                "wexal.service.option.install=--install", "wexal.service.option.uninstall=--uninstall",
                "wexal.service.description=Wexal test service", *lines]

    def sc(self, *words):
        return PREFIX.run_batch(["@sc " + " ".join(words)], self.app.folder)

    def state(self):
        """The (state, Windows exit code, service-specific exit code) that `sc query` shows."""
        match = SC_QUERY_FIELDS.search(self.sc("query", self.NAME).stdout)
        return match.groups() if match else None

    def wait_for_state(self, state, timeout=20):
        deadline = time.monotonic() + timeout
        while (self.state() or [None])[0] != state and time.monotonic() < deadline:
            time.sleep(0.5)
        return self.state()

    def setUp(self):
        super().setUp()
        self.addCleanup(lambda: self.run_tool(self.service_lines(), "--uninstall"))

    def test_install_start_stop_uninstall(self):
        lines = self.service_lines("-Dfakejvm.main=wait-for-exit")
        installed = f"The service {self.NAME} is installed.\r\n"
        self.assertEqual(self.run_tool(lines, "--install")[0], e2e.Run(0, installed, ""))
        again = self.run_tool(lines, "--install")[0]
        self.assertEqual((again.returncode, again.stdout), (1, ""))
        self.assertTrue(again.stderr.startswith(
            f"{windows_path(self.app.path)}: Error in Java launcher. Cannot install the service {self.NAME}: "), again.stderr)
        self.assertEqual(self.sc("start", self.NAME).returncode, 0)
        self.assertEqual(self.wait_for_state("RUNNING"), ("RUNNING", "0", "0"))
        self.sc("stop", self.NAME)
        self.assertEqual(self.wait_for_state("STOPPED"), ("STOPPED", "0", "0"))
        log = self.log.read_text(encoding="utf-8").splitlines()
        self.assertEqual(log[-7:], ["AttachCurrentThread", "FindClass app/Main",
                                    "GetStaticMethodID app/Main initiateExit (I)V",
                                    "CallStaticVoidMethod app/Main initiateExit 0", "DetachCurrentThread",
                                    "ExceptionOccurred none", "DestroyJavaVM"])
        removed = f"The service {self.NAME} is stopped and removed.\r\n"
        self.assertEqual(self.run_tool(lines, "--uninstall")[0], e2e.Run(0, removed, ""))
        self.assertEqual(self.run_tool(lines, "--uninstall")[0].returncode, 1)

    def test_program_ending_with_a_code_or_failing_reports_it_as_the_service_exit_code(self):
        cases = [
            ("System.exit", ["-Dfakejvm.main=exit=3"], ("STOPPED", "1066", "3")),
            ("failure", ["-Dfakejvm.fail=create"], ("STOPPED", "1066", "1")),
        ]
        for name, lines, expected in cases:
            with self.subTest(name):
                self.assertEqual(self.run_tool(self.service_lines(*lines), "--install")[0].returncode, 0)
                self.sc("start", self.NAME)
                self.assertEqual(self.wait_for_state("STOPPED"), expected)
                self.assertEqual(self.run_tool(self.service_lines(), "--uninstall")[0].returncode, 0)

    def test_program_that_does_not_end_in_time_is_reported_stopped(self):
        # initiateExit cannot be found, so main waits on (30 s) beyond the 2 s allowed.
        lines = self.service_lines("-Dfakejvm.main=wait-for-exit", "-Dfakejvm.fail=initiateexit-null",
                                   "wexal.service.stop.timeout=2")
        self.assertEqual(self.run_tool(lines, "--install")[0].returncode, 0)
        self.sc("start", self.NAME)
        self.assertEqual(self.wait_for_state("RUNNING")[0], "RUNNING")
        started = time.monotonic()
        self.sc("stop", self.NAME)
        self.assertEqual(self.wait_for_state("STOPPED"), ("STOPPED", "1066", "1"))
        self.assertLess(time.monotonic() - started, 10)


if __name__ == "__main__":
    unittest.main()
