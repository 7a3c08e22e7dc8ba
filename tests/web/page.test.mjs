// The page in a real browser, from file://: the lessons give the native core's
// captions and panels, the picture is crisp at ratio 1 and 2, the rotation
// finds reflections, bad numbers give the desktop's answers, no console errors.
//   KB_WEB_PAGE=<page.html> KB_NATIVE_ANSWERS=<tool> node page.test.mjs
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { after, before, test } from 'node:test';

import { kChromium, LaunchChromium, OpenPage } from './browser.mjs';

if (!existsSync(kChromium)) {
    if (process.env.CI) {
        console.error(`${kChromium} is missing; CI must run the browser tests`);
        process.exit(1);
    }
    console.log(`SKIP: ${kChromium} is missing, the page is not tested`);
    process.exit(77);
}

const pagePath = process.env.KB_WEB_PAGE;
const lessons = JSON.parse(execFileSync(process.env.KB_NATIVE_ANSWERS, ['--lessons']));
// Every control whose visibility or checked state a lesson sets.
const kControls = ['GroupBox1', 'GroupBox2', 'GroupBox3', 'GroupBox4', 'GroupBox5', 'GroupBox6', 'GroupBox7',
    'Button1', 'Button2', 'Button3', 'Button5', 'Button6', 'Button7', 'Button8', 'Button9', 'primaer',
    'gebeugtCheck', 'CheckBox1', 'CheckBox2', 'CheckBox3', 'CheckBox4', 'CheckBox5', 'CheckBox6', 'CheckBox7',
    'CheckBox8', 'CheckBox9', 'CheckBox10', 'CheckBox11', 'CheckBox12', 'RadioGroup1', 'Edit2', 'UpDown1'];

let chromium;
before(async () => { chromium = await LaunchChromium(); });
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

test('start: the start caption, focus in Edit2, the bare panel', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568 });
    assert.equal(await tab.title(), 'Kein Experiment aktiv');
    assert.equal(await tab.evaluate(() => document.activeElement.id), 'Edit2');
    const size = await tab.evaluate(() => [document.getElementById('drawing-area').clientWidth,
        document.getElementById('drawing-area').clientHeight]);
    assert.deepEqual(size, [615, 568], 'the drawing area beside the 177-pixel panel');
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

// The device pixels at the middle of the longest horizontal one-pixel solid
// line of a pass, and the pass's white background at a point no shape nears.
function ProbeLines(tab) {
    return tab.evaluate(() => {
        const { page, session } = window.kb;
        let list = null;
        page.passListener = (l) => { list = Int32Array.from(l); };
        session.DrawScene();
        page.passListener = null;
        let pen = null, best = null;
        for (let i = 0; i < list.length;) {
            const c = list[i];
            if (c === 1) { pen = [list[i + 1], list[i + 2], list[i + 3]]; i += 4; }
            else if (c === 2) i += 3;
            else if (c === 3) i += 4;
            else if (c === 4) {
                const [x1, y1, x2, y2] = list.subarray(i + 1, i + 5);
                if (y1 === y2 && pen[1] === 1 && pen[2] === 0 && (!best || Math.abs(x2 - x1) > best.length)) {
                    best = { length: Math.abs(x2 - x1), x: Math.round((x1 + x2) / 2), y: y1, colour: pen[0], at: i };
                }
                i += 5;
            }
            else if (c === 5 || c === 8) i += 5;
            else if (c === 6) i += 9;
            else if (c === 7) i += 2 + 2 * list[i + 1];
            else if (c === 9) i += 4 + list[i + 3];
            else throw new Error(`unknown command ${c}`);
        }
        // Later shapes may cross the line's middle: only an untouched pixel counts.
        const ratio = page.ratio;
        const pixel = (x, y) => Array.from(page.ctx.getImageData(x, y, 1, 1).data.slice(0, 3));
        const device = [];
        for (let dy = 0; dy < ratio; ++dy) {
            for (let dx = 0; dx < ratio; ++dx) {
                device.push(pixel(best.x * ratio + dx, best.y * ratio + dy));
            }
        }
        const rgb = [(best.colour >> 16) & 255, (best.colour >> 8) & 255, best.colour & 255];
        return { rgb, device, ratio, width: page.canvas.width, height: page.canvas.height, above: pixel(best.x * ratio, best.y * ratio - ratio - 1) };
    });
}

for (const ratio of [1, 2]) {
    test(`lesson 11's picture at ratio ${ratio}: crisp lines in the pen's colour`, async () => {
        const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568, ratio });
        await StartExperiment(tab, '11');
        const probe = await ProbeLines(tab);
        assert.equal(probe.ratio, ratio);
        assert.deepEqual([probe.width, probe.height], [615 * ratio, 568 * ratio], 'the canvas at device pixels');
        for (const device of probe.device) {
            assert.deepEqual(device, probe.rgb, 'every device pixel of the line in the pen\'s colour');
        }
        assert.notDeepEqual(probe.above, probe.rgb, 'the line is one logical pixel high, no more');
        assert.deepEqual(errors, []);
        await tab.close();
    });
}

test('rotation at the fastest speed makes a reflection active and announces it once', async () => {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, { width: 792, height: 568 });
    await StartExperiment(tab, '12');
    while (await tab.evaluate(() => window.kb.session.TimerIntervalMs()) > 10) {
        await tab.click('#Button2');
    }
    await tab.click('#Button3');
    assert.equal(await tab.$eval('#Button3', (b) => b.textContent), 'Stop');
    await tab.waitForFunction(() => window.kb.session.ActiveReflex() >= 0, { timeout: 30000 });
    const reflex = await tab.$eval('#Edit4', (e) => e.textContent);
    assert.match(reflex, /^Reflex /);
    assert.equal(await tab.$eval('#reflex-announcement', (e) => e.textContent), reflex);
    assert.equal(await tab.$eval('#Edit4', (e) => e.getAttribute('aria-live')), null);
    await tab.click('#Button3');
    assert.equal(await tab.$eval('#Button3', (b) => b.textContent), 'Start');
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
