"""The web page in a real browser: headless Chromium driven through WebDriver, judged by the
canvas's pixels, the frames the program hands over and the page's own words.
   Usage: browser_test.py SITE   (SITE: the folder scripts/build-web.sh makes)
Ends with a line "N passed, N failed"; exit status 1 if any failed."""

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
from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.keys import Keys

SITE = os.path.abspath(sys.argv[1])
SERVER = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "serve-web.py")
HOLD = 0.2  # a key held as a person holds it: a WebDriver tap is shorter than a frame


def serve(folder, *options):
    server = subprocess.Popen([sys.executable, SERVER, folder, *options], stdout=subprocess.PIPE,
                              text=True)
    return server, server.stdout.readline().strip()


def browser():
    options = Options()
    for argument in ("--headless=new", "--window-size=1000,800", "--no-first-run",
                     "--disable-gpu", "--use-fake-ui-for-media-stream"):
        options.add_argument(argument)
    if os.geteuid() == 0:
        options.add_argument("--no-sandbox")  # Chromium's sandbox refuses root
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait_for(test, what, seconds=10):
    deadline = time.monotonic() + seconds
    while not test():
        if time.monotonic() > deadline:
            raise AssertionError(f"{what} within {seconds} s")
        time.sleep(0.05)


class Page:
    """One page load of the program, with what a test reads from it."""

    def __init__(self, driver, address):
        self.driver = driver
        driver.get(address)
        wait_for(lambda: self.frames() > 0, "a first frame")
        wait_for(lambda: "GFX mode set with depth 32 bit" in self.text("output"),
                 "the program's first output line")
        self.canvas = driver.find_element("id", "picture")

    def text(self, element):
        return self.driver.find_element("id", element).text

    def frames(self):
        return self.driver.execute_script(  # running: the page's, set once the runtime is up
            "return typeof running === 'boolean' && running ? Module._web_frames_made() : 0")

    def picture(self):
        """A hash of the canvas, and the share of its lit pixels within 120 of (x, y)."""
        return self.driver.execute_script("""
            const data = document.getElementById("picture").getContext("2d")
                .getImageData(0, 0, 800, 600).data;
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
            return [hash, lit ? near / lit : 0];""", *self.point)

    point = (400, 300)

    def shown(self, x, y):
        """Where (x, y) of the picture is on the canvas, as an offset from its centre."""
        box = self.driver.execute_script(
            "const r = arguments[0].getBoundingClientRect(); return [r.width, r.height];",
            self.canvas)
        return round((x + 0.5) * box[0] / 800 - box[0] / 2), round((y + 0.5) * box[1] / 600 - box[1] / 2)

    def hold_key(self, key, seconds=HOLD):
        ActionChains(self.driver).key_down(key).pause(seconds).key_up(key).perform()

    def ended_with(self, status):
        wait_for(lambda: f"ended with status {status}" in self.text("output"),
                 f"the page saying the program ended with status {status}")


def frozen_for(page, seconds):
    before, picture = page.frames(), page.picture()[0]
    time.sleep(seconds)
    return page.frames() == before and page.picture()[0] == picture


def test_draws_moves_pauses_and_ends_on_esc(driver, address):
    page = Page(driver, address)
    made, shown = page.frames(), driver.execute_script("return framesShown")
    time.sleep(2)
    made, shown = page.frames() - made, driver.execute_script("return framesShown") - shown
    print(f"  first frame {driver.execute_script('return firstShownAt') / 1000:.2f} s after"
          f" navigation; {made / 2:.0f} frames made and {shown / 2:.0f} shown a second")
    first = page.picture()[0]
    time.sleep(0.3)
    assert page.picture()[0] != first, "the picture did not move"
    ActionChains(driver).key_down("p").perform()
    time.sleep(0.3)
    assert frozen_for(page, 1.5), "frames went on with P held"
    ActionChains(driver).key_up("p").perform()
    before = page.frames()
    wait_for(lambda: page.frames() > before, "frames again after P was released", 2)
    page.hold_key(Keys.ESCAPE)
    page.ended_with(0)


def test_freeze_button_holds_it_and_close_ends_with_zero(driver, address):
    page = Page(driver, address)
    freeze = driver.find_element("id", "freeze")
    ActionChains(driver).click_and_hold(freeze).pause(0.3).perform()
    assert frozen_for(page, 1), "frames went on with Hold to freeze held"
    ActionChains(driver).release().perform()
    before = page.frames()
    wait_for(lambda: page.frames() > before, "frames again after Hold to freeze was let go", 2)
    driver.find_element("id", "close").click()
    page.ended_with(0)
    assert not driver.find_element("id", "again").get_attribute("hidden")


def test_pull_gathers_at_the_shown_point_and_push_scatters(driver, address):
    page = Page(driver, address)
    page.point = (620, 430)
    x, y = page.shown(*page.point)
    before = page.picture()[1]
    ActionChains(driver).move_to_element_with_offset(page.canvas, x, y).click_and_hold().perform()
    time.sleep(3)
    pulled = page.picture()[1]
    ActionChains(driver).release().perform()
    actions = ActionBuilder(driver)
    actions.pointer_action.pointer_down(MouseButton.RIGHT)
    actions.perform()
    time.sleep(1.5)
    pushed = page.picture()[1]
    actions = ActionBuilder(driver)
    actions.pointer_action.pointer_up(MouseButton.RIGHT)
    actions.perform()
    print(f"  lit within 120 px of the pointer: {before:.2f}, pulled {pulled:.2f},"
          f" pushed {pushed:.2f}")
    assert pulled > max(0.4, 2 * before), "the pull did not gather the swarm at the pointer"
    assert pushed < pulled / 2, "the push did not scatter the swarm"


def test_one_finger_pulls(driver, address):
    page = Page(driver, address)
    page.point = (150, 120)
    box = driver.execute_script(
        "const r = arguments[0].getBoundingClientRect(); return [r.left, r.top, r.width];",
        page.canvas)
    scale = box[2] / 800
    touch = {"x": box[0] + 150.5 * scale, "y": box[1] + 120.5 * scale, "id": 1}
    driver.execute_cdp_cmd("Input.dispatchTouchEvent",
                           {"type": "touchStart", "touchPoints": [touch]})
    time.sleep(3)
    pulled = page.picture()[1]
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})
    assert pulled > 0.4, f"one finger did not pull: {pulled:.2f} lit near it"


def test_hidden_page_makes_no_frames_and_focus_loss_releases_p(driver, address):
    page = Page(driver, address)
    start = page.frames()
    time.sleep(0.5)
    per_second = (page.frames() - start) * 2
    ActionChains(driver).key_down("p").perform()
    time.sleep(0.3)
    assert frozen_for(page, 0.5), "frames went on with P held"
    # Another tab in front: this page is hidden and loses the focus, which lets P go.
    this_tab = driver.current_window_handle
    before = page.frames()
    driver.switch_to.new_window("tab")
    time.sleep(1.5)
    driver.switch_to.window(this_tab)
    during = page.frames() - before
    print(f"  {per_second} frames made a second shown, {during} in 1.5 s hidden")
    assert during < per_second * 1.5 / 5, f"{during} frames were made while the page was hidden"
    wait_for(lambda: page.frames() > before + 50, "frames again once shown, with P let go", 3)


def test_options_come_from_the_address(driver, address):
    page = Page(driver, address + "?fps=30")
    before = page.frames()
    time.sleep(2)
    rate = (page.frames() - before) / 2
    assert 20 <= rate <= 40, f"?fps=30 made {rate} frames a second"
    driver.get(address + "?fps=0")
    wait_for(lambda: "Try 'comets --help'." in driver.find_element("id", "message").text,
             "the usage error of ?fps=0 on the page")
    Page.ended_with(page, 2)


def test_served_without_headers_it_still_runs(driver, address):
    Page(driver, address)
    assert driver.execute_script("return crossOriginIsolated")


def test_a_missing_wasm_is_named_and_a_file_page_says_it_cannot_run(driver, address):
    driver.get(address)
    wait_for(lambda: "comets.wasm is missing" in driver.find_element("id", "message").text,
             "a message naming comets.wasm")
    driver.get("file://" + os.path.join(SITE, "index.html"))
    wait_for(lambda: "cannot run here" in driver.find_element("id", "message").text,
             "a message that a page opened as a file cannot run")


def main():
    bare_site = tempfile.mkdtemp()
    broken_site = tempfile.mkdtemp()
    servers = []
    try:
        shutil.copytree(SITE, broken_site, dirs_exist_ok=True)
        os.remove(os.path.join(broken_site, "comets.wasm"))
        addresses = {}
        for name, folder, options in (("isolated", SITE, ()), ("bare", SITE, ("--bare",)),
                                      ("broken", broken_site, ())):
            server, addresses[name] = serve(folder, *options)
            servers.append(server)
        cases = [(test_draws_moves_pauses_and_ends_on_esc, "isolated"),
                 (test_freeze_button_holds_it_and_close_ends_with_zero, "isolated"),
                 (test_pull_gathers_at_the_shown_point_and_push_scatters, "isolated"),
                 (test_one_finger_pulls, "isolated"),
                 (test_hidden_page_makes_no_frames_and_focus_loss_releases_p, "isolated"),
                 (test_options_come_from_the_address, "isolated"),
                 (test_served_without_headers_it_still_runs, "bare"),
                 (test_a_missing_wasm_is_named_and_a_file_page_says_it_cannot_run, "broken")]
        passed = failed = 0
        for case, server in cases:
            driver = browser()
            try:
                case(driver, addresses[server])
                passed += 1
                print(f"PASS {case.__name__}")
            except Exception:  # a failure of any kind fails this case alone
                failed += 1
                print(f"FAIL {case.__name__}")
                traceback.print_exc(file=sys.stdout)
                for entry in driver.get_log("browser")[-5:]:
                    print("  browser:", entry["message"])
            finally:
                driver.quit()
        print(f"{passed} passed, {failed} failed")
        return 1 if failed else 0
    finally:
        for server in servers:
            server.terminate()
            server.wait()
        shutil.rmtree(bare_site)
        shutil.rmtree(broken_site)


sys.exit(main())
