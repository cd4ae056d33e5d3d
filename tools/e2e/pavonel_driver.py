"""Drives the real Pavonel.exe under Wine the way a person would: real mouse clicks on its window
(xdotool), screenshots (ImageMagick), and the stand-in vendor service's control endpoints.

Used by the demo (tools/demo.sh) and the end-to-end tests (tests/e2e).
"""
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import urllib.request

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_RUN = os.path.join(ROOT, "tools", "wine-run")
SERVICE = os.path.join(ROOT, "tools", "vendor-service", "vendor_service.py")

# The installer lays out 600 x 400 design pixels at 115 % (its own DPI setting).
SCALE = 1.15
MAIN_SIZE = (round(600 * SCALE), round(400 * SCALE))

# Design-pixel positions of the controls the tests press (centres).
POINTS = {
    "btn_Close": (573, 27),
    "btn_Install": (300, 244),
    "opt_User": (27, 291),
    "btn_User": (234, 291),
    "btn_Alter": (547, 354),
    "btn_Offline": (490, 381),
    "btn_Run": (300, 348),
    "btn_Reinstall": (300, 232),
    "btn_OfflinePatch": (300, 373),
}
# Dialog buttons, in the dialog's own design pixels (400 x 195).
DIALOG_POINTS = {"btn_confirm": (196, 161), "btn_cancel": (312, 161), "btn_Close": (383, 18)}


# What tools/wine-run exits with for a program this host cannot run; CTest reports it as skipped.
SKIP_CODE = 77


def pe_arch(path):
    """The architecture a Windows executable was built for: "i686" or "x86_64"."""
    with open(path, "rb") as f:
        head = f.read(4096)
    offset = struct.unpack_from("<I", head, 0x3C)[0]
    if head[:2] != b"MZ" or head[offset:offset + 4] != b"PE\0\0":
        raise ValueError("%s is not a Windows executable" % path)
    machine = struct.unpack_from("<H", head, offset + 4)[0]
    return {0x14C: "i686", 0x8664: "x86_64"}[machine]


def require_runnable(exe):
    """Ends this process as skipped when the host cannot run the executable's architecture."""
    result = subprocess.run([WINE_RUN, "--can-run", exe], stderr=subprocess.PIPE, text=True)
    if result.returncode == SKIP_CODE:
        sys.stderr.write(result.stderr)
        sys.exit(SKIP_CODE)


class Service:
    """The stand-in vendor service on the local installer's loopback ports."""

    def __init__(self, package, https_port=None, http_port=None):
        # The local installer's ports are a build setting; the tests are told them through the environment.
        self.package = package
        self.https_port = https_port or int(os.environ.get("PAVONEL_LOCAL_HTTPS_PORT", 47543))
        self.http_port = http_port or int(os.environ.get("PAVONEL_LOCAL_HTTP_PORT", 47180))

    def _ports(self):
        return ["--https-port", str(self.https_port), "--http-port", str(self.http_port)]

    def start(self):
        subprocess.run(["python3", SERVICE, *self._ports(), "--background", "--replace", "--package", self.package],
                       check=True, stdout=subprocess.DEVNULL)

    def stop(self):
        subprocess.run(["python3", SERVICE, *self._ports(), "--stop"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def _call(self, path, body=None):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request("http://127.0.0.1:%d%s" % (self.http_port, path), data=data,
                                         method="GET" if body is None else "POST")
        with urllib.request.urlopen(request, timeout=10) as reply:
            return reply.read().decode()

    def reset(self, **scenario):
        self._call("/control/reset", {})
        if scenario:
            self.scenario(**scenario)

    def scenario(self, **entries):
        self._call("/control/scenario", entries)

    def events(self):
        return [json.loads(text) for text in json.loads(self._call("/control/events"))]

    def operate_types(self):
        return [event.get("operateType") for event in self.events()]


class Machine:
    """One Wine prefix standing for the user's PC, reset between runs instead of rebuilt."""

    def __init__(self, prefix, arch):
        self.prefix, self.arch = os.path.abspath(prefix), arch
        self.drive_c = os.path.join(self.prefix, "drive_c")

    def run(self, *args, env=None, timeout=120):
        """Runs one of Wine's own programs (cmd, reg, ...) in this PC's prefix."""
        return subprocess.run([WINE_RUN, "--prefix", self.prefix, "--arch", self.arch, *args], env=env,
                              timeout=timeout,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")

    def display(self):
        number = 100 + int(subprocess.run(["cksum"], input=self.prefix.encode(), stdout=subprocess.PIPE)
                            .stdout.split()[0]) % 400
        return os.environ.get("DISPLAY") or ":%d" % number

    def ensure(self):
        self.run("cmd", "/c", "exit")

    def temp_dir(self):
        users = os.path.join(self.drive_c, "users")
        for user in sorted(os.listdir(users)) if os.path.isdir(users) else []:
            candidate = os.path.join(users, user, "Temp")
            if os.path.isdir(candidate):
                return candidate
        return os.path.join(users, os.environ.get("USER", "root"), "Temp")

    def log_path(self):
        return os.path.join(self.temp_dir(), "Pavonel-install.log")

    def read_temp(self, name):
        """A file the installer or the sample package left in the user's temporary folder ("" if none)."""
        try:
            with open(os.path.join(self.temp_dir(), name), encoding="utf-8", errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def read_log(self):
        return self.read_temp("Pavonel-install.log")

    def path(self, windows_path):
        """Linux path of a C:\\ path in the prefix."""
        rel = windows_path[3:].replace("\\", "/")
        return os.path.join(self.drive_c, rel)

    def registry_value(self, key, name):
        out = self.run("reg", "query", key, "/v", name, "/reg:32").stdout
        match = re.search(r"%s\s+REG_\w+\s+(.*)" % re.escape(name), out)
        return match.group(1).rstrip("\r") if match else None

    def end_session(self):
        """Ends every program of this PC and waits until its Wine server has gone: a program started while a
        killed server still winds down would join the dying session and find the killed installer there."""
        env = dict(os.environ, WINEPREFIX=self.prefix)
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL, timeout=60)

    def reset(self):
        for folder in ("tarvix", "Program Files/tarvix", "Program Files (x86)/tarvix", "Tools"):
            shutil.rmtree(os.path.join(self.drive_c, folder), ignore_errors=True)
        for name in ("Pavonel-install.log", "Pavonel-SamplePackage.txt", "Pavonel-AppRun.txt", "browser.txt"):
            try:
                os.remove(os.path.join(self.temp_dir(), name))
            except OSError:
                pass
        self.run("reg", "delete", r"HKLM\Software\tarvix", "/f", "/reg:32")
        self.run("reg", "delete", r"HKLM\Software\Wow6432Node\tarvix", "/f")


class Window:
    def __init__(self, wid, x, y, width, height):
        self.wid, self.x, self.y, self.width, self.height = wid, x, y, width, height

    def __repr__(self):
        return "Window(%s %dx%d+%d+%d)" % (self.wid, self.width, self.height, self.x, self.y)


class Installer:
    """One running Pavonel.exe."""

    def __init__(self, machine, exe, lang="en_US.UTF-8"):
        self.machine, self.exe, self.lang = machine, exe, lang
        # Wine names a program's X windows after its executable.
        self.window_class = os.path.basename(exe).lower()
        self.process = None
        self.env = dict(os.environ, LANG=lang, LC_ALL=lang, DISPLAY=machine.display())

    def start(self, *args):
        self.process = subprocess.Popen([WINE_RUN, "--prefix", self.machine.prefix, self.exe, *args], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def exited(self):
        return self.process is not None and self.process.poll() is not None

    def wait_exit(self, timeout):
        try:
            self.process.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        # Everything else this installer started lives in the same prefix: end that prefix only.
        self.machine.end_session()

    # --- windows -------------------------------------------------------------------------------
    def _xdo(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True).stdout

    def windows(self):
        found = []
        for wid in self._xdo("search", "--onlyvisible", "--class", self.window_class).split():
            geometry = self._xdo("getwindowgeometry", "--shell", wid)
            values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
            try:
                found.append(Window(wid, int(values["X"]), int(values["Y"]), int(values["WIDTH"]),
                                    int(values["HEIGHT"])))
            except (KeyError, ValueError):
                continue
        return found

    def main_window(self):
        for w in self.windows():
            if abs(w.width - MAIN_SIZE[0]) <= 2 and abs(w.height - MAIN_SIZE[1]) <= 2:
                return w
        return None

    def dialog_window(self):
        """The confirmation dialog (not its shadow): the smallest pavonel window shaped like it."""
        shaped = [w for w in self.windows() if 300 <= w.width <= 520 and 0.4 <= w.height / w.width <= 0.6]
        return min(shaped, key=lambda w: w.width * w.height) if shaped else None

    def wait_for(self, what, timeout=60.0, interval=0.5):
        deadline = time.time() + timeout
        while time.time() < deadline:
            result = what()
            if result:
                return result
            if self.exited():
                return None
            time.sleep(interval)
        return None

    def wait_main(self, timeout=90.0):
        return self.wait_for(self.main_window, timeout)

    # --- input -----------------------------------------------------------------------------------
    def click_at(self, window, x, y, scale):
        sx, sy = window.x + int(round(x * scale)), window.y + int(round(y * scale))
        self._xdo("mousemove", "--sync", str(sx), str(sy))
        time.sleep(0.3)  # lets the control see the hover before the press
        self._xdo("click", "1")
        time.sleep(0.3)

    def click(self, name):
        window = self.wait_main(10)
        assert window, "main window not found"
        self.click_at(window, *POINTS[name], SCALE)

    def click_dialog(self, name):
        dialog = self.wait_for(self.dialog_window, 20)
        assert dialog, "dialog not found"
        scale = dialog.width / 400.0
        self.click_at(dialog, *DIALOG_POINTS[name], scale)

    def mouse_away(self):
        """Parks the pointer outside every window, so nothing is drawn hot."""
        self._xdo("mousemove", "--sync", "5", "5")

    def double_click_caption(self):
        window = self.wait_main(10)
        self._xdo("mousemove", "--sync", str(window.x + 200), str(window.y + 60))
        self._xdo("click", "--repeat", "2", "--delay", "80", "1")

    def press_alt_f4(self):
        """Alt+F4 as typed: the window gets the keyboard focus by a click on an empty spot first."""
        window = self.wait_main(10)
        self.click_at(window, 300, 130, SCALE)
        self._xdo("key", "alt+F4")

    # --- pictures --------------------------------------------------------------------------------
    def screenshot(self, path, window=None):
        window = window or self.main_window()
        assert window, "no window to photograph"
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", "-crop",
                        "%dx%d+%d+%d" % (window.width, window.height, window.x, window.y), "+repage", path],
                       check=True)
        return path

    def screenshot_safe(self, path):
        """A picture for the record when a test ends with the window still up; never fails the test."""
        try:
            if self.main_window():
                self.screenshot(path)
        except (AssertionError, subprocess.CalledProcessError, OSError):
            pass

    def pixel(self, window, x, y, scale=SCALE):
        """RGB of a design-pixel position of the window, read from the screen."""
        sx, sy = window.x + int(round(x * scale)), window.y + int(round(y * scale))
        out = subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", "-crop",
                              "1x1+%d+%d" % (sx, sy), "-depth", "8", "txt:-"], stdout=subprocess.PIPE,
                             text=True).stdout
        match = re.search(r"#([0-9A-Fa-f]{6})", out)
        return tuple(int(match.group(1)[i:i + 2], 16) for i in (0, 2, 4)) if match else None

    def pages_shown(self):
        """Every page the window has shown, in order (the window logs each one)."""
        return re.findall(r"page shown: (page_\w+)", self.machine.read_log())

    def row(self, window, y, x0, x1, scale=SCALE):
        """RGB of every screen pixel on one design-pixel row from x0 to x1, grabbed in one picture."""
        sy = window.y + int(round(y * scale))
        sx0, sx1 = window.x + int(round(x0 * scale)), window.x + int(round(x1 * scale))
        out = subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", "-crop",
                              "%dx1+%d+%d" % (sx1 - sx0, sx0, sy), "-depth", "8", "txt:-"],
                             stdout=subprocess.PIPE, text=True).stdout
        return [tuple(int(h[i:i + 2], 16) for i in (0, 2, 4)) for h in re.findall(r"#([0-9A-Fa-f]{6})", out)]

    def page(self):
        """The page showing now."""
        shown = self.pages_shown()
        return shown[-1] if shown else "page_home"

    def wait_page(self, name, timeout=60.0):
        return self.wait_for(lambda: self.page() == name, timeout)
