#!/usr/bin/env python3
"""A stand-in for the update server: serves a fixture tree on 127.0.0.1, and answers
badly on purpose under /-/ (see README.md). Python standard library only.

  serve.py --root DIR --port-file FILE [--log FILE] [--background]
           [--idle-exit S] [--max-life S]
  serve.py --stop --port-file FILE

The server binds a free port on 127.0.0.1 and writes it to the port file. It stops by
itself after --idle-exit seconds without a request or --max-life seconds in all, or
when asked with --stop.
"""

import argparse
import http.server
import os
import socketserver
import sys
import threading
import time
import urllib.request

HOLD_STEP = 0.2
ONLY_ARCHIVES = "/-/only-zip/"


class State:
    def __init__(self, root, log_path, max_life):
        self.root = os.path.realpath(root)
        self.log_path = log_path
        self.log_lock = threading.Lock()
        self.stopping = threading.Event()
        self.started = time.monotonic()
        self.last_request = self.started
        self.max_life = max_life

    def log(self, line):
        if not self.log_path:
            return
        with self.log_lock, open(self.log_path, "a", encoding="utf-8") as log:
            log.write(line + "\n")

    def hold(self):
        """Keeps a connection waiting until the server stops (bounded by its life)."""
        end = self.started + self.max_life
        while not self.stopping.is_set() and time.monotonic() < end:
            time.sleep(HOLD_STEP)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "update-standin/1"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    @property
    def state(self):
        return self.server.state

    # Answers ---------------------------------------------------------------

    def answer(self, status, body, length=None, close=False):
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        if length is not None:
            self.send_header("Content-Length", str(length))
        if close:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if body:
            self.wfile.write(body)
            self.wfile.flush()

    def not_found(self):
        page = b"<html><body><h1>404 Not Found</h1></body></html>"
        self.answer(404, page, len(page))

    def fixture(self, path):
        """The bytes of the fixture file at the URL path, or None. Empty segments are
        dropped (the client's doubled slashes), '..' is refused."""
        parts = [p for p in path.split("?", 1)[0].split("/") if p]
        if any(p in (".", "..") or "\\" in p for p in parts):
            return None
        full = os.path.realpath(os.path.join(self.state.root, *parts))
        if not full.startswith(self.state.root + os.sep) or not os.path.isfile(full):
            return None
        with open(full, "rb") as f:
            return f.read()

    # Routes ----------------------------------------------------------------

    def do_GET(self):  # noqa: N802 - the base class's name
        self.state.last_request = time.monotonic()
        self.state.log("GET " + self.path)
        path = self.path
        if path.startswith(ONLY_ARCHIVES):
            # /-/only-zip/<route>/<n>/<tree path>: archives get the route, the rest of
            # the tree is served as it is.
            inner = path[len(ONLY_ARCHIVES):]
            if path.split("?", 1)[0].endswith(".zip"):
                path = "/-/" + inner
            else:
                path = "/" + inner.split("/", 2)[-1]
        self.route(path)

    def route(self, path):
        if not path.startswith("/-/"):
            body = self.fixture(path)
            if body is None:
                self.not_found()
            else:
                self.answer(200, body, len(body))
            return

        parts = path[3:].split("/", 2)
        route = parts[0]
        number = int(parts[1]) if len(parts) == 3 and parts[1].isdigit() else None
        tree_path = "/" + parts[2] if len(parts) == 3 else "/"

        if route == "quit":
            self.answer(200, b"bye", 3, close=True)
            self.state.stopping.set()
        elif route == "echo":
            # The request as received: the request line, then the headers.
            lines = [self.requestline] + ["%s: %s" % item for item in self.headers.items()]
            text = "\r\n".join(lines) + "\r\n\r\n"
            body = text.encode("latin-1")
            self.answer(200, body, len(body))
        elif route == "status" and number is not None:
            # The fixture (or a page) under another status code.
            body = self.fixture(tree_path) or b"<html>error page</html>"
            self.answer(number, body, len(body))
        elif route == "big" and number is not None:
            # A body of that many digits, with its length announced.
            self.answer(200, None, number)
            self.send_digits(number)
        elif route == "stream" and number is not None:
            # A body of that many digits without a length; the close ends it.
            self.answer(200, None, None, close=True)
            self.send_digits(number)
        elif route == "stall" and number is not None:
            # The fixture's length announced, its first bytes sent, then nothing.
            body = self.fixture(tree_path) or b"0" * 4096
            self.answer(200, body[:number], len(body))
            self.state.hold()
            self.close_connection = True
        elif route == "short" and number is not None:
            # The fixture's length announced, its first bytes sent, then the close.
            body = self.fixture(tree_path) or b"0" * 4096
            self.answer(200, body[:number], len(body), close=True)
        elif route == "hang":
            # The request is read, no answer ever comes.
            self.state.hold()
            self.close_connection = True
        else:
            self.not_found()

    def send_digits(self, count):
        block = b"9" * 65536
        while count > 0 and not self.state.stopping.is_set():
            piece = block[: min(count, len(block))]
            self.wfile.write(piece)
            count -= len(piece)
        self.wfile.flush()


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def write_port_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="ascii") as f:
        f.write("%d\n" % port)
    os.replace(temporary, path)


def serve(args):
    state = State(args.root, args.log, args.max_life)
    server = Server(("127.0.0.1", 0), Handler)
    server.state = state
    write_port_file(args.port_file, server.server_address[1])
    worker = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    worker.start()
    try:
        while not state.stopping.is_set():
            now = time.monotonic()
            if now - state.last_request > args.idle_exit or now - state.started > args.max_life:
                break
            state.stopping.wait(0.5)
    finally:
        state.stopping.set()
        server.shutdown()
        server.server_close()
        try:
            with open(args.port_file, encoding="ascii") as f:
                mine = int(f.read().strip() or 0) == server.server_address[1]
            if mine:
                os.remove(args.port_file)
        except (OSError, ValueError):
            pass


def start_in_background(args):
    """Forks a detached server and returns once it has written its port file."""
    try:
        os.remove(args.port_file)
    except OSError:
        pass
    if os.fork() == 0:
        os.setsid()
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        try:
            serve(args)
        finally:
            os._exit(0)
    for _ in range(100):
        if os.path.exists(args.port_file):
            return 0
        time.sleep(0.1)
    print("serve.py: the server did not start", file=sys.stderr)
    return 1


def stop(args):
    try:
        with open(args.port_file, encoding="ascii") as f:
            port = int(f.read().strip())
    except (OSError, ValueError):
        return 0  # nothing running
    try:
        # Straight to the loopback address, whatever proxy the environment names.
        opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
        opener.open("http://127.0.0.1:%d/-/quit" % port, timeout=5).read()
    except OSError:
        pass
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", help="the fixture tree to serve")
    parser.add_argument("--port-file", required=True, help="where the chosen port is written")
    parser.add_argument("--log", help="file that gets one line per request: GET <path>")
    parser.add_argument("--background", action="store_true", help="detach and return once listening")
    parser.add_argument("--idle-exit", type=float, default=600, help="seconds without a request before stopping")
    parser.add_argument("--max-life", type=float, default=3600, help="seconds before stopping in any case")
    parser.add_argument("--stop", action="store_true", help="stop the server of the port file")
    args = parser.parse_args()
    if args.stop:
        return stop(args)
    if not args.root or not os.path.isdir(args.root):
        parser.error("--root must name a folder")
    if args.background:
        return start_in_background(args)
    serve(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
