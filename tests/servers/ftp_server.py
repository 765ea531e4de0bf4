#!/usr/bin/env python3
"""An FTP server with two accounts for the transfer tests (pyftpdlib).

usage: ftp_server.py PORT ROOT PASV_FROM PASV_TO
Accounts: alice/apass with home ROOT/alice and bob/bpass with home ROOT/bob,
both with write access. Every command received is logged on standard output
("<- COMMAND").
"""
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    port, root, low, high = int(sys.argv[1]), sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    authorizer = DummyAuthorizer()
    for user, password in (("alice", "apass"), ("bob", "bpass")):
        home = os.path.join(root, user)
        os.makedirs(os.path.join(home, "www"), exist_ok=True)
        authorizer.add_user(user, password, home, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = range(low, high + 1)
    handler.permit_foreign_addresses = False
    logging.basicConfig(level=logging.DEBUG, stream=sys.stdout, format="%(message)s")
    server = FTPServer(("127.0.0.1", port), handler)
    server.serve_forever()


if __name__ == "__main__":
    main()
