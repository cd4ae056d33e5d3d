"""Unattended mode for administrators: /S installs with no window, /D= and /LOG=, Windows Installer exit codes,
/? usage."""
import os
import shutil
import subprocess
import time
import unittest

from e2e_support import ARTIFACTS, BUILD, EXE, InstallerTest, driver, machine, service, setUpModule, \
    tearDownModule  # noqa: F401

HELPER = os.path.join(BUILD, "tests", "e2e", "e2e_window_state.exe")
LOG_COPY = "C:\\pavonel admin.log"
PACKAGE_LOG = "C:\\pavonel admin.package.log"
STARTED, INSTALLED = ["INSTALL_START"], ["INSTALL_START", "INSTALL"]


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
        """The exit code as far as Linux passes it on: its low byte only (the log has it whole)."""
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
        record = machine.read_temp("Pavonel-SamplePackage.txt")
        self.assertIn('/DIR="C:\\My Apps\\Lumbra\\" /SUPPRESSMSGBOXES /LOG="%s"' % PACKAGE_LOG, record)
        with open(machine.path(LOG_COPY), encoding="utf-8", errors="replace") as f:
            copy = f.read()
        self.assertIn("unattended install ends with exit code 0", copy)
        self.assertIn("download attempt 1", copy)
        self.assertEventsSoon(INSTALLED)

    def stop_once_downloading(self, process):
        downloads = machine.read_log().count("download https")
        waiter = driver.Installer(machine, EXE)
        self.assertTrue(waiter.wait_for(lambda: machine.read_log().count("download https") > downloads, 60),
                        "the download did not start")
        stopped = machine.run(HELPER, "stop-silent", env=waiter.env, timeout=60).stdout
        self.assertIn("visible=0", stopped)

    def test_each_outcome_has_its_windows_installer_exit_code(self):
        rows = [
            # switches, package mode, service scenario, exit code, usage events, what happens meanwhile
            (["/NOSUCH"], None, {}, 1639, [], None),
            (["/?"], None, {}, 1639, [], None),  # and no box
            (["/LOG=C:\\windows"], None, {}, 1639, [], None),  # a folder
            (["/LOG=C:\\no such folder\\x.log"], None, {}, 1639, [], None),
            ([], None, {"package": "404"}, 1603, STARTED + ["INSTALL_DOWNLOADFAIL"], None),
            ([], None, {"package": "other"}, 1603, STARTED + ["INSTALL_DOWNLOADFAIL"], None),  # not the vendor's
            ([], "fail", {}, 1603, STARTED + ["INSTALL_DOWNLOADSUC"], None),
            ([], "3010", {}, 3010, INSTALLED, None),
            ([], "1641", {}, 3010, INSTALLED, None),
            ([], None, {"package": "stall"}, 1602, STARTED + ["INSTALL_USERABORT"], self.stop_once_downloading),
        ]
        for switches, mode, scenario, code, events, meanwhile in rows:
            with self.subTest(switches=switches, mode=mode, scenario=scenario):
                service.reset(**scenario)
                said = "unattended install ends with exit code %d\n" % code if events else "command line refused"
                before = machine.read_log().count(said)
                process = self.start("/S", *switches, **({"PAVONEL_SAMPLE_PACKAGE_MODE": mode} if mode else {}))
                if meanwhile:
                    meanwhile(process)
                self.assertEqual(self.exit_code(process, watch_windows=True), code % 256)
                self.assertEventsSoon(events)  # bad switches start nothing
                self.assertGreater(machine.read_log().count(said), before, "the log does not say so")
        self.assertIn("package exit code 1641", machine.read_log())

        service.reset()
        self.launch()  # the window of a first installer
        self.assertEqual(self.exit_code(self.start("/S")), 1618 % 256)
        self.assertIn("unattended install ends with exit code 1618", machine.read_log())

    def test_usage_box_shows_when_asked_for_and_only_then(self):
        self.launch(args=("/NOSUCH",)).kill()  # a stray switch: the installer, not the usage
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
