// Runs a generated .max.js script in node: the script expects a browser's
// `window` and `document`, so both are provided before it is loaded.
'use strict';
const fs = require('fs');
const vm = require('vm');

const file = process.argv[2];
if (!file) {
  console.error('usage: node run-in-node.js <script.max.js>');
  process.exit(2);
}
globalThis.window = globalThis;
globalThis.document = { getElementById() { return null; }, createElement() { return {}; } };
vm.runInThisContext(fs.readFileSync(file, 'utf8'), { filename: file });
