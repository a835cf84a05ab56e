// Runs in node a script compiled with the emulation library on, with
// stand-ins for the two things of the library that start a page: Ruvo.Main,
// which starts the game (here at once), and Zafrit, whose Start and Run do
// nothing here, so that the main class's constructor runs the program.
// Further arguments name stand-in scripts of a test's own (the library's
// int() or ByteArray), each loaded before the script.
'use strict';
const fs = require('fs');
const vm = require('vm');

const file = process.argv[2];
globalThis.window = globalThis;
globalThis.document = { getElementById() { return null; }, createElement() { return {}; } };
globalThis.Zafrit = { Start() {}, Run() {} };
// The script's core assigns Ruvo; the stand-in start is added to it then.
let ruvo;
Object.defineProperty(globalThis, 'Ruvo', {
  get() { return ruvo; },
  set(value) {
    ruvo = value;
    if (value && !value.Main) value.Main = (start) => start();
  },
  configurable: true,
});
for (const standIn of process.argv.slice(3)) require(standIn);
vm.runInThisContext(fs.readFileSync(file, 'utf8'), { filename: file });
