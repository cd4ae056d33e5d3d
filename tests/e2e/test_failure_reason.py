"""The failure page says what went wrong, in the user's language, and where the log is."""
import os
import re
import shutil
import unittest

from e2e_support import ARTIFACTS, InstallerTest, machine, service, setUpModule, tearDownModule  # noqa: F401

# Design-pixel rows of the reason line and the log line on the failure page.
REASON_ROW, LOG_ROW = 315, 331
TARGET = "C:\\tarvix\\CORVEX_Online.exe"


def reasons_shown():
    return [int(kind) for kind in re.findall(r"failure reason shown: (\d+)", machine.read_log())]


def ink(pixels):
    """Pixels of a row drawn in a text colour (darker than the light page background)."""
    return [p for p in pixels if sum(p) < 3 * 170]


class FailureReason(InstallerTest):
    def fail_once(self, app, button, expected_kind, tag):
        before = len(reasons_shown())
        app.click(button)
        self.assertTrue(app.wait_for(lambda: len(reasons_shown()) > before, 60), "no failure for %s" % tag)
        self.assertEqual(reasons_shown()[-1], expected_kind, tag)
        self.assertPage(app, "page_fail", 10)
        app.mouse_away()
        app.wait_for(lambda: False, 1)  # the page's paint
        window = app.main_window()
        app.screenshot(os.path.join(ARTIFACTS, "failure-%s-%d-%s.png" % (self.lang[:2], expected_kind, tag)))
        reason = app.row(window, REASON_ROW, 20, 580)
        self.assertTrue(ink(reason), "no reason line for %s" % tag)
        self.assertTrue(ink(app.row(window, LOG_ROW, 20, 580)), "no log line for %s" % tag)
        return reason

    def each_kind(self):
        # The package's digest is published, and the package, when it runs, reports an error.
        service.scenario(lookup="sha256", package="404")
        app = self.launch(PAVONEL_SAMPLE_PACKAGE_MODE="fail")
        rows = [self.fail_once(app, "btn_Install", 2, "refused")]
        service.scenario(package="cut", cut_after=100000)
        rows.append(self.fail_once(app, "btn_Reinstall", 1, "connection"))  # after three more tries
        service.scenario(package="corrupt")
        rows.append(self.fail_once(app, "btn_Reinstall", 3, "damaged"))
        service.scenario(package="length")
        blocked = machine.path(TARGET)
        os.makedirs(blocked, exist_ok=True)  # the package's file name is taken by a folder
        self.addCleanup(shutil.rmtree, blocked, True)
        rows.append(self.fail_once(app, "btn_Reinstall", 4, "disk"))
        shutil.rmtree(blocked)
        rows.append(self.fail_once(app, "btn_Reinstall", 5, "package"))
        # Signed by another publisher, and no digest published: the lookup of a new start decides that.
        app.kill()
        service.scenario(lookup="object", package="other")
        rows.append(self.fail_once(self.launch(), "btn_Install", 6, "unverified"))
        self.assertEqual(len(set(map(tuple, rows))), 6, "two kinds of failure read the same")
        log = machine.read_log()
        self.assertIn("download attempt 4 from byte", log)
        return rows

    def test_english(self):
        self.lang = "en_US.UTF-8"
        self.each_kind()

    def test_chinese(self):
        self.lang = "zh_CN.UTF-8"
        self.each_kind()


if __name__ == "__main__":
    unittest.main()
