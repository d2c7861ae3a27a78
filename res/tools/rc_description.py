#!/usr/bin/env python3
"""rc_description.py RC TEMPLATE OUT [INCLUDE_DIR]...: writes OUT (rc/description.h) from
TEMPLATE with the dialog templates and string table of the resource script RC, for programs
that do not read Windows resources. It reads DIALOGEX templates of CONTROL lines, STRINGTABLEs
and the #defines of the files RC #includes "..."; any other line but the icon, manifest and
version, or a style it does not know, stops the build with the line named."""
import pathlib
import re
import sys

# The rc::Kind of each class, and the styles that make a Button or a Static another kind.
KINDS = dict(Button="pushButton", Static="label", ListBox="listBox", Edit="edit",
             msctls_progress32="progressBar")
TYPES = dict(BS_PUSHBUTTON="pushButton", BS_DEFPUSHBUTTON="pushButton", SS_ICON="icon",
             BS_AUTORADIOBUTTON="radioButton", BS_RADIOBUTTON="radioButton",
             BS_AUTOCHECKBOX="checkBox", BS_CHECKBOX="checkBox", BS_GROUPBOX="groupBox")
# Styles the front ends act on, as rc::Style bits; CONTROL itself adds WS_VISIBLE.
FLAGS = {"WS_GROUP": "group", "WS_TABSTOP": "tabStop", "BS_DEFPUSHBUTTON": "defaultButton",
         "WS_VISIBLE": "visible", "WS_DISABLED": "disabled", "ES_READONLY": "readOnly",
         "SS_RIGHT": "alignRight", "ES_RIGHT": "alignRight", "BS_RIGHT": "alignRight",
         "SS_CENTER": "alignCenter", "ES_CENTER": "alignCenter", "BS_CENTER": "alignCenter"}
# Styles that change nothing the Qt windows show or do.
PLAIN = set("WS_CHILD WS_BORDER WS_VSCROLL WS_HSCROLL SS_LEFT SS_NOPREFIX SS_LEFTNOWORDWRAP "
            "ES_LEFT ES_AUTOHSCROLL LBS_NOTIFY LBS_NOINTEGRALHEIGHT LBS_HASSTRINGS PBS_SMOOTH "
            "BS_LEFT BS_VCENTER LBS_OWNERDRAWFIXED SS_ENDELLIPSIS SS_PATHELLIPSIS".split())
CLASS_OF = dict(BS="Button", SS="Static", ES="Edit", LBS="ListBox", PBS="msctls_progress32")
TOKEN = re.compile(r'//.*|("(?:[^"]|"")*"|[-\w]+|[,|])')
ESCAPES = {"n": "\n", "t": "\t", "\\": "\\"}
defines = {"IDOK": "1", "IDCANCEL": "2"}  # windows.h's
where = ""

def fail(why):  # names the line being read
    sys.exit(f"{where}: {why}")

def fields(text):
    """The comma-separated fields of a statement, each a list of tokens."""
    if rest := TOKEN.sub("", text).strip():
        fail(f"cannot read {rest!r}")
    result = [[]]
    for token in TOKEN.findall(text):
        result.append([]) if token == "," else result[-1].append(token) if token else None
    return result

def value(field, kind=(int, str)):
    """The one number or string of a field, through the #define'd names."""
    token = field[0] if len(field) == 1 else fail(f"not one value: {' '.join(field)}")
    for _ in range(9):
        if token in defines:
            token = defines[token]
    if token.startswith('"'):
        result = re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1)) or fail(f"escape {m[0]}"),
                        token[1:-1].replace('""', '"'))
    elif re.fullmatch(r"-?(0x[0-9a-fA-F]+|\d+)", token):
        result = int(token, 0)
    else:
        fail(f"unknown name {token}")
    return result if isinstance(result, kind) else fail(f"{token} is no {kind.__name__}")

def control(line):
    """CONTROL text, id, class, style, x, y, width, height[, extended style]."""
    f = fields(line)
    if len(f) not in (8, 9) or (cls := value(f[2], str)) not in KINDS:
        fail("a CONTROL is: text, id, known class, style, x, y, width, height")
    kind, flags, negate = KINDS[cls], {"visible"}, False
    for token in f[3]:
        if token in ("|", "NOT"):
            negate = token == "NOT"
            continue
        if token.split("_")[0] != "WS" and CLASS_OF.get(token.split("_")[0]) != cls or \
                not (token in FLAGS or token in TYPES or token in PLAIN):
            fail(f"unknown style {token} for {cls}")
        kind = TYPES.get(token, kind)
        if token in FLAGS:
            (flags.discard if negate else flags.add)(FLAGS[token])
        negate = False
    flags = flags - {"visible"} if "visible" in flags else flags | {"hidden"}
    text = "" if kind == "icon" else value(f[0], str)  # an icon's is a resource name
    return [str(value(f[1], int)), literal(cls), "Kind::" + kind, literal(text),
            " | ".join(sorted(flags)) or "0", *(str(value(x, int)) for x in f[4:8])]

def read(rc, include_dirs):
    global where
    dialogs, strings, block, depth = [], {}, None, 0
    for number, line in enumerate(rc.read_text(encoding="utf-8").splitlines(), 1):
        where, line = f"{rc}:{number}", line.strip()
        word, rest = (line.split(None, 1) + [""])[:2] if line else ("", "")
        if block == "version":  # skipped up to its own END
            depth += (word == "BEGIN") - (word == "END")
            block = None if depth == 0 and word == "END" else block
        elif not line or line.startswith("//") or word in ("LANGUAGE", "#pragma") or \
                re.fullmatch(r'#include\s+<\w+\.h>|\w+\s+(ICON|RT_MANIFEST)\s+"[^"]+"', line):
            pass
        elif m := re.fullmatch(r'#include\s+"([^"]+)"', line):
            found = [d / m[1] for d in include_dirs if (d / m[1]).is_file()] or fail("not found")
            defines.update(re.findall(r"^\s*#define\s+(\w+)\s+(.+?)\s*(?://.*)?$",
                                      found[0].read_text(encoding="utf-8"), re.M))
        elif block is None and re.fullmatch(r"\w+\s+VERSIONINFO", line):
            block = "version"
        elif (block, line) in (("dialog", "BEGIN"), ("strings", "BEGIN"), ("controls", "END"),
                               ("table", "END")):
            block = {"dialog": "controls", "strings": "table"}.get(block)
        elif block is None and word == "STRINGTABLE":
            block = "strings"
        elif block == "table":
            f = fields(line)
            if f[0][1:]:  # ID "text", no comma
                f = [f[0][:1], f[0][1:]] + f[1:]
            if len(f) != 2 or value(f[0], int) in strings:
                fail("a string is: ID \"text\", once per ID")
            strings[value(f[0], int)] = value(f[1], str)
        elif block is None and (m := re.fullmatch(r"(\w+)\s+DIALOGEX\s+(.+)", line)):
            rect = [value(x, int) for x in fields(m[2])]
            if len(rect) not in (4, 5):
                fail("a template is: ID DIALOGEX x, y, width, height")
            dialogs.append([value([m[1]], int), "", 9, *rect[2:4], []])
            block = "dialog"
        elif block == "dialog" and word in ("STYLE", "EXSTYLE"):
            if not re.fullmatch(r"(NOT\s+)?(DS|WS)_\w+(\s*\|\s*(NOT\s+)?(DS|WS)_\w+)*", rest):
                fail(f"unknown dialog style {rest}")
        elif block == "dialog" and word in ("CAPTION", "FONT"):
            dialogs[-1][1 if word == "CAPTION" else 2] = value(fields(rest)[0])
        elif block == "controls" and word == "CONTROL":
            dialogs[-1][-1].append(control(rest))
        else:
            fail("not understood (controls are written as CONTROL lines)")
    where = rc
    return dialogs, strings if block is None else fail("ends inside a block")

def literal(v):
    special = {"\\": "\\\\", '"': '\\"', "\n": "\\n", "\t": "\\t"}
    return str(v) if isinstance(v, int) else '"' + "".join(special.get(c, c) for c in v) + '"'

def main():
    rc, template, out, *includes = (pathlib.Path(a) for a in sys.argv[1:])
    dialogs, strings = read(rc, [rc.parent, *includes])
    tables = [f"inline constexpr Control controls{d[0]}[] = {{\n" +
              "".join(f"    {{{', '.join(c)}}},\n" for c in d[-1]) + "};" if d[-1] else
              f"inline constexpr std::span<const Control> controls{d[0]};" for d in dialogs]
    tables.append("inline constexpr Dialog dialogs[] = {\n" + "".join(
        f"    {{{', '.join(map(literal, d[:5]))}, controls{d[0]}}},\n" for d in dialogs) + "};")
    tables.append("inline constexpr String strings[] = {\n" + "".join(
        f"    {{{k}, {literal(v)}}},\n" for k, v in strings.items()) + "};")
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_text(template.read_text(encoding="utf-8").replace("@TABLES@", "\n\n".join(tables)),
                   encoding="utf-8")

main()
