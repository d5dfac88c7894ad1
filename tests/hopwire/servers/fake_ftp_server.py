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
A TEXT of @close closes the connection instead of answering, @silent never answers.
"""
import codecs
import socket
import sys

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

    def answer(self, verb):
        texts = self.answers.get(verb)
        if not texts:
            return self.default
        text = texts.pop(0) if len(texts) > 1 else texts[0]
        return text if text.startswith("@") else decode(text)


def serve(connection, script, log):
    if script.greeting:
        connection.sendall(script.greeting)
    pending = b""
    silent = False
    while True:
        data = connection.recv(4096)
        if not data:
            return
        pending += data
        while b"\n" in pending:
            line, _, pending = pending.partition(b"\n")
            log.write(printable(line + b"\n") + "\n")
            log.flush()
            if silent:
                continue
            words = without_telnet(line).strip().split()
            answer = script.answer(words[0].decode("latin-1").upper() if words else "")
            if answer == "@close":
                return
            if answer == "@silent":
                silent = True
                continue
            connection.sendall(answer)


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
                serve(connection, script, log)
            log.write("closed\n")
            log.flush()


if __name__ == "__main__":
    main()
