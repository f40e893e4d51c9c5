# The hosted folder served over http: Chromium finds the page installable, on the desktop and on a
# phone, and once the service worker controls the page, a reload with no network still runs the
# program.
import time
import unittest

from test_devices import PHONE, emulated_chromium
from test_page_audit import serve
from trenox_page import BROWSER, PAGE, ProgramPage, ProgramTest

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


@unittest.skipUnless(BROWSER == "chromium", "the phone is Chromium's emulation")
class PhoneHostedTest(HostedTest):
    def browser(self):
        return emulated_chromium(PHONE, touch=True)



if __name__ == "__main__":
    unittest.main()
