# The hosted folder served over http: Chromium finds the page installable, on the desktop and on a
# phone, and once the service worker controls the page, a reload with no network still runs the
# program, and a new build on the server replaces the kept copy; the icons fit a phone's masks.
import hashlib
import json
import re
import shutil
import tempfile
import time
import unittest
from pathlib import Path

from PIL import Image

from test_devices import PHONE, emulated_chromium
from test_page_audit import serve
from trenox_page import BROWSER, PAGE, SOURCE_DIR, ProgramPage, ProgramTest

HOSTED = PAGE.parent / "hosted"
INSTALL_TIMEOUT = 20.0


@unittest.skipUnless((HOSTED / "index.html").exists(), "no hosted folder (the hosted_page target)")
class HostedTest(ProgramTest):
    def open_page(self):
        # A copy, which a case may change as a new build would.
        self.folder = Path(tempfile.mkdtemp()) / "hosted"
        self.addCleanup(shutil.rmtree, self.folder.parent)
        shutil.copytree(HOSTED, self.folder)
        self.server = serve(self, self.folder)
        return ProgramPage(self.browser(), url=self.server.url("index.html"))

    def browser(self):
        return None

    def wait_for_service_worker(self):
        deadline = time.monotonic() + INSTALL_TIMEOUT
        while not self.page.script("return navigator.serviceWorker.controller !== null;"):
            self.assertLess(time.monotonic(), deadline, "the service worker never took the page")
            time.sleep(0.1)

    def cache_names(self):
        self.page.script("window.trenoxCaches = null; caches.keys().then((names) => { window.trenoxCaches = names; });")
        deadline = time.monotonic() + INSTALL_TIMEOUT
        while (names := self.page.script("return window.trenoxCaches;")) is None:
            self.assertLess(time.monotonic(), deadline, "caches.keys() never answered")
            time.sleep(0.1)
        return names

    def reload_offline(self):
        """Opens the page again with the server gone: what the service worker kept runs."""
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

    def test_reload_without_network_runs_the_program(self):
        self.wait_until_running()
        self.wait_for_service_worker()
        # One copy, named for this version and this page, so that a new page replaces it.
        version = re.search(r"project\(TrenoxVK VERSION ([^ )]+)", (SOURCE_DIR / "CMakeLists.txt").read_text()).group(1)
        page_hash = hashlib.sha256((HOSTED / "index.html").read_bytes()).hexdigest()[:12]
        self.assertEqual(self.cache_names(), [f"trenoxvk-{version}-{page_hash}"])
        self.reload_offline()
        self.assertEqual(self.page.script("return document.getElementById('canvas').width;"), 799)

    # Chromium 156 here looked for a new worker neither on the visit nor on the page's update()
    # while the program ran (update() did once it had ended): the case is Firefox's.
    @unittest.skipUnless(BROWSER == "firefox", "Chromium does not look for a new worker while the program runs")
    def test_a_new_build_replaces_the_kept_copy(self):
        self.wait_until_running()
        self.wait_for_service_worker()
        [old_copy] = self.cache_names()
        # The new build: another page, and with it another cache name.
        new_copy = old_copy + "-next"
        index = self.folder / "index.html"
        index.write_text(index.read_text().replace('<meta name="theme-color"',
                                                   '<meta name="trenox-build" content="next">\n<meta name="theme-color"', 1))
        worker = self.folder / "service_worker.js"
        worker.write_text(worker.read_text().replace(old_copy, new_copy))
        # A visit finds the new worker; it keeps the new page and lets go of the old copy.
        self.page.browser.open(self.server.url("index.html"))
        deadline = time.monotonic() + INSTALL_TIMEOUT
        while (names := self.cache_names()) != [new_copy]:
            self.assertLess(time.monotonic(), deadline, f"the kept copies are {names}, not the new build's alone")
            time.sleep(0.2)
        self.reload_offline()
        self.assertEqual(self.page.script("return document.querySelector('meta[name=trenox-build]')?.content;"), "next",
                         "offline, the old page came back")

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
