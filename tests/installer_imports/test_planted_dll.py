"""The installer, run from a download folder that also holds DLLs named like the system DLLs it delay-loads,
completes an install over HTTPS without ever mapping one of the planted copies."""
import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "e2e"))
import pavonel_driver as driver  # noqa: E402

BUILD = os.environ.get("PAVONEL_BUILD", os.path.join(driver.ROOT, "build"))
EXE = os.path.join(BUILD, "installer", "local", "Pavonel.exe")
PACKAGE = os.path.join(BUILD, "tools", "sample-package", "CORVEX_Online.exe")
PLANTED = os.path.join(BUILD, "tests", "installer_imports", "planted")
PREFIX = os.environ.get("PAVONEL_E2E_PREFIX", os.path.join(BUILD, "e2e-prefix"))
DLLS = ("crypt32.dll", "bcrypt.dll", "gdiplus.dll", "winhttp.dll", "wintrust.dll")
driver.require_runnable(EXE)


class PlantedDll(unittest.TestCase):
    def setUp(self):
        self.service = driver.Service(PACKAGE)
        self.machine = driver.Machine(PREFIX, driver.pe_arch(EXE))
        self.service.start()
        self.addCleanup(self.service.stop)
        self.machine.ensure()
        self.service.reset()
        self.machine.reset()
        self.downloads = os.path.join(self.machine.drive_c, "users", "Public", "Downloads", "planted")
        shutil.rmtree(self.downloads, ignore_errors=True)
        os.makedirs(self.downloads)
        shutil.copy(EXE, self.downloads)
        for name in DLLS:
            shutil.copy(os.path.join(PLANTED, name), self.downloads)

    def stop(self, app):
        # Only this prefix's processes: other people's installers may be running on the machine.
        if app.process.poll() is None:
            app.process.kill()
            app.process.wait()
        driver.subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=self.machine.prefix),
                              stderr=driver.subprocess.DEVNULL)

    def loaded(self):
        """The planted DLLs that were mapped (each leaves "<name>.loaded"; the case is the loader's)."""
        markers = {name.lower() for name in os.listdir(self.downloads)}
        return [name for name in DLLS if name + ".loaded" in markers]

    def test_install_from_a_folder_with_planted_dlls_uses_the_system_copies(self):
        app = driver.Installer(self.machine, os.path.join(self.downloads, "Pavonel.exe"))
        # Prefer a DLL file found on the search path over Wine's built-in one, as Windows would.
        app.env["WINEDLLOVERRIDES"] = ",".join(name[:-4] for name in DLLS) + "=n,b"
        app.start()
        self.addCleanup(self.stop, app)
        self.assertTrue(app.wait_main(120), "the main window did not appear; planted DLLs loaded: %s"
                        % self.loaded())
        app.click("btn_Install")
        self.assertTrue(app.wait_page("page_finished", 90), "the install over HTTPS did not finish: %s"
                        % app.page())
        self.assertEqual(self.loaded(), [], "planted DLLs were loaded from the download folder")


if __name__ == "__main__":
    unittest.main()
