#!/usr/bin/env python3
"""Runs the installer against the stand-in vendor service.

With a display ($DISPLAY): the installer opens there for you to use; this returns when it exits.
Without one: it drives the whole happy path by itself on a private Xvfb display, in Chinese and in
English, and saves a screenshot of every page and of the exit dialog.
Usage: demo.py BUILD_DIR
"""
import os
import sys
import time

import pavonel_driver as driver


def main():
    build = os.path.abspath(sys.argv[1])
    exe = os.path.join(build, "installer", "local", "Pavonel.exe")
    service = driver.Service(os.path.join(build, "tools", "sample-package", "CORVEX_Online.exe"))
    machine = driver.Machine(os.path.join(build, "demo-prefix"), driver.pe_arch(exe))
    service.start()
    try:
        machine.ensure()
        if os.environ.get("DISPLAY"):
            return run_for_a_person(service, machine, exe)
        return run_by_itself(service, machine, exe, os.path.join(build, "screenshots"))
    finally:
        service.stop()


def run_for_a_person(service, machine, exe):
    service.reset(package="slow")
    machine.reset()
    print("Pavonel is running on your display against the stand-in service; close it to finish.")
    app = driver.Installer(machine, exe, os.environ.get("LANG", "en_US.UTF-8")).start()
    app.process.wait()
    print("Usage events the service received:", ", ".join(service.operate_types()))
    return 0


def run_by_itself(service, machine, exe, folder):
    os.makedirs(folder, exist_ok=True)
    for lang, tag in (("zh_CN.UTF-8", "zh"), ("en_US.UTF-8", "en")):
        service.reset(package="slow")
        machine.reset()
        app = driver.Installer(machine, exe, lang).start()
        try:
            if not app.wait_main(120):
                print("the installer window did not appear (%s)" % lang)
                return 1
            shoot = lambda name, window=None: app.screenshot(os.path.join(folder, "%s-%s.png" % (tag, name)), window)
            app.mouse_away()
            time.sleep(1.5)
            shoot("1-home")
            app.click("btn_Close")
            dialog = app.wait_for(app.dialog_window, 20)
            app.mouse_away()
            time.sleep(1)
            shoot("2-exit-dialog", dialog)
            app.click_dialog("btn_cancel")
            app.wait_for(lambda: app.dialog_window() is None, 10)
            app.click("btn_Install")
            app.wait_page("page_install", 15)
            time.sleep(1.5)
            shoot("3-installing")
            if not app.wait_page("page_finished", 120):
                print("the install did not finish (%s); the log says:\n%s" % (lang, machine.read_log()))
                return 1
            time.sleep(1)
            shoot("4-finished")
            app.press_alt_f4()
            app.wait_exit(20)
            print("%s: pages shown, events received: %s" % (lang, ", ".join(service.operate_types())))
        finally:
            app.kill()
    print("Screenshots of every page and of the exit dialog, in Chinese and English: %s" % folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
