// The worker the program runs in, off the page's thread: its first message from the page is
// the command line, and from then on the worker's own messages are the port to the page.
"use strict";

importScripts("program.js");

self.onmessage = ({data}) => {
    startProgram(self, data.words);
    try {
        importScripts("comets.js");
    } catch (error) {
        self.postMessage({type: "missing", name: "comets.js"});
    }
};
