// The page around the program: it starts the program (program.js) in a worker, or else on this
// thread; shows the program's last finished frame on each animation frame; passes keys, the
// pointer, touches, the Close button and whether the page is shown on to it; and says in words
// what went wrong when something does.
"use strict";

const canvas = document.getElementById("picture");
const WIDTH = canvas.width, HEIGHT = canvas.height;  // the program's screen, said in index.html
let context = null;  // "bitmaprenderer" for a worker's frames, else "2d"
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
    stopProgram();
    settleCounts();
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

// The program: a port to it, whichever thread it runs on (program.js), and what it said.
let program = null;
let programThread = "";  // "worker" or "page", for whoever measures it
let takenKeys = new Set();
const counts = [];       // answers awaited to framesMade()

// Once the program has ended or failed, its worker goes too: it holds the program's memory, and
// a program that failed midway may still be running. On the page's thread only the channel
// closes.
function stopProgram() {
    if (program) {
        program.onmessage = null;
        program.terminate ? program.terminate() : program.close();
        program = null;
    }
}

function toProgram(type, fields = {}, transfer = []) {
    if (running) {
        program.postMessage({type, ...fields}, transfer);
    }
}

// Frames: the program makes frames much faster than a screen shows them. Once the browser has
// painted, in a task of its own, the page starts the program's next turn, which lasts for its
// share of this display frame: where painting takes long, the program takes less. By the end
// of its turn the program sends the last frame it finished, and the page shows it at once,
// ready for the next paint: from a worker as a bitmap, shown without a copy; on the page's
// thread in the page's one buffer, which goes with the turn and comes back with the frame.
let frameInterval = 1000 / 60, lastFrameAt = 0;
let frameBuffer = new ArrayBuffer(WIDTH * HEIGHT * 4);  // null while the program has it
function show(time) {
    if (lastFrameAt && time - lastFrameAt < 100) {
        frameInterval += (time - lastFrameAt - frameInterval) / 8;
    }
    lastFrameAt = time;
    if (running) {
        afterPaint.port2.postMessage(time);
    }
    requestAnimationFrame(show);
}

const afterPaint = new MessageChannel();
afterPaint.port1.onmessage = ({data: time}) => {
    // The program's clock has another origin.
    const turn = {start: performance.timeOrigin + time, interval: frameInterval};
    if (frameBuffer) {
        turn.buffer = frameBuffer;
        frameBuffer = null;
    }
    toProgram("turn", turn, turn.buffer ? [turn.buffer] : []);
};

function showFrame({bitmap, buffer}) {
    if (bitmap) {
        context.transferFromImageBitmap(bitmap);
    } else {
        frameBuffer = buffer;
        context.putImageData(new ImageData(new Uint8ClampedArray(buffer), WIDTH, HEIGHT), 0, 0);
    }
    firstShownAt = firstShownAt || performance.now();
    framesShown++;
}

// How many frames the program has made, asked of it: it answers even while it waits for the
// page to be shown again.
function framesMade() {
    return running ? new Promise((answer) => {
        counts.push(answer);
        toProgram("count");
    }) : Promise.resolve(0);
}

// Counts asked for and never to be answered, as the program has ended.
function settleCounts() {
    for (const answer of counts.splice(0)) {
        answer(0);
    }
}

function fromProgram({data}) {
    switch (data.type) {
    case "frame":
        showFrame(data);
        break;
    case "count":
        counts.shift()(data.made);
        break;
    case "output":
        takeOutput(data.code);
        break;
    case "error":
        console.error(data.text);
        say(data.text);
        break;
    case "started":
        takenKeys = new Set(data.keys);
        running = true;
        enableControls(true);
        toProgram("hidden", {hidden: document.hidden});
        showPointer(matchMedia("(any-pointer: fine)").matches);
        canvas.focus();
        break;
    case "ended":
        ended(data.status);
        break;
    case "aborted":
        cannotRun(data.started ? "The program stopped: " + data.reason
                               : "comets.wasm could not be started: " + data.reason);
        break;
    case "missing":
        cannotRun(data.name + " is missing.");
        break;
    }
}

// Keys: only those the program takes are taken from the browser, so they never scroll the
// page; which they are the program says as it starts, and it maps each by its
// KeyboardEvent.code. A press with Ctrl, Alt or Meta down is the browser's shortcut, not the
// program's; a release always counts, or a key pressed before the modifier would stay held. A
// held key is released when the page loses the focus or is hidden, since its release would
// then never come.
function key(event, pressed) {
    const shortcut = pressed && (event.ctrlKey || event.altKey || event.metaKey);
    if (!running || shortcut || !takenKeys.has(event.code)) {
        return;
    }
    event.preventDefault();
    if (event.repeat || heldKeys.has(event.code) === pressed) {
        return;
    }
    pressKey(event.code, pressed, event.key.length === 1 ? event.key.charCodeAt(0) : 0);
}

function pressKey(code, pressed, ascii = 0) {
    if (pressed) {
        heldKeys.add(code);
    } else {
        heldKeys.delete(code);
    }
    toProgram("key", {code, pressed, ascii});
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
    toProgram("mouse", {x, y, buttons});
    if (event.type === "pointerdown") {
        canvas.focus();
        canvas.setPointerCapture(event.pointerId);
        event.preventDefault();
    }
}

// The program's pointer arrow is drawn only where the visitor has a mouse: a finger shows
// where it is itself.
let pointerShown = true;
function showPointer(shown) {
    if (shown !== pointerShown) {
        pointerShown = shown;
        toProgram("pointer", {shown});
    }
}

function hideOrShow() {
    if (document.hidden) {
        releaseKeys();
    }
    toProgram("hidden", {hidden: document.hidden});
}

function ended(status) {
    running = false;
    stopProgram();
    settleCounts();
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
    closeButton.addEventListener("click", () => toProgram("close"));
    againButton.addEventListener("click", () => location.reload());
    document.getElementById("fullscreen").addEventListener("click", () => {
        const stage = document.getElementById("stage");
        (stage.requestFullscreen ? stage.requestFullscreen() : Promise.reject())
            .catch(() => say("This browser would not show the picture full screen."));
        canvas.focus();
    });
}

// Options come from the page's address, for the program's own parser: ?fps=60 is --fps 60. A
// window means nothing in a page, so ?window is left out; ?page-thread is the page's own.
function options() {
    const list = [];
    for (const [name, value] of new URLSearchParams(location.search)) {
        if (name !== "window" && name !== "page-thread") {
            list.push("--" + name, ...(value === "" ? [] : [value]));
        }
    }
    return list;
}

// The program runs in a worker, which leaves the page's thread to the visitor, and sends its
// frames as bitmaps. Where the browser cannot do that, or the address asks with ?page-thread
// (to compare), it runs on the page's thread, loaded as scripts of the page, and talks to it
// through a channel.
function runProgram() {
    const start = {words: ["comets", ...options()], width: WIDTH, height: HEIGHT};
    const pageThread = new URLSearchParams(location.search).has("page-thread");
    if (!pageThread && typeof Worker === "function" && typeof createImageBitmap === "function") {
        try {
            program = new Worker("program.js");
        } catch (error) {
            console.error(error);  // a worker refused: the page's thread then
        }
        context = program && canvas.getContext("bitmaprenderer");
        if (context) {
            program.onmessage = fromProgram;
            // An error the worker did not catch: before the program runs, its script is at
            // fault; after, the program stopped.
            program.onerror = (event) => cannotRun(running
                ? "The program stopped: " + (event.message || "an error in its worker")
                : "program.js could not be started.");
            program.postMessage(start);
            programThread = "worker";
            frameBuffer = null;
            return;
        }
        program?.terminate();
    }
    context = canvas.getContext("2d");
    const channel = new MessageChannel();
    program = channel.port1;
    program.onmessage = fromProgram;
    programThread = "page";
    load("program.js", () => {
        startProgram(channel.port2, start);
        load("comets.js", () => {});
    });
}

function load(name, then) {
    const script = document.createElement("script");
    script.src = name;
    script.onload = then;
    script.onerror = () => cannotRun(name + " is missing.");
    document.body.appendChild(script);
}

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
    // The program's thread starts while comets.wasm is fetched and compiled here; it gets the
    // module compiled. Where comets.wasm is missing or will not compile, the program is stopped.
    runProgram();
    // A copy of the site for the next visit, which then also works offline.
    if ("serviceWorker" in navigator) {
        navigator.serviceWorker.register("sw.js").catch((error) => console.error(error));
    }
    let wasm = null;
    try {
        const response = await fetch("comets.wasm");
        if (!response.ok) {
            throw new Error("HTTP " + response.status);
        }
        wasm = await response.arrayBuffer();
        const module = await WebAssembly.compile(wasm);
        program?.postMessage({type: "wasm", module});  // unless the program failed meanwhile
    } catch (error) {
        cannotRun(wasm ? "comets.wasm could not be started: " + error.message
                       : "comets.wasm is missing: " + error.message);
    }
}

start();
