"""Unattended mode for administrators: /S installs with no window, /D= and /LOG=, exit codes, /? usage."""
import os
import shutil
import subprocess
import time
import unittest

from e2e_support import ARTIFACTS, BUILD, EXE, InstallerTest, driver, machine, service, setUpModule, \
    tearDownModule  # noqa: F401

HELPER = os.path.join(BUILD, "tests", "e2e", "e2e_window_state.exe")
LOG_COPY = "C:\\pavonel admin.log"


class Unattended(InstallerTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(machine.path("C:\\My Apps"), ignore_errors=True)
        if os.path.exists(machine.path(LOG_COPY)):
            os.remove(machine.path(LOG_COPY))

    def start(self, *args, **env):
        environment = dict(os.environ, LANG=self.lang, LC_ALL=self.lang, DISPLAY=machine.display(), **env)
        process = subprocess.Popen([driver.WINE_RUN, "--prefix", machine.prefix, EXE, *args], env=environment,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: process.poll() is None and (process.kill(), process.wait()))
        return process

    def visible_windows(self):
        display = dict(os.environ, DISPLAY=machine.display())
        return subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "pavonel.exe"], env=display,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout.split()

    def exit_code(self, process, timeout=120, watch_windows=False):
        deadline = time.time() + timeout
        while process.poll() is None and time.time() < deadline:
            if watch_windows:
                self.assertEqual(self.visible_windows(), [], "an unattended install showed a window")
            time.sleep(0.3)
        self.assertIsNotNone(process.poll(), "the unattended install did not end")
        return process.returncode

    def test_silent_install_into_a_folder_with_spaces_shows_no_window(self):
        service.scenario(package="slow", slow_rate=300000)  # about three seconds of download to watch
        process = self.start("/S", "/LOG=%s" % LOG_COPY, "/D=C:\\My Apps")
        self.assertEqual(self.exit_code(process, watch_windows=True), 0)
        self.assertEqual(machine.registry_value("HKLM\\Software\\tarvix\\Lumbra", "Path"), "C:\\My Apps\\Lumbra\\")
        with open(os.path.join(machine.temp_dir(), "Pavonel-SamplePackage.txt"), encoding="utf-8",
                  errors="replace") as f:
            self.assertIn('/DIR="C:\\My Apps\\Lumbra\\"', f.read())
        with open(machine.path(LOG_COPY), encoding="utf-8", errors="replace") as f:
            copy = f.read()
        self.assertIn("unattended install ends with exit code 0", copy)
        self.assertIn("download attempt 1", copy)
        self.assertEventsSoon(["INSTALL_START", "INSTALL"])

    def test_each_failure_has_its_exit_code(self):
        started = time.time()
        self.assertEqual(self.exit_code(self.start("/S", "/NOSUCH")), 1)
        self.assertLess(time.time() - started, 60)
        self.assertEqual(service.operate_types(), [], "bad arguments must not start anything")

        service.scenario(package="404")
        self.assertEqual(self.exit_code(self.start("/S")), 2)
        self.assertEventsSoon(["INSTALL_START", "INSTALL_DOWNLOADFAIL"])

        service.reset()
        self.assertEqual(self.exit_code(self.start("/S", PAVONEL_SAMPLE_PACKAGE_MODE="fail")), 3)
        self.assertEventsSoon(["INSTALL_START", "INSTALL_DOWNLOADSUC"])

        service.reset(package="stall")
        downloads = machine.read_log().count("download https")
        process = self.start("/S")
        waiter = driver.Installer(machine, EXE)
        self.assertTrue(waiter.wait_for(lambda: machine.read_log().count("download https") > downloads, 60),
                        "the download did not start")
        stopped = machine.run(HELPER, "stop-silent", env=waiter.env, timeout=60).stdout
        self.assertIn("visible=0", stopped)
        self.assertEqual(self.exit_code(process, 30), 4)
        self.assertEventsSoon(["INSTALL_START", "INSTALL_USERABORT"])

        service.reset()
        self.launch()  # the window of a first installer
        self.assertEqual(self.exit_code(self.start("/S")), 5)

    def test_usage_box(self):
        process = self.start("/?")
        app = driver.Installer(machine, EXE)
        box = app.wait_for(lambda: self.visible_windows(), 60)
        self.assertTrue(box, "no usage box")
        time.sleep(1)
        windows = app.windows()
        if windows:
            app.screenshot(os.path.join(ARTIFACTS, "usage-box.png"), windows[0])
        subprocess.run(["xdotool", "key", "--window", box[0], "Return"], env=dict(os.environ, DISPLAY=machine.display()))
        self.assertEqual(self.exit_code(process, 30), 0)


if __name__ == "__main__":
    unittest.main()
