#!/usr/bin/env python3
"""The live view in a real browser: headless Chromium driven by Selenium
against `scenario serve` on the example definitions.

Checks that, started on a faulty definition, the page says it has no drawing
yet; that the page then loads with the stations listed, that choosing a station
centres both views on it, that pointing at a signal shows its details and
its definition line, that a saved edit (a renamed station) reaches the page
within two seconds without a reload, keeping the view, and that a saved fault
shows and its fix clears it, and that the object panel clears when its
object is taken out of the definition. Zoomed in three steps, a station's
symbol keeps its size on the screen; at the whole line and deep in, no two
labels on screen overlap. Prints how long the update took.

With --long-line GENERATOR (bench/generate_definitions), it also times the
page on a generated 900 km line: from the page asked for to the drawing
shown, from a save to the page, one zoom step and one pan step (to the next
frame drawn), checks the labels there too, and prints the figures.

With --docs DIR it saves the screenshots of the README in DIR: the built-in
line whole and deep-zoomed on a station, the 900 km line whole and at km 450.

usage: browser_check.py SCENARIO_BINARY [--screenshot FILE.png] [--long-line GENERATOR] [--docs DIR]
"""
import argparse
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

ROUTE, TRAIN = "Brenvalo_Morvena", "4815"
STATION, STATION_AT = "PRACCHIA", 14750
SIGNAL_AT = 14100
CHROMIUM, CHROMEDRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"


class CheckFailed(Exception):
    pass


def expect(condition, what):
    if not condition:
        raise CheckFailed(what)
    print(f"ok: {what}")


def wait_for(what, test, timeout=5.0, every=0.02):
    end = time.monotonic() + timeout
    while True:
        value = test()
        if value:
            return value
        if time.monotonic() > end:
            raise CheckFailed(f"{what}: not within {timeout} s")
        time.sleep(every)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_server(binary, folder, route=ROUTE, train=TRAIN):
    port = free_port()
    server = subprocess.Popen([binary, "serve", folder, "--route", route, "--train", train, "--port", str(port)],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    line = server.stdout.readline()
    match = re.search(r"http://127\.0\.0\.1:(\d+)/", line)
    if not match:
        server.kill()
        raise CheckFailed(f"scenario serve printed no address: {line!r} {server.stderr.read()!r}")
    return server, match.group(0)


def start_browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                f"--user-data-dir={profile}", "--window-size=1600,1000", "--lang=it"):
        options.add_argument(arg)
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


def mark(driver, view, kind, position):
    """The mark of the object of `kind` at `position` in a view."""
    return driver.find_element(By.CSS_SELECTOR, f'#{view} [data-tipo="{kind}"][data-inizio="{position}"]')


def rect(driver, element):
    return driver.execute_script("const r = arguments[0].getBoundingClientRect();"
                                 "return [r.left, r.top, r.width, r.height];", element)


def centre_of(box):
    return box[0] + box[2] / 2, box[1] + box[3] / 2


def expect_centred(driver, view, kind, position, what):
    """The object's mark stands at the middle of the view (of the plot,
    across, for the profile), within 1 % of its width."""
    box = rect(driver, driver.find_element(By.ID, view))
    x, y = centre_of(rect(driver, mark(driver, view, kind, position)))
    cx, cy = centre_of(box)
    ok = abs(x - cx) < box[2] * 0.01 and (view == "profilo" or abs(y - cy) < box[3] * 0.01)
    expect(ok, f"{what} ({x:.0f},{y:.0f} in a view centred at {cx:.0f},{cy:.0f})")


# The boxes of the labels on screen: the plan's and the profile's station
# names, each as the browser lays it out, within its view.
LABEL_BOXES = """
const out = [];
for (const id of ['pianta', 'profilo']) {
  const v = document.getElementById(id).getBoundingClientRect();
  for (const e of document.querySelectorAll(`#${id} .etichetta, #${id} .nome-stazione`)) {
    const r = e.getBoundingClientRect();
    if (r.width === 0 || r.right < v.left || r.left > v.right || r.bottom < v.top || r.top > v.bottom) continue;
    out.push([id, e.textContent, r.left, r.top, r.right, r.bottom]);
  }
}
return out;
"""


def overlapping_labels(driver):
    boxes = driver.execute_script(LABEL_BOXES)
    met = []
    for i, a in enumerate(boxes):
        for b in boxes[i + 1:]:
            if a[0] == b[0] and a[2] < b[4] - 0.5 and b[2] < a[4] - 0.5 and a[3] < b[5] - 0.5 and b[3] < a[5] - 0.5:
                met.append((a[1], b[1]))
    return len(boxes), met


def expect_no_overlap(driver, where):
    count, met = overlapping_labels(driver)
    expect(count > 0 and not met, f"{where}: {count} labels on screen, none overlapping {met[:3]}")


def click(driver, element_id):
    driver.find_element(By.ID, element_id).click()


def replace_in(path, old, new):
    with open(path, "rb") as f:
        text = f.read()
    if old not in text:
        raise CheckFailed(f"{old!r} not in {path}")
    with open(path, "wb") as f:
        f.write(text.replace(old, new, 1))


def stop_server(server):
    server.send_signal(signal.SIGINT)
    try:
        server.wait(timeout=5)
    except subprocess.TimeoutExpired:
        server.kill()


# One step of the views, timed to the next frame drawn after it: a click
# on "+" (both views zoom) or a drag of the plan by 100 pixels.
ZOOM_STEP = """
const done = arguments[arguments.length - 1];
const t = performance.now();
document.getElementById(arguments[0]).click();
requestAnimationFrame(() => requestAnimationFrame(() => done(performance.now() - t)));
"""
PAN_STEP = """
const done = arguments[arguments.length - 1];
const t = performance.now();
shown.plan.map.panBy([100, 0], {animate: false});
requestAnimationFrame(() => requestAnimationFrame(() => done(performance.now() - t)));
"""


def drawn_at(driver):
    """When the last drawing was on the page, by the page's clock (ms)."""
    return driver.execute_script("const m = performance.getEntriesByType('mark')"
                                 ".filter((e) => e.name.startsWith('disegno '));"
                                 "return m.length ? m[m.length - 1].startTime : null;")


def wait_drawn(driver, timeout):
    wait_for("drawing shown", lambda: driver.find_elements(By.CSS_SELECTOR, "#pianta .leaflet-overlay-pane path")
             and driver.find_elements(By.CSS_SELECTOR, "#profilo .nome-stazione")
             and driver.find_elements(By.CSS_SELECTOR, "#stazioni .nome"), timeout=timeout, every=0.01)


def measure_long_line(binary, generator, docs, length=900000):
    """Times the page on a generated line of `length` metres."""
    route, train = "Linea_Lunga", "9001"
    work = tempfile.mkdtemp(prefix="browser_long_")
    folder = os.path.join(work, "linea")
    os.mkdir(folder)
    subprocess.run([generator, folder, str(length), route, train], check=True)
    server, url = start_server(binary, folder, route, train)
    driver = None
    try:
        driver = start_browser(os.path.join(work, "profilo-chromium"))
        driver.set_script_timeout(30)
        asked = time.monotonic()
        driver.get(url)
        wait_drawn(driver, 60)
        loaded = time.monotonic() - asked
        # The same by the page's own clock: from the start of the
        # navigation to the drawing's mark, without the browser's own start
        # and the polling of this check.
        in_page = drawn_at(driver)
        expect_no_overlap(driver, f"{length // 1000} km line, whole")
        if docs:
            driver.save_screenshot(os.path.join(docs, "serve_900km.png"))
        page_clock = driver.execute_script("return performance.now();")
        saved = time.monotonic()
        replace_in(os.path.join(folder, f"{route}_{train}-.txt"), b"STAZIONE 02", b"STAZIONE 02 NUOVA")
        page_saved = page_clock + (time.monotonic() - saved) * 1000
        wait_for("renamed station on the long line's page",
                 lambda: "STAZIONE 02 NUOVA" in driver.find_element(By.ID, "stazioni").text, timeout=60, every=0.01)
        updated = drawn_at(driver) - page_saved
        driver.find_element(By.ID, "km").send_keys("450\n")
        zooms = [driver.execute_async_script(ZOOM_STEP, "piu") for _ in range(3)]
        zooms += [driver.execute_async_script(ZOOM_STEP, "meno") for _ in range(3)]
        expect_no_overlap(driver, f"{length // 1000} km line at km 450")
        if docs:
            driver.save_screenshot(os.path.join(docs, "serve_900km_km450.png"))
        pans = [driver.execute_async_script(PAN_STEP) for _ in range(6)]
        print(f"{length // 1000} km line: page to drawing {in_page:.0f} ms ({loaded * 1000:.0f} ms with the browser's start), "
              f"save to page {updated:.0f} ms, "
              f"zoom step {sum(zooms) / len(zooms):.0f} ms (slowest {max(zooms):.0f} ms of {len(zooms)}), "
              f"pan step {sum(pans) / len(pans):.0f} ms (slowest {max(pans):.0f} ms of {len(pans)})")
    finally:
        if driver:
            driver.quit()
        stop_server(server)
        shutil.rmtree(work, ignore_errors=True)


def run(binary, screenshot, docs):
    work = tempfile.mkdtemp(prefix="browser_check_")
    folder = os.path.join(work, "linea")
    subprocess.run([binary, "example", folder], check=True, stdout=subprocess.DEVNULL)
    train = os.path.join(folder, f"{ROUTE}_{TRAIN}-.txt")
    original = open(train, "rb").read()
    # Started on a faulty definition, the page has no drawing to keep.
    replace_in(train, b"14750, 12,  300,", b"14750, 12,  350,")
    server, url = start_server(binary, folder)
    driver = None
    try:
        driver = start_browser(os.path.join(work, "profilo-chromium"))
        driver.get(url)
        text = wait_for("fault shown at the start", lambda: driver.find_element(By.ID, "errore").text
                        if driver.find_element(By.ID, "errore").is_displayed() else None)
        expect("Nessun disegno ancora" in text and "ultima compilazione riuscita" not in text,
               "started on a fault, the page says there is no drawing yet")
        with open(train, "wb") as f:
            f.write(original)
        names = wait_for("stations listed", lambda: [e.text.split("\n")[0] for e in
                                                     driver.find_elements(By.CSS_SELECTOR, "#stazioni .nome")]
                         if len(driver.find_elements(By.CSS_SELECTOR, "#stazioni .nome")) == 12 else None)
        expect(names[0] == "BRENVALO TERME" and names[-1] == "MORVENA", f"page loads with the 12 stations: {names}")
        wait_drawn(driver, 5)

        # The whole line: names are text of the page, and no two overlap.
        plan_names = {e.text for e in driver.find_elements(By.CSS_SELECTOR, "#pianta .etichetta.stazione")}
        expect(STATION in plan_names and "MORVENA" in plan_names, f"station names on the plan are text: {sorted(plan_names)[:4]}...")
        expect_no_overlap(driver, "built-in line, whole")
        if docs:
            driver.save_screenshot(os.path.join(docs, "serve_whole.png"))
        # The fastest run on the profile's speed axis; "tempo" turns the
        # plot into the timetable against the run.
        expect(driver.find_elements(By.CSS_SELECTOR, "#profilo polyline.corsa"), "the fastest run is on the profile")
        click(driver, "tempo")
        expect(driver.find_elements(By.CSS_SELECTOR, "#profilo polyline.orario")
               and "9.30" in driver.find_element(By.ID, "profilo").text, "\"tempo\" shows the timetable against the run")
        if docs:
            driver.save_screenshot(os.path.join(docs, "serve_tempo.png"))
        click(driver, "tempo")

        # Choosing a station centres both views on it.
        button = next(b for b in driver.find_elements(By.CSS_SELECTOR, "#stazioni button")
                      if b.text.startswith(STATION + "\n"))
        button.click()
        expect_centred(driver, "pianta", "stazione", STATION_AT, f"{STATION} centred in the plan")
        expect_centred(driver, "profilo", "stazione", STATION_AT, f"{STATION} centred in the profile")

        # Three steps in, the station's symbol keeps its size on the screen.
        sizes = [rect(driver, mark(driver, "pianta", "stazione", STATION_AT))[2]]
        for _ in range(3):
            click(driver, "piu")
            sizes.append(rect(driver, mark(driver, "pianta", "stazione", STATION_AT))[2])
        expect(max(sizes) <= min(sizes) * 1.1, f"the station's symbol keeps its size zooming in: {sizes} px")
        expect_centred(driver, "pianta", "stazione", STATION_AT, f"{STATION} still centred, deep in")
        expect_no_overlap(driver, "built-in line, deep in at a station")
        if docs:
            driver.save_screenshot(os.path.join(docs, "serve_station.png"))

        # So does a kilometre typed in the box, with a decimal comma.
        km_box = driver.find_element(By.ID, "km")
        km_box.send_keys("17,9\n")
        expect_centred(driver, "profilo", "stazione", 17900, "km 17,9 typed in the box centres the profile there")
        # Back to the station, 6 km across.
        click(driver, "tutta")
        button.click()

        # Pointing at a signal shows what it is and where it comes from.
        ActionChains(driver).move_to_element(mark(driver, "pianta", "segnale", SIGNAL_AT)).perform()
        details = wait_for("signal details", lambda: driver.find_element(By.ID, "dettagli").text
                           if "Segnale" in driver.find_element(By.ID, "dettagli").text
                           and ".txt:" in driver.find_element(By.ID, "dettagli").text else None)
        source = re.search(rf"{ROUTE}_{TRAIN}-\.txt:(\d+)", details)
        expect(source is not None and f"{SIGNAL_AT} m" in details and "km 14,100" in details,
               "pointing at a signal shows its position and definition line")
        line = original.decode("cp1252").splitlines()[int(source.group(1)) - 1]
        expect(line.startswith("segnale") and str(SIGNAL_AT) in line, f"the line named is the signal's: {line!r}")

        # A saved edit reaches the page without a reload, keeping the view.
        driver.execute_script("window.__stessa_pagina = true;")
        where = "return [shown.plan.map.getCenter().lat, shown.plan.map.getCenter().lng, shown.plan.map.getZoom(), view.c, view.s];"
        before = driver.execute_script(where)
        renamed = "PRACCHIA NUOVA"
        saved = time.monotonic()
        replace_in(train, b"PRACCHIA", renamed.encode())
        wait_for("renamed station on the page",
                 lambda: renamed in driver.find_element(By.ID, "stazioni").text, timeout=2.0, every=0.01)
        took = time.monotonic() - saved
        expect(driver.execute_script("return window.__stessa_pagina === true;"), "no reload")
        expect(driver.execute_script(where) == before, "the view is kept")
        expect(renamed in {e.text for e in driver.find_elements(By.CSS_SELECTOR, "#pianta .etichetta.stazione")},
               "the new name is on the plan")
        print(f"update from save to page: {took * 1000:.0f} ms")

        # A fault shows at the top, over the last good drawing; the fix clears it.
        replace_in(train, b"14750, 12,  300,", b"14750, 12,  350,")
        text = wait_for("fault shown", lambda: driver.find_element(By.ID, "errore").text
                        if driver.find_element(By.ID, "errore").is_displayed() else None, timeout=2.0)
        expect("errore 9" in text and f"{ROUTE}_{TRAIN}-.txt:38" in text, f"the fault is shown: {text.splitlines()[0]}")
        expect("scaduto" in driver.find_element(By.ID, "viste").get_attribute("class"), "drawing marked out of date")
        expect(renamed in driver.find_element(By.ID, "stazioni").text, "the last good drawing stays")
        replace_in(train, b"14750, 12,  350,", b"14750, 12,  300,")
        wait_for("fault cleared", lambda: not driver.find_element(By.ID, "errore").is_displayed(), timeout=2.0)
        expect("scaduto" not in driver.find_element(By.ID, "viste").get_attribute("class"), "the fix clears the fault")

        # The object in the panel goes when its record goes.
        ActionChains(driver).move_to_element(mark(driver, "pianta", "segnale", SIGNAL_AT)).perform()
        wait_for("signal details", lambda: "Segnale" in driver.find_element(By.ID, "dettagli").text)
        # Away from the views, so that nothing else is pointed at meanwhile.
        ActionChains(driver).move_to_element(driver.find_element(By.ID, "titolo")).perform()
        text = open(train, "rb").read().decode("cp1252")
        signal_line = next(l for l in text.split("\r\n") if l.startswith("segnale") and f"{SIGNAL_AT}," in l)
        replace_in(train, (signal_line + "\r\n").encode("cp1252"), b"")
        wait_for("panel cleared", lambda: "Punta un oggetto" in driver.find_element(By.ID, "dettagli").text, 2.0)
        expect(True, "the panel clears when its signal is taken out of the definition")
        # Back to the example as written: the last edit reaches the page too.
        with open(train, "wb") as f:
            f.write(original)
        wait_for("station name restored", lambda: renamed not in driver.find_element(By.ID, "stazioni").text, 2.0)
        if screenshot:
            # The whole line, with the signal pointed at.
            click(driver, "tutta")
            ActionChains(driver).move_to_element(mark(driver, "pianta", "segnale", SIGNAL_AT)).perform()
            wait_for("signal details", lambda: "Segnale" in driver.find_element(By.ID, "dettagli").text)
            driver.save_screenshot(screenshot)
            print(f"screenshot: {screenshot}")
        expect(sorted(os.listdir(folder)) == sorted([f"{ROUTE}_linea.txt", f"{ROUTE}_{TRAIN}-.txt"]),
               "nothing written beside the definitions")
    finally:
        if driver:
            driver.quit()
        stop_server(server)
        shutil.rmtree(work, ignore_errors=True)
    expect(server.returncode == 0, "scenario serve ends cleanly on Ctrl+C")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario")
    parser.add_argument("--screenshot")
    parser.add_argument("--long-line", metavar="GENERATOR")
    parser.add_argument("--docs", metavar="DIR")
    args = parser.parse_args()
    docs = os.path.abspath(args.docs) if args.docs else None
    try:
        run(os.path.abspath(args.scenario), args.screenshot, docs)
        if args.long_line:
            measure_long_line(os.path.abspath(args.scenario), os.path.abspath(args.long_line), docs)
    except CheckFailed as e:
        print(f"FAILED: {e}", file=sys.stderr)
        return 1
    print("browser check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
