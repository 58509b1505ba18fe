#!/usr/bin/python3
"""Opens a browsable page in headless Chromium and prints, as "name value"
lines: the seconds from the start of loading the file until the tree and the
root listing are shown, the milliseconds a search over all names takes until
its results are shown, and the page's memory (JS heap and the renderer's
resident memory, through the DevTools protocol).

usage: browsable-page-browser.py PAGE.html QUERY...
"""
import os
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

SHOWN = """const rows = document.getElementById('rows'), tree = document.getElementById('tree');
return Boolean(rows && tree && tree.children.length && rows.querySelector('.row'));"""

SEARCH = """const [query, done] = arguments;
const box = document.getElementById('search');
const start = performance.now();
box.value = query;
box.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter'}));
requestAnimationFrame(() => setTimeout(() => done([performance.now() - start,
    document.getElementById('status').textContent]), 0));"""


def parent_of(pid):
    with open("/proc/%d/stat" % pid) as f:
        return int(f.read().rsplit(")", 1)[1].split()[1])


def descends_from(pid, ancestor):
    while pid > 1:
        if pid == ancestor:
            return True
        pid = parent_of(pid)
    return False


def renderer_peak_kib(driver_pid):
    """The highest peak resident memory of the renderers the driver started."""
    peak = 0
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        pid = int(entry)
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                if b"--type=renderer" not in f.read() or not descends_from(pid, driver_pid):
                    continue
            with open("/proc/%d/status" % pid) as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        peak = max(peak, int(line.split()[1]))
        except (OSError, ValueError):
            continue
    return peak


def main():
    page, queries = sys.argv[1], sys.argv[2:]
    options = webdriver.ChromeOptions()
    for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1280,900"]:
        options.add_argument(argument)
    options.page_load_strategy = "none"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        driver.get("about:blank")
        start = time.monotonic()
        driver.get("file://" + page)
        while True:
            try:
                if driver.execute_script(SHOWN):
                    break
            except Exception:
                pass
            time.sleep(0.01)
        print("shown_seconds %.2f" % (time.monotonic() - start))
        for query in queries:
            ms, status = driver.execute_async_script(SEARCH, query)
            print("search_ms %.0f %s (%s)" % (ms, query, status))
        driver.execute_cdp_cmd("Performance.enable", {})
        metrics = {m["name"]: m["value"] for m in driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]}
        print("js_heap_mb %.0f" % (metrics.get("JSHeapTotalSize", 0) / 1e6))
        print("renderer_peak_mb %.0f" % (renderer_peak_kib(driver.service.process.pid) / 1024))
    finally:
        driver.quit()


if __name__ == "__main__":
    main()
