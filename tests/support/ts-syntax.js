// Reads every ".ts" file under the folders given and prints the syntax
// errors that the TypeScript compiler finds in them, one line each:
// "<file>:<line>:<column>: TS<code> <message>". Only the parse is checked:
// the files name the engine's declarations, which are not at hand. The
// errors are the parser's own list of the file (what ts.transpileModule
// reports for a ".ts" file, at a third of its time); a TypeScript without
// that list is asked through ts.transpileModule. The package is looked up as RUVO_TYPESCRIPT names it, else as
// "typescript", else as Debian installs it; without it the script prints
// "no typescript" and exits with code 3, and the caller skips the check.
'use strict';
const fs = require('fs');
const path = require('path');

// Debian's package (node-typescript) lives where a node of another origin
// does not look: it is tried last.
let ts = null;
for (const name of [process.env.RUVO_TYPESCRIPT, 'typescript', '/usr/share/nodejs/typescript']) {
  if (!name) continue;
  try {
    ts = require(name);
    break;
  } catch (e) {
    ts = null;
  }
}
if (!ts || typeof ts.transpileModule !== 'function') {
  console.log('no typescript');
  process.exit(3);
}

function walk(p, out) {
  if (fs.statSync(p).isDirectory()) {
    for (const name of fs.readdirSync(p).sort()) walk(path.join(p, name), out);
  } else if (p.endsWith('.ts')) {
    out.push(p);
  }
  return out;
}

const files = [];
for (const dir of process.argv.slice(2)) walk(dir, files);
for (const file of files) {
  const text = fs.readFileSync(file, 'latin1');
  const source = ts.createSourceFile(file, text, ts.ScriptTarget.ES2017, false, ts.ScriptKind.TS);
  let diagnostics = source.parseDiagnostics;
  if (!Array.isArray(diagnostics)) {
    diagnostics = ts.transpileModule(text, {
      reportDiagnostics: true,
      fileName: file,
      compilerOptions: {target: ts.ScriptTarget.ES2017},
    }).diagnostics || [];
  }
  for (const d of diagnostics) {
    const at = d.file ? d.file.getLineAndCharacterOfPosition(d.start) : {line: -1, character: -1};
    console.log(file + ':' + (at.line + 1) + ':' + (at.character + 1) + ': TS' + d.code + ' ' +
                ts.flattenDiagnosticMessageText(d.messageText, ' '));
  }
}
