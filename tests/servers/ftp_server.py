#!/usr/bin/env python3
"""An FTP server with two accounts for the transfer tests (pyftpdlib).

usage: ftp_server.py PORT ROOT PASV_FROM PASV_TO [MODE]
MODE: "full" answers every STOR with 452, "quota" answers 552 after a file's
data, "delay=MS" waits before every reply (a slow line), "hold=S" holds back
the reply after a file's data.
Accounts: alice/apass with home ROOT/alice and bob/bpass with home ROOT/bob,
both with write access. Every command received is logged on standard output
("<- COMMAND").
"""
import logging
import os
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


MODE = sys.argv[5] if len(sys.argv) > 5 else ""


class Handler(FTPHandler):
    def respond(self, resp, logfun=logging.debug):
        if MODE.startswith("delay="):
            time.sleep(int(MODE[6:]) / 1000.0)
        if resp.startswith("226"):
            if MODE == "quota":
                resp = "552 Requested file action aborted (quota)."
            elif MODE.startswith("hold="):
                time.sleep(float(MODE[5:]))
        super().respond(resp, logfun)

    def ftp_STOR(self, file, mode="w"):
        if MODE == "full":
            self.respond("452 Insufficient storage space.")
            return
        return super().ftp_STOR(file, mode)


def main():
    port, root, low, high = int(sys.argv[1]), sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    authorizer = DummyAuthorizer()
    for user, password in (("alice", "apass"), ("bob", "bpass")):
        home = os.path.join(root, user)
        os.makedirs(os.path.join(home, "www"), exist_ok=True)
        authorizer.add_user(user, password, home, perm="elradfmwMT")
    handler = Handler
    handler.authorizer = authorizer
    handler.passive_ports = range(low, high + 1)
    handler.permit_foreign_addresses = False
    logging.basicConfig(level=logging.DEBUG, stream=sys.stdout, format="%(message)s")
    server = FTPServer(("127.0.0.1", port), handler)
    server.serve_forever()


if __name__ == "__main__":
    main()
