#!/usr/bin/python3
# Reads the program's window as a screen reader does, through AT-SPI: prints
# one line per object, "role|name|description|value" (value empty when none).
# With --focus ROLE NAME it first gives the focus to that object.
import sys

import pyatspi


def find_app(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def walk(node, visit):
    visit(node)
    for child in node:
        if child is not None:
            walk(child, visit)


def main():
    app = find_app("Fendrel's Tonecast")
    if app is None:
        print("no application named Fendrel's Tonecast on the accessibility bus", file=sys.stderr)
        return 1
    if len(sys.argv) == 4 and sys.argv[1] == "--focus":
        found = []
        walk(app, lambda n: found.append(n) if n.getRoleName() == sys.argv[2] and n.name == sys.argv[3] else None)
        if not found or not found[0].queryComponent().grabFocus():
            print("could not focus %s %s" % (sys.argv[2], sys.argv[3]), file=sys.stderr)
            return 1
        return 0

    def show(node):
        try:
            value = "%g" % node.queryValue().currentValue
        except NotImplementedError:
            value = ""
        print("%s|%s|%s|%s" % (node.getRoleName(), node.name, node.description, value))

    walk(app, show)
    return 0


if __name__ == "__main__":
    sys.exit(main())
