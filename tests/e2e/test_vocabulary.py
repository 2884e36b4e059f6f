"""Every word the program can play has a line in voice/vocabulary.tsv, and make-voice turns
each line into a playable WAV file.

The words are collected from the sources: string literals handed to SayWord,
SayWordInBackground and PlayFixedWord, or to any routine with a parameter named "word"
(such a routine speaks it; literals compared with == or != inside the argument are
conditions, not words), and the tables marked with a "// voice-words" comment on the line
before them (see voice/README.md). Typed characters are spoken as themselves, so every digit
and letter is a word too, and so is "point".
"""

import argparse
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import wave

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]

SPEAKING = ["SayWord", "SayWordInBackground", "PlayFixedWord"]
# A routine declared with a parameter named "word" hands it on to be spoken.
WORD_PARAMETER = re.compile(r"\b([A-Za-z_]\w*)\s*\([^()]*?(?:\*|&|\bstring_view)\s*word\s*[,)]")
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
COMPARED_LITERAL = re.compile(r'(?:[=!]=\s*"(?:[^"\\\n]|\\.)*")|(?:"(?:[^"\\\n]|\\.)*"\s*[=!]=)')
MARKER = re.compile(r"//\s*voice-words(?::\s*column\s+(\d+))?\s*$")
ROW = re.compile(r"\{([^{}]*)\}")

REQUIRED = [str(d) for d in range(10)] + [chr(c) for c in range(ord("a"), ord("z") + 1)] + ["point"]


def call_argument(text, start):
    """The text between the parenthesis at start - 1 and its partner."""
    depth = 1
    i = start
    while i < len(text) and depth:
        depth += {"(": 1, ")": -1}.get(text[i], 0)
        i += 1
    return text[start:i - 1]


def speaking_routines(texts):
    """SayWord and its kin, and every routine declared with a parameter named "word"."""
    names = set(SPEAKING)
    for text in texts:
        names.update(WORD_PARAMETER.findall(text))
    return names


def words_of_calls(text, routines=SPEAKING):
    words = []
    call_pattern = re.compile(r"\b(?:%s)\s*\(" % "|".join(sorted(map(re.escape, routines))))
    for call in call_pattern.finditer(text):
        argument = COMPARED_LITERAL.sub("", call_argument(text, call.end()))
        words += LITERAL.findall(argument)
    return words


def words_of_tables(text, where):
    words = []
    lines = text.splitlines()
    for number, line in enumerate(lines):
        marker = MARKER.search(line)
        if not marker:
            continue
        body = []
        for following in lines[number + 1:]:
            body.append(following)
            if "};" in following:
                break
        else:
            raise AssertionError(f"{where}:{number + 1}: voice-words marker without a table")
        table = "\n".join(body)
        table = table[table.index("{") + 1:]
        if marker.group(1) is None:
            words += LITERAL.findall(table)
            continue
        column = int(marker.group(1))
        for row in ROW.findall(table):
            literals = LITERAL.findall(row)
            if len(literals) < column:
                raise AssertionError(f"{where}:{number + 1}: a row without column {column}: {row}")
            words.append(literals[column - 1])
    return words


def file_name(word):
    """The file a word names: letter case does not matter and ".wav" may be left out."""
    name = word.lower()
    return name[:-4] if name.endswith(".wav") else name


def words_in_code(source_dir):
    found = {}
    sources = {path.relative_to(source_dir): path.read_text(encoding="latin-1")
               for path in sorted((source_dir / "src").rglob("*"))
               if path.suffix in (".cpp", ".h")}
    routines = speaking_routines(sources.values())
    for where, text in sources.items():
        for word in words_of_calls(text, routines) + words_of_tables(text, where):
            found.setdefault(file_name(word), str(where))
    return found


def read_table(path):
    lines = path.read_text(encoding="utf-8").splitlines()
    entries = {}
    for number, line in enumerate(lines, 1):
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 2 or not fields[1].strip():
            raise AssertionError(f"{path}:{number}: expected word TAB phrase: {line!r}")
        if fields[0] in entries:
            raise AssertionError(f"{path}:{number}: {fields[0]} listed twice")
        entries[fields[0]] = fields[1]
    return lines, entries


def read_wav(path):
    with wave.open(str(path), "rb") as w:
        shape = (w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes())
        frames = w.readframes(w.getnframes())
    samples = [int.from_bytes(frames[i:i + 2], "little", signed=True) for i in range(0, len(frames), 2)]
    return shape, samples


class VocabularyTable(unittest.TestCase):
    def setUp(self):
        self.lines, self.table = read_table(SOURCE_DIR / "voice" / "vocabulary.tsv")

    def test_the_table_starts_with_a_comment_and_names_files_in_lower_case(self):
        self.assertTrue(self.lines[0].startswith("#"))
        for word in self.table:
            self.assertRegex(word, r"^[a-z0-9]+$")

    def test_every_word_of_the_code_has_a_line(self):
        used = words_in_code(SOURCE_DIR)
        self.assertIn("srching", used, "the scanner no longer sees the calls")
        self.assertIn("attoff", used, "the scanner no longer sees the mode table")
        # Words said through helpers and tables, and the word of a bank file not written.
        spoken_by_helpers = ["start", "end", "incr", "put", "bank", "sort", "transfer",
                             "delete", "kestrel", "failed"]
        self.assertEqual([w for w in spoken_by_helpers if w not in used], [])
        missing = {word: where for word, where in used.items() if word not in self.table}
        self.assertEqual(missing, {}, "words played by the code but missing from vocabulary.tsv")

    def test_every_typed_character_has_a_line(self):
        self.assertEqual([w for w in REQUIRED if w not in self.table], [])


class ScannerRules(unittest.TestCase):
    def test_compared_literals_are_no_words(self):
        code = 'SayWord(c == "." ? "point" : c); SayWord(on ? "on" : "off"); PlayFixedWord("shdel");'
        self.assertEqual(words_of_calls(code), ["point", "on", "off", "shdel"])

    def test_a_routine_with_a_word_parameter_speaks_its_literals(self):
        code = ('void StartEntry(const char* word, int pending) { SayWord(word); }\n'
                'void Other(int n);\nStartEntry("put", 5); Other(3); Log("no word");')
        routines = speaking_routines([code])
        self.assertEqual(routines - set(SPEAKING), {"StartEntry"})
        self.assertEqual(words_of_calls(code, routines), ["put"])

    def test_a_marked_table_gives_its_column(self):
        code = '// voice-words: column 2\nconstexpr Row k[] = {\n  {"WFM", "wfm.wav"}, {"AUT", "auto"},\n};\n'
        self.assertEqual(words_of_tables(code, "x"), ["wfm.wav", "auto"])
        flat = '// voice-words\nconstexpr const char* k[] = {"on", "off"};\n'
        self.assertEqual(words_of_tables(flat, "x"), ["on", "off"])


class VoiceSet(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = pathlib.Path(tempfile.mkdtemp(prefix="kestrel-voice-"))
        # A copy of the voice folder, so that changing the table leaves the sources alone.
        cls.voice = cls.temp / "voice"
        shutil.copytree(SOURCE_DIR / "voice", cls.voice)
        cls.wave = cls.temp / "wave"
        started = time.monotonic()
        cls.first_run = cls.make_voice()
        cls.build_seconds = time.monotonic() - started
        _, cls.table = read_table(cls.voice / "vocabulary.tsv")

    @classmethod
    def tearDownClass(cls):
        size = sum(p.stat().st_size for p in cls.wave.glob("*.wav"))
        print(f"\nvoice set: {len(cls.table)} words, {size} bytes, built in "
              f"{cls.build_seconds:.1f} s", file=sys.stderr)
        shutil.rmtree(cls.temp, ignore_errors=True)

    @classmethod
    def make_voice(cls):
        return subprocess.run([str(cls.voice / "make-voice"), str(cls.wave)], check=True,
                              capture_output=True, text=True, timeout=300).stdout

    def test_each_word_is_a_playable_wav_in_the_voice_format(self):
        names = sorted(p.name for p in self.wave.iterdir() if p.suffix == ".wav")
        self.assertEqual(names, sorted(word + ".wav" for word in self.table))
        for word, phrase in self.table.items():
            with self.subTest(word=word):
                (channels, width, rate, frames), samples = read_wav(self.wave / (word + ".wav"))
                self.assertEqual((channels, width, rate), (1, 2, 22050))
                self.assertGreater(frames, 0)
                if phrase.startswith("<"):
                    continue
                # Spoken, and without the silence espeak-ng puts before and after a phrase.
                self.assertGreater(max(abs(s) for s in samples), 1000)
                edge = rate * 30 // 1000
                self.assertGreater(max(abs(s) for s in samples[:edge]), 64)
                self.assertGreater(max(abs(s) for s in samples[-edge:]), 64)

    def test_the_pause_is_150_ms_of_silence_and_the_beep_a_short_tone(self):
        (_, _, rate, frames), samples = read_wav(self.wave / "shdel.wav")
        self.assertAlmostEqual(frames * 1000 / rate, 150, delta=5)
        self.assertEqual(max(abs(s) for s in samples), 0)
        (_, _, rate, frames), samples = read_wav(self.wave / "beep.wav")
        self.assertAlmostEqual(frames * 1000 / rate, 120, delta=20)
        self.assertGreater(max(abs(s) for s in samples), 8000)

    def test_a_second_run_is_skipped_until_the_table_changes(self):
        before = (self.wave / "ok.wav").stat().st_mtime_ns
        self.assertIn("up to date", self.make_voice())
        self.assertEqual((self.wave / "ok.wav").stat().st_mtime_ns, before)
        time.sleep(0.01)
        (self.voice / "vocabulary.tsv").touch()
        self.assertNotIn("up to date", self.make_voice())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir")
    parser.add_argument("--source-dir")
    arguments, rest = parser.parse_known_args()
    if arguments.source_dir:
        SOURCE_DIR = pathlib.Path(arguments.source_dir).resolve()
    unittest.main(argv=[sys.argv[0]] + rest)
