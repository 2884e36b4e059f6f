"""Speech servers for the system voice, each in a folder of its own: the scripted one
(ssip_server.py) and the real speech-dispatcher from Debian, run as the user with a private
configuration (espeak-ng, sound to libao's null output, so nothing is heard and a message
lasts only as long as its synthesis).

    server = start_scripted(folder, mode="answer", speak_ms=200)
    panel = PanelSession(x, voice="system", env=server.panel_env())
    ...
    server.log()   # [(ms, kind, line)] for the scripted one
    server.stop()
"""

import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SPEECHD = "/usr/bin/speech-dispatcher"
ESPEAK_MODULE = "/usr/lib/speech-dispatcher-modules/sd_espeak-ng"
# Nothing may start the user's own speech-dispatcher in place of the server under test.
NO_AUTOSPAWN = "/bin/false"


class SpeechServer:
    def __init__(self, folder, program, socket_path, log_path=None):
        self.folder, self.program, self.socket = folder, program, socket_path
        self.log_path = log_path

    def panel_env(self):
        return {"SPEECHD_ADDRESS": "unix_socket:" + self.socket, "SPEECHD_CMD": NO_AUTOSPAWN}

    def log(self):
        """The scripted server's log as (ms, kind, line)."""
        entries = []
        with open(self.log_path) as source:
            for line in source:
                ms, kind, text = line.rstrip("\n").split("\t", 2)
                entries.append((int(ms), kind, text))
        return entries

    def texts(self):
        """The text of every message received, in order."""
        return [text for _, kind, text in self.log() if kind == "TEXT"]

    def stop(self):
        """Asks the server to end (speech-dispatcher then ends its output modules too)."""
        if self.program.process.poll() is None:
            self.program.signal()
            self.program.wait(timeout=10)
        self.program.stop()


def start_scripted(folder, mode="answer", speak_ms=200, die_at=1):
    socket_path = os.path.join(folder, "ssip.sock")
    log_path = os.path.join(folder, "ssip.log")
    program = e2e.Program([sys.executable, os.path.join(HERE, "ssip_server.py"),
                           "--socket", socket_path, "--log", log_path, "--mode", mode,
                           "--speak-ms", str(speak_ms), "--die-at", str(die_at)])
    if not program.wait_for_line(lambda line: line == "listening", timeout=20):
        program.stop()
        raise RuntimeError("the scripted speech server did not start: " + program.errors())
    return SpeechServer(folder, program, socket_path, log_path)


def speech_dispatcher_missing():
    """Why the real server cannot run here, or None."""
    for path in (SPEECHD, ESPEAK_MODULE):
        if not os.path.exists(path):
            return path + " is not installed"
    return None


def start_speech_dispatcher(folder):
    """The real server on a socket in the folder, with its configuration and home there."""
    conf, home, run = (os.path.join(folder, name) for name in ("conf", "home", "run"))
    for path in (os.path.join(conf, "modules"), home, run):
        os.makedirs(path, exist_ok=True)
    shutil.copy("/etc/speech-dispatcher/modules/espeak-ng.conf", os.path.join(conf, "modules"))
    with open(os.path.join(conf, "speechd.conf"), "w") as out:
        out.write('AudioOutputMethod "libao"\n'
                  'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n'
                  'DefaultModule espeak-ng\nDefaultLanguage "en"\n'
                  'LogLevel 3\nLogDir "%s"\n' % folder)
    with open(os.path.join(home, ".libao"), "w") as out:
        out.write("default_driver=null\n")
    socket_path = os.path.join(folder, "speechd.sock")
    env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=run, XDG_CONFIG_HOME=conf)
    program = e2e.Program([SPEECHD, "--run-single", "--communication-method", "unix_socket",
                           "--socket-path", socket_path, "--config-dir", conf, "--timeout", "0",
                           "--pid-file", os.path.join(folder, "speechd.pid")], env=env)
    if not e2e.wait_for(lambda: os.path.exists(socket_path), timeout=20):
        program.stop()
        raise RuntimeError("speech-dispatcher did not start: " + program.errors())
    return SpeechServer(folder, program, socket_path)
