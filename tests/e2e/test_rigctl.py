"""The network control port against the real Hamlib client and raw clients, the panel driven
by the simulator: reads and sets with rigctl, two clients at once, a set refused while a
search runs, and a client sending a megabyte of garbage while the operator types. Every
socket is on 127.0.0.1, on a port the panel picks and names in its journal."""

import os
import random
import socket
import subprocess
import sys
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402

BLUE = 16711680
CLIENT_TIMEOUT = 30.0


def shown_frequency(panel):
    """The last text drawn in blue at the frequency field."""
    texts = [p.text for p in panel.prints() if (p.x, p.y) == (300, 150) and p.colour == BLUE]
    return texts[-1] if texts else None


class Client:
    """A raw protocol client: one line out, the answer's lines back."""

    def __init__(self, port):
        self.socket = socket.create_connection(("127.0.0.1", port), timeout=CLIENT_TIMEOUT)
        self.pending = b""

    def ask(self, line, lines=1):
        self.socket.sendall(line.encode() + b"\n")
        while self.pending.count(b"\n") < lines:
            chunk = self.socket.recv(4096)
            if not chunk:
                raise AssertionError("the panel closed the connection on %r" % line)
            self.pending += chunk
        answer = self.pending.split(b"\n")
        self.pending = b"\n".join(answer[lines:])
        return [text.decode() for text in answer[:lines]]

    def closed_by_panel(self, timeout=CLIENT_TIMEOUT):
        """True once the panel has closed the connection (anything still sent is skipped)."""
        self.socket.settimeout(timeout)
        try:
            while self.socket.recv(65536):
                pass
            return True
        except (ConnectionResetError, socket.timeout):
            return False

    def close(self):
        self.socket.close()


class RigControl(e2e.XvfbTestCase):
    def session(self, **options):
        options.setdefault("voice_set", "short")
        options.setdefault("debug", True)
        panel = self.enterContext(PanelSession(self.x, panel_args=["--rigctl=127.0.0.1:0"],
                                               **options))
        panel.wait_ready()
        listening = panel.wait_journal(r"^RIGCTL\tlisten\t127\.0\.0\.1:\d+$")
        self.assertIsNotNone(listening, "the panel did not name its control port")
        return panel, int(listening.fields[1].rsplit(":", 1)[1])

    def rigctl(self, port, *commands):
        done = subprocess.run(["rigctl", "-m", "2", "-r", "127.0.0.1:%d" % port, *commands],
                              capture_output=True, text=True, timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr)
        return done.stdout.split("\n")[:-1]

    def finish(self, panel):
        panel.close()
        self.assertEqual(panel.exit_code(), 0)
        self.assertEqual(panel.sent()[-1], "EX")

    def test_the_hamlib_client_reads_and_tunes_through_the_panel(self):
        panel, port = self.session(scenario="145.5000 120 0 -\n")
        self.assertEqual(self.rigctl(port, "f", "m"), ["145000000", "FM", "12000"])
        since = panel.wait_sound("connected").ms + 1
        mark = len(panel.sent())
        self.assertEqual(self.rigctl(port, "F", "145500000", "f", "M", "FM", "0"), ["145500000"])
        self.assertTrue(panel.wait_sent(lambda c: c == "MD1", count=2), "no mode set came")
        self.assertEqual([c for c in panel.sent()[mark:] if c != "LM"],
                         ["VA0145.50000", "MD1"])
        trace = [line for line in panel.trace() if line != "TX= LM" and
                 not line.startswith("RX= ")]
        self.assertIn(["NET= F 145500000.000000", "TX= VA0145.50000", "NET= M FM 0", "TX= MD1"],
                      [trace[i:i + 4] for i in range(len(trace))])
        self.assertEqual(shown_frequency(panel), "145.5")
        self.assertEqual(self.rigctl(port, "m"), ["FM", "12000"])
        panel.wait_idle_polling(polls=2)
        self.assertEqual(panel.sounds(since=since), [], "remote sets are not spoken")
        # The signal on 145.5 MHz is now what the level poll reads.
        self.assertTrue(e2e.wait_for(lambda: self.rigctl(port, "l", "RAWSTR") == ["120"],
                                     timeout=CLIENT_TIMEOUT, interval=0.3))
        self.assertEqual(self.rigctl(port, "l", "STRENGTH"), ["6"])
        self.finish(panel)

    def test_two_clients_at_once_and_sets_refused_while_a_search_runs(self):
        panel, port = self.session()
        first, second = Client(port), Client(port)
        self.assertEqual(first.ask("f"), ["145000000"])
        self.assertEqual(second.ask("+\\get_freq", lines=3),
                         ["get_freq:", "Frequency: 145000000", "RPRT 0"])
        self.assertEqual(first.ask("F 145250000"), ["RPRT 0"])
        self.assertTrue(panel.wait_sent("VA0145.25000"))
        self.assertEqual(second.ask("f"), ["145250000"])

        panel.keys("r")
        self.assertTrue(panel.wait_sent("VS"), "the search was not started")
        mark = len(panel.sent())
        self.assertEqual(second.ask("F 146000000"), ["RPRT -9"])
        self.assertEqual(first.ask("M AM 0"), ["RPRT -9"])
        self.assertEqual(first.ask("m", lines=2), ["FM", "12000"])
        panel.wait_idle_polling(polls=3)
        self.assertEqual(set(panel.sent()[mark:]) - {"LM", "RX"}, set(),
                         "nothing but polls while the search runs")
        panel.keys("Return")  # ends the search: sets are taken again
        panel.wait_idle_polling()
        self.assertEqual(second.ask("F 146000000"), ["RPRT 0"])
        self.assertTrue(panel.wait_sent("VA0146.00000"))
        self.assertEqual(first.ask("q"), ["RPRT 0"])
        self.assertTrue(first.closed_by_panel())
        self.assertEqual(second.ask("v"), ["VFOA"])
        second.close()
        # A client that sends its commands and at once closes its side still gets answers.
        with socket.create_connection(("127.0.0.1", port), timeout=CLIENT_TIMEOUT) as once:
            once.sendall(b"f\nm\n")
            once.shutdown(socket.SHUT_WR)
            received = b""
            while chunk := once.recv(4096):
                received += chunk
        self.assertEqual(received, b"146000000\nFM\n12000\n")
        self.finish(panel)

    def test_garbage_and_long_lines_never_hold_the_operator_or_other_clients(self):
        panel, port = self.session()
        rng = random.Random(17)
        garbage = b"".join(
            b"x" + bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz 0123456789.,;:!?")
                         for _ in range(rng.randint(0, 60))) + b"\n"
            for _ in range(40000))[:1 << 20]
        noisy = socket.create_connection(("127.0.0.1", port), timeout=CLIENT_TIMEOUT)
        answers = []

        def drain():
            try:
                while True:
                    chunk = noisy.recv(65536)
                    if not chunk:
                        return
                    answers.append(chunk)
            except OSError:
                return

        typing = threading.Event()
        sent = []

        def send():
            # A megabyte at least, and on until the operator's keys have all been answered.
            while not sent or typing.is_set():
                noisy.sendall(garbage)
                sent.append(len(garbage))
                time.sleep(0.5)

        reader = threading.Thread(target=drain, daemon=True)
        reader.start()
        typing.set()
        sender = threading.Thread(target=send, daemon=True)
        sender.start()
        endless = Client(port)
        endless.socket.sendall(b"F" * 2000)  # a line longer than any command

        since = panel.wait_sound("connected").ms + 1
        mark = len(panel.sent())
        panel.keys("1", "4", "5", "period", "2", "Return")
        panel.wait_idle_polling()
        typing.clear()
        print("garbage sent while typing: %d bytes" % sum(sent), file=sys.stderr)
        self.assertEqual(panel.sounds(since=since), ["1", "4", "5", "point", "2", "ok"])
        self.assertEqual([c for c in panel.sent()[mark:] if c != "LM"],
                         ["VA0145.20000", "ST012.50"])
        self.assertTrue(endless.closed_by_panel(), "the endless line was not refused")
        endless.close()
        other = Client(port)
        self.assertEqual(other.ask("f"), ["145200000"])
        sender.join(timeout=120)
        self.assertFalse(sender.is_alive(), "the panel stopped taking the garbage")
        self.assertEqual(other.ask("m", lines=2), ["FM", "12000"])
        noisy.shutdown(socket.SHUT_WR)
        reader.join(timeout=60)
        lines = b"".join(answers).split(b"\n")[:-1]
        self.assertEqual(len(lines), garbage.count(b"\n") * len(sent))
        self.assertEqual(set(lines), {b"RPRT -11"})
        noisy.close()
        other.close()
        self.finish(panel)


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
