#!/usr/bin/env python3
"""Checks a skin folder against what the program looks up in it.

The expectations (control names and kinds, parameter pages, combo items, layouts, message
texts) are data in tests/pages/expected_controls.txt. Besides those, the checker makes sure
that every skin file stays inside the XML subset that the toolkit's markup reader accepts,
that every image a skin names exists, that control names are unique, and that the group boxes
whose heights the program sets start with a height that fits their visible rows.

Usage: check_skin.py [--skin DIR] [--expect FILE] [--dist DIR]
Exit status 0 when every check passes, 1 otherwise.
"""
import argparse
import os
import re
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)

# Element names of the main window's page container and the files they load.
PAGE_FILES = {
    "ComputerExamine": "ComputerExamine.xml",
    "WorkTab": "WorkTab.xml",
    "Wireless": "Wireless.xml",
    "ServiceCentre": "Service Centre.xml",
    "SerialPort": "Serial port.xml",
    "Modbus": "Custom.xml",
    "Global_Parameter": "Global Parameter.xml",
    "Equipment_Management": "Equipment Management.xml",
}

# Tags the toolkit builds itself (lower case); any other tag is a page.
TOOLKIT_TAGS = {t.lower() for t in (
    "Control Container VerticalLayout HorizontalLayout TileLayout TabLayout AnimationTabLayout "
    "ChildLayout Label Text Button Option CheckBox FadeButton Edit RichEdit Combo ComboBox "
    "GroupBox List ListHeader ListHeaderItem ListLabelElement ListTextElement "
    "ListContainerElement ListEx ListContainerHeaderItem ListTextExtElement TreeView TreeNode "
    "ScrollBar Progress Slider DateTime IPAddress IPAddressEx HotKey GifAnim RollText Ring "
    "ColorPalette ActiveX WebBrowser Flash Menu MenuElement").split()}
RESOURCE_TAGS = {"image", "font", "default", "style", "import"}
CONTAINER_TAGS = {t.lower() for t in (
    "Container VerticalLayout HorizontalLayout TileLayout TabLayout AnimationTabLayout "
    "ChildLayout GroupBox List ListEx ListContainerElement TreeView TreeNode RichEdit Combo "
    "ComboBox ListHeader").split()}
KINDS = {
    "Button": {"button"},
    "Option": {"option"},
    "Combo": {"combo", "combobox"},
    "Combobox": {"combo", "combobox"},
    "Edit": {"edit"},
    "RichEdit": {"richedit"},
    "Label": {"label", "text"},
    "GroupBox": {"groupbox"},
    "TabLayout": {"tablayout", "animationtablayout"},
    "List": {"list", "listex"},
    "Container": CONTAINER_TAGS - {"richedit", "combo", "combobox"},
    "Line": CONTAINER_TAGS - {"richedit", "combo", "combobox", "list", "listex"},
    "Any": {"edit", "combo", "combobox"},
}
ITEM_TAGS = {"listlabelelement", "listtextelement"}
ENTITIES = {"amp", "lt", "gt", "quot", "apos"}
ROW_H = 25
GROUP_BASE = 60


class Node:
    """One element of a built skin tree."""

    def __init__(self, elem, file, parent=None):
        self.tag = elem.tag
        self.lower = elem.tag.lower()
        self.attrs = dict(elem.attrib)
        self.file = file
        self.parent = parent
        self.children = []
        self.page = None  # index of the page the control lives on, None outside the pages

    def name(self):
        return self.attrs.get("name", "")

    def get(self, key, default=None):
        for k, v in self.attrs.items():
            if k.lower() == key:
                return v
        return default

    def visible(self):
        return self.get("visible", "true").lower() == "true"

    def walk(self):
        yield self
        for c in self.children:
            yield from c.walk()

    def ancestors(self):
        p = self.parent
        while p is not None:
            yield p
            p = p.parent

    def items(self):
        return [c.get("text", "") for c in self.children if c.lower in ITEM_TAGS]

    def selected(self):
        for i, c in enumerate(c for c in self.children if c.lower in ITEM_TAGS):
            if c.get("selected", "false").lower() == "true":
                return i
        return -1


class Checker:
    def __init__(self, skin, expect, dist, encoding="utf-8", selected=()):
        self.skin = skin
        self.encoding = encoding
        # "name=index": the item a combo of this skin starts on, instead of the expected one.
        self.selected_overrides = dict(s.split("=", 1) for s in selected)
        self.expect = expect
        self.dist = dist
        self.failures = []
        self.checks = 0
        self.notes = []
        self.names = {}  # name -> [Node]
        self.texts = {}  # (section lower, key lower) -> value
        self.row_file = None
        self.list_rows = 0

    # ------------------------------------------------------------------ helpers
    def fail(self, what):
        self.failures.append(what)

    def check(self, ok, what):
        self.checks += 1
        if not ok:
            self.fail(what)
        return ok

    def lint(self, path):
        """The subset of XML the toolkit's reader takes: double-quoted attributes, the five
        named entities only, comments without "->" inside, at most 64 attributes."""
        raw = open(path, "rb").read()
        name = os.path.basename(path)
        if raw.startswith(b"\xef\xbb\xbf"):
            raw = raw[3:]
        try:
            text = raw.decode("utf-8")
        except UnicodeDecodeError as e:
            self.fail(f"{name}: not UTF-8 ({e})")
            return None
        self.checks += 1
        for m in re.finditer(r"<!--(.*?)-->", text, re.S):
            if "->" in m.group(1) or m.group(1).endswith("-"):
                self.fail(f"{name}: a comment holds '->', which ends it early: {m.group(1)[:40]!r}")
        if "<![CDATA[" in text or "<!DOCTYPE" in text:
            self.fail(f"{name}: CDATA or DOCTYPE is not understood by the reader")
        for m in re.finditer(r"&([^;\s<>\"]{0,10});?", text):
            if m.group(1) not in ENTITIES or not m.group(0).endswith(";"):
                self.fail(f"{name}: character reference {m.group(0)!r} is not decoded by the reader")
        for m in re.finditer(r"<([A-Za-z_:][\w:.]*)((?:\s+[^\s=/>]+\s*=\s*(?:\"[^\"]*\"|'[^']*'))*)\s*/?>",
                             text):
            attrs = re.findall(r"[^\s=/>]+\s*=\s*(\"[^\"]*\"|'[^']*')", m.group(2))
            if any(a.startswith("'") for a in attrs):
                self.fail(f"{name}: <{m.group(1)}> has an attribute in single quotes")
            if len(attrs) > 64:
                self.fail(f"{name}: <{m.group(1)}> has {len(attrs)} attributes; only 64 are read")
        try:
            return ET.fromstring(text)
        except ET.ParseError as e:
            self.fail(f"{name}: does not parse: {e}")
            return None

    def build(self, elem, file, parent, page):
        node = Node(elem, file, parent)
        node.page = page
        for child in elem:
            if not isinstance(child.tag, str) or child.tag.lower() in RESOURCE_TAGS:
                continue
            if child.tag.lower() == "include":
                self.include(child, node, page)
                continue
            node.children.append(self.build(child, file, node, page))
        return node

    def include(self, elem, parent, page):
        source = elem.get("source", "")
        count = int(elem.get("count", "1") or "1")
        path = os.path.join(self.skin, source)
        if not self.check(os.path.isfile(path), f"Include names a missing file {source!r}"):
            return
        root = self.lint(path)
        if root is None:
            return
        # the included file's top-level controls (the root's children) join the parent; the
        # rows are stamped out several times, so their names repeat by design
        row = Node(root, source, parent)
        row.children = [self.build(c, source, row, page) for c in root
                        if c.tag.lower() not in RESOURCE_TAGS]
        self.check(len(row.children) > 0, f"{source}: holds no control")
        if source == "CustomListItem.xml":
            self.row_file = row
            self.list_rows += count
            self.check(all(c.lower == "listcontainerelement" for c in row.children),
                       "CustomListItem.xml: a sensor row must be a ListContainerElement")

    def register(self, root):
        for n in root.walk():
            if n.name() and n.file != "CustomListItem.xml":
                self.names.setdefault(n.name(), []).append(n)

    def find(self, name):
        nodes = self.names.get(name, [])
        return nodes[0] if nodes else None

    def need(self, name, kind, where=""):
        n = self.find(name)
        if not self.check(n is not None, f"missing control {name!r}{where}"):
            return None
        if not self.check(n.lower in KINDS[kind], f"control {name!r} is a {n.tag}, expected {kind}"):
            return None
        return n

    def text(self, section, key):
        return self.texts.get((section.lower(), key.lower()))

    def expand(self, item):
        if item.startswith("@"):
            section, key = item[1:].split("/", 1)
            return self.text(section, key)
        return item

    # ------------------------------------------------------------------ loading
    def load(self):
        path = os.path.join(self.skin, "skin.xml")
        if not os.path.isfile(path):
            self.fail("skin.xml is missing")
            return False
        root = self.lint(path)
        if root is None:
            return False
        self.window = root
        self.root = Node(root, "skin.xml")
        self.root.children = []
        for child in root:
            if child.tag.lower() in RESOURCE_TAGS:
                continue
            self.root.children.append(self.build(child, "skin.xml", self.root, None))
        self.register(self.root)
        switch = self.find("switch")
        self.pages = []
        if switch is not None:
            for i, page in enumerate(switch.children):
                if page.lower in TOOLKIT_TAGS:
                    self.pages.append(None)
                    continue
                file = PAGE_FILES.get(page.tag, page.tag + ".xml")
                fpath = os.path.join(self.skin, file)
                if not self.check(os.path.isfile(fpath), f"page {i} ({page.tag}) has no file {file!r}"):
                    self.pages.append(None)
                    continue
                proot = self.lint(fpath)
                if proot is None:
                    self.pages.append(None)
                    continue
                # the builder makes the root's children, keeping only the first for the page
                top = [c for c in proot if c.tag.lower() not in RESOURCE_TAGS]
                if not self.check(len(top) == 1, f"{file}: holds {len(top)} top-level controls; the "
                                  "page keeps only the first, so wrap the page in one layout"):
                    self.pages.append(None)
                    continue
                content = self.build(top[0], file, page, i)
                page.children = [content]
                self.register(content)
                self.pages.append(file)
        self.read_language()
        return True

    def read_language(self):
        path = os.path.join(self.skin, "Language.ini")
        if not self.check(os.path.isfile(path), "Language.ini is missing"):
            return
        section = None
        for raw in open(path, "rb").read().decode(self.encoding, "replace").splitlines():
            line = raw.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].strip().lower()
            elif "=" in line and section is not None:
                key, value = line.split("=", 1)
                value = value.strip()
                if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
                    value = value[1:-1]
                self.texts.setdefault((section, key.strip().lower()), value)

    # ------------------------------------------------------------------ checks
    def run_expectations(self):
        for lineno, raw in enumerate(open(self.expect, encoding="utf-8"), 1):
            line = raw.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            f = line.split("\t")
            op, args = f[0], f[1:]
            handler = getattr(self, "x_" + op, None)
            if handler is None:
                self.fail(f"{os.path.basename(self.expect)}:{lineno}: unknown check {op!r}")
                continue
            handler(*args)

    def x_tab(self, index, place, short):
        index = int(index)
        strip = self.find("HorizontalLayoutUI6")
        p = self.need(place, "Container")
        o = self.need(short, "Option")
        if p is not None and strip is not None:
            self.check(strip in p.ancestors(), f"tab place {place!r} is not in the page strip")
            self.check(p.get("width") is not None, f"tab place {place!r} has no fixed width")
        if p is not None and o is not None:
            self.check(p in o.ancestors(), f"option {short!r} is not inside its tab place {place!r}")
        switch = self.find("switch")
        if switch is not None:
            self.check(index < len(switch.children), f"page container has no page {index}")

    def x_control(self, name, kind):
        self.need(name, kind)

    def x_key(self, name, kind, tab):
        tab = int(tab)
        if kind == "-" or tab == 100:
            return
        n = self.need(name, kind, f" (parameter of page {tab})")
        if n is not None:
            self.check(n.page == tab, f"parameter {name!r} is on page {n.page}, expected page {tab}")

    def combo(self, name):
        n = self.need(name, "Combo")
        return None if n is None else n.items()

    def x_items(self, name, listed):
        items = self.combo(name)
        if items is None:
            return
        want = listed.split("|")
        if not self.check(len(items) == len(want),
                          f"combo {name!r} has {len(items)} items, expected {len(want)}"):
            return
        for i, (have, w) in enumerate(zip(items, want)):
            if w == "*":
                self.check(have != "", f"combo {name!r} item {i} is empty")
                continue
            expected = self.expand(w)
            self.check(expected is not None and have == expected,
                       f"combo {name!r} item {i} is {have!r}, expected {expected!r} ({w})")

    def x_prefix(self, name, listed):
        items = self.combo(name)
        if items is None:
            return
        want = [self.expand(w) for w in listed.split("|")]
        self.check(items[:len(want)] == want, f"combo {name!r} starts {items[:len(want)]}, expected {want}")

    def x_contains(self, name, listed):
        items = self.combo(name)
        if items is None:
            return
        for w in listed.split("|"):
            self.check(self.expand(w) in items, f"combo {name!r} lacks the item {w!r}")

    def x_seq(self, name, first):
        items = self.combo(name)
        if items is None:
            return
        self.check(len(items) > 0, f"combo {name!r} is empty")
        for i, have in enumerate(items):
            self.check(have == str(int(first) + i), f"combo {name!r} item {i} is {have!r}, "
                       f"expected {int(first) + i}")

    def x_count(self, name, n):
        items = self.combo(name)
        if items is not None:
            self.check(len(items) == int(n), f"combo {name!r} has {len(items)} items, expected {n}")

    def x_mincount(self, name, n):
        items = self.combo(name)
        if items is not None:
            self.check(len(items) >= int(n), f"combo {name!r} has {len(items)} items, expected at least {n}")
            self.check(all(items) and len(set(items)) == len(items),
                       f"combo {name!r} has an empty or repeated item: {items}")

    def x_numeric(self, name):
        items = self.combo(name)
        if items is not None:
            self.check(bool(items) and all(i.isdigit() and int(i) > 0 for i in items),
                       f"combo {name!r} has an item that is not a positive number: {items}")

    def x_numericauto(self, name):
        items = self.combo(name)
        if items is not None:
            self.check(len(items) >= 2 and all(i.isdigit() and int(i) > 0 for i in items[:-1])
                       and not items[-1].isdigit(),
                       f"combo {name!r} should offer positive numbers, then the automatic choice: {items}")

    def x_linecode(self, name):
        items = self.combo(name)
        if items is not None:
            self.check(bool(items) and all(re.fullmatch(r"[5-8][NEOMS][12]", i) for i in items),
                       f"combo {name!r} has an item that is not a line code like 8N1: {items}")

    def x_selected(self, name, index):
        index = self.selected_overrides.get(name, index)
        n = self.need(name, "Combo")
        if n is not None:
            self.check(n.selected() == int(index), f"combo {name!r} starts on item {n.selected()}, "
                       f"expected {index}")

    def x_layout(self, name, keys=""):
        n = self.need(name, "Container")
        if n is None:
            return
        for key in filter(None, keys.split("|")):
            k = self.find(key)
            if self.check(k is not None, f"layout {name!r}: missing control {key!r}"):
                self.check(n in k.ancestors(), f"control {key!r} is not inside layout {name!r}")

    def x_switch(self, name, container):
        n = self.need(name, "Button")
        c = self.need(container, "Line")
        if n is None or c is None:
            return
        self.check(c in n.ancestors(), f"switch {name!r} is not inside {container!r}")
        image = n.get("bkimage", "")
        if not self.check("enable" in image or "disable" in image,
                          f"switch {name!r}: its background image names neither 'enable' nor 'disable'"):
            return
        other = image.replace("disable", "enable") if "disable" in image else image.replace("enable", "disable")
        for value in (image, other):
            for f in image_files(value):
                self.check(os.path.isfile(os.path.join(self.skin, f)),
                           f"switch {name!r}: image {f!r} is missing")

    def x_text(self, section, key):
        value = self.text(section, key)
        if self.check(value is not None, f"Language.ini: [{section}] {key} is missing"):
            self.check(value != "", f"Language.ini: [{section}] {key} is empty")
            size = len(value.encode(self.encoding, "replace"))
            self.check(size < 200, f"Language.ini: [{section}] {key} is longer than 199 bytes")
            if (section, key) == ("InitValue", "Text"):
                self.check(size + 2 <= 99, "Language.ini: [InitValue] Text is longer than the "
                           "97 characters the help fallback holds with its line end")

    def x_rowfield(self, name, kind):
        if not self.check(self.row_file is not None, "the sensor list includes no CustomListItem.xml"):
            return
        found = [n for n in self.row_file.walk() if n.name() == name]
        if self.check(len(found) == 1, f"CustomListItem.xml: {len(found)} controls named {name!r}"):
            self.check(found[0].lower in KINDS[kind],
                       f"CustomListItem.xml: {name!r} is a {found[0].tag}, expected {kind}")

    def x_initial(self, name, text):
        n = self.find(name)
        if self.check(n is not None, f"missing control {name!r}"):
            want = self.expand(text)
            self.check(n.get("text", "") == want, f"control {name!r} starts with the text "
                       f"{n.get('text', '')!r}, expected {want!r}")

    def x_fit(self, group, height, states=""):
        g = self.need(group, "GroupBox")
        if g is None:
            return
        saved = []
        for pair in filter(None, states.split("|")):
            name, state = pair.rsplit("=", 1)
            n = self.find(name)
            if not self.check(n is not None, f"fit {group!r}: missing layout {name!r}"):
                continue
            saved.append((n, n.attrs.get("visible")))
            n.attrs["visible"] = "true" if state == "1" else "false"
        rows = count_rows(g)
        if self.check(rows is not None, f"group box {group!r} holds something other than rows"):
            fill = GROUP_BASE + ROW_H * (rows - 1) if rows else GROUP_BASE
            self.check(fill == int(height), f"group box {group!r} at height {height} with {states}: "
                       f"its {rows} visible rows need {fill}")
        for n, old in saved:
            if old is None:
                del n.attrs["visible"]
            else:
                n.attrs["visible"] = old

    # ------------------------------------------------------------------ structure
    def structure(self):
        for name, nodes in self.names.items():
            self.check(len(nodes) == 1, f"control name {name!r} is used {len(nodes)} times "
                       f"({', '.join(sorted({n.file for n in nodes}))})")
        switch = self.find("switch")
        if switch is not None:
            self.check(len(switch.children) == 12, f"the page container holds {len(switch.children)} "
                       "pages, expected 12")
        # every option raises "selectchanged", which selects a page by the option's name
        shorts = {l.rstrip("\r\n").split("\t")[3] for l in open(self.expect, encoding="utf-8") if l.startswith("tab\t")}
        for n in self.root.walk():
            if n.lower in ("option", "checkbox"):
                self.check(n.name() in shorts, f"option {n.name()!r} would switch pages; only the tab "
                           "options may be options")
        strip = self.find("HorizontalLayoutUI6")
        if strip is not None and strip.get("width"):
            places = [int(c.get("width", "0")) for c in strip.children]
            if sum(places) > int(strip.get("width")):
                self.notes.append(f"the tab places need {sum(places)} px, the strip offers "
                                  f"{strip.get('width')}: the arrows scroll it")
        self.check(self.list_rows > 0, "the sensor list has no rows")
        # no field in the caption area: clicks there start a window drag
        caption = self.window.get("caption", "0,0,0,0").split(",")
        bottom = int(caption[3]) if len(caption) == 4 else 0
        if self.root.children and bottom:
            bar = self.root.children[0].children[0] if self.root.children[0].children else None
            if bar is not None and bar.get("height") and int(bar.get("height")) <= bottom:
                for n in bar.walk():
                    self.check(n.lower not in ("combo", "combobox", "edit", "richedit", "list"),
                               f"{n.tag} {n.name()!r} sits in the caption area and cannot be used")
        self.check(self.window.get("size") == "1400,800", "the window size is not 1400,800")

    def group_heights(self):
        """A group box whose height the layout rules set starts with the height of its visible
        rows: 60 for the title and the first row, 25 for each further row."""
        for nodes in self.names.values():
            g = nodes[0]
            if g.lower != "groupbox" or g.page is None or g.get("height") is None:
                continue
            rows = count_rows(g)
            if rows is None:
                continue
            want = GROUP_BASE + ROW_H * (rows - 1) if rows else GROUP_BASE
            self.check(int(g.get("height")) == want, f"group box {g.name()!r} is {g.get('height')} "
                       f"high, its {rows} visible rows need {want}")

    def images(self):
        seen = set()
        for n in self.all_nodes():
            for k, v in n.attrs.items():
                if k.lower().endswith("image") or k.lower().endswith("style"):
                    for f in image_files(v):
                        seen.add((f, n.file))
        for d in self.window.iter():
            if d.tag.lower() == "default":
                for f in image_files(d.get("value", "")):
                    seen.add((f, "skin.xml"))
        for f, where in sorted(seen):
            p = os.path.join(self.skin, f)
            if self.check(os.path.isfile(p), f"{where}: image {f!r} is missing"):
                head = open(p, "rb").read(8)
                self.check(head.startswith(b"\x89PNG") or head[:2] in (b"BM", b"\xff\xd8"),
                           f"image {f!r} is not a PNG, JPEG or BMP file")

    def all_nodes(self):
        yield from self.root.walk()
        if self.row_file is not None:
            yield from self.row_file.walk()

    def dist_files(self):
        if not self.dist:
            return
        help_path = os.path.join(self.dist, "Help.txt")
        if self.check(os.path.isfile(help_path), "Help.txt is missing"):
            data = open(help_path, "rb").read()
            self.check(0 < len(data) <= 9999, f"Help.txt has {len(data)} bytes; the help view shows 9999")
            self.check(all(b < 128 for b in data), "Help.txt holds characters outside ASCII")
        ini = os.path.join(self.dist, "config.ini")
        if self.check(os.path.isfile(ini), "config.ini is missing"):
            text = open(ini, encoding="ascii", errors="replace").read()
            self.check(re.search(r"(?mi)^\[Set\]\s*$[^\[]*^Language\s*=\s*0\s*$", text) is not None,
                       "config.ini does not start in English ([Set] Language=0)")
            self.check(re.search(r"(?mi)^\[CustomVer\]", text) is not None, "config.ini has no [CustomVer]")

    def run(self):
        if self.load():
            self.run_expectations()
            self.structure()
            self.group_heights()
            self.images()
        self.dist_files()
        for n in self.notes:
            print("note:", n)
        for f in self.failures:
            print("FAIL:", f)
        print(f"{self.checks} checks, {len(self.failures)} failures")
        return not self.failures


def image_files(value):
    """File names in an image attribute: a bare name, or the file='...' parts of an image
    string (also inside attribute lists such as scroll bar styles)."""
    value = value.strip()
    if not value:
        return []
    found = re.findall(r"(?:file|res)='([^']*)'", value)
    if found:
        return [f for f in found if f]
    if "=" in value or "'" in value or '"' in value:
        return []
    return [value]


def count_rows(group):
    """Visible rows of a group box, or None when it holds something other than rows."""
    total = 0
    for c in group.children:
        if not c.visible():
            continue
        if c.lower == "horizontallayout" and c.get("height") == str(ROW_H):
            total += 1
        elif c.lower == "verticallayout" and c.get("height"):
            inner = count_rows(c)
            if inner is None:
                return None
            total += inner
        else:
            return None
    return total


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--skin", default=os.path.join(REPO, "skin", "ConifgENRes"))
    ap.add_argument("--expect", default=os.path.join(REPO, "tests", "pages", "expected_controls.txt"))
    ap.add_argument("--dist", default=os.path.join(REPO, "dist"))
    ap.add_argument("--encoding", default="utf-8",
                    help="code page of Language.ini (the Chinese skin's is gbk)")
    ap.add_argument("--selected", action="append", default=[], metavar="NAME=INDEX",
                    help="the item a combo starts on in this skin (the language combo shows "
                         "the skin's own language)")
    a = ap.parse_args()
    return 0 if Checker(a.skin, a.expect, a.dist, a.encoding, a.selected).run() else 1


if __name__ == "__main__":
    sys.exit(main())
