"""What the installer asks of the system: the browser for its links, one instance, a dead network."""
import os
import stat
import time
import unittest

from e2e_support import ARTIFACTS, InstallerTest, machine, service, setUpModule, tearDownModule  # noqa: F401

LICENCE = "https://127.0.0.1:%d/cn/license-agreement.html" % service.https_port


class ShellLinks(InstallerTest):
    """The prefix's browser is a script that writes down every address it is handed."""

    def setUp(self):
        super().setUp()
        self.record = os.path.join(ARTIFACTS, "browser.txt")
        script = os.path.join(ARTIFACTS, "record-browser.sh")
        with open(script, "w") as f:
            f.write('#!/bin/sh\nprintf "%%s\\n" "$@" >> "%s"\n' % self.record)
        os.chmod(script, os.stat(script).st_mode | stat.S_IEXEC)
        if os.path.exists(self.record):
            os.remove(self.record)
        machine.run("reg", "add", "HKCU\\Software\\Wine\\WineBrowser", "/v", "Browsers", "/d", script, "/f")

    def opened(self, timeout=15):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if os.path.exists(self.record):
                with open(self.record) as f:
                    lines = [line.strip() for line in f if line.strip()]
                if lines:
                    return lines
            time.sleep(0.3)
        return []

    def test_licence_button_opens_the_licence_page_with_https(self):
        app = self.launch()
        app.click("btn_User")
        self.assertIn(LICENCE, self.opened())

    def test_offline_link_opens_the_offline_package(self):
        service.scenario(package="404")
        app = self.launch()
        app.click("btn_Install")
        self.assertPage(app, "page_fail", 60)
        app.click("btn_OfflinePatch")
        opened = self.opened()
        self.assertTrue(opened and opened[0].startswith("https://127.0.0.1:%d/" % service.https_port), opened)

    def test_offline_address_that_is_not_http_is_never_opened(self):
        service.scenario(lookup="badscheme", package="404")
        app = self.launch()
        app.click("btn_Install")
        self.assertPage(app, "page_fail", 60)
        app.click("btn_OfflinePatch")
        opened = self.opened()
        self.assertTrue(opened, "nothing was opened")
        for address in opened:
            self.assertTrue(address.startswith("https://") or address.startswith("http://"), address)


class Instances(InstallerTest):
    def window_state(self, app, *args):
        from e2e_support import BUILD
        helper = os.path.join(BUILD, "tests", "e2e", "e2e_window_state.exe")
        return machine.run(helper, *args, env=app.env, timeout=60).stdout

    def test_second_start_exits_and_restores_the_minimised_first(self):
        first = self.launch()
        self.assertIn("iconic=1", self.window_state(first, "minimise"))
        second = self.launch_without_window()
        self.assertTrue(second.wait_exit(60), "the second instance kept running")
        self.assertFalse(first.exited())
        deadline = time.time() + 15
        state = ""
        while time.time() < deadline and "iconic=0 visible=1" not in state:
            time.sleep(0.5)
            state = self.window_state(first)
        self.assertIn("iconic=0 visible=1", state, "the first window was not restored")
        self.assertIsNotNone(first.wait_main(10))

    def launch_without_window(self):
        from e2e_support import EXE, driver
        app = driver.Installer(machine, EXE, self.lang)
        self.apps.append(app.start())
        return app


class DeadNetwork(InstallerTest):
    def test_window_appears_within_seconds_with_the_built_in_addresses(self):
        service.scenario(lookup="silent", ip="silent", events="down")
        started = time.time()
        self.launch()
        elapsed = time.time() - started
        print("window after %.1f s with a silent service" % elapsed)
        self.assertLess(elapsed, 25, "the window took %.1f s" % elapsed)
        self.assertIn("built-in addresses used", machine.read_log())


if __name__ == "__main__":
    unittest.main()
