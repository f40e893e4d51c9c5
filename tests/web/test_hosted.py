# The hosted folder served over http: Chromium finds the page installable, on the desktop and on a
# phone, and once the service worker controls the page, a reload with no network still runs the
# program; the icons fit a phone's masks.
import hashlib
import json
import re
import time
import unittest

from PIL import Image

from test_devices import PHONE, emulated_chromium
from test_page_audit import serve
from trenox_page import BROWSER, PAGE, SOURCE_DIR, ProgramPage, ProgramTest

HOSTED = PAGE.parent / "hosted"
INSTALL_TIMEOUT = 20.0


@unittest.skipUnless((HOSTED / "index.html").exists(), "no hosted folder (the hosted_page target)")
class HostedTest(ProgramTest):
    def open_page(self):
        self.server = serve(self, HOSTED)
        return ProgramPage(self.browser(), url=self.server.url("index.html"))

    def browser(self):
        return None

    def wait_for_service_worker(self):
        deadline = time.monotonic() + INSTALL_TIMEOUT
        while not self.page.script("return navigator.serviceWorker.controller !== null;"):
            self.assertLess(time.monotonic(), deadline, "the service worker never took the page")
            time.sleep(0.1)

    def test_reload_without_network_runs_the_program(self):
        self.wait_until_running()
        self.wait_for_service_worker()
        # One copy, named for this version and this page, so that a new page replaces it.
        self.page.script("window.trenoxCaches = null; caches.keys().then((names) => { window.trenoxCaches = names; });")
        deadline = time.monotonic() + INSTALL_TIMEOUT
        while (names := self.page.script("return window.trenoxCaches;")) is None:
            self.assertLess(time.monotonic(), deadline, "caches.keys() never answered")
            time.sleep(0.1)
        version = re.search(r"project\(TrenoxVK VERSION ([^ )]+)", (SOURCE_DIR / "CMakeLists.txt").read_text()).group(1)
        page_hash = hashlib.sha256((HOSTED / "index.html").read_bytes()).hexdigest()[:12]
        self.assertEqual(names, [f"trenoxvk-{version}-{page_hash}"])
        self.page.script("window.trenoxOldPage = true;")
        self.server.stop()
        if BROWSER == "chromium":
            self.page.browser.cdp("Network.enable")
            self.page.browser.cdp("Network.emulateNetworkConditions",
                                  {"offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
        self.page.browser.open(self.server.url("index.html"))
        self.page.seen = 0
        self.assertIsNone(self.page.script("return window.trenoxOldPage;"), "the page was not reloaded")
        self.wait_until_running()
        self.assertEqual(self.page.script("return document.getElementById('canvas').width;"), 799)

    def installability_errors(self):
        """What Chromium says stands in the way of installing the page, once it has read the manifest."""
        deadline = time.monotonic() + INSTALL_TIMEOUT
        while True:
            errors = self.page.browser.cdp("Page.getInstallabilityErrors")["installabilityErrors"]
            if not errors or time.monotonic() > deadline:
                return errors
            time.sleep(0.2)

    @unittest.skipUnless(BROWSER == "chromium", "installability is Chromium's (DevTools protocol)")
    def test_installable(self):
        self.wait_until_running()
        self.assertEqual(self.installability_errors(), [])
        manifest = self.page.browser.cdp("Page.getAppManifest")
        self.assertEqual(manifest["errors"], [])


@unittest.skipUnless((HOSTED / "index.html").exists() and BROWSER == "chromium",
                     "no hosted folder (the hosted_page target), or checked in the Chromium run")
class IconTest(unittest.TestCase):
    """The manifest's icons as a phone shows them: each the size it is listed at, the maskable one
    opaque to its edges with the picture inside the circle every mask keeps."""

    def test_icons_are_their_sizes_and_the_maskable_one_survives_any_mask(self):
        manifest = json.loads((HOSTED / "manifest.webmanifest").read_text())
        purposes = set()
        for icon in manifest["icons"]:
            with Image.open(HOSTED / icon["src"]) as image:
                self.assertEqual("%dx%d" % image.size, icon["sizes"], icon["src"])
                purposes.add(icon["purpose"])
                if icon["purpose"] != "maskable":
                    continue
                rgba = image.convert("RGBA")
                side = rgba.size[0]
                self.assertEqual(rgba.getextrema()[3], (255, 255), "the maskable icon is not opaque")
                # Outside the kept circle (radius 40 % of the side) only the background shows.
                centre = side / 2
                outside = {rgba.getpixel((x, y)) for x in range(0, side, 4) for y in range(0, side, 4)
                           if (x + 0.5 - centre) ** 2 + (y + 0.5 - centre) ** 2 > (0.4 * side) ** 2}
                self.assertEqual(len(outside), 1, "the picture reaches outside the kept circle")
        self.assertEqual(purposes, {"any", "maskable"})
        self.assertEqual({icon["sizes"] for icon in manifest["icons"]}, {"192x192", "512x512"})


@unittest.skipUnless(BROWSER == "chromium", "the phone is Chromium's emulation")
class PhoneHostedTest(HostedTest):
    def browser(self):
        return emulated_chromium(PHONE, touch=True)



if __name__ == "__main__":
    unittest.main()
