"""How the web page keeps up, a benchmark and not a test: loads each SITE given, in turns,
ROUNDS times (3 by default) in each engine that browser_test.py drives, and prints for each
the medians of: the first frame's time after navigation, the frames the program made and the
page showed a second over 3 s, the page's animation frames a second, and the site's weight
gzipped. Pages from before the program could run in a worker are measured as well.
   Usage: [ROUNDS=N] [ENGINE=...] page_frames.py SITE...   (a display for WebKitGTK)"""

import gzip
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "web"))
import browser_test  # noqa: E402  (its engines, its server and its page loads)

MADE = ("return typeof running !== 'boolean' || !running ? 0"
        " : typeof framesMade === 'function' ? framesMade() : Module._web_frames_made()")
COUNT_ANIMATION_FRAMES = """
    window.animationFrames = 0;
    const count = () => { animationFrames++; requestAnimationFrame(count); };
    requestAnimationFrame(count);"""


browser_test.Page.frames = lambda page: page.run(MADE)


def weight(site):
    return sum(len(gzip.compress(open(os.path.join(site, name), "rb").read(), 9))
               for name in os.listdir(site)) // 1024


def measure(driver, address):
    page = browser_test.Page(driver, address)
    browser_test.wait_for(lambda: page.run("return framesShown") > 0, "a frame shown")
    first = page.run("return firstShownAt") / 1000
    page.run(COUNT_ANIMATION_FRAMES)
    made, shown = page.run(MADE), page.run("return framesShown")
    time.sleep(3)
    return (first, (page.run(MADE) - made) / 3, (page.run("return framesShown") - shown) / 3,
            page.run("return animationFrames") / 3)


def main():
    sites = [os.path.abspath(site) for site in sys.argv[1:]]
    servers = [browser_test.serve(site) for site in sites]
    try:
        print("engine     site                               first frame  made/s  shown/s"
              "  animation frames/s  KB gzipped")
        for engine, start in browser_test.ENGINES:
            results = {site: [] for site in sites}
            for _ in range(int(os.environ.get("ROUNDS", "3"))):
                for site, (_, address) in zip(sites, servers):
                    driver = start()
                    try:
                        results[site].append(measure(driver, address))
                    finally:
                        driver.quit()
            for site in sites:
                first, made, shown, frames = (statistics.median(column)
                                              for column in zip(*results[site]))
                print(f"{engine:10} {site[-34:]:34} {first:9.2f} s {made:7.0f} {shown:8.0f}"
                      f" {frames:19.0f} {weight(site):11}")
    finally:
        for server, _ in servers:
            server.terminate()
            server.wait()


main()
