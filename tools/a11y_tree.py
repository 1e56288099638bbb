#!/usr/bin/env python3
# Prints the accessibility tree of a running klv-station as a screen reader sees it (AT-SPI).
# Run the station with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 inside dbus-run-session first.
import sys, time, pyatspi
def find_app():
    for _ in range(60):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app and app.name and 'klv' in app.name.lower():
                return app
        time.sleep(0.5)
    return None
app = find_app()
if not app:
    print("NO APP"); sys.exit(1)
seen = []
def walk(node, depth=0):
    try:
        name, role = node.name, node.getRoleName()
        desc = node.description
    except Exception:
        return
    seen.append((depth, role, name, desc))
    for child in node:
        if child is not None:
            walk(child, depth + 1)
walk(app)
for d, role, name, desc in seen:
    if name or desc:
        print("  " * min(d, 8) + f"{role}: {name!r}" + (f" — {desc!r}" if desc else ""))
