"""The installer with a screen reader and with the keyboard alone: a reader in another process reads every
control of each page (English and Chinese) and drives the install; key presses alone (no clicks) take the
user through the install, Run now and the exit dialog."""
import os
import subprocess
import threading
import time
import unittest

from e2e_support import BUILD, InstallerTest, machine, service, setUpModule, tearDownModule  # noqa: F401
from pavonel_driver import WINE_RUN

READER = os.path.join(BUILD, "tests", "e2e", "e2e_screen_reader.exe")

PUSHBUTTON, CHECKBUTTON, STATICTEXT, TEXT, PROGRESSBAR = 0x2B, 0x2C, 0x29, 0x2A, 0x30
UNAVAILABLE, FOCUSED, CHECKED, READONLY, FOCUSABLE = 0x1, 0x4, 0x10, 0x40, 0x100000
DEFAULT_DIR = "C:\\Program Files (x86)\\tarvix\\Lumbra"



class Reader:
    """The stand-in screen reader, run in the installer's prefix as a separate process."""

    def __init__(self, app):
        self.env = app.env

    def command(self, *args, timeout=60):
        return subprocess.run([WINE_RUN, "--prefix", machine.prefix, "--arch", machine.arch, READER, *args],
                              env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)

    def tree(self, window="MainFrame"):
        """[(role, state, name, value, action)] of every child of the window's client object."""
        out = self.command("tree", window).stdout.decode("utf-8", "replace")
        rows = []
        for line in out.splitlines():
            fields = line.split("\t")
            if len(fields) == 6:
                rows.append((int(fields[1]), int(fields[2], 16), fields[3], fields[4], fields[5]))
        return rows

    def named(self, name, window="MainFrame"):
        return next((row for row in self.tree(window) if row[2] == name), None)

    def do(self, name, window="MainFrame"):
        return self.command("do", window, name).returncode == 0

    def ids(self, window="MainFrame"):
        """{name: child id} of the window's children."""
        out = self.command("tree", window).stdout.decode("utf-8", "replace")
        return {f[3]: int(f[0]) for f in (line.split("\t") for line in out.splitlines()) if len(f) == 6}

    def name_of(self, child_id, window="MainFrame"):
        """The name a reader holding the id is told now, or None when the id names nothing any more."""
        result = self.command("id", window, str(child_id))
        return result.stdout.decode("utf-8", "replace").strip() if result.returncode == 0 else None

    def watch(self, seconds):
        """Starts the event watcher; returns (lines so far, a function that stops it)."""
        lines = []
        watcher = subprocess.Popen([WINE_RUN, "--prefix", machine.prefix, "--arch", machine.arch, READER,
                                    "events", str(seconds)], env=self.env, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)
        pump = threading.Thread(target=lambda: lines.extend(
            line.decode("utf-8", "replace").rstrip("\r\n") for line in watcher.stdout))
        pump.start()
        deadline = time.time() + 20
        while time.time() < deadline and "watching" not in lines:
            time.sleep(0.2)

        def stop():
            watcher.kill()
            watcher.wait(10)
            pump.join(10)
            watcher.stdout.close()
        return lines, stop


class ScreenReader(InstallerTest):
    def assertTree(self, reader, expected, window="MainFrame"):
        rows = []
        deadline = time.time() + 20
        while time.time() < deadline:
            rows = reader.tree(window)
            if [(r[0], r[2]) for r in rows] == expected:
                return rows
            time.sleep(0.5)
        self.assertEqual([(r[0], r[2]) for r in rows], expected)
        return rows

    def test_reader_reads_each_page_and_drives_the_install(self):
        app = self.launch()
        reader = Reader(app)
        home = self.assertTree(reader, [
            (PUSHBUTTON, "Close"), (STATICTEXT, "Lumbra"), (PUSHBUTTON, "Install Now"),
            (CHECKBUTTON, "I have read and agree"), (PUSHBUTTON, "<User License Agreement>"),
            (STATICTEXT, "Install to:"), (TEXT, "Install to:"), (PUSHBUTTON, "Alter")])
        install, agree, edit = home[2], home[3], home[6]
        self.assertTrue(install[1] & FOCUSABLE and install[1] & FOCUSED, hex(install[1]))  # the default button
        self.assertEqual(install[4], "Press")
        self.assertTrue(agree[1] & CHECKED, hex(agree[1]))
        self.assertEqual(agree[4], "Uncheck")
        self.assertEqual(edit[3], DEFAULT_DIR)
        self.assertTrue(edit[1] & READONLY, hex(edit[1]))

        # Unticking the agreement through the reader disables Install, as a click would.
        self.assertTrue(reader.do("I have read and agree"))
        self.assertTrue(app.wait_for(lambda: reader.named("Install Now")[1] & UNAVAILABLE, 10),
                        "Install stayed available")
        self.assertFalse(reader.do("Install Now"))
        self.assertTrue(reader.do("I have read and agree"))
        self.assertTrue(app.wait_for(lambda: not reader.named("Install Now")[1] & UNAVAILABLE, 10))

        self.assertTrue(reader.do("Install Now"))
        self.assertPage(app, "page_finished", 90)
        finished = self.assertTree(reader, [
            (STATICTEXT, "Lumbra"), (STATICTEXT, "Installation Complete"),
            (STATICTEXT, "Simple to use, easy to use"), (PUSHBUTTON, "Run now")])
        self.assertEqual(finished[3][4], "Press")

    def test_reader_opens_and_answers_the_exit_dialog(self):
        app = self.launch()
        reader = Reader(app)
        # The close button's action opens a modal dialog: the reader's call still returns at once.
        started = time.time()
        self.assertTrue(reader.do("Close"))
        self.assertLess(time.time() - started, 30)
        self.assertTrue(app.wait_for(app.dialog_window, 20), "no confirmation dialog")
        self.assertTree(reader, [
            (STATICTEXT, "Tips"), (PUSHBUTTON, "Close"), (STATICTEXT, "Are you sure to exit?"),
            (PUSHBUTTON, "YES"), (PUSHBUTTON, "NO")], window="MsgWnd")
        self.assertTrue(reader.do("NO", window="MsgWnd"))
        self.assertTrue(app.wait_for(lambda: app.dialog_window() is None, 10), "the dialog stayed")
        self.assertFalse(app.exited())

    def test_reader_reads_the_chinese_home_page(self):
        app = self.launch(lang="zh_CN.UTF-8")
        self.assertTree(Reader(app), [
            (PUSHBUTTON, "关闭"), (STATICTEXT, "Lumbra 文件加密"), (PUSHBUTTON, "立即安装"),
            (CHECKBUTTON, "我已阅读并同意"), (PUSHBUTTON, "《用户使用许可协议》"),
            (STATICTEXT, "安装到："), (TEXT, "安装到："), (PUSHBUTTON, "更改")])

    def test_installing_page_reads_a_progress_that_moves_through_a_redirect_with_a_page(self):
        # The package address redirects with a short HTML page, as redirectors do; then some ten seconds of
        # download, read by the reader as it runs.
        service.scenario(package="redirect", redirect_body=3000, redirect_then="slow", slow_rate=100000)
        app = self.launch()
        reader = Reader(app)
        app.click("btn_Install")
        self.assertPage(app, "page_install", 30)
        values = []
        while app.page() == "page_install" and len(values) < 60:
            progress = [r for r in reader.tree() if r[0] == PROGRESSBAR]
            if progress and app.page() == "page_install":
                self.assertRegex(progress[0][3], r"^\d{1,3}%$")
                values.append(int(progress[0][3][:-1]))
        self.assertPage(app, "page_finished", 60)
        self.assertEqual(values, sorted(values), "the bar went backwards")
        self.assertGreaterEqual(len({v for v in values if 0 < v < 90}), 2, "the bar did not move: %s" % values)

    def test_focus_and_dialog_events_follow_the_keys(self):
        app = self.launch()
        lines, stop = Reader(app).watch(25)
        self.assertIn("watching", lines)
        focus_window(app)
        for _ in range(3):
            app._xdo("key", "Tab")
            time.sleep(0.5)
        app._xdo("key", "shift+Tab")
        time.sleep(0.5)
        # Back to the close button; Space opens the exit dialog, which a reader hears of, then Esc.
        for _ in range(3):
            app._xdo("key", "shift+Tab")
            time.sleep(0.5)
        app._xdo("key", "space")
        self.assertTrue(app.wait_for(app.dialog_window, 20), "no confirmation dialog")
        time.sleep(1)
        app._xdo("key", "Escape")
        time.sleep(2)
        stop()
        focus = [line.split("\t", 1)[1] for line in lines if line.startswith("focus\t")]
        self.assertEqual(focus[:7], ["I have read and agree", "<User License Agreement>", "Install to:",
                                     "<User License Agreement>", "I have read and agree", "Install Now", "Close"],
                         lines)
        self.assertIn("dialog\tMsgWnd", lines)

    def test_keys_and_a_reader_around_the_exit_dialog(self):
        # A download that stops part-way keeps the installing page up for the end of the scenario.
        service.scenario(package="stall", stall_after=20000)
        app = self.launch()
        reader = Reader(app)
        home = reader.ids()
        lines, stop = reader.watch(120)
        self.addCleanup(stop)
        focus_window(app)
        # Holding Space on the agreement (the keyboard repeats it) unticks it once; a second press ticks it.
        app._xdo("key", "Tab")
        time.sleep(0.5)
        app._xdo("keydown", "space")
        time.sleep(1.5)
        app._xdo("keyup", "space")
        time.sleep(1)
        self.assertEqual(lines.count("state\tI have read and agree"), 1, lines)
        app._xdo("key", "space")
        self.assertTrue(app.wait_for(lambda: not reader.named("Install Now")[1] & UNAVAILABLE, 10))

        # Behind the exit dialog the reader can neither install nor open a second dialog.
        app._xdo("key", "alt+F4")
        self.assertTrue(app.wait_for(app.dialog_window, 20), "Alt+F4 did not ask")
        self.assertFalse(reader.do("Install Now"))
        self.assertFalse(reader.do("Close"))
        # One Esc answers no.
        app._xdo("key", "Escape")
        self.assertTrue(app.wait_for(lambda: app.dialog_window() is None, 10), "one Esc left the dialog open")
        self.assertEqual(lines.count("dialog\tMsgWnd"), 1, lines)
        self.assertEqual(app.page(), "page_home")

        # The page switch: an id the reader held names its own control or nothing, never another one.
        self.assertEqual(reader.name_of(home["Lumbra"]), "Lumbra")
        self.assertTrue(reader.do("Install Now"))
        self.assertPage(app, "page_install", 30)
        for name in ("Install Now", "Close", "I have read and agree", "Lumbra"):
            self.assertIsNone(reader.name_of(home[name]), name)


def focus_window(app):
    """Gives the installer's window the keyboard focus without a click, as a start from the keyboard does."""
    window = app.wait_main(10)
    app._xdo("windowactivate", "--sync", window.wid)
    app._xdo("windowfocus", "--sync", window.wid)
    time.sleep(0.5)


class KeyboardOnly(InstallerTest):
    def key(self, app, *keys):
        for key in keys:
            app._xdo("key", key)
            time.sleep(0.4)

    def test_install_and_run_now_with_keys_alone(self):
        app = self.launch()
        focus_window(app)
        # Install has the focus; Tab to the agreement, Space unticks and ticks it again, Enter installs.
        self.key(app, "Tab", "space", "space", "Return")
        self.assertPage(app, "page_finished", 90)
        time.sleep(1)
        self.key(app, "Return")  # Run now has the focus on the finished page
        self.assertTrue(app.wait_exit(20), "the window stayed after Run now")
        deadline = time.time() + 10
        while time.time() < deadline and "ran" not in machine.read_temp("Pavonel-AppRun.txt"):
            time.sleep(0.3)
        self.assertIn("AppRun.exe", machine.read_temp("Pavonel-AppRun.txt"))
        self.assertEventsSoon(["INSTALL_START", "INSTALL"])

    def test_unticked_agreement_blocks_enter(self):
        app = self.launch()
        focus_window(app)
        self.key(app, "Tab", "space", "Return")
        time.sleep(2)
        self.assertEqual(app.page(), "page_home")

    def test_exit_dialog_with_keys_alone(self):
        app = self.launch()
        focus_window(app)
        # Shift+Tab from Install reaches the close button; Space opens the dialog, Esc answers no.
        self.key(app, "shift+Tab", "space")
        self.assertTrue(app.wait_for(app.dialog_window, 20), "no confirmation dialog")
        self.key(app, "Escape")
        self.assertTrue(app.wait_for(lambda: app.dialog_window() is None, 10), "Esc left the dialog open")
        self.assertFalse(app.exited())
        # Again, and this time Tab to YES and confirm with Enter.
        self.key(app, "space")
        self.assertTrue(app.wait_for(app.dialog_window, 20), "no confirmation dialog the second time")
        self.key(app, "Tab", "Return")
        self.assertTrue(app.wait_exit(20), "the installer did not end")
        self.assertEventsSoon(["INSTALL_START", "INSTALL_USERABORT"])


if __name__ == "__main__":
    unittest.main()
