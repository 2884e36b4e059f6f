"""One run of the real panel against the receiver simulator, in a folder of its own.

    with PanelSession(x, scenario="145.5000 120 0 -\n") as panel:
        panel.wait_ready()
        panel.keys("1", "4", "5", "period", "5", "Return")
        panel.wait_idle_polling()
        assert "VA0145.50000" in panel.sent()
        panel.close()
        assert panel.exit_code() == 0

A session makes a temporary folder, puts the voice set into it (the real one, a short one or
an empty one), writes KESTREL.CFG with panelset, starts receiver-sim there with its command
log, then starts kestrel with its journal under the given X server and the dummy audio
driver. What the panel did is read back from the journal (sounds, prints, bytes, keys), from
the simulator's log (what reached the receiver), and from the files left in the folder.
Cleanup always ends both programs; the folder is removed unless KESTREL_E2E_KEEP is set
(or KESTREL_E2E_KEEP_FAILED and the block failed).
"""

import collections
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402

CAPTION = "*** AR8600 Kestrel Front Panel v4.0c***"
JOURNAL_NAME = "journal.txt"
SIM_LOG_NAME = "sim.log"
MEMORY_OUT_NAME = "memory-out.txt"
# Simulator log lines that report what happened to the line rather than a command.
SIM_EVENTS = ("SETTINGS ", "PORT OPENED", "PORT CLOSED", "HANGUP")
# The pause that plays between commands whatever the speech setting.
PAUSE_WORD = "shdel"
STARTUP_TIMEOUT = 40.0
KEY_TIMEOUT = 30.0

Entry = collections.namedtuple("Entry", "ms kind fields")
Sound = collections.namedtuple("Sound", "ms kind path file word")
Printed = collections.namedtuple("Printed", "ms x y face points weight colour text")
Logged = collections.namedtuple("Logged", "ms text")


def unescape(text):
    """Undoes the escapes of the journal and the simulator log (\\t \\r \\n \\\\ \\xHH)."""
    out, i = [], 0
    simple = {"t": "\t", "r": "\r", "n": "\n", "\\": "\\"}
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            if nxt in simple:
                out.append(simple[nxt])
                i += 2
                continue
            if nxt == "x" and re.fullmatch(r"[0-9a-fA-F]{2}", text[i + 2:i + 4]):
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
        out.append(c)
        i += 1
    return "".join(out)


def word_of(path):
    """The word a sound path names: no folder, no ".wav", lower case (the voice set's own
    file names; files are found without regard to case)."""
    word = path.replace("\\", "/").rsplit("/", 1)[-1]
    if word.lower().endswith(".wav"):
        word = word[:-4]
    return word.lower()


def write_short_voice(source, target, keep=(PAUSE_WORD,)):
    """A voice set with every word of the real one as 20 ms of silence (the pause keeps its
    length), so a session that does not care how long words last runs quickly while every
    word still names a file that plays."""
    os.makedirs(target, exist_ok=True)
    rate, frames = 22050, 441
    data = b"\0\0" * frames
    header = (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " +
              struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16) +
              b"data" + struct.pack("<I", len(data)))
    for name in os.listdir(source):
        if not name.lower().endswith(".wav"):
            continue
        if word_of(name) in keep:
            shutil.copy(os.path.join(source, name), os.path.join(target, name))
            continue
        with open(os.path.join(target, name), "wb") as out:
            out.write(header + data)


class PanelSession:
    """The panel and the simulator in one temporary folder.

    x            the Xvfb the panel draws on (kestrel_e2e.start_xvfb())
    build_dir    where kestrel, panelset, wave/ and tools/receiver-sim/receiver-sim are
    port, baud, voice, debug
                 the settings panelset writes into KESTREL.CFG (voice and debug as bools;
                 voice "system" for the speech server)
    config_file  False: no KESTREL.CFG at all
    voice_set    "real" (build/wave), "short" (every word 20 ms), "empty" (no file) or
                 "none" (no wave/ folder at all)
    simulator    start receiver-sim (its link is COM<port>); without it a dangling COM<port>
                 link is made, so the panel never reaches a real serial device
    sim_link     the simulator's link instead of COM<port> (when something stands between)
    sim_options  further receiver-sim options (["--silent"], ["--reply-delay", "300"], ...)
    scenario     text of the scenario file; memory_in: text of the memory file
    files        {name: bytes or str} written into the folder before the panel starts
    start        start the panel at once (and wait for its window)
    folder       an empty folder to work in (a small disk, say) instead of a new temporary
                 one; removed at the end like that one (a mount point keeps only itself)
    panel_args   options for kestrel itself (["--rigctl=127.0.0.1:0"])
    env          further environment variables of the panel
    """

    def __init__(self, x, build_dir=None, port=1, baud=9600, voice=True, debug=False,
                 config_file=True, voice_set="real", simulator=True, sim_options=(),
                 scenario=None, memory_in=None, files=None, start=True, folder=None,
                 panel_args=(), sim_link=None, env=None):
        self.x = x
        self.build_dir = build_dir or e2e.BUILD_DIR
        self.config = dict(port=port, baud=baud, voice=voice, debug=debug)
        self.config_file = config_file
        self.voice_set = voice_set
        self.simulator = simulator
        self.sim_link = sim_link or "COM%d" % port
        self.sim_options = list(sim_options)
        self.scenario = scenario
        self.memory_in = memory_in
        self.files = files or {}
        self.auto_start = start
        self.keep = bool(os.environ.get("KESTREL_E2E_KEEP"))
        self.folder = None
        self.given_folder = folder
        self.panel_args = list(panel_args)
        self.extra_env = env or {}
        self.sim = None
        self.panel = None
        self.window = None
        self.started_at = None
        self._journal_cache = (0, [])

    # --- life cycle ---------------------------------------------------------------------

    def __enter__(self):
        try:
            self.prepare()
            if self.auto_start:
                self.start_panel()
        except BaseException:
            self.cleanup()
            raise
        return self

    def __exit__(self, kind, value, trace):
        if kind is not None and self.panel is not None:
            print("panel's standard error:\n" + self.panel.errors(), file=sys.stderr)
        self.cleanup(failed=kind is not None)
        return False

    def path(self, name):
        return os.path.join(self.folder, name)

    def prepare(self):
        """The folder, the voice set, the configuration and the simulator."""
        self.folder = self.given_folder or tempfile.mkdtemp(prefix="kestrel-e2e-")
        self._make_voice_set()
        for name, content in self.files.items():
            mode = "wb" if isinstance(content, bytes) else "w"
            with open(self.path(name), mode) as out:
                out.write(content)
        if self.config_file:
            self._write_config()
        if self.simulator:
            self._start_simulator()
        else:
            link = self.path("COM%d" % self.config["port"])
            if not os.path.lexists(link):
                os.symlink("no-receiver-here", link)

    def _make_voice_set(self):
        wave = self.path("wave")
        source = os.path.join(self.build_dir, "wave")
        if self.voice_set == "real":
            shutil.copytree(source, wave, ignore=shutil.ignore_patterns(".*"))
        elif self.voice_set == "short":
            write_short_voice(source, wave)
        elif self.voice_set == "empty":
            os.mkdir(wave)
        elif self.voice_set == "none":
            pass
        else:
            raise ValueError("voice_set is real, short or empty, not " + repr(self.voice_set))

    def _write_config(self):
        c = self.config
        voice = c["voice"] if isinstance(c["voice"], str) else "on" if c["voice"] else "off"
        command = [os.path.join(self.build_dir, "panelset"), "--port", str(c["port"]),
                   "--baud", str(c["baud"]), "--voice", voice,
                   "--debug", "on" if c["debug"] else "off"]
        done = subprocess.run(command, cwd=self.folder, capture_output=True, text=True,
                              timeout=30)
        if done.returncode != 0:
            raise RuntimeError("panelset failed: " + done.stderr)

    def _start_simulator(self):
        command = [os.path.join(self.build_dir, "tools", "receiver-sim", "receiver-sim"),
                   "--link", self.sim_link, "--log", SIM_LOG_NAME]
        if self.scenario is not None:
            with open(self.path("scenario.txt"), "w") as out:
                out.write(self.scenario)
            command += ["--scenario", "scenario.txt"]
        if self.memory_in is not None:
            with open(self.path("memory-in.txt"), "w") as out:
                out.write(self.memory_in)
            command += ["--memory-in", "memory-in.txt"]
        command += ["--memory-out", MEMORY_OUT_NAME, *self.sim_options]
        self.sim = e2e.Program(command, cwd=self.folder)
        # It prints the terminal's name once the link is there.
        ready = self.sim.wait_for_line(lambda line: line.startswith("/dev/"), timeout=20)
        link = self.path(self.sim_link)
        if not ready or not e2e.wait_for(lambda: os.path.lexists(link), timeout=5):
            raise RuntimeError("receiver-sim did not make its link: " + self.sim.errors())

    def start_panel(self, wait_window=True):
        """Starts kestrel; with wait_window, returns once its window is there.

        Nothing else connects to the X server while the panel does: two clients connecting
        to Xvfb at the same moment sometimes see one of them refused (EAGAIN), and a panel
        refused its display ends at once. So the window is awaited in the journal (the first
        text is drawn right after the window opened) and only then looked up with xdotool.
        A panel that was refused all the same is started again, with a note."""
        # Only the voice set given to the session may speak: none of the user's or of this
        # machine's data folders.
        no_data = self.path(".no-data")
        env = self.x.environment({"SDL_AUDIODRIVER": "dummy",
                                  "KESTREL_JOURNAL": self.path(JOURNAL_NAME),
                                  "XDG_DATA_HOME": no_data, "XDG_DATA_DIRS": no_data,
                                  **self.extra_env})
        for attempt in range(3):
            self.started_at = time.monotonic()
            self.panel = e2e.Program([os.path.join(self.build_dir, "kestrel"), *self.panel_args],
                                     env=env, cwd=self.folder)
            drawn = e2e.wait_for(lambda: self._drawn() or not self.running(),
                                 timeout=STARTUP_TIMEOUT)
            refused = not self.running() and "no window: no display" in self.panel.errors()
            if not refused or attempt == 2:
                break
            print("panel refused its display (%s); starting it again" % self._server_state(),
                  file=sys.stderr)
            self.panel.stop()
        if wait_window:
            if drawn and self.running():
                self.window = e2e.wait_for(self._own_window, timeout=10)
            if not self.window:
                raise AssertionError("no panel window (%s); stderr: %s" % (
                    self._server_state(), self.panel.errors()))
        return self.panel

    def _drawn(self):
        return any(e.kind == "PRINT" for e in self.journal())

    def _server_state(self):
        number = self.x.display.lstrip(":")
        return "X server %s %s, socket %s" % (
            self.x.display, "running" if self.x.process.poll() is None else "gone",
            "there" if os.path.exists("/tmp/.X11-unix/X" + number) else "missing")

    def _own_window(self):
        result = subprocess.run(["xdotool", "search", "--pid", str(self.panel.process.pid),
                                 "--name", re.escape(CAPTION)], capture_output=True,
                                text=True, env={**os.environ, "DISPLAY": self.x.display})
        ids = result.stdout.split()
        return int(ids[0]) if ids else None

    @property
    def pid(self):
        return self.panel.process.pid

    def running(self):
        return self.panel is not None and self.panel.process.poll() is None

    def wait_ready(self, timeout=STARTUP_TIMEOUT):
        """Waits until start-up is over and the receiver has answered: "connected" has been
        played (or attempted, with speech off) and the first "LM" reached the simulator."""
        if not self.wait_sound("connected", timeout=timeout):
            raise AssertionError("the panel never said connected; sent: %r" % self.sent())
        if not self.wait_sent("LM", timeout=timeout):
            raise AssertionError("no LM reached the simulator")

    def close(self):
        """The close box: WM_DELETE_WINDOW to the panel's window."""
        self._x_client(lambda: e2e.send_close(self.window, self.x.display))

    @staticmethod
    def _x_client(action, attempts=3):
        """Runs an action that connects to the X server, again if the server refused it."""
        for attempt in range(attempts):
            try:
                return action()
            except (subprocess.CalledProcessError, RuntimeError):
                if attempt == attempts - 1:
                    raise
                time.sleep(0.1)

    def terminate(self):
        self.panel.signal(signal.SIGTERM)

    def exit_code(self, timeout=30.0):
        """The panel's exit code once it has ended; None if it is still running then."""
        return self.panel.wait(timeout)

    def stop_simulator(self, timeout=10.0):
        """SIGTERM to the simulator and its exit code (it writes --memory-out at exit)."""
        if self.sim is None:
            return None
        self.sim.signal(signal.SIGTERM)
        return self.sim.wait(timeout)

    def cleanup(self, failed=False):
        for program in (self.panel, self.sim):
            if program is None:
                continue
            if program.process.poll() is None:
                program.signal(signal.SIGTERM)
                if program.wait(5) is None:
                    program.stop()
            program.stop()
        if self.folder and os.path.isdir(self.folder):
            if self.keep or (failed and os.environ.get("KESTREL_E2E_KEEP_FAILED")):
                print("session folder kept:", self.folder, file=sys.stderr)
            else:
                shutil.rmtree(self.folder, ignore_errors=True)

    # --- keys ---------------------------------------------------------------------------

    def key_downs(self):
        return [e for e in self.journal() if e.kind == "KEY" and e.fields[0] == "down"]

    def keys(self, *keysyms, gap=0.1, timeout=KEY_TIMEOUT):
        """Types each key with xdotool and waits until the panel has taken its key-down
        (its KEY down line), then a little more, before the next one: the panel takes keys
        only between ticks, and a tick that speaks lasts as long as its words."""
        for keysym in keysyms:
            before = len(self.key_downs())
            self._x_client(lambda: e2e.press_keys(keysym, display=self.x.display))
            if not e2e.wait_for(lambda: len(self.key_downs()) > before, timeout=timeout):
                raise AssertionError("the panel did not take the key %r" % keysym)
            time.sleep(gap)

    KEYSYMS = {".": "period", " ": "space", "\n": "Return", "\r": "Return"}

    def type_text(self, text, **options):
        """Types a text of digits, letters, "." (full stop), " " and newline (Enter)."""
        self.keys(*[self.KEYSYMS.get(c, c.lower()) for c in text], **options)

    # --- the journal --------------------------------------------------------------------

    def journal(self):
        """Every journal line so far as Entry(ms, kind, fields), fields unescaped."""
        path = self.path(JOURNAL_NAME)
        try:
            size = os.path.getsize(path)
        except OSError:
            return []
        if size == self._journal_cache[0]:
            return self._journal_cache[1]
        with open(path, "rb") as source:
            raw = source.read().decode("latin-1")
        entries = []
        for line in raw.split("\n"):
            # A line still being written has no line end yet; it is read next time.
            if not line:
                continue
            parts = line.split("\t")
            if not parts[0].isdigit() or len(parts) < 2:
                continue
            entries.append(Entry(int(parts[0]), parts[1], [unescape(f) for f in parts[2:]]))
        if not raw.endswith("\n") and entries:
            entries.pop()
        else:
            self._journal_cache = (size, entries)
        return entries

    def sound_events(self):
        return [Sound(e.ms, e.fields[0], e.fields[1], e.fields[2], word_of(e.fields[1]))
                for e in self.journal() if e.kind == "SOUND" and len(e.fields) >= 3]

    def sounds(self, pauses=False, since=0):
        """The words the panel spoke (or tried to: with speech off the files are missing),
        in order; the pause word only with pauses=True."""
        return [s.word for s in self.sound_events()
                if s.kind != "stop" and s.ms >= since and (pauses or s.word != PAUSE_WORD)]

    def prints(self):
        found = []
        for e in self.journal():
            if e.kind == "PRINT" and len(e.fields) >= 7:
                x, y, face, points, weight, colour = e.fields[:6]
                found.append(Printed(e.ms, int(x), int(y), face, int(points), int(weight),
                                     int(colour), e.fields[6]))
        return found

    def written(self):
        """The bytes the panel wrote to its serial port, as one text."""
        return "".join(e.fields[0] for e in self.journal() if e.kind == "OUT" and e.fields)

    def wait_journal(self, match, timeout=20.0, since=0):
        """The first journal Entry at or after ms `since` that matches: a predicate over
        Entry, or a regular expression searched in the tab-joined line (kind and fields,
        unescaped). None at timeout."""
        if isinstance(match, str):
            pattern = re.compile(match)

            def matches(entry):
                return pattern.search("\t".join([entry.kind, *entry.fields]))
        else:
            matches = match
        return e2e.wait_for(
            lambda: next((e for e in self.journal() if e.ms >= since and matches(e)), None),
            timeout)

    def wait_sound(self, word, timeout=20.0, since=0):
        return self.wait_journal(lambda e: e.kind == "SOUND" and len(e.fields) >= 2 and
                                 word_of(e.fields[1]) == word, timeout, since)

    def wait_idle_polling(self, polls=2, timeout=60.0):
        """Waits until every key typed has been dealt with: the level request "LM" has gone
        out `polls` times after the last key-down (the poll resumes only when the key queue
        is empty). Returns the journal ms of the last of those requests."""
        def idle():
            entries = self.journal()
            last_key = max((e.ms for e in entries if e.kind == "KEY"), default=0)
            requests = [e.ms for e in entries
                        if e.kind == "OUT" and e.fields and e.fields[0] == "LM\r" and
                        e.ms > last_key]
            return requests[polls - 1] if len(requests) >= polls else None
        found = e2e.wait_for(idle, timeout)
        if found is None:
            raise AssertionError("the panel did not go back to polling")
        return found

    # --- the simulator's log --------------------------------------------------------------

    def sim_log(self):
        """Every line of the simulator's log as Logged(ms, text), text unescaped."""
        try:
            with open(self.path(SIM_LOG_NAME), "rb") as source:
                raw = source.read().decode("latin-1")
        except OSError:
            return []
        found = []
        for line in raw.split("\n")[:-1]:
            ms, _, text = line.partition("\t")
            if ms.isdigit():
                found.append(Logged(int(ms), unescape(text)))
        return found

    def sent(self):
        """The commands that reached the simulator, in order, without their CR."""
        return [entry.text for entry in self.sim_log() if not entry.text.startswith(SIM_EVENTS)]

    def sim_events(self):
        return [entry.text for entry in self.sim_log() if entry.text.startswith(SIM_EVENTS)]

    def wait_sent(self, command, timeout=20.0, count=1):
        """Waits until the command (text, or predicate over it) has reached the simulator
        `count` times; returns the commands sent so far, or None at timeout."""
        test = command if callable(command) else (lambda text: text == command)
        return e2e.wait_for(lambda: (lambda s: s if sum(map(test, s)) >= count else None)(
            self.sent()), timeout)

    # --- files ----------------------------------------------------------------------------

    def read_file(self, name):
        """A file of the folder as text (Latin-1), or None when it is not there."""
        try:
            with open(self.path(name), "rb") as source:
                return source.read().decode("latin-1")
        except OSError:
            return None

    def file_lines(self, name):
        """The CR LF lines of a file (bank files, the trace), or None."""
        text = self.read_file(name)
        if text is None:
            return None
        lines = text.split("\r\n")
        if lines and lines[-1] == "":
            lines.pop()
        return lines

    def trace(self):
        return self.file_lines("debug1.dat")
