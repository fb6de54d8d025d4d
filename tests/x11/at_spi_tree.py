#!/usr/bin/python3
# Prints what a screen reader reads of one program through AT-SPI: every object
# of the application whose process ID is given, one line each, as
#   depth TAB role TAB name TAB description
# in tree order. Exits 2 when no such application is registered.
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def walk(node, depth, out):
    line = "\t".join([str(depth), node.get_role_name(), node.get_name() or "", node.get_description() or ""])
    out.append(line.replace("\n", " "))
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, depth + 1, out)


def main():
    pid = int(sys.argv[1])
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_process_id() == pid:
            out = []
            walk(app, 0, out)
            print("\n".join(out))
            return 0
    print("no application of process %d on the accessibility bus" % pid, file=sys.stderr)
    return 2


sys.exit(main())
