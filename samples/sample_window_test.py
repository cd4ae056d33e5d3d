"""The sample window under Wine: it shows at the size its markup asks for, and a click on an option
switches the tab layout's page (the option's "selectchanged" reaches the window's Notify)."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "e2e"))
import pavonel_driver as driver  # noqa: E402

EXE = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else ""
PREFIX = os.environ.get("PAVONEL_SAMPLE_PREFIX", os.path.join(os.path.dirname(EXE), "sample-prefix"))
SIZE = (640, 420)
# Design-pixel points: the "Rich edit" option, and a spot inside the rich edit it brings up.
NOTES_OPTION = (75, 92)
NOTES_EDIT = (400, 150)
WHITE = (255, 255, 255)


class SampleWindowTest(unittest.TestCase):
    def setUp(self):
        self.machine = driver.Machine(PREFIX, driver.pe_arch(EXE))
        self.machine.ensure()
        self.app = driver.Installer(self.machine, EXE).start()

    def tearDown(self):
        self.app.kill()

    def window(self):
        shown = [w for w in self.app.windows() if abs(w.width - SIZE[0]) <= 2 and abs(w.height - SIZE[1]) <= 2]
        return shown[0] if shown else None

    def test_shows_and_an_option_switches_the_page(self):
        window = self.app.wait_for(self.window, 120)
        self.assertIsNotNone(window, "the sample's window did not appear at %dx%d" % SIZE)
        time.sleep(1)  # first paint
        self.assertNotEqual(self.app.pixel(window, *NOTES_EDIT, scale=1), WHITE, "the list page is shown first")
        self.app.click_at(window, *NOTES_OPTION, 1)
        self.assertTrue(self.app.wait_for(lambda: self.app.pixel(window, *NOTES_EDIT, scale=1) == WHITE, 10),
                        "the option did not bring up the rich edit's page")
        picture = os.environ.get("PAVONEL_SAMPLE_SCREENSHOT")
        if picture:
            self.app.mouse_away()
            time.sleep(0.5)
            self.app.screenshot(picture, window)


if __name__ == "__main__":
    # Before the test runner, whose handling of SystemExit would turn a skip into an error.
    driver.require_runnable(EXE)
    unittest.main(argv=sys.argv[:1], verbosity=2)
