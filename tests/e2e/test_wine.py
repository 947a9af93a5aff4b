"""End-to-end tests of the Windows launcher under Wine: a copy of it, renamed tool.exe, beside
tool.lap, choosing among fake Java homes from the registry and launching the test double of
jvm.dll, which records what it receives in a log."""

import os
import pathlib
import re
import shutil
import struct
import subprocess
import time
import zlib
import unittest
from xml.etree import ElementTree

import e2e_support as e2e
import pe_resources
import wine_support
from wine_support import MB_ICONWARNING, windows_path

BITS = int(os.environ.get("WEXAL_E2E_BITS", "32"))
LAUNCHER = e2e.built_file("WEXAL_E2E_LAUNCHER", f"build/win{BITS}/wexal.exe")
CONSOLE_LAUNCHER = e2e.built_file("WEXAL_E2E_CONSOLE_LAUNCHER", f"build/win{BITS}/WexalConsole{BITS}.exe")
BRAND_TOOL = e2e.built_file("WEXAL_E2E_BRAND_TOOL", f"build/win{BITS}/wexal-brand.exe")
FAKES = {
    "jvm.dll": e2e.built_file("WEXAL_E2E_FAKE_JVM", f"build/win{BITS}/fake-java-home/bin/server/jvm.dll"),
    "splashscreen.dll": e2e.built_file("WEXAL_E2E_FAKE_SPLASH", f"build/win{BITS}/fake-java-home/bin/splashscreen.dll"),
    "msvcr71.dll": e2e.built_file("WEXAL_E2E_FAKE_MSVCR71", f"build/win{BITS}/fake-java-home/bin/msvcr71.dll"),
    "msvcr100.dll": e2e.built_file("WEXAL_E2E_FAKE_MSVCR100", f"build/win{BITS}/fake-java-home/bin/msvcr100.dll"),
}
# The VM double of a modern Java home, which imports the vcruntime140.dll double of its bin folder.
MODERN_FAKES = {
    "bin/server/jvm.dll": e2e.built_file("WEXAL_E2E_FAKE_MODERN_JVM",
                                         f"build/win{BITS}/fake-modern-java-home/bin/server/jvm.dll"),
    "bin/vcruntime140.dll": e2e.built_file("WEXAL_E2E_FAKE_VCRUNTIME140",
                                           f"build/win{BITS}/fake-modern-java-home/bin/vcruntime140.dll"),
}
PREFIX = wine_support.WinePrefix(os.environ.get("WEXAL_E2E_WINEPREFIX") or f"/tmp/wexal-e2e-wine-win{BITS}", BITS)

JRE = "Java Runtime Environment"
JDK = "Java Development Kit"
MAIN_SIGNATURE = "([Ljava/lang/String;)V"


OTHER_BITS = 32 if BITS == 64 else 64
RT_MESSAGETABLE = 11


def setUpModule():
    PREFIX.start()
    # No Java of an earlier, interrupted run in the other view.
    PREFIX.delete_java_keys(OTHER_BITS)


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

    def launch(self, lines, args=(), failures="", environment=None):
        """Writes tool.lap from `lines` and runs tool.exe from the start-up folder, with `environment`
        added; returns the run and the fake VM's log lines (bytes that are not UTF-8 escaped)."""
        self.app.configure(lines, line_end="\r\n")
        if self.log.exists():
            self.log.unlink()
        run = PREFIX.run(self.app.path, args, cwd=self.start_dir,
                         environment={"WEXAL_FAKE_JVM_LOG": str(self.log), "WEXAL_FAKE_JVM_FAIL": failures,
                                      **(environment or {})})
        log = e2e.decode(self.log.read_bytes()).splitlines() if self.log.exists() else []
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
                self.assertEqual(log[-3:], ["ExceptionOccurred none", "DetachCurrentThread", "DestroyJavaVM"])
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
            "option -Djava.class.path=lib\\a.jar",
            "option -Djava.library.path=native",
            "ExceptionOccurred none",
            "FindClass com/acme/Main",
            "ExceptionOccurred none",
            f"GetStaticMethodID com/acme/Main main {MAIN_SIGNATURE}",
            "ExceptionOccurred none",
            "NewStringUTF ",
            "FindClass java/lang/String",
            "NewObjectArray 5 java/lang/String ",
            "NewString grüße", "SetObjectArrayElement 0 grüße",
            "NewString ", "SetObjectArrayElement 1 ",
            "NewString 日本 語", "SetObjectArrayElement 2 日本 語",
            "NewString configured one", "SetObjectArrayElement 3 configured one",
            "NewString configured two", "SetObjectArrayElement 4 configured two",
            "ExceptionOccurred none",
            "CallStaticVoidMethod com/acme/Main main 5",
            "ExceptionOccurred none",
            "DetachCurrentThread",
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
        candidate = f"JVM candidate: {windows_path(self.homes['jre'])}: 1.8.0_151, {BITS}-bit, JRE: chosen"
        self.assertEqual((self.app.folder / "debug.txt").read_bytes().decode("latin-1"),
                         f"The chosen JVM: {chosen}\r\nThe properties chosen: {properties}\r\n{candidate}\r\n")

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

    def test_vm_from_a_configured_path_loads_the_runtime_library_of_its_home_but_no_splash(self):
        jvm = windows_path(self.homes["jre"]) + "\\bin\\client\\jvm.dll"
        run, log = self.launch(["wexal.main.class=app.Main", f"wexal.jvm.path={jvm}", "wexal.splash=splash.png"])
        self.assertNoReport(run)
        self.assertEqual(log[:2], ["loaded msvcr71.dll",
                                  "JNI_CreateJavaVM version=0x00010002 nOptions=0 ignoreUnrecognized=0"])

    def test_vm_library_that_does_not_load_is_named_with_the_error(self):
        jvm = windows_path(self.homes["jre"]) + "\\bin\\splashscreen.dll"
        broken = self.temp / "broken" / "jvm.dll"
        broken.parent.mkdir()
        broken.write_bytes(b"MZ not a library")
        run, _ = self.launch(["wexal.main.class=app.Main", f"wexal.jvm.path={windows_path(broken)}"])
        self.assertReported(run, f"Could not load the Java VM library {windows_path(broken).lower()} (error 193: "
                                 "Bad EXE format for %1.)\nThe library is for another processor or bitness than "
                                 "this launcher.")
        run, _ = self.launch(["wexal.main.class=app.Main", f"wexal.jvm.path={jvm}"])
        self.assertReported(run, f"The Java VM library {jvm.lower()} has no JNI_CreateJavaVM.")

    def test_every_failing_step_is_reported(self):
        cases = [
            ("create", "Cannot create Java VM.", "option -Djava.library.path=native"),
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


class CodePageTest(WineTestCase):
    """Non-ASCII folders and property values, which the VM reads in Wine's ANSI code page:
    windows-1252 under the suite's locale C.UTF-8, 936 under zh_CN.UTF-8 (Unix file names stay UTF-8
    under both)."""
    INSTALLATIONS = [(JRE, "1.8.0_151", "jre", ["bin/client/jvm.dll", "bin/splashscreen.dll", "bin/msvcr71.dll"])]
    CONFIG = ["wexal.main.class=com.acme.Main", "wexal.classpath.jars.dir=${SELF_HOME}\\lib",
              "wexal.library.path.dir=${SELF_HOME}\\native", "wexal.splash=${SELF_HOME}\\splash.png",
              "-Dapp.home=${SELF_HOME}", "-Dapp.title=${env.APP_TITLE}"]
    # From the environment, as a value that no configuration file holds.
    TITLE = {"APP_TITLE": "中文 Straße"}
    LATE_TITLE = ["FindClass java/lang/System",
                  "GetStaticMethodID java/lang/System setProperty (Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;",
                  "NewString app.title", "NewString 中文 Straße",
                  "CallStaticObjectMethodA java/lang/System setProperty app.title 中文 Straße",
                  "ExceptionOccurred none", "FindClass com/acme/Main"]

    def install_in(self, folder_name):
        """tool.exe in <temp>/`folder_name` with lib/a.jar, native/ and splash.png beside it."""
        self.app = e2e.InstalledLauncher(LAUNCHER, self.temp / folder_name, "tool.exe")
        (self.app.folder / "lib").mkdir()
        (self.app.folder / "lib" / "a.jar").write_bytes(b"")
        (self.app.folder / "native").mkdir()
        (self.app.folder / "splash.png").write_bytes(b"")
        return windows_path(self.app.folder)

    def received(self, code_page):
        """The home, class path, library path and splash names as the VM received them (`code_page`
        decodes them), without the launcher's home folder, which comes first; the home itself."""
        raw = self.log.read_bytes().decode(code_page, errors="backslashreplace").splitlines()
        home = next(line for line in raw if line.startswith("option -Dapp.home=")).removeprefix("option -Dapp.home=")
        options = sorted(line.replace(home, "<home>") for line in raw if line.startswith(("option -D", "SplashLoadFile")))
        return home, options

    EXPECTED = ["SplashLoadFile <home>\\splash.png", "option -Dapp.home=<home>",
                "option -Djava.class.path=<home>\\lib\\a.jar", "option -Djava.library.path=<home>\\native"]

    def test_home_folder_named_jose_reaches_the_vm_in_windows_1252(self):
        home = self.install_in("José")
        run, log = self.launch(self.CONFIG, environment=self.TITLE)
        self.assertNoReport(run)
        self.assertEqual(self.received("cp1252"), (home, self.EXPECTED))
        self.assertIn(b"option -Dapp.home=" + home.encode("cp1252") + b"\n", self.log.read_bytes())
        self.assertEqual(log[log.index("FindClass java/lang/System"):][:len(self.LATE_TITLE)], self.LATE_TITLE)

    def test_folder_named_zhong_reaches_the_vm_as_its_short_name_and_a_text_as_a_late_property(self):
        home = self.install_in("中")
        run, log = self.launch(self.CONFIG, environment=self.TITLE)
        self.assertNoReport(run)
        short_home, options = self.received("ascii")
        self.assertEqual(options, self.EXPECTED)
        # Every folder of the path in its short form, which holds only ASCII here.
        self.assertRegex(short_home, r"^Z:(\\[!-~]{1,12})+$")
        self.assertEqual(short_home.count("\\"), home.count("\\"))
        self.assertIn("~", short_home.rpartition("\\")[2])
        self.assertNotIn("app.title", "".join(options))
        self.assertEqual(log[log.index("ExceptionOccurred none") + 1:][:len(self.LATE_TITLE)], self.LATE_TITLE)

    def test_late_property_the_vm_refuses_is_reported(self):
        self.install_in("app")
        run, log = self.launch(self.CONFIG, failures="setproperty-exception", environment=self.TITLE)
        self.assertReported(run, "Error occurred while setting the Java system property app.title")
        self.assertEqual(log[-2:], ["ExceptionOccurred pending", "ExceptionDescribe"])

    def test_java_agent_in_such_a_folder_ends_the_launch_with_a_clear_message(self):
        home = self.install_in("中文")
        run, log = self.launch(["wexal.main.class=com.acme.Main", "-javaagent:${SELF_HOME}\\agent.jar"])
        self.assertReported(run, f"Windows cannot pass the option -javaagent:{home}\\agent.jar to the Java VM in the "
                                 "system's code page, which lacks the characters \"中文\". Please use a folder name "
                                 "without these characters.")
        self.assertEqual(log, ["loaded msvcr71.dll"])

    def test_class_path_with_a_missing_entry_reaches_the_vm_at_its_creation_as_short_names(self):
        home = self.install_in("中")
        run, log = self.launch(["wexal.main.class=com.acme.Main", "wexal.debug.file=debug.txt", "-Dapp.home=${SELF_HOME}",
                                "-Djava.class.path=${SELF_HOME}\\lib\\a.jar;${SELF_HOME}\\missing.jar;${SELF_HOME}\\缺\\b.jar",
                                "-Djava.library.path=${SELF_HOME}\\native;C:\\缺"])
        self.assertNoReport(run)
        short_home, options = self.received("ascii")
        self.assertIn("~", short_home)
        self.assertEqual(options, ["option -Dapp.home=<home>",
                                   "option -Djava.class.path=<home>\\lib\\a.jar;<home>\\missing.jar",
                                   "option -Djava.library.path=<home>\\native"])
        self.assertNotIn("CallStaticObjectMethodA java/lang/System setProperty", "\n".join(log))
        notes = (self.app.folder / "debug.txt").read_bytes().decode("latin-1").splitlines()
        left_out = "Left out of {} as the system's code page cannot hold it and it does not exist: {}"
        self.assertIn(left_out.format("java.class.path", home.replace("中", "?") + "\\?\\b.jar"), notes)
        self.assertIn(left_out.format("java.library.path", "C:\\?"), notes)

    def test_text_values_keep_their_text_and_the_last_option_for_a_property_wins(self):
        """A UTF-8 configuration file (with and without a byte-order mark, as Notepad saves it): a
        value that is no path stays text beside a folder of its name, and of two options for one
        property the later one counts, whether it fits the code page or not."""
        self.install_in("app")
        (self.start_dir / "中文").mkdir()
        lines = ["wexal.main.class=com.acme.Main", "-Dapp.title=中文", "-Dapp.city=Zürich",
                 "-Dapp.mode=中文", "-Dapp.mode=override", "-Dapp.kind=plain", "-Dapp.kind=中"]
        for mark in (b"", b"\xef\xbb\xbf"):
            with self.subTest(mark=mark):
                self.app.configure(lines, line_end="\r\n")
                self.app.config_path.write_bytes(mark + self.app.config_path.read_bytes())
                self.log.unlink(missing_ok=True)
                run = PREFIX.run(self.app.path, [], cwd=self.start_dir, environment={"WEXAL_FAKE_JVM_LOG": str(self.log)})
                self.assertNoReport(run)
                raw = self.log.read_bytes().decode("cp1252", errors="backslashreplace").splitlines()
                self.assertEqual([line for line in raw if line.startswith("option -Dapp.")],
                                 ["option -Dapp.city=Zürich", "option -Dapp.mode=override", "option -Dapp.kind=plain"])
                late = [line for line in e2e.decode(self.log.read_bytes()).splitlines() if "setProperty app." in line]
                self.assertEqual(late, ["CallStaticObjectMethodA java/lang/System setProperty app.title 中文",
                                        "CallStaticObjectMethodA java/lang/System setProperty app.kind 中"])

    def test_folder_named_zhong_reaches_the_vm_in_code_page_936(self):
        environment = wine_support.locale_environment("zh_CN.UTF-8", PREFIX.path / "locales")
        if environment is None:
            self.skipTest("the locale zh_CN.UTF-8 cannot be compiled here (Debian package locales)")
        home = self.install_in("中")
        run, log = self.launch(self.CONFIG, environment={**environment, **self.TITLE})
        self.assertNoReport(run)
        self.assertEqual(self.received("gbk"), (home, self.EXPECTED))
        self.assertIn(b"option -Dapp.home=" + home.encode("gbk") + b"\n", self.log.read_bytes())
        self.assertEqual(log[log.index("ExceptionOccurred none") + 1:][:len(self.LATE_TITLE)], self.LATE_TITLE)


class ResourcesTest(unittest.TestCase):
    """The manifest and the icon, read back from the built executable."""

    def test_manifest_asks_for_no_elevation_and_declares_systems_dpi_and_long_paths(self):
        manifest = wine_support.resource(LAUNCHER, wine_support.RT_MANIFEST, 1)
        self.assertIsNotNone(manifest)
        root = ElementTree.fromstring(manifest)
        values = {element.tag.rpartition("}")[2]: (element.text or "").strip() for element in root.iter()}
        self.assertEqual([e.get("level") for e in root.iter("{urn:schemas-microsoft-com:asm.v3}requestedExecutionLevel")],
                         ["asInvoker"])
        self.assertEqual([e.get("Id") for e in root.iter("{urn:schemas-microsoft-com:compatibility.v1}supportedOS")], [
            "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
            "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
            "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
            "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
        ])
        self.assertEqual((values.get("dpiAware"), values.get("dpiAwareness"), values.get("longPathAware")),
                         ("true/pm", "PerMonitorV2, PerMonitor", "true"))
        self.assertNotIn("activeCodePage", values)

    def test_icon_group_is_kept(self):
        self.assertIsNotNone(wine_support.resource(LAUNCHER, wine_support.RT_GROUP_ICON, 101))

    def test_only_the_console_launcher_words_event_log_messages_as_they_are(self):
        # One block of message 1: the whole message as its one string; %0 ends the text before the
        # line end that closes every message of the table.
        entry = struct.pack("<HH", 16, 1) + "%1%0\n\0".encode("utf-16-le")
        table = struct.pack("<IIII", 1, 1, 1, 16) + entry
        self.assertEqual((wine_support.resource(CONSOLE_LAUNCHER, RT_MESSAGETABLE, 1),
                          wine_support.resource(LAUNCHER, RT_MESSAGETABLE, 1)), (table, None))


class StartupCacheTest(WineTestCase):
    """The cache's folder, file names and options as the Windows launcher makes them for Java 17
    (the fake VM writes no archive, so the test puts one in place)."""
    INSTALLATIONS = [(JDK, "17.0.2", "jdk17", ["jre/bin/server/jvm.dll"])]
    LINES = ["wexal.main.class=com.acme.Main", "wexal.startup.cache=true", "wexal.debug.file=debug.txt"]

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        (cls.homes["jdk17"] / "jre" / "bin" / "server" / "classes.jsa").write_bytes(b"the default archive")

    def cache_options(self, log):
        """The cache's options from the fake VM's log: its archive option's path as a match of
        <folder>\\tool-<hash>.<random>.jsa.part, after the two logging options and before the
        abort hook."""
        options = [line for line in log if line.startswith("option ")]
        self.assertEqual(len(options), 4, log)
        self.assertEqual((options[0], options[3]), ("option -Xlog:cds*=off", "option abort"))
        written = re.fullmatch(r"option -XX:ArchiveClassesAtExit=(.*)\\(tool-[0-9a-f]{16})\.([0-9a-f]{16})\.jsa\.part",
                               options[2])
        self.assertTrue(written, options[2])
        folder, stem, own = written.groups()
        self.assertEqual(options[1], f'option -Xlog:cds:file="{folder}\\{stem}.{own}.log"::filecount=0')
        return written

    def test_first_launch_writes_a_file_of_its_own_and_the_next_reads_the_archive(self):
        run, log = self.launch(self.LINES)
        self.assertNoReport(run)
        folder, stem, _ = self.cache_options(log).groups()
        self.assertEqual(folder, windows_path(self.app.folder / "tool.cache"))
        (self.app.folder / "tool.cache" / f"{stem}.jsa").write_bytes(b"\xa8\xab\x0b\xf0 an archive")
        run, log = self.launch(self.LINES)
        self.assertNoReport(run)
        self.assertEqual([line for line in log if line.startswith("option -XX:")],
                         [f"option -XX:SharedArchiveFile={folder}\\{stem}.jsa"])

    def test_folder_others_can_write_is_passed_over_for_the_users_own(self):
        (self.app.folder / "tool.cache").mkdir(mode=0o777)
        (self.app.folder / "tool.cache").chmod(0o777)
        run, log = self.launch(self.LINES)
        self.assertNoReport(run)
        # Wine sets %LOCALAPPDATA% from the prefix's profile, whatever the environment says.
        self.assertRegex(self.cache_options(log).group(1), r"^C:\\users\\[^\\]+\\AppData\\Local\\tool\\cache$")
        debug = (self.app.folder / "debug.txt").read_bytes().decode("latin-1")
        self.assertIn(f"The startup cache: not in {windows_path(self.app.folder / 'tool.cache')}, other accounts can "
                      "write to it\r\n", debug)
        self.assertEqual(list((self.app.folder / "tool.cache").iterdir()), [])

    def test_vm_that_ends_while_it_starts_with_the_cache_runs_the_launch_again_without_it(self):
        run, log = self.launch(self.LINES, failures="create-abort-with-cache")
        self.assertNoReport(run)
        self.assertEqual([line.split(" ")[0] for line in log if line.startswith(("JNI_CreateJavaVM", "abort", "DestroyJavaVM"))],
                         ["JNI_CreateJavaVM", "abort", "JNI_CreateJavaVM", "DestroyJavaVM"])
        self.assertIn("JNI_CreateJavaVM version=0x00010002 nOptions=0 ignoreUnrecognized=0", log)
        self.assertEqual(len(list((self.app.folder / "tool.cache").glob("tool-*.refused"))), 1)
        debug = (self.app.folder / "debug.txt").read_bytes().decode("latin-1")
        self.assertRegex(debug, "The startup cache: the VM failed to start with it; the launch runs again without it\r\n"
                                "(.*\r\n)*The startup cache: off, the VM failed to start with it before, with this "
                                "configuration and VM\r\n")

    def test_cache_folder_the_code_page_lacks_reaches_the_vm_as_its_short_name(self):
        self.app = e2e.InstalledLauncher(LAUNCHER, self.temp / "中", "tool.exe")
        run, log = self.launch(self.LINES)
        self.assertNoReport(run)
        folder = self.cache_options(log).group(1)
        self.assertRegex(folder, r"^Z:(\\[!-~]{1,12})+$")
        self.assertIn("~", folder)

# The line that follows "No acceptable JVMs were found." when no Java was found at all.
SEARCHED_PLACES = ("Searched the registry (HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, both views), JAVA_HOME, and "
                   "the Java folders of %ProgramFiles%, %ProgramW6432% and %LOCALAPPDATA%\\Programs.")


class MissingVmTest(WineTestCase):
    INSTALLATIONS = []

    def test_empty_registry_gives_no_acceptable_vm_and_names_the_places_searched(self):
        run, log = self.launch(["wexal.main.class=app.Main", "wexal.debug.file=debug.txt", "wexal.jvm.pth=x"])
        self.assertReported(run, "No acceptable JVMs were found.\n\n" + SEARCHED_PLACES)
        self.assertEqual(log, [])
        self.assertEqual((self.app.folder / "debug.txt").read_text(encoding="latin-1"),
                         "Unknown key ignored: wexal.jvm.pth\n")

    def test_missing_configuration_file_is_reported(self):
        run = PREFIX.run(self.app.path, cwd=self.start_dir)
        self.assertReported(run, f"Could not open file {windows_path(self.app.folder)}\\tool.lap")


class ModernJavaTest(WineTestCase):
    """A Java 17 development kit laid out as today's installers leave it: no jre folder, its VM in
    bin\\server, the C runtime it imports only in bin, a release file and javac.exe."""

    VERSION = "17.0.9"

    def setUp(self):
        super().setUp()
        self.home = self.make_home(self.temp / "jdk-17")

    def make_home(self, home):
        for file, fake in MODERN_FAKES.items():
            (home / file).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy(fake, home / file)
        (home / "bin" / "javac.exe").write_bytes(b"")
        (home / "release").write_text(f'IMPLEMENTOR="Test"\nJAVA_VERSION="{self.VERSION}"\n')
        return home

    def chosen_record(self, home):
        """The debug text of the kit's server VM at the Windows path `home`."""
        jre_path = home + "\\bin\\"
        return (f"m_jvmPath={jre_path}server\\jvm.dll,m_javaBundle=sdk,m_binJvmDir=server,"
                f"m_comparableVersion=017.000.009.000.B1.D1.,m_javaHomePath={home},"
                f"m_version={self.VERSION},m_jrePath={jre_path},m_acceptable=true")

    def test_configured_home_loads_the_vm_that_imports_its_runtime_from_bin(self):
        run, log = self.launch(["wexal.main.class=app.Main", f"wexal.java.home.path={windows_path(self.home)}"])
        self.assertNoReport(run)
        self.assertEqual(log[:2], ["loaded vcruntime140.dll",
                                   "JNI_CreateJavaVM version=0x00010002 nOptions=0 ignoreUnrecognized=0"])

    def test_every_source_finds_the_kit(self):
        adoptium = r"SOFTWARE\Eclipse Adoptium\JDK\17.0.9.9\hotspot\MSI"
        sources = [
            ("Adoptium key", [("HKEY_LOCAL_MACHINE", adoptium, "Path", self.home)]),
            ("per-user Adoptium key", [("HKEY_CURRENT_USER", adoptium, "Path", self.home)]),
            ("JavaSoft JDK key", [("HKEY_LOCAL_MACHINE", r"SOFTWARE\JavaSoft\JDK\17", "JavaHome", self.home)]),
            ("Java Development Kit key", [("Java Development Kit", "17", self.home)]),
        ]
        for source, keys in sources:
            with self.subTest(source=source):
                PREFIX.seed_registry(keys)
                run, log = self.launch(["wexal.main.class=app.Main", "wexal.debug.file=debug.txt"])
                self.assertNoReport(run)
                self.assertEqual(self.chosen_jvm(), self.chosen_record(windows_path(self.home)))
                self.assertEqual(log[:1], ["loaded vcruntime140.dll"])
                (self.app.folder / "debug.txt").unlink()

    def test_a_program_files_folder_without_a_key_is_found(self):
        PREFIX.seed_registry([])
        home = PREFIX.program_files() / "Eclipse Adoptium" / "jdk-17.0.9.9-hotspot"
        self.addCleanup(shutil.rmtree, home.parent, ignore_errors=True)
        self.make_home(home)
        run, _ = self.launch(["wexal.main.class=app.Main", "wexal.debug.file=debug.txt"])
        self.assertNoReport(run)
        self.assertEqual(self.chosen_jvm(), self.chosen_record(r"C:\Program Files\Eclipse Adoptium\jdk-17.0.9.9-hotspot"))

    def test_refusals_are_explained_in_the_message_and_the_debug_file(self):
        PREFIX.seed_registry([("HKEY_CURRENT_USER", r"SOFTWARE\JavaSoft\JDK\17", "JavaHome", self.home),
                              ("Java Runtime Environment", "1.8", self.temp / "empty")])
        run, _ = self.launch(["wexal.main.class=app.Main", "wexal.debug.file=debug.txt", "wexal.min.java.version=21",
                              f"wexal.java.home.path={windows_path(self.temp / 'missing')}"])
        home = windows_path(self.home)
        refusals = [f"{home}: 17.0.9, {BITS}-bit, JDK: below the minimum version 21",
                    f"{windows_path(self.temp / 'empty')}: 1.8, JRE: VM library missing"]
        self.assertReported(run, "No acceptable JVMs were found.\n\n" + "\n".join(refusals))
        self.assertEqual((self.app.folder / "debug.txt").read_text(encoding="latin-1").splitlines(), [
            f"Passed over wexal.java.home.path, which does not exist: {windows_path(self.temp / 'missing')}",
            *(f"JVM candidate: {line}" for line in refusals)])


def pe_header(machine):
    """The first bytes of a library built for `machine` (0x014C x86, 0x8664 x64), enough for the
    launcher to tell its bitness."""
    header = bytearray(0x200)
    header[0:2] = b"MZ"
    header[0x3C:0x40] = (0x80).to_bytes(4, "little")
    header[0x80:0x84] = b"PE\0\0"
    header[0x84:0x86] = machine.to_bytes(2, "little")
    return bytes(header)


class OtherBitnessTest(WineTestCase):
    """A Java of the other bitness only, registered in the other registry view: the launcher names
    the launcher to use."""

    def test_a_java_of_the_other_bitness_only_names_the_launcher_to_use(self):
        other_bits = OTHER_BITS
        home = self.temp / "jdk-other"
        (home / "bin" / "server").mkdir(parents=True)
        (home / "bin" / "server" / "jvm.dll").write_bytes(pe_header(0x014C if other_bits == 32 else 0x8664))
        (home / "release").write_text('JAVA_VERSION="21.0.1"\n')
        PREFIX.seed_registry([])
        PREFIX.seed_registry([("HKEY_LOCAL_MACHINE", r"SOFTWARE\JavaSoft\JRE\21", "JavaHome", home)], view_bits=other_bits)
        self.addCleanup(PREFIX.delete_java_keys, other_bits)
        run, log = self.launch(["wexal.main.class=app.Main"])
        self.assertReported(run, "No acceptable JVMs were found.\n\n"
                                 f"{windows_path(home)}: 21.0.1, {other_bits}-bit, JRE: a {other_bits}-bit VM for this "
                                 f"{BITS}-bit launcher\nUse the {other_bits}-bit launcher for this Java.")
        self.assertEqual(log, [])


class DamagedVmTest(WineTestCase):
    def test_a_damaged_vm_library_beside_a_good_one_refuses_only_its_own_java(self):
        """A registered Java whose jvm.dll is a 64-byte stub with a PE header offset past its end."""
        damaged = self.temp / "jre-damaged"
        (damaged / "bin" / "server").mkdir(parents=True)
        (damaged / "bin" / "server" / "jvm.dll").write_bytes(pe_header(0x8664)[:0x3C] + (0x7F80).to_bytes(4, "little"))
        good = self.temp / "jre-good"
        (good / "bin" / "client").mkdir(parents=True)
        shutil.copy(FAKES["jvm.dll"], good / "bin" / "client" / "jvm.dll")
        PREFIX.seed_registry([(JRE, "1.8.0_999", damaged), (JRE, "1.8.0_151", good)])
        run, log = self.launch(["wexal.main.class=app.Main", "wexal.debug.file=debug.txt"])
        self.assertNoReport(run)
        self.assertEqual(self.chosen_jvm(), jvm_record(good, "jre", "client", "1.8.0_151", "001.008.000.151.B2.D2."))
        notes = (self.app.folder / "debug.txt").read_text(encoding="latin-1").splitlines()
        self.assertIn(f"JVM candidate: {windows_path(damaged)}: 1.8.0_999, JRE: VM library damaged or unreadable", notes)


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
             (1, "", f"{windows_path(self.app.path)}: Error in Java launcher. No acceptable JVMs were found.\r\n\r\n"
                     f"{SEARCHED_PLACES}\r\n")),
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


SERVICES_KEY = "HKLM\\SYSTEM\\CurrentControlSet\\Services"
REG_VALUE = re.compile(r"^\s+(\w+)\s+REG_\w+\s+([^\r\n]*)", re.MULTILINE)


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

    def wait_for_log_line(self, line, timeout=20):
        """True once the fake VM's log holds `line`, False when `timeout` seconds pass first."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.log.exists() and line in self.log.read_text(encoding="utf-8").splitlines():
                return True
            time.sleep(0.2)
        return False

    def registry_values(self, key):
        """The values of the registry key `key` as {name: text as `reg query` shows it}; None when
        the key does not exist."""
        run = self.sc_like("reg", "query", f'"{key}"')
        return dict(REG_VALUE.findall(run.stdout)) if run.returncode == 0 else None

    def sc_like(self, *words):
        return PREFIX.run_batch(["@" + " ".join(words)], self.app.folder)

    def run_service_to_its_end(self, lines):
        """Installs the service with `lines`, starts it, waits until it has stopped, removes it."""
        self.assertEqual(self.run_tool(self.service_lines(*lines), "--install")[0].returncode, 0)
        self.sc("start", self.NAME)
        self.assertEqual(self.wait_for_state("STOPPED")[0], "STOPPED")
        self.assertEqual(self.run_tool(self.service_lines(), "--uninstall")[0].returncode, 0)

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
        # The event thread's call of initiateExit, then the main thread leaves the VM before its teardown.
        self.assertEqual(log[-8:], ["AttachCurrentThread", "FindClass app/Main",
                                    "GetStaticMethodID app/Main initiateExit (I)V",
                                    "CallStaticVoidMethod app/Main initiateExit 0", "DetachCurrentThread",
                                    "ExceptionOccurred none", "DetachCurrentThread", "DestroyJavaVM"])
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
        # Running is reported before the VM exists; a stop then would keep main from being called.
        self.assertTrue(self.wait_for_log_line("CallStaticVoidMethod app/Main main 0"))
        started = time.monotonic()
        self.sc("stop", self.NAME)
        self.assertEqual(self.wait_for_state("STOPPED"), ("STOPPED", "1066", "1"))
        self.assertLess(time.monotonic() - started, 10)

    def test_install_writes_every_setting_and_uninstall_removes_them_with_the_event_source(self):
        # Wine keeps no failure actions and knows no delayed start; the unit tests cover what the
        # launcher asks for there.
        service_key = f"{SERVICES_KEY}\\{self.NAME}"
        source_key = f"{SERVICES_KEY}\\EventLog\\Application\\{self.NAME}"
        cases = [
            ([], {"ObjectName": "LocalSystem", "Start": "0x2", "PreshutdownTimeout": "0x4e20"}),
            (["wexal.service.account=NetworkService", "wexal.service.start=manual", "wexal.service.stop.timeout=9",
              "wexal.service.dependencies=Tcpip; RpcSs", "wexal.service.restart.delay=5"],
             {"ObjectName": "NT AUTHORITY\\NetworkService", "Start": "0x3", "PreshutdownTimeout": "0x2328",
              "DependOnService": "Tcpip\\0RpcSs"}),
            (["wexal.service.account=NT SERVICE\\WexalTestService", "wexal.service.start=disabled"],
             {"ObjectName": "NT SERVICE\\WexalTestService", "Start": "0x4"}),
        ]
        for lines, expected in cases:
            with self.subTest(lines=lines):
                self.assertEqual(self.run_tool(self.service_lines(*lines), "--install")[0].returncode, 0)
                values = self.registry_values(service_key)
                self.assertEqual({name: values.get(name) for name in expected}, expected)
                self.assertEqual(values["ImagePath"], f'"{windows_path(self.app.path)}"')
                self.assertEqual(self.registry_values(source_key),
                                 {"EventMessageFile": windows_path(self.app.path), "TypesSupported": "0x7"})
                self.assertEqual(self.run_tool(self.service_lines(), "--uninstall")[0].returncode, 0)
                self.assertEqual((self.registry_values(service_key), self.registry_values(source_key)), (None, None))

    def test_a_stop_right_after_start_stops_the_service_at_once_with_exit_code_0(self):
        lines = self.service_lines("-Dfakejvm.main=wait-for-exit")
        self.assertEqual(self.run_tool(lines, "--install")[0].returncode, 0)
        started = time.monotonic()
        PREFIX.run_batch([f"@sc start {self.NAME} >nul", f"@sc stop {self.NAME} >nul"], self.app.folder)
        self.assertEqual(self.wait_for_state("STOPPED"), ("STOPPED", "0", "0"))
        self.assertLess(time.monotonic() - started, 10)
        log = self.log.read_text(encoding="utf-8").splitlines() if self.log.exists() else []
        # main is never called, or it is asked to end.
        if "CallStaticVoidMethod app/Main main 0" in log:
            self.assertIn("CallStaticVoidMethod app/Main initiateExit 0", log)

    def test_a_stop_while_the_vm_starts_keeps_main_from_being_called(self):
        lines = self.service_lines("-Dfakejvm.main=wait-for-exit", "-Dfakejvm.fail=create-slowly")
        self.assertEqual(self.run_tool(lines, "--install")[0].returncode, 0)
        self.sc("start", self.NAME)
        self.assertEqual(self.wait_for_state("RUNNING")[0], "RUNNING")
        self.sc("stop", self.NAME)
        self.assertEqual(self.wait_for_state("STOPPED"), ("STOPPED", "0", "0"))
        log = self.log.read_text(encoding="utf-8").splitlines()
        self.assertIn("DestroyJavaVM", log)
        self.assertNotIn("CallStaticVoidMethod app/Main main 0", log)

    def test_output_and_failures_reach_the_log_files_which_roll_over_by_size(self):
        logs = self.temp / "logs"
        lines = [f"wexal.service.log.dir={windows_path(logs)}", "wexal.service.log.max.size=20",
                 "wexal.service.log.keep=1"]
        for _ in range(3):
            self.run_service_to_its_end([*lines, "-Dfakejvm.main=print"])
        self.assertEqual(sorted(path.name for path in logs.iterdir()),
                         [f"{self.NAME}.out.1.log", f"{self.NAME}.out.log"])
        self.assertEqual([(logs / name).read_bytes() for name in (f"{self.NAME}.out.log", f"{self.NAME}.out.1.log")],
                         [b"main called\r\n"] * 2)
        # The default folder is logs in the home folder.
        self.run_service_to_its_end(["-Dfakejvm.fail=create"])
        self.assertEqual((self.app.folder / "logs" / f"{self.NAME}.err.log").read_bytes(),
                         b"Error in Java launcher. Cannot create Java VM.\r\n")


def png_image(width, height):
    """A PNG image of `width` x `height` opaque orange pixels."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + b"\xff\x80\x00\xff" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def icon_file(images):
    """An .ico file of `images`, each (width, height, bits per pixel, image bytes)."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for width, height, bits, data in images:
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    return directory + b"".join(data for *_, data in images)


class BrandingTest(ConsoleTestCase):
    """wexal-brand, run under Wine, on copies of both launchers: read back with wrestool (icoutils), an
    independent reader, and run with the fake VM."""

    TEXTS = {"--product-name": ("ProductName", "Acme Reports"), "--description": ("FileDescription", "Builds reports"),
             "--company": ("CompanyName", "Acme Ltd."), "--copyright": ("LegalCopyright", "(c) 2026 Acme Ltd."),
             "--original-filename": ("OriginalFilename", "reports.exe")}
    # Two images of their own: a PNG and the 16x16 image of the launchers' icon.
    IMAGES = [(48, 48, 32, png_image(48, 48)),
              (16, 16, 32, pe_resources.PeImage(pathlib.Path(LAUNCHER).read_bytes()).resources(3)[-1])]

    def setUp(self):
        super().setUp()
        self.icon = self.temp / "acme.ico"
        self.icon.write_bytes(icon_file(self.IMAGES))

    def brand(self, source, output, *options):
        return PREFIX.run(BRAND_TOOL, [windows_path(source), windows_path(output), *options], trace=False)

    @staticmethod
    def listed_resources(path):
        """The (type, name) pairs that wrestool lists in `path`, in their order."""
        listing = subprocess.run(["wrestool", "-l", str(path)], capture_output=True, text=True, check=True).stdout
        return [(int(kind), int(name)) for kind, name in re.findall(r"--type=(\d+) --name=(\d+) --language=1033", listing)]

    def assertBrandedAs(self, path, source, images, figures, texts, level):
        """wrestool lists exactly `images`, the group and the other resources of `source`, and extracts
        them as written; the checksum is that of the file."""
        def extract(*options):
            return subprocess.run(["wrestool", "-x", "--raw", *options, str(path)], capture_output=True, check=True).stdout
        kept = [resource for resource in self.listed_resources(source) if resource[0] not in (3, 14)]
        self.assertEqual(self.listed_resources(path),
                         sorted([(3, i) for i in range(1, len(images) + 1)] + [(14, 101)] + kept))
        for number, (*_, data) in enumerate(images, 1):
            self.assertEqual(extract("-t3", f"-n{number}"), data)
        group = extract("-t14")
        self.assertEqual([struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(len(images))],
                         [(w % 256, h % 256, 0, 0, 1, bits, len(data), i + 1) for i, (w, h, bits, data) in enumerate(images)])
        version = pe_resources.VersionInfo(extract("-t16"))
        self.assertEqual((version.file_version, version.product_version), (figures, figures))
        self.assertEqual({name: version.strings.get(name) for name in texts}, texts)
        self.assertEqual(version.strings["InternalName"], "Wexal")
        original = wine_support.resource(LAUNCHER, wine_support.RT_MANIFEST, 1)
        self.assertEqual(extract("-t24"), original.replace(b'level="asInvoker"', f'level="{level}"'.encode()))
        stored, computed = pe_resources.PeImage(pathlib.Path(path).read_bytes()).checksums()
        self.assertEqual(stored, computed)

    def test_branded_launchers_hold_what_was_written_and_start_the_program(self):
        options = [argument for option, (_, text) in self.TEXTS.items() for argument in (option, text)]
        texts = {name: text for name, text in self.TEXTS.values()}
        for launcher, name in ((LAUNCHER, "reports.exe"), (CONSOLE_LAUNCHER, "reportsc.exe")):
            with self.subTest(name):
                # The linker's checksum of the input: the reader computes checksums as Windows does.
                stored, computed = pe_resources.PeImage(pathlib.Path(launcher).read_bytes()).checksums()
                self.assertEqual(stored, computed)
                branded = self.temp / "branded" / name
                branded.parent.mkdir(exist_ok=True)
                run = self.brand(launcher, branded, "--icon", windows_path(self.icon), "--version", "3.1.4.1",
                                 *options, "--execution-level", "highestAvailable")
                self.assertEqual((run.returncode, run.stdout, run.stderr), (0, "", ""))
                self.assertBrandedAs(branded, launcher, self.IMAGES, (3, 1, 4, 1),
                                     {**texts, "FileVersion": "3.1.4.1", "ProductVersion": "3.1.4.1"}, "highestAvailable")
                self.app = e2e.InstalledLauncher(branded, self.temp / "app", "tool.exe")
                run, log = self.run_tool(["wexal.main.class=app.Main", self.vm_line], main="print")
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(log[-2:], ["DetachCurrentThread", "DestroyJavaVM"])

    def test_a_branded_copy_brands_again_in_place(self):
        first, second = self.temp / "first.exe", self.temp / "second.exe"
        self.assertEqual(self.brand(LAUNCHER, first, "--version", "2.0.0", "--company", "Acme").returncode, 0)
        png = self.temp / "acme.png"
        png.write_bytes(png_image(256, 256))
        run = self.brand(first, second, "--icon", windows_path(png), "--product-name", "Second")
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertBrandedAs(second, LAUNCHER, [(256, 256, 32, png.read_bytes())], (2, 0, 0, 0),
                             {"CompanyName": "Acme", "ProductName": "Second", "FileVersion": "2.0.0"}, "asInvoker")
        sections = [len(pe_resources.PeImage(path.read_bytes()).sections) for path in (LAUNCHER, first, second)]
        self.assertEqual(sections[1:], [sections[0] + 1] * 2)
        self.app = e2e.InstalledLauncher(second, self.temp / "app", "tool.exe")
        run, _ = self.run_tool(["wexal.main.class=app.Main", self.vm_line], main="print")
        self.assertEqual(run.returncode, 0, run.stderr)

    def test_each_refusal_names_the_file_and_the_reason_and_writes_nothing(self):
        notes, signed, big = self.temp / "notes.txt", self.temp / "signed.exe", self.temp / "big.png"
        notes.write_text("not a program")
        image = bytearray(pathlib.Path(LAUNCHER).read_bytes())
        pe = struct.unpack_from("<I", image, 0x3C)[0]
        directories = pe + 24 + (96 if BITS == 32 else 112)
        struct.pack_into("<II", image, directories + 4 * 8, len(image), 8)
        signed.write_bytes(bytes(image) + bytes(8))
        big.write_bytes(png_image(300, 200))
        cases = [
            ((notes,), notes, "the file is not a Windows executable."),
            ((FAKES["jvm.dll"],), FAKES["jvm.dll"],
             'the file is not a Wexal launcher (its version resource has no InternalName "Wexal").'),
            ((signed,), signed, "the file carries an Authenticode signature, which changing its resources would break: "
                                "brand the unsigned launcher and sign the branded copy (sign after branding)."),
            ((LAUNCHER, "--icon", windows_path(big)), big,
             "the PNG image is 300x200 pixels; an icon image can be at most 256x256."),
        ]
        output = self.temp / "out" / "out.exe"
        output.parent.mkdir()
        for (source, *options), named, reason in cases:
            with self.subTest(reason):
                run = self.brand(source, output, *options)
                self.assertEqual((run.returncode, run.stdout, run.stderr),
                                 (1, "", f"wexal-brand: {windows_path(named)}: {reason}\r\n"))
                self.assertEqual(list(output.parent.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
