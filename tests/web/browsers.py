# The browsers the page is tried in, behind one small interface: Chromium through selenium and
# chromedriver, Firefox over WebDriver BiDi, which it serves itself (Debian has no geckodriver).
import atexit
import json
import os
import shutil
import subprocess
import tempfile
import threading

import websocket
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.interaction import POINTER_TOUCH
from selenium.webdriver.common.actions.pointer_input import PointerInput

WINDOW_SIZE = (1024, 900)
BROWSERS = ("chromium", "firefox")


class Chromium:
    """Headless Chromium with its console log kept; as root it needs --no-sandbox."""

    name = "chromium"

    def __init__(self, size=WINDOW_SIZE):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", f"--window-size={size[0]},{size[1]}", "--disable-gpu",
                         "--disable-dev-shm-usage"):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(options=options, service=Service(executable_path="/usr/bin/chromedriver"))
        self.version = self.driver.capabilities.get("browserVersion", "")

    def quit(self):
        self.driver.quit()

    def cdp(self, command, parameters=None):
        return self.driver.execute_cdp_cmd(command, parameters or {})

    def add_preload_script(self, source):
        self.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": source})

    def open(self, url):
        self.driver.get(url)

    def script(self, source, *args):
        """Runs `source` as the body of a function of `arguments`; its result as Python values."""
        return self.driver.execute_script(source, *args)

    def type_keys(self, text):
        actions = ActionBuilder(self.driver)
        for key in text:
            actions.key_action.key_down(key).key_up(key)
        actions.perform()

    def pointer(self, *steps):
        """Mouse steps in viewport pixels: ("move", x, y), ("down",), ("up",)."""
        actions = ActionBuilder(self.driver)
        for step in steps:
            if step[0] == "move":
                actions.pointer_action.move_to_location(int(step[1]), int(step[2]))
            elif step[0] == "down":
                actions.pointer_action.pointer_down()
            else:
                actions.pointer_action.pointer_up()
        actions.perform()

    def touch(self, *steps):
        """A finger's steps, as pointer() takes them, through the touch screen."""
        finger = PointerInput(POINTER_TOUCH, "finger")
        actions = ActionBuilder(self.driver, mouse=finger)
        for step in steps:
            if step[0] == "move":
                finger.create_pointer_move(x=int(step[1]), y=int(step[2]))
            elif step[0] == "down":
                finger.create_pointer_down(button=0)
            else:
                finger.create_pointer_up(button=0)
        actions.perform()

    def errors(self):
        return [entry["message"] for entry in self.driver.get_log("browser") if entry["level"] == "SEVERE"]


# A profile that asks nothing on the first run; the remote agent sets the rest of what automation needs.
FIREFOX_PREFERENCES = """
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("app.normandy.enabled", false);
user_pref("messaging-system.rsexperimentloader.enabled", false);
"""


class BidiError(RuntimeError):
    pass


class FirefoxProcess:
    """Headless Firefox ESR in a fresh profile, and the WebDriver BiDi session it serves itself."""

    _ANNOUNCEMENT = "WebDriver BiDi listening on "

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="trenox-firefox-")
        with open(os.path.join(self.profile, "user.js"), "w") as prefs:
            prefs.write(FIREFOX_PREFERENCES)
        self.process = subprocess.Popen(
            ["/usr/bin/firefox-esr", "--headless", "--no-remote", "--profile", self.profile,
             "--remote-debugging-port=0", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.socket = None
        self.drain = None
        self.next_id = 0
        self.log = []
        try:
            self._connect()
        except BaseException:
            self.quit()
            raise

    def _connect(self):
        address = None
        for line in self.process.stderr:
            if line.startswith(self._ANNOUNCEMENT):
                address = line[len(self._ANNOUNCEMENT):].strip()
                break
        if address is None:
            raise BidiError("Firefox ended without serving WebDriver BiDi")
        # Its chatter about its own services must not fill the pipe and stall it.
        self.drain = threading.Thread(target=self.process.stderr.read, daemon=True)
        self.drain.start()
        # No Origin header: the remote agent refuses connections from web pages.
        self.socket = websocket.create_connection(address + "/session", timeout=60, suppress_origin=True)
        self.version = self.command("session.new", {"capabilities": {}})["capabilities"].get("browserVersion", "")
        self.command("session.subscribe", {"events": ["log.entryAdded"]})

    def command(self, method, params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if message.get("type") == "error":
                    raise BidiError(f"{method}: {message['error']}: {message.get('message')}")
                return message["result"]
            if message.get("method") == "log.entryAdded":
                self.log.append(message["params"])

    def quit(self):
        try:
            if self.socket is not None:
                self.command("browser.close", {})
        except (BidiError, OSError, websocket.WebSocketException):
            pass
        if self.socket is not None:
            self.socket.close()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        if self.drain is not None:
            self.drain.join(timeout=10)
        self.process.stderr.close()
        shutil.rmtree(self.profile, ignore_errors=True)


_shared_firefox = None


def _firefox_process():
    """One Firefox for all the tabs a run opens: starting it costs seconds, a tab a fraction of one."""
    global _shared_firefox
    if _shared_firefox is None:
        _shared_firefox = FirefoxProcess()
        atexit.register(_shared_firefox.quit)
    return _shared_firefox


class Firefox:
    """A tab of its own in the shared headless Firefox."""

    name = "firefox"

    def __init__(self, size=WINDOW_SIZE):
        self.firefox = _firefox_process()
        self.version = self.firefox.version
        self.context = self.command("browsingContext.create", {"type": "tab"})["context"]
        self.command("browsingContext.setViewport",
                     {"context": self.context, "viewport": {"width": size[0], "height": size[1]}})

    def command(self, method, params):
        return self.firefox.command(method, params)

    def quit(self):
        self.command("browsingContext.close", {"context": self.context})

    def add_preload_script(self, source):
        self.command("script.addPreloadScript",
                     {"functionDeclaration": "() => {" + source + "}", "contexts": [self.context]})

    def open(self, url):
        self.command("browsingContext.navigate", {"context": self.context, "url": url, "wait": "complete"})

    def script(self, source, *args):
        """Runs `source` as the body of a function of `arguments`; its result as Python values."""
        result = self.command("script.callFunction", {
            "functionDeclaration": "function () {" + source + "\n}",
            "arguments": [_to_remote(arg) for arg in args],
            "target": {"context": self.context},
            "awaitPromise": False,
            "resultOwnership": "none",
            "serializationOptions": {"maxObjectDepth": 8},
        })
        if result["type"] == "exception":
            raise BidiError(result["exceptionDetails"]["text"])
        return _from_remote(result["result"])

    def _actions(self, source):
        self.command("input.performActions", {"context": self.context, "actions": [source]})

    def type_keys(self, text):
        steps = []
        for key in text:
            steps += [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]
        self._actions({"type": "key", "id": "keyboard", "actions": steps})

    def pointer(self, *steps, kind="mouse"):
        """Mouse steps in viewport pixels: ("move", x, y), ("down",), ("up",)."""
        actions = []
        for step in steps:
            if step[0] == "move":
                actions.append({"type": "pointerMove", "x": int(step[1]), "y": int(step[2]), "origin": "viewport"})
            else:
                actions.append({"type": "pointerDown" if step[0] == "down" else "pointerUp", "button": 0})
        self._actions({"type": "pointer", "id": kind, "parameters": {"pointerType": kind}, "actions": actions})

    def touch(self, *steps):
        self.pointer(*steps, kind="touch")

    def errors(self):
        self.script("return 0;")  # collects the entries that came since the last command
        return [entry.get("text") for entry in self.firefox.log
                if entry.get("level") == "error" and entry.get("source", {}).get("context") == self.context]


def _to_remote(value):
    if value is None:
        return {"type": "null"}
    if isinstance(value, bool):
        return {"type": "boolean", "value": value}
    if isinstance(value, (int, float)):
        return {"type": "number", "value": value}
    if isinstance(value, str):
        return {"type": "string", "value": value}
    if isinstance(value, (list, tuple)):
        return {"type": "array", "value": [_to_remote(item) for item in value]}
    raise TypeError(f"cannot pass {value!r} to the page")


_NUMBERS = {"NaN": float("nan"), "-0": -0.0, "Infinity": float("inf"), "-Infinity": float("-inf")}


def _from_remote(remote):
    kind = remote["type"]
    if kind in ("undefined", "null"):
        return None
    if kind == "number":
        return _NUMBERS.get(remote["value"], remote["value"])
    if kind in ("string", "boolean"):
        return remote["value"]
    if kind == "array":
        return [_from_remote(item) for item in remote["value"]]
    if kind == "object":
        return {key: _from_remote(item) for key, item in remote["value"]}
    raise BidiError(f"the page returned a {kind}, which the tests do not take")


def start(name, size=WINDOW_SIZE):
    return {"chromium": Chromium, "firefox": Firefox}[name](size)
