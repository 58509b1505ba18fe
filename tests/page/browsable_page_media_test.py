#!/usr/bin/python3
"""The browsable page's media columns in a real browser.

A folder of media made with the usual tools (ImageMagick, exiv2, sox, flac,
ffmpeg) is scanned by tallyfold-cli --page with every media column on;
headless Chromium (in US English) then shows the columns under their
headings, with their values in the reader's terms, sorts the number columns
as numbers, and exports the folder as the CLI's own JSON and CSV listings of
it, numbers and nulls alike.

usage: browsable_page_media_test.py TALLYFOLD_CLI
Exit 77 (skipped) when Chromium, its driver, Selenium or a media tool is
missing.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

from page_browser import SKIP, check, csv_rows, exported, finish, js, json_file_lines, result, run_cli, start_browser

TOOLS = ["convert", "exiv2", "sox", "flac", "ffmpeg"]

MEDIA_COLUMNS = [argument for field in ["Duration", "Bitrate", "AudioFormat", "Dimensions", "Taken", "Camera", "Codec"]
                 for argument in ("--set", "Fields.%s=1" % field)]

# Media of known facts: a photo with its time and offset, sound under and
# over an hour, a video whose time is in UTC, and files without media facts.
MAKE_MEDIA = r"""set -e
mkdir -p media/album && cd media
convert -size 1200x800 xc:skyblue photo.jpg
exiv2 -M'set Exif.Photo.DateTimeOriginal 2024:03:05 14:07:09' \
      -M'set Exif.Photo.OffsetTimeOriginal +01:00' -M'set Exif.Image.Make Canon' \
      -M'set Exif.Image.Model Canon EOS R5' photo.jpg
convert -size 64x48 xc:red plain.png
sox -n -r 44100 -c 2 -b 16 tone.wav synth 3 sine 440
sox -n -r 8000 -c 1 -b 16 long.flac trim 0 3725
ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25:duration=2 \
       -f lavfi -i sine=frequency=440:sample_rate=48000:duration=2 \
       -c:v libx264 -pix_fmt yuv420p -c:a aac -ac 2 \
       -metadata creation_time=2024-03-05T14:07:09Z -shortest clip.mp4
echo 'no media here' > notes.txt
echo 'a song of its own' > album/words.txt
"""

HEADINGS = ["Name", "Size", "Modified", "Contents", "Duration", "Bitrate", "Sample rate", "Channels", "Width", "Height",
            "Taken", "Camera", "Codec"]
NO_MEDIA = ["notes.txt", "tone.wav", "long.flac"]  # no width


def shown_rows(driver):
    """The file rows on screen: {name: [detail cell texts]}, blanks as they are
    and every kind of blank between words as one space."""
    rows = js(driver, """
      const shown = {};
      for (const row of document.querySelectorAll('#rows .row:not(.folder)'))
        shown[row.querySelector('.col-name').textContent] =
          [...row.querySelectorAll('.col-detail')].map((cell) => cell.textContent);
      return shown;""")
    return {name: [" ".join(text.split()) for text in texts] for name, texts in rows.items()}


def names_in_order(driver):
    return js(driver, """return [...document.querySelectorAll('#rows .row')]
      .sort((a, b) => a.dataset.index - b.dataset.index).map((row) => row.querySelector('.col-name').textContent)""")


def sort_by(driver, title):
    js(driver, """for (const cell of document.querySelectorAll('#heading .cell'))
      if (cell.firstChild.textContent === arguments[0]) cell.click();""", title)
    return names_in_order(driver)


def main():
    cli = sys.argv[1]
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print("SKIP: missing tools to make media: %s" % missing)
        return SKIP
    work = tempfile.mkdtemp(prefix="tallyfold-page-media-")
    try:
        subprocess.run(["/bin/bash", "-c", MAKE_MEDIA], cwd=work, check=True)
        media = os.path.join(work, "media")
        page = os.path.join(work, "page.html")
        run_cli(cli, *MEDIA_COLUMNS, "--page", "-o", page, media)
        run_cli(cli, *MEDIA_COLUMNS, "-o", os.path.join(work, "listing.json"), media)
        run_cli(cli, *MEDIA_COLUMNS, "-o", os.path.join(work, "listing.csv"), media)
        driver = start_browser()
        try:
            drive(driver, "file://" + urllib.parse.quote(page), media, work)
        finally:
            finish(driver)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return result()


def drive(driver, url, media, work):
    driver.get(url)
    titles = js(driver, "return [...document.querySelectorAll('#heading .cell')].map(c => c.firstChild.textContent)")
    check(titles == HEADINGS, "the headings: %s" % titles)

    # Durations as a clock, rates with their units, numbers and times as the
    # locale writes them; a time taken keeps its own clock and offset.
    rows = shown_rows(driver)
    check(rows.get("tone.wav") == ["0:00:03", "1,411 kbps", "44.1 kHz", "2", "", "", "", "", "PCM"],
          "the sound's texts: %s" % rows.get("tone.wav"))
    flac = rows.get("long.flac", [""] * 9)
    check(flac[0] == "1:02:05" and flac[2:4] == ["8 kHz", "1"] and flac[8] == "FLAC", "the long sound's texts: %s" % flac)
    check(rows.get("photo.jpg") == ["", "", "", "", "1,200", "800", "3/5/24, 2:07:09 PM UTC+01:00", "Canon EOS R5", "JPEG"],
          "the photo's texts: %s" % rows.get("photo.jpg"))
    clip = rows.get("clip.mp4", [""] * 9)
    check(clip[0] == "0:00:02" and clip[2:7] == ["48 kHz", "2", "320", "240", "3/5/24, 2:07:09 PM UTC"]
          and clip[8] == "H.264 / AAC", "the clip's texts: %s" % clip)
    check(rows.get("notes.txt") == [""] * 9, "a file without media facts: %s" % rows.get("notes.txt"))

    # Number columns sort as numbers, files without a value after the rest
    # either way, the folder first.
    order = sort_by(driver, "Width")
    check(order[:4] == ["album", "plain.png", "clip.mp4", "photo.jpg"] and sorted(order[4:]) == sorted(NO_MEDIA),
          "ascending widths: %s" % order)
    order = sort_by(driver, "Width")
    check(order[:4] == ["album", "photo.jpg", "clip.mp4", "plain.png"] and sorted(order[4:]) == sorted(NO_MEDIA),
          "descending widths: %s" % order)
    order = sort_by(driver, "Duration")
    check(order[:4] == ["album", "clip.mp4", "tone.wav", "long.flac"], "ascending durations: %s" % order)
    order = sort_by(driver, "Sample rate")
    check(order[:4] == ["album", "long.flac", "tone.wav", "clip.mp4"], "ascending sample rates: %s" % order)

    # Nine more columns are wider than the window: the rows scroll sideways
    # to the last of them, and its heading stays above it.
    edges = js(driver, """
      const rows = document.getElementById('rows');
      rows.scrollLeft = rows.scrollWidth;
      rows.dispatchEvent(new Event('scroll'));
      const heading = [...document.querySelectorAll('#heading .cell')].pop().getBoundingClientRect();
      const cell = [...rows.querySelector('.row').querySelectorAll('.cell')].pop().getBoundingClientRect();
      return [rows.scrollWidth > rows.clientWidth, Math.round(heading.left - cell.left),
              Math.round(cell.right) <= Math.round(rows.getBoundingClientRect().right)];""")
    check(edges == [True, 0, True], "the last column scrolled into view under its heading: %s" % edges)

    # The exports are the CLI's listings of the folder: numbers as numbers,
    # null where a file has none.
    cli_json = open(os.path.join(work, "listing.json"), encoding="utf-8").read()
    page_json = exported(driver, "export-json")
    check(json_file_lines(page_json) == [line for line in json_file_lines(cli_json) if json.loads(line)["folder"] == media],
          "the JSON export is the CLI's listing of the folder:\n%s\n%s" % (page_json, cli_json))
    files = {entry["name"]: entry for entry in json.loads(page_json)["files"]}
    check(files["tone.wav"]["duration"] == 3 and files["tone.wav"]["sample_rate"] == 44100
          and files["tone.wav"]["width"] is None and files["photo.jpg"]["width"] == 1200
          and files["photo.jpg"]["taken"] == "2024-03-05T14:07:09+01:00", "the JSON values: %s" % files)
    check(json.loads(page_json)["header"]["columns"] == json.loads(cli_json)["header"]["columns"],
          "the JSON export's columns are the listing's")
    cli_heading, cli_rows = csv_rows(open(os.path.join(work, "listing.csv"), encoding="utf-8", newline="").read())
    page_heading, page_rows = csv_rows(exported(driver, "export-csv"))
    check(page_heading == cli_heading, "the CSV export's heading: %s" % page_heading)
    check(page_rows == sorted(row for row in cli_rows if row[0] == media), "the CSV export is the CLI's listing")


if __name__ == "__main__":
    sys.exit(main())
