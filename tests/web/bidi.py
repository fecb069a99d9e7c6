"""Firefox, driven over WebDriver BiDi, which it serves itself (Debian has no geckodriver),
through Debian's WebSocket client, with the calls of a Selenium driver that the browser
tests make."""

import json
import os
import shutil
import subprocess
import tempfile
import time

try:
    import websocket  # Debian's python3-websocket
except ImportError:
    websocket = None


class Firefox:
    """Firefox, which has no classic WebDriver here, over WebDriver BiDi: the calls of a
    Selenium driver that the cases make, and Selenium's own actions, which BiDi takes as they
    are encoded."""

    def __init__(self):
        self.profile, self.sent = tempfile.mkdtemp(), 0
        log = os.path.join(self.profile, "log")
        with open(log, "w") as output:
            self.process = subprocess.Popen(
                ["firefox-esr", "--headless", "--no-remote", "--profile", self.profile,
                 "--width=1000", "--height=800", "--remote-debugging-port=0"],
                stdout=output, stderr=subprocess.STDOUT,
                env=dict(os.environ, MOZ_CRASHREPORTER_DISABLE="1"))
        listening = lambda: [line.split()[-1] for line in open(log) if "BiDi listening" in line]
        try:
            deadline = time.monotonic() + 30
            while not listening():
                if time.monotonic() > deadline:
                    raise AssertionError("Firefox serving WebDriver BiDi within 30 s")
                time.sleep(0.05)
            # Firefox refuses a WebDriver connection that names an origin, as pages do.
            self.socket = websocket.create_connection(listening()[0] + "/session", timeout=60,
                                                      suppress_origin=True)
            self.command("session.new", capabilities={})
            self.context = self.command("browsingContext.getTree")["contexts"][0]["context"]
        except Exception:
            self.quit()
            raise
        self.switch_to = self

    def command(self, method, **params):
        self.sent += 1
        self.socket.send(json.dumps({"id": self.sent, "method": method, "params": params}))
        while True:  # events and late answers are passed over
            answer = json.loads(self.socket.recv())
            if answer.get("id") == self.sent:
                if answer["type"] == "error":
                    raise RuntimeError(f"{method}: {answer['message']}")
                return answer["result"]

    def execute_script(self, script, *arguments):
        def remote(value):  # the JSON types the cases pass and read, as BiDi encodes them
            kind = {bool: "boolean", int: "number", float: "number", str: "string"}
            return {"type": kind[type(value)], "value": value}

        def local(value):
            if value["type"] == "array":
                return [local(item) for item in value["value"]]
            return value.get("value")

        result = self.command("script.callFunction", functionDeclaration=f"function() {{{script}}}",
                              arguments=[remote(value) for value in arguments],
                              awaitPromise=True, target={"context": self.context})
        if result["type"] == "exception":
            raise RuntimeError(result["exceptionDetails"]["text"])
        return local(result["result"])

    def execute(self, command, params):
        assert command == "actions"
        self.command("input.performActions", context=self.context, actions=params["actions"])

    def get(self, address):
        self.command("browsingContext.navigate", context=self.context, url=address,
                     wait="complete")

    def refresh(self):
        self.command("browsingContext.reload", context=self.context, wait="complete")

    current_url = property(lambda self: self.execute_script("return location.href"))
    current_window_handle = property(lambda self: self.context)

    def new_window(self, kind):
        self.context = self.command("browsingContext.create", type=kind)["context"]

    def window(self, context):
        self.command("browsingContext.activate", context=context)
        self.context = context

    def quit(self):
        if hasattr(self, "socket"):
            self.socket.close()
        self.process.terminate()
        self.process.wait()
        shutil.rmtree(self.profile)
