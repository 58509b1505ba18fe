"""What the browsable page's browser tests share: Chromium through Selenium,
the checks, the CLI run, and the page's exports as files.

Importing it exits 77 (skipped) when Chromium, its driver or Selenium is
missing.
"""
import csv
import io
import os
import shutil
import subprocess
import sys

SKIP = 77
CHROMEDRIVER = "/usr/bin/chromedriver"

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
except ImportError:
    print("SKIP: python3-selenium is not installed")
    sys.exit(SKIP)

if not os.path.exists(CHROMEDRIVER) or not (shutil.which("chromium") or os.path.exists("/usr/bin/chromium")):
    print("SKIP: chromium or chromium-driver is not installed")
    sys.exit(SKIP)

FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print("FAIL:", what)


def run_cli(cli, *args):
    result = subprocess.run([cli, "-q", *args], capture_output=True, env=dict(os.environ, LC_ALL="C.UTF-8"))
    check(result.returncode == 0, "tallyfold-cli %s ended %d: %s" % (args, result.returncode, result.stderr))


def start_browser():
    options = webdriver.ChromeOptions()
    for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1280,900", "--lang=en-US"]:
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


def js(driver, script, *args):
    return driver.execute_script(script, *args)


def exported(driver, button):
    """Clicks an export button and answers the text of the file it made."""
    js(driver, """
      window.exportedBlob = null;
      if (!window.keptCreateObjectURL) window.keptCreateObjectURL = URL.createObjectURL;
      URL.createObjectURL = (blob) => { window.exportedBlob = blob; return window.keptCreateObjectURL(blob); };""")
    driver.find_element("id", button).click()
    return driver.execute_async_script("const done = arguments[0]; window.exportedBlob.text().then(done);")


def json_file_lines(text):
    start = text.index('"files":[') + len('"files":[')
    lines = [line.rstrip(",") for line in text[start:].split("\n")]
    return sorted(line for line in lines if line.startswith("{"))


def csv_rows(text):
    rows = list(csv.reader(io.StringIO(text, newline="")))
    return rows[0], sorted(tuple(row) for row in rows[1:])


def finish(driver):
    """Counts the browser's errors as failures and closes it."""
    for entry in driver.get_log("browser"):
        if entry["level"] == "SEVERE":
            check(False, "browser error: %s" % entry["message"])
    driver.quit()


def result():
    """The exit status of the test: 0 when every check passed."""
    if FAILURES:
        print("%d failures" % len(FAILURES))
        return 1
    print("all browsable page checks passed")
    return 0
