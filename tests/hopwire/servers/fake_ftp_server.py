#!/usr/bin/python3
"""A scripted FTP server for the tests: it plays what real servers rarely do on
demand. It serves one connection at a time and answers by a script, logging every
line it receives (bytes that are not printable ASCII written as \\xNN) to a file.
Prints "ready <port>" once it listens.

  fake_ftp_server.py ADDRESS PORT SCRIPT LOG

Script lines (texts take Python escapes: \\r \\n \\xff):
  greet TEXT        sent when a connection is accepted
  on VERB TEXT      the answer to a command whose first word is VERB (in any case);
                    several lines for one verb answer in turn, the last one repeats
  default TEXT      the answer to every other command
A TEXT of @close closes the connection instead of answering, @silent never answers;
one that starts with "@wait<ms>@" is answered that much later.

Data connections (active mode: the server connects to the address of the last
PORT, or without one to the default data port, the control connection's peer):
  data VERB ACTION  once VERB has been answered with a preliminary reply (1xx),
                    the data connection does ACTION
                    (several lines for one verb act in turn, the last repeats):
                      send TEXT    sends TEXT and closes; "@pause<ms>@" in TEXT
                                   waits that long between its pieces
                      reset TEXT   sends TEXT, then resets the connection
                      stall TEXT   sends TEXT, then nothing more until ABOR
                      receive      reads until the client closes, into DIR/stored
                      none         never connects
  after VERB TEXT   sent once the data action has ended (not when ABOR ended it);
                    several lines for one verb answer in turn
  intruder TEXT     before each data connection, one from 127.0.0.2 sends TEXT;
                    the log says "intruder closed" when the client closed it
ABOR (after Telnet IP and DM) stops a data action under way before it is answered.
"""
import codecs
import os
import re
import socket
import struct
import sys
import threading
import time

IAC = 255


def decode(text):
    return codecs.decode(text, "unicode_escape").encode("latin-1")


def printable(data):
    return "".join(chr(b) if 32 <= b < 127 and b != 92 else "\\x%02x" % b for b in data)


def without_telnet(line):
    out = bytearray()
    i = 0
    while i < len(line):
        if line[i] == IAC:
            i += 3 if i + 1 < len(line) and 251 <= line[i + 1] <= 254 else 2
            continue
        out.append(line[i])
        i += 1
    return bytes(out)


class Script:
    def __init__(self, path):
        self.greeting = b""
        self.answers = {}
        self.default = decode("502 Command not implemented.\\r\\n")
        self.data = {}
        self.after = {}
        self.intruder = None
        with open(path, encoding="latin-1") as f:
            for raw in f:
                raw = raw.rstrip("\n")
                if not raw:
                    continue
                kind, _, rest = raw.partition(" ")
                if kind == "greet":
                    self.greeting = decode(rest)
                elif kind == "on":
                    verb, _, text = rest.partition(" ")
                    self.answers.setdefault(verb.upper(), []).append(text)
                elif kind == "default":
                    self.default = decode(rest)
                elif kind == "data":
                    verb, _, action = rest.partition(" ")
                    self.data.setdefault(verb.upper(), []).append(action)
                elif kind == "after":
                    verb, _, text = rest.partition(" ")
                    self.after.setdefault(verb.upper(), []).append(decode(text))
                elif kind == "intruder":
                    self.intruder = decode(rest)

    def data_action(self, verb):
        actions = self.data[verb]
        return actions.pop(0) if len(actions) > 1 else actions[0]

    def answer(self, verb):
        texts = self.answers.get(verb)
        if not texts:
            return self.default
        text = texts.pop(0) if len(texts) > 1 else texts[0]
        return text if text.startswith("@") else decode(text)


class Session:
    """One control connection: its answers, and the data action under way."""

    def __init__(self, connection, script, log, directory):
        self.connection = connection
        self.script = script
        self.log = log
        self.directory = directory
        self.lock = threading.Lock()
        self.port_address = None
        self.abort = threading.Event()
        self.action = None

    def send(self, data):
        with self.lock:
            self.connection.sendall(data)

    def note(self, text):
        with self.lock:
            self.log.write(text + "\n")
            self.log.flush()

    def data_address(self):
        return self.port_address or self.connection.getpeername()

    def intrude(self):
        intruder = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        intruder.bind(("127.0.0.2", 0))
        intruder.connect(self.data_address())
        intruder.sendall(self.script.intruder)
        intruder.settimeout(5)
        try:
            closed = intruder.recv(1) == b""
        except OSError:
            closed = True
        self.note("intruder closed" if closed else "intruder kept")
        intruder.close()

    def run_data(self, verb, action):
        kind, _, text = action.partition(" ")
        if kind == "none":
            return
        if self.script.intruder is not None:
            self.intrude()
        data = socket.create_connection(self.data_address())
        try:
            if kind == "receive":
                with open(os.path.join(self.directory, "stored"), "wb") as f:
                    while not self.abort.is_set():
                        chunk = data.recv(65536)
                        if not chunk:
                            break
                        f.write(chunk)
            else:
                for piece in re.split(r"(@pause\d+@)", text):
                    pause = re.fullmatch(r"@pause(\d+)@", piece)
                    if pause:
                        if self.abort.wait(int(pause.group(1)) / 1000):
                            return
                    elif piece:
                        data.sendall(decode(piece))
                if kind == "reset":
                    data.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                elif kind == "stall":
                    self.abort.wait(60)
            if not self.abort.is_set() and verb in self.script.after:
                afters = self.script.after[verb]
                self.send(afters.pop(0) if len(afters) > 1 else afters[0])
        except OSError:
            pass
        finally:
            data.close()

    def start_data(self, verb):
        self.abort.clear()
        action = self.script.data_action(verb)
        self.action = threading.Thread(target=self.run_data, args=(verb, action))
        self.action.start()

    def stop_data(self):
        if self.action:
            self.abort.set()
            self.action.join()
            self.action = None

    def serve(self):
        if self.script.greeting:
            self.send(self.script.greeting)
        pending = b""
        silent = False
        while True:
            data = self.connection.recv(4096)
            if not data:
                return
            pending += data
            while b"\n" in pending:
                line, _, pending = pending.partition(b"\n")
                self.note(printable(line + b"\n"))
                if silent:
                    continue
                words = without_telnet(line).strip().split()
                # Telnet's DM before ABOR is no part of the verb.
                verb = words[0].lstrip(bytes(range(128, 256))).decode("latin-1").upper() if words else ""
                if verb == "PORT" and len(words) > 1:
                    numbers = [int(n) for n in words[1].split(b",")]
                    self.port_address = (".".join(map(str, numbers[:4])), numbers[4] * 256 + numbers[5])
                if verb == "ABOR":
                    self.stop_data()
                answer = self.script.answer(verb)
                if answer == "@close":
                    return
                if answer == "@silent":
                    silent = True
                    continue
                wait = re.match(r"@wait(\d+)@", answer) if isinstance(answer, str) else None
                if wait:
                    time.sleep(int(wait.group(1)) / 1000)
                    answer = decode(answer[wait.end():])
                self.send(answer)
                if verb in self.script.data and answer.startswith(b"1"):
                    self.stop_data()
                    self.start_data(verb)


def serve(connection, script, log, directory):
    session = Session(connection, script, log, directory)
    try:
        session.serve()
    finally:
        session.stop_data()


def main():
    address, port, script_path, log_path = sys.argv[1:5]
    script = Script(script_path)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((address, int(port)))
    listener.listen(4)
    print("ready %d" % listener.getsockname()[1], flush=True)
    with open(log_path, "w") as log:
        while True:
            connection, _ = listener.accept()
            with connection:
                serve(connection, script, log, os.path.dirname(log_path))
            log.write("closed\n")
            log.flush()


if __name__ == "__main__":
    main()
