"""Leaving the installer: the confirmation dialog, Alt+F4, leaving during a download, the caption."""
import os
import time
import unittest

from e2e_support import InstallerTest, machine, service, setUpModule, tearDownModule  # noqa: F401
from pavonel_driver import DIALOG_POINTS


class Leaving(InstallerTest):
    def open_dialog_with_close_button(self, app):
        app.click("btn_Close")
        self.assertTrue(app.wait_for(app.dialog_window, 20), "no confirmation dialog")

    def assertDialogGoneAndWindowStays(self, app):
        self.assertTrue(app.wait_for(lambda: app.dialog_window() is None, 10), "the dialog stayed")
        time.sleep(1)
        self.assertFalse(app.exited())
        self.assertIsNotNone(app.main_window())

    def test_no_and_the_dialogs_close_button_keep_the_window(self):
        app = self.launch()
        self.open_dialog_with_close_button(app)
        app.click_dialog("btn_cancel")
        self.assertDialogGoneAndWindowStays(app)
        self.open_dialog_with_close_button(app)
        app.click_dialog("btn_Close")
        self.assertDialogGoneAndWindowStays(app)
        self.assertEventsSoon(["INSTALL_START"])

    def confirm_and_time(self, app, when_gone=None):
        """Clicks Yes; returns the seconds until the window was gone and until the process had ended.
        `when_gone` is called once, as soon as the window is seen gone."""
        dialog = app.wait_for(app.dialog_window, 20)
        self.assertTrue(dialog, "no confirmation dialog")
        scale = dialog.width / 400.0
        x, y = DIALOG_POINTS["btn_confirm"]
        app._xdo("mousemove", "--sync", str(dialog.x + round(x * scale)), str(dialog.y + round(y * scale)))
        time.sleep(0.3)
        clicked = time.time()
        app._xdo("click", "1")
        gone = None
        while time.time() - clicked < 20 and not app.exited():
            if gone is None and app.main_window() is None:
                gone = time.time() - clicked
                if when_gone:
                    when_gone()
            time.sleep(0.02)
        ended = time.time() - clicked
        if gone is None:
            gone = ended
        print("clicked at %s.%03d: window gone after %.2f s, process ended after %.2f s"
              % (time.strftime("%H:%M:%S", time.gmtime(clicked)), int(clicked * 1000) % 1000, gone, ended))
        return gone, ended

    def test_yes_hides_the_window_at_once_and_a_start_right_after_is_a_start_of_its_own(self):
        # The abort report waits its whole budget on the silent event service, after the window has gone;
        # the user starts the installer again meanwhile.
        from e2e_support import EXE, driver
        service.scenario(events="silent")
        self.unmanaged_windows()
        app = self.launch()
        again = driver.Installer(machine, EXE, self.lang)
        self.open_dialog_with_close_button(app)
        gone, ended = self.confirm_and_time(app, when_gone=lambda: self.apps.append(again.start()))
        self.assertTrue(app.exited(), "the installer did not end")
        self.assertLessEqual(gone, 0.5)
        self.assertLessEqual(ended, 3.5, "the report held the exit too long")
        self.assertTrue(again.wait_main(60), "the start right after closing showed no window")
        time.sleep(1)
        self.assertFalse(again.exited(), "the start right after closing ended")

    def test_yes_reports_the_abort_and_ends_the_process(self):
        app = self.launch()
        self.open_dialog_with_close_button(app)
        app.click_dialog("btn_confirm")
        self.assertTrue(app.wait_exit(20), "the installer did not end")
        self.assertEventsSoon(["INSTALL_START", "INSTALL_USERABORT"])

    def test_alt_f4_asks_on_the_home_page_and_quits_at_once_when_finished(self):
        app = self.launch()
        app.press_alt_f4()
        self.assertTrue(app.wait_for(app.dialog_window, 20), "Alt+F4 on the home page did not ask")
        app.click_dialog("btn_cancel")
        self.assertDialogGoneAndWindowStays(app)

        app.click("btn_Install")
        self.assertPage(app, "page_finished", 90)
        app.press_alt_f4()
        self.assertTrue(app.wait_exit(15), "Alt+F4 on the finished page did not quit")
        self.assertIsNone(app.dialog_window())

    def test_leaving_during_a_stalled_download_ends_it_and_removes_the_partial_file(self):
        # The address service is silent too: the abort report must still keep within its budget.
        service.scenario(package="stall", stall_after=200000, ip="silent")
        self.unmanaged_windows()
        app = self.launch()
        app.click("btn_Install")
        self.assertPage(app, "page_install", 15)
        partial = machine.path("C:\\tarvix\\CORVEX_Online.exe")
        self.assertTrue(app.wait_for(lambda: os.path.exists(partial), 20), "the download never started")
        app.press_alt_f4()
        self.assertTrue(app.wait_for(app.dialog_window, 20))
        gone, ended = self.confirm_and_time(app)
        self.assertTrue(app.exited(), "the installer hung on a stalled download")
        self.assertLessEqual(gone, 0.5)
        self.assertLessEqual(ended, 3.5)
        self.assertFalse(os.path.exists(partial), "the partial download was left behind")
        self.assertIn("INSTALL_USERABORT", service.operate_types())

    def test_double_click_on_the_caption_does_not_maximise(self):
        app = self.launch()
        before = app.main_window()
        app.double_click_caption()
        time.sleep(1.5)
        after = app.main_window()
        self.assertIsNotNone(after, "the window changed size")
        self.assertEqual((before.width, before.height), (after.width, after.height))


if __name__ == "__main__":
    unittest.main()
