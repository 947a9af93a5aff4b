"""The resources of the built Windows launcher, read back from the file: the version resource made
from the project's version, beside the icon and the manifest."""

import os
import unittest

import e2e_support as e2e
import pe_resources

LAUNCHER = e2e.built_file("WEXAL_E2E_LAUNCHER", "build/win64/wexal.exe")
# A DLL of ours that is built without resources.
FAKE_JVM = e2e.built_file("WEXAL_E2E_FAKE_JVM", "build/win64/fake-java-home/bin/server/jvm.dll")
VERSION = os.environ.get("WEXAL_VERSION", "")


class VersionResourceTest(unittest.TestCase):
    def test_launcher_carries_the_project_version(self):
        self.assertTrue(VERSION, "WEXAL_VERSION names the project's version")
        self.assertEqual(pe_resources.version_problems(LAUNCHER, VERSION), [])

    def test_launcher_has_one_icon_group_manifest_and_version(self):
        with open(LAUNCHER, "rb") as file:
            image = pe_resources.PeImage(file.read())
        for resource_type in (pe_resources.RT_ICON_GROUP, pe_resources.RT_MANIFEST, pe_resources.RT_VERSION):
            with self.subTest(resource_type=resource_type):
                self.assertEqual(len(image.resources(resource_type)), 1)

    def test_a_file_without_version_resource_is_reported(self):
        self.assertEqual(pe_resources.version_problems(FAKE_JVM, VERSION), [f"{FAKE_JVM}: no version resource"])


if __name__ == "__main__":
    unittest.main()
