"""The web page in real browsers, driven through WebDriver, judged by the canvas's pixels, the
frames the program hands over and the page's own words: every case in each engine that is
installed, headless Chromium (chromedriver), WebKitGTK (WebKitWebDriver, on the display that
browser.sh starts) and headless Firefox (WebDriver BiDi, which it serves itself: bidi.py).
   Usage: [ENGINE=Chromium|WebKitGTK|Firefox] browser_test.py SITE   (from scripts/build-web.sh)
Ends with a line "N passed, N failed"; exit status 1 if any failed."""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback


from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.interaction import POINTER_TOUCH
from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.webkitgtk.options import Options as WebKitGTKOptions

import bidi  # Firefox over WebDriver BiDi, beside this file

SITE = os.path.abspath(sys.argv[1])
SERVER = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "serve-web.py")

# The picture's pixels from (x, y) on, w x h, copied from the canvas, whatever its context.
PIXELS = """
    const pixels = (x, y, w, h) => {
        const copy = document.createElement("canvas");
        [copy.width, copy.height] = [800, 600];
        const context = copy.getContext("2d");
        context.drawImage(document.getElementById("picture"), 0, 0);
        return context.getImageData(x, y, w, h).data;
    };"""

# The share of the lit pixels within 120 of the picture's point (x, y), and a hash of it all.
PICTURE = PIXELS + """
    const data = pixels(0, 0, 800, 600);
    let hash = 0, lit = 0, near = 0;
    for (let i = 0; i < data.length; i += 4) {
        const value = data[i] | data[i + 1] << 8 | data[i + 2] << 16;
        hash = (hash * 31 + value) | 0;
        if (value !== 0) {
            const x = (i / 4) % 800 - arguments[0], y = Math.floor(i / 3200) - arguments[1];
            lit++;
            near += x * x + y * y < 120 * 120;
        }
    }
    return [hash, lit ? near / lit : 0];"""


# How many pixels of the 10x16 box from (x, y) are pure white, as the mouse arrow's fill is.
WHITE = PIXELS + """
    const data = pixels(arguments[0], arguments[1], 10, 16);
    return data.filter((v, i) => i % 4 === 0 && v + data[i + 1] + data[i + 2] === 765).length;"""


def wait_for(test, what, seconds=10):
    deadline = time.monotonic() + seconds
    while not test():
        if time.monotonic() > deadline:
            raise AssertionError(f"{what} within {seconds} s")
        time.sleep(0.05)


class Page:
    """One page load of the program, and what a test reads from it or does to it."""

    def __init__(self, driver, address=None):
        self.driver, self.run = driver, driver.execute_script
        if address:
            driver.get(address)
        wait_for(lambda: self.frames() > 0, "a first frame")
        wait_for(lambda: "GFX mode set with depth 32 bit" in self.text("output"),
                 "the program's first output line")

    def text(self, element):
        return self.run("return document.getElementById(arguments[0]).textContent", element)

    def frames(self):  # asked of the program, wherever it runs; 0 before it runs
        return self.run("return typeof running === 'boolean' && running ? framesMade() : 0")

    def picture(self, x=400, y=300):
        return self.run(PICTURE, x, y)

    def frozen_for(self, seconds):
        before, picture = self.frames(), self.picture()[0]
        time.sleep(seconds)
        return self.frames() == before and self.picture()[0] == picture

    def moving(self, after):
        before = self.frames()
        wait_for(lambda: self.frames() > before, f"frames again after {after}", 2)

    def viewport(self, x, y):
        """Where the centre of the picture's pixel (x, y) is shown, in the page's viewport."""
        return self.run("const r = document.getElementById('picture').getBoundingClientRect();"
                        "return [r.left + (arguments[0] + 0.5) * r.width / 800,"
                        "        r.top + (arguments[1] + 0.5) * r.height / 600];", x, y)

    def centre(self, element):
        return self.run("const r = document.getElementById(arguments[0]).getBoundingClientRect();"
                        "return [r.left + r.width / 2, r.top + r.height / 2];", element)

    def ended_with(self, status):
        wait_for(lambda: f"ended with status {status}" in self.text("output"),
                 f"the page saying the program ended with status {status}")


def mouse(driver, *steps, kind=None):
    actions = ActionBuilder(driver, mouse=PointerInput(kind, "finger") if kind else None)
    for step, argument in steps:
        getattr(actions.pointer_action, step)(*argument)
    actions.perform()


def test_draws_moves_pauses_and_ends_on_esc(driver, page):
    # In a worker, unless the address asks for the page's thread: then no program on the page.
    thread = "page" if "page-thread" in driver.current_url else "worker"
    assert page.run("return programThread") == thread, f"the program is not on the {thread} thread"
    assert page.run("return typeof Module") == ("object" if thread == "page" else "undefined")
    made, shown = page.frames(), page.run("return framesShown")
    time.sleep(2)
    made, shown = page.frames() - made, page.run("return framesShown") - shown
    print(f"  on the {thread} thread: first frame {page.run('return firstShownAt') / 1000:.2f} s"
          f" after navigation; {made / 2:.0f} frames made and {shown / 2:.0f} shown a second")
    first = page.picture()[0]
    time.sleep(0.3)
    assert page.picture()[0] != first, "the picture did not move"
    ActionChains(driver).key_down("p").pause(0.3).perform()
    assert page.frozen_for(1.5), "frames went on with P held"
    # Released while Ctrl is down, the release still counts.
    ActionChains(driver).key_down(Keys.CONTROL).key_up("p").perform()
    page.moving("P was released with Ctrl down")
    ActionChains(driver).key_up(Keys.CONTROL).perform()
    # Held as a person holds it: a WebDriver tap is shorter than a frame.
    ActionChains(driver).key_down(Keys.ESCAPE).pause(0.2).key_up(Keys.ESCAPE).perform()
    page.ended_with(0)


def test_freeze_button_holds_it_and_close_ends_with_zero(driver, page):
    mouse(driver, ("move_to_location", page.centre("freeze")), ("pointer_down", ()))
    time.sleep(0.3)
    assert page.frozen_for(1), "frames went on with Hold to freeze held"
    mouse(driver, ("pointer_up", ()))
    page.moving("Hold to freeze was let go")
    mouse(driver, ("move_to_location", page.centre("close")), ("click", ()))
    page.ended_with(0)
    assert not page.run("return document.getElementById('again').hidden")


def test_pull_gathers_at_the_shown_point_and_push_scatters(driver, page):
    point = (620, 430)
    before = page.picture(*point)[1]
    mouse(driver, ("move_to_location", page.viewport(*point)), ("pointer_down", ()))
    time.sleep(3)
    pulled = page.picture(*point)[1]
    mouse(driver, ("pointer_up", ()), ("pointer_down", (MouseButton.RIGHT,)))
    time.sleep(1.5)
    pushed = page.picture(*point)[1]
    mouse(driver, ("pointer_up", (MouseButton.RIGHT,)))
    print(f"  lit within 120 px of the pointer: {before:.2f}, pulled {pulled:.2f},"
          f" pushed {pushed:.2f}")
    assert pulled > max(0.4, 2 * before), "the pull did not gather the swarm at the pointer"
    assert pushed < pulled / 2, "the push did not scatter the swarm"


def test_one_finger_pulls(driver, page):
    # Whether the engine's WebDriver touches as a finger does (WebKitGTK's moves a mouse).
    page.run("window.touched = false; document.getElementById('picture').addEventListener("
             "'pointerdown', (event) => touched = event.pointerType === 'touch')")
    mouse(driver, ("move_to_location", page.viewport(150, 120)), ("pointer_down", ()),
          kind=POINTER_TOUCH)
    time.sleep(3)
    pulled = page.picture(150, 120)[1]
    # The arrow's white fill, where the finger is, in three frames running: comets pass by.
    arrow = all(page.run(WHITE, 150, 120) >= 20 and time.sleep(0.2) is None for _ in range(3))
    arrow = arrow and page.run("return touched")
    mouse(driver, ("pointer_up", ()), kind=POINTER_TOUCH)
    assert pulled > 0.4, f"one finger did not pull: {pulled:.2f} lit near it"
    assert not arrow, "the mouse's arrow was drawn under a finger"


def test_hidden_page_makes_no_frames_and_focus_loss_releases_p(driver, page):
    # Paced, the program rests between frames instead of awaiting the page's turns, which a
    # hidden page does not give: only the page's word that it is hidden stops it. P held would
    # keep it awaiting a turn, so there it is not.
    paced = "fps=" in driver.current_url
    start = page.frames()
    time.sleep(0.5)
    per_second = (page.frames() - start) * 2
    if not paced:
        ActionChains(driver).key_down("p").pause(0.3).perform()
        assert page.frozen_for(0.5), "frames went on with P held"
    # Another tab in front: this page is hidden and loses the focus, which lets P go.
    # Counted from the moment the page is told it is hidden: the frames before that, while the
    # browser switches tabs, are not the program's to stop.
    page.run("window.hidden = false; window.framesWhenHidden = null;"
             " document.addEventListener('visibilitychange', () => {"
             " hidden = hidden || document.hidden;"
             " if (document.hidden && !framesWhenHidden) framesWhenHidden = framesMade();"
             " })")
    this_tab, before = driver.current_window_handle, page.frames()
    driver.switch_to.new_window("tab")
    time.sleep(1.5)
    driver.switch_to.window(this_tab)
    when_hidden = page.run("return framesWhenHidden")
    during = page.frames() - (before if when_hidden is None else when_hidden)
    print(f"  {per_second} frames made a second shown, {during} in 1.5 s hidden")
    # WebKitGTK's WebDriver opens a window, beside which the page is not hidden.
    assert during < per_second * 1.5 / 5 or not page.run("return hidden"), \
        f"{during} frames were made while the page was hidden"
    page.moving("the page was shown again, with P let go")


# Counts the messages that the broken sites' workers send every 50 ms while they live.
HEARTBEAT = "window.beats = 0; new BroadcastChannel('alive').onmessage = () => beats++;"


def worker_gone(page):
    time.sleep(0.2)
    beats = page.run("return beats")
    time.sleep(0.5)
    return page.run("return beats") == beats


def test_a_refused_frame_stops_the_program_in_words(driver, page):
    page.run(HEARTBEAT)
    wait_for(lambda: "The program stopped: a frame could not be made" in page.text("message"),
             "a message that the program stopped")
    assert worker_gone(page), "the worker runs on after the program stopped"


def test_a_worker_error_is_said_and_an_ended_program_leaves_no_worker(driver, page):
    page.run(HEARTBEAT)
    ActionChains(driver).key_down(Keys.ESCAPE).pause(0.2).key_up(Keys.ESCAPE).perform()
    page.ended_with(0)
    assert worker_gone(page), "the worker runs on after the program ended"
    driver.refresh()
    page = Page(driver)
    page.run(HEARTBEAT)
    wait_for(lambda: "The program stopped: " in page.text("message"),
             "a message that the program stopped")
    assert worker_gone(page), "the worker runs on after an error in it"


def test_options_come_from_the_address(driver, page):
    before = page.frames()
    time.sleep(2)
    rate = (page.frames() - before) / 2
    assert 20 <= rate <= 40, f"?fps=30 made {rate} frames a second"
    driver.get(driver.current_url.replace("fps=30", "fps=0"))
    wait_for(lambda: "Try 'comets --help'." in page.text("message"), "the usage error of ?fps=0")
    page.ended_with(2)


def test_cross_origin_isolated_it_runs_as_well(driver, page):
    assert page.run("return crossOriginIsolated") in (True, None)


def test_after_one_visit_it_runs_offline(driver, address):
    server, address = serve(SITE)
    Page(driver, address)
    # The copy is made as the service worker installs, and kept by addresses without options.
    driver.execute_script("return navigator.serviceWorker.ready.then(() => true)")
    Page(driver, address + "?fps=30")
    kept = driver.execute_script("return caches.open('comets').then((cache) => cache.keys())"
                                 ".then((keys) => keys.map((request) => request.url))")
    assert not [url for url in kept if "?" in url], f"copies kept with options: {kept}"
    server.terminate()
    server.wait()
    driver.refresh()
    Page(driver)


def test_a_missing_wasm_is_named_and_a_file_page_says_it_cannot_run(driver, address):
    message = lambda: driver.execute_script("return document.getElementById('message').textContent")
    driver.get(address)
    wait_for(lambda: "comets.wasm is missing" in message(), "a message naming comets.wasm")
    driver.get("file://" + os.path.join(SITE, "index.html"))
    wait_for(lambda: "cannot run here" in message(),
             "a message that a page opened as a file cannot run")


def serve(folder, *flags):
    server = subprocess.Popen([sys.executable, SERVER, folder, *flags], stdout=subprocess.PIPE,
                              text=True)
    return server, server.stdout.readline().strip()


def chromium():
    options = Options()
    for argument in ("--headless=new", "--window-size=1000,800", "--no-first-run"):
        options.add_argument(argument)
    if os.geteuid() == 0:
        options.add_argument("--no-sandbox")  # Chromium's sandbox refuses root
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def webkit():
    options = WebKitGTKOptions()
    options.binary_location = MINIBROWSER
    options.add_argument("--automation")
    return webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options)


MINIBROWSER = next(iter(glob.glob("/usr/lib/*/webkit2gtk-4.*/MiniBrowser")), None)
ENGINES = [(name, start) for name, start, there in
           (("Chromium", chromium, os.path.exists("/usr/bin/chromedriver")),
            ("WebKitGTK", webkit, MINIBROWSER and os.path.exists("/usr/bin/WebKitWebDriver")),
            ("Firefox", bidi.Firefox, bidi.websocket and shutil.which("firefox-esr")))
           if there and os.environ.get("ENGINE", name) == name]


def main():
    broken_site = tempfile.mkdtemp()
    shutil.copytree(SITE, broken_site, dirs_exist_ok=True)
    os.remove(os.path.join(broken_site, "comets.wasm"))
    # Workers that beat (HEARTBEAT) and fail: their frames refused after a second, or an error
    # thrown in them after 3 s.
    faulty = {"refusing": "let made = 0; const real = self.createImageBitmap;"
                          "self.createImageBitmap = (pixels) => ++made > 60 ?"
                          " Promise.reject(new Error('refused')) : real(pixels);",
              "throwing": "setTimeout(() => { throw new Error('thrown'); }, 3000);"}
    sites = {"plain": SITE, "broken": broken_site}
    for name, fault in faulty.items():
        sites[name] = tempfile.mkdtemp()
        shutil.copytree(SITE, sites[name], dirs_exist_ok=True)
        with open(os.path.join(sites[name], "program.js"), "a") as script:
            script.write("const alive = new BroadcastChannel('alive');"
                         f"setInterval(() => alive.postMessage(1), 50); {fault}\n")
    servers, addresses = [], {}
    for name, folder, flags in [(name, folder, []) for name, folder in sites.items()] + \
                               [("isolated", SITE, ["--isolated"])]:
        server, addresses[name] = serve(folder, *flags)
        servers.append(server)
    # Each case on a new browser; the page is loaded first where a case is given one.
    cases = [(test_draws_moves_pauses_and_ends_on_esc, "plain", ""),
             (test_draws_moves_pauses_and_ends_on_esc, "plain", "?page-thread"),
             (test_freeze_button_holds_it_and_close_ends_with_zero, "plain", ""),
             (test_pull_gathers_at_the_shown_point_and_push_scatters, "plain", ""),
             (test_one_finger_pulls, "plain", ""),
             (test_hidden_page_makes_no_frames_and_focus_loss_releases_p, "plain", ""),
             (test_hidden_page_makes_no_frames_and_focus_loss_releases_p, "plain", "?fps=30"),
             (test_a_refused_frame_stops_the_program_in_words, "refusing", ""),
             (test_a_worker_error_is_said_and_an_ended_program_leaves_no_worker, "throwing", ""),
             (test_options_come_from_the_address, "plain", "?fps=30"),
             (test_cross_origin_isolated_it_runs_as_well, "isolated", ""),
             (test_after_one_visit_it_runs_offline, "plain", None),
             (test_a_missing_wasm_is_named_and_a_file_page_says_it_cannot_run, "broken", None)]
    passed = failed = 0
    try:
        for engine, start in ENGINES:
            for case, server, query in cases:
                driver = None
                try:
                    driver = start()
                    address = addresses[server]
                    case(driver, address if query is None else Page(driver, address + query))
                    passed += 1
                    print(f"PASS {engine}: {case.__name__}")
                except Exception:  # a failure of any kind fails this case alone
                    failed += 1
                    print(f"FAIL {engine}: {case.__name__}")
                    traceback.print_exc(file=sys.stdout)
                finally:
                    if driver:
                        driver.quit()
    finally:
        for server in servers:
            server.terminate()
            server.wait()
        for folder in sites.values():
            if folder != SITE:
                shutil.rmtree(folder)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":  # bench/page_frames.py borrows its engines
    sys.exit(main())
