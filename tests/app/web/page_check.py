#!/usr/bin/env python3
"""Opens the remote-control page in headless Chromium and uses it as a person would.

Usage: page_check.py URL-WITH-TOKEN SCREENSHOT-PREFIX CHANNEL-NAME
Exit status 0 when every check holds; otherwise the failed check on stderr.
"""
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait


def main():
    url, shots, name = sys.argv[1], sys.argv[2], sys.argv[3]
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=400,1000", "--user-data-dir=" + tempfile.mkdtemp()):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    wait = WebDriverWait(driver, 20)
    try:
        driver.get(url + "&lang=de")
        # The channel list fills from the program, with names.
        wait.until(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#channels li")) > 1)
        names = [li.text for li in driver.find_elements(By.CSS_SELECTOR, "#channels li")]
        if not any(name in n for n in names):
            raise AssertionError("no channel shows the name %r: %r" % (name, names[:5]))
        before = wait.until(lambda d: d.find_element(By.ID, "st-num").text.strip("–").strip() or None)
        # "Next channel" clicked on the page changes the program's channel.
        driver.find_element(By.CSS_SELECTOR, "button[data-cmd='next-channel']").click()
        wait.until(lambda d: d.find_element(By.ID, "st-num").text.strip() not in ("", "–", before))
        # The live video plays: it has a picture size and its time runs on.
        playing = "const v = document.querySelector('#picture video'); return v && v.videoWidth > 0 && v.currentTime;"
        started = wait.until(lambda d: d.execute_script(playing))
        wait.until(lambda d: (d.execute_script(playing) or 0) > started + 1)
        driver.save_screenshot(shots + "-phone-de.png")
        driver.set_window_size(1200, 800)
        driver.get(url + "&lang=zh")
        wait.until(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#channels li")) > 1)
        wait.until(lambda d: d.execute_script(playing))
        driver.save_screenshot(shots + "-desktop-zh.png")
        driver.get(url + "&lang=en")
        wait.until(lambda d: d.execute_script(playing))
        driver.save_screenshot(shots + "-desktop-en.png")
    except Exception:
        for entry in driver.get_log("browser"):
            print("browser: %s" % entry.get("message"), file=sys.stderr)
        raise
    finally:
        driver.quit()
    print("channel %s -> next; %d channels" % (before, len(names)))


if __name__ == "__main__":
    try:
        main()
    except Exception as e:  # one line that says what failed
        print("page check failed: %s: %s" % (type(e).__name__, e), file=sys.stderr)
        sys.exit(1)
