#!/usr/bin/python3
"""Prints the accessible tree of the running player as a screen reader sees it.

One line per object, fields separated by tabs:
depth, role, name, description, value, minimum, maximum, value text, states.
Exits with 2 when the player is not (yet) on the accessibility bus.
"""
import sys

import pyatspi

STATES = {pyatspi.STATE_SHOWING: "showing", pyatspi.STATE_FOCUSED: "focused",
          pyatspi.STATE_CHECKED: "checked", pyatspi.STATE_SELECTED: "selected"}
MAX_CHILDREN = 20


def clean(text):
    return (text or "").replace("\t", " ").replace("\n", " ")


def line(node, depth):
    fields = [str(depth), node.getRoleName(), clean(node.name), clean(node.description)]
    try:
        value = node.queryValue()
        fields += ["%g" % value.currentValue, "%g" % value.minimumValue,
                   "%g" % value.maximumValue, clean(getattr(value, "text", "") or "")]
    except NotImplementedError:
        fields += ["", "", "", ""]
    states = node.getState()
    fields.append(",".join(word for state, word in STATES.items() if states.contains(state)))
    return "\t".join(fields)


def walk(node, depth, out):
    out.append(line(node, depth))
    for index in range(min(node.childCount, MAX_CHILDREN)):
        child = node.getChildAtIndex(index)
        if child is not None:
            walk(child, depth + 1, out)


def main():
    # The tree goes to a file: the reader's standard output is not kept.
    target = sys.argv[1]
    name = sys.argv[2] if len(sys.argv) > 2 else "kelto-player"
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == name and app.childCount > 0:
            out = []
            for index in range(app.childCount):
                walk(app.getChildAtIndex(index), 0, out)
            with open(target, "w", encoding="utf-8") as tree:
                tree.write("\n".join(out) + "\n")
            return 0
    return 2


if __name__ == "__main__":
    sys.exit(main())
