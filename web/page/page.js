// The page around the program: it starts comets.js (whose main runs on a worker thread),
// shows the program's last finished frame on each animation frame, passes keys, the pointer,
// touches and the Close button on to the library's web platform, and says in words what
// went wrong when something does.
"use strict";

const WIDTH = 800, HEIGHT = 600;
const canvas = document.getElementById("picture");
const context = canvas.getContext("2d");
const picture = context.createImageData(WIDTH, HEIGHT);
const output = document.getElementById("output");
const message = document.getElementById("message");
const closeButton = document.getElementById("close");
const againButton = document.getElementById("again");

// The library's scancodes (allegro/keyboard.h) of the keys a page passes on, by KeyboardEvent.code.
const SCANCODES = {Escape: 59, Enter: 67, Space: 75, ArrowLeft: 82, ArrowRight: 83,
                   ArrowUp: 84, ArrowDown: 85};
for (let i = 0; i < 26; i++) {
    SCANCODES["Key" + String.fromCharCode(65 + i)] = 1 + i;
}
for (let i = 0; i < 10; i++) {
    SCANCODES["Digit" + i] = 27 + i;
}
const KEY_P = 16;

let running = false;
let framesShown = 0, firstShownAt = 0;  // how the page keeps up, for whoever measures it
const heldKeys = new Set();

function say(text) {
    message.textContent = text;
    message.hidden = false;
}

// Standard output, a byte at a time: the program's one message has no newline. The first line
// is shown in the header.
let outputLine = "";
let outputDone = false;
function takeOutput(code) {
    if (code === null || outputDone) {
        return;
    }
    if (code === 10) {
        outputDone = true;
        return;
    }
    outputLine += String.fromCharCode(code);
    output.textContent = outputLine;
}

// Frames: the program hands over frames much faster than a screen shows them; each animation
// frame shows the last one finished, if it is new.
function show() {
    const start = running ? Module._web_take_frame() : 0;
    if (start) {
        picture.data.set(Module.HEAPU8.subarray(start, start + WIDTH * HEIGHT * 4));
        context.putImageData(picture, 0, 0);
        firstShownAt = firstShownAt || performance.now();
        framesShown++;
    }
    requestAnimationFrame(show);
}

// Keys: only those the program knows are taken from the browser, so they never scroll the
// page; a held key is released when the page loses the focus or is hidden, since its release
// would then never come.
function key(event, pressed) {
    const scancode = SCANCODES[event.code];
    if (scancode === undefined || !running || event.ctrlKey || event.altKey || event.metaKey) {
        return;
    }
    event.preventDefault();
    if (event.repeat || heldKeys.has(scancode) === pressed) {
        return;
    }
    pressKey(scancode, pressed, event.key.length === 1 ? event.key.charCodeAt(0) : 0);
}

function pressKey(scancode, pressed, ascii = 0) {
    if (pressed) {
        heldKeys.add(scancode);
    } else {
        heldKeys.delete(scancode);
    }
    if (running) {
        Module._web_key(scancode, pressed ? 1 : 0, ascii);
    }
}

function releaseKeys() {
    for (const scancode of [...heldKeys]) {
        pressKey(scancode, false);
    }
}

// The pointer: positions on the shown picture are mapped to its 800x600 pixels. A mouse's left
// and right buttons pass on as they are; on a touch screen one finger pulls as the left button
// and two push as the right.
const touches = new Map();
function pointer(event) {
    if (!running) {
        return;
    }
    if (event.pointerType === "touch") {
        if (event.type === "pointerup" || event.type === "pointercancel") {
            touches.delete(event.pointerId);
        } else {
            touches.set(event.pointerId, event);
        }
    }
    const box = canvas.getBoundingClientRect();
    const x = Math.floor((event.clientX - box.left) * WIDTH / box.width);
    const y = Math.floor((event.clientY - box.top) * HEIGHT / box.height);
    let buttons;
    if (event.pointerType === "touch") {
        buttons = touches.size === 0 ? 0 : touches.size === 1 ? 1 : 2;
    } else {
        buttons = (event.buttons & 1) | (event.buttons & 2);
    }
    Module._web_mouse(x, y, buttons);
    if (event.type === "pointerdown") {
        canvas.focus();
        canvas.setPointerCapture(event.pointerId);
        event.preventDefault();
    }
}

// The picture as large as the stage allows with 4:3 kept; the canvas scales its pixels up as
// sharp squares (page.css).
function fit() {
    const stage = document.getElementById("stage");
    const scale = Math.min(stage.clientWidth / WIDTH, stage.clientHeight / HEIGHT);
    canvas.style.width = Math.floor(WIDTH * scale) + "px";
    canvas.style.height = Math.floor(HEIGHT * scale) + "px";
}

function hideOrShow() {
    if (document.hidden) {
        releaseKeys();
    }
    if (running) {
        Module._web_set_hidden(document.hidden ? 1 : 0);
    }
}

function ended(status) {
    running = false;
    releaseKeys();
    closeButton.disabled = true;
    againButton.hidden = false;
    output.textContent = (outputLine ? outputLine + " · " : "") + "ended with status " + status;
}

function wire() {
    addEventListener("keydown", (event) => key(event, true));
    addEventListener("keyup", (event) => key(event, false));
    addEventListener("blur", releaseKeys);
    addEventListener("resize", fit);
    document.addEventListener("fullscreenchange", fit);
    fit();
    document.addEventListener("visibilitychange", hideOrShow);
    for (const type of ["pointerdown", "pointermove", "pointerup", "pointercancel"]) {
        canvas.addEventListener(type, pointer);
    }
    canvas.addEventListener("contextmenu", (event) => event.preventDefault());
    const freeze = document.getElementById("freeze");
    freeze.addEventListener("pointerdown", (event) => {
        event.preventDefault();
        freeze.setPointerCapture(event.pointerId);
        pressKey(KEY_P, true);
    });
    for (const type of ["pointerup", "pointercancel", "lostpointercapture"]) {
        freeze.addEventListener(type, () => heldKeys.has(KEY_P) && pressKey(KEY_P, false));
    }
    closeButton.addEventListener("click", () => running && Module._web_close());
    againButton.addEventListener("click", () => location.reload());
    document.getElementById("fullscreen").addEventListener("click", () => {
        const stage = document.getElementById("stage");
        (stage.requestFullscreen ? stage.requestFullscreen() : Promise.reject())
            .catch(() => say("This browser would not show the picture full screen."));
        canvas.focus();
    });
}

// Options come from the page's address, for the program's own parser: ?fps=60 is --fps 60. A
// window means nothing in a page, so ?window is left out.
function options() {
    const list = [];
    for (const [name, value] of new URLSearchParams(location.search)) {
        if (name !== "window") {
            list.push("--" + name, ...(value === "" ? [] : [value]));
        }
    }
    return list;
}

var Module = {
    arguments: options(),
    stdout: takeOutput,
    printErr: (text) => {
        console.error(text);
        say(text);
    },
    onRuntimeInitialized: () => {
        running = true;
        closeButton.disabled = false;
        hideOrShow();
        canvas.focus();
    },
    onExit: ended,
    onAbort: (reason) => {
        running = false;
        say(Module.calledRun ? "The program stopped: " + reason
                             : "comets.wasm could not be started: " + reason);
    },
};

// Without cross-origin isolation there is no SharedArrayBuffer, so no threads. A host that
// cannot send the headers for it is helped by a service worker that adds them, which takes
// one reload to be in charge.
async function isolate() {
    if (crossOriginIsolated) {
        return true;
    }
    if (location.protocol !== "file:" && "serviceWorker" in navigator &&
        !sessionStorage.getItem("comets-isolating")) {
        try {
            await navigator.serviceWorker.register("isolate.js");
            await navigator.serviceWorker.ready;
            sessionStorage.setItem("comets-isolating", "1");
            location.reload();
            return false;
        } catch (error) {
            console.error(error);
        }
    }
    say("This page cannot run here: the browser keeps it from being cross-origin isolated, " +
        "which the program's threads need. Serve it over https or from localhost " +
        "(scripts/run-web.sh).");
    return false;
}

async function start() {
    wire();
    requestAnimationFrame(show);
    if (!await isolate()) {
        output.textContent = "Not started";
        return;
    }
    sessionStorage.removeItem("comets-isolating");
    try {
        const response = await fetch("comets.wasm", {method: "HEAD"});
        if (!response.ok) {
            throw new Error("HTTP " + response.status);
        }
    } catch (error) {
        say("comets.wasm is missing: " + error.message);
        output.textContent = "Not started";
        return;
    }
    const script = document.createElement("script");
    script.src = "comets.js";
    script.onerror = () => say("comets.js is missing.");
    document.body.appendChild(script);
}

start();
