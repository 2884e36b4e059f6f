"""The system voice: KESTREL.CFG's speech character 2 hands every word to the speech server
(SSIP on a Unix socket), as the voice table's phrase, and waits for its end; a server that
never answers or dies mid-word leaves the words to the recordings, and the panel carries on.
Scripted servers show what goes over the wire; the real speech-dispatcher, where installed,
shows that the client and the server agree."""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
import speech_servers  # noqa: E402
from panel_session import PanelSession  # noqa: E402

START_PHRASES = ["Kestrel", "four", "point", "zero", "one", "four", "five", "point", "zero",
                 "F M", "attenuator off", "connected"]
TYPED = ["1", "4", "5", "period", "5", "Return"]
TYPED_PHRASES = ["one", "four", "five", "point", "five", "OK"]
# The longest a silent server may hold the start: the answer limit and some slack for load.
FALLBACK_BOUND_MS = 5000 + 3000


class SystemVoice(e2e.XvfbTestCase):
    def setUp(self):
        self.server_folder = tempfile.mkdtemp(prefix="kestrel-speech-")
        self.server = None

    def tearDown(self):
        if self.server:
            self.server.stop()
        shutil.rmtree(self.server_folder, ignore_errors=True)

    def session(self, **options):
        return PanelSession(self.x, voice="system", env=self.server.panel_env(), **options)

    def type_and_close(self, panel):
        panel.wait_ready()
        panel.wait_sound("connected")
        panel.keys(*TYPED)
        panel.wait_idle_polling()
        panel.close()
        self.assertEqual(panel.exit_code(), 0)

    def test_each_word_is_one_message_sent_after_the_end_of_the_last(self):
        self.server = speech_servers.start_scripted(self.server_folder, speak_ms=150)
        with self.session(voice_set="empty") as panel:
            self.assertIn("Voice:2", panel.read_file("KESTREL.CFG"))
            self.type_and_close(panel)
            texts = self.server.texts()
            self.assertEqual(texts, START_PHRASES + TYPED_PHRASES)
            log = self.server.log()
            self.assertIn("SET SELF NOTIFICATION all on", [text for _, _, text in log])
            ends = [ms for ms, kind, text in log if kind == "OUT" and text == "702 END"]
            speaks = [ms for ms, kind, text in log if kind == "IN" and text.lower() == "speak"]
            self.assertEqual(len(speaks), len(texts))
            for end, next_speak in zip(ends, speaks[1:]):
                self.assertGreaterEqual(next_speak, end)
            # Each word waited for its end: the journal's word follows its start by the
            # server's 150 ms; the pause stays silence of its length; nothing was played.
            sounds = [s for s in panel.sound_events() if s.kind == "sync"]
            self.assertTrue(all(s.file.startswith(("speech:", "pause:")) for s in sounds), sounds)
            self.assertIn("pause:150", [s.file for s in sounds if s.word == "shdel"])
            begins = [e.ms for e in panel.journal() if e.kind == "SPEECH" and e.fields[0] == "begin"]
            ended = [s.ms for s in sounds if s.file.startswith("speech:")]
            self.assertEqual(len(begins), len(ended))
            self.assertTrue(all(end - begin >= 140 for begin, end in zip(begins, ended)))
            self.assertNotIn("speech-dispatcher", panel.panel.errors())

    def test_a_server_that_never_answers_leaves_the_words_to_the_recordings(self):
        self.server = speech_servers.start_scripted(self.server_folder, mode="silent")
        with self.session(voice_set="short", debug=True) as panel:
            lost = panel.wait_journal(r"^SPEECH\tlost\t.*does not answer", timeout=30)
            self.assertIsNotNone(lost)
            self.assertLess(lost.ms, FALLBACK_BOUND_MS)
            self.type_and_close(panel)
            self.assertIn("does not answer", panel.panel.errors())
            self.assertTrue(any(line.startswith("SPEECH ") for line in panel.trace()))
            played = [s for s in panel.sound_events() if s.kind == "sync" and s.word != "shdel"]
            self.assertEqual([s.word for s in played][:4], ["kestrel", "4", "point", "0"])
            self.assertTrue(all(s.file.startswith("wave/") for s in played), played)
            self.assertIn("VA0145.50000", panel.sent())

    def test_a_server_dying_mid_word_leaves_that_word_and_the_rest_to_the_recordings(self):
        # The 13th message is the first word typed ("one"), after the start-up's twelve.
        self.server = speech_servers.start_scripted(self.server_folder, mode="die", die_at=13)
        with self.session(voice_set="short") as panel:
            self.type_and_close(panel)
            self.assertEqual(self.server.texts(), START_PHRASES + ["one"])
            self.assertIn("has gone away", panel.panel.errors())
            journal = panel.journal()
            lost = next(e.ms for e in journal if e.kind == "SPEECH" and e.fields[0] == "lost")
            after = [s for s in panel.sound_events() if s.ms > lost and s.word != "shdel"]
            self.assertEqual([s.word for s in after], ["1", "4", "5", "point", "5", "ok"])
            self.assertTrue(all(s.file.startswith("wave/") for s in after), after)
            self.assertIn("VA0145.50000", panel.sent())

    def test_a_server_that_never_reports_a_words_end_is_given_up_after_three_words(self):
        self.server = speech_servers.start_scripted(self.server_folder, mode="noend")
        with self.session(voice_set="short", debug=True) as panel:
            lost = panel.wait_journal(r"^SPEECH\tlost\t.*no word's end", timeout=40)
            self.assertIsNotNone(lost)
            self.assertEqual(self.server.texts(), START_PHRASES[:3])
            self.assertIsNotNone(panel.wait_sound("connected", since=lost.ms))
            # The third word is journalled once its wait is over; the recordings take the next.
            after = [s for s in panel.sound_events() if s.ms >= lost.ms and s.kind == "sync"
                     and s.word != "shdel"]
            self.assertEqual([s.word for s in after if s.file.startswith("speech:")], ["point"])
            recorded = [s for s in after if not s.file.startswith("speech:")]
            self.assertEqual([s.word for s in recorded][:1], ["0"])
            self.assertTrue(all(s.file.startswith("wave/") for s in recorded), recorded)
            self.assertIn("no word's end", panel.panel.errors())
            self.assertTrue(any("no word's end" in line for line in panel.trace()))
            self.type_and_close(panel)

    def test_the_real_speech_dispatcher_says_every_word(self):
        missing = speech_servers.speech_dispatcher_missing()
        if missing:
            self.skipTest(missing)
        self.server = speech_servers.start_speech_dispatcher(self.server_folder)
        with self.session(voice_set="empty") as panel:
            self.type_and_close(panel)
            self.assertNotIn("speech-dispatcher", panel.panel.errors())
            spoken = [s.file for s in panel.sound_events() if s.file.startswith("speech:")]
            self.assertEqual(spoken, ["speech:" + phrase
                                      for phrase in START_PHRASES + TYPED_PHRASES])
            begins = [e for e in panel.journal() if e.kind == "SPEECH" and e.fields[0] == "begin"]
            self.assertEqual(len(begins), len(spoken))


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
