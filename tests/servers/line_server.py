#!/usr/bin/env python3
"""Small servers for the connect cases of the transfer tests, on 127.0.0.1.

usage: line_server.py PORT greet TEXT   greets every connection with TEXT and closes it
       line_server.py PORT full         never answers a connection attempt: the listen
                                        queue is full, so the kernel drops every request
"""
import socket
import sys
import time

port, mode = int(sys.argv[1]), sys.argv[2]
server = socket.socket()
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", port))
if mode == "greet":
    server.listen(16)
    print("ready", flush=True)
    while True:
        conn, _ = server.accept()
        conn.sendall(sys.argv[3].encode() + b"\r\n")
        conn.close()
else:
    server.listen(0)
    # Fill the queue with connections of our own, then never accept.
    held = []
    for _ in range(2):
        filler = socket.socket()
        filler.setblocking(False)
        try:
            filler.connect(("127.0.0.1", port))
        except BlockingIOError:
            pass
        held.append(filler)
    time.sleep(0.5)
    print("ready", flush=True)
    while True:
        time.sleep(60)
