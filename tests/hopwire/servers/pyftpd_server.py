#!/usr/bin/python3
"""An FTP server for the tests, on python3-pyftpdlib: one user with a password and
full rights on a scratch root, on an address and port of the test's choosing, with
the greeting and SYST texts the test asks for. Prints "ready <port>" once it listens.

  pyftpd_server.py ADDRESS PORT ROOT USER PASSWORD [--banner TEXT] [--syst TEXT]
"""
import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("address")
    parser.add_argument("port", type=int)
    parser.add_argument("root")
    parser.add_argument("user")
    parser.add_argument("password")
    parser.add_argument("--banner", default=None)
    parser.add_argument("--syst", default="UNIX Type: L8")
    args = parser.parse_args()
    logging.basicConfig(level=logging.ERROR)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    class Handler(FTPHandler):
        def ftp_SYST(self, line):
            self.respond("215 " + args.syst)

    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0.1
    if args.banner is not None:
        Handler.banner = args.banner
    server = FTPServer((args.address, args.port), Handler)
    print("ready %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
