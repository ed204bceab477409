#!/usr/bin/env python3
"""Opens an offline copy from disk the way a user does, and counts what fails.

  tools/browser_check.py COPY_DIR START_FILE [--pages N] [--chromium PATH]

Two passes over the copy below COPY_DIR:
- a walk of every stored page (.html) and style sheet (.css): each href, src,
  srcset candidate, background, url() and @import is resolved against the
  file that holds it; a reference that opens no file (or only a directory,
  which a browser shows as a listing) is a link to a missing file;
- headless Chromium, driven over its DevTools protocol, opens N of the stored
  pages (START_FILE first, the rest spread over the sorted list) and counts
  the loads that failed (inside the copy, outside it, or online), the style
  sheets it loaded but applied no rule of (a stored sheet whose name does
  not end in ".css" is refused from disk) and the images it could not show.
Prints the figures, one per line, as "name: value" (see FIGURES).
Uses the standard library only; Chromium runs with a new empty profile and
without any network of its own.
"""

import argparse
import base64
import html
import json
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import urllib.parse

FIGURES = [
    ("pages", "stored pages"),
    ("sheets", "stored style sheets"),
    ("references", "references in them"),
    ("missing", "references to missing files"),
    ("directories", "references to directories (a listing opens)"),
    ("online", "references left at online addresses"),
    ("opened", "pages opened in Chromium"),
    ("failed_inside", "failed loads of files inside the copy"),
    ("failed_outside", "failed loads of files outside the copy"),
    ("failed_online", "failed loads of online addresses"),
    ("sheets_not_applied", "style sheets not applied"),
    ("images_broken", "images not shown"),
]

# --- The walk over the stored files ------------------------------------------

URL_RE = re.compile(r"""url\(\s*['"]?([^'")\s]*)""", re.I)
IMPORT_RE = re.compile(r"""@import\s+['"]([^'"]*)""", re.I)
ATTR_RE = re.compile(r"""\s(href|src|background)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>"']+))""", re.I)
SRCSET_RE = re.compile(r"""\ssrcset\s*=\s*(?:"([^"]*)"|'([^']*)')""", re.I)
TAG_RE = re.compile(r"<[a-zA-Z][^>]*>")
SCRIPT_RE = re.compile(r"<script\b[^>]*>.*?</script\s*>", re.I | re.S)
COMMENT_RE = re.compile(r"<!--.*?-->", re.S)


def references(text, sheet):
    if not sheet:  # scripts and comments name nothing a browser loads by itself
        text = COMMENT_RE.sub("", SCRIPT_RE.sub("", text))
    found = URL_RE.findall(text) + IMPORT_RE.findall(text)
    if sheet:
        return found
    for tag in TAG_RE.findall(text):
        for m in ATTR_RE.finditer(tag):
            found.append(html.unescape(m.group(2) or m.group(3) or m.group(4) or ""))
        for m in SRCSET_RE.finditer(tag):
            for candidate in html.unescape(m.group(1) or m.group(2) or "").split(","):
                words = candidate.split()
                if words:
                    found.append(words[0])
    return found


def walk(copy):
    counts = dict.fromkeys(["pages", "sheets", "references", "missing", "directories", "online"], 0)
    examples = {"missing": [], "directories": []}
    for root, _, files in os.walk(copy):
        for name in files:
            sheet = name.endswith(".css")
            if not sheet and not name.endswith(".html"):
                continue
            counts["sheets" if sheet else "pages"] += 1
            holder = os.path.join(root, name)
            with open(holder, encoding="utf-8", errors="replace") as f:
                text = f.read()
            for ref in references(text, sheet):
                ref = ref.strip()
                if not ref or ref.startswith("#") or ref.startswith("//"):
                    continue
                scheme = urllib.parse.urlsplit(ref).scheme.lower()
                if scheme in ("http", "https"):
                    counts["references"] += 1
                    counts["online"] += 1
                    continue
                if scheme:  # mailto:, javascript:, data:, file:
                    continue
                counts["references"] += 1
                path = urllib.parse.unquote(re.split(r"[?#]", ref)[0])
                target = os.path.normpath(os.path.join(root, path))
                if os.path.isfile(target):
                    continue
                kind = "directories" if os.path.isdir(target) else "missing"
                counts[kind] += 1
                if len(examples[kind]) < 5:
                    examples[kind].append(os.path.relpath(holder, copy) + ": " + ref)
    return counts, examples


# --- A DevTools client ----------------------------------------------------------


class WebSocket:
    """The client side of RFC 6455, text frames only, enough for DevTools."""

    def __init__(self, url):
        parts = urllib.parse.urlsplit(url)
        self.sock = socket.create_connection((parts.hostname, parts.port), timeout=60)
        key = base64.b64encode(os.urandom(16)).decode()
        request = (f"GET {parts.path} HTTP/1.1\r\nHost: {parts.hostname}:{parts.port}\r\n"
                   f"Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                   f"Sec-WebSocket-Version: 13\r\n\r\n")
        self.sock.sendall(request.encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise RuntimeError("DevTools closed the connection")
            head += chunk
        if b" 101 " not in head.split(b"\r\n", 1)[0]:
            raise RuntimeError("DevTools refused the WebSocket: " + head.decode(errors="replace"))
        self.buffer = head.split(b"\r\n\r\n", 1)[1]

    def _read(self, n):
        while len(self.buffer) < n:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise RuntimeError("DevTools closed the connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:n], self.buffer[n:]
        return data

    def send(self, text):
        payload = text.encode()
        mask = os.urandom(4)
        n = len(payload)
        if n < 126:
            header = struct.pack("!BB", 0x81, 0x80 | n)
        elif n < 65536:
            header = struct.pack("!BBH", 0x81, 0x80 | 126, n)
        else:
            header = struct.pack("!BBQ", 0x81, 0x80 | 127, n)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(header + mask + masked)

    def receive(self):
        message = b""
        while True:
            b0, b1 = self._read(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack("!H", self._read(2))[0]
            elif n == 127:
                n = struct.unpack("!Q", self._read(8))[0]
            payload = self._read(n)
            opcode = b0 & 0x0F
            if opcode == 0x8:
                raise RuntimeError("DevTools closed the WebSocket")
            if opcode == 0x9:  # ping: answer, read on
                continue
            message += payload
            if b0 & 0x80:
                return message.decode(errors="replace")


class DevTools:
    def __init__(self, url):
        self.ws = WebSocket(url)
        self.next_id = 0
        self.events = []

    def call(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        self.ws.send(json.dumps(message))
        while True:
            answer = json.loads(self.ws.receive())
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer.get("result", {})
            self.events.append(answer)

    def wait_for(self, method, timeout):
        deadline = time.time() + timeout
        self.ws.sock.settimeout(timeout)
        while time.time() < deadline:
            for i, event in enumerate(self.events):
                if event.get("method") == method:
                    return self.events.pop(i)
            try:
                self.events.append(json.loads(self.ws.receive()))
            except socket.timeout:
                break
        return None


def start_chromium(binary, profile):
    args = [binary, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--user-data-dir=" + profile, "--remote-debugging-port=0", "about:blank"]
    process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port_file = os.path.join(profile, "DevToolsActivePort")
    for _ in range(300):
        if os.path.exists(port_file):
            with open(port_file) as f:
                lines = f.read().split()
            if len(lines) >= 2:
                return process, f"ws://127.0.0.1:{lines[0]}{lines[1]}"
        if process.poll() is not None:
            break
        time.sleep(0.1)
    process.kill()
    raise RuntimeError("Chromium did not start")


PAGE_STATE = """JSON.stringify({
  images: [...document.images].filter(i => i.complete && i.naturalWidth === 0 && i.currentSrc).map(i => i.currentSrc)
})"""


def refused_sheet(event):
    """A style sheet Chromium loaded but applied no rule of: it announces it
    with no text (as for a sheet whose name does not say it is one)."""
    header = event.get("params", {}).get("header", {})
    source = header.get("sourceURL", "")
    # A sheet that did not load at all (an online one) is a failed load.
    if header.get("isInline") or header.get("loadingFailed") or header.get("length", 0) > 0 or \
            not source.startswith("file:"):
        return None
    path = urllib.parse.unquote(urllib.parse.urlsplit(source).path)
    return source if os.path.isfile(path) and os.path.getsize(path) > 0 else None


def open_pages(binary, copy, pages):
    counts = dict.fromkeys(["opened", "failed_inside", "failed_outside", "failed_online",
                            "sheets_not_applied", "images_broken"], 0)
    examples = {"failed_inside": [], "sheets_not_applied": [], "images_broken": []}
    copy_url = "file://" + urllib.parse.quote(os.path.abspath(copy)) + "/"
    profile = tempfile.mkdtemp(prefix="vorlin-chromium-")
    process = None
    try:
        process, url = start_chromium(binary, profile)
        tools = DevTools(url)
        target = tools.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = tools.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        for domain in ("Page", "Network", "Runtime", "DOM", "CSS"):
            tools.call(domain + ".enable", session=session)
        for page in pages:
            tools.events.clear()
            address = "file://" + urllib.parse.quote(os.path.abspath(page))
            tools.call("Page.navigate", {"url": address}, session=session)
            tools.wait_for("Page.loadEventFired", 20)
            time.sleep(0.2)  # late style sheets and images
            counts["opened"] += 1
            state = json.loads(tools.call("Runtime.evaluate", {"expression": PAGE_STATE, "returnByValue": True},
                                          session=session)["result"]["value"])
            requested = {}
            state["sheets"] = [u for u in (refused_sheet(e) for e in tools.events
                                           if e.get("method") == "CSS.styleSheetAdded") if u]
            for event in tools.events:
                params = event.get("params", {})
                if event.get("method") == "Network.requestWillBeSent":
                    requested[params["requestId"]] = params["request"]["url"]
                elif event.get("method") == "Network.loadingFailed":
                    failed = requested.get(params["requestId"], "")
                    if failed.startswith(copy_url):
                        counts["failed_inside"] += 1
                        if len(examples["failed_inside"]) < 5:
                            examples["failed_inside"].append(urllib.parse.unquote(failed[len(copy_url):]) +
                                                             " (" + params.get("errorText", "") + ")")
                    elif failed.startswith("file:"):
                        counts["failed_outside"] += 1
                    else:
                        counts["failed_online"] += 1
            counts["sheets_not_applied"] += len(state["sheets"])
            counts["images_broken"] += len(state["images"])
            for kind, key in (("sheets_not_applied", "sheets"), ("images_broken", "images")):
                for item in state[key]:
                    if len(examples[kind]) < 5:
                        examples[kind].append(urllib.parse.unquote(item.replace(copy_url, "")))
    finally:
        if process:
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(profile, ignore_errors=True)
    return counts, examples


def sample(copy, start, n):
    pages = sorted(os.path.join(root, f) for root, _, files in os.walk(copy) for f in files if f.endswith(".html"))
    chosen = [start] if os.path.isfile(start) else []
    rest = [p for p in pages if p != start]
    step = max(1, len(rest) // max(1, n - len(chosen)))
    chosen += rest[::step][: max(0, n - len(chosen))]
    return chosen


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("copy")
    parser.add_argument("start")
    parser.add_argument("--pages", type=int, default=40)
    parser.add_argument("--chromium", default="/usr/bin/chromium")
    parser.add_argument("--examples", action="store_true", help="print a few examples of each failure")
    options = parser.parse_args()

    counts, examples = walk(options.copy)
    if options.pages > 0:
        opened, more = open_pages(options.chromium, options.copy, sample(options.copy, options.start, options.pages))
        counts.update(opened)
        examples.update(more)
    for key, text in FIGURES:
        if key in counts:
            print(f"{text}: {counts[key]}")
    if options.examples:
        for kind, items in examples.items():
            for item in items:
                print(f"  e.g. {kind}: {item}", file=sys.stderr)


if __name__ == "__main__":
    main()
