#!/usr/bin/env python3
"""Live latency in a browser: headless Chromium opens the page, its <video> plays /live, and
the channel flips between a white and a black station. For each flip, the time from the
program's own picture changing (its /live.jpg) to the video showing the change, on the
browser's clock. Prints "latency MS" per flip.

Usage: browser_latency.py PAGE-URL-WITH-TOKEN FLIPS WHITE-CHANNEL BLACK-CHANNEL
"""
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

MEASURE = r"""
const [flips, white, black, done] = arguments;
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
async function waitFor(test, ms) {
  const end = performance.now() + ms;
  while (performance.now() < end) { const v = await test(); if (v) return v; await sleep(5); }
  return null;
}
const canvas = document.createElement("canvas");
canvas.width = 8; canvas.height = 6;
const ctx = canvas.getContext("2d", { willReadFrequently: true });
function brightness(source) {
  ctx.drawImage(source, 0, 0, 8, 6);
  const d = ctx.getImageData(0, 0, 8, 6).data;
  let sum = 0;
  for (let i = 0; i < d.length; i += 4) sum += (d[i] + d[i + 1] + d[i + 2]) / 3;
  return sum / 48;
}
async function programBright() {
  const r = await fetch("/live.jpg?t=" + Date.now(), { cache: "no-store" });
  return brightness(await createImageBitmap(await r.blob())) > 128;
}
(async () => {
  const video = await waitFor(() => {
    const v = document.querySelector("#picture video");
    return v && v.videoWidth > 0 && v.currentTime > 0 ? v : null;
  }, 30000);
  if (!video) {
    const v = document.querySelector("#picture video");
    const b = v && v.buffered;
    return done("the video never played: " + JSON.stringify(v ? {
      ready: v.readyState, network: v.networkState, error: v.error && v.error.message, time: v.currentTime,
      buffered: b && b.length ? [b.start(0), b.end(b.length - 1)] : [], paused: v.paused } : "no video element"));
  }
  await fetch("/api/channel/" + white, { method: "POST" });
  if (!(await waitFor(() => brightness(video) > 128, 30000))) return done("the video never turned white");
  const results = [];
  for (let i = 0; i < flips; i++) {
    const bright = i % 2 === 1;
    await fetch("/api/channel/" + (bright ? white : black), { method: "POST" });
    const shown = await waitFor(async () => ((await programBright()) === bright ? performance.now() : null), 10000);
    if (!shown) return done("the program's picture did not change");
    const seen = await waitFor(() => ((brightness(video) > 128) === bright ? performance.now() : null), 15000);
    if (!seen) return done("the video did not change");
    results.push(seen - shown);
  }
  done(results);
})().catch((e) => done(String(e)));
"""


def main():
    url, flips, white, black = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--autoplay-policy=no-user-gesture-required",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=1000,800", "--user-data-dir=" + tempfile.mkdtemp()):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        driver.set_script_timeout(300)
        driver.get(url)
        result = driver.execute_async_script(MEASURE, flips, white, black)
    finally:
        driver.quit()
    if not isinstance(result, list):
        print("browser measure failed: %s" % result, file=sys.stderr)
        return 1
    for ms in result:
        print("latency %.0f" % ms)
    return 0


if __name__ == "__main__":
    sys.exit(main())
