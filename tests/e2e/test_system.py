"""What the installer asks of the system: the browser for its links, one instance, its proxy, a dead network."""
import os
import shutil
import stat
import struct
import subprocess
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



class ProxyScript(InstallerTest):
    def use_proxy_script(self, address):
        """The user's Internet settings name a configuration script (the control panel's binary form)."""
        def text(value):
            return struct.pack("<I", len(value)) + value.encode()
        settings = struct.pack("<III", 0x46, 1000, 4) + text("") + text("") + text(address) + bytes(32)
        key = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections"
        machine.run("reg", "add", key, "/v", "DefaultConnectionSettings", "/t", "REG_BINARY", "/d", settings.hex(),
                    "/f")
        self.addCleanup(machine.run, "reg", "delete", key, "/v", "DefaultConnectionSettings", "/f")

    def test_a_script_whose_first_proxy_is_down_still_installs(self):
        service.scenario(pac="PROXY 127.0.0.1:9; DIRECT")
        self.use_proxy_script("http://127.0.0.1:%d/proxy.pac" % service.http_port)
        app = self.launch()
        app.click("btn_Install")
        self.assertPage(app, "page_finished", 90)
        self.assertEventsSoon(["INSTALL_START", "INSTALL"])
        self.assertIn("proxy http://127.0.0.1:9 cannot be reached, trying none", machine.read_log())


# Answers nothing: every name lookup sent to it waits for its time-out.
SILENT_RESOLVER = """
import socket, threading, time
udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); udp.bind(("127.0.0.1", 53))
tcp = socket.socket(); tcp.bind(("127.0.0.1", 53)); tcp.listen(16)
held = []
threading.Thread(target=lambda: [held.append(tcp.accept()) for _ in iter(int, 1)], daemon=True).start()
while True:
    udp.recvfrom(4096)
"""


class SilentResolver(InstallerTest):
    """The product build (real host names) in a network namespace whose resolver, on loopback, never answers."""

    def setUp(self):
        super().setUp()
        if os.geteuid() != 0 or shutil.which("unshare") is None or shutil.which("ip") is None:
            self.skipTest("needs root, unshare and ip for a private network namespace")
        if subprocess.run(["unshare", "-n", "-m", "true"], stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest("network namespaces are not available here")

    def test_window_appears_and_leaving_ends_within_seconds(self):
        from e2e_support import ARTIFACTS, BUILD, driver
        resolv = os.path.join(ARTIFACTS, "resolv-silent.conf")
        with open(resolv, "w") as f:
            f.write("nameserver 127.0.0.1\noptions timeout:5 attempts:3\n")
        self.unmanaged_windows()
        app = driver.Installer(machine, os.path.join(BUILD, "installer", "Pavonel.exe"), self.lang)
        script = ('ip link set lo up && mount --bind "$1" /etc/resolv.conf && { python3 -c "$2" & } && sleep 0.5 && '
                  'exec "$3" --prefix "$4" "$5"')
        started = time.time()
        app.process = subprocess.Popen(["unshare", "-n", "-m", "sh", "-c", script, "sh", resolv, SILENT_RESOLVER,
                                        driver.WINE_RUN, machine.prefix, app.exe], env=app.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.apps.append(app)
        self.assertTrue(app.wait_main(60), "the main window did not appear")
        appeared = time.time() - started
        time.sleep(1)
        app.click("btn_Close")
        self.assertTrue(app.wait_for(app.dialog_window, 20), "no confirmation dialog")
        clicked = time.time()
        app.click_dialog("btn_confirm")
        self.assertTrue(app.wait_exit(30), "the installer did not end")
        ended = time.time() - clicked
        print("window after %.1f s, process ended %.1f s after Yes" % (appeared, ended))
        self.assertLess(appeared, 12, "the lookup waited for the silent resolver")
        self.assertLess(ended, 4, "leaving waited for the silent resolver")


if __name__ == "__main__":
    unittest.main()
