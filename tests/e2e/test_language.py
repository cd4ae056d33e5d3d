"""The installer speaks the system's language: Chinese for Simplified Chinese, English otherwise."""
import os
import subprocess
import time
import unittest

from e2e_support import ARTIFACTS, InstallerTest, setUpModule, tearDownModule  # noqa: F401


def same_picture(a, b):
    """Pixel-exact comparison through ImageMagick (0 differing pixels)."""
    out = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, text=True).stdout.strip()
    return out.split()[0] == "0"


class Language(InstallerTest):
    def pictures(self, lang):
        app = self.launch(lang)
        app.mouse_away()
        time.sleep(1)
        home = app.screenshot(os.path.join(ARTIFACTS, "home-%s.png" % lang))
        app.click("btn_Close")
        dialog = app.wait_for(app.dialog_window, 20)
        self.assertTrue(dialog, "no confirmation dialog")
        app.mouse_away()
        time.sleep(1)
        asked = app.screenshot(os.path.join(ARTIFACTS, "dialog-%s.png" % lang), dialog)
        app.click_dialog("btn_cancel")
        app.kill()
        return home, asked

    def test_chinese_system_shows_chinese_and_others_english(self):
        english = self.pictures("en_US.UTF-8")
        german = self.pictures("de_DE.UTF-8")
        chinese = self.pictures("zh_CN.UTF-8")
        for en, de, zh, what in zip(english, german, chinese, ("main window", "dialog")):
            self.assertTrue(same_picture(en, de), "German system: the %s is not the English one" % what)
            self.assertFalse(same_picture(en, zh), "Chinese system: the %s shows the English texts" % what)


if __name__ == "__main__":
    unittest.main()
