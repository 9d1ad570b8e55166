#!/usr/bin/python3
"""The calendar as a screen reader reads it, over AT-SPI.

Finds the application "Ordwyn Dayvane" on the accessibility bus and in it the
calendar, and prints the calendar's name: the selected date written out.
Given a command after "--", it then runs the command and waits for the
calendar to announce a new name, and prints that too.

Needs DISPLAY and DBUS_SESSION_BUS_ADDRESS set and the AT-SPI bus running.
"""

import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APPLICATION = "Ordwyn Dayvane"
CALENDAR_ID = "oCal"
SEARCH_SECONDS = 10
ANNOUNCE_SECONDS = 5


def accessible_id(acc):
    try:
        return acc.get_accessible_id() or ""
    except Exception:
        return ""


def descendants(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child
            yield from descendants(child)


def is_calendar(acc):
    """The widget named oCal where the toolkit tells object names, else a
    table whose name is a date, with a year of four digits in any script."""
    if accessible_id(acc) == CALENDAR_ID:
        return True
    return acc.getRole() == pyatspi.ROLE_TABLE and re.search(r"\d{4}", acc.name or "") is not None


def find_calendar():
    deadline = time.monotonic() + SEARCH_SECONDS
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None or app.name != APPLICATION:
                continue
            for acc in descendants(app):
                if is_calendar(acc):
                    return acc
        time.sleep(0.2)
    sys.exit('no calendar found in an application named "%s" on the AT-SPI bus' % APPLICATION)


def announced_after(calendar, command):
    """Runs command and returns the first name the calendar announces."""
    names = []

    def on_name_changed(event):
        if event.source == calendar and event.source.name:
            names.append(event.source.name)
            pyatspi.Registry.stop()

    def run():
        subprocess.run(command, check=True)
        return False

    def give_up():
        pyatspi.Registry.stop()
        return False

    pyatspi.Registry.registerEventListener(on_name_changed, "object:property-change:accessible-name")
    GLib.idle_add(run)
    GLib.timeout_add_seconds(ANNOUNCE_SECONDS, give_up)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(on_name_changed, "object:property-change:accessible-name")
    if not names:
        sys.exit("the calendar announced no new name within %d s after %s" % (ANNOUNCE_SECONDS, command))
    return names[0]


def main(argv):
    command = argv[argv.index("--") + 1:] if "--" in argv else []
    calendar = find_calendar()
    print(calendar.name, flush=True)
    if command:
        print(announced_after(calendar, command), flush=True)


if __name__ == "__main__":
    main(sys.argv[1:])
