#!/usr/bin/env python3
"""Accepts connections on 127.0.0.1:PORT and never says a word, as a server
that hangs before its greeting; prints "accepted" for each connection.
usage: silent_server.py PORT"""
import socket
import sys
import time

server = socket.socket()
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", int(sys.argv[1])))
server.listen(16)
print("ready", flush=True)
held = []
while True:
    conn, _ = server.accept()
    held.append(conn)
    print("accepted", flush=True)
