// Writes the advance widths and vertical metrics of a TrueType font as a C++
// header, so that the core measures texts exactly as the page's canvas draws
// them with the same embedded font.
//   node font_metrics.mjs <font.ttf> <out.h>
import { readFileSync, writeFileSync } from 'node:fs';

const [fontPath, outPath] = process.argv.slice(2);
if (!fontPath || !outPath) {
    console.error('usage: node font_metrics.mjs <font.ttf> <out.h>');
    process.exit(2);
}
const font = readFileSync(fontPath);
const view = new DataView(font.buffer, font.byteOffset, font.byteLength);

const tables = new Map();
const tableCount = view.getUint16(4);
for (let i = 0; i < tableCount; ++i) {
    const record = 12 + 16 * i;
    const tag = font.toString('latin1', record, record + 4);
    tables.set(tag, view.getUint32(record + 8));
}
for (const tag of ['head', 'hhea', 'hmtx', 'cmap']) {
    if (!tables.has(tag)) {
        console.error(`${fontPath}: no ${tag} table`);
        process.exit(1);
    }
}

const unitsPerEm = view.getUint16(tables.get('head') + 18);
const hhea = tables.get('hhea');
const ascender = view.getInt16(hhea + 4);
const descender = -view.getInt16(hhea + 6);
const metricCount = view.getUint16(hhea + 34);
const hmtx = tables.get('hmtx');
const advanceOf = (glyph) => view.getUint16(hmtx + 4 * Math.min(glyph, metricCount - 1));

// The Unicode BMP subtable (platform 3, encoding 1, format 4).
const cmap = tables.get('cmap');
let subtable = -1;
for (let i = 0; i < view.getUint16(cmap + 2); ++i) {
    const record = cmap + 4 + 8 * i;
    if (view.getUint16(record) === 3 && view.getUint16(record + 2) === 1) {
        subtable = cmap + view.getUint32(record + 4);
    }
}
if (subtable < 0 || view.getUint16(subtable) !== 4) {
    console.error(`${fontPath}: no Unicode format-4 cmap`);
    process.exit(1);
}
const segCount = view.getUint16(subtable + 6) / 2;
const ends = subtable + 14;
const starts = ends + 2 * segCount + 2;
const deltas = starts + 2 * segCount;
const rangeOffsets = deltas + 2 * segCount;
function GlyphOf(code) {
    for (let s = 0; s < segCount; ++s) {
        const end = view.getUint16(ends + 2 * s);
        const start = view.getUint16(starts + 2 * s);
        if (code > end || code < start) {
            continue;
        }
        const delta = view.getInt16(deltas + 2 * s);
        const rangeOffset = view.getUint16(rangeOffsets + 2 * s);
        if (rangeOffset === 0) {
            return (code + delta) & 0xffff;
        }
        const at = rangeOffsets + 2 * s + rangeOffset + 2 * (code - start);
        const glyph = view.getUint16(at);
        return glyph === 0 ? 0 : (glyph + delta) & 0xffff;
    }
    return 0;
}

// Latin, Greek and general punctuation: every character a label or readout uses.
const ranges = [[0x20, 0x24f], [0x370, 0x3ff], [0x2000, 0x206f]];
const rows = [];
for (const [first, last] of ranges) {
    for (let code = first; code <= last; ++code) {
        const glyph = GlyphOf(code);
        if (glyph !== 0) {
            rows.push(`    {0x${code.toString(16)}, ${advanceOf(glyph)}},`);
        }
    }
}

writeFileSync(outPath, `// Made by web/tools/font_metrics.mjs from ${fontPath.split('/').pop()}.
#pragma once

#include <cstdint>

namespace kb::font {

inline constexpr int kUnitsPerEm = ${unitsPerEm};
inline constexpr int kAscender = ${ascender};
inline constexpr int kDescender = ${descender};
inline constexpr int kMissingAdvance = ${advanceOf(0)};

struct Advance {
    std::uint32_t code;
    std::uint16_t units;
};

// Sorted by code point.
inline constexpr Advance kAdvances[] = {
${rows.join('\n')}
};

}  // namespace kb::font
`);
