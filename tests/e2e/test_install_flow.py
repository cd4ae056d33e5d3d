"""The install as a user goes through it: Install, progress, finished page, Run now; and the failures."""
import json
import os
import shutil
import tempfile
import time
import unittest

from e2e_support import InstallerTest, machine, service, setUpModule, tearDownModule  # noqa: F401

INSTALL_DIR = "C:\\Program Files (x86)\\tarvix\\Lumbra\\"



def read_ini(path):
    with open(path, "rb") as f:
        data = f.read()
    return data.decode("utf-16") if data.startswith(b"\xff\xfe") else data.decode("utf-8", "replace")


def progress_fill(app, window):
    """Share of the progress track (design x 40..560, y 356) drawn in the accent colour, from one grab."""
    pixels = app.row(window, 356, 40, 560)
    return sum(1 for r, g, b in pixels if b - r > 40) / max(len(pixels), 1)


class InstallFlow(InstallerTest):
    def test_install_downloads_runs_the_package_and_records_settings(self):
        service.scenario(package="slow")
        app = self.launch()
        window = app.main_window()
        app.click("btn_Install")
        self.assertTrue(app.wait_for(lambda: "page_install" in app.pages_shown(), 15), "no installing page")
        fills = []
        while app.page() == "page_install" and len(fills) < 120:
            fill = progress_fill(app, window)
            if app.page() == "page_install":  # a grab that raced the page switch shows another page
                fills.append(fill)
            time.sleep(0.2)
        self.assertPage(app, "page_finished", 90)

        self.assertEqual(fills, sorted(fills), "the progress bar went backwards")
        self.assertGreater(max(fills), 0.3, "the progress bar never showed progress: %s" % fills)
        self.assertLess(max(fills), 0.95, "the download alone must not fill the bar: %s" % fills)

        self.assertTrue(os.path.isfile(machine.path("C:\\tarvix\\CORVEX_Online.exe")))
        # Someone is there to read a box: the package gets the prescribed parameters, nothing more.
        self.assertIn('/VERYSILENT /SP- /NORESTART /DIR="%s"\n' % INSTALL_DIR,
                      machine.read_temp("Pavonel-SamplePackage.txt"))
        ini = read_ini(machine.path("C:\\tarvix\\Lumbra\\Configures.ini"))
        self.assertRegex(ini.replace("\r", ""), r"\[Platform\]\nPlatform=\n")
        self.assertRegex(ini.replace("\r", ""), r"\[Language\]\nLanguageType=1\n")
        self.assertEqual(machine.registry_value("HKLM\\Software\\tarvix\\Lumbra", "Path"), INSTALL_DIR)

        self.assertEventsSoon(["INSTALL_START", "INSTALL"])
        for event in service.events():
            self.assertEqual(event["softType"], "CORVEX")

    def test_run_now_starts_the_product_in_its_folder_and_closes(self):
        app = self.launch()
        app.click("btn_Install")
        self.assertPage(app, "page_finished", 90)
        app.click("btn_Run")
        self.assertTrue(app.wait_exit(20), "the window stayed after Run now")
        deadline = time.time() + 10
        while time.time() < deadline and "ran" not in machine.read_temp("Pavonel-AppRun.txt"):
            time.sleep(0.3)
        record = machine.read_temp("Pavonel-AppRun.txt")
        self.assertIn("AppRun.exe", record)
        self.assertIn(" in C:\\Program Files (x86)\\tarvix\\Lumbra", record)

    def test_missing_package_fails_and_reinstall_recovers(self):
        service.scenario(package="404")
        app = self.launch()
        app.click("btn_Install")
        self.assertPage(app, "page_fail", 60)
        self.assertEventsSoon(["INSTALL_START", "INSTALL_DOWNLOADFAIL"])
        self.assertFalse(os.path.exists(machine.path("C:\\tarvix\\CORVEX_Online.exe")),
                         "the error page was kept as the package")

        service.scenario(package="length")
        app.click("btn_Reinstall")
        self.assertPage(app, "page_finished", 90)
        self.assertEventsSoon(["INSTALL_START", "INSTALL_DOWNLOADFAIL", "INSTALL"])

    def test_package_that_fails_shows_the_failure_page(self):
        app = self.launch(PAVONEL_SAMPLE_PACKAGE_MODE="fail")
        app.click("btn_Install")
        self.assertPage(app, "page_fail", 60)
        self.assertEventsSoon(["INSTALL_START", "INSTALL_DOWNLOADSUC"])
        self.assertIsNone(machine.registry_value("HKLM\\Software\\tarvix\\Lumbra", "Path"))

    def pick_on_drive_d(self, app, downs):
        """Walks the folder picker by keyboard, as a person may: My Computer, open it, down past (C:) to (D:),
        open it, down `downs` folders; Enter is OK."""
        app.click("btn_Alter")
        picker = app.wait_for(lambda: app._xdo("search", "--onlyvisible", "--name", "Browse for Folder").split(), 20)
        self.assertTrue(picker, "no folder picker")
        geometry = app._xdo("getwindowgeometry", "--shell", picker[0])
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        # The tree fills after the window shows; on a loaded machine a click before that focuses nothing.
        time.sleep(2)
        # Focus the tree by its first row (Desktop), then walk it.
        app._xdo("mousemove", "--sync", str(int(values["X"]) + 70), str(int(values["Y"]) + 73))
        time.sleep(0.3)
        app._xdo("click", "1")
        for keys in [["type", "My"], ["key", "Right"], ["key", "Down"], ["key", "Down"], ["key", "Right"]] + \
                [["key", "Down"]] * downs + [["key", "Return"]]:
            time.sleep(1.5)
            app._xdo(*keys)
        self.assertTrue(app.wait_for(
            lambda: not app._xdo("search", "--onlyvisible", "--name", "Browse for Folder").split(), 20),
            "the folder picker stayed")

    def test_folder_chosen_in_the_picker_is_where_the_package_installs_unless_it_is_too_long(self):
        # Drive D: of the PC, holding a folder Tools and one whose path leaves no room for the product folder.
        drive = tempfile.mkdtemp(prefix="pavonel-d-")
        os.mkdir(os.path.join(drive, "Tools"))
        os.mkdir(os.path.join(drive, "x" * 250))
        link = os.path.join(machine.prefix, "dosdevices", "d:")
        os.symlink(drive, link)
        self.addCleanup(shutil.rmtree, drive, True)
        self.addCleanup(os.remove, link)
        # Drives are enumerated once per Wine session: a new one shows from the next session on.
        machine.end_session()

        app = self.launch()
        self.pick_on_drive_d(app, 2)
        box = app.wait_for(lambda: app._xdo("search", "--onlyvisible", "--name", "^Lumbra$").split(), 20)
        self.assertTrue(box, "the too long folder was taken without a word")
        app._xdo("key", "--window", box[0], "Return")
        self.assertIn("chosen folder refused, too long", machine.read_log())
        self.pick_on_drive_d(app, 1)
        app.click("btn_Install")
        self.assertPage(app, "page_finished", 90)
        self.assertIn('/DIR="D:\\Tools\\Lumbra\\"', machine.read_temp("Pavonel-SamplePackage.txt"))
        # The worker records the folder right after showing the page; on a loaded machine that takes a moment.
        self.assertTrue(app.wait_for(lambda: machine.registry_value("HKLM\\Software\\tarvix\\Lumbra", "Path") ==
                                     "D:\\Tools\\Lumbra\\", 15), "the folder was not recorded")

    def test_unticking_the_agreement_disables_install_and_alter(self):
        app = self.launch()
        window = app.main_window()
        # Spots inside the two buttons away from their texts.
        looks = lambda: (app.pixel(window, 240, 236), app.pixel(window, 522, 344))
        enabled = looks()
        app.click("opt_User")
        app.mouse_away()
        time.sleep(0.5)
        disabled = looks()
        self.assertNotEqual(disabled[0], enabled[0], "Install still looks enabled")
        self.assertNotEqual(disabled[1], enabled[1], "Alter still looks enabled")
        app.click("btn_Install")
        time.sleep(1)
        self.assertEqual(app.page(), "page_home", "a disabled Install button started the install")
        app.click("opt_User")
        app.mouse_away()
        time.sleep(0.5)
        self.assertEqual(looks(), enabled)


if __name__ == "__main__":
    unittest.main()
