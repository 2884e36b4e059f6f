#!/usr/bin/env python3
"""A scripted speech server for the tests: speaks the speech server's protocol (SSIP) on a
Unix socket, says nothing aloud, logs every line it receives and every event it sends, and
reports each message's start and end after the times it is given.

    ssip_server.py --socket S --log L [--speak-ms 200] [--mode answer|silent|die|noend]
                   [--die-at N]

answer  answers every command; a message begins 5 ms after it was queued and ends
        --speak-ms later; CANCEL ends it at once (703)
silent  takes connections and lines but never answers
die     like answer, but the N-th message (--die-at) begins and then the server closes the
        connection and ends, in the middle of the word
noend   like answer, but a message only begins: its end is never reported

Log lines: milliseconds since start, a tab, "IN" or "OUT" or "TEXT", a tab, the line
(without CR LF). TEXT is a line of a message's text.
"""

import argparse
import os
import socket
import sys
import threading
import time

START = time.monotonic()
BEGIN_DELAY = 0.005


class Log:
    def __init__(self, path):
        self.out = open(path, "a", buffering=1)
        self.lock = threading.Lock()

    def write(self, kind, text):
        with self.lock:
            self.out.write("%d\t%s\t%s\n" % ((time.monotonic() - START) * 1000, kind, text))


class Client:
    next_message = [1]
    next_client = [1]

    def __init__(self, sock, options, log):
        self.sock, self.options, self.log = sock, options, log
        self.lock = threading.Lock()
        self.client_id = Client.next_client[0]
        Client.next_client[0] += 1
        self.speaking = None  # (message id, end timer)

    def send(self, *lines):
        with self.lock:
            for line in lines:
                self.log.write("OUT", line)
            try:
                self.sock.sendall("".join(line + "\r\n" for line in lines).encode())
            except OSError:
                pass

    def event(self, code, message, word):
        self.send("%d-%d" % (code, message), "%d-%d" % (code, self.client_id),
                  "%d %s" % (code, word))

    def run(self):
        reader = self.sock.makefile("rb")
        in_text = False
        for raw in reader:
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            if in_text:
                if line == ".":
                    in_text = False
                    self.queue_message()
                else:
                    self.log.write("TEXT", line)
                continue
            self.log.write("IN", line)
            if self.options.mode == "silent":
                continue
            in_text = self.answer(line)
        self.sock.close()

    def answer(self, line):
        """Answers one command; True when the message text follows."""
        words = line.split()
        command = words[0].upper() if words else ""
        if command == "SPEAK":
            self.send("230 OK RECEIVING DATA")
            return True
        if command == "CANCEL":
            self.send("210 OK CANCELED")
            self.end_speaking(703, "CANCELED")
        elif command == "QUIT":
            self.send("231 HAPPY HACKING")
        elif command == "SET" and len(words) > 2 and words[2].upper() == "CLIENT_NAME":
            self.send("208 OK CLIENT NAME SET")
        elif command == "SET" and len(words) > 2 and words[2].upper() == "NOTIFICATION":
            self.send("220 OK NOTIFICATION SET")
        elif command == "SET" and len(words) > 2 and words[2].upper() == "PRIORITY":
            self.send("202 OK PRIORITY SET")
        elif command == "SET":
            self.send("203 OK SET")
        else:
            self.send("300 ERR UNKNOWN COMMAND")
        return False

    def queue_message(self):
        message = Client.next_message[0]
        Client.next_message[0] += 1
        self.send("225-%d" % message, "225 OK MESSAGE QUEUED")
        self.end_speaking(703, "CANCELED")
        if self.options.mode == "die" and message == self.options.die_at:
            time.sleep(BEGIN_DELAY)
            self.event(701, message, "BEGIN")
            self.log.write("DIE", "message %d" % message)
            self.sock.shutdown(socket.SHUT_RDWR)
            os._exit(0)
        threading.Timer(BEGIN_DELAY, self.event, (701, message, "BEGIN")).start()
        if self.options.mode == "noend":
            return
        timer = threading.Timer(BEGIN_DELAY + self.options.speak_ms / 1000.0,
                                self.end_speaking, (702, "END", message))
        with self.lock:
            self.speaking = (message, timer)
        timer.start()

    def end_speaking(self, code, word, only=None):
        with self.lock:
            current, self.speaking = self.speaking, None
            if current and only is not None and current[0] != only:
                self.speaking, current = current, None
        if current:
            current[1].cancel()
            self.event(code, current[0], word)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--socket", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--speak-ms", type=int, default=200)
    parser.add_argument("--mode", choices=("answer", "silent", "die", "noend"), default="answer")
    parser.add_argument("--die-at", type=int, default=1)
    options = parser.parse_args()
    log = Log(options.log)
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(options.socket)
    server.listen(8)
    print("listening", flush=True)
    while True:
        connection, _ = server.accept()
        client = Client(connection, options, log)
        threading.Thread(target=client.run, daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
