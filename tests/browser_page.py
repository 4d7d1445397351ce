#!/usr/bin/env python3
"""The web page of quorvane-cli in a real browser: browser_page.py QUORVANE_CLI WORK_FOLDER.

Writes two result files (this machine's with hostile texts in its description and drive records,
a comparison machine's), makes the page with --load, --compare and --html, checks it with tidy
(HTML5, no errors), opens it offline in Debian's headless Chromium twice (--dump-dom, then
--screenshot) and checks the DOM: every score, percent, total and description field in its cell,
the hostile texts as text with no element or attribute they could have injected, no script
element at all; and the screenshot: not blank, with the bars' colour in it. Exits non-zero with
the reason on any failure, also when the browser or tidy is missing or cannot run.
"""
import html.parser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

BAR = (0x1F, 0x6F, 0xEB)  # the bars' colour in the light scheme
FIELDS = ["brand", "model", "motherboard", "cpu", "internal-clock", "external-clock",
          "cache-size", "cache-type", "ram-size", "ram-type", "ram-speed", "os", "threads", "cpus"]
TESTS = [("d", "Dhrystone 2.1", "kDhryst.", "cpu"), ("w", "Whetstone", "MFLOPS", "fpu"),
         ("q", "Eight queens problem", "pps", "cpu"), ("c", "Matrix operations", "k ops", "cpu"),
         ("n", "Number crunch", "k ops", "cpu"), ("f", "Floating point", "k ops", "fpu"),
         ("m", "Memory throughput", "kB/sec", "cpu")]
HOSTILE = ["<script>alert(1)</script>", "\"><img src=x onerror=alert(2)>",
           "' onmouseover='alert(3)", "<b>disk</b> & more"]

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def result_file(rows, fields, drives):
    """The bytes of a result file: records, "x", 14 fields, 4 lines a drive, CR LF between."""
    records = "".join("%s%10u%s" % (code, value, chr(ord("A") + value % 9)) for code, value in rows)
    lines = [records, "x"] + [fields.get(name, "") for name in FIELDS]
    for drive in drives:
        lines += drive
    return "\r\n".join(lines).encode("cp1252")


def drive_block(letter, first):
    return [(letter if k == 0 else " ", first + k) for k in range(7)]


THIS = {"values": [1500, 500, 777, 1200, 900, 1100, 2000],
        "fields": {"brand": HOSTILE[0], "model": HOSTILE[1], "cpu": "Zürich € CPU",
                   "os": HOSTILE[2], "threads": "2", "cpus": "1", "ram-size": "16 GB"},
        "drives": [["C", HOSTILE[3], "SATA & <i>AHCI</i>", "ahci"]]}
OTHER = {"values": [1000, 1000, 700, 1000, 1000, 1000, 1000],
         "fields": {"brand": "Other & Co", "model": "Tower 3", "cpu": "Eight cores",
                    "threads": "1", "os": "Debian 12"},
         "drives": [["D", "NVMe disk", "PCIe", "nvme"]]}


def write_fixtures(folder):
    paths = []
    for name, machine, block in (("mine.qv3", THIS, ("C", 50000)), ("other.qv3", OTHER, ("D", 40000))):
        rows = [(code, value) for (code, _, _, _), value in zip(TESTS, machine["values"])]
        rows += drive_block(*block)
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(result_file(rows, machine["fields"], machine["drives"]))
        paths.append(path)
    return paths


class Node:
    def __init__(self, tag, attrs, parent):
        self.tag, self.attrs, self.parent, self.children, self.text = tag, dict(attrs), parent, [], ""

    def all(self):
        yield self
        for child in self.children:
            yield from child.all()

    def find(self, tag=None, **attrs):
        return [n for n in self.all() if (tag is None or n.tag == tag) and
                all(matches(n, k, v) for k, v in attrs.items())]

    def content(self):
        return "".join(n.text for n in self.all())


def matches(node, key, value):
    if key == "cls":
        return value in (node.attrs.get("class") or "").split()
    return node.attrs.get(key.replace("_", "-")) == value


VOID = {"meta", "br", "img", "input", "link", "hr", "source", "area", "base", "col", "embed",
        "param", "track", "wbr"}


class Dom(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.root = Node("#document", [], None)
        self.at = self.root

    def handle_starttag(self, tag, attrs):
        node = Node(tag, attrs, self.at)
        self.at.children.append(node)
        if tag not in VOID:
            self.at = node

    def handle_startendtag(self, tag, attrs):
        self.at.children.append(Node(tag, attrs, self.at))

    def handle_endtag(self, tag):
        node = self.at
        while node is not None and node.tag != tag:
            node = node.parent
        if node is not None and node.parent is not None:
            self.at = node.parent

    def handle_data(self, data):
        text = Node("#text", [], self.at)
        text.text = data
        self.at.children.append(text)


def one(nodes, what):
    check(len(nodes) == 1, "%s: %d elements, wanted one" % (what, len(nodes)))
    return nodes[0] if nodes else Node("#missing", [], None)


def text_of(nodes, what):
    return one(nodes, what).content().strip()


def expect_text(nodes, wanted, what):
    got = text_of(nodes, what)
    check(got == wanted, "%s: %r, wanted %r" % (what, got, wanted))


def check_dom(dom_text):
    parser = Dom()
    parser.feed(dom_text)
    root = parser.root
    elements = [n for n in root.all() if not n.tag.startswith("#")]
    # Nothing injected: no script or element a text could have made, no event attribute.
    for node in elements:
        check(node.tag not in ("script", "img", "iframe", "object", "embed", "b", "i", "a"),
              "an element <%s> in the page" % node.tag)
        for name in node.attrs:
            check(not name.startswith("on") and name not in ("src", "href"),
                  "an attribute %s on <%s>" % (name, node.tag))
    expect_text(root.find("h1", id="machine"), HOSTILE[0] + " " + HOSTILE[1], "the heading")
    expect_text(root.find("span", id="threads"), "2", "the heading's threads")
    check("Exported" in text_of(root.find("p", id="run"), "the run line"), "the run line says Exported")
    # Every description field of both machines in its row and column.
    table = one(root.find("table", id="description"), "the description table")
    for name in FIELDS:
        row = one([r for r in table.find("tr", data_field=name) if r.parent.attrs.get("class") is None],
                  "the description row " + name)
        expect_text(row.find("td", cls="this"), THIS["fields"].get(name, ""), "this " + name)
        expect_text(row.find("td", cls="other"), OTHER["fields"].get(name, ""), "other " + name)
    drive = one(table.find("tbody", cls="drive"), "the drive records")
    for name, mine, other in zip(["letter", "harddisk", "controller", "driver"],
                                 THIS["drives"][0], OTHER["drives"][0]):
        row = one(drive.find("tr", data_field=name), "the drive row " + name)
        expect_text(row.find("td", cls="this"), mine, "this drive's " + name)
        expect_text(row.find("td", cls="other"), other, "other drive's " + name)
    # Scores, comparison values, units and percents; the totals as the report computes them.
    results = one(root.find("table", id="results"), "the results table")
    sums = {"cpu": [0, 0], "fpu": [0, 0]}
    for (code, name, unit, group), mine, other in zip(TESTS, THIS["values"], OTHER["values"]):
        row = one(results.find("tr", data_code=code), "the results row " + code)
        percent = mine * 100 // other
        sums[group][0] += percent
        sums[group][1] += 1
        expect_text(row.find("th"), name, code + " name")
        expect_text(row.find("td", cls="this"), str(mine), code + " this")
        expect_text(row.find("td", cls="other"), str(other), code + " other")
        expect_text(row.find("td", cls="unit"), unit, code + " unit")
        expect_text(row.find("td", cls="percent"), "%d %%" % percent, code + " percent")
    cpu = sums["cpu"][0] // sums["cpu"][1]
    fpu = sums["fpu"][0] // sums["fpu"][1]
    totals = {"cpu": cpu, "fpu": fpu,
              "average": (sums["cpu"][0] + sums["fpu"][0]) // (sums["cpu"][1] + sums["fpu"][1]),
              "application": (92 * cpu + 8 * fpu + 92) // 100}
    for key, value in totals.items():
        row = one(results.find("tr", data_total=key), "the total " + key)
        expect_text(row.find("td", cls="percent"), "%d %%" % value, "total " + key)
    # The chart: a bar and a percent for every test and total, in the bars' order.
    chart = one(root.find("svg", id="chart"), "the chart")
    bars = chart.find("rect", cls="bar")
    check(len(bars) == 7 + 4, "%d bars, wanted 11" % len(bars))
    shown = [n.content().strip() for n in chart.find("text", cls="percent")]
    wanted = ["%d %%" % (m * 100 // o) for m, o in zip(THIS["values"], OTHER["values"])]
    wanted += ["%d %%" % totals[k] for k in ("cpu", "fpu", "average", "application")]
    check(shown == wanted, "the chart's percents %r, wanted %r" % (shown, wanted))
    # The drive blocks paired by row: this computer's C beside the other's D.
    disk = one(root.find("table", data_this="C", data_other="D"), "the disk block")
    cells = [n.content().strip() for n in disk.find("td", cls="this")]
    check(cells == [str(50000 + k) for k in range(7)], "the disk block's values %r" % cells)
    cells = [n.content().strip() for n in disk.find("td", cls="other")]
    check(cells == [str(40000 + k) for k in range(7)], "the comparison's disk values %r" % cells)


def png_pixels(path):
    """(width, height, rows of (r, g, b)) of an 8-bit RGB or RGBA PNG without interlacing."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("a PNG of depth %d, colour type %d" % (depth, colour))
    size = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * size
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - size] if x >= size else 0
            up = previous[x]
            corner = previous[x - size] if x >= size else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append([tuple(line[x:x + 3]) for x in range(0, stride, size)])
        previous = line
    return width, height, rows


def browser(program, work, page, *arguments):
    """Runs headless Chromium offline on the page; its stdout, or None after noting why not."""
    home = tempfile.mkdtemp(prefix="browser-", dir=work)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home, XDG_CACHE_HOME=home)
    command = [program, "--headless", "--disable-gpu", "--no-sandbox", "--no-first-run",
               "--disable-extensions", "--disable-background-networking", "--disable-sync",
               "--disable-component-update", "--host-resolver-rules=MAP * ~NOTFOUND",
               "--user-data-dir=" + os.path.join(home, "profile"), *arguments,
               "file://" + page]
    try:
        run = subprocess.run(command, env=env, capture_output=True, timeout=180, cwd=work)
    except (OSError, subprocess.TimeoutExpired) as error:
        check(False, "the browser could not run: %s" % error)
        return None
    finally:
        shutil.rmtree(home, ignore_errors=True)
    if not check(run.returncode == 0, "the browser failed (status %d): %s" % (
            run.returncode, run.stderr.decode(errors="replace")[-2000:])):
        return None
    return run.stdout.decode("utf-8", errors="replace")


def main():
    cli, work = sys.argv[1], os.path.abspath(sys.argv[2])
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    mine, other = write_fixtures(work)
    page = os.path.join(work, "page.html")
    run = subprocess.run([cli, "--load", mine, "--compare", other, "--html", page],
                         capture_output=True, timeout=120)
    if run.returncode != 0:
        print("quorvane-cli failed:", run.stderr.decode(errors="replace"))
        return 1
    size = os.path.getsize(page)
    print("page: %d bytes" % size)
    with open(page, "rb") as f:
        source = f.read().decode("utf-8")
    check("<script" not in source.lower(), "a script element in the page's source")

    tidy = shutil.which("tidy")
    if check(tidy is not None, "tidy is not installed (apt-get install tidy)"):
        checked = subprocess.run([tidy, "-q", "-e", "--doctype", "html5", page],
                                 capture_output=True, timeout=60)
        report = checked.stderr.decode(errors="replace")
        print(report, end="")
        check(checked.returncode < 2, "tidy found errors in the page (status %d)" % checked.returncode)

    program = shutil.which("chromium") or shutil.which("chromium-browser")
    if check(program is not None, "Chromium is not installed (apt-get install chromium)"):
        dom = browser(program, work, page, "--dump-dom")
        if dom is not None:
            check_dom(dom)
        shot = os.path.join(work, "page.png")
        if browser(program, work, page, "--hide-scrollbars", "--window-size=900,1400",
                   "--screenshot=" + shot) is not None:
            if check(os.path.exists(shot), "the browser made no screenshot"):
                width, height, rows = png_pixels(shot)
                colours = set()
                bar = 0
                for row in rows:
                    for pixel in row:
                        colours.add(pixel)
                        bar += all(abs(a - b) <= 6 for a, b in zip(pixel, BAR))
                print("screenshot: %dx%d, %d colours, %d pixels of the bars' colour" % (
                    width, height, len(colours), bar))
                check(len(colours) > 16, "the screenshot is blank (%d colours)" % len(colours))
                check(bar > 2000, "the screenshot has %d pixels of the bars' colour" % bar)
    for failure in failures:
        print("FAILED:", failure)
    if not failures:
        shutil.rmtree(work, ignore_errors=True)
        print("the page passed tidy and the browser's checks")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
