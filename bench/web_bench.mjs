// A scene pass in headless chromium against the native one, measured in the
// same run: record in WebAssembly, replay on the canvas, ended by a one-pixel
// getImageData so that the drawing is done; and a white fill of the canvas.
//   node bench/web_bench.mjs <kristallbeugung.html> <kb_bench>
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { LaunchChromium, OpenPage } from '../tests/web/browser.mjs';

const [pagePath, nativeBench] = process.argv.slice(2);
if (!pagePath || !nativeBench) {
    console.error('usage: node bench/web_bench.mjs <kristallbeugung.html> <kb_bench>');
    process.exit(2);
}
const kSizes = [{ width: 792, height: 568, ratio: 1 }, { width: 1920, height: 1080, ratio: 2 }];
const kPanelWidth = 177;
const kWarmUp = 10;
const kRuns = 60;
const Name = (s) => `${s.width}x${s.height}@${s.ratio}`;

function Native() {
    const filter = `^BM_(ScenePass|WhiteFill)/(${kSizes.map(Name).join('|')})(/|$)`;
    const folder = mkdtempSync(join(tmpdir(), 'kb-bench-'));
    const out = join(folder, 'native.json');
    execFileSync(nativeBench, [`--benchmark_filter=${filter}`, `--benchmark_out=${out}`,
        '--benchmark_out_format=json', '--benchmark_repetitions=5', '--benchmark_report_aggregates_only=true'],
    { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' }, stdio: ['ignore', 'ignore', 'inherit'] });
    const report = JSON.parse(readFileSync(out, 'utf8'));
    rmSync(folder, { recursive: true, force: true });
    const times = new Map();
    for (const run of report.benchmarks) {
        if (run.aggregate_name === 'median') {
            const perMs = { ns: 1e-6, us: 1e-3, ms: 1, s: 1e3 }[run.time_unit];
            times.set(run.run_name.replace(/\/real_time$/, ''), run.real_time * perMs);
        }
    }
    return times;
}

// The same busy state as the native benchmark: experiment 0 with every
// reflection stepped through, the last one still active.
async function Web(browser, size) {
    const { tab, errors } = await OpenPage(browser, pagePath,
        { width: size.width + kPanelWidth, height: size.height, ratio: size.ratio });
    const result = await tab.evaluate((warmUp, runs) => {
        const { page, session } = window.kb;
        document.getElementById('Edit2').value = '0';
        session.Button9Click();
        for (let i = session.ReflexCount(); i > 0; --i) {
            session.Button6Click();
        }
        const median = (work) => {
            const times = [];
            for (let i = 0; i < warmUp + runs; ++i) {
                const start = performance.now();
                work();
                page.ctx.getImageData(0, 0, 1, 1);
                if (i >= warmUp) {
                    times.push(performance.now() - start);
                }
            }
            times.sort((a, b) => a - b);
            return times[Math.floor(times.length / 2)];
        };
        const pass = median(() => session.DrawScene());
        const fill = median(() => {
            page.ctx.setTransform(1, 0, 0, 1, 0, 0);
            page.ctx.fillStyle = '#ffffff';
            page.ctx.fillRect(0, 0, page.canvas.width, page.canvas.height);
        });
        return { pass, fill, firstPicture: page.firstPictureAt, view: [page.viewWidth, page.viewHeight],
            active: session.ActiveReflex() };
    }, kWarmUp, kRuns);
    if (result.view[0] !== size.width || result.view[1] !== size.height || result.active < 0) {
        throw new Error(`the page did not reach ${Name(size)} with a reflection active: ${JSON.stringify(result)}`);
    }
    if (errors.length > 0) {
        throw new Error(`console errors: ${errors.join('; ')}`);
    }
    await tab.close();
    return result;
}

const chromium = await LaunchChromium();
const web = new Map();
try {
    for (const size of kSizes) {
        web.set(Name(size), await Web(chromium.browser, size));
    }
} finally {
    await chromium.close();
}
const native = Native();

const high = Name(kSizes[1]);
const firstPicture = Math.max(...[...web.values()].map((w) => w.firstPicture));
for (const size of kSizes) {
    console.log(`web pass ${Name(size)}: ${web.get(Name(size)).pass.toFixed(2)} ms`);
}
console.log(`web/native ${high}: ${(web.get(high).pass / native.get(`BM_ScenePass/${high}`)).toFixed(2)}`);
console.log(`web first picture: ${firstPicture.toFixed(0)} ms after the start of loading`);
for (const size of kSizes) {
    const name = Name(size);
    console.log(`  ${name}: web white fill ${web.get(name).fill.toFixed(2)} ms; ` +
        `native pass ${native.get(`BM_ScenePass/${name}`).toFixed(2)} ms, ` +
        `native white fill ${native.get(`BM_WhiteFill/${name}`).toFixed(2)} ms`);
}
