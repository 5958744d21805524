#!/usr/bin/env python3
"""Writes a PO template of the texts that sit in tables rather than in _() calls:

- command rows {"ActionName", "&Caption", ...} (also pmi/itm/tb... names),
- the insert-command catalogue's row builders (captions, prompts, titles, labels, submenu
  paths and categories),
- the file-type descriptions,
- file filters "Description|*.ext|..." (their descriptions),
- N_("...") marks are left to xgettext.

Usage: extract-tables.py SRC_DIR OUTPUT.pot
"""
import os
import re
import sys

STRING = r'"(?:[^"\\\n]|\\.)*"'
ROW_RE = re.compile(r'\{\s*"((?:Action|pmi|itm|tb|btn|mi|ts|pc|cb)\w*)"\s*,\s*(' + STRING + r'(?:\s*' + STRING + r')*)')
LIT_RE = re.compile(STRING)
FILTER_RE = re.compile(r'^[^|*]+\|\*[^|]*(\|[^|*]+\|\*[^|]*)*$')

# Builder name -> positions (from 0) of its translatable arguments in CommandCatalogue.cpp.
BUILDERS = {
    "Inline": [3], "Block": [3], "Put": [3], "PutLine": [3], "Code": [3], "Lines": [3],
    "Special": [3], "External": [3],
    "Ask": [3, 4, 8], "Color": [3, 4, 8], "Option": [3, 4, 7],
    "Input": [3, 4, 5], "InputLine": [3, 4, 5], "TwoInputs": [3, 4, 5, 6],
    "Container": [3, 4, 5], "Link": [3, 4],
}


def unquote(lits):
    """The C++ value of adjacent string literals."""
    out = ""
    for lit in LIT_RE.findall(lits):
        out += bytes(lit[1:-1], "utf-8").decode("unicode_escape").encode("latin-1").decode("utf-8")
    return out


def po_quote(s):
    s = s.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n").replace("\r", "\\r").replace("\t", "\\t")
    return '"' + s + '"'


def tokens(text):
    """C++ tokens: string literals (adjacent ones merged), identifiers, single characters."""
    text = re.sub(r'//[^\n]*', ' ', text)
    text = re.sub(r'/\*.*?\*/', ' ', text, flags=re.S)
    toks = []
    for m in re.finditer(r'(' + STRING + r')|([A-Za-z_]\w*)|(\S)', text):
        if m.group(1):
            if toks and toks[-1][0] == "str":
                toks[-1] = ("str", toks[-1][1] + m.group(1))
            else:
                toks.append(("str", m.group(1)))
        elif m.group(2):
            toks.append(("id", m.group(2)))
        else:
            toks.append(("ch", m.group(3)))
    return toks


def call_args(toks, i):
    """Arguments of the call whose '(' is at toks[i]: a list of token lists; and the index after ')'."""
    depth, args, cur = 0, [], []
    j = i
    while j < len(toks):
        kind, val = toks[j]
        if kind == "ch" and val in "([{":
            depth += 1
            if depth > 1:
                cur.append(toks[j])
        elif kind == "ch" and val in ")]}":
            depth -= 1
            if depth == 0:
                args.append(cur)
                return args, j + 1
            cur.append(toks[j])
        elif kind == "ch" and val == "," and depth == 1:
            args.append(cur)
            cur = []
        else:
            cur.append(toks[j])
        j += 1
    return args, j


# Object names and icon names of the theme are no texts.
NAME_RE = re.compile(r'^((Action|pmi|itm|tb|btn)\w+|[a-z]+(-[a-z]+)+)$')


def add(msgs, text, where):
    if text and any(c.isalpha() for c in text) and not NAME_RE.match(text):
        msgs.setdefault(text, set()).add(where)


def add_filter(msgs, value, where):
    if FILTER_RE.match(value):
        for desc in value.split("|")[0::2]:
            add(msgs, desc, where)
        return True
    return False


FUNC_RE = re.compile(r'\b(\w+)\s*(?:=\s*\[[^\]]*\]\s*)?\(([^()]*)\)\s*(?:const\s*)?(?:->[^{;]*)?\{')
PARAM_RE = re.compile(r'const\s+char\s*\*\s*(?:const\s+)?(\w+)\s*$')
ARRAY_RE = re.compile(r'const\s+char\s*\*\s*(?:const\s+)?\w+\s*\[\s*\w*\s*\]\s*=\s*\{([^{}]*)\}')
TEXTY_RE = re.compile(r'^&?[A-Z][A-Za-z .,:()&-]*$')
HINT_RE = re.compile(r'\{\s*"(?:Action|pmi|itm)\w*"\s*,\s*' + STRING + r'\s*,\s*(' + STRING + r')')


def translating_helpers(text):
    """Functions and lambdas of a file that pass a const char * parameter through _():
    name -> positions of those parameters."""
    helpers = {}
    for m in FUNC_RE.finditer(text):
        params = [p.strip() for p in m.group(2).split(",")] if m.group(2).strip() else []
        # The body: up to the brace that closes the one the match ends with.
        depth, j = 1, m.end()
        while j < len(text) and depth:
            depth += {"{": 1, "}": -1}.get(text[j], 0)
            j += 1
        body = text[m.end():j]
        pos = []
        for k, p in enumerate(params):
            pm = PARAM_RE.search(p)
            if pm and re.search(r'\b(?:_|Tr|Translate)\(\s*' + pm.group(1) + r'\s*\)', body):
                pos.append(k)
        if pos:
            helpers[m.group(1)] = pos
    return helpers


def scan(path, rel, msgs):
    text = open(path, encoding="utf-8", errors="replace").read()
    for m in ROW_RE.finditer(text):
        add(msgs, unquote(m.group(2)), rel)
    # {"ActionX", "Caption", "Hint", ...}: the hint too.
    for m in HINT_RE.finditer(text):
        add(msgs, unquote(m.group(1)), rel)
    # Arrays of interface texts (tool pages, dialog captions): every element reads as a text.
    for m in ARRAY_RE.finditer(text):
        lits = [unquote(l) for l in LIT_RE.findall(m.group(1))]
        if lits and all(TEXTY_RE.match(l) for l in lits) and re.sub(STRING, '', m.group(1)).strip(' ,\n') == '':
            for l in lits:
                add(msgs, l, rel)
    helpers = translating_helpers(text)
    if helpers:
        toks = tokens(text)
        for i in range(1, len(toks) - 1):
            if toks[i][0] == "id" and toks[i][1] in helpers and toks[i + 1] == ("ch", "(") \
                    and toks[i - 1] not in (("ch", "*"),):
                args, _ = call_args(toks, i + 1)
                for k in helpers[toks[i][1]]:
                    if k < len(args) and len(args[k]) == 1 and args[k][0][0] == "str":
                        add(msgs, unquote(args[k][0][1]), rel)
    for lit in LIT_RE.findall(text):
        try:
            add_filter(msgs, unquote(lit), rel)
        except UnicodeDecodeError:
            pass
    base = os.path.basename(path)
    if base == "Types.cpp":
        # {"HTML", "HTML document", "html,htm,htt", ...}: the description.
        for m in re.finditer(r'\{\s*"[A-Za-z]+"\s*,\s*(' + STRING + ')', text):
            add(msgs, unquote(m.group(1)), rel)
    if base == "CommandCatalogue.cpp":
        toks = tokens(text)
        consts = {}
        for i in range(len(toks) - 3):
            # constexpr const char *G = "Global", ...: categories and filters.
            if toks[i][0] == "id" and toks[i + 1] == ("ch", "=") and toks[i + 2][0] == "str":
                consts[toks[i][1]] = unquote(toks[i + 2][1])
        for name, value in consts.items():
            if not add_filter(msgs, value, rel) and len(name) <= 2:
                add(msgs, value, rel)
        for i in range(len(toks) - 1):
            kind, val = toks[i]
            if kind != "id" or toks[i + 1] != ("ch", "("):
                continue
            if val in BUILDERS and not (i > 0 and toks[i - 1] == ("id", "R")):
                args, _ = call_args(toks, i + 1)
                for k in BUILDERS[val]:
                    if k < len(args) and len(args[k]) == 1 and args[k][0][0] == "str":
                        add(msgs, unquote(args[k][0][1]), rel)
            elif val == "In" and i > 0 and toks[i - 1] == ("ch", "."):
                args, _ = call_args(toks, i + 1)
                if args and len(args[0]) == 1 and args[0][0][0] == "str":
                    for part in unquote(args[0][0][1]).split("/"):
                        add(msgs, part, rel)


def main():
    src, out = sys.argv[1], sys.argv[2]
    msgs = {}
    for root, _, files in os.walk(src):
        for f in sorted(files):
            if f.endswith((".cpp", ".h")):
                path = os.path.join(root, f)
                scan(path, os.path.relpath(path, os.path.dirname(src.rstrip("/"))), msgs)
    with open(out, "w", encoding="utf-8") as o:
        o.write('msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n\n')
        for text in sorted(msgs):
            o.write("#: " + " ".join(sorted(msgs[text])) + "\n")
            if re.search(r'%[sdu]', text):
                o.write("#, c-format\n")
            o.write("msgid " + po_quote(text) + '\nmsgstr ""\n\n')


main()
