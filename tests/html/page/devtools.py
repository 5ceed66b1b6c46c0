"""A headless chromium driven through the DevTools protocol, for the page
tests: open a page, run script in it, wait for a state, print it to PDF.

The browser gets a fresh profile, no network services and no sandbox (the
tests run as root in containers). Waiting is bounded only as a guard
against a hung browser: no assertion depends on how long anything took."""
import base64
import itertools
import json
import os
import shutil
import subprocess
import tempfile
import time
import urllib.request

import websocket

BROWSER = next((p for p in ("/usr/bin/chromium", "/usr/bin/chromium-browser") if os.access(p, os.X_OK)), None)

# How long a hung browser is given before a test fails: far beyond what any
# step takes, so that a loaded machine never decides a result.
GUARD_SECONDS = 120


class PageError(Exception):
    """Script run in the page threw, or the browser answered with an error."""


class Browser:
    def __init__(self, width=1280, height=900):
        if BROWSER is None:
            raise RuntimeError("no chromium installed")
        self._profile = tempfile.mkdtemp(prefix="rdbxml-devtools-")
        self._process = subprocess.Popen(
            [BROWSER, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-dev-shm-usage", "--hide-scrollbars", "--remote-debugging-port=0",
             "--allow-file-access-from-files", f"--window-size={width},{height}",
             f"--user-data-dir={self._profile}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self._profile, "DevToolsActivePort")
        port = self._until(lambda: _first_line(port_file), "the browser to listen")
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list") as answer:
            targets = json.load(answer)
        page = next(t for t in targets if t.get("type") == "page")
        self._socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=GUARD_SECONDS,
                                                   suppress_origin=True)
        self._ids = itertools.count(1)
        self._events = []
        self.call("Page.enable")
        self.call("Runtime.enable")

    def close(self):
        try:
            self._socket.close()
        finally:
            self._process.kill()
            self._process.wait()
            shutil.rmtree(self._profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def call(self, method, **params):
        """Sends one command and returns its result; events that arrive
        meanwhile are kept for wait_event."""
        ident = next(self._ids)
        self._socket.send(json.dumps({"id": ident, "method": method, "params": params}))
        while True:
            message = json.loads(self._socket.recv())
            if message.get("id") == ident:
                if "error" in message:
                    raise PageError(f"{method}: {message['error']}")
                return message.get("result", {})
            if "method" in message:
                self._events.append(message)

    def wait_event(self, method):
        """The next event `method` (one that already came is taken first)."""
        for i, event in enumerate(self._events):
            if event["method"] == method:
                return self._events.pop(i)["params"]
        while True:
            message = json.loads(self._socket.recv())
            if message.get("method") == method:
                return message["params"]
            if "method" in message:
                self._events.append(message)

    def open(self, url):
        """Loads `url` and returns once its load event fired (the page's
        script has run by then)."""
        self._events = [e for e in self._events if e["method"] != "Page.loadEventFired"]
        self.call("Page.navigate", url=url)
        self.wait_event("Page.loadEventFired")

    def reload(self):
        self._events = [e for e in self._events if e["method"] != "Page.loadEventFired"]
        self.call("Page.reload")
        self.wait_event("Page.loadEventFired")

    def eval(self, expression):
        """The value of `expression` in the page (promises awaited)."""
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True,
                           userGesture=True)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            text = details.get("exception", {}).get("description") or details.get("text")
            raise PageError(text)
        return result["result"].get("value")

    def wait(self, expression, what=None):
        """Returns the value of `expression` once it is truthy. While a
        page is being left or opened, the expression may find no document
        to run in, or one not yet whole: that is "not yet", and the last
        such error is told should the wait give up."""
        last = []

        def probe():
            try:
                return self.eval(expression)
            except PageError as error:
                last[:] = [error]
                return None
        try:
            return self._until(probe, what or expression)
        except TimeoutError as timeout:
            raise TimeoutError(f"{timeout} (last error: {last[0]})" if last else str(timeout)) from None

    def print_pdf(self, path):
        """Prints the page as the print dialog would, to the PDF file `path`."""
        data = self.call("Page.printToPDF", printBackground=True)["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))

    def _until(self, probe, what):
        deadline = time.monotonic() + GUARD_SECONDS
        while True:
            value = probe()
            if value:
                return value
            if time.monotonic() > deadline:
                raise TimeoutError(f"gave up waiting for {what}")
            time.sleep(0.02)


def _first_line(path):
    try:
        with open(path, encoding="ascii") as f:
            line = f.readline().strip()
            return line or None
    except FileNotFoundError:
        return None
