"""Shared set-up of the end-to-end tests: the stand-in vendor service, one Wine prefix standing for the
user's PC (its state reset before every test) and the local build of Pavonel.exe."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "e2e"))
import pavonel_driver as driver  # noqa: E402

BUILD = os.environ.get("PAVONEL_BUILD", os.path.join(driver.ROOT, "build"))
EXE = os.path.join(BUILD, "installer", "local", "Pavonel.exe")
PACKAGE = os.path.join(BUILD, "tools", "sample-package", "CORVEX_Online.exe")
PREFIX = os.environ.get("PAVONEL_E2E_PREFIX", os.path.join(BUILD, "e2e-prefix"))
ARTIFACTS = os.path.join(BUILD, "e2e-artifacts")

driver.require_runnable(EXE)
service = driver.Service(PACKAGE)
machine = driver.Machine(PREFIX, driver.pe_arch(EXE))


def setUpModule():
    os.makedirs(ARTIFACTS, exist_ok=True)
    service.start()
    machine.ensure()


def tearDownModule():
    service.stop()


class InstallerTest(unittest.TestCase):
    """Each test starts from a PC where nothing is installed and a service in its default scenario."""

    lang = "en_US.UTF-8"

    def setUp(self):
        service.reset()
        machine.reset()
        self.apps = []

    def tearDown(self):
        for app in self.apps:
            if not app.exited():
                app.screenshot_safe(os.path.join(ARTIFACTS, self.id() + ".png"))
            app.kill()

    def launch(self, lang=None, args=(), **env):
        app = driver.Installer(machine, EXE, lang or self.lang)
        app.env.update(env)
        reports = self.start_reports_ended()
        self.apps.append(app.start(*args))
        self.assertTrue(app.wait_main(120), "the main window did not appear")
        time.sleep(1)  # first paint
        # A user reads the page before clicking; by then the start report has ended (it keeps within a few
        # seconds even against a silent service). On a loaded machine one second is not always that long.
        app.wait_for(lambda: self.start_reports_ended() > reports, 10)
        return app

    @staticmethod
    def start_reports_ended():
        return machine.read_log().count("usage report INSTALL_START sent")

    def unmanaged_windows(self):
        """Without a window manager, Wine waits up to 2 s for one to acknowledge each hidden managed window;
        with unmanaged windows a timing shows what the installer itself takes."""
        key = "HKCU\\Software\\Wine\\X11 Driver"
        machine.run("reg", "add", key, "/v", "Managed", "/d", "N", "/f")
        self.addCleanup(machine.run, "reg", "delete", key, "/v", "Managed", "/f")

    def assertPage(self, app, page, timeout=60):
        self.assertTrue(app.wait_page(page, timeout), "expected %s, log says %s" % (page, app.page()))

    def assertEventsSoon(self, expected, timeout=15):
        deadline = time.time() + timeout
        while time.time() < deadline and service.operate_types() != expected:
            time.sleep(0.3)
        self.assertEqual(service.operate_types(), expected)
