// Validates CTRF documents, or every *.json document in a folder, with the
// format's reference implementation (the ctrf package). Exit status: 0 when
// all are valid, 1 when one is not, 2 for a bad command line, 77 when the
// package is not installed (`./korvu-dev deps` installs it).
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';

let ctrf;
try {
    ctrf = await import('ctrf');
} catch {
    console.log('ctrf-validate: the ctrf package is not installed in tools/ctrf-validate '
        + '(./korvu-dev deps installs it); nothing validated');
    process.exit(77);
}

const files = process.argv.slice(2).flatMap((argument) => statSync(argument).isDirectory()
    ? readdirSync(argument).filter((name) => name.endsWith('.json')).sort().map((name) => join(argument, name))
    : [argument]);
if (files.length === 0) {
    console.error('usage: validate.mjs FILE|FOLDER... (no CTRF document given or found)');
    process.exit(2);
}

let invalid = 0;
for (const file of files) {
    let report;
    try {
        report = JSON.parse(readFileSync(file, 'utf8'));
    } catch (error) {
        console.error(`${file}: not JSON: ${error.message}`);
        ++invalid;
        continue;
    }
    const result = ctrf.validate(report);
    if (result.valid) {
        console.log(`${file}: valid CTRF ${report.specVersion}, ${report.results.tests.length} tests`);
        continue;
    }
    ++invalid;
    for (const error of result.errors)
        console.error(`${file}: ${error.path}: ${error.message}`);
}
console.log(`${files.length - invalid} of ${files.length} documents valid (ctrf ${ctrf.CURRENT_SPEC_VERSION} schema)`);
process.exit(invalid > 0 ? 1 : 0);
