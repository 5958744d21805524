#!/usr/bin/env python3
"""Draws the program's icon set into data/icons/ (run again after changing a row).

One style for all: a 16 px grid, two stroke widths (1 for outlines, 2 for the marks that carry the
meaning), ink for outlines and one accent colour. Outlines of width 1 sit on half pixels and marks
of width 2 on whole pixels, so the drawings are crisp at 16 px and at 200 %."""
import os
import sys

INK = "#3a3f44"
ACCENT = "#1f6fd1"
PAPER = "#ffffff"

# Shapes: ("o", d) ink outline 1 px, ("m", d) accent mark 2 px, ("k", d) ink mark 2 px,
# ("a", d) accent outline 1 px, ("f", d) accent fill, ("p", d) paper-filled ink outline,
# ("t", x, y, text) small ink text (only where letters are the meaning).
PAGE = ("p", "M3.5 1.5h6l3 3v10h-9z")
FOLD = ("o", "M9.5 1.5v3h3")


def page(*marks):
    return [PAGE, FOLD, *marks]


ICONS = {
    # File types (tabs, New menu, tool button)
    "filetype-html": page(("m", "M7 7l-2 2.5 2 2.5M9 7l2 2.5-2 2.5")),
    "filetype-css": page(("m", "M7 6.5c-1 0-1 .5-1 1.5s0 1.5-1 1.5c1 0 1 .5 1 1.5s0 1.5 1 1.5"
                               "M9 6.5c1 0 1 .5 1 1.5s0 1.5 1 1.5c-1 0-1 .5-1 1.5s0 1.5-1 1.5")),
    "filetype-js": page(("m", "M7 6.5c-1.5 1.5-1.5 5 0 6.5M9 6.5c1.5 1.5 1.5 5 0 6.5")),
    "filetype-php": page(("m", "M6 7.5c0-1 1-1.5 2-1.5s2 .5 2 1.5-1 1.5-2 2V11M8 12v1")),
    "filetype-vbs": page(("m", "M6 7l2 5 2-5")),
    "filetype-perl": page(("m", "M10 7.5c0-.7-1-1-2-1s-2 .3-2 1.2 1 1 2 1.3 2 .5 2 1.3-1 1.2-2 1.2-2-.3-2-1M8 5.5v8")),
    "filetype-text": page(("k", "M5 7h6M5 10h6M5 13h4")),
    "filetype-none": page(),
    # Standard actions (bundled stand-ins for the desktop theme)
    "document-new": page(("m", "M11 9v6M8 12h6")),
    "document-open": [("p", "M1.5 3.5h5l1.5 1.5h6.5v8.5h-13z"), ("f", "M1.5 13.5l2.5-6h11.5l-2.5 6z")],
    "document-save": [("p", "M2.5 2.5h9l2 2v9h-11z"), ("o", "M5.5 2.5v3h5v-3"), ("f", "M5 9h6v4.5H5z")],
    "document-save-all": [("p", "M4.5 0.5h9l2 2v9h-2"), ("p", "M1.5 4.5h9l2 2v9h-11z"), ("o", "M4.5 4.5v3h4v-3"),
                          ("f", "M4 11h5v4.5H4z")],
    "document-close": [("k", "M4 4l8 8M12 4l-8 8")],
    "window-close": [("k", "M4 4l8 8M12 4l-8 8")],
    "edit-undo": [("m", "M5 3L2 6l3 3"), ("k", "M2 6h7.5a3.5 3.5 0 0 1 0 7H6")],
    "edit-redo": [("m", "M11 3l3 3-3 3"), ("k", "M14 6H6.5a3.5 3.5 0 0 0 0 7H10")],
    "edit-cut": [("o", "M4.5 10a2 2 0 1 0 0.01 0zM11.5 10a2 2 0 1 0 0.01 0z"), ("k", "M5.5 10.5L11 1.5M10.5 10.5L5 1.5")],
    "edit-copy": [("p", "M1.5 1.5h8v10h-8z"), ("p", "M5.5 4.5h8v10h-8z"), ("m", "M7.5 8h4M7.5 11h4")],
    "edit-paste": [("p", "M2.5 2.5h9v12h-9z"), ("f", "M5 1h4v3H5z"), ("p", "M7.5 6.5h7v8h-7z"), ("m", "M9 10h4")],
    "edit-find": [("o", "M6.5 2.5a4 4 0 1 0 0.01 0z"), ("m", "M9.5 9.5L14 14")],
    "edit-find-replace": [("o", "M5.5 1.5a3.5 3.5 0 1 0 0.01 0z"), ("k", "M8 8l2.5 2.5"),
                          ("m", "M9 14h5M12 11.5l2 2.5-2 2.5")],
    "edit-find-next": [("o", "M5.5 1.5a3.5 3.5 0 1 0 0.01 0z"), ("k", "M8 8l2.5 2.5"), ("m", "M13 7v7M10.5 11.5l2.5 2.5 2.5-2.5")],
    "document-print": [("p", "M4.5 1.5h7v4h-7z"), ("p", "M1.5 5.5h13v6h-13z"), ("p", "M4.5 9.5h7v5h-7z"), ("m", "M11 7.5h2")],
    "document-print-preview": [PAGE, FOLD, ("o", "M7.5 6.5a2.5 2.5 0 1 0 0.01 0z"), ("m", "M9.5 10.5l4 4")],
    "preferences-system": [("o", "M8 4.5a3.5 3.5 0 1 0 0.01 0zM8 6.5a1.5 1.5 0 1 0 0.01 0z"),
                           ("k", "M8 1v3M8 12v3M1 8h3M12 8h3M3 3l2 2M11 11l2 2M13 3l-2 2M5 11l-2 2")],
    "help-contents": [("o", "M8 1.5a6.5 6.5 0 1 0 0.01 0z"), ("m", "M6 6.5c0-1 1-2 2-2s2 .8 2 1.8-2 1.5-2 3v.5M8 11v2")],
    "help-browser": [("o", "M8 1.5a6.5 6.5 0 1 0 0.01 0z"), ("m", "M6 6.5c0-1 1-2 2-2s2 .8 2 1.8-2 1.5-2 3v.5M8 11v2")],
    "application-exit": [("p", "M2.5 1.5h7v13h-7z"), ("o", "M7.5 8h.01"), ("m", "M9 8h6M12.5 5.5L15 8l-2.5 2.5")],
    # Insert commands
    "format-text-bold": [("k", "M4 2h4.5a3 3 0 0 1 0 6H4zM4 8h5a3 3 0 0 1 0 6H4z")],
    "format-text-italic": [("k", "M7 2h6M3 14h6M10 2L6 14")],
    "format-text-underline": [("k", "M4.5 1v6a3.5 3.5 0 0 0 7 0V1"), ("m", "M3 15h10")],
    "insert-heading": [("k", "M2 2v12M9 2v12M2 8h7"), ("m", "M12 7l2-1v8")],
    "insert-paragraph": [("k", "M8 14V2h5M11 2v12"), ("f", "M8 2a3.5 3.5 0 0 0 0 7z")],
    "insert-line-break": [("k", "M13 2v5a3 3 0 0 1-3 3H3"), ("m", "M6 7l-3 3 3 3")],
    "insert-nbsp": [("k", "M2 9v3h12V9"), ("m", "M6 6l2-2 2 2")],
    "insert-comment": [("p", "M1.5 2.5h13v8h-7l-3 3v-3h-3z"), ("m", "M4.5 6.5h.01M8 6.5h.01M11.5 6.5h.01")],
    "insert-link": [("k", "M7 9.5l-1.5 1.5a2.5 2.5 0 0 1-3.5-3.5L4.5 5"), ("k", "M9 6.5l1.5-1.5a2.5 2.5 0 0 1 3.5 3.5L11.5 11"),
                    ("m", "M6 10l4-4")],
    "insert-anchor": [("o", "M8 1.5a1.5 1.5 0 1 0 0.01 0z"), ("k", "M8 4v10M5 6h6"), ("m", "M2.5 9.5a5.5 5 0 0 0 11 0")],
    "insert-image": [("p", "M1.5 2.5h13v11h-13z"), ("f", "M2 13l4-5 3 3.5 2-2 3 3.5z"), ("o", "M11.5 4.5a1 1 0 1 0 0.01 0z")],
    "insert-image-map": [("p", "M1.5 2.5h13v11h-13z"), ("f", "M2 13l4-5 3 3.5 2-2 3 3.5z"), ("k", "M9 3v3h5")],
    "insert-table": [("p", "M1.5 2.5h13v11h-13z"), ("f", "M2 3h12v3H2z"), ("o", "M1.5 6.5h13M1.5 10h13M6 2.5v11M10.5 2.5v11")],
    "insert-table-row": [("o", "M1.5 2.5h13v11h-13zM1.5 10h13M6 2.5v11M10.5 2.5v11"), ("f", "M2 6.5h12v3H2z")],
    "insert-table-cell": [("o", "M1.5 2.5h13v11h-13zM1.5 6.5h13M1.5 10h13M6 2.5v11M10.5 2.5v11"), ("f", "M6.5 7h3.5v2.5H6.5z")],
    "format-list-unordered": [("f", "M2 2.5h2.5v2.5H2zM2 7h2.5v2.5H2zM2 11.5h2.5v2.5H2z"), ("k", "M7 4h7M7 8.5h7M7 13h7")],
    "format-list-ordered": [("m", "M2 2l1.5-.5V6M1.5 9.5c0-1 2.5-1 2.5 0s-2.5 2-2.5 3.5h2.5"), ("k", "M7 4h7M7 8.5h7M7 13h7")],
    "insert-list-item": [("f", "M2 6.5h3v3H2z"), ("k", "M7 8h7"), ("o", "M6.5 3.5h8M6.5 12.5h8")],
    "insert-color": [("o", "M8 1.5a6.5 6 0 1 0 0 12c1 0 1.5-.5 1.5-1.5s-1-1.5 0-2.5 2.5 0 3.5-.5 1.5-1.5 1.5-2C14.5 4 11.5 1.5 8 1.5z"),
                     ("f", "M4.5 6a1 1 0 1 0 .01 0zM7.5 3.5a1 1 0 1 0 .01 0zM10.5 4.5a1 1 0 1 0 .01 0zM5 9.5a1 1 0 1 0 .01 0z")],
    "insert-form": [("p", "M1.5 1.5h13v13h-13z"), ("o", "M3.5 4.5h9v2h-9zM3.5 8.5h9v2h-9z"), ("f", "M9 12h4v2H9z")],
    "insert-input": [("p", "M1.5 4.5h13v7h-13z"), ("m", "M5 6v4M4 6h2M4 10h2")],
    "insert-horizontal-rule": [("o", "M2.5 3.5h11M2.5 12.5h11"), ("m", "M1 8h14")],
    "insert-div": [("o", "M1.5 1.5h13v13h-13z"), ("f", "M4 4h8v3H4z"), ("a", "M4.5 9.5h7v3h-7z")],
    "insert-css-rule": [("m", "M5 2c-2 0-2 1-2 3s0 3-1.5 3C3 8 3 9 3 11s0 3 2 3M11 2c2 0 2 1 2 3s0 3 1.5 3c-1.5 0-1.5 1-1.5 3s0 3-2 3"),
                        ("k", "M6.5 6h3M6.5 10h3")],
    "insert-style-link": [PAGE, FOLD, ("m", "M6.5 7c-1 0-1 .5-1 1.5s0 1.5-1 1.5c1 0 1 .5 1 1.5s0 1.5 1 1.5"),
                          ("k", "M8.5 10h2")],
    "insert-script": [("p", "M1.5 2.5h13v11h-13z"), ("o", "M1.5 5h13"), ("m", "M4 8l2 1.5L4 11M8 11h4")],
}


def shape(s):
    kind = s[0]
    d = s[1]
    if kind == "o":
        return f'<path d="{d}" fill="none" stroke="{INK}" stroke-width="1" stroke-linejoin="round"/>'
    if kind == "a":
        return f'<path d="{d}" fill="none" stroke="{ACCENT}" stroke-width="1" stroke-linejoin="round"/>'
    if kind == "p":
        return f'<path d="{d}" fill="{PAPER}" stroke="{INK}" stroke-width="1" stroke-linejoin="round"/>'
    if kind == "m":
        return (f'<path d="{d}" fill="none" stroke="{ACCENT}" stroke-width="2" stroke-linecap="round"'
                f' stroke-linejoin="round"/>')
    if kind == "k":
        return (f'<path d="{d}" fill="none" stroke="{INK}" stroke-width="2" stroke-linecap="round"'
                f' stroke-linejoin="round"/>')
    if kind == "f":
        return f'<path d="{d}" fill="{ACCENT}"/>'
    raise ValueError(kind)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "icons")
    os.makedirs(out, exist_ok=True)
    for name, shapes in ICONS.items():
        body = "".join(shape(s) for s in shapes)
        svg = f'<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">{body}</svg>\n'
        with open(os.path.join(out, name + ".svg"), "w", encoding="ascii") as f:
            f.write(svg)
    print(f"{len(ICONS)} icons written to {os.path.normpath(out)}")


if __name__ == "__main__":
    main()
