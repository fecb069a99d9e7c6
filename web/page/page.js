// The page around the program: it starts comets.js, whose main runs on this thread and gives
// it back once per display frame; shows the program's last finished frame on each animation
// frame; passes keys, the pointer, touches and the Close button on to the library's web
// platform; and says in words what went wrong when something does.
"use strict";

const canvas = document.getElementById("picture");
const WIDTH = canvas.width, HEIGHT = canvas.height;  // the program's screen, said in index.html
const context = canvas.getContext("2d");
const picture = context.createImageData(WIDTH, HEIGHT);
const output = document.getElementById("output");
const message = document.getElementById("message");
const closeButton = document.getElementById("close");
const againButton = document.getElementById("again");
const controls = ["freeze", "fullscreen", "close"].map((id) => document.getElementById(id));


let running = false;
let framesShown = 0, firstShownAt = 0;  // how the page keeps up, for whoever measures it
const heldKeys = new Set();

function say(text) {
    message.textContent = text;
    message.hidden = false;
}

// What cannot be used looks so: the controls are on only while the program runs.
function enableControls(enabled) {
    for (const control of controls) {
        control.disabled = !enabled;
    }
}

// A page that cannot run says why, and its controls stay off.
function cannotRun(text) {
    running = false;
    enableControls(false);
    say(text);
    output.textContent = "Not running";
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

// Frames: the program makes frames much faster than a screen shows them; each animation
// frame shows the last one finished, if it is new.
//
// The program and the page share this thread. The program asks at each frame whether the
// page wants its turn: once its share of the display frame is used up, or always while the
// page is hidden (no animation frames come then, so it waits until shown). It is resumed
// after the browser has painted, in a task of its own, and runs until its share is used up:
// most of a display frame, leaving the rest for the browser's own work.
const SHARE = 0.6;
let frameInterval = 1000 / 60, lastFrameAt = 0, turnEnds = 0;
const waiting = [];
const resumer = new MessageChannel();
resumer.port1.onmessage = () => {
    for (const resume of waiting.splice(0)) {
        resume();
    }
};

function show(time) {
    if (lastFrameAt && time - lastFrameAt < 100) {
        frameInterval += (time - lastFrameAt - frameInterval) / 8;
    }
    lastFrameAt = time;
    const start = running ? Module._web_take_frame() : 0;
    if (start && pointerWanted !== pointerShown) {
        pointerShown = pointerWanted;
        Module._web_show_pointer(pointerShown ? 1 : 0);
    }
    if (start) {
        picture.data.set(Module.HEAPU8.subarray(start, start + WIDTH * HEIGHT * 4));
        context.putImageData(picture, 0, 0);
        firstShownAt = firstShownAt || performance.now();
        framesShown++;
    }
    if (waiting.length > 0) {
        turnEnds = time + frameInterval * SHARE;
        resumer.port2.postMessage(null);
    }
    requestAnimationFrame(show);
}

function pageWantsItsTurn() {
    return document.hidden || performance.now() >= turnEnds;
}

function pageTurn() {
    return new Promise((resume) => waiting.push(resume));
}

// The program's rest(): the page has its thread meanwhile, and the program a new share after.
function pageSleep(milliseconds) {
    return new Promise((resume) => setTimeout(() => {
        turnEnds = performance.now() + frameInterval * SHARE;
        resume();
    }, milliseconds));
}

// Keys: only those the program takes are taken from the browser, so they never scroll the
// page; which they are, and what each is to it, the library's web platform says from the
// key's KeyboardEvent.code. A held key is released when the page loses the focus or is hidden,
// since its release would then never come.
function key(event, pressed) {
    if (!running || event.ctrlKey || event.altKey || event.metaKey || !keyTaken(event.code)) {
        return;
    }
    event.preventDefault();
    if (event.repeat || heldKeys.has(event.code) === pressed) {
        return;
    }
    pressKey(event.code, pressed, event.key.length === 1 ? event.key.charCodeAt(0) : 0);
}

function keyTaken(code) {
    Module.stringToUTF8(code, Module._web_key_code(), 32);
    return Module._web_key_taken() !== 0;
}

function pressKey(code, pressed, ascii = 0) {
    if (pressed) {
        heldKeys.add(code);
    } else {
        heldKeys.delete(code);
    }
    if (running && keyTaken(code)) {
        Module._web_key(pressed ? 1 : 0, ascii);
    }
}

function releaseKeys() {
    for (const code of [...heldKeys]) {
        pressKey(code, false);
    }
}

// The pointer: positions on the shown picture are mapped to its pixels. A mouse's left
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
    if (event.type === "pointerdown" || event.type === "pointermove") {
        showPointer(event.pointerType !== "touch");
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

// The program's pointer arrow is drawn only where the visitor has a mouse: a finger shows
// where it is itself. Passed on once the program has its screen, as the library's start-up
// sets the arrow.
let pointerWanted = true, pointerShown = true;
function showPointer(shown) {
    pointerWanted = shown;
}

function hideOrShow() {
    if (document.hidden) {
        releaseKeys();
    }
}

function ended(status) {
    running = false;
    releaseKeys();
    enableControls(false);
    againButton.hidden = false;
    output.textContent = (outputLine ? outputLine + " · " : "") + "ended with status " + status;
}

function wire() {
    addEventListener("keydown", (event) => key(event, true));
    addEventListener("keyup", (event) => key(event, false));
    addEventListener("blur", releaseKeys);
    document.addEventListener("visibilitychange", hideOrShow);
    for (const type of ["pointerdown", "pointermove", "pointerup", "pointercancel"]) {
        canvas.addEventListener(type, pointer);
    }
    canvas.addEventListener("contextmenu", (event) => event.preventDefault());
    const freeze = document.getElementById("freeze");
    freeze.addEventListener("pointerdown", (event) => {
        event.preventDefault();
        freeze.setPointerCapture(event.pointerId);
        pressKey("KeyP", true);
    });
    for (const type of ["pointerup", "pointercancel", "lostpointercapture"]) {
        freeze.addEventListener(type, () => heldKeys.has("KeyP") && pressKey("KeyP", false));
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

// main is started here rather than by the runtime: a main that has waited for the page
// returns its status to a promise only when called so, and the runtime is then ended with it,
// as a return from main ends a program.
function runMain() {
    const words = ["comets", ...options()];
    const argv = Module._malloc((words.length + 1) * 4);
    words.forEach((word, i) => {
        const size = Module.lengthBytesUTF8(word) + 1;
        const text = Module._malloc(size);
        Module.stringToUTF8(word, text, size);
        Module.HEAPU32[argv / 4 + i] = text;
    });
    Module.HEAPU32[argv / 4 + words.length] = 0;
    Module.ccall("main", "number", ["number", "number"], [words.length, argv], {async: true})
        .then((status) => Module._exit(status));
}

var Module = {
    noInitialRun: true,
    pageWantsItsTurn,
    pageTurn,
    pageSleep,
    stdout: takeOutput,
    printErr: (text) => {
        console.error(text);
        say(text);
    },
    onRuntimeInitialized: () => {
        running = true;
        enableControls(true);
        showPointer(matchMedia("(any-pointer: fine)").matches);
        canvas.focus();
        runMain();
    },
    onExit: ended,
    onAbort: (reason) => {
        cannotRun(Module.calledRun ? "The program stopped: " + reason
                                   : "comets.wasm could not be started: " + reason);
    },
};

async function start() {
    wire();
    requestAnimationFrame(show);
    if (typeof WebAssembly !== "object") {
        cannotRun("This browser cannot run the program: it has no WebAssembly.");
        return;
    }
    if (location.protocol === "file:") {
        cannotRun("This page cannot run here: opened as a file, the browser will not let it " +
                  "load comets.wasm. Serve the folder over http, for example with " +
                  "scripts/run-web.sh.");
        return;
    }
    // A copy of the site for the next visit, which then also works offline.
    if ("serviceWorker" in navigator) {
        navigator.serviceWorker.register("sw.js").catch((error) => console.error(error));
    }
    try {
        const response = await fetch("comets.wasm", {method: "HEAD"});
        if (!response.ok) {
            throw new Error("HTTP " + response.status);
        }
    } catch (error) {
        cannotRun("comets.wasm is missing: " + error.message);
        return;
    }
    const script = document.createElement("script");
    script.src = "comets.js";
    script.onerror = () => cannotRun("comets.js is missing.");
    document.body.appendChild(script);
}

start();
