#!/usr/bin/python3
"""A misbehaving FTP server on 127.0.0.1 for tests of the client's bounds.

Usage: hostile_ftp.py SCENARIO [--lifetime S] [--max-bytes N] [--delay S]

Prints "PORT=<port>" and "READY" once it listens, then "CONNECTED" for every connection,
"CMD <line>" for every command it receives and "CLOSED" when a connection ends. It speaks just enough FTP for a logon, PWD, CWD, PASV/EPSV, LIST, RETR and ABOR;
the scenario makes one step misbehave. The misbehaving command is "CWD hostile" (other
folders are answered normally), so that a reconnect can still reach a working session.
Whatever happens, it exits after --lifetime seconds, and it never sends more than
--max-bytes on one connection, so a client without bounds is not flooded for ever.

Scenarios:
  plain              behaves (the listing holds one line that is not a listing line)
  endless-greeting   the greeting is a multi-line reply that never ends
  endless-line       the greeting is one line that never ends
  endless-reply      the reply to "CWD hostile" is a multi-line reply that never ends
  endless-list       the listing never ends (as fast as the client reads)
  trickle-list       the listing never ends, one line every 50 ms
  repeat-150         "CWD hostile" is answered with "150" every 100 ms, for ever
  greeting-120       the greeting is "120", then nothing
  bogus-code         "CWD hostile" is answered with "000"
  chatter-after-abor RETR trickles; after ABOR the server sends a reply every 20 ms
  late-reply         "CWD hostile" is answered after --delay seconds
  pasv-port          PASV answers with a port number beyond 255
  epsv-port          EPSV answers with a port beyond 65535
  pasv-port-later    PASV answers properly once, then with a port number beyond 255
  pasv-refused-later PASV answers properly once, then with "500"
"""
import argparse
import os
import socket
import sys
import threading
import time

SCENARIOS = ["plain", "endless-greeting", "endless-line", "endless-reply", "endless-list",
             "trickle-list", "repeat-150", "greeting-120", "bogus-code", "chatter-after-abor",
             "late-reply", "pasv-port", "epsv-port", "pasv-port-later", "pasv-refused-later"]

print_lock = threading.Lock()


def say(text):
    with print_lock:
        print(text, flush=True)


class Closed(Exception):
    pass


class Session:
    def __init__(self, conn, args, deadline):
        self.conn = conn
        self.args = args
        self.scenario = args.scenario
        self.deadline = deadline
        self.sent = 0
        self.send_lock = threading.Lock()
        self.data_listener = None
        self.aborted = threading.Event()
        self.transfer = None

    def alive(self):
        return time.monotonic() < self.deadline

    def send_raw(self, data):
        with self.send_lock:
            if self.sent + len(data) > self.args.max_bytes:
                raise Closed()
            try:
                self.conn.sendall(data)
            except OSError:
                raise Closed()
            self.sent += len(data)

    def reply(self, text):
        self.send_raw((text + "\r\n").encode("utf-8"))

    def hold(self):
        # Keep the connection open and say nothing until the end of our life.
        while self.alive():
            time.sleep(0.05)
        raise Closed()

    def endless_reply(self, code):
        # Continuation lines only: the reply never ends. Stops at the byte bound.
        self.reply("%s-Here comes a long story" % code)
        n = 0
        line = (" line %d " + "x" * 200)
        try:
            while self.alive():
                block = "".join((line % (n + i)) + "\r\n" for i in range(64))
                self.send_raw(block.encode())
                n += 64
        except Closed:
            pass
        self.hold()

    def greet(self):
        s = self.scenario
        if s == "endless-greeting":
            self.endless_reply("220")
        elif s == "endless-line":
            self.send_raw(b"220 ")
            try:
                while self.alive():
                    self.send_raw(b"A" * 65536)
            except Closed:
                pass
            self.hold()
        elif s == "greeting-120":
            self.reply("120 Service ready in a while")
            self.hold()
        else:
            self.reply("220 Hostile test server")

    def open_data(self):
        if self.data_listener:
            self.data_listener.close()
        self.data_listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.data_listener.bind(("127.0.0.1", 0))
        self.data_listener.listen(1)
        self.data_listener.settimeout(5)
        return self.data_listener.getsockname()[1]

    def accept_data(self):
        if not self.data_listener:
            return None
        try:
            d, _ = self.data_listener.accept()
        except OSError:
            return None
        finally:
            self.data_listener.close()
            self.data_listener = None
        return d

    def send_data(self, d, chunks, interval):
        # Sends the chunks on the data connection, one per interval, until the end of the
        # chunks, an ABOR, the byte bound or the end of our life.
        total = 0
        try:
            for c in chunks:
                if self.aborted.is_set() or not self.alive():
                    return False
                if total + len(c) > self.args.max_bytes:
                    return False
                d.sendall(c)
                total += len(c)
                if interval:
                    time.sleep(interval)
            return True
        except OSError:
            return False

    def endless_lines(self):
        n = 0
        while True:
            yield ("-rw-r--r-- 1 owner group 1234 Jan  1  2020 endless-%08d.htm\r\n" % n).encode()
            n += 1

    def listing(self):
        d = self.accept_data()
        if d is None:
            self.reply("425 No data connection")
            return
        self.reply("150 Here comes the listing")
        s = self.scenario
        if s == "endless-list":
            def blocks():
                lines = self.endless_lines()
                while True:
                    yield b"".join(next(lines) for _ in range(256))
            self.send_data(d, blocks(), 0)
            self.hold_data(d)
        elif s == "trickle-list":
            self.send_data(d, self.endless_lines(), 0.05)
            self.hold_data(d)
        else:
            self.send_data(d, [b"-rw-r--r-- 1 owner group 5 Jan  1  2020 index.htm\r\n",
                               b"09-02-2002  06:48PM                 9,730 old page.htm\r\n",
                               b"this is not a listing line\r\n"], 0)
            d.close()
            self.reply("226 Listing done")

    def hold_data(self, d):
        while self.alive() and not self.aborted.is_set():
            time.sleep(0.05)
        d.close()

    def retr(self):
        d = self.accept_data()
        if d is None:
            self.reply("425 No data connection")
            return
        self.reply("150 Opening data connection")
        if self.scenario != "chatter-after-abor":
            self.send_data(d, [b"hello"], 0)
            d.close()
            self.reply("226 Transfer complete")
            return

        def trickle():
            self.send_data(d, (b"x" * 1024 for _ in iter(int, 1)), 0.1)
            d.close()
        self.transfer = threading.Thread(target=trickle, daemon=True)
        self.transfer.start()

    def abor(self):
        self.aborted.set()
        if self.scenario != "chatter-after-abor":
            self.reply("226 Abort successful")
            return
        self.reply("426 Transfer aborted")
        self.reply("226 Abort successful")
        n = 0
        while self.alive():
            self.reply("200 Still here %d" % n)
            n += 1
            time.sleep(0.02)
        raise Closed()

    def cwd_hostile(self):
        s = self.scenario
        if s == "endless-reply":
            self.endless_reply("250")
        elif s == "repeat-150":
            n = 0
            while self.alive():
                self.reply("150 Still working %d" % n)
                n += 1
                time.sleep(0.1)
            raise Closed()
        elif s == "bogus-code":
            self.reply("000 Whatever you asked")
        elif s == "late-reply":
            time.sleep(self.args.delay)
            self.reply("250 Late answer to CWD")
        else:
            self.reply("250 Directory changed")

    def command(self, line):
        verb, _, arg = line.partition(" ")
        verb = verb.upper()
        s = self.scenario
        if verb == "USER":
            self.reply("331 Password please")
        elif verb == "PASS":
            self.reply("230 Logged in")
        elif verb == "FEAT":
            self.reply("211-Features:")
            self.reply(" EPSV")
            self.reply(" SIZE")
            self.reply("211 End")
        elif verb == "TYPE":
            self.reply("200 Type set")
        elif verb == "PWD":
            self.reply('257 "/" is the current directory')
        elif verb == "CWD":
            if arg == "hostile":
                self.cwd_hostile()
            else:
                self.reply("250 Directory changed")
        elif verb == "CDUP":
            self.reply("250 Directory changed")
        elif verb == "NOOP":
            self.reply("200 NOOP ok")
        elif verb == "PASV":
            self.pasv_count = getattr(self, "pasv_count", 0) + 1
            later = self.pasv_count > 1
            if s == "pasv-refused-later" and later:
                self.reply("500 No passive mode now")
                return
            port = self.open_data()
            if s == "pasv-port" or (s == "pasv-port-later" and later):
                self.reply("227 Entering Passive Mode (127,0,0,1,300,%d)" % (port & 255))
            else:
                self.reply("227 Entering Passive Mode (127,0,0,1,%d,%d)" % (port >> 8, port & 255))
        elif verb == "EPSV":
            port = self.open_data()
            if s == "epsv-port":
                port += 65536
            self.reply("229 Entering Extended Passive Mode (|||%d|)" % port)
        elif verb in ("LIST", "MLSD", "NLST"):
            self.listing()
        elif verb == "RETR":
            self.retr()
        elif verb == "ABOR":
            self.abor()
        elif verb == "QUIT":
            self.reply("221 Bye")
            raise Closed()
        else:
            self.reply("502 Not implemented")

    def run(self):
        buf = b""
        say("CONNECTED")
        try:
            self.greet()
            self.conn.settimeout(0.1)
            while self.alive():
                try:
                    chunk = self.conn.recv(4096)
                except socket.timeout:
                    continue
                except OSError:
                    break
                if not chunk:
                    break
                buf += chunk
                if len(buf) > 65536:
                    break
                while b"\n" in buf:
                    raw, buf = buf.split(b"\n", 1)
                    line = raw.rstrip(b"\r").decode("utf-8", "replace")
                    say("CMD " + line)
                    self.command(line)
        except Closed:
            pass
        finally:
            say("CLOSED")
            try:
                self.conn.close()
            except OSError:
                pass


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("scenario", choices=SCENARIOS)
    ap.add_argument("--lifetime", type=float, default=120.0, help="seconds until the server exits")
    ap.add_argument("--max-bytes", type=int, default=32 * 1024 * 1024,
                    help="most bytes sent on one connection")
    ap.add_argument("--delay", type=float, default=2.0, help="seconds before the late reply")
    args = ap.parse_args()

    deadline = time.monotonic() + args.lifetime
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    listener.settimeout(0.2)
    say("PORT=%d" % listener.getsockname()[1])
    say("READY")
    while time.monotonic() < deadline:
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        except OSError:
            break
        threading.Thread(target=Session(conn, args, deadline).run, daemon=True).start()
    os._exit(0)


if __name__ == "__main__":
    sys.exit(main())
