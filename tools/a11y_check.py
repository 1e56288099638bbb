#!/usr/bin/python3
# Drives the station as a keyboard and screen-reader user would, with no mouse: keys through
# xdotool, everything else through the accessibility tree (AT-SPI). Run it by a11y_check.sh,
# which gives it a display, a session bus, a simulated bench and a program folder.
#
# 1. Tab reaches tile 1-1, Space selects it, Right focuses 1-2 (a picture of the focus frame).
# 2. The menu key opens "控制" on 1-2, running: in the tree, 通道停止 enabled, 通道启动 not.
#    通道停止 is taken through the tree, the confirmation answered with Return; 1-2 stops on the
#    unit (its current reads 0 from the wire) while 1-3 runs on.
# 3. Left to 1-1, the menu key, 基准校准 through the tree, the meter's value typed into txtVL,
#    Alt+L presses 校准VL, 确定 taken through the tree: klv-sim reports both writes.
# 4. Alt+T opens the menu bar's 工具, whose items are in the tree while it is open.
import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

BUILD = os.environ["KLV_BUILD"]
HOME = os.environ["KLV_HOME"]
SIM_OUT = os.environ["KLV_SIM_OUT"]
PICTURE = os.environ.get("KLV_PICTURE", "")
failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names], check=True)
    time.sleep(0.4)


told = []  # (name, description) of every description change the tree announced


def on_description(event):
    try:
        told.append((event.source.name, event.source.description))
    except Exception:
        pass


pyatspi.Registry.registerEventListener(on_description, "object:property-change:accessible-description")


def wait_for(find, seconds=20.0, step=0.25):
    end = time.time() + seconds
    while time.time() < end:
        while GLib.MainContext.default().pending():
            GLib.MainContext.default().iteration(False)
        found = find()
        if found:
            return found
        time.sleep(step)
    return None


def station():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "klv-station":
            return app
    return None


def walk(node):
    try:
        children = list(node)
    except Exception:
        return
    yield node
    for child in children:
        if child is not None:
            yield from walk(child)


def has(node, state):
    try:
        return node.getState().contains(state)
    except Exception:
        return False


def named(root, name, role=None):
    for node in walk(root):
        try:
            if node.name == name and (role is None or node.getRoleName() == role) and has(node, pyatspi.STATE_SHOWING):
                return node
        except Exception:
            pass
    return None


def focused(root):
    for node in walk(root):
        if has(node, pyatspi.STATE_FOCUSED):
            return node
    return None


def focused_name(app):
    node = focused(app)
    return node.name if node is not None else None


def tile_description(app, name):
    tile = named(app, name)
    return tile.description if tile is not None else ""


def take(item):
    action = item.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "Press", "click", "activate"):
            action.doAction(i)
            return True
    action.doAction(0)
    return True


def control_menu(app):
    for node in walk(app):
        try:
            if node.getRoleName() in ("menu", "popup menu") and has(node, pyatspi.STATE_SHOWING):
                names = [child.name for child in node]
                if "通道停止" in names:
                    return node
        except Exception:
            pass
    return None


def open_menu_with(app, item):
    for node in walk(app):
        try:
            if node.getRoleName() in ("menu", "popup menu") and has(node, pyatspi.STATE_SHOWING) and item in [
                    c.name for c in node]:
                return node
        except Exception:
            pass
    return None


def item_of(menu, name):
    for child in menu:
        if child.name == name:
            return child
    return None


app = wait_for(station, 30)
if not check(app is not None, "the station is on the accessibility bus"):
    sys.exit(1)
running = wait_for(lambda: "放电" in tile_description(app, "1-2") and "放电" in tile_description(app, "1-3"), 40)
check(running, "1-2 and 1-3 run the program: " + tile_description(app, "1-2"))


def focus_window(title):
    # There is no window manager on the test display: a window that opens or closes leaves
    # the X input focus where it fell, so the keys are sent on to the window meant.
    found = subprocess.run(["xdotool", "search", "--name", title], capture_output=True, text=True).stdout.split()
    if found:
        subprocess.run(["xdotool", "windowfocus", "--sync", found[-1]], check=False)
        time.sleep(0.5)


focus_window("多通道电池测试系统")

for _ in range(30):
    if focused_name(app) == "1-1":
        break
    key("Tab")
check(focused_name(app) == "1-1", "Tab reaches the tile area: the focus is on \"1-1\"")
key("space")
key("Right")
check(focused_name(app) == "1-2", "Right moves the focus to \"1-2\"")
if PICTURE:
    tile = named(app, "1-1").queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    crop = f"{tile.width * 3 + 40}x{tile.height + 20}+{tile.x - 10}+{tile.y - 10}"
    subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", PICTURE], check=True)
    print("picture  " + PICTURE + " " + crop)

key("Menu")
menu = wait_for(lambda: control_menu(app), 5)
if check(menu is not None, "the menu key opens 控制, and it is in the tree"):
    stop, start = item_of(menu, "通道停止"), item_of(menu, "通道启动")
    check(has(stop, pyatspi.STATE_ENABLED), "通道停止 is enabled on the running 1-2")
    check(not has(start, pyatspi.STATE_ENABLED), "通道启动 is disabled")
    print("menu: " + ", ".join(f"{c.name}{'' if has(c, pyatspi.STATE_ENABLED) else ' (off)'}" for c in menu if c.name))
    take(stop)
    box = wait_for(lambda: named(app, "提示"), 5)
    check(box is not None, "通道停止 asks for confirmation")
    time.sleep(0.5)
    key("Return")
    focus_window("多通道电池测试系统")
    stopped = wait_for(lambda: "停止" in tile_description(app, "1-2") and " 0.000 A" in tile_description(app, "1-2"), 15)
    check(stopped, "the unit stopped 1-2: " + tile_description(app, "1-2"))
    check(wait_for(lambda: any(n == "1-2" and "停止" in d for n, d in told), 3), "the new state of 1-2 was announced")
    print(f"description changes announced: 1-2 {sum(n == '1-2' for n, _ in told)}, 1-3 {sum(n == '1-3' for n, _ in told)}")
    check("放电" in tile_description(app, "1-3") and " 0.000 A" not in tile_description(app, "1-3"),
          "1-3 runs on: " + tile_description(app, "1-3"))

key("Left")
check(focused_name(app) == "1-1", f"Left moves the focus back to \"1-1\" ({focused_name(app)!r})")
volts = re.search(r"([0-9.]+) V", tile_description(app, "1-1")).group(1)
key("Menu")
menu = wait_for(lambda: control_menu(app), 5)
calibrate = item_of(menu, "基准校准") if menu is not None else None
if check(calibrate is not None and has(calibrate, pyatspi.STATE_ENABLED), "基准校准 is offered for 1-1"):
    take(calibrate)
    dialog = wait_for(lambda: named(app, "基准校准--设备1 通道1"), 5)
    check(dialog is not None, "the calibration dialog opens for 1-1")
    focus_window("基准校准--设备1 通道1")
    field = wait_for(lambda: focused(app) if focused_name(app) == "校准VL" else None, 5)
    check(field is not None, f"the focus is in the field named 校准VL ({focused_name(app)!r})")
    key("ctrl+a")
    subprocess.run(["xdotool", "type", "--delay", "60", volts], check=True)
    key("alt+l")
    ok = wait_for(lambda: (lambda b: b if b is not None and has(b, pyatspi.STATE_ENABLED) else None)(
        named(dialog, "确定", "push button")), 5)
    check(ok is not None, f"校准VL takes {volts} V and enables 确定")
    value = round(float(volts) * 1000)

    def written(ending):
        lines = [l.strip() for l in open(SIM_OUT, encoding="utf-8") if l.startswith("calibration 1-1:")]
        return any(l.endswith(ending) for l in lines)

    # A write waits in its channel's command slot for the unit's next frame; a second one
    # queued before then would replace it, by mouse as by keyboard.
    check(wait_for(lambda: written(f"item 0 value {value}"), 5), f"the VL write reached 1-1 (item 0 value {value})")
    if ok is not None:
        take(ok)
    check(wait_for(lambda: written("item 4 value 0"), 5), "the commit reached 1-1 (item 4 value 0)")
    print("klv-sim: " + " | ".join(l.strip() for l in open(SIM_OUT, encoding="utf-8") if l.startswith("calib")))
    key("Escape")

# The menu bar's menus are in the tree as well while open: Alt+T opens "工具".
focus_window("多通道电池测试系统")
key("alt+t")
tools = wait_for(lambda: open_menu_with(app, "断开设备"), 5)
check(tools is not None, "Alt+T opens 工具, in the tree: " + (", ".join(c.name for c in tools if c.name) if tools else ""))
key("Escape")

print("FAILED: " + "; ".join(failures) if failures else "all checks passed")
sys.exit(1 if failures else 0)
