#!/usr/bin/python3
"""A stand-in FTP proxy on 127.0.0.1 that records the logon commands it receives.

Prints "PORT=<port>" and "READY", then for every command line received "CMD <line>" (flushed),
and "END" when a client leaves. It answers like a proxy that accepts every logon: USER -> 331,
PASS -> 230 (332 when the USER line named a firewall user after a blank), ACCT -> 230,
SITE/OPEN -> 200, PWD -> 257 "/", FEAT, TYPE, QUIT.
"""
import signal
import socket
import sys


def serve(conn):
    f = conn.makefile("rb")
    conn.sendall(b"220 Recording proxy ready.\r\n")
    last_user = ""
    for raw in f:
        line = raw.decode("utf-8", "replace").rstrip("\r\n")
        print("CMD " + line, flush=True)
        cmd, _, arg = line.partition(" ")
        cmd = cmd.upper()
        if cmd == "USER":
            last_user = arg
            reply = "331 Password required."
        elif cmd == "PASS":
            reply = "332 Need account." if " " in last_user else "230 Logged on."
        elif cmd == "ACCT":
            reply = "230 Logged on."
        elif cmd in ("SITE", "OPEN"):
            reply = "200 Connected to " + arg + "."
        elif cmd == "FEAT":
            reply = "211-Features:\r\n UTF8\r\n211 End"
        elif cmd == "TYPE":
            reply = "200 Type set."
        elif cmd == "PWD":
            reply = '257 "/" is the current directory.'
        elif cmd == "QUIT":
            conn.sendall(b"221 Bye.\r\n")
            break
        else:
            reply = "500 Unknown command."
        conn.sendall(reply.encode() + b"\r\n")
    print("END", flush=True)
    conn.close()


def main():
    signal.signal(signal.SIGTERM, lambda *a: sys.exit(0))
    srv = socket.socket()
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind(("127.0.0.1", 0))
    srv.listen(8)
    print("PORT=%d" % srv.getsockname()[1], flush=True)
    print("READY", flush=True)
    while True:
        conn, _ = srv.accept()
        conn.settimeout(30)
        try:
            serve(conn)
        except (OSError, socket.timeout):
            print("END", flush=True)
            conn.close()


if __name__ == "__main__":
    main()
