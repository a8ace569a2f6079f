#!/usr/bin/env python3
"""The live view in a real browser: headless Chromium driven by Selenium
against `scenario serve` on the example definitions.

Checks that, started on a faulty definition, the page says it has no drawing
yet; that the page then loads with the stations listed, that choosing a station
centres both views on it, that pointing at a signal shows its details and
its definition line, that a saved edit (a renamed station) reaches the page
within two seconds without a reload, keeping the view, and that a saved fault
shows and its fix clears it, and that the object panel clears when its
object is taken out of the definition. Prints how long the update took.

With --long-line GENERATOR (bench/generate_definitions), it also times the
page on a generated 900 km line: from the page asked for to the drawing
shown, from a save to the page, and one zoom step (wheel event to the next
frame drawn), and prints the figures.

usage: browser_check.py SCENARIO_BINARY [--screenshot FILE.png] [--long-line GENERATOR]
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


def view_box(driver, view):
    box = driver.execute_script(f"return document.querySelector('#{view} > svg').getAttribute('viewBox');")
    return [float(v) for v in box.split()]


def centre(box):
    return box[0] + box[2] / 2, box[1] + box[3] / 2


def target(driver, view, kind, position):
    """The mark of the object of `kind` at `position` in a view."""
    return driver.find_element(By.CSS_SELECTOR, f'#{view} [data-tipo="{kind}"][data-inizio="{position}"]')


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


# One wheel notch on the profile, timed to the next frame drawn after it.
ZOOM_STEP = """
const done = arguments[arguments.length - 1];
const view = document.getElementById('profilo'), r = view.getBoundingClientRect();
const t = performance.now();
view.dispatchEvent(new WheelEvent('wheel', {deltaY: -100, clientX: r.left + r.width / 2,
                                            clientY: r.top + r.height / 2, bubbles: true, cancelable: true}));
requestAnimationFrame(() => requestAnimationFrame(() => done(performance.now() - t)));
"""


def measure_long_line(binary, generator, length=900000):
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
        wait_for("long line drawn", lambda: driver.find_elements(By.CSS_SELECTOR, "#pianta > svg")
                 and driver.find_elements(By.CSS_SELECTOR, "#stazioni .nome"), timeout=60, every=0.01)
        loaded = time.monotonic() - asked
        saved = time.monotonic()
        replace_in(os.path.join(folder, f"{route}_{train}-.txt"), b"STAZIONE 02", b"STAZIONE 02 NUOVA")
        wait_for("renamed station on the long line's page",
                 lambda: "STAZIONE 02 NUOVA" in driver.find_element(By.ID, "stazioni").text, timeout=60, every=0.01)
        updated = time.monotonic() - saved
        steps = [driver.execute_async_script(ZOOM_STEP) for _ in range(10)]
        print(f"{length // 1000} km line: page to drawing {loaded * 1000:.0f} ms, save to page {updated * 1000:.0f} ms, "
              f"zoom step {sum(steps) / len(steps):.0f} ms (slowest {max(steps):.0f} ms of 10)")
    finally:
        if driver:
            driver.quit()
        stop_server(server)
        shutil.rmtree(work, ignore_errors=True)


def run(binary, screenshot):
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

        # Choosing a station centres both views on it.
        button = next(b for b in driver.find_elements(By.CSS_SELECTOR, "#stazioni button")
                      if b.text.startswith(STATION + "\n"))
        button.click()
        plan_mark = target(driver, "pianta", "stazione", STATION_AT)
        profile_mark = target(driver, "profilo", "stazione", STATION_AT)
        px, py = float(plan_mark.get_attribute("cx")), float(plan_mark.get_attribute("cy"))
        plan_box, profile_box = view_box(driver, "pianta"), view_box(driver, "profilo")
        cx, cy = centre(plan_box)
        expect(abs(cx - px) < plan_box[2] * 0.01 and abs(cy - py) < plan_box[3] * 0.01,
               f"{STATION} centred in the plan ({px:.1f},{py:.1f} in {plan_box})")
        sx = float(profile_mark.get_attribute("x")) + float(profile_mark.get_attribute("width")) / 2
        expect(abs(centre(profile_box)[0] - sx) < profile_box[2] * 0.01,
               f"{STATION} centred in the profile (x {sx:.1f} in {profile_box})")

        # So does a kilometre typed in the box, with a decimal comma.
        km_box = driver.find_element(By.ID, "km")
        km_box.send_keys("17,9\n")
        mark = target(driver, "profilo", "stazione", 17900)
        x = float(mark.get_attribute("x")) + float(mark.get_attribute("width")) / 2
        box = view_box(driver, "profilo")
        expect(abs(centre(box)[0] - x) < box[2] * 0.01, "km 17,9 typed in the box centres the profile there")
        button.click()

        # Pointing at a signal shows what it is and where it comes from.
        ActionChains(driver).move_to_element(target(driver, "pianta", "segnale", SIGNAL_AT)).perform()
        details = wait_for("signal details", lambda: driver.find_element(By.ID, "dettagli").text
                           if "Segnale" in driver.find_element(By.ID, "dettagli").text else None)
        source = re.search(rf"{ROUTE}_{TRAIN}-\.txt:(\d+)", details)
        expect(source is not None and f"{SIGNAL_AT} m" in details and "km 14,100" in details,
               "pointing at a signal shows its position and definition line")
        line = original.decode("cp1252").splitlines()[int(source.group(1)) - 1]
        expect(line.startswith("segnale") and str(SIGNAL_AT) in line, f"the line named is the signal's: {line!r}")

        # A saved edit reaches the page without a reload, keeping the view.
        driver.execute_script("window.__stessa_pagina = true;")
        before = view_box(driver, "pianta")
        renamed = "PRACCHIA NUOVA"
        saved = time.monotonic()
        replace_in(train, b"PRACCHIA", renamed.encode())
        wait_for("renamed station on the page",
                 lambda: renamed in driver.find_element(By.ID, "stazioni").text, timeout=2.0, every=0.01)
        took = time.monotonic() - saved
        expect(driver.execute_script("return window.__stessa_pagina === true;"), "no reload")
        expect(view_box(driver, "pianta") == before, "the view is kept")
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
        ActionChains(driver).move_to_element(target(driver, "pianta", "segnale", SIGNAL_AT)).perform()
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
            driver.find_element(By.ID, "tutta").click()
            ActionChains(driver).move_to_element(target(driver, "pianta", "segnale", SIGNAL_AT)).perform()
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
    args = parser.parse_args()
    try:
        run(os.path.abspath(args.scenario), args.screenshot)
        if args.long_line:
            measure_long_line(os.path.abspath(args.scenario), os.path.abspath(args.long_line))
    except CheckFailed as e:
        print(f"FAILED: {e}", file=sys.stderr)
        return 1
    print("browser check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
