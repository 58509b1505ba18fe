#!/usr/bin/python3
"""The browsable page in a real browser, used as a reader would use it.

A tree of odd names (every byte but "/" and NUL, a line break, bytes that are
not UTF-8, markup and script, 255-byte names, a folder of 50,000 files) is
scanned by tallyfold-cli --page; headless Chromium then opens the page,
expands and walks the tree by keys, follows links into the listing, sorts,
searches and exports, and every name shown or exported is checked against
the tree and against the CLI's own CSV and JSON listings.

usage: browsable_page_browser_test.py TALLYFOLD_CLI [SCREENSHOT_FOLDER]
Exit 77 (skipped) when Chromium, its driver or Selenium is missing.
"""
import json
import os
import shutil
import sys
import tempfile
import urllib.parse

from page_browser import check, csv_rows, exported, finish, js, json_file_lines, result, run_cli, start_browser
from selenium.common.exceptions import NoAlertPresentException
from selenium.webdriver.common.keys import Keys


def shown(name_bytes):
    """A name as the page shows it: each byte that is not UTF-8 as U+FFFD,
    control characters as their pictures."""
    text = name_bytes.decode("utf-8", "surrogateescape")
    out = []
    for c in text:
        if 0xDC80 <= ord(c) <= 0xDCFF:
            out.append("\ufffd")
        elif ord(c) < 0x20:
            out.append(chr(0x2400 + ord(c)))
        else:
            out.append(c)
    return "".join(out)


def make_tree(root):
    """The odd tree; answers {folder name: [file name bytes]}."""
    odd = os.path.join(root, b"odd")
    os.makedirs(odd)
    names = []
    every = bytes(b for b in range(1, 256) if b != 0x2F)
    names.append(every)
    for b in range(1, 256):
        if b in (0x2F, 0x2E):
            continue
        names.append(b"b%02x-" % b + bytes([b]))
    names += [b"new\nline", b"bad\xff\xfe.txt", b"\xc3(", b"caf\xc3\xa9 100%", b"<img src=x onerror=window.pwned=1>",
              b"<img src=x onerror=alert(1)>", b"<script>window.pwned=2<\\script>", b"<!-- a & b ]]>",
              b"L" * 251 + b".txt", "é".encode() * 127 + b"x"]
    for name in names:
        with open(os.path.join(odd, name), "wb") as f:
            f.write(b"x" * (len(name) % 7))
    sizes = os.path.join(root, b"sizes")
    os.makedirs(os.path.join(sizes, b"inner"))
    for name, size in [(b"file10", 10), (b"file2", 2000), (b"file1", 100), (b"File3.txt", 3)]:
        with open(os.path.join(sizes, name), "wb") as f:
            f.write(b"y" * size)
    with open(os.path.join(sizes, b"inner", b"deep.txt"), "wb") as f:
        f.write(b"z" * 5)
    many = os.path.join(root, b"many")
    os.makedirs(many)
    for i in range(50000):
        os.close(os.open(os.path.join(many, b"f%d" % i), os.O_CREAT | os.O_WRONLY, 0o644))
    return {b"odd": names, b"sizes": [b"file10", b"file2", b"file1", b"File3.txt"]}


def status(driver):
    return js(driver, "return document.getElementById('status').textContent")


def crumbs(driver):
    return js(driver, "return [...document.querySelectorAll('.crumb')].map(c => c.textContent)")


def no_script_ran(driver, when):
    try:
        driver.switch_to.alert.dismiss()
        check(False, "an alert opened " + when)
    except NoAlertPresentException:
        pass
    check(js(driver, "return window.pwned === undefined") is True, "a name ran script " + when)
    check(js(driver, "return document.querySelectorAll('img, iframe, object, embed').length") == 0,
          "a name became an element " + when)
    check(js(driver, "return [...document.scripts].filter(s => s.type !== 'text/plain').length") == 1,
          "the page holds other scripts " + when)


def all_rows(driver):
    """Scrolls the virtual list from top to bottom; answers the name texts in order."""
    return js(driver, """
      const rows = document.getElementById('rows');
      const seen = new Map();
      for (let top = 0; ; top += rows.clientHeight) {
        rows.scrollTop = top;
        rows.dispatchEvent(new Event('scroll'));
        window.dispatchEvent(new Event('resize'));
        for (const row of rows.querySelectorAll('.row'))
          seen.set(Number(row.dataset.index), row.querySelector('.col-name').textContent);
        if (top > rows.scrollHeight) break;
      }
      return [...seen.keys()].sort((a, b) => a - b).map(k => seen.get(k));""")


def sizes_shown(driver):
    return js(driver, "return [...document.querySelectorAll('#rows .row:not(.folder) .col-size .number')]"
                      ".sort((a, b) => a.parentNode.parentNode.dataset.index - b.parentNode.parentNode.dataset.index)"
                      ".map(n => Number(n.textContent.replace(/[^0-9]/g, '')))")


def search(driver, text, what="name", where="all"):
    js(driver, """
      const [text, what, where] = arguments;
      document.getElementById('search-what').value = what;
      document.getElementById('search-where').value = where;
      const box = document.getElementById('search');
      box.value = text;
      box.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter'}));""", text, what, where)
    return status(driver)


def open_tree_path(driver, page_url, path_bytes):
    driver.get(page_url + "#" + urllib.parse.quote(path_bytes, safe="/"))


def main():
    cli = sys.argv[1]
    shots = sys.argv[2] if len(sys.argv) > 2 else None
    work = tempfile.mkdtemp(prefix="tallyfold-page-")
    try:
        # The location's own path holds an end tag and a script.
        root = os.path.join(work.encode(), b"x<", b"script><script>window.pwned=3<", b"script>")
        expected = make_tree(root)
        page = os.path.join(work, "page.html")
        # With a detail column on, so that it is shown and exported too.
        crc = ("--set", "Fields.CRC32=1")
        run_cli(cli, *crc, "--page", "-o", page, root)
        run_cli(cli, *crc, "-o", os.path.join(work, "listing.json"), root)
        run_cli(cli, *crc, "-o", os.path.join(work, "listing.csv"), root)
        check(b"innerHTML" not in open(page, "rb").read(), "the page uses innerHTML")
        driver = start_browser()
        try:
            drive(driver, "file://" + urllib.parse.quote(page), root, expected, work, shots)
        finally:
            finish(driver)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return result()


def drive(driver, url, root, expected, work, shots):
    root_text = shown(root)
    driver.get(url)
    no_script_ran(driver, "on opening")
    check(crumbs(driver) == [root_text], "the page opens on the scanned folder: %s" % crumbs(driver))
    check("50,260" in status(driver) or "50,2" in status(driver), "the root totals: " + status(driver))
    header = js(driver, "return document.getElementById('facts').textContent")
    check(root_text in header and "tallyfold" in js(driver, "return document.querySelector('h1').textContent"),
          "the header names the program and location: " + header)

    # The tree by keys: the root is expanded, its folders in natural order.
    tree = driver.find_element("id", "tree")
    tree.click()
    labels = js(driver, "return [...document.querySelectorAll('#tree .label')].map(l => l.textContent)")
    check(labels == [root_text, "many", "odd", "sizes"], "the tree shows the folders: %s" % labels)
    tree.send_keys(Keys.END)
    tree.send_keys(Keys.ARROW_RIGHT)  # expands "sizes"
    tree.send_keys(Keys.ARROW_RIGHT)  # to its first child
    tree.send_keys(Keys.ENTER)
    check(crumbs(driver) == [root_text, "sizes", "inner"], "keys open sizes/inner: %s" % crumbs(driver))
    tree.send_keys(Keys.ARROW_LEFT)
    tree.send_keys(Keys.ENTER)
    check(crumbs(driver) == [root_text, "sizes"], "Left goes to the parent: %s" % crumbs(driver))
    tree.send_keys(Keys.HOME)
    tree.send_keys(Keys.ARROW_DOWN)
    tree.send_keys(Keys.ENTER)
    check(crumbs(driver) == [root_text, "many"], "Home then Down opens many: %s" % crumbs(driver))
    driver.back()
    check(crumbs(driver) == [root_text, "sizes"], "Back returns to sizes: %s" % crumbs(driver))

    titles = js(driver, "return [...document.querySelectorAll('#heading .cell')].map(c => c.firstChild.textContent)")
    check(titles == ["Name", "Size", "Modified", "Contents", "CRC-32"], "the columns: %s" % titles)
    crcs = js(driver, "return [...document.querySelectorAll('#rows .row:not(.folder) .col-detail')].map(c => c.textContent)")
    check("3610A686" not in crcs and len(crcs) == 4 and all(len(c) == 8 for c in crcs), "the CRC-32 column: %s" % crcs)

    # Sorting: natural order of names, both directions, and by size.
    names = all_rows(driver)
    check(names == ["inner", "file1", "file2", "File3.txt", "file10"], "natural name order: %s" % names)
    heading = lambda key: driver.find_element("css selector", "#heading .col-" + key)
    heading("name").click()
    names = all_rows(driver)
    check(names == ["inner", "file10", "File3.txt", "file2", "file1"], "descending name order: %s" % names)
    heading("size").click()
    check(sizes_shown(driver) == [3, 10, 100, 2000], "ascending sizes: %s" % sizes_shown(driver))
    heading("size").click()
    check(sizes_shown(driver) == [2000, 100, 10, 3], "descending sizes: %s" % sizes_shown(driver))
    heading("name").click()

    # A link straight into the listing, by the folder's path bytes.
    open_tree_path(driver, url, root + b"/odd")
    no_script_ran(driver, "in the odd folder")
    check(crumbs(driver) == [root_text, "odd"], "the link opens odd: %s" % crumbs(driver))
    odd_names = sorted(all_rows(driver))
    want = sorted(shown(n) for n in expected[b"odd"])
    check(odd_names == want, "the odd names as written: %d shown, %d in the tree, differing: %s" % (
        len(odd_names), len(want), sorted(set(odd_names) ^ set(want))[:5]))
    if shots:
        driver.save_screenshot(os.path.join(shots, "browsable-page-light.png"))
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                               {"features": [{"name": "prefers-color-scheme", "value": "dark"}]})
        driver.save_screenshot(os.path.join(shots, "browsable-page-dark.png"))
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})

    # The export of the folder keeps the CLI listings' escapes, byte for byte.
    folder_key = root.decode("utf-8", "surrogateescape") + "/odd"
    cli_json = open(os.path.join(work, "listing.json"), encoding="utf-8", errors="surrogatepass").read()
    cli_lines = [line for line in json_file_lines(cli_json) if json.loads(line)["folder"] == folder_key]
    page_json = exported(driver, "export-json")
    check(json_file_lines(page_json) == sorted(cli_lines),
          "the JSON export is the CLI's listing of the folder (%d lines against %d)" % (
              len(json_file_lines(page_json)), len(cli_lines)))
    check(json.loads(page_json)["header"]["program"] == "tallyfold", "the JSON export has its header")
    cli_heading, cli_rows = csv_rows(open(os.path.join(work, "listing.csv"), encoding="utf-8", newline="").read())
    page_heading, page_rows = csv_rows(exported(driver, "export-csv"))
    check(page_heading == cli_heading, "the CSV export's heading: %s" % page_heading)
    folder_readable = root.decode() + "/odd"
    check(page_rows == sorted(r for r in cli_rows if r[0] == folder_readable),
          "the CSV export is the CLI's listing of the folder (%d rows)" % len(page_rows))
    raw_names = sorted(urllib.parse.unquote_to_bytes(r[-1]) for r in page_rows if r[-1])
    check(raw_names == sorted(n for n in expected[b"odd"] if not is_utf8(n)),
          "the raw CSV column gives back the bytes of every name that is not UTF-8")

    # Search: substring, glob, over whole paths, below the chosen folder.
    check(search(driver, "ONERROR").startswith("2 matches"), "substring search: " + status(driver))
    marks = js(driver, "return [...document.querySelectorAll('#rows mark')].map(m => m.textContent)")
    check(marks == ["onerror", "onerror"], "the hits are highlighted: %s" % marks)
    no_script_ran(driver, "in the search results")
    hits_json = exported(driver, "export-json")
    check(len(json_file_lines(hits_json)) == 2, "the export of the search results")
    check(search(driver, "file?").startswith("2 matches"), "glob with ?: " + status(driver))
    check(search(driver, "*.txt").startswith("4 matches"), "glob with *: " + status(driver))
    check(search(driver, "f4999?").startswith("10 matches"), "glob in the big folder: " + status(driver))
    check(search(driver, "sizes/*.txt", what="path").startswith("2 matches"), "glob over paths: " + status(driver))
    check(search(driver, "inner/d", what="path").startswith("1 match"), "substring over paths: " + status(driver))
    row = driver.find_element("css selector", "#rows .row")
    row.click()
    check(crumbs(driver) == [root_text, "sizes", "inner"], "a hit opens its folder: %s" % crumbs(driver))
    check(search(driver, "SIZES/F", what="path").startswith("4 matches"), "a path's folder and name: " + status(driver))
    check(search(driver, "odd/*onerror*", what="path").startswith("2 matches"), "a folder and a glob: " + status(driver))
    check(search(driver, "many/", what="path").startswith("50,000 matches"), "a whole folder: " + status(driver))
    open_tree_path(driver, url, root + b"/sizes")
    check(search(driver, ".txt", where="below").startswith("2 matches"), "scoped search: " + status(driver))
    check(search(driver, ".txt").startswith("4 matches"), "whole-listing search: " + status(driver))

    # The folder of 50,000 files: its rows are in the document only when shown.
    open_tree_path(driver, url, root + b"/many")
    check("50,000 files" in status(driver), "the big folder's totals: " + status(driver))
    in_document = js(driver, "return document.querySelectorAll('#rows .row').length")
    check(0 < in_document < 200, "only the rows on screen are in the document: %d" % in_document)
    last = js(driver, """const rows = document.getElementById('rows'); rows.scrollTop = rows.scrollHeight;
      rows.dispatchEvent(new Event('scroll'));
      return new Promise(done => requestAnimationFrame(() => requestAnimationFrame(() => {
        const shown = [...rows.querySelectorAll('.row')];
        done(shown.sort((a, b) => a.dataset.index - b.dataset.index).pop().querySelector('.col-name').textContent);
      })));""")
    check(last == "f49999", "the last row in natural order: %s" % last)
    no_script_ran(driver, "at the end")


def is_utf8(name):
    try:
        name.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


if __name__ == "__main__":
    sys.exit(main())
