#!/usr/bin/python3
# Measures TrenoxVK.html in headless Chromium: file size, load to frame 1, passes per second at the
# fastest pace, the start count's duration, long tasks, repaint gaps and script round trips.
# Usage: bench/web_bench.py [build-web/TrenoxVK.html] [repetitions]
import gzip
import statistics
import sys
import time
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.actions.action_builder import ActionBuilder

PAGE = Path(sys.argv[1] if len(sys.argv) > 1 else "build-web/TrenoxVK.html").resolve()
REPETITIONS = int(sys.argv[2]) if len(sys.argv) > 2 else 5

# Runs before the page's own script: the time of each picture put on the canvas (page time, ms from
# navigation start), the page's repaints, and its long tasks. Nothing here reads the canvas back.
PROBE = """
window.benchPuts = [];
window.benchPaints = [];
window.benchLongTasks = [];
const put = CanvasRenderingContext2D.prototype.putImageData;
CanvasRenderingContext2D.prototype.putImageData = function (...args) {
  put.apply(this, args);
  window.benchPuts.push(performance.now());
};
const paint = (at) => { window.benchPaints.push(at); requestAnimationFrame(paint); };
requestAnimationFrame(paint);
new PerformanceObserver((list) => {
  for (const task of list.getEntries()) window.benchLongTasks.push([task.startTime, task.duration]);
}).observe({type: 'longtask', buffered: true});
"""


def start_browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--window-size=1024,900", "--disable-gpu"):
        options.add_argument(argument)
    driver = webdriver.Chrome(options=options, service=Service(executable_path="/usr/bin/chromedriver"))
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PROBE})
    return driver


def wait_for_puts(driver, count, timeout=15):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if len(driver.execute_script("return window.benchPuts;")) >= count:
            return
        time.sleep(0.01)
    raise RuntimeError(f"fewer than {count} frames within {timeout} s")


def move_pointer_to_canvas_corner(driver):
    left, top = driver.execute_script(
        "const box = document.getElementById('canvas').getBoundingClientRect(); return [box.left, box.top];")
    actions = ActionBuilder(driver)
    actions.pointer_action.move_to_location(int(left), int(top))  # pace 0: one idle iteration a pass
    actions.perform()


def gaps(times):
    return [b - a for a, b in zip(times, times[1:])]


def one_run(driver):
    """One load of the page: its figures, all in ms except passes per second."""
    driver.get(PAGE.as_uri())
    wait_for_puts(driver, 1)
    first_put = driver.execute_script("return window.benchPuts[0];")
    first_paint = driver.execute_script(
        "return window.benchPaints.find((at) => at >= window.benchPuts[0]) || null;")
    # At the starting pace: frames 2 to 5 each follow one start count (plus one pass's show and events).
    round_trips = []
    while len(driver.execute_script("return window.benchPuts;")) < 5:
        started = time.perf_counter()
        driver.execute_script("return 0;")
        round_trips.append((time.perf_counter() - started) * 1000)
        time.sleep(0.1)
    start_puts = driver.execute_script("return window.benchPuts.slice(1, 5);")
    start_paints = driver.execute_script(
        "return window.benchPaints.filter((at) => at >= window.benchPuts[1] && at <= window.benchPuts[4]);")
    # The fastest pace: count passes over two seconds, once the pointer move has taken effect.
    move_pointer_to_canvas_corner(driver)
    time.sleep(1)
    before = driver.execute_script("return [performance.now(), window.benchPuts.length];")
    time.sleep(2)
    after = driver.execute_script("return [performance.now(), window.benchPuts.length];")
    fast_paints = driver.execute_script("return window.benchPaints.filter((at) => at >= arguments[0]);", before[0])
    long_tasks = driver.execute_script("return window.benchLongTasks.filter((task) => task[0] >= arguments[0]);",
                                       first_put)
    return {
        "frame 1 put on the canvas": first_put,
        "frame 1 painted": first_paint,
        "start count (frame to frame)": statistics.median(gaps(start_puts)),
        "script round trip, longest": max(round_trips, default=0),
        "script round trip, median": statistics.median(round_trips or [0]),
        "repaint gap at the starting pace, longest": max(gaps(start_paints)),
        "repaint gap at the fastest pace, longest": max(gaps(fast_paints)),
        "passes per second at the fastest pace": (after[1] - before[1]) / (after[0] - before[0]) * 1000,
        "long tasks while running": len(long_tasks),
        "longest task while running": max((task[1] for task in long_tasks), default=0),
    }


def main():
    data = PAGE.read_bytes()
    print(f"{PAGE.name}: {len(data):,} bytes, {len(gzip.compress(data, 9)):,} gzipped")
    driver = start_browser()
    try:
        runs = [one_run(driver) for _ in range(REPETITIONS)]
    finally:
        driver.quit()
    print(f"medians of {REPETITIONS} loads (range in brackets):")
    for name in runs[0]:
        values = [run[name] for run in runs if run[name] is not None]
        print(f"  {name}: {statistics.median(values):.1f} ({min(values):.1f} to {max(values):.1f})")


if __name__ == "__main__":
    main()
