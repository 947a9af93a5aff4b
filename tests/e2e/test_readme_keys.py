"""The README's key reference against the keys the launcher reads: every key the configuration
reader knows has one row in the README's key table, and every row names a key it knows."""

import pathlib
import re
import unittest

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
README = REPOSITORY / "README.md"
# The key tables of the passes that apply the configuration.
KEY_SOURCE = REPOSITORY / "src/config/ConfigurationPasses.cpp"


KEY_TABLE_HEADER = "| Key | Value | Meaning |"


def known_keys(source):
    """The key names in the configuration reader's source: its wide literals that start "wexal."."""
    return re.findall(r'L"(wexal\.[^"]+)"', source)


def readme_keys(text):
    """The key of each row of the README's key table (the one headed KEY_TABLE_HEADER), in order;
    a row whose first cell is not one key in backticks yields that cell as it is."""
    lines = text.splitlines()
    start = lines.index(KEY_TABLE_HEADER) + 2
    keys = []
    for line in lines[start:]:
        if not line.startswith("|"):
            break
        cell = line.split("|")[1].strip()
        match = re.fullmatch(r"`(wexal\.[a-z.]+)`", cell)
        keys.append(match.group(1) if match else cell)
    return keys


class ReadmeKeysTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.known = known_keys(KEY_SOURCE.read_text(encoding="utf-8"))
        cls.documented = readme_keys(README.read_text(encoding="utf-8"))

    def test_every_known_key_has_a_row(self):
        self.assertIn("wexal.main.class", self.known, f"{KEY_SOURCE} holds no key table")
        missing = sorted(set(self.known) - set(self.documented))
        self.assertEqual(missing, [], "keys the launcher reads that the README's key table lacks")

    def test_every_row_names_one_known_key_once(self):
        unknown = sorted(set(self.documented) - set(self.known))
        self.assertEqual(unknown, [], "rows of the README's key table that name no key the launcher reads")
        repeated = sorted({key for key in self.documented if self.documented.count(key) > 1})
        self.assertEqual(repeated, [], "keys with more than one row")
