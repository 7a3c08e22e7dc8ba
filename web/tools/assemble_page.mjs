// Inlines the core (its glue with the WebAssembly inside), the modules, the
// styles and the font into one HTML file that needs nothing beside it. The
// start-up module's imports of its neighbours ("./lab.js") become data: URLs
// holding them, so the modules stay modules without a file beside the page.
// The workbook writer from npm goes in as a classic script of its own, with
// its licences.
//   node assemble_page.mjs --core core.js --font face.ttf --guide guide.html --xlsx write-excel-file.min.js
//       --source web/ --out page.html
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { parseArgs } from 'node:util';

const kMaxBytes = 3 * 1024 * 1024;

const { values } = parseArgs({
    options: {
        core: { type: 'string' }, font: { type: 'string' }, guide: { type: 'string' }, xlsx: { type: 'string' },
        source: { type: 'string' }, out: { type: 'string' },
    },
});
for (const name of ['core', 'font', 'guide', 'xlsx', 'source', 'out']) {
    if (!values[name]) {
        console.error(`assemble_page: --${name} missing`);
        process.exit(2);
    }
}

// An inline script ends at the first "</script"; "<!--" would change how the
// rest of it is read.
function Inlinable(text, what) {
    if (/<\/script|<!--/i.test(text)) {
        console.error(`assemble_page: ${what} cannot be inlined as it stands`);
        process.exit(1);
    }
    return text;
}

const read = (name) => readFileSync(join(values.source, name), 'utf8');

// A module with its relative imports inlined, each neighbour once per import.
function InlinedModule(name, importing = []) {
    if (importing.includes(name)) {
        console.error(`assemble_page: ${[...importing, name].join(' -> ')} import each other`);
        process.exit(1);
    }
    return Inlinable(read(name), name).replace(/(\bfrom\s*)(['"])\.\/([\w-]+\.js)\2/g, (all, from, quote, neighbour) => {
        const text = InlinedModule(neighbour, [...importing, name]);
        return `${from}${quote}data:text/javascript;base64,${Buffer.from(text).toString('base64')}${quote}`;
    });
}
// A library as its package ships it, under its licence and that of what it bundles.
function LibraryWithLicences(bundle, licences) {
    const notices = licences.map((file) => readFileSync(file, 'utf8').replaceAll('*/', '* /'));
    return `/*\n${notices.join('\n')}*/\n${Inlinable(readFileSync(bundle, 'utf8'), bundle)}`;
}
const xlsxPackage = join(dirname(values.xlsx), '..');
const parts = {
    '/*FONT*/': readFileSync(values.font).toString('base64'),
    '/*STYLE*/': read('page.css'),
    // The desktop's guide as it stands, in an attribute: base64 needs no escaping.
    '/*GUIDE*/': readFileSync(values.guide).toString('base64'),
    '/*CORE*/': Inlinable(readFileSync(values.core, 'utf8'), values.core),
    '/*XLSX*/': LibraryWithLicences(values.xlsx, [join(xlsxPackage, 'LICENSE'), join(xlsxPackage, '..', 'fflate', 'LICENSE')]),
    '/*SCRIPT*/': InlinedModule('page.js'),
};
let html = read('page.html');
for (const [marker, text] of Object.entries(parts)) {
    const at = html.indexOf(marker);
    if (at < 0) {
        console.error(`assemble_page: page.html has no ${marker}`);
        process.exit(1);
    }
    html = html.slice(0, at) + text + html.slice(at + marker.length);
}
const size = Buffer.byteLength(html);
if (size > kMaxBytes) {
    console.error(`assemble_page: ${size} bytes, more than ${kMaxBytes}`);
    process.exit(1);
}
writeFileSync(values.out, html);
console.log(`${values.out}: ${size} bytes`);
