// The page in a real browser, from file://: the lessons give the native core's
// captions and panels, the picture is crisp at ratio 1 and 2, the rotation
// finds reflections, bad numbers give the desktop's answers, no console errors.
//   KB_WEB_PAGE=<page.html> KB_NATIVE_ANSWERS=<tool> node page.test.mjs
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createRequire } from 'node:module';
import { after, before, test as nodeTest } from 'node:test';

import { kBrowserPath, kEngine, LaunchBrowser, OpenPage } from './browser.mjs';

// Every test's name says the engine it failed in.
const test = (name, ...rest) => nodeTest(`${kEngine}: ${name}`, ...rest);

if (!existsSync(kBrowserPath)) {
    if (process.env.CI) {
        console.error(`${kBrowserPath} is missing; CI must run the browser tests in ${kEngine}`);
        process.exit(1);
    }
    console.log(`SKIP: ${kBrowserPath} is missing, the page is not tested in ${kEngine}`);
    process.exit(77);
}

const pagePath = process.env.KB_WEB_PAGE;
const kAxe = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
const lessons = JSON.parse(execFileSync(process.env.KB_NATIVE_ANSWERS, ['--lessons']));
// German, then every catalogue the build embeds.
const kPoDir = new URL('../../po/', import.meta.url);
const kLanguages = ['de', ...readdirSync(kPoDir).filter((n) => n.endsWith('.po')).map((n) => n.slice(0, -3)).sort()];
// Every control whose visibility or checked state a lesson or a pass sets.
const kControls = ['GroupBox1', 'GroupBox2', 'GroupBox3', 'GroupBox4', 'GroupBox5', 'GroupBox6', 'GroupBox7',
    'Button1', 'Button2', 'Button3', 'Button5', 'Button6', 'Button7', 'Button8', 'Button9', 'primaer',
    'gebeugtCheck', 'CheckBox1', 'CheckBox2', 'CheckBox3', 'CheckBox4', 'CheckBox5', 'CheckBox6', 'CheckBox7',
    'CheckBox8', 'CheckBox9', 'CheckBox10', 'CheckBox11', 'CheckBox12', 'RadioGroup1', 'Edit2', 'UpDown1', 'Edit3',
    'Edit4', 'ListBox1'];

let chromium;
before(async () => { chromium = await LaunchBrowser(); });
after(async () => { await chromium.close(); });

// Types `text` into "Experiment Nr." and presses its "Start".
async function StartExperiment(tab, text) {
    await tab.click('#Edit2', { clickCount: 3 });
    await tab.keyboard.press('Backspace');
    if (text !== '') {
        await tab.keyboard.type(text);
    }
    await tab.click('#Button9');
}

const PanelStateSorted = (o) => ({ ...o, hidden: [...o.hidden].sort(), checked: [...o.checked].sort() });

// The panel as the page shows it, in the native tool's terms.
function PanelState(tab, controls) {
    return tab.evaluate((names) => {
        const $ = (id) => document.getElementById(id);
        const shown = (name) => { const e = $(name); return e.type === 'checkbox' ? e.parentElement : e; };
        return {
            caption: document.title,
            hidden: names.filter((n) => shown(n).hidden),
            checked: names.filter((n) => $(n).type === 'checkbox' && $(n).checked),
            radio: Number(document.querySelector('input[name=RadioGroup1]:checked').value),
            message: $('MessageDialog').open ? $('MessageText').textContent : '',
        };
    }, controls);
}

test('start, and again after "Aufhören": the start caption, focus in Edit2', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568 });
    assert.equal(await tab.title(), 'Kein Experiment aktiv');
    assert.equal(await tab.evaluate(() => document.activeElement.id), 'Edit2');
    const size = await tab.evaluate(() => [document.getElementById('drawing-area').clientWidth,
        document.getElementById('drawing-area').clientHeight]);
    assert.deepEqual(size, [615, 568], 'the drawing area beside the 177-pixel panel');
    // "Aufhören" returns the page to this state.
    await StartExperiment(tab, '0');
    await tab.click('#Button1');
    const after = await tab.evaluate(() => [document.title, document.activeElement.id,
        document.getElementById('Edit2').value]);
    assert.deepEqual(after, ['Kein Experiment aktiv', 'Edit2', '1']);
    assert.deepEqual(errors, []);
    await tab.close();
});

test('lessons -1 to 14, "abc" and 15 leave the native core\'s caption and panel', async (t) => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568 });
    for (const [input, expected] of Object.entries(lessons)) {
        await t.test(`Edit2 "${input}"`, async () => {
            // Each from the start state, as the native tool starts each on a fresh window.
            await tab.click('#Button1');
            await StartExperiment(tab, input);
            const state = await PanelState(tab, kControls);
            const sort = (o) => ({ ...o, hidden: [...o.hidden].sort(), checked: [...o.checked].sort() });
            assert.deepEqual(sort(state), sort(expected));
            if (expected.message) {
                assert.equal(await tab.$eval('#MessageOk', (b) => b.textContent), 'OK');
                await tab.click('#MessageOk');
                assert.equal(await tab.$eval('#MessageDialog', (d) => d.open), false);
            }
        });
    }
    assert.deepEqual(errors, []);
    await tab.close();
});

// For every horizontal line of a pass with a visible pen, the device pixels
// across it at a point its pen covers (in the first dash of a dashed one),
// and the device rows just above and below the pen.
function ProbeLines(tab) {
    return tab.evaluate(() => {
        const { page, session } = window.kb;
        let list = null;
        page.passListener = (l) => { list = Int32Array.from(l); };
        session.DrawScene();
        page.passListener = null;
        const ratio = page.ratio;
        const pixel = (x, y) => Array.from(page.ctx.getImageData(x, y, 1, 1).data.slice(0, 3));
        const sizes = { 1: 4, 2: 3, 3: 4, 4: 5, 5: 5, 6: 9, 8: 5 };
        const probes = [];
        let pen = null;
        for (let i = 0; i < list.length;) {
            const c = list[i];
            if (c === 1) {
                pen = { colour: list[i + 1], width: Math.max(1, list[i + 2]), style: list[i + 3] };
            } else if (c === 4 && list[i + 2] === list[i + 4] && Math.abs(list[i + 3] - list[i + 1]) >= 4 && pen.style !== 3) {
                // Near the middle; for a dashed or dotted pen, in the middle of
                // a dash (6 on, 3 off) or on a dot (1 on, 2 off), in pen widths.
                const [on, period] = [[0, 1], [6, 9], [1, 3]][pen.style].map((n) => n * pen.width);
                const start = Math.min(list[i + 1], list[i + 3]);
                const half = Math.abs(list[i + 3] - list[i + 1]) / 2;
                const x = start + period * Math.floor(half / period) + Math.floor(on / 2);
                // The pen covers `width` logical rows, centred on the pixel's
                // centre when odd and on its top edge when even.
                const top = list[i + 2] - Math.floor(pen.width / 2);
                const column = x * ratio + Math.floor(ratio / 2);
                const covered = [];
                for (let y = top * ratio; y < (top + pen.width) * ratio; ++y) {
                    covered.push(pixel(column, y));
                }
                probes.push({
                    rgb: [(pen.colour >> 16) & 255, (pen.colour >> 8) & 255, pen.colour & 255], covered,
                    outside: [pixel(column, top * ratio - 1), pixel(column, (top + pen.width) * ratio)],
                });
            }
            i += c === 7 ? 2 + 2 * list[i + 1] : c === 9 ? 4 + list[i + 3] : sizes[c];
        }
        return { probes, ratio, size: [page.canvas.width, page.canvas.height] };
    });
}

for (const ratio of [1, 2]) {
    test(`lesson 11's picture at ratio ${ratio}: lines on whole device pixels in the pen's colour`, async () => {
        const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568, ratio });
        await StartExperiment(tab, '11');
        const { probes, ratio: shown, size } = await ProbeLines(tab);
        assert.equal(shown, ratio);
        assert.deepEqual(size, [615 * ratio, 568 * ratio], 'the canvas at device pixels');
        assert.ok(probes.length >= 2, 'the primary beam and its continuation');
        for (const probe of probes) {
            for (const device of probe.covered) {
                assert.deepEqual(device, probe.rgb, 'every device pixel under the pen in its colour, unblended');
            }
            assert.ok(probe.outside.every((device) => device.some((v, k) => v !== probe.rgb[k])),
                'no device row beside the pen in its colour');
        }
        assert.deepEqual(errors, []);
        await tab.close();
    });
}

test('Tab runs over lesson 0\'s controls in the window\'s order, the extras last', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568 });
    await StartExperiment(tab, '0');
    await tab.click('#Button6');
    await tab.focus('#Button9');
    const order = [];
    // Past the last control the focus leaves the page once before it wraps.
    for (let presses = 0; order.length < 32 && presses < 44; ++presses) {
        await tab.keyboard.press('Tab');
        const id = await tab.evaluate(() => document.activeElement.id);
        if (id !== '') {
            order.push(id);
        }
    }
    // From Button9: "Aufhören", the readouts, the extras, then the groups in
    // their order, each over its controls, and the lesson number last.
    assert.deepEqual(order, ['Button1', 'Edit3', 'Edit4', 'ListBox1', 'CrystalButton', 'SavePictureButton',
        'SaveValuesButton', 'PrintButton', 'FullScreenButton', 'CopyPictureButton', 'GuideButton',
        'ExperimentList', 'CopyLinkButton', 'Button3', 'Button6', 'Button5', 'Button2', 'Button8',
        'Button7', 'CheckBox2', 'CheckBox1', 'CheckBox5', 'CheckBox7', 'CheckBox8', 'CheckBox3', 'CheckBox4',
        'RadioGroup1Item2', 'CheckBox6', 'CheckBox9', 'primaer', 'gebeugtCheck', 'CheckBox10']);
    assert.deepEqual(errors, []);
    await tab.close();
});

test('rotation at the fastest speed makes a reflection active, announced only when it changes', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568 });
    await StartExperiment(tab, '12');
    while (await tab.evaluate(() => window.kb.session.TimerIntervalMs()) > 10) {
        await tab.click('#Button2');
    }
    await tab.evaluate(() => {
        window.announced = [];
        const region = document.getElementById('reflex-announcement');
        new MutationObserver(() => window.announced.push(region.textContent))
            .observe(region, { childList: true, characterData: true, subtree: true });
    });
    await tab.click('#Button3');
    assert.equal(await tab.$eval('#Button3', (b) => b.textContent), 'Stop');
    await tab.waitForFunction(() => window.kb.session.ActiveReflex() >= 0, { timeout: 30000 });
    await tab.click('#Button3');
    const seen = await tab.evaluate(() => ({
        caption: document.getElementById('Button3').textContent,
        reflex: document.getElementById('Edit4').textContent,
        announced: window.announced,
        live: document.getElementById('Edit4').getAttribute('aria-live'),
    }));
    assert.equal(seen.caption, 'Start');
    assert.ok(seen.announced.some((text) => /^Reflex /.test(text)), 'the reflex was announced');
    assert.equal(seen.announced.at(-1), seen.reflex);
    assert.ok(seen.announced.every((text, i) => i === 0 || text !== seen.announced[i - 1]),
        'no announcement repeats the one before');
    assert.equal(seen.live, null, 'the readout itself is not a live region');
    assert.deepEqual(errors, []);
    await tab.close();
});

test('by touch on a 1024×768 tablet: every control of lesson 0 reachable and at least 24 px', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath,
        { width: 1024, height: 768, touch: true });
    await StartExperiment(tab, '0');
    const targets = await tab.evaluate(() => {
        const panel = document.getElementById('Panel1');
        const hits = [...panel.querySelectorAll('button, label, input[type=text]')].filter((e) => e.offsetParent !== null);
        return hits.map((element) => {
            element.scrollIntoView({ block: 'nearest' });
            const box = element.getBoundingClientRect();
            const inside = box.left >= 0 && box.top >= 0 && box.right <= innerWidth && box.bottom <= innerHeight;
            return { name: element.id || element.textContent, width: box.width, height: box.height, inside };
        });
    });
    assert.ok(targets.length >= 30, `${targets.length} controls`);
    for (const target of targets) {
        assert.ok(target.inside && target.width >= 24 && target.height >= 24, JSON.stringify(target));
    }
    const before = await tab.evaluate(() => window.kb.session.ScenePassCount());
    const box = await tab.$eval('#CheckBox3', (e) => {
        e.scrollIntoView({ block: 'nearest' });
        const r = e.parentElement.getBoundingClientRect();
        return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
    });
    await tab.touchscreen.tap(box.x, box.y);
    assert.equal(await tab.$eval('#CheckBox3', (e) => e.checked), false, 'the tap unchecked "Streuvektor"');
    assert.equal(await tab.evaluate(() => window.kb.session.ScenePassCount()), before + 1, 'one scene pass');
    assert.deepEqual(errors, []);
    await tab.close();
});

test('readouts in the browser\'s language', async (t) => {
    for (const [locale, separator] of [['de-DE', ','], ['en-US', '.']]) {
        await t.test(locale, async () => {
            const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568, locale });
            await StartExperiment(tab, '3');
            const omega = await tab.$eval('#Edit3', (e) => e.textContent);
            assert.match(omega, new RegExp(`^Omega = \\d+\\${separator}\\d°$`));
            assert.deepEqual(errors, []);
            await tab.close();
        });
    }
});

test('the drawing area described in words; "Kristall und Strahlung": OK on the crystal in use keeps the peaks, another one asks first', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568 });
    await StartExperiment(tab, '0');
    await tab.click('#Button6');  // nächsterReflex records a peak
    const peaks = () => tab.evaluate(() => window.kb.session.AnyPeakRecorded());
    const omega = () => tab.evaluate(() => window.kb.session.OmegaDeg());
    assert.equal(await peaks(), true);
    const [name, description] = await tab.evaluate(() => {
        const canvas = document.getElementById('drawing-area');
        return [canvas.getAttribute('aria-label'),
            document.getElementById(canvas.getAttribute('aria-describedby')).textContent];
    });
    assert.equal(name, 'Zeichenfläche');
    assert.match(description, /^Kristall um Omega = \d+° gedreht; Reflex -?\d+ -?\d+ 0 \(\d+\. Ordnung\) in Bragg-Stellung: Theta = \d+[,.]\d°/);
    const before = await omega();

    await tab.click('#CrystalButton');
    await tab.keyboard.press('Enter');
    assert.equal(await tab.$eval('#CrystalDialog', (d) => d.open), false, 'OK closes the dialog');
    assert.deepEqual([await peaks(), await omega()], [true, before], 'the same crystal changes nothing');

    // A square lattice: "Abbrechen" in the question keeps everything, "Verwerfen" applies.
    for (const [answer, applied] of [['#keepButton', false], ['#discardButton', true]]) {
        await tab.click('#CrystalButton');
        await tab.select('#latticeChoice', 'quadratisch');
        await tab.click('#okButton');
        assert.equal(await tab.$eval('#DiscardDialog', (d) => d.open), true, 'the question comes first');
        await tab.click(answer);
        // The answer takes effect when the question has closed, after the click.
        await tab.waitForFunction((closed) => !document.getElementById(closed).open, {},
            applied ? 'CrystalDialog' : 'DiscardDialog');
        const lattice = await tab.evaluate(() => window.kb.session.Crystal().LatticeB);
        assert.deepEqual([lattice === 300, await peaks()], [applied, !applied], answer);
        if (!applied) {
            await tab.click('#cancelButton');
        }
    }
    assert.equal(await tab.$eval('#CrystalDialog', (d) => d.open), false);
    assert.deepEqual(errors, []);
    await tab.close();
});

test('Enter in "Experiment Nr." starts the lesson as "Start" does', async (t) => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568 });
    for (const input of ['0', '12', 'abc']) {
        await t.test(`Edit2 "${input}"`, async () => {
            await tab.click('#Button1');
            await tab.click('#Edit2', { clickCount: 3 });
            await tab.keyboard.press('Backspace');
            await tab.keyboard.type(input);
            await tab.keyboard.press('Enter');
            assert.deepEqual(PanelStateSorted(await PanelState(tab, kControls)), PanelStateSorted(lessons[input]));
            if (lessons[input].message) {
                await tab.click('#MessageOk');
            }
        });
    }
    assert.deepEqual(errors, []);
    await tab.close();
});

// The look the issue of each engine asks for: captions whole, legends over
// their frame, colours of the page's own, hit areas big enough by touch.
const kLayouts = [
    { name: 'ratio 1', width: 1024, height: 768 },
    { name: 'ratio 2', width: 1024, height: 768, ratio: 2 },
    { name: 'touch, landscape', width: 1024, height: 768, touch: true },
    { name: 'touch, portrait', width: 768, height: 1024, touch: true },
];
for (const language of kLanguages) {
    for (const layout of kLayouts) {
        const name = language === 'de' ? layout.name : `${layout.name}, ${language}`;
        test(`${name}: no caption clipped or overlapping, no frame line through a caption, explicit colours`, async () => {
            const { tab, errors } = await OpenPage(chromium.browser, pagePath, { ...layout, hash: `#lang=${language}` });
            await StartExperiment(tab, '0');
            const faults = await tab.evaluate(() => {
                const found = [];
                const panel = document.getElementById('Panel1');
                const captions = [];
                for (const element of panel.querySelectorAll('button, label, legend')) {
                    if (element.offsetParent === null && element.tagName !== 'LEGEND') {
                        continue;
                    }
                    if (element.getClientRects().length === 0) {
                        continue;
                    }
                    const text = element.textContent.trim();
                    if (element.scrollWidth > element.clientWidth + 0.5) {
                        found.push(`"${text}" clipped: ${element.scrollWidth} > ${element.clientWidth}`);
                    }
                    const style = getComputedStyle(element);
                    if (element.tagName === 'LEGEND' && style.backgroundColor === 'rgba(0, 0, 0, 0)') {
                        found.push(`legend "${text}" lets the frame through`);
                    }
                    if (element.tagName === 'BUTTON' && !element.disabled && style.color !== 'rgb(0, 0, 0)') {
                        found.push(`"${text}" in ${style.color}`);
                    }
                    if (element.closest('#UpDown1') === null) {
                        // What a label or legend shows: its box and text, not its layout box.
                        const range = document.createRange();
                        range.selectNodeContents(element);
                        const box = element.tagName === 'BUTTON' ? element.getBoundingClientRect() : range.getBoundingClientRect();
                        captions.push({ text, group: element.parentElement.closest('fieldset'), box });
                    }
                }
                // A caption wider than its layout box must neither leave its
                // group nor run into its neighbour.
                for (const [i, a] of captions.entries()) {
                    const frame = a.group?.getBoundingClientRect();
                    if (frame && (a.box.left < frame.left || a.box.right > frame.right)) {
                        found.push(`"${a.text}" runs out of its group: ${a.box.left}..${a.box.right}`);
                    }
                    for (const b of captions.slice(i + 1)) {
                        const across = Math.min(a.box.right, b.box.right) - Math.max(a.box.left, b.box.left);
                        const down = Math.min(a.box.bottom, b.box.bottom) - Math.max(a.box.top, b.box.top);
                        if (a.group === b.group && across > 0.5 && down > 0.5) {
                            found.push(`"${a.text}" overlaps "${b.text}"`);
                        }
                    }
                }
                return found;
            });
            assert.deepEqual(faults, []);
            assert.deepEqual(errors, []);
            await tab.close();
        });
    }
}

test('portrait tablet: the picture takes the width, the panel lies below it', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 768, height: 1024, touch: true });
    await StartExperiment(tab, '0');
    const [view, panel, omegaPx] = await tab.evaluate(() => [
        document.getElementById('view').getBoundingClientRect().toJSON(),
        document.getElementById('Panel1').getBoundingClientRect().toJSON(),
        parseFloat(getComputedStyle(document.getElementById('Edit3')).fontSize)]);
    assert.equal(view.width, 768);
    assert.ok(panel.top >= view.bottom - 1, `panel at ${panel.top}, picture down to ${view.bottom}`);
    assert.ok(omegaPx >= 11, `Omega readout in ${omegaPx} px`);
    assert.deepEqual(errors, []);
    await tab.close();
});

// axe-core's default rules, with target-size where the pointer is a finger.
// (The window's layout keeps its 16-px check-box rows for the mouse.)
async function AxeViolations(tab, targetSize) {
    await tab.evaluate(readFileSync(kAxe, 'utf8'));
    return tab.evaluate(async (withTargetSize) => {
        const result = await window.axe.run(document, { rules: { 'target-size': { enabled: withTargetSize } } });
        return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
    }, targetSize);
}

for (const layout of [kLayouts[0], kLayouts[2], kLayouts[3]]) {
    test(`${layout.name}: axe-core finds nothing on the start and on experiment 0`, async () => {
        const { tab, errors } = await OpenPage(chromium.browser, pagePath, layout);
        const targetSize = Boolean(layout.touch);
        assert.deepEqual(await AxeViolations(tab, targetSize), [], 'start');
        await StartExperiment(tab, '0');
        assert.deepEqual(await AxeViolations(tab, targetSize), [], 'experiment 0');
        assert.deepEqual(errors, []);
        await tab.close();
    });
}

test('by touch every control of the panel is at least 44×44 px', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768, touch: true });
    await StartExperiment(tab, '0');
    const small = await tab.evaluate(() => [...document.querySelectorAll('#Panel1 button, #Panel1 label, #Panel1 input')]
        .filter((e) => e.offsetParent !== null && e.type !== 'checkbox' && e.type !== 'radio')
        .map((e) => [e.id || e.textContent.trim(), e.getBoundingClientRect()])
        .filter(([, r]) => r.width < 44 || r.height < 44)
        .map(([name, r]) => `${name} ${r.width}×${r.height}`));
    assert.deepEqual(small, []);
    assert.deepEqual(errors, []);
    await tab.close();
});

test('"Kristall und Strahlung": whole values with the readouts\' separator, the count of reflections', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768 });
    await StartExperiment(tab, '0');
    await tab.click('#CrystalButton');
    await tab.$eval('#lambdaSpin', (e) => { e.focus(); e.select(); });
    await tab.keyboard.type('154,051');
    const fields = await tab.evaluate(() => ['aSpin', 'bSpin', 'gammaSpin', 'lambdaSpin'].map((id) => {
        const field = document.getElementById(id);
        field.value = id === 'lambdaSpin' ? field.value : '1000,000';
        return [id, field.value, field.scrollWidth <= field.clientWidth];
    }));
    assert.deepEqual(fields.map(([id, , whole]) => [id, whole]),
        [['aSpin', true], ['bSpin', true], ['gammaSpin', true], ['lambdaSpin', true]], JSON.stringify(fields));
    // Back to the crystal in use: its numbers with a comma, and as many
    // reflections as the session's table holds.
    await tab.click('#cancelButton');
    await tab.click('#CrystalButton');
    const shown = await tab.evaluate(() => [document.getElementById('lambdaSpin').value,
        document.getElementById('checkMessage').textContent, window.kb.session.ReflexCount()]);
    assert.match(shown[0], /^\d+,\d+$/);
    assert.equal(shown[1], `${shown[2]} Reflexe`);
    assert.ok(shown[2] > 0);
    assert.deepEqual(errors, []);
    await tab.close();
});

test('the guide by "Anleitung" and by F1: the desktop\'s own text, in the language chosen', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768 });
    const heading = () => tab.evaluate(() => document.getElementById('GuideFrame').contentDocument.querySelector('h1')
        ?.textContent);
    const opens = [['de', () => tab.click('#GuideButton'), 'Kristallbeugung – Anleitung'],
        ['de', () => tab.keyboard.press('F1'), 'Kristallbeugung – Anleitung'],
        ['en', () => tab.click('#GuideButton'), 'Kristallbeugung – Guide']];
    for (const [language, open, title] of opens) {
        await tab.select('#LanguageList', language);
        await open();
        await tab.waitForFunction(() => document.getElementById('GuideDialog').open &&
            document.getElementById('GuideFrame').contentDocument?.querySelector('h1'));
        assert.equal(await heading(), title);
        await tab.click('#GuideClose');
        assert.equal(await tab.$eval('#GuideDialog', (d) => d.open), false);
    }
    await tab.evaluate(() => localStorage.clear());  // the next tab follows its browser's language again
    assert.deepEqual(errors, []);
    await tab.close();
});

// Alt+Shift and a key does what its button does: each from lesson 0, the
// rotation running where the effect is its speed or its state.
const kKeys = [
    ['KeyS', 'Button3', true, 'TimerRunning'],
    ['ArrowUp', 'Button2', true, 'TimerIntervalMs'],
    ['ArrowDown', 'Button8', true, 'TimerIntervalMs'],
    ['KeyR', 'Button6', false, 'OmegaDeg'],
    ['KeyG', 'Button5', false, 'OmegaDeg'],
];
test('Alt+Shift keys do what their buttons do', async (t) => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768 });
    const read = (what) => tab.evaluate((w) => window.kb.session[w](), what);
    const fresh = async (rotating) => {
        await tab.click('#Button1');
        await StartExperiment(tab, '0');
        await tab.click('#Button6');
        if (rotating) {
            await tab.click('#Button3');
        }
        await tab.evaluate(() => document.activeElement?.blur());
    };
    for (const [code, button, rotating, what] of kKeys) {
        await t.test(`Alt+Shift+${code} as ${button}`, async () => {
            await fresh(rotating);
            const before = await read(what);
            await tab.click(`#${button}`);
            const byButton = await read(what);
            await fresh(rotating);
            await tab.keyboard.down('Alt');
            await tab.keyboard.down('Shift');
            await tab.keyboard.press(code);
            await tab.keyboard.up('Shift');
            await tab.keyboard.up('Alt');
            const byKey = await read(what);
            assert.notEqual(byButton, before, 'the button changes something');
            assert.equal(byKey, byButton);
        });
    }
    await tab.click('#Button1');
    assert.deepEqual(errors, []);
    await tab.close();
});

test('"Bild kopieren": a PNG on the clipboard and the desktop\'s notice', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768 });
    await StartExperiment(tab, '0');
    await tab.evaluate(() => {
        window.copied = null;
        Object.defineProperty(navigator, 'clipboard', {
            configurable: true,
            value: { write: async (items) => { window.copied = items.flatMap((item) => item.types); } },
        });
    });
    await tab.click('#CopyPictureButton');
    await tab.waitForFunction(() => !document.getElementById('Notice').hidden);
    assert.deepEqual(await tab.evaluate(() => [window.copied, document.getElementById('Notice').textContent]),
        [['image/png'], 'Bild in die Zwischenablage kopiert']);
    assert.deepEqual(errors, []);
    await tab.close();
});

test('the lessons by name in the extras; names that tell the two "Start" and "Achsen" apart', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768 });
    const options = await tab.$$eval('#ExperimentList option', (list) => list.map((o) => o.textContent));
    assert.equal(options.length, 1 + 16);
    assert.equal(options[1], '−1: Alle Optionen inaktiv');
    await tab.select('#ExperimentList', '12');
    assert.deepEqual(PanelStateSorted(await PanelState(tab, kControls)), PanelStateSorted(lessons['12']));
    assert.equal(await tab.$eval('#Edit2', (e) => e.value), '12');
    const names = await tab.evaluate(() => ['Button3', 'Button9', 'CheckBox7', 'CheckBox9'].map((id) => {
        const e = document.getElementById(id);
        return [e.getAttribute('aria-label') ?? e.parentElement.getAttribute('aria-label'), e.textContent];
    }));
    assert.equal(new Set(names.map(([name]) => name)).size, 4, JSON.stringify(names));
    assert.ok(names[0][0].startsWith(`${names[0][1]}:`) && names[1][0].startsWith('Start:'), JSON.stringify(names));
    assert.deepEqual(errors, []);
    await tab.close();
});

// What a state link opened shows: caption, crystal, Omega, speed, message.
function OpenedState(tab) {
    return tab.evaluate(() => {
        const { session } = window.kb;
        const c = session.Crystal();
        return {
            caption: document.title, crystal: [c.LatticeA, c.LatticeB, c.GammaDeg, c.Lambda],
            omega: session.OmegaDeg(), interval: session.TimerIntervalMs(),
            message: document.getElementById('MessageDialog').open ? document.getElementById('MessageText').textContent : '',
        };
    });
}

test('a state link opens lesson, crystal, Omega and speed; "Link kopieren" gives a link to the same picture', async () => {
    const link = '#experiment=0&lattice=300,300,90&wavelength=70.93&omega=25.5&speed=70';
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768, hash: link });
    const opened = await OpenedState(tab);
    // The caption names a crystal that is not the standard; Omega is stored in single precision.
    assert.ok(opened.caption.startsWith(`${lessons['0'].caption} (a = 300 pm`), opened.caption);
    assert.deepEqual({ ...opened, caption: '', omega: Math.round(opened.omega * 1000) / 1000 },
        { caption: '', crystal: [300, 300, 90, Math.fround(70.93)], omega: 25.5, interval: 70, message: '' });
    await tab.evaluate(() => {
        Object.defineProperty(navigator, 'clipboard', {
            configurable: true, value: { writeText: async (text) => { window.copiedLink = text; } },
        });
    });
    await tab.click('#CopyLinkButton');
    await tab.waitForFunction(() => window.copiedLink);
    const copied = await tab.evaluate(() => window.copiedLink);
    assert.ok(copied.startsWith('file://') && copied.includes('#'), copied);
    const picture = () => tab.evaluate(() => document.getElementById('drawing-area').toDataURL());
    const other = await OpenPage(chromium.browser, pagePath,
        { width: 1024, height: 768, hash: `#${copied.split('#')[1]}` });
    assert.deepEqual(await OpenedState(other.tab), opened);
    assert.equal(await other.tab.evaluate(() => document.getElementById('drawing-area').toDataURL()), await picture(),
        'the same picture');
    assert.deepEqual([...errors, ...other.errors], []);
    await other.tab.close();
    await tab.close();
});

test('a state link with a bad value: the command line\'s message, nothing changed', async (t) => {
    // Lesson 12 is written for the standard crystal: no other with it.
    for (const link of ['#experiment=12&lattice=300,300,90&omega=25.5', '#experiment=12&omega=400', '#experiment=15',
        '#speed=0', '#wavelength=abc&experiment=3']) {
        await t.test(link, async () => {
            const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768, hash: link });
            const state = await OpenedState(tab);
            assert.ok(state.message.length > 0, 'a message');
            const fresh = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768 });
            assert.deepEqual({ ...state, message: '' }, await OpenedState(fresh.tab), 'as a page opened without it');
            assert.deepEqual([...errors, ...fresh.errors], []);
            await fresh.tab.close();
            await tab.close();
        });
    }
});

// The lab as the native core gives it for the same code and seat.
const statesFile = new URL('./draw_list_states.json', import.meta.url).pathname;
const nativeLabs = JSON.parse(execFileSync(process.env.KB_NATIVE_ANSWERS, ['--labs', statesFile]));
const kLabLink = '#unbekannt=K7MX4P&platz=12&stufe=rechtwinklig';
const kNativeLab = nativeLabs['rectangular, the true cell after a full turn'];
// What would give the crystal away: indices, a spacing d, a lattice constant.
const kRevealing = /-?\d+ -?\d+ -?\d+|\bd\s*[(=]|\b[abγ] = /;

// Timer ticks at once, up to the next reflection in Bragg position with
// `toReflection`, and at most until the crystal has turned once all round.
function Turn(tab, toReflection) {
    return tab.evaluate((stop) => {
        const { session } = window.kb;
        for (let i = 0; i < 3000 && !session.MeasurementComplete(); ++i) {
            session.Timer1Timer();
            if (stop && session.ActiveReflex() >= 0) {
                break;
            }
        }
        return session.MeasurementComplete();
    }, toReflection);
}

function LabTexts(tab) {
    return tab.evaluate(() => {
        const $ = (id) => document.getElementById(id);
        return {
            caption: document.title, reflex: $('Edit4').textContent,
            lines: Array.from($('ListBox1').children, (item) => item.textContent).join('\n'),
            description: $('drawing-description').textContent,
        };
    });
}

test('the class link starts the lab by touch: the native crystal, its panel, nothing of the crystal in any text', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath,
        { width: 1024, height: 768, touch: true, hash: kLabLink });
    const crystal = await tab.evaluate(() => {
        const c = window.kb.session.Crystal();
        return [c.LatticeA, c.LatticeB, c.GammaDeg, c.Lambda];
    });
    assert.deepEqual(crystal, kNativeLab.crystal);
    assert.equal(await tab.title(), kNativeLab.caption);
    const panel = await tab.evaluate(() => {
        const $ = (id) => document.getElementById(id);
        return {
            hidden: ['GroupBox3', 'GroupBox4', 'GroupBox8', 'Button6'].filter((id) => $(id).hidden),
            disabled: ['CrystalButton', 'SaveValuesButton', 'LabButton'].filter((id) => $(id).disabled),
            scale: $('ScaleButton').getAttribute('aria-pressed'),
            focusable: $('drawing-area').tabIndex,
        };
    });
    assert.deepEqual(panel, { hidden: ['GroupBox3', 'GroupBox4', 'Button6'],
        disabled: ['CrystalButton', 'SaveValuesButton'], scale: 'true', focusable: 0 });
    // The lab's group as big as the others by touch.
    const targets = await tab.evaluate(() => [...document.querySelectorAll('#GroupBox8 button, #GroupBox8 input')]
        .map((element) => {
            element.scrollIntoView({ block: 'nearest' });
            const box = element.getBoundingClientRect();
            return { name: element.id, width: box.width, height: box.height, inside: box.top >= 0 && box.bottom <= innerHeight };
        }));
    assert.equal(targets.length, 5);
    for (const target of targets) {
        assert.ok(target.inside && target.width >= 24 && target.height >= 24, JSON.stringify(target));
    }

    // Reflections in Bragg position on the way round, then the true cell.
    const seen = [];
    for (let calls = 0; calls < 3000 && !(await Turn(tab, true)); ++calls) {
        seen.push(await LabTexts(tab));
    }
    assert.ok(seen.some((texts) => texts.reflex === 'Reflex in Bragg-Stellung'), 'a reflection was in Bragg position');
    for (const [k, value] of crystal.slice(0, 3).entries()) {
        await tab.tap(`#Edit${5 + k}`);
        await tab.keyboard.type(value.toFixed(1).replace('.', ','));
    }
    await tab.tap('#Button11');
    const solved = await LabTexts(tab);
    assert.equal(solved.lines, kNativeLab.readouts[2]);
    assert.match(solved.lines, /^Gelöst nach 1 Vermutung$/m);
    for (const texts of [...seen, solved]) {
        for (const text of Object.values(texts)) {
            assert.doesNotMatch(text, kRevealing);
        }
    }

    // A numbered lesson leaves the lab: its group hidden, the tools back.
    await StartExperiment(tab, '3');
    const left = nativeLabs['a lesson after the lab'];
    assert.deepEqual(await tab.evaluate(() => {
        const $ = (id) => document.getElementById(id);
        const c = window.kb.session.Crystal();
        return [document.title, [c.LatticeA, c.LatticeB, c.GammaDeg, c.Lambda], $('GroupBox8').hidden,
            $('CrystalButton').disabled, $('SaveValuesButton').disabled];
    }), [left.caption, left.crystal, true, false, false]);
    assert.deepEqual(errors, []);
    await tab.close();
});

test('the measuring cursor by pointer and keys; a link without a seat asks for it', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568, hash: kLabLink });
    assert.equal(await Turn(tab, false), true);
    const cursor = () => tab.evaluate(() => window.kb.session.CursorDeg());
    // A press in the diffractogram's band, at the bottom of the drawing area.
    const box = await tab.$eval('#drawing-area', (e) => {
        const r = e.getBoundingClientRect();
        return { x: r.left + r.width / 2, y: r.bottom - 3 };
    });
    await tab.mouse.click(box.x, box.y);
    const set = await cursor();
    assert.notEqual(set, null, 'the press set the cursor');
    assert.equal(await tab.evaluate(() => document.activeElement.id), 'drawing-area');
    const reading = /^2Θ = \d+,\d\d°, d\/n = \d+,\d pm$/;
    assert.match(await tab.$eval('#ListBox1', (e) => e.firstElementChild.textContent), reading);
    await tab.keyboard.press('ArrowRight');
    assert.ok(Math.abs(await cursor() - (set + 0.05)) < 1e-9, 'the arrow key: 0.05°');
    await tab.keyboard.down('Shift');
    await tab.keyboard.press('ArrowLeft');
    await tab.keyboard.up('Shift');
    assert.ok(Math.abs(await cursor() - (set - 0.95)) < 1e-9, 'with Shift: 1°');
    await tab.keyboard.press('s');
    const snapped = await cursor();
    const announced = await tab.$eval('#lab-announcement', (e) => e.textContent);
    assert.equal(announced, await tab.evaluate(() => window.kb.session.CursorReading()));
    assert.match(announced, reading);
    const peaks = await tab.evaluate(() => window.kb.session.MeasuredPeaks());
    assert.ok(peaks.some((deg) => Math.abs(deg - snapped) < 0.3), `"S" snapped ${snapped} onto a peak`);

    // The class link without a seat: the dialog, the code filled in.
    await tab.evaluate(() => { location.hash = '#unbekannt=k7mx-4p'; });
    await tab.waitForFunction(() => document.getElementById('LabDialog').open);
    assert.deepEqual(await tab.evaluate(() => [document.getElementById('labCode').value, document.activeElement.id]),
        ['K7MX4P', 'labSeat']);
    await tab.keyboard.type('5');
    await tab.keyboard.press('Enter');
    assert.equal(await tab.title(), 'Unbekannter Kristall (Code K7MX4P, Platz 5)');
    assert.equal(await tab.$eval('#LabDialog', (d) => d.open), false);

    assert.deepEqual(errors, []);
    await tab.close();
});

// The catalogue of each language as a translator's tool reads it.
function ReadPo(url) {
    const entries = [];
    for (const block of readFileSync(url, 'utf8').split(/\n\s*\n/)) {
        const entry = {};
        let field = null;
        for (const line of block.split('\n')) {
            const head = line.match(/^(msgctxt|msgid|msgstr)\s+(".*")$/);
            if (head) {
                field = head[1];
                entry[field] = JSON.parse(head[2]);
            } else if (field && /^".*"$/.test(line)) {
                entry[field] += JSON.parse(line);
            }
        }
        if (entry.msgid && !block.includes('#, fuzzy')) {
            entries.push(entry);
        }
    }
    return entries;
}

// German that English shows otherwise: a catalogue text whole, its %1 for
// anything, or within a longer text where it is long enough to tell.
const kEnglish = ReadPo(new URL('en.po', kPoDir));
const kEscaped = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
const kGermanPatterns = [...new Set(kEnglish
    .filter((e) => e.msgstr !== '' && e.msgstr !== e.msgid && !['language', 'number'].includes(e.msgctxt))
    .map((e) => e.msgid))]
    .map((id) => {
        const body = id.split(/%[1-9]/).map(kEscaped).join('.+');
        return [id, new RegExp(id.replace(/%[1-9]/g, '').trim().length >= 10 ? body : `^${body}$`)];
    });

// Every text of the page a user or a screen reader meets, hidden or not.
function PageTexts() {
    const texts = [document.title];
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_TEXT, {
        acceptNode: (node) => (['SCRIPT', 'STYLE', 'TEMPLATE'].includes(node.tagName) ? NodeFilter.FILTER_REJECT
            : NodeFilter.FILTER_ACCEPT),
    });
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        if (node.nodeType === Node.TEXT_NODE) {
            texts.push(node.nodeValue.trim());
            continue;
        }
        for (const name of ['aria-label', 'title', 'placeholder']) {
            if (node.hasAttribute(name)) {
                texts.push(node.getAttribute(name));
            }
        }
    }
    return texts.filter((text) => text !== '');
}

// The texts a scene pass writes into the picture, from its draw list.
function PictureTexts() {
    const { page, session } = window.kb;
    let list = null;
    page.passListener = (l) => { list = Int32Array.from(l); };
    session.DrawScene();
    page.passListener = null;
    const sizes = { 1: 4, 2: 3, 3: 4, 4: 5, 5: 5, 6: 9, 8: 5 };
    const texts = [];
    for (let i = 0; i < list.length;) {
        const c = list[i];
        if (c === 9) {
            texts.push(String.fromCharCode(...list.subarray(i + 4, i + 4 + list[i + 3])));
        }
        i += c === 7 ? 2 + 2 * list[i + 1] : c === 9 ? 4 + list[i + 3] : sizes[c];
    }
    return texts;
}

async function GermanLeft(tab) {
    const texts = [...await tab.evaluate(PageTexts), ...await tab.evaluate(PictureTexts)];
    return texts.flatMap((text) => kGermanPatterns.filter(([, p]) => p.test(text)).map(([id]) => `"${text}" (${id})`));
}

test('English from an English browser: no German text in any lesson, message, dialog or the lab', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768, locale: 'en-GB' });
    assert.equal(await tab.evaluate(() => document.documentElement.lang), 'en');
    for (const input of Object.keys(lessons)) {
        await tab.click('#Button1');
        await StartExperiment(tab, input);
        // A reflection in Bragg position where the lesson offers one: its readouts too.
        await tab.evaluate(() => document.getElementById('Button6').offsetParent && document.getElementById('Button6').click());
        assert.deepEqual(await GermanLeft(tab), [], `Edit2 "${input}"`);
        if (lessons[input].message) {
            await tab.click('#MessageOk');
        }
    }
    await tab.click('#CrystalButton');
    assert.deepEqual(await GermanLeft(tab), [], 'crystal and radiation');
    await tab.click('#cancelButton');
    await tab.evaluate((link) => { location.hash = link; }, kLabLink);
    await tab.waitForFunction(() => window.kb.session.InLab());
    await Turn(tab, false);
    await tab.click('#Button10');
    await tab.click('#Button11');
    assert.deepEqual(await GermanLeft(tab), [], 'a guess without values');
    if (await tab.$eval('#MessageDialog', (d) => d.open)) {
        await tab.click('#MessageOk');
    }
    await tab.click('#LabButton');
    await tab.$eval('#labCode', (e) => { e.value = '?'; });
    await tab.click('#solutionButton');
    assert.deepEqual(await GermanLeft(tab), [], 'the lab and its dialog');
    await tab.click('#labCancelButton');
    assert.deepEqual(errors, []);
    await tab.close();
});

test('"Sprache" switches at once and keeps lesson, Omega and peaks; back in German all is as it was', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768 });
    const look = async () => ({
        texts: await tab.evaluate(PageTexts),
        ...(await tab.evaluate(() => {
            const { session } = window.kb;
            return {
                language: document.documentElement.lang, picture: document.getElementById('drawing-area').toDataURL(),
                omega: document.getElementById('Edit3').textContent,
                state: [document.getElementById('Edit2').value, session.OmegaDeg(), session.MeasuredPeaks(),
                    session.ActiveReflex(), session.Crystal().Lambda],
            };
        })),
    });
    try {
        await StartExperiment(tab, '12');
        for (let i = 0; i < 3; ++i) {
            await tab.click('#Button6');
        }
        const german = await look();
        await tab.select('#LanguageList', 'en');
        const english = await look();
        assert.deepEqual([english.language, english.state], ['en', german.state]);
        assert.match(english.omega, /^Omega = \d+\.\d°$/);
        assert.notEqual(english.texts[0], german.texts[0], 'the caption in English');
        // Remembered for the next page, whatever the browser's languages.
        const next = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768 });
        assert.equal(await next.tab.evaluate(() => document.documentElement.lang), 'en');
        await next.tab.close();
        await tab.select('#LanguageList', 'de');
        assert.deepEqual(await look(), german);
    } finally {
        await tab.evaluate(() => localStorage.clear());
    }
    assert.deepEqual(errors, []);
    await tab.close();
});

// The browser's languages, then "lang" in the link; an unknown one changes nothing.
const kChoices = [
    { locale: 'en-GB', language: 'en' },
    { locale: 'fr-FR', languages: ['fr-FR', 'en-US', 'de'], language: 'en' },
    { locale: 'fr-FR', language: 'de' },
    { locale: 'de-DE', hash: '#lang=en&experiment=3', language: 'en' },
    { locale: 'en-US', hash: '#experiment=3&lang=de', language: 'de' },
    { locale: 'en-US', hash: '#lang=fr&experiment=3', language: 'en', message: /^--lang fr: .* de, en\b/ },
    { locale: 'de-DE', hash: `${kLabLink}&lang=en`, language: 'en' },
];
test('the language from the browser and from "#lang="', async (t) => {
    for (const choice of kChoices) {
        await t.test(`${(choice.languages ?? [choice.locale]).join(',')} ${choice.hash ?? ''}`, async () => {
            const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 1024, height: 768, ...choice });
            const seen = await tab.evaluate(() => [document.documentElement.lang, document.getElementById('LanguageList').value,
                window.kb.core.CurrentLanguage(),
                document.getElementById('MessageDialog').open ? document.getElementById('MessageText').textContent : '']);
            assert.deepEqual(seen.slice(0, 3), Array(3).fill(choice.language));
            assert.equal(await tab.evaluate(() => window.kb.session.InLab()), choice.hash?.includes('unbekannt') ?? false);
            if (choice.message) {
                assert.match(seen[3], choice.message);
                const start = kEnglish.find((e) => e.msgid === 'Kein Experiment aktiv').msgstr;
                assert.equal(await tab.title(), start, 'nothing opened');
            } else {
                assert.equal(seen[3], '');
            }
            assert.deepEqual(errors, []);
            await tab.close();
        });
    }
});

// "Messwerte speichern" and "Diffraktogramm speichern" as workbooks, each
// through the format dialog: the core's numbers and the language's names.
const kWorkbooks = [
    { button: 'SaveValuesButton', language: 'de', sheets: ['Messwerte', 'Kristall'], header: '2Theta (°)',
        csv: 'MeasuredValues' },
    { button: 'SaveDiffractogramButton', language: 'en', sheets: ['Diffractogram', 'Measurement'], header: 'Intensity',
        csv: 'DiffractogramTable' },
];
for (const book of kWorkbooks) {
    test(`"${book.button}" as .xlsx (${book.language}): the CSV's numbers, in sheets of the language`, async () => {
        const { tab, errors } = await OpenPage(chromium.browser, pagePath,
            { width: 1024, height: 768, hash: `#lang=${book.language}` });
        await StartExperiment(tab, '0');
        for (let i = 0; i < 3; ++i) {
            await tab.click('#Button6');
        }
        // The download's name and bytes instead of a file.
        await tab.evaluate(() => {
            window.kbSaved = new Promise((resolve) => {
                HTMLAnchorElement.prototype.click = function () {
                    fetch(this.href).then((r) => r.arrayBuffer())
                        .then((b) => resolve({ name: this.download, bytes: Array.from(new Uint8Array(b)) }));
                };
            });
        });
        await tab.click(`#${book.button}`);
        await tab.click('#formatXlsx');
        await tab.click('#formatSaveButton');
        const saved = await tab.evaluate(() => window.kbSaved);
        assert.match(saved.name, /\.xlsx$/);
        const file = join(mkdtempSync(join(tmpdir(), 'kb-')), saved.name.replaceAll('/', '_'));
        writeFileSync(file, Buffer.from(saved.bytes));
        const part = (name) => execFileSync('unzip', ['-p', file, name], { encoding: 'utf8' });
        assert.deepEqual([...part('xl/workbook.xml').matchAll(/<sheet [^>]*name="([^"]+)"/g)].map((m) => m[1]),
            book.sheets);
        assert.ok(part('xl/sharedStrings.xml').includes(book.header));
        // Every number of the CSV, in order, is a cell of the first sheet.
        const csv = await tab.evaluate((name) => window.kb.session[name]('.'), book.csv);
        const numbers = csv.trim().split('\n').slice(1).flatMap((line) => line.split(',').map(Number));
        const cells = [...part('xl/worksheets/sheet1.xml').matchAll(/<c ([^>]*)><v>([^<]*)<\/v>/g)]
            .filter((m) => !/\bt="/.test(m[1])).map((m) => Number(m[2]));  // numbers, not shared strings
        assert.ok(numbers.length > 8);
        assert.deepEqual(cells, numbers);
        assert.deepEqual(errors, []);
        await tab.close();
    });
}
