#!/usr/bin/env python3
"""An FTP server with two accounts for the transfer tests (pyftpdlib).

usage: ftp_server.py PORT ROOT PASV_FROM PASV_TO [MODE]
MODE: "full" answers every STOR with 452, "quota" answers 552 after a file's
data, "delay=MS" waits before every reply (a slow line), "hold=S" holds back
the reply after a file's data, "limit=N" turns away (421) a connection from
an address that has N already, "short" keeps only the first half of every
file stored yet answers that all went well; several modes go together,
separated by ",".
Accounts: alice/apass with home ROOT/alice and bob/bpass with home ROOT/bob,
both with write access. Every command received is logged in ROOT/commands.log
("<- COMMAND").
"""
import logging
import os
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import ThreadedFTPServer


MODES = dict(m.partition("=")[::2] for m in (sys.argv[5] if len(sys.argv) > 5 else "").split(",") if m)


class Handler(FTPHandler):
    def respond(self, resp, logfun=logging.debug):
        if "delay" in MODES:
            time.sleep(int(MODES["delay"]) / 1000.0)
        if resp.startswith("226"):
            if "quota" in MODES:
                resp = "552 Requested file action aborted (quota)."
            elif "hold" in MODES:
                time.sleep(float(MODES["hold"]))
        super().respond(resp, logfun)

    def on_file_received(self, file):
        if "short" in MODES:
            with open(file, "r+b") as stored:
                stored.truncate(os.path.getsize(file) // 2)

    def ftp_STOR(self, file, mode="w"):
        if "full" in MODES:
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
    # Into a file: a pipe that nobody drains would stall every session once full.
    logging.basicConfig(level=logging.DEBUG, filename=os.path.join(root, "commands.log"), format="%(message)s")
    # A thread per connection, so that a slow reply holds back its own session only.
    server = ThreadedFTPServer(("127.0.0.1", port), handler)
    if "limit" in MODES:
        server.max_cons_per_ip = int(MODES["limit"])
    server.serve_forever()


if __name__ == "__main__":
    main()
