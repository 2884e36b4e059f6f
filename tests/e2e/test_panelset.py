"""The panelset program as the operator runs it: exit codes, messages and the files it leaves."""
import argparse
import os
import subprocess
import sys
import tempfile
import unittest

BUILD_DIR = None


class PanelsetProgram(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory(prefix="panelset-e2e-")
        self.program = os.path.join(BUILD_DIR, "panelset")

    def tearDown(self):
        self.folder.cleanup()

    def run_panelset(self, *args):
        return subprocess.run([self.program, *args], cwd=self.folder.name,
                              capture_output=True, text=True, timeout=30)

    def entries(self):
        return sorted(os.listdir(self.folder.name))

    def test_writes_the_five_lines_and_links_the_device(self):
        done = self.run_panelset("--port", "2", "--baud", "4800", "--device", "/dev/null")
        self.assertEqual(done.returncode, 0, done.stderr)
        with open(os.path.join(self.folder.name, "KESTREL.CFG"), "rb") as config:
            self.assertEqual(config.read(),
                             b"Com=COM2\r\nBaud: 4800\r\nBits:8N2\r\nVoice:1\r\nDebug:0\r\n")
        self.assertEqual(os.readlink(os.path.join(self.folder.name, "COM2")), "/dev/null")
        self.assertEqual(self.entries(), ["COM2", "KESTREL.CFG"])

    def test_a_refusal_exits_2_on_stderr_and_writes_nothing(self):
        for args in (["--port", "12"], ["--baud", "14400"], ["--voice"], ["-x"]):
            with self.subTest(args=args):
                done = self.run_panelset(*args)
                self.assertEqual(done.returncode, 2)
                self.assertTrue(done.stderr.startswith("panelset: "), done.stderr)
                self.assertEqual(done.stdout, "")
                self.assertEqual(self.entries(), [])

    def test_help_exits_0_and_writes_nothing(self):
        done = self.run_panelset("--help")
        self.assertEqual(done.returncode, 0)
        self.assertIn("--baud B", done.stdout)
        self.assertEqual(self.entries(), [])


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--source-dir", required=True)
    options, rest = parser.parse_known_args()
    BUILD_DIR = os.path.abspath(options.build_dir)
    unittest.main(argv=[sys.argv[0], *rest])
