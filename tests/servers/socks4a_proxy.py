#!/usr/bin/env python3
"""A small SOCKS 4 and 4A proxy for the transfer tests, which no Debian proxy
speaks. It listens on 127.0.0.1 and connects only to 127.0.0.1: a 4A host name
is accepted when it is "localhost" or an IPv4 literal and refused otherwise, so
nothing is ever looked up through the machine's resolver.

usage: socks4a_proxy.py PORT [USERID]   (with USERID, other user IDs are refused)
Each request is printed as one line: "CONNECT host:port user=ID 4a|4".
"""
import select
import socket
import sys
import threading


def relay(a, b):
    try:
        while True:
            ready, _, _ = select.select([a, b], [], [])
            for s in ready:
                data = s.recv(65536)
                if not data:
                    return
                (b if s is a else a).sendall(data)
    except OSError:
        pass
    finally:
        a.close()
        b.close()


def read_string(conn):
    out = b""
    while True:
        c = conn.recv(1)
        if not c or c == b"\0":
            return out
        out += c


def serve(conn, userid):
    head = b""
    while len(head) < 8:
        chunk = conn.recv(8 - len(head))
        if not chunk:
            conn.close()
            return
        head += chunk
    version, command = head[0], head[1]
    port = int.from_bytes(head[2:4], "big")
    ip = head[4:8]
    user = read_string(conn).decode("latin-1")
    kind = "4"
    if ip[0:3] == b"\0\0\0" and ip[3] != 0:
        kind = "4a"
        host = read_string(conn).decode("latin-1")
    else:
        host = socket.inet_ntoa(ip)
    print(f"CONNECT {host}:{port} user={user} {kind}", flush=True)
    refuse = b"\0\x5b" + b"\0" * 6
    if version != 4 or command != 1 or (userid is not None and user != userid):
        conn.sendall(b"\0\x5d" + b"\0" * 6 if userid is not None and user != userid else refuse)
        conn.close()
        return
    if host == "localhost":
        host = "127.0.0.1"
    if host != "127.0.0.1":
        conn.sendall(refuse)
        conn.close()
        return
    try:
        upstream = socket.create_connection((host, port), timeout=10)
        upstream.settimeout(None)
    except OSError:
        conn.sendall(refuse)
        conn.close()
        return
    conn.sendall(b"\0\x5a" + b"\0" * 6)
    relay(conn, upstream)


def main():
    port = int(sys.argv[1])
    userid = sys.argv[2] if len(sys.argv) > 2 else None
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    server.listen(64)
    print("ready", flush=True)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve, args=(conn, userid), daemon=True).start()


if __name__ == "__main__":
    main()
