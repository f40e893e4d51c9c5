#!/usr/bin/python3
# Measures TrenoxVK.html in headless Chromium and Firefox ESR, side by side: file size, load to frame
# 1, passes per second at the fastest pace, the start count's duration, long tasks, repaint gaps and
# script round trips.
# Usage: bench/web_bench.py [build-web/TrenoxVK.html] [repetitions] [browser ...]
import gzip
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "web"))
import browsers  # noqa: E402  (the tests' own drivers)

PAGE = Path(sys.argv[1] if len(sys.argv) > 1 else "build-web/TrenoxVK.html").resolve()
REPETITIONS = int(sys.argv[2]) if len(sys.argv) > 2 else 5
BROWSERS = sys.argv[3:] or list(browsers.BROWSERS)

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
// Firefox reports no long tasks; there the repaint gaps show them.
if (PerformanceObserver.supportedEntryTypes.includes('longtask')) {
  new PerformanceObserver((list) => {
    for (const task of list.getEntries()) window.benchLongTasks.push([task.startTime, task.duration]);
  }).observe({type: 'longtask', buffered: true});
} else {
  window.benchLongTasks = null;
}
"""


def wait_for_puts(browser, count, timeout=15):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if browser.script("return window.benchPuts.length;") >= count:
            return
        time.sleep(0.01)
    raise RuntimeError(f"fewer than {count} frames within {timeout} s")


def move_pointer_to_canvas_corner(browser):
    left, top = browser.script(
        "const box = document.getElementById('canvas').getBoundingClientRect(); return [box.left, box.top];")
    # From elsewhere: a pointer already resting there (the load before) would report no move.
    browser.pointer(("move", left + 50, top + 50), ("move", left, top))  # pace 0: one idle iteration a pass


def gaps(times):
    return [b - a for a, b in zip(times, times[1:])]


def one_run(browser):
    """One load of the page: its figures, all in ms except passes per second."""
    browser.open(PAGE.as_uri())
    wait_for_puts(browser, 1)
    first_put = browser.script("return window.benchPuts[0];")
    first_paint = browser.script(
        "return window.benchPaints.find((at) => at >= window.benchPuts[0]) || null;")
    # At the starting pace: frames 2 to 5 each follow one start count (plus one pass's show and events).
    round_trips = []
    while len(browser.script("return window.benchPuts;")) < 5:
        started = time.perf_counter()
        browser.script("return 0;")
        round_trips.append((time.perf_counter() - started) * 1000)
        time.sleep(0.1)
    start_puts = browser.script("return window.benchPuts.slice(1, 5);")
    start_paints = browser.script(
        "return window.benchPaints.filter((at) => at >= window.benchPuts[1] && at <= window.benchPuts[4]);")
    # The fastest pace: count passes over two seconds, once the pointer move has taken effect (at the
    # end of a start-pace pass).
    move_pointer_to_canvas_corner(browser)
    wait_for_puts(browser, browser.script("return window.benchPuts.length;") + 100)
    before = browser.script("return [performance.now(), window.benchPuts.length];")
    time.sleep(2)
    after = browser.script("return [performance.now(), window.benchPuts.length];")
    fast_paints = browser.script("return window.benchPaints.filter((at) => at >= arguments[0]);", before[0])
    long_tasks = browser.script(
        "return window.benchLongTasks && window.benchLongTasks.filter((task) => task[0] >= arguments[0]);", first_put)
    return {
        "frame 1 put on the canvas": first_put,
        "frame 1 painted": first_paint,
        "start count (frame to frame)": statistics.median(gaps(start_puts)),
        "script round trip, longest": max(round_trips, default=0),
        "script round trip, median": statistics.median(round_trips or [0]),
        "repaint gap at the starting pace, longest": max(gaps(start_paints)),
        "repaint gap at the fastest pace, longest": max(gaps(fast_paints)),
        "passes per second at the fastest pace": (after[1] - before[1]) / (after[0] - before[0]) * 1000,
        "long tasks while running": None if long_tasks is None else len(long_tasks),
        "longest task while running": None if long_tasks is None else max((t[1] for t in long_tasks), default=0),
    }


def measure(name):
    browser = browsers.start(name)
    try:
        browser.add_preload_script(PROBE)
        return browser.version, [one_run(browser) for _ in range(REPETITIONS)]
    finally:
        browser.quit()


def summary(runs, figure):
    values = [run[figure] for run in runs if run[figure] is not None]
    if not values:
        return "not observable"
    return f"{statistics.median(values):.1f} ({min(values):.1f} to {max(values):.1f})"


def main():
    data = PAGE.read_bytes()
    print(f"{PAGE.name}: {len(data):,} bytes, {len(gzip.compress(data, 9)):,} gzipped")
    results = {name: measure(name) for name in BROWSERS}
    print(f"medians of {REPETITIONS} loads (range in brackets), ms unless said otherwise:")
    print("| figure | " + " | ".join(f"{name} {version}" for name, (version, _) in results.items()) + " |")
    print("|---|" + "---|" * len(results))
    for figure in next(iter(results.values()))[1][0]:
        print(f"| {figure} | " + " | ".join(summary(runs, figure) for _, runs in results.values()) + " |")


if __name__ == "__main__":
    main()
