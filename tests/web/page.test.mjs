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
// Every control whose visibility or checked state a lesson or a pass sets.
const kControls = ['GroupBox1', 'GroupBox2', 'GroupBox3', 'GroupBox4', 'GroupBox5', 'GroupBox6', 'GroupBox7',
    'Button1', 'Button2', 'Button3', 'Button5', 'Button6', 'Button7', 'Button8', 'Button9', 'primaer',
    'gebeugtCheck', 'CheckBox1', 'CheckBox2', 'CheckBox3', 'CheckBox4', 'CheckBox5', 'CheckBox6', 'CheckBox7',
    'CheckBox8', 'CheckBox9', 'CheckBox10', 'CheckBox11', 'CheckBox12', 'RadioGroup1', 'Edit2', 'UpDown1', 'Edit3',
    'Edit4', 'ListBox1'];

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
    for (let presses = 0; order.length < 28 && presses < 40; ++presses) {
        await tab.keyboard.press('Tab');
        const id = await tab.evaluate(() => document.activeElement.id);
        if (id !== '') {
            order.push(id);
        }
    }
    // From Button9: "Aufhören", the readouts, the extras, then the groups in
    // their order, each over its controls, and the lesson number last.
    assert.deepEqual(order, ['Button1', 'Edit3', 'Edit4', 'ListBox1', 'CrystalButton', 'SavePictureButton',
        'SaveValuesButton', 'PrintButton', 'FullScreenButton', 'Button3', 'Button6', 'Button5', 'Button2', 'Button8',
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
