#!/usr/bin/python3
"""Test FTP server on 127.0.0.1 built on pyftpdlib.

Prints "ROOT=<dir>", "PORT=<port>" and "READY" once the port answers, then serves until
SIGTERM/SIGINT. Modes: plain, explicit (AUTH TLS), implicit (TLS from the first byte).
Run it in its own process group and stop the group.
"""
import argparse
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

try:
    from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
    from OpenSSL import SSL
except ImportError:  # no TLS support installed
    TLS_FTPHandler = None


def make_cert(folder):
    key = os.path.join(folder, "key.pem")
    cert = os.path.join(folder, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
                    "-subj", "/CN=localhost",
                    "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1",
                    "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


class DropState:
    # STOR data connections still to be reset after the first 64 KiB (-1: every one).
    remaining = 0


def drop_mixin(base):
    class Dropping(base):
        # The base class binds handle_read_event to its own handle_read, so hook the event.
        def handle_read_event(self):
            super().handle_read_event()
            if (self.receive and DropState.remaining != 0 and not self._closed
                    and self.tot_bytes_received > 65536):
                if DropState.remaining > 0:
                    DropState.remaining -= 1
                self._resp = ("426 Data connection dropped by the server.", lambda *a: None)
                try:
                    self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                           struct.pack("ii", 1, 0))
                except Exception:
                    pass
                self._error = True  # no TLS shutdown: a hard reset
                self.close()
    return Dropping


class SafeThrottledDTPHandler(ThrottledDTPHandler):
    # A data connection the client gave up before the server accepted it (a quick cancel) is
    # closed from inside the base constructor, before the throttler exists: that close must not
    # fail, or the server stops serving.
    _throttler = None


def tls_dtp_fix(base):
    # Debian's pyftpdlib closes a TLS data connection that becomes readable before the transfer
    # command arrives; clients that start TLS right after connecting need it to stay open.
    class Fixed(base):
        def readable(self):
            if self._ssl_accepting or (self._ssl_requested and not self._ssl_established):
                return True
            return super().readable()

        def handle_close(self):
            # A data connection closed before any transfer command used it is no transfer:
            # close quietly instead of answering "226" out of turn.
            if not self._initialized:
                self._resp = ()
                self._error = True
                return self.close()
            return super().handle_close()
    return Fixed


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--mode", choices=["plain", "explicit", "implicit"], default="plain")
    ap.add_argument("--root", help="served folder (default: a new temporary folder)")
    ap.add_argument("--user", default="user")
    ap.add_argument("--password", default="secret")
    ap.add_argument("--readonly-user", default="reader", help="user without write permission")
    ap.add_argument("--throttle", type=int, default=0, help="bytes/s for data connections")
    ap.add_argument("--drop-stor", type=int, default=0,
                    help="reset this many STOR data connections (-1: all)")
    ap.add_argument("--end-at-pasv", type=int, default=0,
                    help="end this many sessions when they ask for a data port (-1: all), answering "
                         "\"500 OOPS\" first as a server out of ports does")
    ap.add_argument("--short-size", default="",
                    help="SIZE of a file whose name holds this text answers one byte less")
    ap.add_argument("--mkd-race", action="store_true",
                    help="MKD creates the folder but answers 550, as if another client was faster")
    ap.add_argument("--idle-timeout", type=int, default=0,
                    help="close control connections idle for this many seconds (421)")
    ap.add_argument("--client-ca", help="require a client certificate signed by this PEM file")
    ap.add_argument("--tls", choices=["any", "1.2"], default="any", help="highest TLS version")
    ap.add_argument("--max-per-ip", type=int, default=0,
                    help="sessions at once from one address (0: no limit); more get 421")
    ap.add_argument("--one-uploader", action="store_true",
                    help="STOR is refused (550) on a session while an older one is logged on")
    args = ap.parse_args()

    own_tmp = tempfile.mkdtemp(prefix="qm-pyftpd-")
    root = args.root or os.path.join(own_tmp, "home")
    os.makedirs(root, exist_ok=True)

    auth = DummyAuthorizer()
    auth.add_user(args.user, args.password, root, perm="elradfmwMT")
    auth.add_user(args.readonly_user, args.password, root, perm="elr")
    DropState.remaining = args.drop_stor

    if args.mode == "plain":
        handler = FTPHandler
        dtp = SafeThrottledDTPHandler if args.throttle else DTPHandler
    else:
        if TLS_FTPHandler is None:
            print("ERROR=no TLS support in pyftpdlib", flush=True)
            return 2
        cert, key = make_cert(own_tmp)
        ctx = SSL.Context(SSL.TLS_METHOD)
        ctx.use_certificate_chain_file(cert)
        ctx.use_privatekey_file(key)
        ctx.set_options(SSL.OP_NO_SSLv2 | SSL.OP_NO_SSLv3 | SSL.OP_NO_COMPRESSION)
        if args.tls == "1.2":
            ctx.set_options(getattr(SSL, "OP_NO_TLSv1_3", 0x20000000))
        ctx.set_session_id(b"quillmark-test")
        if args.client_ca:
            ctx.load_verify_locations(args.client_ca)
            ctx.set_verify(SSL.VERIFY_PEER | SSL.VERIFY_FAIL_IF_NO_PEER_CERT, lambda *a: a[-1])

        class Handler(TLS_FTPHandler):
            ssl_context = ctx

        if args.mode == "implicit":
            class ImplicitHandler(Handler):
                # TLS from the first byte: greet only after the handshake, protection level
                # negotiation is implied.
                def handle(self):
                    self.on_connect()
                    self.secure_connection(self.ssl_context)

                def handle_ssl_established(self):
                    if not getattr(self, "_greeted", False):
                        self._greeted = True
                        self._pbsz = True
                        self._prot = True
                        FTPHandler.handle(self)

                def flush_account(self):
                    FTPHandler.flush_account(self)

            handler = ImplicitHandler
        else:
            handler = Handler
        dtp = tls_dtp_fix(TLS_DTPHandler)
    if args.drop_stor:
        dtp = drop_mixin(dtp)
    if args.throttle:
        dtp.read_limit = args.throttle
        dtp.write_limit = args.throttle
    if args.mkd_race:
        base = handler

        class RaceHandler(base):
            def ftp_MKD(self, path):
                try:
                    self.run_as_current_user(self.fs.mkdir, path)
                except OSError:
                    pass
                self.respond("550 Create directory operation failed.")

        handler = RaceHandler
    if args.end_at_pasv:
        base = handler
        remaining = [args.end_at_pasv]

        class EndingHandler(base):
            def _end_session(self, line, command):
                if remaining[0] == 0:
                    return command(self, line)
                if remaining[0] > 0:
                    remaining[0] -= 1
                self.respond("500 OOPS: vsf_sysutil_bind")
                self.close_when_done()

            def ftp_PASV(self, line):
                return self._end_session(line, base.ftp_PASV)

            def ftp_EPSV(self, line):
                return self._end_session(line, base.ftp_EPSV)

        handler = EndingHandler
    if args.short_size:
        base_size = handler

        class ShortSizeHandler(base_size):
            def ftp_SIZE(self, path):
                if args.short_size not in os.path.basename(path):
                    return base_size.ftp_SIZE(self, path)
                try:
                    size = self.run_as_current_user(self.fs.getsize, path)
                except OSError as err:
                    return self.respond("550 %s." % err.strerror)
                self.respond("213 %s" % max(0, size - 1))

        handler = ShortSizeHandler
    if args.one_uploader:
        base_stor = handler
        live = []  # logged-on sessions, oldest first

        class OneUploaderHandler(base_stor):
            def on_login(self, username):
                live.append(self)
                return base_stor.on_login(self, username)

            def on_disconnect(self):
                if self in live:
                    live.remove(self)
                return base_stor.on_disconnect(self)

            def ftp_STOR(self, file, mode="w"):
                if live and live[0] is not self:
                    return self.respond("550 Not on this connection.")
                return base_stor.ftp_STOR(self, file, mode)

        handler = OneUploaderHandler
    if args.idle_timeout:
        handler.timeout = args.idle_timeout
    handler.authorizer = auth
    handler.dtp_handler = dtp
    handler.banner = "Quillmark test server ready."
    handler.permit_foreign_addresses = True
    handler.passive_ports = None

    server = FTPServer(("127.0.0.1", 0), handler)
    server.max_cons = 64
    server.max_cons_per_ip = args.max_per_ip
    port = server.socket.getsockname()[1]

    def stop(*_):
        server.close_all()
        shutil.rmtree(own_tmp, ignore_errors=True)
        os._exit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print("ROOT=%s" % root, flush=True)
    if args.mode != "plain":
        print("CERT=%s" % cert, flush=True)
    print("PORT=%d" % port, flush=True)
    print("READY", flush=True)
    import logging
    logging.basicConfig(level=logging.WARNING)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
