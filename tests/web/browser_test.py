#!/usr/bin/env python3
"""vo web's pages in a real headless Chromium, driven by Selenium: a sample is
imported through the Import page (preview first), its run opened with its
rows, the transactions and symbols listed, the charts drawn, an undo refused
because an expiration refers to the run, and a run undone. A screenshot of
each page is saved for the documentation and as a CI artifact.

Usage: browser_test.py VO SECMASTER SAMPLES SCREENSHOTS
Exits 77 (skipped) when Chromium, its driver or Selenium is missing, except
under CI=true, where that fails.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

SKIP = 77


def missing(reason):
    if os.environ.get("CI") == "true":
        print(f"browser test cannot run under CI: {reason}", file=sys.stderr)
        sys.exit(1)
    print(f"skipped: {reason} (install chromium, chromium-driver and python3-selenium)")
    sys.exit(SKIP)


try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support import expected_conditions as ready
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    missing(f"no Selenium for {sys.executable}")

CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")
DRIVER = shutil.which("chromedriver")
if not CHROMIUM or not DRIVER:
    missing("no chromium" if not CHROMIUM else "no chromedriver")


def start(command):
    """A child process whose first line of output names its address."""
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    first = child.stdout.readline()
    found = re.search(r"http://127\.0\.0\.1:(\d+)/", first)
    if not found:
        child.kill()
        sys.exit(f"{command[0]} did not start: {first}{child.stdout.read()}")
    return child, found.group(0)


def stop(child):
    child.send_signal(signal.SIGTERM)
    try:
        child.wait(timeout=10)
    except subprocess.TimeoutExpired:
        child.kill()


class Pages:
    """The browser on vo web's pages, with the few steps the test takes."""

    def __init__(self, url, screenshots, profile):
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        # Without the networking switches Chromium reaches for the network at
        # start and hangs where there is none.
        for switch in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                       "--disable-background-networking", "--disable-component-update", "--disable-sync",
                       "--disable-dev-shm-usage", "--window-size=1200,800", f"--user-data-dir={profile}"):
            options.add_argument(switch)
        self.driver = webdriver.Chrome(service=Service(DRIVER), options=options)
        self.url = url
        self.screenshots = screenshots
        self.wait = WebDriverWait(self.driver, 20)

    def open(self, page):
        """Goes to the page and waits until it has been drawn anew."""
        body = lambda d: d.find_element(By.TAG_NAME, "body")
        drawn = body(self.driver).get_attribute("data-ready") if self.driver.current_url.startswith(self.url) else None
        self.driver.get(f"{self.url}#{page}")
        self.wait.until(lambda d: body(d).get_attribute("data-page") == page.split("/")[0]
                        and body(d).get_attribute("data-ready") not in (None, drawn))

    def text(self, element_id):
        return self.wait.until(ready.visibility_of_element_located((By.ID, element_id))).text

    def fill(self, element_id, value):
        field = self.driver.find_element(By.ID, element_id)
        field.clear()
        field.send_keys(value)

    def click(self, element_id):
        self.wait.until(ready.element_to_be_clickable((By.ID, element_id))).click()

    def no_error(self):
        box = self.driver.find_element(By.ID, "error")
        assert not box.is_displayed(), f"the page shows an error: {box.text}"

    def shoot(self, name):
        self.driver.save_screenshot(os.path.join(self.screenshots, f"{name}.png"))

    def upload(self, path, account):
        self.open("import")
        chooser = self.driver.find_element(By.ID, "file")
        chooser.send_keys(path)
        self.wait.until(lambda d: "recognised as" in d.find_element(By.ID, "recognised").text
                        or d.find_element(By.ID, "error").is_displayed())
        self.no_error()
        self.fill("account-id", account)
        self.fill("account-name", f"account{account}")

    def run_count(self):
        self.open("runs")
        return len(self.driver.find_elements(By.CSS_SELECTOR, "#runs-table tbody tr"))


def main():
    vo, secmaster_program, samples, screenshots = sys.argv[1:5]
    os.makedirs(screenshots, exist_ok=True)
    for old in os.listdir(screenshots):
        if old.endswith(".png"):
            os.remove(os.path.join(screenshots, old))
    with tempfile.TemporaryDirectory(prefix="vo-browser-") as work:
        database = os.path.join(work, "vo.sqlite3")
        server, url = start([vo, "--db", database, "web", "--listen", "127.0.0.1:0", "--log-dir", work])
        secmaster, secmaster_url = start([secmaster_program, "--port", "0", "--data",
                                          os.path.join(samples, "secmaster.json")])
        pages = None
        try:
            pages = Pages(url, screenshots, os.path.join(work, "profile"))
            # Import: the preview, then the import itself.
            pages.upload(os.path.join(samples, "native.csv"), "1")
            pages.click("preview-button")
            preview = pages.text("preview-line")
            assert preview.startswith("dry run of ") and "nothing written" in preview, preview
            stored = int(re.search(r": (\d+) transactions", preview).group(1))
            shown = pages.driver.find_elements(By.CSS_SELECTOR, "#preview table")[0]
            assert len(shown.find_elements(By.CSS_SELECTOR, "tbody tr")) == stored
            pages.shoot("import")
            pages.click("import-button")
            line = pages.text("import-line")
            assert line.startswith(f"imported ") and f": {stored} transactions stored" in line, line

            # The run and its rows.
            pages.click("open-run")
            pages.text("run-log")
            rows = pages.driver.find_elements(By.CSS_SELECTOR, "#run-detail table tbody tr")
            assert len(rows) == stored, f"{len(rows)} rows shown, {stored} stored"
            pages.no_error()
            pages.shoot("runs")

            # Transactions, filtered by symbol.
            pages.open("transactions")
            assert f"of {stored}" in pages.text("page-info"), pages.text("page-info")
            symbol = pages.driver.find_element(By.NAME, "symbol")
            symbol.send_keys("IBM")
            symbol.submit()
            pages.wait.until(lambda d: f"of {stored}" not in d.find_element(By.ID, "page-info").text)
            for cell in pages.driver.find_elements(By.CSS_SELECTOR, "#transactions tbody td:nth-child(5)"):
                assert cell.text == "IBM", cell.text
            pages.no_error()
            pages.shoot("transactions")

            # Symbols and the preview of an update.
            pages.open("symbols")
            pages.fill("secmaster-url", secmaster_url)
            pages.click("symbol-preview")
            assert re.match(r"dry run: [1-9]\d* changes, nothing written", pages.text("symbol-line"))
            pages.shoot("symbols")

            # Charts: the runs, and IBM's trades.
            pages.open("charts")
            pages.wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#runs-chart rect.bar"))
            pages.fill("chart-symbol", "IBM")
            pages.driver.find_element(By.ID, "chart-symbol").submit()
            pages.wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#symbol-chart circle"))
            pages.no_error()
            pages.shoot("charts")

            # An expiration refers to a second run's call: its undo is refused, named.
            header, *lines = open(os.path.join(samples, "native.csv")).read().splitlines()
            call = os.path.join(work, "call.csv")
            with open(call, "w") as out:
                out.write(header + "\n" + next(l for l in lines if "T1007" in l) + "\n")
            pages.upload(call, "2")
            pages.click("import-button")
            pages.text("import-line")
            expired = subprocess.run([vo, "--db", database, "show", "--account", "2", "--columns", "trans_id",
                                      "--format", "csv"], capture_output=True, text=True, check=True)
            call_id = expired.stdout.split()[1]
            subprocess.run([vo, "--db", database, "expire-options", f"{call_id}=5"], check=True, capture_output=True)
            pages.open("runs/2")
            pages.click("undo")
            pages.click("undo-confirm")
            refusal = pages.text("undo-refused")
            assert refusal.startswith("cannot undo run 2: rows made later refer to the run's transactions"), refusal
            pages.shoot("undo-refused")

            # The first run undone: its rows are gone from the transactions.
            pages.open("runs/1")
            pages.click("undo")
            pages.click("undo-confirm")
            assert pages.text("undo-line").startswith(f"run 1 undone: {stored} transactions"), pages.text("undo-line")
            pages.open("transactions")
            symbol = pages.driver.find_element(By.NAME, "symbol")
            symbol.clear()
            symbol.submit()
            # Left: the second run's call and the row its expiration wrote.
            pages.wait.until(lambda d: d.find_element(By.ID, "page-info").text == "rows 1 to 2 of 2")
            for cell in pages.driver.find_elements(By.CSS_SELECTOR, "#transactions tbody td:nth-child(3)"):
                assert cell.text == "2", cell.text
            pages.no_error()
        except Exception:
            if pages:
                pages.shoot("failure")
            raise
        finally:
            if pages:
                pages.driver.quit()
            stop(secmaster)
            stop(server)
    print(f"screenshots in {screenshots}")


if __name__ == "__main__":
    main()
