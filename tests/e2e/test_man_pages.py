"""The man pages against the programs: every option --help prints, every environment
variable a program reads and every file it writes has its place in that program's page. The
options come from --help itself, the variables from the getenv calls of the sources whose
names the built program holds, so a new option or variable without its man line fails."""

import os
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402

# program: (built file, the source folders whose getenv calls it may make)
PROGRAMS = {
    "kestrel": ("kestrel", ["src"]),
    "panelset": ("panelset", ["tools/panelset", "src/runtime/platform"]),
    "kestrel-receiver-sim": ("tools/receiver-sim/receiver-sim", ["tools/receiver-sim/src"]),
}
# The files each program writes (besides temporary files renamed over them).
FILES_WRITTEN = {
    "kestrel": ["KESTREL.CFG", "COM1", "debug1.dat", "bank00.dat", "hits.csv"],
    "panelset": ["KESTREL.CFG", "COM1"],
    "kestrel-receiver-sim": ["--memory-out", "--log", "--link"],
}
# Names a program holds only because a helper beside one it calls was linked in with it:
# panelset has the voice places' reader in the same file as the user's folder.
NOT_READ = {"panelset": {"XDG_DATA_DIRS"}}
GETENV = re.compile(r'(?:getenv|Environment)\("([A-Z][A-Z0-9_]*)"\)')
OPTION_LINE = re.compile(r"^\s+(--[a-z][a-z0-9-]*)", re.MULTILINE)
USAGE_OPTION = re.compile(r"(?<![\w-])(--[a-z][a-z0-9-]*)")


def page_text(name):
    """The page's source as words: roff's hyphens and font changes taken out."""
    with open(os.path.join(e2e.SOURCE_DIR, "packaging", "man", name + ".1")) as page:
        text = page.read()
    return re.sub(r"\\f[BIRP]", "", text.replace("\\-", "-"))


def help_options(program):
    text = subprocess.run([program, "--help"], capture_output=True, text=True,
                          timeout=30).stdout
    usage = [line for line in text.splitlines() if line.strip().startswith(("Usage", "panelset"))]
    found = set(OPTION_LINE.findall(text))
    for line in usage:
        found.update(USAGE_OPTION.findall(line))
    return found


def variables_read(program, folders):
    names = set()
    for folder in folders:
        for base, _, files in os.walk(os.path.join(e2e.SOURCE_DIR, folder)):
            for name in files:
                if name.endswith((".cpp", ".h")) and "/tests" not in base:
                    with open(os.path.join(base, name)) as source:
                        names.update(GETENV.findall(source.read()))
    with open(program, "rb") as binary:
        content = binary.read()
    return {name for name in names if name.encode() + b"\0" in content}


def mentioned(word, text):
    return re.search(r"(?<![\w-])" + re.escape(word) + r"(?![\w-])", text) is not None


class ManPages(unittest.TestCase):
    def test_each_option_variable_and_written_file_is_in_the_programs_page(self):
        for name, (built, folders) in PROGRAMS.items():
            program = os.path.join(e2e.BUILD_DIR, built)
            text = page_text(name)
            options = help_options(program)
            self.assertIn("--help", options, name)
            variables = variables_read(program, folders) - NOT_READ.get(name, set())
            for word in sorted(options | variables | set(FILES_WRITTEN[name])):
                with self.subTest(program=name, word=word):
                    self.assertTrue(mentioned(word, text), "%s.1 lacks %s" % (name, word))
        self.assertIn("KESTREL_JOURNAL", variables_read(
            os.path.join(e2e.BUILD_DIR, "kestrel"), ["src"]))


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
