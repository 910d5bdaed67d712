#!/usr/bin/python3
"""Walks the accessibility tree of the running program over AT-SPI and
prints every control that is shown and has no name, one a line, with the
path to it; exits 1 when there is one, 2 when the program is not found.
With --alert TEXT, instead: exits 0 when an alert (what a screen reader
reads out as it comes) holds TEXT in its name, 1 when none does.
Usage: accessible_names.py [application name] [--alert TEXT]"""
import sys

import pyatspi

# The roles a user operates; text that only labels something is left out.
CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_TEXT, pyatspi.ROLE_LIST,
    pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE,
    pyatspi.ROLE_MENU, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM,
    pyatspi.ROLE_SCROLL_BAR, pyatspi.ROLE_SLIDER, pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG,
}


def walk(node, path, nameless, seen, alerts):
    try:
        role = node.getRole()
        name = node.name or ""
        showing = node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:  # a node that went away while walked
        return
    here = f"{path}/{node.getRoleName()}:{name}"
    if showing and role in CONTROLS:
        seen.append(here)
        if not name.strip():
            nameless.append(here)
    if showing and role == pyatspi.ROLE_ALERT:
        alerts.append(name)
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            walk(child, here, nameless, seen, alerts)


def main():
    args = sys.argv[1:]
    alert = None
    if "--alert" in args:
        at = args.index("--alert")
        alert = args[at + 1]
        del args[at:at + 2]
    wanted = args[0] if args else "scrivlet"
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [app for app in desktop if app is not None and app.name == wanted]
    if not apps:
        print(f"accessible_names: no application named {wanted!r}")
        return 2
    nameless, seen, alerts = [], [], []
    for app in apps:
        walk(app, "", nameless, seen, alerts)
    if alert is not None:
        print(f"accessible_names: alerts {alerts!r}")
        return 0 if any(alert in name for name in alerts) else 1
    print(f"accessible_names: {len(seen)} controls shown, {len(nameless)} without a name")
    for path in nameless:
        print(f"  no name: {path}")
    return 1 if nameless else 0


sys.exit(main())
