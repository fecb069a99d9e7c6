// The program's side of the page: runs comets.js's main in a worker, this file being the
// worker's script, where the browser can; or else on the page's own thread. Either way it talks
// to the page only through messages on a port: the page's input and turns come in, and frames,
// output and how the program ended go out. Only Module and startProgram are global, as
// comets.js shares the global scope, and on the page's thread page.js does too.
"use strict";

var Module;

const startProgram = (() => {
    // How the program shares the machine: at a frame, once this share of the display frame has
    // passed since it began (keep_up.cpp asks), it gives its thread back, with the frame it
    // finished last, and waits for the page's next turn, which comes once the browser has
    // painted; meanwhile it takes its messages. The rest is the browser's own: on the page's
    // thread the page itself; in a worker the drawing and compositing beside it, which on a
    // machine of few cores compete with the program for them (WebKitGTK, painting in software
    // on two cores, showed fewer frames with the program running on).
    const IN_WORKER = typeof WorkerGlobalScope === "function";
    const SHARE = IN_WORKER ? 0.7 : 0.6;

    let port, running = false;
    // comets.wasm's module, which the page compiles and sends, maybe before comets.js runs.
    let compiled;
    const wasmModule = new Promise((resolve) => (compiled = resolve));
    let hidden = false, turnEnds = 0, frameInterval = 1000 / 60;
    let resume = null;         // the program's, while it waits for its next turn
    let frameBuffer = null;    // on the page's thread: the page's, for the next frame
    let pixels = null;         // in a worker: the next frame, made into a bitmap
    let pointerWanted = true, pointerShown = true;

    function post(type, fields = {}, transfer = []) {
        port.postMessage({type, ...fields}, transfer);
    }

    function resumeProgram(frameStart) {
        turnEnds = frameStart + frameInterval * SHARE;
        const resumeNow = resume;
        resume = null;
        resumeNow();
    }

    // The frame finished last, if there is one the page has not had, goes to the page. From a
    // worker it goes as a bitmap, which the page shows without copying it; on the page's
    // thread, in the page's buffer, once the page has given it back. The pointer's arrow is
    // drawn or not from the next frame on, once the program has its screen.
    function giveFrame() {
        const start = IN_WORKER || frameBuffer ? Module._web_take_frame() : 0;
        if (!start) {
            return;
        }
        if (pointerWanted !== pointerShown) {
            pointerShown = pointerWanted;
            Module._web_show_pointer(pointerShown ? 1 : 0);
        }
        const frame = IN_WORKER ? pixels.data : new Uint8Array(frameBuffer);
        frame.set(Module.HEAPU8.subarray(start, start + frame.length));
        if (IN_WORKER) {
            // The pixels are taken as it is called: they can be written again meanwhile.
            createImageBitmap(pixels).then((bitmap) => post("frame", {bitmap}, [bitmap]),
                (error) => post("aborted", {reason: "a frame could not be made into a picture (" +
                                            error + ")", started: true}));
        } else {
            post("frame", {buffer: frameBuffer}, [frameBuffer]);
            frameBuffer = null;
        }
    }

    // Input, while the program waits for its turn or rests: it only ever runs between frames.
    // The key's code goes where the library's web keyboard reads it.
    function fromPage({data}) {
        if (data.type === "wasm") {
            compiled(data.module);
        }
        if (!running) {
            return;
        }
        switch (data.type) {
        case "turn":
            frameBuffer = data.buffer || frameBuffer;
            frameInterval = data.interval;
            if (resume) {
                giveFrame();
                resumeProgram(data.start - performance.timeOrigin);
            }
            break;
        case "key":
            Module.stringToUTF8(data.code, Module._web_key_code(), 32);
            Module._web_key(data.pressed ? 1 : 0, data.ascii);
            break;
        case "mouse":
            Module._web_mouse(data.x, data.y, data.buttons);
            break;
        case "pointer":
            pointerWanted = data.shown;
            break;
        case "hidden":
            hidden = data.hidden;
            break;
        case "close":
            Module._web_close();
            break;
        case "count":
            post("count", {made: Module._web_frames_made()});
            break;
        }
    }

    // Asked by the program at each frame (keep_up.cpp); always true while the page is hidden,
    // which then gives no turns, so the program waits until it is shown again.
    function pageWantsItsTurn() {
        return hidden || performance.now() >= turnEnds;
    }

    function pageTurn() {
        giveFrame();
        return new Promise((resumeLater) => (resume = resumeLater));
    }

    // The program's rest between paced frames (pacing.cpp): its thread is free meanwhile, and
    // its turn starts anew after.
    function pageSleep(milliseconds) {
        return new Promise((resumeLater) => setTimeout(() => {
            turnEnds = performance.now() + frameInterval * SHARE;
            resumeLater();
        }, milliseconds));
    }

    // main is started here rather than by the runtime: a main that has waited for its turn
    // returns its status to a promise only when called so, and the runtime is then ended with
    // it, as a return from main ends a program.
    function runMain(words) {
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

    // Sets up Module for comets.js, which the caller then loads: `words` is the command line,
    // and the program's screen is `width` x `height`.
    return (messages, {words, width, height}) => {
        port = messages;
        pixels = IN_WORKER ? new ImageData(width, height) : null;
        port.onmessage = fromPage;
        Module = {
            noInitialRun: true,
            // The page fetches and compiles comets.wasm while this thread starts, and sends the
            // module: it is only instantiated here.
            instantiateWasm: (imports, receive) => {
                wasmModule
                    .then(async (module) =>
                        receive(await WebAssembly.instantiate(module, imports), module))
                    .catch((error) => post("aborted", {reason: String(error), started: false}));
                return {};
            },
            pageWantsItsTurn,
            pageTurn,
            pageSleep,
            // Standard output a byte at a time: the program's one message has no newline.
            stdout: (code) => code !== null && post("output", {code}),
            printErr: (text) => post("error", {text}),
            onRuntimeInitialized: () => {
                running = true;
                const keys = Module.UTF8ToString(Module._web_keys_taken()).trim().split(" ");
                post("started", {keys});
                runMain(words);
            },
            onExit: (status) => {
                running = false;
                post("ended", {status});
            },
            onAbort: (reason) => {
                running = false;
                post("aborted", {reason: String(reason), started: Boolean(Module.calledRun)});
            },
        };
    };
})();

// As the worker's script: the page's first message starts the program.
if (typeof WorkerGlobalScope === "function") {
    self.onmessage = ({data}) => {
        startProgram(self, data);
        try {
            importScripts("comets.js");
        } catch (error) {
            self.postMessage({type: "missing", name: "comets.js"});
        }
    };
}
